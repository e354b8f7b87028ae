#pragma once

#include "devicearg.h"
#include "hostglobal.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace IPCore {

// One catalogue entry. The host owns every descriptor a package hands it and deletes it through
// this virtual destructor.
class IPCOREHOST_EXPORT BaseIPCore
{
public:
    virtual ~BaseIPCore();
    virtual void createIP(const QString &path, const DEV::DeviceArg &device) = 0;
    virtual void openIP(const QString &first, const QString &second) = 0;
    virtual bool loadSpec() = 0;
    virtual QString version() const = 0;
    virtual QString id() const = 0;
    virtual QString name() const = 0;
    virtual QStringList category() const = 0;
    virtual QString summary() const = 0;
    virtual bool isSupported(const DEV::DeviceArg &device) const = 0;
};

// The object a core plug-in library hands the host. The host fills coreDirectory (the folder
// holding the core's description file and its data folder) before it asks for the cores.
class IPCOREHOST_EXPORT IPPackage : public QObject
{
    Q_OBJECT
public:
    explicit IPPackage(QObject *parent = nullptr);
    ~IPPackage() override;

    virtual QList<BaseIPCore *> createIPCores() = 0;

    QString coreDirectory;
};

} // namespace IPCore

#define IPCore_IPPackage_iid "com.veltrasemi.plugins.IPPackage/1.0"
Q_DECLARE_INTERFACE(IPCore::IPPackage, IPCore_IPPackage_iid)
