#include "configtable.h"
#include "generationreport.h"
#include "memoryparts.h"
#include "speedbins.h"

#include <QtTest>

using namespace DDR3PHY;

namespace {

// A record as read back from an .ipc file (values are texts): the 1:2 part at 200 MHz as the
// dialog writes it (tests/plugin/expected), with changes; "KEY=-" drops a key.
QMap<QString, QVariant> record(const QString &changes)
{
    QSettings written(qEnvironmentVariable("DDR3PHY_SOURCE_DIR") +
                          "/tests/plugin/expected/ddr3_phy_out.ipc",
                      QSettings::IniFormat);
    Record r = configRecord(written);
    for (const QString &pair : changes.split(' ', Qt::SkipEmptyParts)) {
        const QStringList kv = pair.split('=');
        if (kv.value(1) == "-")
            r.remove(kv[0]);
        else
            r.insert(kv[0], kv.value(1));
    }
    return r;
}

} // namespace

class TestGenerationReport : public QObject
{
    Q_OBJECT
private slots:
    void checks_data()
    {
        QTest::addColumn<double>("tckPs");
        QTest::addColumn<QString>("changes");  // record edits over the 1:2 part
        QTest::addColumn<QString>("verdicts"); // tCK, CL/CWL, tRCD.., WR, tRFC, tREFI, tDLLK
        QTest::addColumn<QString>("text");     // ends one check's text

        const auto row = [](const char *tag, double tckPs, const QString &changes,
                            const char *verdicts, const char *text) {
            QTest::newRow(tag) << tckPs << changes << verdicts << text;
        };
        // At 1:2, CAS index 0 is 11; with Custom (MEMORY_TYPE=1) CAS and CWL index n is 5 + n.
        const QString cl6 = "MEMORY_TYPE=1 CAS_LATENCY=1 ";
        const char *everyBin = "allowed by DDR3-800D/E, DDR3-1066E/F/G, DDR3-1333F/G/H/J, "
                               "DDR3-1600G/H/J/K, DDR3-1866J/K/L/M, DDR3-2133K/L/M/N";
        row("part at 200 MHz", 5000, "", "WWOOOOO",
            "AD3U160022G11, does not run at this clock; this pair is legal at no clock");
        row("3300 ps is DLL-on", 3300, cl6, "OOOOOOO", everyBin);
        row("just slower", 3300.5, cl6, "WWOOOOO", "runs at this clock");
        row("1:4 part's bin has CL 5 from 3 ns only", 2500, "CLK_RATIO=1", "OWWOOOO",
            "DDR3-1600K, the speed bin of MT41J128M16JT-125k, does not allow it; this clock takes "
            "CWL 5 with CL 6");
        row("1:4 part's tRCD and tRP against its bin", 1875,
            "CLK_RATIO=1 CAS_LATENCY=3 CW_LATENCY=1 WRITE_RECOVERY=3", "OOWOOOO",
            "too short at tCK 1875.0 ps: tRCD 12500 ps (7 clocks, DDR3-1600K needs 13750 ps, 8 "
            "clocks); tRP 12500 ps (7 clocks, DDR3-1600K needs 13750 ps, 8 clocks)");
        row("down-bin rows named optional", 1875,
            "MEMORY_TYPE=1 CAS_LATENCY=2 CW_LATENCY=1 WRITE_RECOVERY=3", "OOOOOOO",
            "allowed by DDR3-1066E/F, DDR3-1333F/G, DDR3-1600G/H/J, DDR3-1866J/K/L, "
            "DDR3-2133K/L/M/N; by the optional "
            "row of DDR3-1333H, DDR3-1600K, DDR3-1866M (parts that support it)");
        row("2500 ps takes CWL 5", 2500, cl6 + "CW_LATENCY=1", "OWOOOOO",
            "takes CWL 5 with CL 5, 6");
        row("under 2500 ps takes CWL 6", 2499, cl6 + "CW_LATENCY=1 WRITE_RECOVERY=2", "OOOOOOO",
            "allowed by DDR3-1066E, DDR3-1333F, DDR3-1600G/H, DDR3-1866J, DDR3-2133K/L");
        row("333.33 MHz, WR 5 exact", 1e6 / (20.0 / 3 * 50), "MEMORY_TYPE=1 WRITE_RECOVERY=0",
            "OOOOOOO", "(5 clocks at tCK 3000.0 ps)");
        row("WR short", 2000, "MEMORY_TYPE=1 CAS_LATENCY=2 CW_LATENCY=1", "OOOWOOO",
            "choose Write Recovery 8 or more");
        row("WR 9 needed, 10 offered", 1700,
            "MEMORY_TYPE=1 CAS_LATENCY=4 CW_LATENCY=2 WRITE_RECOVERY=3", "OOOWOOO",
            "choose Write Recovery 10 or more");
        row("2 Gb needs 160 ns", 2500, cl6 + "tRFC=110000", "OOOOWOO",
            "shorter than the 160000 ps 2 Gb devices need");
        row("1 Gb x16 takes 110 ns", 2500,
            cl6 + "MEMORY_TYPE=1 ROW_ADDR=1 DRAM_WIDTH=2 tRFC=110000", "OOOOOOO",
            "covers the 110000 ps of 1 Gb devices");
        row("no DDR3 density", 2500, cl6 + "ROW_ADDR=0 COL_ADDR=0 DRAM_WIDTH=0", "OOOOWOO",
            "64 Mb devices, not a DDR3 density: tRFC 160000 ps not checked");
        row("tREFI too long", 2500, cl6 + "tREFI=7800001", "OOOOOWO",
            "the longest average refresh interval of DDR3");
        row("tREFI under tRFC", 2500, cl6 + "tREFI=160000", "OOOOOWO", "nothing but refresh");
        row("tDLLK short", 2500, cl6 + "tDLLK=511", "OOOOOOW",
            "shorter than the 512 the DLL needs to lock");
    }

