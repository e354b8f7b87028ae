#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace DDR3PHY {

// What a clock ratio sets on the type and options pages.
struct RatioSetup
{
    QStringList memoryTypes; // the ratio's part, then "Custom"
    int clockMin;
    int clockMax;
    QString clockRangeText; // "(100 - 300)"
    int clockValue;         // always 200
    int burstModeIndex;
    bool burstModeEnabled;
};
const RatioSetup &ratioSetup(int ratioIndex); // 0 is 1:2, any other index 1:4

enum class PresetKind { Chip12, Chip14, Custom };

// Timing values in ps, except tDLLK in clock cycles.
struct Timings
{
    int tRp, tRrd, tRtp, tRcd, tRc, tRas, tFaw, tWtr, tCke, tRefi, tRfc, tDllk;
};

// A memory-type preset. For Custom the DRAM width, address and timing fields are left as they
// are (`locks` false), and only the lists below are rebuilt.
struct MemoryPreset
{
    QStringList dqWidths;
    int dqIndex;
    bool locks;         // the part fixes DRAM width, row, column and additive latency
    int dramWidthIndex; // meaningful only when locks
    int rowIndex;
    int colIndex;
    Timings timings;
    QStringList casLatencies;
    int casIndex;
    QStringList cwLatencies;
    int cwIndex;
};
const MemoryPreset &memoryPreset(PresetKind kind);

// The items of the fixed DRAM-width, row-address and column-address lists, as numbers, for code
// that reads stored indices or written values without the forms.
const QList<int> &dramWidthItems();     // 4, 8, 16
const QList<int> &rowAddressItems();    // 12 .. 16
const QList<int> &columnAddressItems(); // 9, 10

// Item data of the reference-clock list: periods in ps, ascending.
const QList<int> &referenceClockPeriods();
QString referenceClockItemText(int periodPs); // "20000 ps"
constexpr int defaultReferenceClockPeriod = 20000;

} // namespace DDR3PHY
