#pragma once

#include "hostglobal.h"

#include <QString>

namespace DEV {

// The target device as the host hands it to a core: model name ("VX1-10"), speed-grade and
// operating-condition text ("C6/I5") and the part identifier stored in configuration files.
class IPCOREHOST_EXPORT DeviceArg
{
public:
    DeviceArg() = default;
    DeviceArg(const QString &device, const QString &condition, const QString &id);

    QString device() const { return m_device; }
    QString condition() const { return m_condition; }
    QString id() const { return m_id; }

private:
    QString m_device;
    QString m_condition;
    QString m_id;
};

} // namespace DEV
