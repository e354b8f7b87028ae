#include "examplefiles.h"

#include "dependentfields.h"
#include "portpins.h"
#include "presets.h"

#include <QRegularExpression>

namespace DDR3PHY {

namespace {

struct PinRow
{
    QString port;
    QString direction;
    QString pin;
    QString standard;
    QString drive;
    QString termination;
    QString note;
};

QString rowText(const PinRow &row)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(row.port, -22)
        .arg(row.direction, -5)
        .arg(row.pin, -4)
        .arg(row.standard, -16)
        .arg(row.drive, -9)
        .arg(row.termination, -10)
        .arg(row.note)
        .trimmed();
}

// "name[msb:0]" -> its bits, lowest first; a bus without a range is one bit wide.
QStringList bitsOf(const PortPin &port)
{
    static const QRegularExpression ranged(QStringLiteral("^(\\w+)\\[(\\d+):0\\]$"));
    const QRegularExpressionMatch match = ranged.match(port.name);
    if (!match.hasMatch())
        return {port.bus ? port.name + QStringLiteral("[0]") : port.name};
    QStringList bits;
    const int msb = match.captured(2).toInt();
    for (int bit = 0; bit <= msb; ++bit)
        bits.append(QStringLiteral("%1[%2]").arg(match.captured(1)).arg(bit));
    return bits;
}

QString directionText(int direction)
{
    return direction == 0   ? QStringLiteral("in")
           : direction == 1 ? QStringLiteral("out")
                            : QStringLiteral("inout");
}

// The memory banks' I/O standard: SSTL15 at DDR3's 1.5 V, SSTL135 at DDR3L's 1.35 V.
QString sstl(const ExampleCore &core, const char *standard)
{
    QString text = QString::fromLatin1(standard);
    return core.ddr3l ? text.replace(QStringLiteral("SSTL15"), QStringLiteral("SSTL135")) : text;
}

// Half the memory's VDD: VREF and VTT.
QString halfVdd(const ExampleCore &core)
{
    return core.ddr3l ? QStringLiteral("0.675 V") : QStringLiteral("0.75 V");
}

// I/O standard, drive, termination and note of one memory-side port.
PinRow devicePin(const QString &base, const ExampleCore &core)
{
    const QString odt =
        QStringLiteral("DRAM ODT: RTT_NOM %1, RTT_WR %2").arg(core.rttNom, core.rttWr);
    if (base == QLatin1String("O_ddr_clk") || base == QLatin1String("O_ddr_clk_n")) {
        return {{},
                {},
                {},
                sstl(core, "DIFF_SSTL15_I"),
                QStringLiteral("class-I"),
                QStringLiteral("100R-diff"),
                QStringLiteral("CK pair (O_ddr_clk / O_ddr_clk_n); 100 ohm across the pair at "
                               "the last DRAM")};
    }
    if (base == QLatin1String("O_ddr_reset_n")) {
        // RESET# is a CMOS input on the DRAM's VDD, not compared with VREF: drive it rail to rail.
        return {{},
                {},
                {},
                core.ddr3l ? QStringLiteral("LVCMOS135") : QStringLiteral("LVCMOS15"),
                QStringLiteral("8mA"),
                QStringLiteral("pull-down"),
                QStringLiteral("CMOS RESET#; 10 kohm to ground holds the DRAM in reset while "
                               "the FPGA configures")};
    }
    if (base == QLatin1String("IO_ddr_dqs") || base == QLatin1String("IO_ddr_dqs_n")) {
        return {{},
                {},
                {},
                sstl(core, "DIFF_SSTL15_II"),
                QStringLiteral("class-II"),
                QStringLiteral("ODT"),
                QStringLiteral("DQS pair; %1; FPGA on-chip termination on reads").arg(odt)};
    }
    if (base == QLatin1String("IO_ddr_dq") || base == QLatin1String("O_ddr_dqm")) {
        return {{},
                {},
                {},
                sstl(core, "SSTL15_II"),
                QStringLiteral("class-II"),
                QStringLiteral("ODT"),
                QStringLiteral("%1; FPGA on-chip termination on reads").arg(odt)};
    }
    return {{},
            {},
            {},
            sstl(core, "SSTL15_I"),
            QStringLiteral("class-I"),
            QStringLiteral("VTT"),
            QStringLiteral("fly-by; 40 ohm to VTT (%1) after the last DRAM").arg(halfVdd(core))};
}

} // namespace

