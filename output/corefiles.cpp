#include "corefiles.h"

namespace DDR3PHY {

namespace {

QString line(const char *format, const QString &value)
{
    return QString::fromLatin1(format).arg(value);
}

QString line(const char *format, int value)
{
    return QString::fromLatin1(format).arg(value);
}

} // namespace

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
