#include "ddr3phy.h"

#include "coremanagers.h"
#include "ddr3phydialog.h"
#include "ipcorefunctions.h"

namespace DDR3PHY {

DDR3PHY::DDR3PHY(const QString &coreDirectory) : m_coreDirectory(coreDirectory) {}

DDR3PHY::~DDR3PHY() = default;

void DDR3PHY::createIP(const QString &path, const DEV::DeviceArg &device)
{
    DDR3PHYDialog dialog(&m_coreInfo, Core::ViewManager::dialogParent());
    dialog.setCreating(path, device);
    dialog.exec();
}

void DDR3PHY::openIP(const QString &first, const QString &second)
{
    DDR3PHYDialog dialog(&m_coreInfo, Core::ViewManager::dialogParent());
    if (dialog.setOpening(first, second))
        dialog.exec();
}

bool DDR3PHY::loadSpec()
{
    m_coreInfo = IPCore::processIPInfoSpec(m_coreDirectory + "/ddr3phy.ipspec");
    if (!IPCore::checkCommonInfo(m_coreInfo))
        return false;
    m_coreInfo.insert(QStringLiteral("ipcore.dir.data"), m_coreDirectory + "/data");
    return true;
}

QString DDR3PHY::version() const
{
    return m_coreInfo.value(QStringLiteral("ipcore.version")).toString();
}

QString DDR3PHY::id() const
{
    return m_coreInfo.value(QStringLiteral("ipcore.id")).toString();
}

QString DDR3PHY::name() const
{
    return m_coreInfo.value(QStringLiteral("ipcore.name")).toString();
}

QStringList DDR3PHY::category() const
{
    return m_coreInfo.value(QStringLiteral("ipcore.category")).toStringList();
}

QString DDR3PHY::summary() const
{
    return m_coreInfo.value(QStringLiteral("ipcore.doc.summary")).toString();
}

bool DDR3PHY::isSupported(const DEV::DeviceArg &device) const
{
    const QStringList supported =
        m_coreInfo.value(QStringLiteral("ipcore.device.supported")).toStringList();
    const QStringList unsupported =
        m_coreInfo.value(QStringLiteral("ipcore.device.unsupported")).toStringList();
    return IPCore::isSupported(device, unsupported, supported);
}

} // namespace DDR3PHY
