#pragma once

#include "hostglobal.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QLibrary;

namespace IPCore {

class BaseIPCore;
class IPPackage;

// Loads core plug-in libraries the way the design environment does: QLibrary, the verification
// record, qt_plugin_instance, qobject_cast to IPPackage, core directory, createIPCores().
// Owns the descriptors and deletes them; never unloads a library.
class IPCOREHOST_EXPORT PluginManager
{
public:
    PluginManager();
    ~PluginManager();
    PluginManager(const PluginManager &) = delete;
    PluginManager &operator=(const PluginManager &) = delete;

    // Loads every library in `directory`; returns how many were loaded. Refusals are collected
    // in errors(), one line each ("<file>: <reason>").
    int loadDirectory(const QString &directory);
    // Loads one library; the core directory is <its folder>/<base name without "lib">.
    bool loadLibrary(const QString &path, QString *error = nullptr);

    QList<BaseIPCore *> cores() const;
    BaseIPCore *core(const QString &id) const;
    QStringList errors() const;
    // Libraries that were loaded but lost a core to an earlier one with the same id.
    QStringList warnings() const;
    QString libraryOf(const BaseIPCore *core) const;

private:
    struct Loaded;
    QList<Loaded *> m_loaded;
    QStringList m_errors;
    QStringList m_warnings;
};

// Checks a plug-in's verification record against the host's Qt build; empty when acceptable,
// else the one-line reason.
IPCOREHOST_EXPORT QString checkVerificationRecord(const char *record);
// The record a plug-in built against this host's Qt build carries: "pattern=…", "version=<Qt>",
// "debug=<true|false>", "buildkey=<os> <compiler> <release|debug> full-config".
IPCOREHOST_EXPORT QByteArray hostVerificationRecord();

} // namespace IPCore
