#pragma once

#include "ippackage.h"

namespace DDR3PHY {

// The object the plug-in hands the host: it contributes the DDR3 PHY core.
class DDR3PHYPackage : public IPCore::IPPackage
{
    Q_OBJECT
    Q_INTERFACES(IPCore::IPPackage)
public:
    DDR3PHYPackage();
    ~DDR3PHYPackage() override;

    QList<IPCore::BaseIPCore *> createIPCores() override;
};

} // namespace DDR3PHY
