#include "devicelibrary.h"
#include "pllsearch.h"

#include <QSet>
#include <QtTest>

using DDR3PHY::PllLimits;
using DEV::DeviceLibrary;
using DEV::DevicePart;

class TestDeviceLibrary : public QObject
{
    Q_OBJECT

private slots:
    // The PLL search picks its limits by the speed-grade codes in the condition text: every part of
    // a model it knows must find limits, and each such model must reach both of its groups.
    void everyPllModelHasBothSpeedGroups()
    {
        QSet<QString> pllModels;
        for (const DDR3PHY::PllLimitsRow &row : DDR3PHY::pllLimitsTable())
            pllModels.unite(QSet<QString>(row.models.cbegin(), row.models.cend()));
        QMap<QString, QSet<int>> groups; // model → the VCO maxima its parts reach
        for (const DevicePart &part : DeviceLibrary::parts()) {
            const PllLimits limits = DDR3PHY::pllLimits(part.model, part.condition);
            QCOMPARE(limits.pfdMax > 0, pllModels.contains(part.model));
            if (limits.pfdMax > 0)
                groups[part.model].insert(limits.vcoHigh);
        }
        QCOMPARE(groups.size(), pllModels.size());
        for (auto it = groups.cbegin(); it != groups.cend(); ++it)
            QVERIFY2(it.value().size() == 2, qPrintable(it.key()));
    }

    // Identifiers are written into configuration files, so their scheme must not drift; a model the
    // PLL table lacks is needed to show an unsupported device.
    void tableIsConsistent()
    {
        const QStringList models = DeviceLibrary::models();
        QCOMPARE(QSet<QString>(models.cbegin(), models.cend()).size(), models.size());
        const QList<DevicePart> &parts = DeviceLibrary::parts();
        QVERIFY(std::any_of(parts.cbegin(), parts.cend(), [](const DevicePart &part) {
            return DDR3PHY::pllLimits(part.model, part.condition).pfdMax == 0;
        }));
        QSet<QString> ids;
        for (const DevicePart &part : DeviceLibrary::parts()) {
            QCOMPARE(part.id, part.model + part.package + part.condition);
            QVERIFY2(!ids.contains(part.id), qPrintable(part.id));
            ids.insert(part.id);
        }
        QVERIFY(ids.contains("VX1-10LQ144C6/I5"));
    }

    void findsParts()
    {
        DEV::DeviceArg found;
        QVERIFY(DeviceLibrary::findById("VX2-60FG676C7/I6", &found));
        QCOMPARE(found.device(), QString("VX2-60"));
        QCOMPARE(found.condition(), QString("C7/I6"));
        QCOMPARE(found.id(), QString("VX2-60FG676C7/I6"));

        QVERIFY(DeviceLibrary::find("VX1-10", "ES", &found));
        QCOMPARE(found.condition(), QString("ES"));
        QVERIFY(DeviceLibrary::find("VX1-10", QString(), &found));
        QCOMPARE(found.id(), DeviceLibrary::parts().first().id);

        const DEV::DeviceArg untouched = found;
        QVERIFY(!DeviceLibrary::find("VX1-10", "C9", &found));
        QVERIFY(!DeviceLibrary::findById("vx1-10lq144c6/i5", &found));
        QCOMPARE(found.id(), untouched.id());
    }
};

QTEST_GUILESS_MAIN(TestDeviceLibrary)
#include "tst_devicelibrary.moc"
