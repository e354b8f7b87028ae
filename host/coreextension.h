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
    // lines, `partSource` the source a MemoryParts answer named for the settings (empty: none).
    virtual ReportOutcome writeReport(const QString &configFile, const QStringList &synthesisLog,
                                      const QString &partSource) = 0;
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
    // The example design of the core `configFile` configures, for the memory part `partSource`
    // (a MemoryParts answer's source; empty: none); false with a one-line reason.
    virtual bool exampleFiles(const QString &configFile, const QString &partSource,
                              QList<ExampleFile> *files, QString *error) = 0;
};

// What re-opening a configuration file changes: stored values that the dialog converts on the
// way in and controls that it leaves without a current item, one line each.
class RestoreNotes
{
public:
    virtual ~RestoreNotes() = default;
    virtual QStringList restoreNotes(const QString &configFile) = 0;
};

class IPGenDialog;

// A memory part a core knows by name: its display columns and whether the core can take it.
struct MemoryPartEntry
{
    QString name;
    QStringList columns; // under MemoryParts::partColumns()
    QString refusal;     // why the core cannot take the part; empty when it can
};

// One edit of a dialog control, as `ipgen --set NAME=VALUE` makes it.
struct ControlEdit
{
    QString control;
    QString value;
};

// What a part does to a dialog: edits in order and warnings, or a one-line error and nothing.
struct PartEdits
{
    QList<ControlEdit> edits;
    QStringList warnings;
    QString error;
    QString source; // handed back to GenerationReport::writeReport after the generation
};

// Memory parts (devices and modules with their datasheet values) that set up a core's dialog.
class MemoryParts
{
public:
    virtual ~MemoryParts() = default;
    virtual QStringList partColumns() const = 0;
    virtual QList<MemoryPartEntry> partList() const = 0;
    // The controls whose values the edits depend on (clocks, ratios): their edits come first.
    virtual QStringList partInputs() const = 0;
    // The edits for the part named `part`, or with `fromFile` for the part a description file
    // (such as a module's EEPROM image) describes, in the dialog's current state.
    virtual PartEdits partEdits(const QString &part, bool fromFile,
                                const IPGenDialog *dialog) const = 0;
};

} // namespace IPCore

Q_DECLARE_INTERFACE(IPCore::GenerationReport, "ipcore.GenerationReport/1.0")
Q_DECLARE_INTERFACE(IPCore::ExampleDesign, "ipcore.ExampleDesign/1.0")
Q_DECLARE_INTERFACE(IPCore::RestoreNotes, "ipcore.RestoreNotes/1.0")
Q_DECLARE_INTERFACE(IPCore::MemoryParts, "ipcore.MemoryParts/1.0")
