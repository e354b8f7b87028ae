#include "presets.h"
#include "speedbins.h"

#include <QtTest>

#include <algorithm>
#include <tuple>

using namespace DDR3PHY;

class TestSpeedBins : public QObject
{
    Q_OBJECT
private slots:
    void cwlRangesAreContiguous()
    {
        const QList<CwlRange> &ranges = cwlRanges();
        QCOMPARE(ranges.first().cwl, 5);
        QCOMPARE(ranges.first().maxPs, dllOnTckMaxPs);
        for (int i = 0; i + 1 < ranges.size(); ++i) {
            QVERIFY(ranges[i].minPs < ranges[i].maxPs);
            QCOMPARE(ranges[i].minPs, ranges[i + 1].maxPs); // no clock without a CWL
            QCOMPARE(ranges[i + 1].cwl, ranges[i].cwl + 1);
        }
        QCOMPARE(ranges.last().minPs, speedBins().last().tckMinPs);
    }

    void binInvariants()
    {
        const QList<CwlRange> &ranges = cwlRanges();
        for (int b = 0; b < speedBins().size(); ++b) {
            const SpeedBin &bin = speedBins()[b];
            const QByteArray name = bin.name.toLatin1();
            if (b > 0) { // slowest rate first, then by tAA
                const SpeedBin &before = speedBins()[b - 1];
                QVERIFY2(std::make_tuple(-before.tckMinPs, before.taaMinPs) <
                             std::make_tuple(-bin.tckMinPs, bin.taaMinPs),
                         name);
            }
            // JEDEC bins are n-n-n: tRCD and tRP equal tAA; tRC = tRAS + tRP.
            QCOMPARE(bin.trcdMinPs, bin.taaMinPs);
            QCOMPARE(bin.trpMinPs, bin.taaMinPs);
            QVERIFY2(qAbs(bin.trcMinPs - bin.trasMinPs - bin.trpMinPs) <= 10, name);
            QVERIFY2(bin.tckeMinPs >= 5000 && bin.tckeMinPs <= 7500, name);
            int fastest = dllOnTckMaxPs;
            int clAtFastest = 0;
            for (int i = 0; i < bin.rows.size(); ++i) {
                const SpeedBinRow &row = bin.rows[i];
                const QByteArray where = name + QByteArray(" CL") + QByteArray::number(row.cl) +
                                         "/CWL" + QByteArray::number(row.cwl);
                const auto range =
                    std::find_if(ranges.cbegin(), ranges.cend(),
                                 [&](const CwlRange &r) { return r.cwl == row.cwl; });
                QVERIFY2(range != ranges.cend(), where);
                QVERIFY2(range->minPs <= row.minPs && row.minPs < row.maxPs &&
                             row.maxPs == range->maxPs,
                         where);
                QVERIFY2(row.cl >= 5 && row.cl <= 14 && row.cl >= row.cwl, where);
                const bool coversBin = psAtLeast(row.cl * double(row.minPs), bin.taaMinPs);
                if (!row.optional) {
                    QVERIFY2(coversBin, where); // every CL inside its bin
                } else if (row.cl == 5) {
                    // CL 5 is optional where tAA needs the 3 ns end of the CWL 5 range.
                    QVERIFY2(bin.taaMinPs > 12500 && row.minPs == 3000 && coversBin, where);
                } else {
                    // Down-bin rows serve parts with a 13.125 ns tAA only.
                    QVERIFY2(!coversBin, where);
                    QVERIFY2(psAtLeast(row.cl * double(row.minPs), downBinTaaPs), where);
                }
                if (i > 0) {
                    const SpeedBinRow &before = bin.rows[i - 1];
                    QVERIFY2(std::tie(before.cl, before.cwl) < std::tie(row.cl, row.cwl), where);
                }
                if (row.minPs < fastest || (row.minPs == fastest && row.cl < clAtFastest)) {
                    fastest = row.minPs;
                    clAtFastest = row.cl;
                }
            }
            // CL 5 with CWL 5 over the whole window where 5 clocks of 2.5 ns cover tAA (tAA up to
            // 12.5 ns), else from 3 ns as an optional row.
            const auto cl5 = std::find_if(bin.rows.cbegin(), bin.rows.cend(),
                                          [](const SpeedBinRow &r) { return r.cl == 5; });
            QVERIFY2(cl5 != bin.rows.cend() && cl5->cwl == 5, name);
            QCOMPARE(cl5->optional, bin.taaMinPs > 12500);
            QCOMPARE(cl5->minPs, bin.taaMinPs > 12500 ? 3000 : 2500);
            QCOMPARE(fastest, bin.tckMinPs);
            QCOMPARE(clAtFastest, clocksFor(bin.taaMinPs, bin.tckMinPs)); // the n of n-n-n
            QCOMPARE(speedBin(bin.name), &bin);
        }
        QVERIFY(!speedBin("DDR3-1600X"));
        for (int ratio : {0, 1}) // each preset part is checked against its own bin
            QVERIFY(speedBin(partSpeedBin(ratioSetup(ratio).memoryTypes.first())));
        for (int i = 0; i + 1 < densityRefresh().size(); ++i) {
            QCOMPARE(densityRefresh()[i + 1].megabits, 2 * densityRefresh()[i].megabits);
            QVERIFY(densityRefresh()[i].trfcMinPs < densityRefresh()[i + 1].trfcMinPs);
        }
    }

