#pragma once

#include <QString>

namespace IPGenApp {

// stdout carries results (tables, JSON, written files); stderr carries everything said to the
// user. Both take one line per call, without the trailing newline.
void printOut(const QString &line);
void printErr(const QString &line);
bool stderrIsTerminal();
// Drops the offscreen platform's notes about window features it lacks: they say nothing to a
// batch user and would mix with the command's own report on stderr.
void installBatchMessageFilter();

} // namespace IPGenApp
