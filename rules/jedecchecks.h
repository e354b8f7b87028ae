#pragma once

#include "pllsearch.h"
#include "presets.h"
#include "speedbins.h"

#include <optional>

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

namespace DDR3PHY {

// What the report reads from a configuration record, with the combo indices turned into the
// values their items show.
struct MemorySetup
{
    int ratioIndex = 0;
    QString memoryType;
    int memoryClockMHz = 0;
    int referencePeriodPs = 0;
    int dqWidth = 0;
    int dramWidth = 0;
    int rowBits = 0;
    int colBits = 0;
    Timings timings{};
    int cl = 0;
    int cwl = 0;
    QString additiveLatency;
    int writeRecovery = 0; // clocks
};

struct ClockResult
{
    double referenceMHz = 0.0;
    PllChoice pll;
    double memoryMHz = 0.0; // achieved; the requested clock when no PLL setting was found
    double tckPs = 0.0;
    double errorPpm = 0.0;
};
bool pllUsable(const PllChoice &choice); // a pair and an output divider were found
ClockResult achievedClock(const MemorySetup &setup, const PllLimits &limits);

QString psText(double ps); // one decimal, as the report shows times

enum class Verdict { Ok, Warning };
struct Check
{
    Verdict verdict;
    QString text;
};

// The clock, the latencies, the row timings against the speed bin, write recovery and refresh
// against the DDR3 rules, one line each.
QList<Check> jedecChecks(const MemorySetup &setup, const ClockResult &clock);

} // namespace DDR3PHY
