#pragma once

#include <QString>

class QWidget;

namespace IPCore {
class PluginManager;
}

namespace IPGenApp {

// The window's "Example Design…" action for a generated core: says so when the core offers no
// example design, else asks for the kit's folder, asks before replacing files, writes the kit and
// reports what was written.
void writeExampleFromWindow(QWidget *parent, const IPCore::PluginManager &plugins,
                            const QString &configFile, const QString &partSource);

} // namespace IPGenApp
