#pragma once

#include "commandline.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace IPCore {
class ExampleDesign;
class PluginManager;
} // namespace IPCore

namespace IPGenApp {

struct ExampleOutcome
{
    int exitCode = ExitOk;
    QString error;       // one line when exitCode is not ExitOk
    QStringList written; // absolute paths, sorted
};

// The example design capability of the core that `configFile` configures; null with the reason
// in *refusal when the file names no loaded core or the core offers none.
IPCore::ExampleDesign *exampleDesignFor(const IPCore::PluginManager &plugins,
                                        const QString &configFile, ExampleOutcome *refusal);

// Asked with the kit's files that exist already; true replaces them, false keeps every file.
using ReplaceQuestion = std::function<bool(const QStringList &existing)>;

// Writes the example design of the core configured in `configFile` into `outputDirectory`: the
// files the core's extension gives.
// `partSource` is the memory part the core was generated for (empty: none).
ExampleOutcome writeExample(const IPCore::PluginManager &plugins, const QString &configFile,
                            const QString &partSource, const QString &outputDirectory,
                            const ReplaceQuestion &mayReplace);

int runExample(const Invocation &invocation, const IPCore::PluginManager &plugins);

} // namespace IPGenApp
