#pragma once

#include "jedecchecks.h"
#include "memoryparts.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace DDR3PHY {

// One edit of a dialog control: its object name and the value as `ipgen --set` takes it (an
// item text, a number, "true"/"false").
struct ControlEdit
{
    QString control;
    QString value;
};

// What a part sets in the dialog for one memory clock, or why it cannot.
struct PartSetup
{
    QString error;            // one line naming the limit or field; the rest is empty then
    QList<ControlEdit> edits; // in the order to apply, after the ratio and the memory clock
    QStringList warnings;
    int cl = 0;
    int cwl = 0;
    int writeRecovery = 0; // clocks
    Timings timings{};
};

// Why the dialog cannot take the part (more than one rank, column bits other than 9 or 10, a
// width or row count its lists lack), naming the field; empty when it can.
QString partRefusal(const MemoryPart &part);

// The memory type "Custom", the organisation, every timing field, then CL, CWL, AL and WR for
// the clock the PLL achieves (`tckPs`) when `memoryClockMHz` was asked for at the ratio
// (0 = 1:2). CL is the lowest the part's bin allows at tCK; below the DLL-on clocks it is the
// lowest of the part's CLs covering tAA with CWL 5, with a warning.
PartSetup partSetup(const MemoryPart &part, int ratioIndex, int memoryClockMHz, double tckPs);

// The core's organisation, CL, WR and timings against the part's minimums in clocks at tCK, for
// the generation report: one line for each shortfall, or one line saying all are covered.
QList<Check> partChecks(const MemoryPart &part, const MemorySetup &setup, double tckPs);

} // namespace DDR3PHY
