#pragma once

#include <QString>

class QWidget;

namespace IPGenApp {

// The window's "Example Design…" action for a generated core: asks for the kit's folder, asks
// before replacing files, writes the kit and reports how to run its simulation.
void writeExampleFromWindow(QWidget *parent, const QString &configFile);

} // namespace IPGenApp
