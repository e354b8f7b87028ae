#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace IPCore {
class IPGenDialog;
class PluginManager;
} // namespace IPCore

namespace IPGenApp {

class PartBeforeShow;

// Follows the generations of the core whose dialog the application runs: when the dialog closes
// accepted, says which configuration file was generated and, when the core's extension offers a
// generation report, has it written.
class CoreReporter : public QObject
{
    Q_OBJECT
public:
    explicit CoreReporter(const IPCore::PluginManager &plugins, QObject *parent = nullptr);

    // The core whose dialog is about to run, and the memory part applied to it, if any.
    void follow(const QString &coreId, const PartBeforeShow *part = nullptr);

signals:
    // `partSource`: the source of the memory part applied to the dialog (empty: none).
    void generated(const QString &configFile, const QString &partSource);
    void written(const QString &path, const QStringList &warnings);
    void failed(const QString &message);

private:
    void onGenerated(IPCore::IPGenDialog *dialog);

    const IPCore::PluginManager &m_plugins;
    QString m_coreId;
    QPointer<const PartBeforeShow> m_part;
    QStringList m_log;
};

// The batch front end's account of each report: its warnings and failures on stderr.
void printReportsOnStderr(CoreReporter *reporter);

} // namespace IPGenApp