bool exampleCore(const ControlValues &values, int referencePeriod, bool eccDefine,
                 const QString &moduleName, ExampleCore *core, QString *error)
{
    const auto valueOf = [&values](Role role) {
        return values.value(QLatin1String(configRow(role).key));
    };
    const auto item = [&](const char *what, Role role, const QList<int> &allowed, int *out) {
        const QString text = valueOf(role).text;
        bool ok = false;
        *out = text.toInt(&ok);
        if (ok && allowed.contains(*out))
            return true;
        *error = QStringLiteral("the %1 '%2' is not one the example design takes")
                     .arg(QLatin1String(what), text);
        return false;
    };
    ExampleCore c;
    if (!item("DQ width", Role::DqWidth, {8, 16, 24, 32, 40, 48, 56, 64, 72}, &c.dqWidth) ||
        !item("DRAM width", Role::DramWidth, dramWidthItems(), &c.dramWidth) ||
        !item("row address width", Role::RowAddr, rowAddressItems(), &c.rowWidth))
        return false;
    const int ratioIndex = valueOf(Role::ClkRatio).stored.toInt();
    if (ratioIndex != 0 && ratioIndex != 1) {
        *error = QStringLiteral("the configuration has no clock ratio");
        return false;
    }
    if (referencePeriod <= 0) {
        *error = QStringLiteral("the configuration has no reference clock");
        return false;
    }
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!identifier.match(moduleName).hasMatch()) {
        *error = QStringLiteral("the module name '%1' is not a Verilog identifier the example "
                                "design can use")
                     .arg(moduleName);
        return false;
    }
    c.moduleName = moduleName;
    c.ratio = ratioIndex == 0 ? 2 : 4;
    c.tck = memoryPeriodPs(valueOf(Role::MemoryClock).stored.toInt());
    // The core itself turns ECC on only at DQ 72.
    c.ecc = eccDefine && c.dqWidth == 72;
    c.rttNom = values.value(QStringLiteral("RTT_NOM")).text;
    c.rttWr = values.value(QStringLiteral("RTT_WR")).text;
    c.outputDrive = values.value(QStringLiteral("OUTPUT_DRV")).text;
    c.referenceMhz = static_cast<int>(1000000.0 / referencePeriod);
    *core = c;
    return true;
}

QList<KitCopy> exampleCopies()
{
    using From = KitCopy::From;
    return {
        {From::CoreDirectory, QStringLiteral("example/ddr3_example_top.v"),
         QStringLiteral("rtl/ddr3_example_top.v")},
        {From::CoreDirectory, QStringLiteral("example/ddr3_example_ctrl.v"),
         QStringLiteral("rtl/ddr3_example_ctrl.v")},
        {From::CoreDirectory, QStringLiteral("example/ddr3_example_tg.v"),
         QStringLiteral("rtl/ddr3_example_tg.v")},
        {From::CoreDirectory, QStringLiteral("example/tb_ddr3_example.v"),
         QStringLiteral("sim/tb_ddr3_example.v")},
        {From::CoreDirectory, QStringLiteral("sim/ddr3_model.v"),
         QStringLiteral("sim/ddr3_model.v")},
        {From::DevicePrimitives, QString(), QStringLiteral("sim/veltra_prims.v")},
        {From::Generated, QStringLiteral("vlmc_param.v"), QStringLiteral("core/vlmc_param.v")},
        {From::Generated, QStringLiteral("ddr3_pll_config.v"),
         QStringLiteral("core/ddr3_pll_config.v")},
        {From::Generated, QStringLiteral("DDR3_define.v"), QStringLiteral("core/DDR3_define.v")},
        {From::Generated, QStringLiteral("ddr3_name.v"), QStringLiteral("core/ddr3_name.v")},
    };
}

QStringList exampleConfigLines(const ExampleCore &core)
{
    return {
        QStringLiteral("// Simulation settings of the example design for core %1.")
            .arg(core.moduleName),
        QStringLiteral("// Reference clock period in ps (%1 MHz, as the core's PLL is set up).")
            .arg(core.referenceMhz),
        QStringLiteral("`define EX_REF_PS %1").arg(1000000 / core.referenceMhz),
        QStringLiteral("// Bursts written and read back; the range is centred on a row boundary "
                       "and the"),
        QStringLiteral("// device model keeps 32 rows, so keep it below twice the bursts of "
                       "one row in every bank."),
        QStringLiteral("`define EX_SIM_BURSTS 768"),
        QStringLiteral("// Read flight time, memory to FPGA and back, in ps."),
        QStringLiteral("`define EX_RD_DLY 300"),
    };
}

