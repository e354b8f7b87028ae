#include "configtable.h"
#include "examplefiles.h"

#include <QtTest>

using namespace DDR3PHY;

namespace {

ControlValues controlValues(int ratioIndex, const QString &dq)
{
    return {
        {"CLK_RATIO", {ratioIndex, {}}},
        {"MEMORY_CLK", {ratioIndex == 0 ? 200 : 400, {}}},
        {"DQ_WIDTH", {0, dq}},
        {"DRAM_WIDTH", {0, "8"}},
        {"ROW_ADDR", {0, "15"}},
        {"RTT_NOM", {0, "40"}},
        {"RTT_WR", {0, "OFF"}},
        {"OUTPUT_DRV", {0, "HIGH"}},
    };
}

} // namespace

class TestExampleFiles : public QObject
{
    Q_OBJECT
private slots:
    void fromSettings_data()
    {
        QTest::addColumn<int>("ratioIndex");
        QTest::addColumn<QString>("dq"); // the combo box's current text
        QTest::addColumn<bool>("ecc");
        QTest::addColumn<int>("referencePeriod"); // ps
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("error"); // start of the error; empty: taken
        QTest::addColumn<bool>("eccRead");
        QTest::addColumn<int>("mhzRead");

        QTest::newRow("1:2 DQ 16") << 0 << "16" << false << 20000 << "DDR3_PHY_Top"
                                   << "" << false << 50;
        QTest::newRow("1:4 DQ 72 ECC") << 1 << "72" << true << 20000 << "m"
                                       << "" << true << 50;
        // The core ignores the ECC define below DQ 72, and so must the example.
        QTest::newRow("ECC at DQ 64") << 0 << "64" << true << 20000 << "m"
                                      << "" << false << 50;
        QTest::newRow("reference not whole") << 0 << "16" << false << 21276 << "m"
                                             << "" << false << 47;
        QTest::newRow("odd DQ width") << 0 << "12" << false << 20000 << "m"
                                      << "the DQ width '12'" << false << 0;
        QTest::newRow("no clock ratio") << -1 << "16" << false << 20000 << "m"
                                        << "the configuration has no clock ratio" << false << 0;
        QTest::newRow("module not an identifier") << 0 << "16" << false << 20000 << "a b"
                                                  << "the module name 'a b'" << false << 0;
        QTest::newRow("no reference") << 0 << "16" << false << 0 << "m"
                                      << "the configuration has no reference clock" << false << 0;
    }

    void fromSettings()
    {
        QFETCH(int, ratioIndex);
        QFETCH(QString, dq);
        QFETCH(bool, ecc);
        QFETCH(int, referencePeriod);
        QFETCH(QString, module);
        QFETCH(QString, error);

        ExampleCore core;
        QString message;
        const bool ok =
            exampleCore(controlValues(ratioIndex, dq), referencePeriod, ecc, module, &core,
                        &message);
        QCOMPARE(ok, error.isEmpty());
        if (!ok) {
            QVERIFY2(message.startsWith(error), qPrintable(message));
            return;
        }
        QCOMPARE(core.moduleName, module);
        QCOMPARE(core.ratio, ratioIndex == 0 ? 2 : 4);
        QCOMPARE(core.tck, ratioIndex == 0 ? 5000 : 2500);
        QCOMPARE(core.dqWidth, dq.toInt());
        QTEST(core.ecc, "eccRead");
        QTEST(core.referenceMhz, "mhzRead");
        QCOMPARE(core.outputDrive, QStringLiteral("HIGH"));
    }

    void pinTemplate_data()
    {
        QTest::addColumn<int>("dq");
        QTest::addColumn<int>("dram");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("pins");     // lines with a pin to fill in
        QTest::addColumn<int>("internal"); // controller-side bits, no pin
        QTest::addColumn<QString>("line"); // one line that must be there, by its start
        QTest::addColumn<bool>("ddr3l");

        QTest::newRow("default") << 16 << 8 << 2 << 15 << 70 << 191
                                 << "IO_ddr_dq[15] inout ? SSTL15_II" << false;
        QTest::newRow("DDR3L: SSTL135")
            << 16 << 8 << 2 << 15 << 70 << 191 << "IO_ddr_dq[15] inout ? SSTL135_II" << true;
        QTest::newRow("1:4 DQ 72 x4") << 72 << 4 << 4 << 16 << 175 << 1403
                                      << "IO_ddr_dqs_n[17] inout ? DIFF_SSTL15_II" << false;
        QTest::newRow("one strobe group")
            << 8 << 16 << 2 << 12 << 56 << 117 << "O_ddr_dqm[0] out ? SSTL15_II" << false;
    }

    void pinTemplate()
    {
        QFETCH(int, dq);
        QFETCH(int, dram);
        QFETCH(int, ratio);
        QFETCH(int, row);
        QFETCH(QString, line);

        ExampleCore core;
        core.moduleName = QStringLiteral("m");
        core.ratio = ratio;
        core.dqWidth = dq;
        core.dramWidth = dram;
        core.rowWidth = row;
        core.referenceMhz = 50;
        QFETCH(bool, ddr3l);
        core.ddr3l = ddr3l;
        int filled = 0, inside = 0;
        QSet<QString> ports;
        bool found = false;
        for (const QString &text : pinTemplateLines(core)) {
            if (text.startsWith('#'))
                continue;
            const QStringList fields = text.simplified().split(' ');
            QVERIFY2(fields.size() >= 6, qPrintable(text));
            ports.insert(fields[0].section('[', 0, 0));
            filled += fields[2] == QLatin1String("?");
            inside += fields[2] == QLatin1String("-");
            found = found || text.simplified().startsWith(line);
            // Every memory pin takes the standard of the memory's rail.
            QCOMPARE(text.contains("SSTL15") && ddr3l, false);
        }
        QTEST(filled, "pins");
        QTEST(inside, "internal");
        QCOMPARE(ports.size(), 35 + 4); // the core's ports and the example's status outputs
        QVERIFY2(found, qPrintable(line));
    }
};

QTEST_APPLESS_MAIN(TestExampleFiles)
#include "tst_examplefiles.moc"
