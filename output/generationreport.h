#pragma once

#include "memoryparts.h"
#include "recordsetup.h"

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

namespace DDR3PHY {

struct CellCount
{
    QString cell;
    int count;
};

// The cell table of the last statistics in a Yosys log: the whole design's when the log has a
// hierarchy. Empty when the log holds none (another tool, or a run cut short).
QList<CellCount> yosysCellCounts(const QStringList &logLines);

// Everything one report shows, computed after a successful generation.
struct GenerationReport
{
    QString fileName; // the core's file name, without extension
    QString deviceId;
    MemorySetup setup;
    ClockResult clock;
    QList<TimingInClocks> timings;
    QList<Check> checks;
    QList<CellCount> cells;
    std::optional<MemoryPart> part; // the part or SPD image the settings came from
};

// With a part, the report names it and its source and checks the core against its minimums.
GenerationReport generationReport(const QString &fileName, const QString &deviceId,
                                  const MemorySetup &setup, const PllLimits &limits,
                                  const QList<CellCount> &cells,
                                  const std::optional<MemoryPart> &part = std::nullopt);

QStringList reportLines(const GenerationReport &report); // <file>_report.txt
QStringList reportWarnings(const GenerationReport &report);

} // namespace DDR3PHY
