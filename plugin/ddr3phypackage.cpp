#include "ddr3phypackage.h"

#include "ddr3phy.h"
#include "libraryentry.h"

namespace DDR3PHY {

DDR3PHYPackage::DDR3PHYPackage() : IPCore::IPPackage(nullptr) {}

DDR3PHYPackage::~DDR3PHYPackage() = default;

QList<IPCore::BaseIPCore *> DDR3PHYPackage::createIPCores()
{
    QList<IPCore::BaseIPCore *> cores;
    auto *core = new DDR3PHY(coreDirectory);
    if (core->loadSpec())
        cores.append(core);
    else
        delete core;
    return cores;
}

} // namespace DDR3PHY

extern "C" Q_DECL_EXPORT QObject *qt_plugin_instance()
{
    return DDR3PHY::libraryInstance<DDR3PHY::DDR3PHYPackage>();
}

extern "C" Q_DECL_EXPORT const char *qt_plugin_query_verification_data()
{
    return DDR3PHY::libraryVerificationData();
}
