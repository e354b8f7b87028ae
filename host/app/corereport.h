#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace IPCore {
class IPGenDialog;
}

namespace IPGenApp {

// Follows the running host's generations: when a DDR3 PHY dialog closes after its synthesis,
// writes <file>_report.txt beside the netlist (clock, timings in clocks, DDR3 checks, cells).
class CoreReporter : public QObject
{
    Q_OBJECT
public:
    explicit CoreReporter(QObject *parent = nullptr);

signals:
    void written(const QString &path, const QStringList &warnings);
    void failed(const QString &message);

private:
    void onSynthesisStarted();
    void onAccepted();

    QPointer<IPCore::IPGenDialog> m_dialog;
    QStringList m_log;
};

struct ReportOutcome
{
    bool written = false;
    QStringList warnings;
    QString error; // a report was due but could not be made
};

// Writes the report of the core `ipcPath` describes to `reportPath`. Cores other than the DDR3
// PHY get none.
ReportOutcome writeCoreReport(const QString &ipcPath, const QString &reportPath,
                              const QStringList &synthesisLog);

// The batch front end's account of each report: its warnings and failures on stderr.
void printReportsOnStderr(CoreReporter *reporter);

} // namespace IPGenApp
