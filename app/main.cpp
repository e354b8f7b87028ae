#include "batchrun.h"
#include "catalogue.h"
#include "commandline.h"
#include "console.h"
#include "examplerun.h"
#include "hostsession.h"
#include "mainwindow.h"
#include "pluginmanager.h"
#include "synthesishelper.h"

#include <QApplication>

#include <csignal>

using namespace IPGenApp;

namespace {

// Ending ipgen ends the synthesis tools it runs: they lead process groups of their own.
extern "C" void endWithTools(int signal)
{
    IPCore::killToolProcesses();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int runCommand(const Invocation &invocation)
{
    IPGen::HostSession &session = IPGen::HostSession::instance();
    session.setBatch(invocation.batch());
    session.setSynthesisTimeout(invocation.timeout);
    session.setSettingsFile(settingsFilePath(invocation));

    IPCore::PluginManager plugins;
    loadPlugins(plugins, invocation.pluginDirectories);
    switch (invocation.command) {
    case Invocation::Command::List:
        return runList(invocation, plugins);
    case Invocation::Command::Devices:
        return runDevices(invocation, plugins);
    case Invocation::Command::Parts:
        return runParts(invocation, plugins);
    case Invocation::Command::Inspect:
        return runInspect(invocation, plugins);
    case Invocation::Command::Generate:
        return runGenerate(invocation, plugins);
    case Invocation::Command::Example:
        return runExample(invocation, plugins);
    case Invocation::Command::Gui:
        break;
    }
    MainWindow window(plugins);
    window.show();
    const int result = QApplication::exec();
    session.setDialogParent(nullptr);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    // Batch commands drive dialogs nobody sees; a platform the user chose still wins.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, endWithTools);
    const bool batch = isBatchCommandLine(argc, argv);
    if (batch && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    installMessageFilter(batch);
    QApplication app(argc, argv);
    applicationStarted();
    QApplication::setApplicationName(QStringLiteral("ipgen"));

    Invocation invocation;
    const ParseResult parsed = parseCommandLine(QApplication::arguments(), &invocation);
    switch (parsed.outcome) {
    case ParseResult::Outcome::Help:
        printOut(parsed.text.trimmed());
        return ExitOk;
    case ParseResult::Outcome::Error:
        printErr(QStringLiteral("ipgen: ") + parsed.text);
        return ExitUsage;
    case ParseResult::Outcome::Run:
        break;
    }
    return runCommand(invocation);
}