QStringList exampleRunScript(const ExampleCore &core)
{
    const QString ratioFile = QStringLiteral("ddr3_1_%1code.v").arg(core.ratio);
    return {
        QStringLiteral("#!/bin/sh"),
        QStringLiteral("# Simulates the example design with Icarus Verilog against the DDR3 "
                       "device model"),
        QStringLiteral("# (protocol and timing checks on). Run from any folder: sh sim/run.sh"),
        QStringLiteral("# The last line is PASS: ... or FAIL: ...; the exit status is 0 on "
                       "PASS."),
        QStringLiteral("set -u"),
        QStringLiteral("here=$(cd \"$(dirname \"$0\")\" && pwd)"),
        QStringLiteral("kit=$(dirname \"$here\")"),
        QStringLiteral("for tool in iverilog vvp; do"),
        QStringLiteral("  command -v \"$tool\" > /dev/null 2>&1 ||"),
        QStringLiteral("    { echo \"FAIL: $tool not found (Debian package iverilog)\"; exit 1; }"),
        QStringLiteral("done"),
        QStringLiteral("work=\"$here/work\""),
        QStringLiteral("mkdir -p \"$work\" || { echo \"FAIL: cannot make $work\"; exit 1; }"),
        QStringLiteral("if ! iverilog -g2012 -o \"$work/example.vvp\" -s tb_ddr3_example \\"),
        QStringLiteral("    -I \"$here\" -I \"$kit/core\" \"$here/veltra_prims.v\" \\"),
        QStringLiteral("    \"$kit/core/%1\" \"$kit/core/DDR3_PHY_TOP.v\" \\").arg(ratioFile),
        QStringLiteral("    \"$kit/rtl/ddr3_example_ctrl.v\" \"$kit/rtl/ddr3_example_tg.v\" "
                       "\"$kit/rtl/ddr3_example_top.v\" \\"),
        QStringLiteral("    \"$here/ddr3_model.v\" \"$here/tb_ddr3_example.v\" > "
                       "\"$work/compile.log\" 2>&1; then"),
        QStringLiteral("  cat \"$work/compile.log\""),
        QStringLiteral("  echo \"FAIL: the example did not compile\""),
        QStringLiteral("  exit 1"),
        QStringLiteral("fi"),
        QStringLiteral("vvp -n \"$work/example.vvp\" > \"$work/sim.log\" 2>&1"),
        QStringLiteral("grep -v '^PASS:\\|^FAIL:' \"$work/sim.log\" | tail -n 40"),
        QStringLiteral("result=$(grep '^PASS:\\|^FAIL:' \"$work/sim.log\" | tail -n 1)"),
        QStringLiteral("[ -n \"$result\" ] || result=\"FAIL: the simulation gave no result "
                       "(see $work/sim.log)\""),
        QStringLiteral("echo \"$result\""),
        QStringLiteral("case $result in PASS:*) exit 0 ;; *) exit 1 ;; esac"),
    };
}

