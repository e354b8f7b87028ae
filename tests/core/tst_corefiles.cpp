#include "corefiles.h"

#include <QtTest>

using namespace DDR3PHY;

Q_DECLARE_METATYPE(DDR3PHY::CoreSettings)

using LineChanges = QMap<int, QString>; // line number (from 1) → expected line

namespace {

// What the dialog holds right after construction: 1:2 part, 200 MHz, 50 MHz reference.
CoreSettings partDefaults()
{
    CoreSettings s;
    s.synthesisTool = QStringLiteral("VeltraSynthesis");
    s.clkRatio = {0, "1:2"};
    s.memoryType = {0, "AD3U160022G11"};
    s.memoryClock = 200;
    s.referenceClock = {23, "20000 ps"};
    s.referencePeriod = 20000;
    s.dimmType = {2, "UDIMMs"};
    s.dqWidth = {1, "16"};
    s.dramWidth = {1, "8"};
    s.rankAddr = 1;
    s.rowAddr = {3, "15"};
    s.colAddr = {1, "10"};
    s.timings = memoryPreset(PresetKind::Chip12).timings;
    s.burstMode = {0, "4"};
    s.burstType = {0, "SEQ"};
    s.casLatency = {0, "11"};
    s.cwLatency = {0, "5"};
    s.additiveLatency = {0, "0"};
    s.writeRecovery = {1, "6"};
    s.rttNom = {3, "40"};
    s.rttWr = {0, "OFF"};
    s.addrCmdMode = {0, "1T"};
    s.outputDrv = {0, "LOW"};
    s.disableIo = true;
    return s;
}

CoreSettings customEcc14()
{
    CoreSettings s = partDefaults();
    s.clkRatio = {1, "1:4"};
    s.memoryType = {1, "Custom"};
    s.memoryClock = 333;
    s.dqWidth = {8, "72"};
    s.dramWidth = {2, "16"};
    s.eccChecked = true;
    s.eccEnabled = true;
    s.rowAddr = {2, "14"};
    s.timings.tRfc = 350000;
    s.burstMode = {1, "8"};
    s.casLatency = {1, "6"};
    s.additiveLatency = {1, "CL-1"};
    s.rttNom = {0, "OFF"};
    s.userRefresh = true;
    return s;
}

CoreSettings rdimm()
{
    CoreSettings s = partDefaults();
    s.dimmType = {1, "RDIMMs"};
    s.memoryClock = 266;
    s.addrCmdMode = {1, "2T"};
    s.outputDrv = {1, "HIGH"};
    s.writeRecovery = {7, "16"};
    return s;
}

const QStringList partDefaultLines{
    R"(parameter DRAM_TYPE = "DDR3";)",
    R"(`define DDR3)",
    R"(parameter nCK_PER_CLK = 2;)",
    R"(parameter tCK = 5000;)",
    R"(parameter REG_CTRL = "OFF";)",
    R"(parameter DQ_WIDTH = 16;)",
    R"(parameter DRAM_WIDTH = 8;)",
    R"(parameter ECC = "OFF";)",
    R"(parameter RANK_WIDTH = 1;)",
    R"(parameter BANK_WIDTH = 3;)",
    R"(parameter ROW_WIDTH = 15;)",
    R"(parameter COL_WIDTH = 10;)",
    R"(parameter tRP = 12500;)",
    R"(parameter tRRD = 7500;)",
    R"(parameter tRTP = 7500;)",
    R"(parameter tRCD = 12500;)",
    R"(parameter tRC = 55000;)",
    R"(parameter tRAS = 37500;)",
    R"(parameter tFAW = 40000;)",
    R"(parameter tWTR = 7500;)",
    R"(parameter tCKE = 75000;)",
    R"(parameter tREFI = 7800000;)",
    R"(parameter tRFC = 160000;)",
    R"(parameter tDLLK = 512;)",
    R"(parameter BURST_MODE = "4";)",
    R"(parameter BURST_TYPE = "SEQ";)",
    R"(parameter CL = 11;)",
    R"(parameter CWL = 5;)",
    R"(parameter AL = "0";)",
    R"(parameter WR_CYC = 6;)",
    R"(parameter SLOT_0_CONFIG = 8'b00000001;)",
    R"(parameter SLOT_1_CONFIG = 8'b00000000;)",
    R"(parameter RTT_NOM = "40";)",
    R"(parameter RTT_WR = "OFF";)",
    R"(parameter USER_REFRESH = "OFF";)",
    R"(parameter ADDR_CMD_MODE = "1T";)",
    R"(parameter OUTPUT_DRV = "LOW";)",
};

const QStringList pllBaseLines{
    R"(defparam u_PLL.FCLKIN = "50";)",
    R"(defparam u_PLL.DYN_IDIV_SEL= "false";)",
    R"(defparam u_PLL.IDIV_SEL = 0;)",
    R"(defparam u_PLL.DYN_FBDIV_SEL= "false";)",
    R"(defparam u_PLL.FBDIV_SEL = 7;)",
    R"(defparam u_PLL.PSDA_SEL= "1000";)",
    R"(defparam u_PLL.DYN_DA_EN = "false";)",
    R"(defparam u_PLL.DYN_ODIV_SEL = "false";)",
    R"(defparam u_PLL.DUTYDA_SEL= "1000";)",
    R"(defparam u_PLL.CLKOUT_FT_DIR = 1'b1;)",
    R"(defparam u_PLL.CLKOUTP_FT_DIR = 1'b1;)",
    R"(defparam u_PLL.CLKFB_SEL = "internal";)",
    R"(defparam u_PLL.ODIV_SEL = 2;)",
    R"(defparam u_PLL.CLKOUT_BYPASS = "false";)",
    R"(defparam u_PLL.CLKOUTP_BYPASS = "false";)",
    R"(defparam u_PLL.CLKOUTD_BYPASS = "false";)",
    R"(defparam u_PLL.DYN_SDIV_SEL = 2;)",
    R"(defparam u_PLL.CLKOUTD_SRC = "CLKOUT";)",
    R"(defparam u_PLL.CLKOUTD3_SRC = "CLKOUT";)",
    R"(defparam u_PLL.DEVICE = "VX1-10";)",
};

QStringList changed(QStringList lines, const LineChanges &changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        lines[it.key() - 1] = it.value();
    return lines;
}

} // namespace

