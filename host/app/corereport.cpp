#include "corereport.h"

#include "console.h"
#include "devicelibrary.h"
#include "generationreport.h"
#include "hostsession.h"
#include "ipgendialog.h"
#include "configtable.h"

#include <QApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

namespace IPGenApp {

namespace {

const QString reportedCoreType = QStringLiteral("ddr3_phy");

IPCore::IPGenDialog *openCoreDialog()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<IPCore::IPGenDialog *>(window);
        if (dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

} // namespace

CoreReporter::CoreReporter(QObject *parent) : QObject(parent)
{
    IPGen::HostSession &session = IPGen::HostSession::instance();
    connect(&session, &IPGen::HostSession::synthesisStarted, this,
            &CoreReporter::onSynthesisStarted);
    connect(&session, &IPGen::HostSession::synthesisLog, this,
            [this](const QString &line) { m_log.append(line); });
}

void CoreReporter::onSynthesisStarted()
{
    m_log.clear();
    m_dialog = openCoreDialog();
    // The dialog closes with Accepted only once the synthesis results are in place.
    if (m_dialog)
        connect(m_dialog, &QDialog::accepted, this, &CoreReporter::onAccepted,
                Qt::UniqueConnection);
}

void CoreReporter::onAccepted()
{
    if (!m_dialog)
        return;
    const QString base = m_dialog->createPath() + QLatin1Char('/') + m_dialog->fileName();
    const QString reportPath = base + QStringLiteral("_report.txt");
    const ReportOutcome outcome = writeCoreReport(base + QStringLiteral(".ipc"), reportPath, m_log);
    m_log.clear();
    if (outcome.written)
        emit written(reportPath, outcome.warnings);
    else if (!outcome.error.isEmpty())
        emit failed(outcome.error);
}

ReportOutcome writeCoreReport(const QString &ipcPath, const QString &reportPath,
                              const QStringList &synthesisLog)
{
    ReportOutcome outcome;
    QSettings ipc(ipcPath, QSettings::IniFormat);
    if (ipc.value(QStringLiteral("type")).toString() != reportedCoreType)
        return outcome;
    QString problem;
    const std::optional<DDR3PHY::MemorySetup> setup =
        DDR3PHY::memorySetup(DDR3PHY::configRecord(ipc), &problem);
    DEV::DeviceArg device;
    const QString deviceId = ipc.value(QStringLiteral("target_device")).toString();
    if (!setup || !DEV::DeviceLibrary::findById(deviceId, &device)) {
        outcome.error =
            QStringLiteral("no generation report: %1 %2")
                .arg(ipcPath, setup ? QStringLiteral("names the unknown device '%1'").arg(deviceId)
                                    : QStringLiteral("is unreadable: ") + problem);
        return outcome;
    }
    const DDR3PHY::GenerationReport report =
        DDR3PHY::generationReport(QFileInfo(ipcPath).completeBaseName(), deviceId, *setup,
                                  DDR3PHY::pllLimits(device.device(), device.condition()),
                                  DDR3PHY::yosysCellCounts(synthesisLog));

    QSaveFile file(reportPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        const QByteArray text =
            DDR3PHY::reportLines(report).join(QLatin1Char('\n')).toUtf8() + '\n';
        outcome.written = file.write(text) == text.size() && file.commit();
    }
    if (outcome.written)
        outcome.warnings = DDR3PHY::reportWarnings(report);
    else
        outcome.error = QStringLiteral("cannot write the generation report %1: %2")
                            .arg(reportPath, file.errorString());
    return outcome;
}

void printReportsOnStderr(CoreReporter *reporter)
{
    QObject::connect(reporter, &CoreReporter::written, reporter,
                     [](const QString &, const QStringList &warnings) {
                         for (const QString &warning : warnings)
                             printErr(QStringLiteral("ipgen: warning: ") + warning);
                     });
    QObject::connect(reporter, &CoreReporter::failed, reporter,
                     [](const QString &message) { printErr(QStringLiteral("ipgen: ") + message); });
}

} // namespace IPGenApp
