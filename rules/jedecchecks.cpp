#include "jedecchecks.h"

#include <algorithm>

namespace DDR3PHY {

namespace {

constexpr int banks = 8;

// "DDR3-800D/E, DDR3-1066E/F/G": bins of one data rate share their prefix.
QString binNames(const QList<const SpeedBin *> &bins)
{
    QStringList groups;
    QString prefix;
    for (const SpeedBin *bin : bins) {
        const QString binPrefix = bin->name.chopped(1);
        if (binPrefix == prefix) {
            groups.last() += QLatin1Char('/') + bin->name.right(1);
        } else {
            groups << bin->name;
            prefix = binPrefix;
        }
    }
    return groups.join(QStringLiteral(", "));
}

QString densityText(int megabits)
{
    return megabits >= 1024 ? QStringLiteral("%1 Gb").arg(megabits / 1024)
                            : QStringLiteral("%1 Mb").arg(megabits);
}

Check tckCheck(double tckPs)
{
    const SpeedBin &fastest = speedBins().last();
    if (!psAtLeast(dllOnTckMaxPs, tckPs)) {
        return {Verdict::Warning,
                QStringLiteral("tCK %1 ps is slower than %2 ps, the slowest clock DDR3 allows with "
                               "its DLL on (%3 MHz)")
                    .arg(psText(tckPs))
                    .arg(dllOnTckMaxPs)
                    .arg(1e6 / dllOnTckMaxPs, 0, 'f', 2)};
    }
    if (!psAtLeast(tckPs, fastest.tckMinPs)) {
        return {Verdict::Warning, QStringLiteral("tCK %1 ps is faster than %2 ps, the fastest "
                                                 "clock of the DDR3 speed bins up to %3")
                                      .arg(psText(tckPs))
                                      .arg(fastest.tckMinPs)
                                      .arg(fastest.name)};
    }
    return {Verdict::Ok, QStringLiteral("tCK %1 ps is inside the DDR3 DLL-on range %2 to %3 ps")
                             .arg(psText(tckPs))
                             .arg(fastest.tckMinPs)
                             .arg(dllOnTckMaxPs)};
}

// The part's own bin when the memory type is a part; every bin for Custom.
QList<const SpeedBin *> candidateBins(const QString &memoryType)
{
    const QString partBin = partSpeedBin(memoryType);
    QList<const SpeedBin *> candidates;
    for (const SpeedBin &bin : speedBins()) {
        if (partBin.isEmpty() || bin.name == partBin)
            candidates << &bin;
    }
    return candidates;
}

const SpeedBinRow *rowFor(const SpeedBin &bin, int cl, int cwl, double tckPs)
{
    const auto row = std::find_if(bin.rows.cbegin(), bin.rows.cend(), [&](const SpeedBinRow &r) {
        return r.cl == cl && r.cwl == cwl && tckWithin(tckPs, r.minPs, r.maxPs);
    });
    return row == bin.rows.cend() ? nullptr : &*row;
}

// Bins whose row for the pair holds tCK: those with a required row, then those with only an
// optional one.
struct Allowing
{
    QList<const SpeedBin *> required;
    QList<const SpeedBin *> optional;
};
Allowing allowingBins(const QList<const SpeedBin *> &candidates, int cl, int cwl, double tckPs)
{
    Allowing a;
    for (const SpeedBin *bin : candidates) {
        if (const SpeedBinRow *row = rowFor(*bin, cl, cwl, tckPs))
            (row->optional ? a.optional : a.required) << bin;
    }
    return a;
}

Check latencyCheck(int cl, int cwl, double tckPs, const QString &memoryType)
{
    const QString pair =
        QStringLiteral("CL %1 with CWL %2 at tCK %3 ps").arg(cl).arg(cwl).arg(psText(tckPs));
    const QString partBin = partSpeedBin(memoryType);
    const QList<const SpeedBin *> candidates = candidateBins(memoryType);
    const Allowing allowing = allowingBins(candidates, cl, cwl, tckPs);
    const QString optionalText = QStringLiteral("the optional row of %1 (parts that support it)")
                                     .arg(binNames(allowing.optional));
    if (!allowing.required.isEmpty()) {
        return {
            Verdict::Ok,
            pair + QStringLiteral(": allowed by ") + binNames(allowing.required) +
                (allowing.optional.isEmpty() ? QString() : QStringLiteral("; by ") + optionalText)};
    }
    if (!allowing.optional.isEmpty())
        return {Verdict::Ok, pair + QStringLiteral(": allowed only by ") + optionalText};

    const auto denial = [&](const char *any, const char *part) {
        return partBin.isEmpty()
                   ? QStringLiteral("no DDR3 speed bin ") + QLatin1String(any)
                   : QStringLiteral("%1, the speed bin of %2, ").arg(partBin, memoryType) +
                         QLatin1String(part);
    };
    bool never = true;
    for (const SpeedBin *bin : candidates) {
        never = never && std::none_of(bin->rows.cbegin(), bin->rows.cend(), [&](const auto &row) {
                    return row.cl == cl && row.cwl == cwl;
                });
    }
    const QString neverText =
        never ? QStringLiteral("; this pair is legal at no clock") : QString();
    const CwlRange *range = cwlRangeAt(tckPs);
    if (!range) {
        return {Verdict::Warning, pair + QStringLiteral(": ") +
                                      denial("runs at this clock", "does not run at this clock") +
                                      neverText};
    }
    QList<int> cls;
    for (const SpeedBin *bin : candidates) {
        for (const SpeedBinRow &row : bin->rows) {
            if (row.cwl == range->cwl && tckWithin(tckPs, row.minPs, row.maxPs) &&
                !cls.contains(row.cl))
                cls << row.cl;
        }
    }
    std::sort(cls.begin(), cls.end());
    QStringList clTexts;
    for (int n : cls)
        clTexts << QString::number(n);
    return {Verdict::Warning, pair + QStringLiteral(": ") +
                                  denial("allows it", "does not allow it") +
                                  QStringLiteral("; this clock takes CWL %1 with CL %2")
                                      .arg(range->cwl)
                                      .arg(clTexts.join(QStringLiteral(", "))) +
                                  neverText};
}

struct RowTiming
{
    const char *name;
    int Timings::*core;
    int SpeedBin::*minimum;
};
constexpr RowTiming rowTimings[] = {{"tRCD", &Timings::tRcd, &SpeedBin::trcdMinPs},
                                    {"tRP", &Timings::tRp, &SpeedBin::trpMinPs},
                                    {"tRAS", &Timings::tRas, &SpeedBin::trasMinPs},
                                    {"tRC", &Timings::tRc, &SpeedBin::trcMinPs}};

// The row timings in clocks against the bin's minimums in clocks: what the controller counts.
QStringList shortRowTimings(const Timings &t, const SpeedBin &bin, double tckPs)
{
    QStringList shortfalls;
    for (const RowTiming &rt : rowTimings) {
        const int have = clocksFor(t.*rt.core, tckPs);
        const int need = clocksFor(bin.*rt.minimum, tckPs);
        if (have < need) {
            shortfalls << QStringLiteral("%1 %2 ps (%3 clocks, %4 needs %5 ps, %6 clocks)")
                              .arg(QLatin1String(rt.name))
                              .arg(t.*rt.core)
                              .arg(have)
                              .arg(bin.name)
                              .arg(bin.*rt.minimum)
                              .arg(need);
        }
    }
    return shortfalls;
}

// Against the part's bin; for Custom against the bins that allow the CL/CWL pair here (or run
// at this clock, or any), passing when one of them is met.
Check rowTimingCheck(const MemorySetup &setup, double tckPs)
{
    QList<const SpeedBin *> candidates = candidateBins(setup.memoryType);
    if (candidates.size() > 1) {
        const Allowing a = allowingBins(candidates, setup.cl, setup.cwl, tckPs);
        QList<const SpeedBin *> running;
        for (const SpeedBin *bin : candidates) {
            if (std::any_of(bin->rows.cbegin(), bin->rows.cend(), [tckPs](const auto &row) {
                    return tckWithin(tckPs, row.minPs, row.maxPs);
                }))
                running << bin;
        }
        if (!(a.required + a.optional).isEmpty())
            candidates = a.required + a.optional;
        else if (!running.isEmpty())
            candidates = running;
    }
    const QString names = QStringLiteral("tRCD/tRP/tRAS/tRC %1/%2/%3/%4 ps")
                              .arg(setup.timings.tRcd)
                              .arg(setup.timings.tRp)
                              .arg(setup.timings.tRas)
                              .arg(setup.timings.tRc);
    QStringList fewest;
    for (const SpeedBin *bin : candidates) {
        const QStringList shortfalls = shortRowTimings(setup.timings, *bin, tckPs);
        if (shortfalls.isEmpty()) {
            return {Verdict::Ok, names + QStringLiteral(" cover the minimums of %1 at tCK %2 ps")
                                             .arg(bin->name, psText(tckPs))};
        }
        if (fewest.isEmpty() || shortfalls.size() < fewest.size())
            fewest = shortfalls;
    }
    return {Verdict::Warning, QStringLiteral("too short at tCK %1 ps: ").arg(psText(tckPs)) +
                                  fewest.join(QStringLiteral("; "))};
}

Check writeRecoveryCheck(int writeRecovery, double tckPs)
{
    const int needed = clocksFor(twrPs, tckPs);
    const QString twr = QStringLiteral("tWR %1 ps (%2 clocks at tCK %3 ps)")
                            .arg(twrPs)
                            .arg(needed)
                            .arg(psText(tckPs));
    if (writeRecovery >= needed)
        return {Verdict::Ok, QStringLiteral("WR %1 clocks covers ").arg(writeRecovery) + twr};
    const QList<int> &settings = writeRecoveryCycles();
    const auto next = std::find_if(settings.cbegin(), settings.cend(),
                                   [needed](int cycles) { return cycles >= needed; });
    return {Verdict::Warning,
            QStringLiteral("WR %1 clocks is shorter than ").arg(writeRecovery) + twr +
                (next == settings.cend()
                     ? QStringLiteral("; no Write Recovery setting is long enough")
                     : QStringLiteral("; choose Write Recovery %1 or more").arg(*next))};
}

Check refreshCycleCheck(const MemorySetup &setup)
{
    const qint64 bits = (qint64(1) << (setup.rowBits + setup.colBits)) * banks * setup.dramWidth;
    const int megabits = int(bits >> 20);
    const auto density =
        std::find_if(densityRefresh().cbegin(), densityRefresh().cend(),
                     [megabits](const DensityRefresh &d) { return d.megabits == megabits; });
    const int trfc = setup.timings.tRfc;
    if (density == densityRefresh().cend()) {
        return {Verdict::Warning,
                QStringLiteral("%1 row and %2 column bits of x%3 devices make %4 devices, not a "
                               "DDR3 density: tRFC %5 ps not checked")
                    .arg(setup.rowBits)
                    .arg(setup.colBits)
                    .arg(setup.dramWidth)
                    .arg(megabits ? densityText(megabits) : QStringLiteral("%1 kb").arg(bits >> 10))
                    .arg(trfc)};
    }
    if (trfc < density->trfcMinPs) {
        return {Verdict::Warning, QStringLiteral("tRFC %1 ps is shorter than the %2 ps %3 devices "
                                                 "need")
                                      .arg(trfc)
                                      .arg(density->trfcMinPs)
                                      .arg(densityText(megabits))};
    }
    return {Verdict::Ok, QStringLiteral("tRFC %1 ps covers the %2 ps of %3 devices")
                             .arg(trfc)
                             .arg(density->trfcMinPs)
                             .arg(densityText(megabits))};
}

Check refreshIntervalCheck(const Timings &t)
{
    if (t.tRefi > trefiMaxPs) {
        return {Verdict::Warning, QStringLiteral("tREFI %1 ps is longer than %2 ps, the longest "
                                                 "average refresh interval of DDR3")
                                      .arg(t.tRefi)
                                      .arg(trefiMaxPs)};
    }
    if (t.tRefi <= t.tRfc) {
        return {Verdict::Warning,
                QStringLiteral("tREFI %1 ps is not longer than tRFC %2 ps: the memory would do "
                               "nothing but refresh")
                    .arg(t.tRefi)
                    .arg(t.tRfc)};
    }
    return {Verdict::Ok, QStringLiteral("tREFI %1 ps is within %2 ps (half of it above 85 °C)")
                             .arg(t.tRefi)
                             .arg(trefiMaxPs)};
}

Check dllLockCheck(int tDllk)
{
    const QString text = QStringLiteral("tDLLK %1 clocks").arg(tDllk);
    if (tDllk < dllLockClocks) {
        return {
            Verdict::Warning,
            text +
                QStringLiteral(" is shorter than the %1 the DLL needs to lock").arg(dllLockClocks)};
    }
    return {Verdict::Ok,
            text + QStringLiteral(" covers the %1 the DLL needs to lock").arg(dllLockClocks)};
}

} // namespace


ClockResult achievedClock(const MemorySetup &setup, const PllLimits &limits)
{
    ClockResult c;
    const double requested = setup.memoryClockMHz;
    c.referenceMHz = 1000000.0 / setup.referencePeriodPs;
    c.pll = searchPll(limits, c.referenceMHz, requested);
    c.memoryMHz = pllUsable(c.pll) ? c.pll.frequency : requested;
    c.tckPs = 1000000.0 / c.memoryMHz;
    c.errorPpm = (c.memoryMHz - requested) / requested * 1e6;
    return c;
}

QString psText(double ps)
{
    return QString::number(ps, 'f', 1);
}

bool pllUsable(const PllChoice &choice)
{
    return choice.found && choice.odiv != 0;
}


QList<Check> jedecChecks(const MemorySetup &setup, const ClockResult &clock)
{
    QList<Check> checks;
    if (!pllUsable(clock.pll)) {
        checks.append({Verdict::Warning,
                       QStringLiteral("no PLL setting makes %1 MHz from %2 MHz: the figures "
                                      "below are for the requested clock")
                           .arg(setup.memoryClockMHz)
                           .arg(clock.referenceMHz, 0, 'f', 6)});
    }
    checks.append(tckCheck(clock.tckPs));
    checks.append(latencyCheck(setup.cl, setup.cwl, clock.tckPs, setup.memoryType));
    checks.append(rowTimingCheck(setup, clock.tckPs));
    checks.append(writeRecoveryCheck(setup.writeRecovery, clock.tckPs));
    checks.append(refreshCycleCheck(setup));
    checks.append(refreshIntervalCheck(setup.timings));
    checks.append(dllLockCheck(setup.timings.tDllk));
    return checks;
}

} // namespace DDR3PHY
