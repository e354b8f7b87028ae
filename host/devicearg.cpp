#include "devicearg.h"

namespace DEV {

DeviceArg::DeviceArg(const QString &device, const QString &condition, const QString &id)
    : m_device(device), m_condition(condition), m_id(id)
{
}

} // namespace DEV
