#include "presets.h"

#include <QtTest>

using namespace DDR3PHY;

class TestPresets : public QObject
{
    Q_OBJECT

private slots:
    void ratioSetup_data();
    void ratioSetup();
    void referenceClocks();
};

void TestPresets::ratioSetup_data()
{
    QTest::addColumn<int>("ratioIndex");
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("clockMax");
    QTest::addColumn<int>("burstModeIndex");
    QTest::addColumn<bool>("burstModeEnabled");

    QTest::newRow("1:2") << 0 << "AD3U160022G11" << 300 << 0 << true;
    QTest::newRow("1:4") << 1 << "MT41J128M16JT-125k" << 700 << 1 << false;
    QTest::newRow("unknown index is 1:4") << 7 << "MT41J128M16JT-125k" << 700 << 1 << false;
}

void TestPresets::ratioSetup()
{
    QFETCH(int, ratioIndex);
    QFETCH(int, clockMax);

    const RatioSetup &setup = DDR3PHY::ratioSetup(ratioIndex);
    QTEST(setup.memoryTypes.value(0), "part");
    QCOMPARE(setup.memoryTypes.mid(1), QStringList{"Custom"});
    QCOMPARE(setup.clockMin, 100);
    QCOMPARE(setup.clockMax, clockMax);
    QCOMPARE(setup.clockRangeText, QStringLiteral("(100 - %1)").arg(clockMax));
    QCOMPARE(setup.clockValue, 200);
    QTEST(setup.burstModeIndex, "burstModeIndex");
    QTEST(setup.burstModeEnabled, "burstModeEnabled");
}

void TestPresets::referenceClocks()
{
    const QList<int> &periods = referenceClockPeriods();
    QCOMPARE(periods.size(), 34);
    QCOMPARE(periods.first(), 2500);
    QCOMPARE(periods.last(), 55555);
    for (int i = 1; i < periods.size(); ++i)
        QVERIFY2(periods.at(i - 1) < periods.at(i), qPrintable(QString::number(periods.at(i))));
    QCOMPARE(defaultReferenceClockPeriod, 20000);
    QVERIFY(periods.contains(defaultReferenceClockPeriod));
    QVERIFY(periods.contains(21276));
    QCOMPARE(referenceClockItemText(20000), QStringLiteral("20000 ps"));
}

QTEST_GUILESS_MAIN(TestPresets)
#include "tst_presets.moc"
