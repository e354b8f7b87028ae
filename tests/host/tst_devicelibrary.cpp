#include "devicelibrary.h"
#include "hostfixtures.h"

#include <QSet>
#include <QtTest>

using DEV::DeviceLibrary;
using DEV::DevicePart;

class TestDeviceLibrary : public QObject
{
    Q_OBJECT

private slots:
    void everyPllModelHasBothSpeedGroups_data();
    void everyPllModelHasBothSpeedGroups();
    void tableIsConsistent();
    void findsParts();
};

void TestDeviceLibrary::everyPllModelHasBothSpeedGroups_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("fastCodes");
    QTest::addColumn<QStringList>("slowCodes");

    const QStringList vx1Fast{"C7", "C6", "I5", "A4"}, vx1Slow{"C5", "I4", "ES"};
    const QStringList vx2Fast{"C9", "I8", "C8", "I7", "A6"}, vx2Slow{"C7", "I6", "ES"};
    for (const QString &model : HostTest::pllTableModels()) {
        const bool vx1 = model.startsWith("VX1");
        QTest::newRow(qPrintable(model))
            << model << (vx1 ? vx1Fast : vx2Fast) << (vx1 ? vx1Slow : vx2Slow);
    }
}

// The PLL search picks its limits by finding these codes in the condition text; the fast group
// is tested first, so a slow part must carry none of the fast codes.
void TestDeviceLibrary::everyPllModelHasBothSpeedGroups()
{
    QFETCH(QString, model);
    QFETCH(QStringList, fastCodes);
    QFETCH(QStringList, slowCodes);

    const auto containsAny = [](const QString &condition, const QStringList &codes) {
        return std::any_of(codes.cbegin(), codes.cend(),
                           [&](const QString &code) { return condition.contains(code); });
    };
    const QStringList conditions = DeviceLibrary::conditions(model);
    QVERIFY2(!conditions.isEmpty(), "model missing from the device table");
    bool fast = false, slow = false;
    for (const QString &condition : conditions) {
        const bool isFast = containsAny(condition, fastCodes);
        const bool isSlow = !isFast && containsAny(condition, slowCodes);
        QVERIFY2(isFast || isSlow, qPrintable(condition + " has no speed-grade code"));
        fast |= isFast;
        slow |= isSlow;
    }
    QVERIFY(fast);
    QVERIFY(slow);
}

// Identifiers are written into configuration files, so their scheme must not drift; a model the
// PLL table lacks is needed to show an unsupported device.
void TestDeviceLibrary::tableIsConsistent()
{
    const QStringList models = DeviceLibrary::models();
    QCOMPARE(QSet<QString>(models.cbegin(), models.cend()).size(), models.size());
    QVERIFY(std::any_of(models.cbegin(), models.cend(), [](const QString &model) {
        return !HostTest::pllTableModels().contains(model);
    }));
    QSet<QString> ids;
    for (const DevicePart &part : DeviceLibrary::parts()) {
        QCOMPARE(part.id, part.model + part.package + part.condition);
        QVERIFY2(!ids.contains(part.id), qPrintable(part.id));
        ids.insert(part.id);
    }
    QVERIFY(ids.contains("VX1-10LQ144C6/I5"));
}

void TestDeviceLibrary::findsParts()
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

QTEST_GUILESS_MAIN(TestDeviceLibrary)
#include "tst_devicelibrary.moc"
