#pragma once

#include "commandline.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace IPCore {
class PluginManager;
}

namespace IPGenApp {

// What `ipgen example` needs: the core's configuration file and the kit's folder. The plug-in
// folders and the settings file are handed on to the generation that re-opens the file.
struct ExampleRequest
{
    QString configFile;
    QString outputDirectory;
    QStringList pluginDirectories;
    QString settingsFile;
};

struct ExampleOutcome
{
    int exitCode = ExitOk;
    QString error;       // one line when exitCode is not ExitOk
    QStringList written; // absolute paths, sorted
};

// Asked with the kit's files that exist already; true replaces them, false keeps every file.
using ReplaceQuestion = std::function<bool(const QStringList &existing)>;

// Re-generates the core's files from the configuration file (a files-only run of this program)
// and writes the example design kit: rtl/, core/, sim/ with run.sh, constraints/.
ExampleOutcome writeExample(const ExampleRequest &request, const ReplaceQuestion &mayReplace);

int runExample(const Invocation &invocation, const IPCore::PluginManager &plugins);

} // namespace IPGenApp