    void checks()
    {
        QFETCH(double, tckPs);
        QFETCH(QString, changes);
        QFETCH(QString, text);
        QString error;
        const std::optional<MemorySetup> setup = memorySetup(record(changes), &error);
        QVERIFY2(setup, qPrintable(error));
        ClockResult clock;
        clock.pll = {true, 1, 1, 1e6 / tckPs, 2};
        clock.tckPs = tckPs;
        QString got;
        QString texts = "|";
        for (const Check &check : jedecChecks(*setup, clock)) {
            got += check.verdict == Verdict::Ok ? 'O' : 'W';
            texts += check.text + '|';
        }
        QTEST(got, "verdicts");
        QVERIFY2(texts.contains(text + '|'), qPrintable(texts));
    }

    void setupFromRecord_data()
    {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("expected"); // "CL/CWL/WR x<width> <row>/<col>", or the error

        const auto row = [](const char *tag, const char *changes, const char *expected) {
            QTest::newRow(tag) << changes << expected;
        };
        row("1:2 part", "", "11/5/6 x8 15/10");
        row("1:4 part", "CLK_RATIO=1 CAS_LATENCY=3 CW_LATENCY=1 WRITE_RECOVERY=4",
            "8/6/10 x8 15/10");
        row("custom",
            "MEMORY_TYPE=1 CAS_LATENCY=9 CW_LATENCY=7 WRITE_RECOVERY=7 DRAM_WIDTH=0 ROW_ADDR=4 "
            "COL_ADDR=0",
            "14/12/16 x4 16/9");
        row("part has one CL", "CAS_LATENCY=1", "CAS_LATENCY = 1 is outside 0 to 0");
        row("clock beyond 1:2", "MEMORY_CLK=400", "MEMORY_CLK = 400 is outside 100 to 300");
        row("missing key", "tRFC=-", "tRFC is missing or not a number");
        row("not a number", "REFERENCE_CLK=x", "REFERENCE_CLK is missing or not a number");
    }

    void setupFromRecord()
    {
        QFETCH(QString, changes);
        QString error;
        const std::optional<MemorySetup> s = memorySetup(record(changes), &error);
        const QString got = s ? QStringLiteral("%1/%2/%3 x%4 %5/%6")
                                    .arg(s->cl)
                                    .arg(s->cwl)
                                    .arg(s->writeRecovery)
                                    .arg(s->dramWidth)
                                    .arg(s->rowBits)
                                    .arg(s->colBits)
                              : error;
        QTEST(got, "expected");
    }

