#include "speedbins.h"

#include <QMap>

#include <algorithm>
#include <cmath>

namespace DDR3PHY {

namespace {

constexpr int cwlMinPs[] = {2500, 1875, 1500, 1250, 1071, 938}; // CWL 5 .. 10

constexpr int cwlMaxPs(int cwl)
{
    return cwl == 5 ? dllOnTckMaxPs : cwlMinPs[cwl - 6];
}

// A row over the whole clock range of its CAS write latency.
constexpr SpeedBinRow row(int cl, int cwl, bool optional = false)
{
    return {cl, cwl, cwlMinPs[cwl - 5], cwlMaxPs(cwl), optional};
}
constexpr SpeedBinRow downBin(int cl, int cwl)
{
    return row(cl, cwl, true);
}
// CL 5 where tAA needs the slow end of the CWL 5 range: 5 clocks of 3 ns cover up to 15 ns.
constexpr SpeedBinRow cl5Slow{5, 5, 3000, dllOnTckMaxPs, true};

} // namespace

int clocksFor(double ps, double tckPs)
{
    return int(std::ceil(ps / tckPs - 1e-6));
}

bool psAtLeast(double ps, double minimumPs)
{
    return clocksFor(minimumPs, ps) <= 1;
}

const QList<CwlRange> &cwlRanges()
{
    static const QList<CwlRange> ranges = [] {
        QList<CwlRange> list;
        for (int cwl = 5; cwl <= 10; ++cwl)
            list.append({cwl, cwlMinPs[cwl - 5], cwlMaxPs(cwl)});
        return list;
    }();
    return ranges;
}

const CwlRange *cwlRangeAt(double tckPs)
{
    const QList<CwlRange> &ranges = cwlRanges();
    const auto range = std::find_if(ranges.cbegin(), ranges.cend(), [tckPs](const CwlRange &r) {
        return tckWithin(tckPs, r.minPs, r.maxPs);
    });
    return range == ranges.cend() ? nullptr : &*range;
}

// JEDEC DDR3 speed bins. Each CWL's clock range offers the CLs from the smallest covering tAA at
// its fastest clock up to 6, 8, 10, 11, 13 and 14 for CWL 5 to 10. The bins marked "Nanya" match
// Table 1 on p. 1 of the Nanya 1Gb DDR3 D-die data sheet (NT5CB128M8DN/NT5CB64M16DP), Rev. 1.3
// Feb. 2012, in tRCD, tRP, tRC, tRAS and the clocks of each CL, but for two cells where the
// part's backward compatibility allows more than the bin (CL 8 from 1.5 ns for -DH, CL 5 from
// 2.5 ns for -EJ). DDR3-1866J, DDR3-2133K and DDR3-2133L rest on n x tCKmin alone: no maker's
// table listing them was found.
const QList<SpeedBin> &speedBins()
{
    // clang-format off
    //    name                        tCK    tAA    tRCD   tRP    tRAS   tRC    tCKE
    static const QList<SpeedBin> bins{
        {QStringLiteral("DDR3-800D"),  2500, 12500, 12500, 12500, 37500, 50000, 7500,
         {row(5, 5), row(6, 5)}},
        {QStringLiteral("DDR3-800E"),  2500, 15000, 15000, 15000, 37500, 52500, 7500,
         {cl5Slow, row(6, 5)}},
        {QStringLiteral("DDR3-1066E"), 1875, 11250, 11250, 11250, 37500, 48750, 5625,
         {row(5, 5), row(6, 5), row(6, 6), row(7, 6), row(8, 6)}},
        // Nanya -BE
        {QStringLiteral("DDR3-1066F"), 1875, 13125, 13125, 13125, 37500, 50625, 5625,
         {cl5Slow, row(6, 5), row(7, 6), row(8, 6)}},
        {QStringLiteral("DDR3-1066G"), 1875, 15000, 15000, 15000, 37500, 52500, 5625,
         {cl5Slow, row(6, 5), row(8, 6)}},
        {QStringLiteral("DDR3-1333F"), 1500, 10500, 10500, 10500, 36000, 46500, 5625,
         {row(5, 5), row(6, 5), row(6, 6), row(7, 6), row(7, 7), row(8, 6), row(8, 7), row(9, 7),
          row(10, 7)}},
        // Nanya -CF
        {QStringLiteral("DDR3-1333G"), 1500, 12000, 12000, 12000, 36000, 48000, 5625,
         {row(5, 5), row(6, 5), row(7, 6), row(8, 6), row(8, 7), row(9, 7), row(10, 7)}},
        {QStringLiteral("DDR3-1333H"), 1500, 13500, 13500, 13500, 36000, 49500, 5625,
         {cl5Slow, row(6, 5), downBin(7, 6), row(8, 6), row(9, 7), row(10, 7)}},
        {QStringLiteral("DDR3-1333J"), 1500, 15000, 15000, 15000, 36000, 51000, 5625,
         {cl5Slow, row(6, 5), row(8, 6), row(10, 7)}},
        {QStringLiteral("DDR3-1600G"), 1250, 10000, 10000, 10000, 35000, 45000, 5000,
         {row(5, 5), row(6, 5), row(6, 6), row(7, 6), row(7, 7), row(8, 6), row(8, 7), row(8, 8),
          row(9, 7), row(9, 8), row(10, 7), row(10, 8), row(11, 8)}},
        {QStringLiteral("DDR3-1600H"), 1250, 11250, 11250, 11250, 35000, 46250, 5000,
         {row(5, 5), row(6, 5), row(6, 6), row(7, 6), row(8, 6), row(8, 7), row(9, 7), row(9, 8),
          row(10, 7), row(10, 8), row(11, 8)}},
        // Nanya -DH
        {QStringLiteral("DDR3-1600J"), 1250, 12500, 12500, 12500, 35000, 47500, 5000,
         {row(5, 5), row(6, 5), row(7, 6), row(8, 6), row(9, 7), row(10, 7), row(10, 8),
          row(11, 8)}},
        {QStringLiteral("DDR3-1600K"), 1250, 13750, 13750, 13750, 35000, 48750, 5000,
         {cl5Slow, row(6, 5), downBin(7, 6), row(8, 6), downBin(9, 7), row(10, 7), row(11, 8)}},
        {QStringLiteral("DDR3-1866J"), 1071, 10700, 10700, 10700, 34000, 44700, 5000,
         {row(5, 5), row(6, 5), row(6, 6), row(7, 6), row(8, 6), row(8, 7), row(9, 7), row(9, 8),
          row(10, 7), row(10, 8), row(10, 9), row(11, 8), row(11, 9), row(12, 9), row(13, 9)}},
        {QStringLiteral("DDR3-1866K"), 1071, 11770, 11770, 11770, 34000, 45770, 5000,
         {row(5, 5), row(6, 5), row(7, 6), row(8, 6), row(8, 7), row(9, 7), row(10, 7), row(10, 8),
          row(11, 8), row(11, 9), row(12, 9), row(13, 9)}},
        // Nanya -EJ
        {QStringLiteral("DDR3-1866L"), 1071, 12840, 12840, 12840, 34000, 46840, 5000,
         {cl5Slow, row(6, 5), row(7, 6), row(8, 6), row(9, 7), row(10, 7), row(11, 8), row(12, 9),
          row(13, 9)}},
        {QStringLiteral("DDR3-1866M"), 1071, 13910, 13910, 13910, 34000, 47910, 5000,
         {cl5Slow, row(6, 5), downBin(7, 6), row(8, 6), downBin(9, 7), row(10, 7), downBin(11, 8),
          row(13, 9)}},
        {QStringLiteral("DDR3-2133K"),  938, 10285, 10285, 10285, 33000, 43285, 5000,
         {row(5, 5), row(6, 5), row(6, 6), row(7, 6), row(7, 7), row(8, 6), row(8, 7), row(9, 7),
          row(9, 8), row(10, 7), row(10, 8), row(10, 9), row(11, 8), row(11, 9), row(11, 10),
          row(12, 9), row(12, 10), row(13, 9), row(13, 10), row(14, 10)}},
        {QStringLiteral("DDR3-2133L"),  938, 11220, 11220, 11220, 33000, 44220, 5000,
         {row(5, 5), row(6, 5), row(6, 6), row(7, 6), row(8, 6), row(8, 7), row(9, 7), row(9, 8),
          row(10, 7), row(10, 8), row(11, 8), row(11, 9), row(12, 9), row(12, 10), row(13, 9),
          row(13, 10), row(14, 10)}},
        // Nanya -FK
        {QStringLiteral("DDR3-2133M"),  938, 12155, 12155, 12155, 33000, 45155, 5000,
         {row(5, 5), row(6, 5), row(7, 6), row(8, 6), row(9, 7), row(10, 7), row(10, 8), row(11, 8),
          row(12, 9), row(13, 9), row(13, 10), row(14, 10)}},
        {QStringLiteral("DDR3-2133N"),  938, 13090, 13090, 13090, 33000, 46090, 5000,
         {cl5Slow, row(6, 5), row(7, 6), row(8, 6), row(9, 7), row(10, 7), row(11, 8),
          row(13, 9), row(14, 10)}},
    };
    // clang-format on
    return bins;
}

const SpeedBin *speedBin(const QString &name)
{
    const QList<SpeedBin> &bins = speedBins();
    const auto bin = std::find_if(bins.cbegin(), bins.cend(),
                                  [&name](const SpeedBin &b) { return b.name == name; });
    return bin == bins.cend() ? nullptr : &*bin;
}

bool tckWithin(double tckPs, int minPs, int maxPs)
{
    const bool belowMax =
        maxPs == dllOnTckMaxPs ? psAtLeast(maxPs, tckPs) : !psAtLeast(tckPs, maxPs);
    return psAtLeast(tckPs, minPs) && belowMax;
}

QString partSpeedBin(const QString &memoryType)
{
    // Both parts are DDR3-1600 devices at CL 11.
    static const QMap<QString, QString> bins{
        {QStringLiteral("AD3U160022G11"), QStringLiteral("DDR3-1600K")},
        {QStringLiteral("MT41J128M16JT-125k"), QStringLiteral("DDR3-1600K")},
    };
    return bins.value(memoryType);
}

const QList<DensityRefresh> &densityRefresh()
{
    static const QList<DensityRefresh> table{
        {512, 90000}, {1024, 110000}, {2048, 160000}, {4096, 260000}, {8192, 350000}};
    return table;
}

const QList<int> &writeRecoveryCycles()
{
    static const QList<int> cycles{5, 6, 7, 8, 10, 12, 14, 16};
    return cycles;
}

} // namespace DDR3PHY
