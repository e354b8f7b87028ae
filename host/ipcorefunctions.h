#pragma once

#include "devicearg.h"
#include "hostglobal.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

class QWidget;

namespace IPCore {

// Reads a core description file (docs/ipspec-format.md). An unreadable or malformed file gives an
// empty map; the reason is kept for checkCommonInfo to report.
IPCOREHOST_EXPORT QMap<QString, QVariant> processIPInfoSpec(const QString &path);
// True when the required keys are present; otherwise prints one line on stderr saying why.
IPCOREHOST_EXPORT bool checkCommonInfo(const QMap<QString, QVariant> &info);
// Supported when the model matches an entry of `supported` and none of `unsupported`; an entry
// ending in '*' matches by prefix.
IPCOREHOST_EXPORT bool isSupported(const DEV::DeviceArg &device, const QStringList &unsupported,
                                   const QStringList &supported);
// Creates path and its parents; `name` names the core in the error message. True when it exists.
IPCOREHOST_EXPORT bool makeDirs(const QString &path, const QString &name);
// Writes `lines` joined by "\n" with a final newline, UTF-8, preceded by `header` when it is not
// empty. On failure shows an error naming the path (parented on `parent`) and returns false.
IPCOREHOST_EXPORT bool generateFile(const QString &path, const QStringList &lines, QWidget *parent,
                                    const QString &header);
// INI file: `header` at the top level, `config` in the group "Config". A failure is not shown;
// the session hears of it (HostSession::recordNotWritten).
IPCOREHOST_EXPORT void writeIPConfig(const QString &path, const QMap<QString, QVariant> &header,
                                     const QMap<QString, QVariant> &config);
// Turns a synthesised Verilog netlist into a stand-alone simulation model `voFile`.
// 0 on success; otherwise non-zero with the reason in `error`.
IPCOREHOST_EXPORT int decode(const QString &outputDirectory, const QString &netlist,
                             const QString &voFile, QString &error);
IPCOREHOST_EXPORT void showErrorMsgs(const QString &message, const QStringList &details);
IPCOREHOST_EXPORT void addFilesToProject(const QStringList &files);

} // namespace IPCore
