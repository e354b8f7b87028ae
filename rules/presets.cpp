#include "presets.h"

namespace DDR3PHY {

namespace {

QStringList numberTexts(int first, int last, int step = 1)
{
    QStringList texts;
    for (int n = first; n <= last; n += step)
        texts << QString::number(n);
    return texts;
}

// Both parts share the speed bin's timing set.
constexpr Timings partTimings{12500, 7500, 7500,  12500,   55000,  37500,
                              40000, 7500, 75000, 7800000, 160000, 512};

} // namespace

const RatioSetup &ratioSetup(int ratioIndex)
{
    static const RatioSetup halfRate{{QStringLiteral("AD3U160022G11"), QStringLiteral("Custom")},
                                     100,
                                     300,
                                     QStringLiteral("(100 - 300)"),
                                     200,
                                     0,
                                     true};
    static const RatioSetup quarterRate{
        {QStringLiteral("MT41J128M16JT-125k"), QStringLiteral("Custom")},
        100,
        700,
        QStringLiteral("(100 - 700)"),
        200,
        1,
        false};
    return ratioIndex == 0 ? halfRate : quarterRate;
}

const MemoryPreset &memoryPreset(PresetKind kind)
{
    static const MemoryPreset chip12{numberTexts(8, 64, 8), // no "72": no error correction
                                     1,                     // DQ "16"
                                     true,
                                     1, // DRAM width "8"
                                     3, // row "15"
                                     1, // column "10"
                                     partTimings,
                                     numberTexts(11, 11),
                                     0,
                                     numberTexts(5, 7),
                                     0};
    static const MemoryPreset chip14{numberTexts(8, 72, 8),
                                     1, // DQ "16"
                                     true,
                                     2, // DRAM width "16"
                                     2, // row "14"
                                     1, // column "10"
                                     partTimings,
                                     numberTexts(5, 8),
                                     0,
                                     numberTexts(5, 6),
                                     0};
    static const MemoryPreset custom{numberTexts(8, 72, 8),
                                     1, // DQ "16"
                                     false,
                                     0,
                                     0,
                                     0,
                                     Timings{},
                                     numberTexts(5, 14),
                                     0,
                                     numberTexts(5, 12),
                                     0};
    switch (kind) {
    case PresetKind::Chip12:
        return chip12;
    case PresetKind::Chip14:
        return chip14;
    case PresetKind::Custom:
        break;
    }
    return custom;
}

const QList<int> &dramWidthItems()
{
    static const QList<int> items{4, 8, 16};
    return items;
}

const QList<int> &rowAddressItems()
{
    static const QList<int> items{12, 13, 14, 15, 16};
    return items;
}

const QList<int> &columnAddressItems()
{
    static const QList<int> items{9, 10};
    return items;
}

const QList<int> &referenceClockPeriods()
{
    static const QList<int> periods{2500,  2750,  3000,  3125,  3250,  3500,  3750,  4000,  4375,
                                    5000,  5625,  6250,  6875,  7500,  8125,  8750,  9375,  10000,
                                    12500, 13750, 15000, 16250, 18750, 20000, 21276, 27777, 30303,
                                    33333, 35714, 37037, 40000, 41666, 50000, 55555};
    return periods;
}

QString referenceClockItemText(int periodPs)
{
    return QStringLiteral("%1 ps").arg(periodPs);
}

} // namespace DDR3PHY