    // Bins against a maker's table that lists them: the Nanya 1Gb DDR3 D-die data sheet
    // (NT5CB128M8DN/NT5CB64M16DP), Rev. 1.3 Feb. 2012, p. 1, Table 1, which gives tRCD (= tRP),
    // tRC, tRAS and the clock range of each CL per speed grade. Two cells of that table allow
    // more than the bin, from the part's backward compatibility, and are left out: CL 8 from
    // 1.5 ns for -DH and CL 5 from 2.5 ns for -EJ.
    void makerTable_data()
    {
        QTest::addColumn<QString>("bin");
        QTest::addColumn<int>("taaPs");
        QTest::addColumn<int>("trcPs");
        QTest::addColumn<int>("trasPs");
        QTest::addColumn<QString>("clocks"); // "CL:from-to" in ps, as the table's ns

        const auto row = [](const char *grade, const char *bin, int taa, int trc, int tras,
                            const char *clocks) {
            QTest::newRow(grade) << bin << taa << trc << tras << clocks;
        };
        row("-BE", "DDR3-1066F", 13125, 50625, 37500,
            "5:3000-3300 6:2500-3300 7:1875-2500 8:1875-2500");
        row("-CF", "DDR3-1333G", 12000, 48000, 36000,
            "5:2500-3300 6:2500-3300 7:1875-2500 8:1500-2500 9:1500-1875 10:1500-1875");
        row("-DH", "DDR3-1600J", 12500, 47500, 35000,
            "5:2500-3300 6:2500-3300 7:1875-2500 9:1500-1875 10:1250-1875 11:1250-1500");
        row("-EJ", "DDR3-1866L", 12840, 46840, 34000,
            "6:2500-3300 7:1875-2500 8:1875-2500 9:1500-1875 10:1500-1875 11:1250-1500 "
            "12:1070-1250 13:1070-1250");
        row("-FK", "DDR3-2133M", 12155, 45155, 33000,
            "5:2500-3300 6:2500-3300 7:1875-2500 8:1875-2500 9:1500-1875 10:1250-1875 "
            "11:1250-1500 12:1070-1250 13:938-1250 14:938-1070");
    }

    void makerTable()
    {
        QFETCH(QString, bin);
        QFETCH(QString, clocks);
        const SpeedBin *b = speedBin(bin);
        QVERIFY(b);
        QTEST(b->taaMinPs, "taaPs");
        QTEST(b->trcdMinPs, "taaPs");
        QTEST(b->trpMinPs, "taaPs");
        QTEST(b->trcMinPs, "trcPs");
        QTEST(b->trasMinPs, "trasPs");
        // The table rounds 1.0714 ns to 1.07 ns.
        const auto near = [](int ps, int tablePs) { return qAbs(ps - tablePs) <= 2; };
        for (const QString &cell : clocks.split(' ')) {
            const QStringList clAndRange = cell.split(':');
            const QStringList range = clAndRange[1].split('-');
            const int cl = clAndRange[0].toInt();
            int from = dllOnTckMaxPs;
            int to = 0;
            for (const SpeedBinRow &r : b->rows) {
                if (r.cl == cl) {
                    from = qMin(from, r.minPs);
                    to = qMax(to, r.maxPs);
                }
            }
            QVERIFY2(near(from, range[0].toInt()) && near(to, range[1].toInt()),
                     qPrintable(QStringLiteral("CL %1: %2-%3 ps").arg(cl).arg(from).arg(to)));
        }
    }

    // Clock periods compare with the rounding noise clocksFor ignores, so a PLL result a hair
    // off an edge counts as the edge.
    void tolerance_data()
    {
        QTest::addColumn<double>("tckPs");
        QTest::addColumn<int>("cwl"); // 0: outside the DLL-on clocks

        QTest::newRow("a hair below 2500") << 2499.999999 << 5;
        QTest::newRow("2500") << 2500.0 << 5;
        QTest::newRow("clearly below 2500") << 2499.9 << 6;
        QTest::newRow("a hair below 1875") << 1874.999999 << 6;
        QTest::newRow("1875 of 533.33 MHz") << 1e6 / (1600.0 / 3) << 6;
        QTest::newRow("a hair above 3300") << 3300.000001 << 5;
        QTest::newRow("above 3300") << 3300.5 << 0;
        QTest::newRow("faster than DDR3-2133") << 937.0 << 0;
    }

    void tolerance()
    {
        QFETCH(double, tckPs);
        const CwlRange *range = cwlRangeAt(tckPs);
        QTEST(range ? range->cwl : 0, "cwl");
    }
};

QTEST_GUILESS_MAIN(TestSpeedBins)
#include "tst_speedbins.moc"
