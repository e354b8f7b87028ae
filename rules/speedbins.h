#pragma once

#include <QList>
#include <QString>

namespace DDR3PHY {

// The slowest clock DDR3 runs with its DLL on, in ps (inclusive).
constexpr int dllOnTckMaxPs = 3300;

// A CAS write latency and the clock periods it is programmed for, in ps: from minPs inclusive up
// to maxPs, exclusive except at dllOnTckMaxPs.
struct CwlRange
{
    int cwl;
    int minPs;
    int maxPs;
};
const QList<CwlRange> &cwlRanges(); // slowest clock first

// One (CL, CWL) pair a speed bin allows, with its clock periods (bounds as in CwlRange).
struct SpeedBinRow
{
    int cl;
    int cwl;
    int minPs;
    int maxPs;
};

struct SpeedBin
{
    QString name;            // "DDR3-1066F"
    int tckMinPs;            // the bin's fastest clock
    int taaMinPs;            // internal READ to first data
    QList<SpeedBinRow> rows; // by CL, then CWL
};
const QList<SpeedBin> &speedBins(); // slowest first, then by tAA

bool tckWithin(double tckPs, int minPs, int maxPs);

// The bin of a memory part the dialog offers by name; empty for any other memory type.
QString partSpeedBin(const QString &memoryType);

// Refresh cycle time by device density.
struct DensityRefresh
{
    int megabits;
    int trfcMinPs;
};
const QList<DensityRefresh> &densityRefresh(); // ascending

constexpr int trefiMaxPs = 7800000; // average refresh interval at normal temperature
constexpr int twrPs = 15000;        // write recovery, the same for every bin
// WR values the mode register can hold, in the order the Write Recovery list offers them.
const QList<int> &writeRecoveryCycles();

} // namespace DDR3PHY
