#pragma once

#include "hostglobal.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace IPCore {

// Optional capabilities of a core. They live in a companion library beside the core's plug-in,
// so that the plug-in library offers the host nothing but its package. The companion's
// qt_plugin_instance() returns a CoreExtension; the plug-in manager loads it as it loads a
// plug-in and matches it to the core whose id coreId() names.
//
// Each capability is an interface of its own (below), declared with Q_DECLARE_INTERFACE. The
// extension class derives from the ones it offers and lists them in Q_INTERFACES; the host asks
// with PluginManager::capability<C>(coreId), which is null for a core without a companion or a
// companion without that capability. A new capability is a new interface here, implemented by
// the extensions that offer it and asked for where the host uses it; the loading and matching
// stay as they are.
class IPCOREHOST_EXPORT CoreExtension : public QObject
{
    Q_OBJECT
public:
    explicit CoreExtension(QObject *parent = nullptr);
    ~CoreExtension() override;

    // The id of the core this extension serves.
    virtual QString coreId() const = 0;

    // The served core's directory (description file and data folder), filled by the host when it
    // hands the extension out.
    QString coreDirectory;
};

// What a report capability did for one generation. Nothing written and no error: the
// configuration gets no report.
struct ReportOutcome
{
    QString path;         // the report written
    QStringList warnings; // rules the generated core breaks, one line each
    QString error;        // a report was due but could not be made
};

// A report of a finished generation, written beside the core's files.
class GenerationReport
{
public:
    virtual ~GenerationReport() = default;
    // `configFile` is the .ipc file the generation wrote, `synthesisLog` the synthesis helper's
    // lines.
    virtual ReportOutcome writeReport(const QString &configFile,
                                      const QStringList &synthesisLog) = 0;
};

// One file of an example design, relative to the folder the host writes the design into.
struct ExampleFile
{
    QString target;
    QByteArray content;
    bool executable = false;
};

// An example design around a configured core: the host asks for its files and writes them.
class ExampleDesign
{
public:
    virtual ~ExampleDesign() = default;
    // The example design of the core `configFile` configures; false with a one-line reason.
    virtual bool exampleFiles(const QString &configFile, QList<ExampleFile> *files,
                              QString *error) = 0;
};

// What re-opening a configuration file changes: stored values that the dialog converts on the
// way in and controls that it leaves without a current item, one line each.
class RestoreNotes
{
public:
    virtual ~RestoreNotes() = default;
    virtual QStringList restoreNotes(const QString &configFile) = 0;
};

} // namespace IPCore

Q_DECLARE_INTERFACE(IPCore::GenerationReport, "ipcore.GenerationReport/1.0")
Q_DECLARE_INTERFACE(IPCore::ExampleDesign, "ipcore.ExampleDesign/1.0")
Q_DECLARE_INTERFACE(IPCore::RestoreNotes, "ipcore.RestoreNotes/1.0")
