#pragma once

#include "jedecchecks.h"

#include <optional>

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

namespace DDR3PHY {

// A configuration record read through the configuration table, for the generation report.

// Indices are read against the item lists the dialog holds once the record's ratio and memory
// type are applied. Nothing when a key is missing or not a number, or an index lies outside its
// list; `error` then names the key.
std::optional<MemorySetup> memorySetup(const QMap<QString, QVariant> &record, QString *error);

struct TimingInClocks
{
    QString name;
    int ps; // -1 for a value given in clocks
    int clocks;
    int minimumClocks; // the floor DDR3 puts under the time (tRRD = max(4 clocks, ...)); 0: none
};
QList<TimingInClocks> timingsInClocks(const Timings &timings, double tckPs);

} // namespace DDR3PHY
