#include "portpins.h"

namespace DDR3PHY {

namespace {

enum Direction { In = 0, Out = 1, InOut = 2 };

QString ranged(const char *name, int msb)
{
    return QStringLiteral("%1[%2:0]").arg(QLatin1String(name)).arg(msb);
}

} // namespace

QList<PortPin> portPins(int dqWidth, int dramWidthIndex, int rowWidth, int ratioIndex)
{
    const int groups = dramWidthIndex == 0 ? dqWidth / 4 : dqWidth / 8;
    const int k = ratioIndex == 0 ? 2 : 4; // memory clocks per controller clock
    const int c = k - 1;
    const int b = 2 * k; // data beats per controller clock
    // A single strobe group has no range, but the figure still draws it as a bus.
    const QString groupRange = groups == 1 ? QString() : QStringLiteral("[%1:0]").arg(groups - 1);

    const auto controller = [](const QString &name, int direction, bool bus) {
        return PortPin{name, direction, bus, false};
    };
    const auto device = [](const QString &name, int direction, bool bus) {
        return PortPin{name, direction, bus, true};
    };
    const auto line = [](const char *name) { return QLatin1String(name); };

    return {
        controller(line("clk"), In, false),
        controller(line("rst_n"), In, false),
        controller(ranged("mc_cs_n", c), In, true),
        controller(ranged("mc_ras_n", c), In, true),
        controller(ranged("mc_cas_n", c), In, true),
        controller(ranged("mc_we_n", c), In, true),
        controller(ranged("mc_address", k * rowWidth - 1), In, true),
        controller(ranged("mc_bank", 3 * k - 1), In, true),
        controller(line("mc_reset_n"), In, false),
        controller(ranged("mc_odt", c), In, true),
        controller(ranged("mc_cke", c), In, true),
        controller(line("mc_cmd_wren"), In, false),
        controller(line("mc_wrdata_en"), In, false),
        controller(ranged("mc_wrdata", b * dqWidth - 1), In, true),
        controller(ranged("mc_wrdata_mask", b * groups - 1), In, true),
        controller(line("phy_rd_data_valid"), Out, false),
        controller(ranged("phy_rd_data", b * dqWidth - 1), Out, true),
        controller(line("ddr_init_complete"), Out, false),
        controller(line("clk_x1"), Out, false),
        controller(line("ddr_rst"), Out, false),
        device(ranged("O_ddr_addr", rowWidth - 1), Out, true),
        device(ranged("O_ddr_ba", 2), Out, true),
        device(line("O_ddr_cs_n"), Out, false),
        device(line("O_ddr_ras_n"), Out, false),
        device(line("O_ddr_cas_n"), Out, false),
        device(line("O_ddr_we_n"), Out, false),
        device(line("O_ddr_clk"), Out, false),
        device(line("O_ddr_clk_n"), Out, false),
        device(line("O_ddr_cke"), Out, false),
        device(line("O_ddr_odt"), Out, false),
        device(line("O_ddr_reset_n"), Out, false),
        device(QLatin1String("O_ddr_dqm") + groupRange, Out, true),
        device(ranged("IO_ddr_dq", dqWidth - 1), InOut, true),
        device(QLatin1String("IO_ddr_dqs") + groupRange, InOut, true),
        device(QLatin1String("IO_ddr_dqs_n") + groupRange, InOut, true),
    };
}

} // namespace DDR3PHY