QStringList pinTemplateLines(const ExampleCore &core)
{
    const int gw = core.dqWidth / core.groups();
    QStringList lines = {
        QStringLiteral("# Pin constraints template: example design of DDR3 PHY core %1")
            .arg(core.moduleName),
        QStringLiteral("# (ratio 1:%1, DQ %2%3, DRAM width %4, %5 row bits, %6 MHz reference "
                       "clock).")
            .arg(core.ratio)
            .arg(core.dqWidth)
            .arg(core.ecc ? QStringLiteral(" with ECC") : QString())
            .arg(core.dramWidth)
            .arg(core.rowWidth)
            .arg(core.referenceMhz),
        QStringLiteral("#"),
        QStringLiteral("# One line per port bit, columns separated by blanks; fill in PIN "
                       "where it says ?."),
        QStringLiteral("#   PORT         the port bit of ddr3_example_top (or of the core, "
                       "same names)"),
        QStringLiteral("#   DIR          in, out or inout"),
        QStringLiteral("#   PIN          package pin; - for a port that stays inside the FPGA"),
        sstl(core, "#   IO_STANDARD  SSTL15_I / SSTL15_II single-ended, DIFF_SSTL15_I / "
                   "DIFF_SSTL15_II differential"),
        QStringLiteral("#   DRIVE        output drive: SSTL class, or current for CMOS"),
        QStringLiteral("#   TERM         VTT (parallel to VTT at the far end), ODT (on-die "
                       "termination),"),
        QStringLiteral("#                100R-diff (across the pair), pull-down, none"),
        QStringLiteral("#   NOTE         the rest of the line"),
        QStringLiteral("# Memory pins: banks at VCCIO %1 with VREF %2; VTT %2. A "
                       "differential pair")
            .arg(core.ddr3l ? QStringLiteral("1.35 V") : QStringLiteral("1.5 V"), halfVdd(core)),
        QStringLiteral("# takes the P and N pins of one pair. DQ, DM and DQS of one strobe "
                       "group (%1 DQ bits)")
            .arg(gw),
        QStringLiteral("# share a bank and a byte lane. The DRAM drives reads at %1 ohm "
                       "(OUTPUT_DRV %2).")
            .arg(core.outputDrive == QLatin1String("HIGH") ? 34 : 40)
            .arg(core.outputDrive),
        QStringLiteral("#"),
        rowText({QStringLiteral("# PORT"), QStringLiteral("DIR"), QStringLiteral("PIN"),
                 QStringLiteral("IO_STANDARD"), QStringLiteral("DRIVE"), QStringLiteral("TERM"),
                 QStringLiteral("NOTE")}),
    };

    const QList<PortPin> ports =
        portPins(core.dqWidth, core.dramWidth == 4 ? 0 : 1, core.rowWidth, core.ratio == 2 ? 0 : 1);
    const QString unknown = QStringLiteral("?");
    const QString none = QStringLiteral("-");
    QStringList device, internal;
    for (const PortPin &port : ports) {
        const QString base = port.name.section(QLatin1Char('['), 0, 0);
        for (const QString &bit : bitsOf(port)) {
            PinRow row;
            if (port.deviceSide) {
                row = devicePin(base, core);
                row.pin = unknown;
                // Every bus of the data side is a strobe group or a bit of one.
                const int index = bit.section(QLatin1Char('['), 1).chopped(1).toInt();
                if (base.startsWith(QLatin1String("IO_ddr_dq")) ||
                    base == QLatin1String("O_ddr_dqm")) {
                    const int group = base == QLatin1String("IO_ddr_dq") ? index / gw : index;
                    row.note = QStringLiteral("group %1; ").arg(group) + row.note;
                }
            } else if (base == QLatin1String("clk")) {
                row = {{},
                       {},
                       unknown,
                       QStringLiteral("LVCMOS33"),
                       none,
                       none,
                       QStringLiteral("reference clock, %1 MHz; the standard of the "
                                      "oscillator's bank")
                           .arg(core.referenceMhz)};
            } else if (base == QLatin1String("rst_n")) {
                row = {{},
                       {},
                       unknown,
                       QStringLiteral("LVCMOS33"),
                       none,
                       none,
                       QStringLiteral("reset, active low")};
            } else {
                row = {{},
                       {},
                       none,
                       none,
                       none,
                       none,
                       QStringLiteral("internal: between the example controller and the core")};
            }
            row.port = bit;
            row.direction = directionText(port.direction);
            (row.pin == none ? internal : device).append(rowText(row));
        }
    }
    lines += device;
    lines.append(QStringLiteral("# Status of the example design: LEDs or test points."));
    for (const QString &port :
         {QStringLiteral("pass"), QStringLiteral("fail"), QStringLiteral("done")}) {
        lines.append(rowText({port, QStringLiteral("out"), unknown, QStringLiteral("LVCMOS33"),
                              QStringLiteral("8mA"), none, QString()}));
    }
    for (int bit = 0; bit < 16; ++bit) {
        lines.append(rowText({QStringLiteral("err_count[%1]").arg(bit), QStringLiteral("out"),
                              unknown, QStringLiteral("LVCMOS33"), QStringLiteral("8mA"), none,
                              QStringLiteral("mismatching words, saturating")}));
    }
    lines.append(QStringLiteral("# The core's controller side: no pins in the example design."));
    lines += internal;
    return lines;
}

} // namespace DDR3PHY
