#include "memoryparts.h"
#include "partsetup.h"
#include "presets.h"
#include "speedbins.h"

#include <QtTest>

#include <tuple>

using namespace DDR3PHY;

namespace {

// JEDEC tRRD and tFAW minimums by rate (tCKmin) for 1 KB and 2 KB pages.
struct PageTimings
{
    int tckMinPs, trrd1k, tfaw1k, trrd2k, tfaw2k;
};
constexpr PageTimings pageTimings[] = {
    {2500, 10000, 40000, 10000, 50000}, {1875, 7500, 37500, 10000, 50000},
    {1500, 6000, 30000, 7500, 45000},   {1250, 6000, 30000, 7500, 40000},
    {1071, 5000, 27000, 6000, 35000},   {938, 5000, 25000, 6000, 35000},
};

QString editsText(const QList<ControlEdit> &edits)
{
    QStringList texts;
    for (const ControlEdit &e : edits)
        texts << e.control + '=' + e.value;
    return texts.join(' ');
}

// The setup the dialog holds after the edits, as the report reads it.
MemorySetup setupAfter(const MemoryPart &part, const PartSetup &s)
{
    MemorySetup m;
    m.ratioIndex = 1;
    m.memoryType = QStringLiteral("Custom");
    m.dqWidth = part.dataWidth;
    m.dramWidth = part.deviceWidth;
    m.rowBits = part.rowBits;
    m.colBits = part.colBits;
    m.timings = s.timings;
    m.cl = s.cl;
    m.cwl = s.cwl;
    m.additiveLatency = QStringLiteral("0");
    m.writeRecovery = s.writeRecovery;
    return m;
}

} // namespace

class TestMemoryParts : public QObject
{
    Q_OBJECT
private slots:
    void tableInvariants()
    {
        const QList<MemoryPart> &parts = memoryParts();
        QVERIFY(parts.size() >= 24);
        QSet<QString> makers, widths, densities, voltages, modules;
        for (int i = 0; i < parts.size(); ++i) {
            const MemoryPart &p = parts[i];
            const QByteArray name = p.name.toLatin1();
            if (i > 0) {
                QVERIFY2(std::tie(parts[i - 1].maker, parts[i - 1].name) <
                             std::tie(p.maker, p.name),
                         name);
            }
            makers << p.maker;
            widths << QString::number(p.deviceWidth);
            densities << QString::number(p.densityMb);
            voltages << QString::number(p.vddMv);
            modules << dimmTypeText(p.module);
            QCOMPARE(memoryPart(p.name), &p);
            // Names are typed on command lines and completed as single words.
            QVERIFY2(!p.name.contains(QRegularExpression("\\s")), name);

            // Organisation: density from the address bits; a component's bus is its own.
            QCOMPARE(qint64(1) << (p.rowBits + p.colBits),
                     qint64(p.densityMb) * 1024 * 1024 / p.banks / p.deviceWidth);
            if (p.module == ModuleType::Component)
                QVERIFY2(p.dataWidth == p.deviceWidth && !p.ecc && p.ranks == 1, name);
            else
                QVERIFY2((p.dataWidth == 64 || p.dataWidth == 72) && p.ecc == (p.dataWidth == 72),
                         name);
            QVERIFY2(p.vddMv == 1500 || p.vddMv == 1350, name);
            // The core takes 9 or 10 column bits and one rank.
            QVERIFY2(partRefusal(p).isEmpty() == (p.colBits <= 10 && p.ranks == 1), name);

            // Speed: the bin's tAA, or the 13.125 ns of a down-bin part.
            const SpeedBin *bin = speedBin(p.speedBin);
            QVERIFY2(bin, name);
            QVERIFY2(p.taaPs == bin->taaMinPs || p.taaPs == downBinTaaPs, name);
            QVERIFY2(p.taaPs <= bin->taaMinPs, name);
            QVERIFY2(!p.casLatencies.isEmpty(), name);

            // Density and page size: tRFC, tRRD and tFAW at least JEDEC's.
            const auto refresh =
                std::find_if(densityRefresh().cbegin(), densityRefresh().cend(),
                             [&](const DensityRefresh &d) { return d.megabits == p.densityMb; });
            QVERIFY2(refresh != densityRefresh().cend() && p.trfcPs >= refresh->trfcMinPs, name);
            const int pageBytes = (1 << p.colBits) * p.deviceWidth / 8;
            QVERIFY2(pageBytes == 1024 || pageBytes == 2048, name);
            const auto page = std::find_if(std::cbegin(pageTimings), std::cend(pageTimings),
                                           [&](const auto &t) { return t.tckMinPs == p.tckMinPs; });
            QVERIFY2(page != std::cend(pageTimings), name);
            QVERIFY2(p.trrdPs >= (pageBytes == 1024 ? page->trrd1k : page->trrd2k), name);
            QVERIFY2(p.tfawPs >= (pageBytes == 1024 ? page->tfaw1k : page->tfaw2k), name);

            // Every row names the revision and page of the data sheet it comes from.
            QVERIFY2(p.source.contains(QRegularExpression("(Rev\\. |revision ).*p\\. \\d+")), name);
        }
        QVERIFY(makers.size() >= 5);
        QCOMPARE(widths, (QSet<QString>{"4", "8", "16"}));
        QCOMPARE(densities, (QSet<QString>{"1024", "2048", "4096", "8192"}));
        QCOMPARE(voltages, (QSet<QString>{"1500", "1350"}));
        QCOMPARE(modules, (QSet<QString>{"Components", "UDIMMs", "SODIMMs", "RDIMMs"}));
    }

