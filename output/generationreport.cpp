#include "generationreport.h"

#include "partsetup.h"

#include <QRegularExpression>

#include <numeric>

namespace DDR3PHY {

namespace {

QString row(const QString &label, const QString &value)
{
    return QStringLiteral("  %1 %2").arg(label, -20).arg(value);
}

QString mhz(double frequency)
{
    return QString::number(frequency, 'f', 6) + QStringLiteral(" MHz");
}

QString verdictText(Verdict verdict)
{
    return verdict == Verdict::Ok ? QStringLiteral("OK     ") : QStringLiteral("WARNING");
}

} // namespace

QList<CellCount> yosysCellCounts(const QStringList &logLines)
{
    static const QRegularExpression total(QStringLiteral("^\\s*Number of cells:\\s+\\d+\\s*$"));
    static const QRegularExpression cellLine(QStringLiteral("^\\s+(\\S+)\\s+(\\d+)\\s*$"));
    int start = -1;
    for (int i = 0; i < logLines.size(); ++i) {
        if (total.match(logLines.at(i)).hasMatch())
            start = i + 1;
    }
    QList<CellCount> cells;
    for (int i = start; start >= 0 && i < logLines.size(); ++i) {
        const QRegularExpressionMatch m = cellLine.match(logLines.at(i));
        if (!m.hasMatch())
            break;
        cells.append({m.captured(1), m.captured(2).toInt()});
    }
    return cells;
}

GenerationReport generationReport(const QString &fileName, const QString &deviceId,
                                  const MemorySetup &setup, const PllLimits &limits,
                                  const QList<CellCount> &cells,
                                  const std::optional<MemoryPart> &part)
{
    GenerationReport r{fileName, deviceId, setup, achievedClock(setup, limits),
                       {},       {},       cells, part};
    r.timings = timingsInClocks(setup.timings, r.clock.tckPs);
    r.checks = jedecChecks(setup, r.clock);
    if (part)
        r.checks += partChecks(*part, setup, r.clock.tckPs);
    return r;
}

QStringList reportLines(const GenerationReport &r)
{
    const MemorySetup &s = r.setup;
    const ClockResult &c = r.clock;
    QStringList lines{
        QStringLiteral("DDR3 PHY generation report: %1").arg(r.fileName),
        QString(),
        row(QStringLiteral("Device"), r.deviceId),
        row(QStringLiteral("Clock ratio"),
            s.ratioIndex == 0 ? QStringLiteral("1:2") : QStringLiteral("1:4")),
        row(QStringLiteral("Memory type"), s.memoryType),
    };
    if (r.part) {
        lines << row(
            QStringLiteral("Memory part"),
            QStringLiteral("%1, %2 (%3)").arg(r.part->name, r.part->speedBin, r.part->source));
        // DDR3L's 1.35 V rail moves the memory banks of the FPGA to its I/O standard.
        if (r.part->vddMv == ddr3lVddMv) {
            lines << row(QStringLiteral("I/O standard"),
                         QStringLiteral("SSTL135: %1 is a DDR3L part at 1.35 V; its FPGA banks "
                                        "need VCCIO 1.35 V")
                             .arg(r.part->name));
        }
    }
    lines << QStringList{
        row(QStringLiteral("Organisation"),
            QStringLiteral("DQ %1, x%2 devices, %3 row and %4 column bits")
                .arg(s.dqWidth)
                .arg(s.dramWidth)
                .arg(s.rowBits)
                .arg(s.colBits)),
        QString(),
        QStringLiteral("Clock"),
        row(QStringLiteral("Reference clock"),
            mhz(c.referenceMHz) + QStringLiteral(" (%1 ps)").arg(s.referencePeriodPs)),
        row(QStringLiteral("Requested clock"), QStringLiteral("%1 MHz").arg(s.memoryClockMHz)),
    };
    if (pllUsable(c.pll)) {
        lines << row(QStringLiteral("Achieved clock"),
                     mhz(c.memoryMHz) + QStringLiteral(" (FBDIV %1, IDIV %2, ODIV %3)")
                                            .arg(c.pll.fbdiv)
                                            .arg(c.pll.idiv)
                                            .arg(c.pll.odiv))
              << row(QStringLiteral("Error"),
                     QString::number(c.errorPpm, 'f', 1) + QStringLiteral(" ppm"));
    } else {
        lines << row(QStringLiteral("Achieved clock"), QStringLiteral("no PLL setting found"));
    }
    lines << row(QStringLiteral("tCK"), QString::number(c.tckPs, 'f', 1) + QStringLiteral(" ps"))
          << QString() << QStringLiteral("Timings at %1").arg(mhz(c.memoryMHz));
    for (const TimingInClocks &t : r.timings) {
        const QString clocks = QStringLiteral("%1 clocks").arg(t.clocks, 6);
        QString value = t.ps < 0 ? clocks : QStringLiteral("%1 ps  %2").arg(t.ps, 9).arg(clocks);
        if (t.clocks < t.minimumClocks)
            value += QStringLiteral(", %1 with the DDR3 minimum").arg(t.minimumClocks);
        lines << row(t.name, value);
    }
    // AL is held as "0", "CL-1" or "CL-2".
    const int al =
        s.additiveLatency == QLatin1String("0") ? 0 : s.cl - s.additiveLatency.right(1).toInt();
    lines << row(QStringLiteral("CL / CWL / AL"),
                 QStringLiteral("%1 / %2 / %3 clocks").arg(s.cl).arg(s.cwl).arg(al))
          << row(QStringLiteral("WR"), QStringLiteral("%1 clocks").arg(s.writeRecovery))
          << QString() << QStringLiteral("JEDEC checks");
    for (const Check &check : r.checks)
        lines << QStringLiteral("  %1  %2").arg(verdictText(check.verdict), check.text);

    lines << QString() << QStringLiteral("Synthesis cells");
    if (r.cells.isEmpty()) {
        lines << QStringLiteral("  no cell counts in the synthesis log");
    } else {
        for (const CellCount &cell : r.cells)
            lines << row(cell.cell, QStringLiteral("%1").arg(cell.count, 6));
        const int sum =
            std::accumulate(r.cells.cbegin(), r.cells.cend(), 0,
                            [](int n, const CellCount &cell) { return n + cell.count; });
        lines << row(QStringLiteral("total"), QStringLiteral("%1").arg(sum, 6));
    }
    const int warnings = int(reportWarnings(r).size());
    lines << QString()
          << (warnings == 0 ? QStringLiteral("No warnings.")
                            : QStringLiteral("%1 warning(s).").arg(warnings));
    return lines;
}

QStringList reportWarnings(const GenerationReport &report)
{
    QStringList warnings;
    for (const Check &check : report.checks) {
        if (check.verdict == Verdict::Warning)
            warnings << check.text;
    }
    return warnings;
}

} // namespace DDR3PHY
