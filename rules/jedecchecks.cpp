#include "jedecchecks.h"

#include "configtable.h"
#include "speedbins.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace DDR3PHY {

namespace {

// The floor DDR3 puts under a time, in clocks: tRRD = max(4 clocks, 7.5 ns) and the like.
int minimumClocks(int Timings::*timing)
{
    if (timing == &Timings::tRrd || timing == &Timings::tRtp || timing == &Timings::tWtr)
        return 4;
    return timing == &Timings::tCke ? 3 : 0;
}

constexpr int dllLockClocks = 512;
constexpr int banks = 8;

// Reads keys until the first bad one, which it names in `error`.
class RecordReader
{
public:
    RecordReader(const QMap<QString, QVariant> &record, QString *error)
        : m_record(record), m_error(error)
    {
    }
    bool ok() const { return m_ok; }

    int number(const char *key)
    {
        if (!m_ok)
            return 0;
        bool good = false;
        const int n = m_record.value(QString::fromLatin1(key)).toInt(&good);
        if (!good)
            fail(QStringLiteral("%1 is missing or not a number").arg(QLatin1String(key)));
        return n;
    }

    int numberIn(const char *key, int minimum, int maximum)
    {
        const int n = number(key);
        if (m_ok && (n < minimum || n > maximum)) {
            fail(QStringLiteral("%1 = %2 is outside %3 to %4")
                     .arg(QLatin1String(key))
                     .arg(n)
                     .arg(minimum)
                     .arg(maximum));
        }
        return n;
    }

    template <typename List> typename List::value_type item(const char *key, const List &items)
    {
        const int index = numberIn(key, 0, int(items.size()) - 1);
        return m_ok ? items.at(index) : typename List::value_type{};
    }

private:
    void fail(const QString &message)
    {
        m_ok = false;
        if (m_error)
            *m_error = message;
    }

    const QMap<QString, QVariant> &m_record;
    QString *m_error;
    bool m_ok = true;
};

QString psText(double ps)
{
    return QString::number(ps, 'f', 1);
}

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
    int fastest = dllOnTckMaxPs;
    for (const SpeedBin &bin : speedBins())
        fastest = std::min(fastest, bin.tckMinPs);
    if (tckPs > dllOnTckMaxPs) {
        return {Verdict::Warning,
                QStringLiteral("tCK %1 ps is slower than %2 ps, the slowest clock DDR3 allows with "
                               "its DLL on (%3 MHz)")
                    .arg(psText(tckPs))
                    .arg(dllOnTckMaxPs)
                    .arg(1e6 / dllOnTckMaxPs, 0, 'f', 2)};
    }
    if (tckPs < fastest) {
        return {Verdict::Warning, QStringLiteral("tCK %1 ps is faster than %2 ps, the fastest "
                                                 "clock of the DDR3 speed bins up to DDR3-1600")
                                      .arg(psText(tckPs))
                                      .arg(fastest)};
    }
    return {Verdict::Ok, QStringLiteral("tCK %1 ps is inside the DDR3 DLL-on range %2 to %3 ps")
                             .arg(psText(tckPs))
                             .arg(fastest)
                             .arg(dllOnTckMaxPs)};
}