    // Every row against the page its source names, written from that page: device/bus width,
    // density, row/column bits, bin, tAA, tRFC, tRRD, tFAW, VDD, ranks. "*" marks a value the
    // page does not give (the row holds JEDEC's minimum there).
    void rowValues_data()
    {
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *part, const char *expected) {
            QTest::newRow(part) << QString::fromLatin1(expected);
        };
        row("AS4C128M16D3LB-12BCN", "x16/16 2048 * 1600K 13125 * * * 1350 1");
        row("AS4C256M16D3B-12BCN", "x16/16 4096 15/10 1600K 13125 260000 7500 40000 1500 1");
        row("IS43TR16128A-125KBL", "x16/16 2048 14/10 1600K 13125 * * * 1500 1");
        row("IS43TR16128A-15HBL", "x16/16 2048 14/10 1333H 13125 * * * 1500 1");
        row("IS43TR16128C-125KBL", "x16/16 2048 14/10 1600K 13750 * * * 1500 1");
        row("IS43TR16640A-15HBL", "x16/16 1024 13/10 1333H 13500 * * * 1500 1");
        row("IS43TR81280A-15HBL", "x8/8 1024 14/10 1333H 13500 * * * 1500 1");
        row("IS43TR82560A-125KBL", "x8/8 2048 15/10 1600K 13125 * * * 1500 1");
        row("MT18JDF25672PDZ-1G6", "x8/72 1024 * 1600K 13125 * * * 1500 2");
        row("MT41J128M16JT-125:K", "x16/16 2048 * 1600K 13125 * * * 1500 1");
        row("MT41J256M8HX-15E:D", "x8/8 2048 * 1333H 13125 * * * 1500 1");
        row("MT41J512M4HX-15E:D", "x4/4 2048 * 1333H 13125 * * * 1500 1");
        row("MT41K256M16TW-107AIT:P", "x16/16 4096 * 1866M 13910 * * * 1350 1");
        row("MT41K512M16HA-125:A", "x16/16 8192 * 1600K 13750 * * * 1350 1");
        row("MT41K512M8RH-125:E", "x8/8 4096 * 1600K 13125 * * * 1350 1");
        row("MT4JSF12864HZ-1G6", "x16/64 2048 14/10 1600K 13125 160000 7500 40000 1500 1");
        row("MT4KTF25664AZ-1G6", "x16/64 4096 * 1600K 13125 * * * 1350 1");
        row("MT8MTF51264HZ-1G6", "x8/64 4096 * 1600K 13125 * * * 1350 1");
        row("MT9JBF25672AKZ-1G6", "x8/72 2048 * 1600K 13125 * * * 1500 1");
        row("NT5CB64M16DP-CF", "x16/16 1024 * 1333G 12000 * * * 1500 1");
        row("NT5CC128M8DN-DH", "x8/8 1024 * 1600J 12500 * * * 1350 1");
        row("NT5CC64M16DP-CF", "x16/16 1024 * 1333G 12000 * * * 1350 1");
        row("HMT31GR7CFR4C-PB", "x4/72 2048 15/11 1600K 13750 160000 6000 30000 1500 2");
        row("K4B2G0446D-HYK0", "x4/4 2048 * 1600K 13750 160000 * * 1350 1");
        row("K4B2G0846D-HYK0", "x8/8 2048 * 1600K 13750 160000 * * 1350 1");
        row("M378B5673EH1-CF8", "x8/64 1024 14/10 1066F 13125 110000 7500 37500 1500 2");
        row("M391B5273DH0-YK0", "x8/72 2048 15/10 1600K 13750 160000 6000 30000 1350 2");
    }

    void rowValues()
    {
        QFETCH(QString, expected);
        const MemoryPart *p = memoryPart(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(p);
        const auto n = [](int value) { return QString::number(value); };
        const QStringList got{"x" + n(p->deviceWidth) + '/' + n(p->dataWidth),
                              n(p->densityMb),
                              n(p->rowBits) + '/' + n(p->colBits),
                              p->speedBin.mid(5),
                              n(p->taaPs),
                              n(p->trfcPs),
                              n(p->trrdPs),
                              n(p->tfawPs),
                              n(p->vddMv),
                              n(p->ranks)};
        const QStringList want = expected.split(' ');
        QCOMPARE(got.size(), want.size());
        for (int i = 0; i < want.size(); ++i) {
            if (want[i] != "*")
                QCOMPARE(got[i], want[i]);
        }
    }

    // Every row names a page that was seen.
    void everyRowIsChecked()
    {
        QStringList unchecked;
        for (const MemoryPart &p : memoryParts()) {
            if (p.source.contains("not checked") || p.source.contains("read-out"))
                unchecked << p.name;
        }
        QCOMPARE(unchecked, QStringList());
    }

    void setup_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("mhz");
        QTest::addColumn<double>("tckPs");     // achieved
        QTest::addColumn<QString>("expected"); // "CL/CWL/WR", or the error
        QTest::addColumn<int>("warnings");

        const auto row = [](const char *tag, const char *part, int ratio, int mhz, double tck,
                            const char *expected, int warnings = 0) {
            QTest::newRow(tag) << part << ratio << mhz << tck << expected << warnings;
        };
        const double t533 = 1e6 / (1600.0 / 3);
        // tAA 13.125 ns takes the down-bin CL 7 at 1.875 ns; 13.75 ns and the 13.91 ns of a
        // DDR3-1866M part need CL 8.
        row("13.125 ns at 533 MHz", "MT41J128M16JT-125:K", 1, 533, t533, "7/6/8");
        row("13.75 ns at 533 MHz", "K4B2G0846D-HYK0", 1, 533, t533, "8/6/8");
        row("13.91 ns at 533 MHz", "MT41K256M16TW-107AIT:P", 1, 533, t533, "8/6/8");
        row("700 MHz takes CWL 8", "MT41J128M16JT-125:K", 1, 700, 1e6 / 700, "11/8/12");
        row("400 MHz: CL 5 needs 3 ns", "MT41J128M16JT-125:K", 1, 400, 2500, "6/5/6");
        row("333 MHz: optional CL 5", "MT41J128M16JT-125:K", 1, 333, 1e6 / 333, "5/5/5");
        // Below the DLL-on clocks: CWL 5 and the lowest CL covering tAA, with a warning.
        row("1:2 at 300 MHz", "MT41J128M16JT-125:K", 0, 300, 1e6 / 300, "5/5/5", 1);
        row("clock above the part", "IS43TR16128A-15HBL", 1, 700, 1e6 / 700,
            "memory clock 700 MHz (tCK 1428.6 ps) is above the 666 MHz maximum of "
            "IS43TR16128A-15HBL (DDR3-1333H, tCK 1500 ps)");
        row("x4 device", "MT41J512M4HX-15E:D", 1, 400, 2500,
            "MT41J512M4HX-15E:D has 11 column bits: Column Address offers 9, 10");
        row("two ranks", "M378B5673EH1-CF8", 1, 400, 2500,
            "M378B5673EH1-CF8 has 2 ranks: Rank Address takes one rank only");
    }

    void setup()
    {
        QFETCH(QString, part);
        QFETCH(int, ratio);
        QFETCH(int, mhz);
        QFETCH(double, tckPs);
        const MemoryPart *p = memoryPart(part);
        QVERIFY(p);
        const PartSetup s = partSetup(*p, ratio, mhz, tckPs);
        QTEST(s.error.isEmpty()
                  ? QStringLiteral("%1/%2/%3").arg(s.cl).arg(s.cwl).arg(s.writeRecovery)
                  : s.error,
              "expected");
        QTEST(int(s.warnings.size()), "warnings");
        QVERIFY(s.error.isEmpty() != s.edits.isEmpty());
        if (s.error.isEmpty()) {
            // The core made from these edits meets the part and the DDR3 rules at this clock.
            ClockResult clock;
            clock.pll = {true, 1, 1, 1e6 / tckPs, 2};
            clock.tckPs = tckPs;
            clock.memoryMHz = 1e6 / tckPs;
            const MemorySetup m = setupAfter(*p, s);
            QList<Check> checks = partChecks(*p, m, tckPs);
            if (s.warnings.isEmpty())
                checks += jedecChecks(m, clock);
            for (const Check &c : checks)
                QVERIFY2(c.verdict == Verdict::Ok, qPrintable(c.text));
        }
    }

    void editsOfAPart()
    {
        const PartSetup s =
            partSetup(*memoryPart("MT41J128M16JT-125:K"), 1, 533, 1e6 / (1600.0 / 3));
        QCOMPARE(editsText(s.edits),
                 QStringLiteral(
                     "comBoxMemoryType=Custom comBoxDimmType=Components comBoxDqWidth=16 "
                     "comBoxDramWidth=16 comBoxRowAddr=14 comBoxColAddr=10 spinTRp=13125 "
                     "spinTRrd=7500 spinTRtp=7500 spinTRcd=13125 spinTRc=48125 spinTRas=35000 "
                     "spinTFaw=40000 spinTWtr=7500 spinTCke=5000 spinTRefi=7800000 spinTRfc=160000 "
                     "spinTDllk=512 comBoxCasLatency=7 comBoxCwLatency=6 comBoxAdditiveLatency=0 "
                     "comBoxWriteRecovery=8"));
        // An ECC module turns error correction on after the 72-bit width enables it; a part
        // for extended temperature refreshes twice as often.
        const QString ecc =
            editsText(partSetup(*memoryPart("MT9JBF25672AKZ-1G6"), 1, 533, 1875).edits);
        QVERIFY2(ecc.contains("comBoxDimmType=UDIMMs comBoxDqWidth=72 checkEcc=true "
                              "comBoxDramWidth=8 comBoxRowAddr=15"),
                 qPrintable(ecc));
        const QString hot =
            editsText(partSetup(*memoryPart("MT41K256M16TW-107AIT:P"), 1, 533, 1875).edits);
        QVERIFY2(hot.contains("spinTRefi=3900000"), qPrintable(hot));
    }

    // Every part at every clock the ratios offer either is refused or gives items the dialog's
    // Custom lists hold.
    void editsFitTheDialog()
    {
        const MemoryPreset &custom = memoryPreset(PresetKind::Custom);
        const QMap<QString, QStringList> lists{
            {"comBoxDqWidth", custom.dqWidths},
            {"comBoxCasLatency", custom.casLatencies},
            {"comBoxCwLatency", custom.cwLatencies},
            {"comBoxDimmType", {"Components", "RDIMMs", "UDIMMs", "SODIMMs"}},
            {"comBoxDramWidth", {"4", "8", "16"}},
            {"comBoxRowAddr", {"12", "13", "14", "15", "16"}},
            {"comBoxColAddr", {"9", "10"}},
            {"comBoxWriteRecovery", {"5", "6", "7", "8", "10", "12", "14", "16"}},
        };
        int applied = 0;
        for (const MemoryPart &p : memoryParts()) {
            for (int ratio : {0, 1}) {
                const RatioSetup &r = ratioSetup(ratio);
                for (int mhz = r.clockMin; mhz <= r.clockMax; mhz += 25) {
                    const PartSetup s = partSetup(p, ratio, mhz, 1e6 / mhz);
                    applied += s.error.isEmpty();
                    for (const ControlEdit &e : s.edits) {
                        if (lists.contains(e.control))
                            QVERIFY2(lists[e.control].contains(e.value),
                                     qPrintable(p.name + ' ' + e.control + '=' + e.value));
                    }
                }
            }
        }
        QVERIFY(applied > 500);
    }

    void shortTimingsAreReported()
    {
        const MemoryPart &p = *memoryPart("MT41J128M16JT-125:K");
        const double tck = 1e6 / 700;
        PartSetup s = partSetup(p, 1, 700, tck);
        MemorySetup m = setupAfter(p, s);
        m.timings.tRcd = 12500; // 9 clocks, the part needs 10
        m.cl = 9;
        m.rowBits = 15;
        const QList<Check> checks = partChecks(p, m, tck);
        QStringList warnings;
        for (const Check &c : checks) {
            if (c.verdict == Verdict::Warning)
                warnings << c.text;
        }
        QCOMPARE(warnings,
                 (QStringList{"x16 devices with 15 row and 10 column bits, but MT41J128M16JT-125:K "
                              "has x16 devices with 14 row and 10 column bits",
                              "CL 9 at tCK 1428.6 ps is 12857.1 ps, short of tAA 13125 ps of "
                              "MT41J128M16JT-125:K",
                              "tRCD 12500 ps (9 clocks) is shorter than the 13125 ps (10 clocks) "
                              "of MT41J128M16JT-125:K at tCK 1428.6 ps"}));
    }
};

QTEST_GUILESS_MAIN(TestMemoryParts)
#include "tst_memoryparts.moc"
