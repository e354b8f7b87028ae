#pragma once

#include "commandline.h"

#include <QString>
#include <QStringList>

namespace IPCore {
class BaseIPCore;
class PluginManager;
} // namespace IPCore

namespace IPGenApp {

// <dir of ipgen>/plugins, where the build and an installation put the core plug-ins.
QString defaultPluginDirectory();
// Loads the default plug-in folder, then `extraDirectories`.
void loadPlugins(IPCore::PluginManager &plugins, const QStringList &extraDirectories);
// The core type an .ipc file names (its top-level "type", empty when it names none); a null
// string when the file is unreadable or no IP configuration file.
QString configCoreType(const QString &ipcPath);

int runList(const Invocation &invocation, const IPCore::PluginManager &plugins);
int runDevices(const Invocation &invocation, const IPCore::PluginManager &plugins);
// The memory parts of the --core, or of every core that offers them: name first, one a line.
int runParts(const Invocation &invocation, const IPCore::PluginManager &plugins);

} // namespace IPGenApp
