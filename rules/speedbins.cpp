#include "speedbins.h"

#include <QMap>

namespace DDR3PHY {

namespace {

// Rows at the full clock range of their CAS write latency.
constexpr SpeedBinRow cwl5(int cl)
{
    return {cl, 5, 2500, dllOnTckMaxPs};
}
constexpr SpeedBinRow cwl6(int cl)
{
    return {cl, 6, 1875, 2500};
}
constexpr SpeedBinRow cwl7(int cl)
{
    return {cl, 7, 1500, 1875};
}
constexpr SpeedBinRow cwl8(int cl)
{
    return {cl, 8, 1250, 1500};
}
// CL 5 is offered only at the slow end of the CWL 5 range, except by DDR3-800D.
constexpr SpeedBinRow cl5Slow{5, 5, 3000, dllOnTckMaxPs};

} // namespace

const QList<CwlRange> &cwlRanges()
{
    static const QList<CwlRange> ranges{
        {5, 2500, dllOnTckMaxPs}, {6, 1875, 2500}, {7, 1500, 1875}, {8, 1250, 1500}};
    return ranges;
}

// The memory clocks this generator offers end well before 800 MHz, so faster bins are left out.
const QList<SpeedBin> &speedBins()
{
    static const QList<SpeedBin> bins{
        {QStringLiteral("DDR3-800D"), 2500, 12500, {cwl5(5), cwl5(6)}},
        {QStringLiteral("DDR3-800E"), 2500, 15000, {cwl5(6)}},
        {QStringLiteral("DDR3-1066E"), 1875, 11250, {cl5Slow, cwl5(6), cwl6(6), cwl6(7), cwl6(8)}},
        {QStringLiteral("DDR3-1066F"), 1875, 13125, {cwl5(6), cwl6(7), cwl6(8)}},
        {QStringLiteral("DDR3-1066G"), 1875, 15000, {cwl5(6), cwl6(8)}},
        {QStringLiteral("DDR3-1333F"),
         1500,
         10500,
         {cl5Slow, cwl5(6), cwl6(6), cwl6(7), cwl7(7), cwl6(8), cwl7(8), cwl7(9), cwl7(10)}},
        {QStringLiteral("DDR3-1333G"),
         1500,
         12000,
         {cwl5(6), cwl6(7), cwl6(8), cwl7(8), cwl7(9), cwl7(10)}},
        {QStringLiteral("DDR3-1333H"), 1500, 13500, {cwl5(6), cwl6(8), cwl7(9), cwl7(10)}},
        {QStringLiteral("DDR3-1333J"), 1500, 15000, {cwl5(6), cwl6(8), cwl7(10)}},
        {QStringLiteral("DDR3-1600G"),
         1250,
         10000,
         {cl5Slow, cwl5(6), cwl6(6), cwl6(7), cwl7(7), cwl6(8), cwl7(8), cwl8(8), cwl7(9), cwl8(9),
          cwl7(10), cwl8(10), cwl8(11)}},
        {QStringLiteral("DDR3-1600H"),
         1250,
         11250,
         {cl5Slow, cwl5(6), cwl6(6), cwl6(7), cwl6(8), cwl7(8), cwl7(9), cwl8(9), cwl7(10),
          cwl8(10), cwl8(11)}},
        {QStringLiteral("DDR3-1600J"),
         1250,
         12500,
         {cwl5(6), cwl6(7), cwl6(8), cwl7(9), cwl7(10), cwl8(10), cwl8(11)}},
        {QStringLiteral("DDR3-1600K"), 1250, 13750, {cwl5(6), cwl6(8), cwl7(10), cwl8(11)}},
    };
    return bins;
}

bool tckWithin(double tckPs, int minPs, int maxPs)
{
    return tckPs >= minPs && (tckPs < maxPs || (maxPs == dllOnTckMaxPs && tckPs <= maxPs));
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
