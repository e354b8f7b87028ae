// One default generation of the DDR3 PHY through the code of `ipgen generate`: the time of each
// stage next to its target, and the peak memory of ipgen and of the synthesis tool.
//
//   bench_generate [PARENT_DIR]
//
// The output goes to a fresh folder in PARENT_DIR (default: the temporary folder). The host
// flushes every file it writes to disk, so "files written" measures the disk as much as the
// code: compare a run on tmpfs (/dev/shm) with one on the disk the user would write to.

#include "batchrun.h"
#include "catalogue.h"
#include "commandline.h"
#include "console.h"
#include "hostsession.h"
#include "ippackage.h"
#include "pluginmanager.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace IPGenApp;

namespace {

void printStage(const char *stage, qint64 nanoseconds, double targetMs)
{
    const double ms = double(nanoseconds) / 1e6;
    if (targetMs <= 0) {
        std::printf("  %-44s %9.1f ms\n", stage, ms);
        return;
    }
    std::printf("  %-44s %9.1f ms   target < %6.0f ms   %s\n", stage, ms, targetMs,
                nanoseconds >= 0 && ms < targetMs ? "ok" : "MISSED");
}

long peakKilobytes(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    installMessageFilter(true);
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QString parent = arguments.size() > 1 ? arguments.at(1) : QDir::tempPath();
    QTemporaryDir work(parent + QStringLiteral("/bench_generate-XXXXXX"));
    if (!work.isValid()) {
        std::fprintf(stderr, "bench_generate: cannot create a folder: %s\n",
                     qPrintable(work.errorString()));
        return 1;
    }

    Invocation invocation;
    invocation.command = Invocation::Command::Generate;
    invocation.coreId = QStringLiteral("ddr3_phy");
    invocation.deviceModel = QStringLiteral("VX1-10");
    invocation.condition = QStringLiteral("C6/I5");
    invocation.outputDirectory = work.filePath(QStringLiteral("out"));
    IPGen::HostSession::instance().setBatch(true);
    IPGen::HostSession::instance().setSettingsFile(settingsFilePath(invocation));

    QElapsedTimer clock;
    clock.start();
    IPCore::PluginManager plugins;
    loadPlugins(plugins, {});
    // What the window's catalogue reads of every core.
    for (const IPCore::BaseIPCore *core : plugins.cores()) {
        (void)core->id(), (void)core->name(), (void)core->version(), (void)core->category(),
            (void)core->summary();
    }
    const qint64 catalogue = clock.nsecsElapsed();
    if (!plugins.core(invocation.coreId)) {
        std::fprintf(stderr, "bench_generate: core %s not loaded from %s\n",
                     qPrintable(invocation.coreId), qPrintable(defaultPluginDirectory()));
        return 1;
    }

    GenerationTimings timings;
    const int exitCode = runGenerate(invocation, plugins, &timings);
    if (exitCode != ExitOk) {
        std::fprintf(stderr, "bench_generate: generation failed (exit code %d)\n", exitCode);
        return 1;
    }

    std::printf("\nDDR3 PHY default generation (%s %s, %s):\n", qPrintable(invocation.deviceModel),
                qPrintable(invocation.condition), qPrintable(invocation.outputDirectory));
    printStage("load plug-in and build catalogue", catalogue, 50);
    printStage("createIP to dialog shown", timings.dialogShown, 100);
    printStage("OK to synthesis start (files written)",
               timings.synthesisStarted - timings.confirmed, 20);
    printStage("synthesis", timings.synthesisFinished - timings.synthesisStarted, 0);
    printStage("synthesis end to dialog closed (results)", timings.done - timings.synthesisFinished,
               0);
    printStage("whole generate with synthesis", catalogue + timings.done, 10000);
    std::printf("  %-44s %9ld KiB\n", "peak memory of ipgen (ru_maxrss)",
                peakKilobytes(RUSAGE_SELF));
    std::printf("  %-44s %9ld KiB\n", "peak memory of the synthesis tool",
                peakKilobytes(RUSAGE_CHILDREN));
    return 0;
}
