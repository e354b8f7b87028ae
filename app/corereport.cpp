#include "corereport.h"

#include "console.h"
#include "dialogdriver.h"
#include "hostsession.h"
#include "ipgendialog.h"
#include "pluginmanager.h"

#include <utility>

namespace IPGenApp {

CoreReporter::CoreReporter(const IPCore::PluginManager &plugins, QObject *parent)
    : QObject(parent), m_plugins(plugins)
{
    IPGen::HostSession &session = IPGen::HostSession::instance();
    connect(&session, &IPGen::HostSession::synthesisStarted, this, [this] { m_log.clear(); });
    connect(&session, &IPGen::HostSession::synthesisLog, this,
            [this](const QString &line) { m_log.append(line); });
    connect(&session, &IPGen::HostSession::generated, this, &CoreReporter::onGenerated);
}

void CoreReporter::follow(const QString &coreId, const PartBeforeShow *part)
{
    m_coreId = coreId;
    m_part = part;
}

void CoreReporter::onGenerated(IPCore::IPGenDialog *dialog)
{
    const QString configFile =
        dialog->createPath() + QLatin1Char('/') + dialog->fileName() + QStringLiteral(".ipc");
    const QStringList log = std::exchange(m_log, {});
    const QString partSource = m_part && m_part->applied() ? m_part->source() : QString();
    emit generated(configFile, partSource);
    auto *report = m_plugins.capability<IPCore::GenerationReport>(m_coreId);
    if (!report)
        return;
    const IPCore::ReportOutcome outcome = report->writeReport(configFile, log, partSource);
    if (!outcome.path.isEmpty())
        emit written(outcome.path, outcome.warnings);
    else if (!outcome.error.isEmpty())
        emit failed(outcome.error);
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