class TestCoreFiles : public QObject
{
    Q_OBJECT

private slots:
    void header();
    void configRecordTypes();
    void configRecordValues_data();
    void configRecordValues();
    void parameterLines_data();
    void parameterLines();
    void pllLines_data();
    void pllLines();
    void defineLines();
    void nameLines();
};

void TestCoreFiles::header()
{
    const QMap<QString, QVariant> header = headerRecord("dev-1", "ddr3_phy", "my_file", "my_ddr");
    const QMap<QString, QVariant> expected{{"target_device", "dev-1"},
                                           {"type", "ddr3_phy"},
                                           {"version", "3.0"},
                                           {"file", "my_file"},
                                           {"module", "my_ddr"}};
    QCOMPARE(header, expected);
}

void TestCoreFiles::configRecordTypes()
{
    const QMap<QString, QVariant> record = configRecord(partDefaults());
    const QStringList bools{"ECC", "USER_FLASH", "DISABLE_IO"};
    const QStringList ints =
        QStringLiteral(
            "LANG CLK_RATIO MEMORY_TYPE MEMORY_CLK REFERENCE_CLK DIMM_TYPE DQ_WIDTH DRAM_WIDTH "
            "RANK_ADDR ROW_ADDR COL_ADDR tRP tRRD tRTP tRCD tRC tRAS tFAW tWTR tCKE tREFI tRFC "
            "tDLLK BURST_MODE BURST_TYPE CAS_LATENCY CW_LATENCY ADDITIVE_LATENCY WRITE_RECOVERY "
            "RTT_NOM RTT_WR ADDR_CMD_MODE OUTPUT_DRV")
            .split(' ');
    QCOMPARE(record.size(), 37);
    QCOMPARE(record.value("Synthesis_tool").userType(), int(QMetaType::QString));
    for (const QString &key : bools)
        QVERIFY2(record.value(key).userType() == QMetaType::Bool, qPrintable(key));
    for (const QString &key : ints)
        QVERIFY2(record.value(key).userType() == QMetaType::Int, qPrintable(key));
}

void TestCoreFiles::configRecordValues_data()
{
    QTest::addColumn<CoreSettings>("settings");
    QTest::addColumn<QVariantMap>("expected"); // a selection of keys

    QTest::newRow("part defaults") << partDefaults()
                                   << QVariantMap{{"Synthesis_tool", "VeltraSynthesis"},
                                                  {"MEMORY_CLK", 200},
                                                  {"REFERENCE_CLK", 23},
                                                  {"DQ_WIDTH", 1},
                                                  {"ECC", false},
                                                  {"WRITE_RECOVERY", 1},
                                                  {"tREFI", 7800000},
                                                  {"DISABLE_IO", true}};
    QTest::newRow("1:4 custom ECC")
        << customEcc14()
        << QVariantMap{{"CLK_RATIO", 1},       {"MEMORY_TYPE", 1}, {"DQ_WIDTH", 8},
                       {"ECC", true},          {"tRFC", 350000},   {"USER_FLASH", true},
                       {"ADDITIVE_LATENCY", 1}};
}

void TestCoreFiles::configRecordValues()
{
    QFETCH(CoreSettings, settings);
    QFETCH(QVariantMap, expected);

    const QMap<QString, QVariant> record = configRecord(settings);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(record.value(it.key()), it.value());
    QVERIFY(!record.contains("USER_REFRESH"));
}