// The part's own bin when the memory type is a part; any bin for Custom.
Check latencyCheck(int cl, int cwl, double tckPs, const QString &memoryType)
{
    const QString pair =
        QStringLiteral("CL %1 with CWL %2 at tCK %3 ps").arg(cl).arg(cwl).arg(psText(tckPs));
    const QString partBin = partSpeedBin(memoryType);
    QList<const SpeedBin *> candidates;
    for (const SpeedBin &bin : speedBins()) {
        if (partBin.isEmpty() || bin.name == partBin)
            candidates << &bin;
    }
    const auto rowsOf = [&](auto accepts) {
        QList<SpeedBinRow> rows;
        for (const SpeedBin *bin : candidates)
            std::copy_if(bin->rows.cbegin(), bin->rows.cend(), std::back_inserter(rows), accepts);
        return rows;
    };
    QList<const SpeedBin *> allowing;
    for (const SpeedBin *bin : candidates) {
        const bool allows = std::any_of(bin->rows.cbegin(), bin->rows.cend(), [&](const auto &row) {
            return row.cl == cl && row.cwl == cwl && tckWithin(tckPs, row.minPs, row.maxPs);
        });
        if (allows)
            allowing << bin;
    }
    if (!allowing.isEmpty())
        return {Verdict::Ok, pair + QStringLiteral(": allowed by ") + binNames(allowing)};

    const auto denial = [&](const char *any, const char *part) {
        return partBin.isEmpty()
                   ? QStringLiteral("no DDR3 speed bin ") + QLatin1String(any)
                   : QStringLiteral("%1, the speed bin of %2, ").arg(partBin, memoryType) +
                         QLatin1String(part);
    };
    const bool never =
        rowsOf([&](const auto &row) { return row.cl == cl && row.cwl == cwl; }).isEmpty();
    const QString neverText =
        never ? QStringLiteral("; this pair is legal at no clock") : QString();
    const auto range = std::find_if(cwlRanges().cbegin(), cwlRanges().cend(), [&](const auto &r) {
        return tckWithin(tckPs, r.minPs, r.maxPs);
    });
    if (range == cwlRanges().cend()) {
        return {Verdict::Warning, pair + QStringLiteral(": ") +
                                      denial("runs at this clock", "does not run at this clock") +
                                      neverText};
    }
    QList<int> cls;
    for (const SpeedBinRow &row : rowsOf([&](const auto &row) {
             return row.cwl == range->cwl && tckWithin(tckPs, row.minPs, row.maxPs);
         })) {
        if (!cls.contains(row.cl))
            cls << row.cl;
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

std::optional<MemorySetup> memorySetup(const QMap<QString, QVariant> &record, QString *error)
{
    const auto key = [](Role role) { return configRow(role).key; };
    RecordReader r(record, error);
    MemorySetup s;
    s.ratioIndex = r.numberIn(key(Role::ClkRatio), 0, 1);
    const RatioSetup &ratio = ratioSetup(s.ratioIndex);
    s.memoryType = r.item(key(Role::MemoryType), ratio.memoryTypes);
    const bool custom = r.ok() && s.memoryType == ratio.memoryTypes.last();
    const MemoryPreset &preset = memoryPreset(custom              ? PresetKind::Custom
                                              : s.ratioIndex == 0 ? PresetKind::Chip12
                                                                  : PresetKind::Chip14);
    s.memoryClockMHz = r.numberIn(key(Role::MemoryClock), ratio.clockMin, ratio.clockMax);
    const QList<int> &periods = referenceClockPeriods();
    const int reference = r.numberIn(key(Role::ReferenceClock), 0, int(periods.size()) - 1);
    s.referencePeriodPs = r.ok() ? periods.at(reference) : 0;
    s.dqWidth = r.item(key(Role::DqWidth), preset.dqWidths).toInt();
    s.dramWidth = r.item(key(Role::DramWidth), dramWidthItems());
    s.rowBits = r.item(key(Role::RowAddr), rowAddressItems());
    s.colBits = r.item(key(Role::ColAddr), columnAddressItems());
    for (const ConfigRow *row : timingRows())
        s.timings.*row->timing = r.numberIn(row->key, 1, 9999999);
    s.cl = r.item(key(Role::CasLatency), preset.casLatencies).toInt();
    s.cwl = r.item(key(Role::CwLatency), preset.cwLatencies).toInt();
    s.additiveLatency =
        r.item(key(Role::AdditiveLatency),
               QStringList{QStringLiteral("0"), QStringLiteral("CL-1"), QStringLiteral("CL-2")});
    s.writeRecovery = r.item(key(Role::WriteRecovery), writeRecoveryCycles());
    if (!r.ok())
        return std::nullopt;
    return s;
}

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

bool pllUsable(const PllChoice &choice)
{
    return choice.found && choice.odiv != 0;
}

int clocksFor(double ps, double tckPs)
{
    return int(std::ceil(ps / tckPs - 1e-6));
}

QList<TimingInClocks> timingsInClocks(const Timings &timings, double tckPs)
{
    QList<TimingInClocks> list;
    for (const ConfigRow *row : timingRows()) {
        const int value = timings.*row->timing;
        const QString name = QString::fromLatin1(row->key);
        if (row->timing == &Timings::tDllk)
            list.append({name, -1, value, 0});
        else
            list.append({name, value, clocksFor(value, tckPs), minimumClocks(row->timing)});
    }
    return list;
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
    checks.append(writeRecoveryCheck(setup.writeRecovery, clock.tckPs));
    checks.append(refreshCycleCheck(setup));
    checks.append(refreshIntervalCheck(setup.timings));
    checks.append(dllLockCheck(setup.timings.tDllk));
    return checks;
}

} // namespace DDR3PHY