    // Timings go into clocks at the clock the PLL makes, not the one asked for; cells come from the
    // log's last statistics (the whole design's).
    void clockAndCells()
    {
        const std::optional<MemorySetup> setup = memorySetup(record("MEMORY_CLK=300"), nullptr);
        QVERIFY(setup);
        const QStringList log{"   Number of cells:  3",
                              "     $_NOT_   1",
                              "     VX_PLL   1",
                              "",
                              "=== design hierarchy ===",
                              "   Number of cells:  5",
                              "     $_NOT_   2",
                              "     VX_PLL   1",
                              "     $_MUX_   2",
                              "",
                              "4.26. Executing CHECK pass",
                              "     other   9"};
        // 50 MHz reference, 300 MHz asked for: the VX1-10 C6 PLL makes exactly 300.
        const GenerationReport exact = generationReport(
            "phy", "VX1-10", *setup, pllLimits("VX1-10", "C6"), yosysCellCounts(log));
        QCOMPARE(exact.cells.size(), 3);
        QCOMPARE(exact.cells.last().cell, QStringLiteral("$_MUX_"));
        const QStringList lines = reportLines(exact);
        QVERIFY(lines.contains(QStringLiteral("  total                     5")));
        // 7.5 ns is 3 clocks at 300 MHz, under the 4 that DDR3 puts under tRRD.
        QVERIFY(lines.contains(QStringLiteral(
            "  tRRD                      7500 ps       3 clocks, 4 with the DDR3 minimum")));

        // A 47.0013 MHz reference (21276 ps) makes 299.63 MHz (51 / 8) for 300.
        const std::optional<MemorySetup> odd =
            memorySetup(record("MEMORY_CLK=300 REFERENCE_CLK=24 ADDITIVE_LATENCY=1"), nullptr);
        QVERIFY(odd);
        const GenerationReport r =
            generationReport("phy", "VX1-10", *odd, pllLimits("VX1-10", "C6"), yosysCellCounts({}));
        QCOMPARE(r.clock.memoryMHz, 51 / 8.0 * (1e6 / 21276));
        QCOMPARE(qRound(r.clock.errorPpm), -1222);
        // tREFI: 2337.1 clocks at 299.63 MHz, but 2340 at the 300 MHz asked for.
        QCOMPARE(r.timings.at(9).name, QStringLiteral("tREFI"));
        QCOMPARE(r.timings.at(9).clocks, 2338);
        QVERIFY(
            reportLines(r).contains(QStringLiteral("  CL / CWL / AL        11 / 5 / 10 clocks")));
    }

    // A report of settings taken from a part names it and checks the core against it.
    void partInReport()
    {
        const std::optional<MemorySetup> setup =
            memorySetup(record("CLK_RATIO=1 MEMORY_CLK=533 CAS_LATENCY=3 CW_LATENCY=1"), nullptr);
        QVERIFY(setup);
        const MemoryPart *part = memoryPart("MT41K512M8RH-125:E");
        QVERIFY(part);
        const GenerationReport r =
            generationReport("phy", "VX1-10", *setup, pllLimits("VX1-10", "C6"), {}, *part);
        QVERIFY(reportLines(r).contains("  Memory part          MT41K512M8RH-125:E, DDR3-1600K (" +
                                        part->source + ')'));
        const QStringList warnings = reportWarnings(r);
        QVERIFY2(
            warnings.contains("x8 devices with 15 row and 10 column bits, but "
                              "MT41K512M8RH-125:E has x8 devices with 16 row and 10 column bits"),
            qPrintable(warnings.join('\n')));
        QVERIFY2(!warnings
                      .filter(QRegularExpression("^tRFC 160000 ps \\(\\d+ clocks\\) is shorter "
                                                 "than the 260000 ps"))
                      .isEmpty(),
                 qPrintable(warnings.join('\n')));
        QVERIFY(!generationReport("phy", "VX1-10", *setup, pllLimits("VX1-10", "C6"), {}).part);

        // A DDR3L part's rail changes the FPGA banks' I/O standard; a 1.5 V part says nothing.
        QCOMPARE(reportLines(r)
                     .filter(QRegularExpression(
                         "^  I/O standard +SSTL135: " + QRegularExpression::escape(part->name) +
                         " is a DDR3L part at 1.35 V"))
                     .size(),
                 1);
        QVERIFY(reportLines(generationReport("phy", "VX1-10", *setup, pllLimits("VX1-10", "C6"), {},
                                             *memoryPart("MT41J128M16JT-125:K")))
                    .filter("SSTL135")
                    .isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestGenerationReport)
#include "tst_generationreport.moc"
