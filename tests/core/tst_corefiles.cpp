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
    void parameterLines_data();
    void parameterLines();
    void pllLines_data();
    void pllLines();
    void defineLines();
    void nameLines();
};

void TestCoreFiles::parameterLines_data()
{
    QTest::addColumn<CoreSettings>("settings");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("1:2 part defaults") << partDefaults() << partDefaultLines;

    CoreSettings custom = partDefaults();
    custom.clkRatio = {1, "1:4"};
    custom.memoryType = {1, "Custom"};
    custom.memoryClock = 333;
    custom.dqWidth = {8, "72"};
    custom.dramWidth = {2, "16"};
    custom.eccChecked = custom.eccEnabled = true;
    custom.rowAddr = {2, "14"};
    custom.timings.tRfc = 350000;
    custom.burstMode = {1, "8"};
    custom.casLatency = {1, "6"};
    custom.additiveLatency = {1, "CL-1"};
    custom.rttNom = {0, "OFF"};
    custom.userRefresh = true;
    QTest::newRow("1:4 custom DQ72 ECC")
        << custom
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
    CoreSettings rdimm = partDefaults();
    rdimm.dimmType = {1, "RDIMMs"};
    rdimm.memoryClock = 266;
    rdimm.addrCmdMode = {1, "2T"};
    rdimm.outputDrv = {1, "HIGH"};
    rdimm.writeRecovery = {7, "16"};
    QTest::newRow("RDIMMs") << rdimm
                            << changed(partDefaultLines,
                                       {{4, R"(parameter tCK = 3759;)"},
                                        {5, R"(parameter REG_CTRL = "ON";)"},
                                        {30, R"(parameter WR_CYC = 16;)"},
                                        {36, R"(parameter ADDR_CMD_MODE = "2T";)"},
                                        {37, R"(parameter OUTPUT_DRV = "HIGH";)"}});
    CoreSettings other = partDefaults();
    other.dimmType = {3, "SODIMMs"};
    other.eccChecked = true; // the file follows the check mark, not whether it may be changed
    QTest::newRow("SODIMMs, ECC checked but disabled")
        << other << changed(partDefaultLines, {{8, R"(parameter ECC = "ON";)"}});
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
    QTest::newRow("21276 ps, 64/9/112")
        << 1000000.0 / 21276 << 64 << 9 << 112 << "VX2-60C"
        << changed(pllBaseLines, {{1, R"(defparam u_PLL.FCLKIN = "47";)"},
                                  {3, R"(defparam u_PLL.IDIV_SEL = 8;)"},
                                  {5, R"(defparam u_PLL.FBDIV_SEL = 63;)"},
                                  {13, R"(defparam u_PLL.ODIV_SEL = 112;)"},
                                  {20, R"(defparam u_PLL.DEVICE = "VX2-60C";)"}});
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
    QCOMPARE(DDR3PHY::nameLines("my_ddr"),
             (QStringList{"`define module_name_ddr my_ddr\n",
                          R"(`define getname(oriName,tmodule_name) \~oriName.tmodule_name)"
                          "\n"}));
}

QTEST_GUILESS_MAIN(TestCoreFiles)
#include "tst_corefiles.moc"
