#pragma once

#include <QList>
#include <QString>

namespace DDR3PHY {

// The slowest clock DDR3 runs with its DLL on, in ps (inclusive).
constexpr int dllOnTckMaxPs = 3300;

// Whole clocks covering `ps`, ignoring the last bits of floating-point noise. Every comparison of
// a clock period against a limit goes through it, so a PLL result a hair off a bin's edge counts
// as the edge.
int clocksFor(double ps, double tckPs);
// A time is at least `minimumPs` within the tolerance of clocksFor.
bool psAtLeast(double ps, double minimumPs);

// A CAS write latency and the clock periods it is programmed for, in ps: from minPs inclusive up
// to maxPs, exclusive except at dllOnTckMaxPs.
struct CwlRange
{
    int cwl;
    int minPs;
    int maxPs;
};
const QList<CwlRange> &cwlRanges();       // slowest clock first
const CwlRange *cwlRangeAt(double tckPs); // null outside the DLL-on clocks

// One (CL, CWL) pair a speed bin allows, with its clock periods (bounds as in CwlRange).
// Optional rows are those a maker may leave out: CL 5 in the bins whose tAA needs 3 ns for it,
// and the down-bin rows that need the 13.125 ns tAA of a part that supports them.
struct SpeedBinRow
{
    int cl;
    int cwl;
    int minPs;
    int maxPs;
    bool optional;
};

struct SpeedBin
{
    QString name;            // "DDR3-1066F"
    int tckMinPs;            // the bin's fastest clock
    int taaMinPs;            // internal READ to first data
    int trcdMinPs;           // ACTIVATE to READ or WRITE
    int trpMinPs;            // PRECHARGE period
    int trasMinPs;           // ACTIVATE to PRECHARGE
    int trcMinPs;            // ACTIVATE to ACTIVATE, tRAS + tRP
    int tckeMinPs;           // CKE pulse width, besides its 3 clocks
    QList<SpeedBinRow> rows; // by CL, then CWL
};
const QList<SpeedBin> &speedBins();            // slowest first, then by tAA
const SpeedBin *speedBin(const QString &name); // null for an unknown name

// The tAA a part needs to use the optional down-bin rows.
constexpr int downBinTaaPs = 13125;

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

constexpr int trefiMaxPs = 7800000;      // average refresh interval at normal temperature
constexpr int trefiExtendedPs = 3900000; // above 85 °C
constexpr int twrPs = 15000;             // write recovery, the same for every bin
constexpr int dllLockClocks = 512;       // tDLLK
// WR values the mode register can hold, in the order the Write Recovery list offers them.
const QList<int> &writeRecoveryCycles();

} // namespace DDR3PHY
