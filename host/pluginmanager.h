#pragma once

#include "coreextension.h"
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
// A library whose instance is a CoreExtension instead is a core's companion: it is kept and
// handed out for the core whose id it names, whichever of the two was loaded first.
// Owns the descriptors and extensions and deletes them; never unloads a library.
class IPCOREHOST_EXPORT PluginManager
{
public:
    PluginManager();
    ~PluginManager();
    PluginManager(const PluginManager &) = delete;
    PluginManager &operator=(const PluginManager &) = delete;

    // Loads every library in `directory`, plug-ins and companions; returns how many were loaded. Refusals are collected
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

    // The companion of the loaded core `coreId`, with its core directory filled in; null when
    // the core is not loaded or has none.
    CoreExtension *extension(const QString &coreId) const;
    // One capability of that companion (an interface of coreextension.h); null when not offered.
    template <class Capability>
    Capability *capability(const QString &coreId) const
    {
        return qobject_cast<Capability *>(extension(coreId));
    }

private:
    struct Loaded;
    const Loaded *companionOf(const QString &coreId) const;
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
