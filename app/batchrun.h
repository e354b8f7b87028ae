#pragma once

#include "commandline.h"

#include <QString>
#include <QtGlobal>

namespace IPCore {
class PluginManager;
}

namespace IPGenApp {

// Moments of one `generate` run, in nanoseconds since the run began (-1: not reached).
struct GenerationTimings
{
    qint64 dialogShown = -1;       // first Show event of the core's dialog
    qint64 confirmed = -1;         // the OK button is clicked
    qint64 synthesisStarted = -1;  // files written, the synthesis helper starts
    qint64 synthesisFinished = -1; // the synthesis helper reports its exit code
    qint64 done = -1;              // the dialog's modal run has returned
};

int runInspect(const Invocation &invocation, const IPCore::PluginManager &plugins);
// The source of the memory part --part or --spd names, applied to the dialog of --config as a
// generation applies it (empty when neither is given); ExitOk, or the exit code of a refusal
// said on stderr.
int configuredPartSource(const Invocation &invocation, const IPCore::PluginManager &plugins,
                         QString *source);
int runGenerate(const Invocation &invocation, const IPCore::PluginManager &plugins,
                GenerationTimings *timings = nullptr);

} // namespace IPGenApp
