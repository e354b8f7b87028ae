#include "ddr3phypackage.h"

#include "ddr3phy.h"
#include "verificationrecord.h"

#include <QPointer>

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

// The host may delete the package; the guard then clears and the next call makes a fresh one.
extern "C" Q_DECL_EXPORT QObject *qt_plugin_instance()
{
    static QPointer<QObject> instance;
    if (!instance)
        instance = new DDR3PHY::DDR3PHYPackage;
    return instance;
}

extern "C" Q_DECL_EXPORT const char *qt_plugin_query_verification_data()
{
    static const QByteArray record = DDR3PHY::buildVerificationRecord();
    return record.constData();
}
