#pragma once

#include "ippackage.h"

#include <QMap>
#include <QVariant>

namespace DDR3PHY {

// The catalogue entry of the DDR3 PHY core; its answers come from ddr3phy.ipspec.
class DDR3PHY : public IPCore::BaseIPCore
{
public:
    explicit DDR3PHY(const QString &coreDirectory);
    ~DDR3PHY() override;

    void createIP(const QString &path, const DEV::DeviceArg &device) override;
    void openIP(const QString &first, const QString &second) override;
    bool loadSpec() override;
    QString version() const override;
    QString id() const override;
    QString name() const override;
    QStringList category() const override;
    QString summary() const override;
    bool isSupported(const DEV::DeviceArg &device) const override;

    const QMap<QString, QVariant> &coreInformation() const { return m_coreInfo; }

private:
    QMap<QString, QVariant> m_coreInfo;
    QString m_coreDirectory;
};

} // namespace DDR3PHY
