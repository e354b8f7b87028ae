#pragma once

#include <QString>

namespace IPGenApp {

// stdout carries results (tables, JSON, written files); stderr carries everything said to the
// user. Both take one line per call, without the trailing newline.
void printOut(const QString &line);
void printErr(const QString &line);
bool stderrIsTerminal();
// Turns a window system that cannot be opened into one line and exit code 1. In batch mode it
// also drops the offscreen platform's notes about window features it lacks: they say nothing to
// a batch user and would mix with the command's own report on stderr.
void installMessageFilter(bool batch);
// Called once the application object exists: Qt's messages then pass as they are.
void applicationStarted();

} // namespace IPGenApp