void TestCoreFiles::parameterLines_data()
{
    QTest::addColumn<CoreSettings>("settings");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("1:2 part defaults") << partDefaults() << partDefaultLines;
    QTest::newRow("1:4 custom DQ72 ECC")
        << customEcc14()
        << changed(partDefaultLines, {{3, R"(parameter nCK_PER_CLK = 4;)"},
                                      {4, R"(parameter tCK = 3003;)"},
                                      {6, R"(parameter DQ_WIDTH = 72;)"},
                                      {7, R"(parameter DRAM_WIDTH = 16;)"},
                                      {8, R"(parameter ECC = "ON";)"},
                                      {11, R"(parameter ROW_WIDTH = 14;)"},
                                      {23, R"(parameter tRFC = 350000;)"},
                                      {25, R"(parameter BURST_MODE = "8";)"},
                                      {27, R"(parameter CL = 6;)"},
                                      {29, R"(parameter AL = "CL-1";)"},
                                      {33, R"(parameter RTT_NOM = "OFF";)"},
                                      {35, R"(parameter USER_REFRESH = "ON";)"}});
    QTest::newRow("RDIMMs") << rdimm()
                            << changed(partDefaultLines,
                                       {{4, R"(parameter tCK = 3759;)"},
                                        {5, R"(parameter REG_CTRL = "ON";)"},
                                        {30, R"(parameter WR_CYC = 16;)"},
                                        {36, R"(parameter ADDR_CMD_MODE = "2T";)"},
                                        {37, R"(parameter OUTPUT_DRV = "HIGH";)"}});
    CoreSettings sodimm = partDefaults();
    sodimm.dimmType = {3, "SODIMMs"};
    sodimm.memoryClock = 300;
    QTest::newRow("SODIMMs") << sodimm
                             << changed(partDefaultLines, {{4, R"(parameter tCK = 3333;)"}});
    CoreSettings checkedNotEnabled = partDefaults();
    checkedNotEnabled.eccChecked = true;
    QTest::newRow("ECC checked but disabled")
        << checkedNotEnabled << changed(partDefaultLines, {{8, R"(parameter ECC = "ON";)"}});
}

void TestCoreFiles::parameterLines()
{
    QFETCH(CoreSettings, settings);
    QTEST(DDR3PHY::parameterLines(settings), "expected");
}

void TestCoreFiles::pllLines_data()
{
    QTest::addColumn<double>("fin");
    QTest::addColumn<int>("fbdiv");
    QTest::addColumn<int>("idiv");
    QTest::addColumn<int>("odiv");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("50 MHz, 8/1/2") << 1000000.0 / 20000 << 8 << 1 << 2 << "VX1-10" << pllBaseLines;
    QTest::newRow("21276 ps, 64/9/2")
        << 1000000.0 / 21276 << 64 << 9 << 2 << "VX2-60C"
        << changed(pllBaseLines, {{1, R"(defparam u_PLL.FCLKIN = "47";)"},
                                  {3, R"(defparam u_PLL.IDIV_SEL = 8;)"},
                                  {5, R"(defparam u_PLL.FBDIV_SEL = 63;)"},
                                  {20, R"(defparam u_PLL.DEVICE = "VX2-60C";)"}});
    QTest::newRow("27777 ps, ODIV 112")
        << 1000000.0 / 27777 << 1 << 12 << 112 << "VX1-10"
        << changed(pllBaseLines, {{1, R"(defparam u_PLL.FCLKIN = "36";)"},
                                  {3, R"(defparam u_PLL.IDIV_SEL = 11;)"},
                                  {5, R"(defparam u_PLL.FBDIV_SEL = 0;)"},
                                  {13, R"(defparam u_PLL.ODIV_SEL = 112;)"}});
}

void TestCoreFiles::pllLines()
{
    QFETCH(double, fin);
    QFETCH(int, fbdiv);
    QFETCH(int, idiv);
    QFETCH(int, odiv);
    QFETCH(QString, device);
    QTEST(DDR3PHY::pllLines(fin, fbdiv, idiv, odiv, device), "expected");
}

void TestCoreFiles::defineLines()
{
    QCOMPARE(DDR3PHY::defineLines(false), QStringList{"`define DDR3_PHY"});
    QCOMPARE(DDR3PHY::defineLines(true), (QStringList{"`define DDR3_PHY", "`define ECC"}));
}

void TestCoreFiles::nameLines()
{
    const QStringList lines = DDR3PHY::nameLines("my_ddr");
    QCOMPARE(lines, (QStringList{"`define module_name_ddr my_ddr\n",
                                 R"(`define getname(oriName,tmodule_name) \~oriName.tmodule_name)"
                                 "\n"}));
    QCOMPARE(lines.at(1).count('\\'), 1);
}

QTEST_GUILESS_MAIN(TestCoreFiles)
#include "tst_corefiles.moc"
