#include "presets.h"

#include <QtTest>

using namespace DDR3PHY;

Q_DECLARE_METATYPE(DDR3PHY::PresetKind)

class TestPresets : public QObject
{
    Q_OBJECT

private slots:
    void ratioSetup_data();
    void ratioSetup();
    void memoryPreset_data();
    void memoryPreset();
    void chipTimings();
    void referenceClocks();
};

void TestPresets::ratioSetup_data()
{
    QTest::addColumn<int>("ratioIndex");
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("clockMax");
    QTest::addColumn<QString>("rangeText");
    QTest::addColumn<QString>("burstMode");
    QTest::addColumn<bool>("burstModeEnabled");

    QTest::newRow("1:2") << 0 << "AD3U160022G11" << 300 << "(100 - 300)"
                         << "4" << true;
    QTest::newRow("1:4") << 1 << "MT41J128M16JT-125k" << 700 << "(100 - 700)"
                         << "8" << false;
    QTest::newRow("unknown index is 1:4") << 7 << "MT41J128M16JT-125k" << 700 << "(100 - 700)"
                                          << "8" << false;
}

void TestPresets::ratioSetup()
{
    QFETCH(int, ratioIndex);
    const QStringList burstModes{"4", "8", "OTF"};

    const RatioSetup &setup = DDR3PHY::ratioSetup(ratioIndex);
    QTEST(setup.memoryTypes.value(0), "part");
    QCOMPARE(setup.memoryTypes.value(1), QStringLiteral("Custom"));
    QCOMPARE(setup.memoryTypes.size(), 2);
    QCOMPARE(setup.clockMin, 100);
    QTEST(setup.clockMax, "clockMax");
    QTEST(setup.clockRangeText, "rangeText");
    QCOMPARE(setup.clockValue, 200);
    QTEST(burstModes.value(setup.burstModeIndex), "burstMode");
    QTEST(setup.burstModeEnabled, "burstModeEnabled");
}

void TestPresets::memoryPreset_data()
{
    QTest::addColumn<PresetKind>("kind");
    QTest::addColumn<QString>("lastDq");
    QTest::addColumn<bool>("locks");
    QTest::addColumn<QString>("dramWidth");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("casLatencies");
    QTest::addColumn<QStringList>("cwLatencies");

    QTest::newRow("AD3U160022G11") << PresetKind::Chip12 << "64" << true << "8"
                                   << "15" << QStringList{"11"} << QStringList{"5", "6", "7"};
    QTest::newRow("MT41J128M16JT-125k")
        << PresetKind::Chip14 << "72" << true << "16"
        << "14" << QStringList{"5", "6", "7", "8"} << QStringList{"5", "6"};
    QTest::newRow("Custom") << PresetKind::Custom << "72" << false << QString() << QString()
                            << QStringList{"5", "6", "7", "8", "9", "10", "11", "12", "13", "14"}
                            << QStringList{"5", "6", "7", "8", "9", "10", "11", "12"};
}

void TestPresets::memoryPreset()
{
    QFETCH(PresetKind, kind);
    QFETCH(bool, locks);
    // The lists the presets index into but never rebuild.
    const QStringList dramWidths{"4", "8", "16"};
    const QStringList rows{"12", "13", "14", "15", "16"};
    const QStringList cols{"9", "10"};

    const MemoryPreset &preset = DDR3PHY::memoryPreset(kind);
    QCOMPARE(preset.dqWidths.first(), QStringLiteral("8"));
    QTEST(preset.dqWidths.last(), "lastDq");
    for (int i = 0; i < preset.dqWidths.size(); ++i)
        QCOMPARE(preset.dqWidths.at(i).toInt(), 8 * (i + 1));
    QCOMPARE(preset.dqWidths.value(preset.dqIndex), QStringLiteral("16"));
    QCOMPARE(preset.locks, locks);
    if (locks) {
        QTEST(dramWidths.value(preset.dramWidthIndex), "dramWidth");
        QTEST(rows.value(preset.rowIndex), "row");
        QCOMPARE(cols.value(preset.colIndex), QStringLiteral("10"));
    }
    QTEST(preset.casLatencies, "casLatencies");
    QTEST(preset.cwLatencies, "cwLatencies");
    QCOMPARE(preset.casLatencies.value(preset.casIndex), preset.casLatencies.first());
    QCOMPARE(preset.cwLatencies.value(preset.cwIndex), QStringLiteral("5"));
}

void TestPresets::chipTimings()
{
    for (PresetKind kind : {PresetKind::Chip12, PresetKind::Chip14}) {
        const Timings &t = DDR3PHY::memoryPreset(kind).timings;
        const QList<int> values{t.tRp,  t.tRrd, t.tRtp, t.tRcd,  t.tRc,  t.tRas,
                                t.tFaw, t.tWtr, t.tCke, t.tRefi, t.tRfc, t.tDllk};
        const QList<int> expected{12500, 7500, 7500,  12500,   55000,  37500,
                                  40000, 7500, 75000, 7800000, 160000, 512};
        QCOMPARE(values, expected);
    }
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
