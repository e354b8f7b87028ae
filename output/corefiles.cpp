#include "corefiles.h"

#include "dependentfields.h"

namespace DDR3PHY {

namespace {

constexpr int rdimmIndex = 1;

QString onOff(bool on)
{
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

QString line(const char *format, const QString &value)
{
    return QString::fromLatin1(format).arg(value);
}

QString line(const char *format, int value)
{
    return QString::fromLatin1(format).arg(value);
}

} // namespace

QMap<QString, QVariant> headerRecord(const QString &deviceId, const QString &coreType,
                                     const QString &fileName, const QString &moduleName)
{
    QMap<QString, QVariant> header;
    header.insert(QStringLiteral("target_device"), deviceId);
    header.insert(QStringLiteral("type"), coreType);
    header.insert(QStringLiteral("version"), ipcVersion);
    header.insert(QStringLiteral("file"), fileName);
    header.insert(QStringLiteral("module"), moduleName);
    return header;
}

QMap<QString, QVariant> configRecord(const CoreSettings &s)
{
    const Timings &t = s.timings;
    const QList<QPair<const char *, QVariant>> entries{
        {"LANG", s.language},
        {"Synthesis_tool", s.synthesisTool},
        {"CLK_RATIO", s.clkRatio.index},
        {"MEMORY_TYPE", s.memoryType.index},
        {"MEMORY_CLK", s.memoryClock},
        {"REFERENCE_CLK", s.referenceClock.index},
        {"DIMM_TYPE", s.dimmType.index},
        {"DQ_WIDTH", s.dqWidth.index},
        {"DRAM_WIDTH", s.dramWidth.index},
        {"ECC", s.eccChecked},
        {"RANK_ADDR", s.rankAddr},
        {"ROW_ADDR", s.rowAddr.index},
        {"COL_ADDR", s.colAddr.index},
        {"tRP", t.tRp},
        {"tRRD", t.tRrd},
        {"tRTP", t.tRtp},
        {"tRCD", t.tRcd},
        {"tRC", t.tRc},
        {"tRAS", t.tRas},
        {"tFAW", t.tFaw},
        {"tWTR", t.tWtr},
        {"tCKE", t.tCke},
        {"tREFI", t.tRefi},
        {"tRFC", t.tRfc},
        {"tDLLK", t.tDllk},
        {"BURST_MODE", s.burstMode.index},
        {"BURST_TYPE", s.burstType.index},
        {"CAS_LATENCY", s.casLatency.index},
        {"CW_LATENCY", s.cwLatency.index},
        {"ADDITIVE_LATENCY", s.additiveLatency.index},
        {"WRITE_RECOVERY", s.writeRecovery.index},
        {"RTT_NOM", s.rttNom.index},
        {"RTT_WR", s.rttWr.index},
        {"USER_FLASH", s.userRefresh},
        {"ADDR_CMD_MODE", s.addrCmdMode.index},
        {"OUTPUT_DRV", s.outputDrv.index},
        {"DISABLE_IO", s.disableIo},
    };
    QMap<QString, QVariant> record;
    for (const auto &[key, value] : entries)
        record.insert(QString::fromLatin1(key), value);
    return record;
}

QStringList parameterLines(const CoreSettings &s)
{
    const Timings &t = s.timings;
    return {
        QStringLiteral("parameter DRAM_TYPE = \"DDR3\";"),
        QStringLiteral("`define DDR3"),
        line("parameter nCK_PER_CLK = %1;", s.clkRatio.index == 0 ? 2 : 4),
        line("parameter tCK = %1;", memoryPeriodPs(s.memoryClock)),
        line("parameter REG_CTRL = \"%1\";", onOff(s.dimmType.index == rdimmIndex)),
        line("parameter DQ_WIDTH = %1;", s.dqWidth.text),
        line("parameter DRAM_WIDTH = %1;", s.dramWidth.text),
        line("parameter ECC = \"%1\";", onOff(s.eccChecked)),
        line("parameter RANK_WIDTH = %1;", s.rankAddr),
        QStringLiteral("parameter BANK_WIDTH = 3;"),
        line("parameter ROW_WIDTH = %1;", s.rowAddr.text),
        line("parameter COL_WIDTH = %1;", s.colAddr.text),
        line("parameter tRP = %1;", t.tRp),
        line("parameter tRRD = %1;", t.tRrd),
        line("parameter tRTP = %1;", t.tRtp),
        line("parameter tRCD = %1;", t.tRcd),
        line("parameter tRC = %1;", t.tRc),
        line("parameter tRAS = %1;", t.tRas),
        line("parameter tFAW = %1;", t.tFaw),
        line("parameter tWTR = %1;", t.tWtr),
        line("parameter tCKE = %1;", t.tCke),
        line("parameter tREFI = %1;", t.tRefi),
        line("parameter tRFC = %1;", t.tRfc),
        line("parameter tDLLK = %1;", t.tDllk),
        line("parameter BURST_MODE = \"%1\";", s.burstMode.text),
        line("parameter BURST_TYPE = \"%1\";", s.burstType.text),
        line("parameter CL = %1;", s.casLatency.text),
        line("parameter CWL = %1;", s.cwLatency.text),
        line("parameter AL = \"%1\";", s.additiveLatency.text),
        line("parameter WR_CYC = %1;", s.writeRecovery.text),
        QStringLiteral("parameter SLOT_0_CONFIG = 8'b00000001;"),
        QStringLiteral("parameter SLOT_1_CONFIG = 8'b00000000;"),
        line("parameter RTT_NOM = \"%1\";", s.rttNom.text),
        line("parameter RTT_WR = \"%1\";", s.rttWr.text),
        line("parameter USER_REFRESH = \"%1\";", onOff(s.userRefresh)),
        line("parameter ADDR_CMD_MODE = \"%1\";", s.addrCmdMode.text),
        line("parameter OUTPUT_DRV = \"%1\";", s.outputDrv.text),
    };
}

QStringList pllLines(double fin, int fbdiv, int idiv, int odiv, const QString &deviceName)
{
    return {
        line("defparam u_PLL.FCLKIN = \"%1\";", static_cast<int>(fin)),
        QStringLiteral("defparam u_PLL.DYN_IDIV_SEL= \"false\";"),
        line("defparam u_PLL.IDIV_SEL = %1;", idiv - 1),
        QStringLiteral("defparam u_PLL.DYN_FBDIV_SEL= \"false\";"),
        line("defparam u_PLL.FBDIV_SEL = %1;", fbdiv - 1),
        QStringLiteral("defparam u_PLL.PSDA_SEL= \"1000\";"),
        QStringLiteral("defparam u_PLL.DYN_DA_EN = \"false\";"),
        QStringLiteral("defparam u_PLL.DYN_ODIV_SEL = \"false\";"),
        QStringLiteral("defparam u_PLL.DUTYDA_SEL= \"1000\";"),
        QStringLiteral("defparam u_PLL.CLKOUT_FT_DIR = 1'b1;"),
        QStringLiteral("defparam u_PLL.CLKOUTP_FT_DIR = 1'b1;"),
        QStringLiteral("defparam u_PLL.CLKFB_SEL = \"internal\";"),
        line("defparam u_PLL.ODIV_SEL = %1;", odiv),
        QStringLiteral("defparam u_PLL.CLKOUT_BYPASS = \"false\";"),
        QStringLiteral("defparam u_PLL.CLKOUTP_BYPASS = \"false\";"),
        QStringLiteral("defparam u_PLL.CLKOUTD_BYPASS = \"false\";"),
        QStringLiteral("defparam u_PLL.DYN_SDIV_SEL = 2;"),
        QStringLiteral("defparam u_PLL.CLKOUTD_SRC = \"CLKOUT\";"),
        QStringLiteral("defparam u_PLL.CLKOUTD3_SRC = \"CLKOUT\";"),
        line("defparam u_PLL.DEVICE = \"%1\";", deviceName),
    };
}

QStringList defineLines(bool ecc)
{
    QStringList lines{QStringLiteral("`define DDR3_PHY")};
    if (ecc)
        lines << QStringLiteral("`define ECC");
    return lines;
}

QStringList nameLines(const QString &moduleName)
{
    return {
        line("`define module_name_ddr %1\n", moduleName),
        QStringLiteral("`define getname(oriName,tmodule_name) \\~oriName.tmodule_name\n"),
    };
}

} // namespace DDR3PHY
