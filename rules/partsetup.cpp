#include "partsetup.h"

#include "presets.h"
#include "speedbins.h"

#include <algorithm>
#include <iterator>

namespace DDR3PHY {

namespace {

// The timing fields in the order of the Timing page, with the largest value each takes.
struct TimingControl
{
    const char *control;
    int Timings::*value;
    int maximum;
};
constexpr TimingControl timingControls[] = {
    {"spinTRp", &Timings::tRp, 99999},     {"spinTRrd", &Timings::tRrd, 99999},
    {"spinTRtp", &Timings::tRtp, 99999},   {"spinTRcd", &Timings::tRcd, 99999},
    {"spinTRc", &Timings::tRc, 99999},     {"spinTRas", &Timings::tRas, 99999},
    {"spinTFaw", &Timings::tFaw, 99999},   {"spinTWtr", &Timings::tWtr, 99999},
    {"spinTCke", &Timings::tCke, 999999},  {"spinTRefi", &Timings::tRefi, 9999999},
    {"spinTRfc", &Timings::tRfc, 9999999}, {"spinTDllk", &Timings::tDllk, 99999},
};

// The part's minimums the controller turns into clocks, for the report.
struct PartTiming
{
    const char *name;
    int Timings::*core;
    int MemoryPart::*part;
};
constexpr PartTiming partTimings[] = {
    {"tRCD", &Timings::tRcd, &MemoryPart::trcdPs}, {"tRP", &Timings::tRp, &MemoryPart::trpPs},
    {"tRAS", &Timings::tRas, &MemoryPart::trasPs}, {"tRC", &Timings::tRc, &MemoryPart::trcPs},
    {"tRFC", &Timings::tRfc, &MemoryPart::trfcPs}, {"tRRD", &Timings::tRrd, &MemoryPart::trrdPs},
    {"tFAW", &Timings::tFaw, &MemoryPart::tfawPs}, {"tWTR", &Timings::tWtr, &MemoryPart::twtrPs},
    {"tRTP", &Timings::tRtp, &MemoryPart::trtpPs},
};

QString itemsText(const QStringList &items)
{
    return items.size() > 3 ? QStringLiteral("%1 to %2").arg(items.first(), items.last())
                            : items.join(QStringLiteral(", "));
}

QStringList texts(const QList<int> &values)
{
    QStringList list;
    for (int n : values)
        list << QString::number(n);
    return list;
}

QString numbers(const QList<int> &values)
{
    return texts(values).join(QStringLiteral(", "));
}

} // namespace

QString partRefusal(const MemoryPart &part)
{
    const auto notIn = [&](int value, const QStringList &items, const char *what,
                           const char *control) -> QString {
        if (items.contains(QString::number(value)))
            return QString();
        return QStringLiteral("%1 has %2 %3: %4 offers %5")
            .arg(part.name)
            .arg(value)
            .arg(QLatin1String(what), QLatin1String(control), itemsText(items));
    };
    if (part.ranks != 1) {
        return QStringLiteral("%1 has %2 ranks: Rank Address takes one rank only")
            .arg(part.name)
            .arg(part.ranks);
    }
    if (part.banks != 8) {
        return QStringLiteral("%1 has %2 banks: Bank Address is fixed at 8 banks")
            .arg(part.name)
            .arg(part.banks);
    }
    const MemoryPreset &custom = memoryPreset(PresetKind::Custom);
    for (const QString &error :
         {notIn(part.colBits, texts(columnAddressItems()), "column bits", "Column Address"),
          notIn(part.rowBits, texts(rowAddressItems()), "row bits", "Row Address"),
          notIn(part.deviceWidth, texts(dramWidthItems()), "bits per device", "Dram Width"),
          notIn(part.dataWidth, custom.dqWidths, "data bits", "Dq Width")}) {
        if (!error.isEmpty())
            return error;
    }
    return QString();
}

PartSetup partSetup(const MemoryPart &part, int ratioIndex, int memoryClockMHz, double tckPs)
{
    PartSetup s;
    const auto fail = [&s](const QString &error) {
        s = PartSetup{};
        s.error = error;
        return s;
    };
    const QString organisation = partRefusal(part);
    if (!organisation.isEmpty())
        return fail(organisation);
    const SpeedBin *bin = speedBin(part.speedBin);
    if (!bin)
        return fail(QStringLiteral("%1 names no DDR3 speed bin").arg(part.name));
    if (!psAtLeast(tckPs, part.tckMinPs)) {
        return fail(QStringLiteral("memory clock %1 MHz (tCK %2 ps) is above the %3 MHz maximum "
                                   "of %4 (%5, tCK %6 ps)")
                        .arg(memoryClockMHz)
                        .arg(psText(tckPs))
                        .arg(int(1e6 / part.tckMinPs))
                        .arg(part.name, part.speedBin)
                        .arg(part.tckMinPs));
    }

    const auto coversTaa = [&part](int cl, double tck) { return psAtLeast(cl * tck, part.taaPs); };
    if (const CwlRange *range = cwlRangeAt(tckPs)) {
        s.cwl = range->cwl;
        for (const SpeedBinRow &row : bin->rows) {
            if (row.cwl == range->cwl && tckWithin(tckPs, row.minPs, row.maxPs) &&
                part.casLatencies.contains(row.cl) && coversTaa(row.cl, row.minPs) &&
                (s.cl == 0 || row.cl < s.cl))
                s.cl = row.cl;
        }
        if (s.cl == 0) {
            return fail(QStringLiteral("%1 (%2) allows no CL with CWL %3 at tCK %4 ps")
                            .arg(part.name, part.speedBin)
                            .arg(s.cwl)
                            .arg(psText(tckPs)));
        }
    } else {
        s.cwl = cwlRanges().first().cwl;
        const auto cl = std::find_if(part.casLatencies.cbegin(), part.casLatencies.cend(),
                                     [&](int n) { return coversTaa(n, tckPs); });
        if (cl == part.casLatencies.cend()) {
            return fail(QStringLiteral("no CL of %1 (%2) covers its tAA %3 ps at tCK %4 ps")
                            .arg(part.name, numbers(part.casLatencies))
                            .arg(part.taaPs)
                            .arg(psText(tckPs)));
        }
        s.cl = *cl;
        s.warnings << QStringLiteral("tCK %1 ps is slower than %2 ps, the slowest clock DDR3 "
                                     "allows with its DLL on%3: CWL %4 and CL %5, the lowest CL "
                                     "of %6 covering its tAA %7 ps; no speed bin guarantees "
                                     "this clock")
                          .arg(psText(tckPs))
                          .arg(dllOnTckMaxPs)
                          .arg(ratioIndex == 0 ? QStringLiteral(" (every 1:2 core runs below it)")
                                               : QString())
                          .arg(s.cwl)
                          .arg(s.cl)
                          .arg(part.name)
                          .arg(part.taaPs);
    }

    const QList<int> &wrs = writeRecoveryCycles();
    const int twrClocks = clocksFor(part.twrPs, tckPs);
    const auto wr =
        std::find_if(wrs.cbegin(), wrs.cend(), [twrClocks](int n) { return n >= twrClocks; });
    if (wr == wrs.cend()) {
        return fail(QStringLiteral("tWR %1 ps of %2 needs %3 clocks at tCK %4 ps: Write Recovery "
                                   "offers %5 at most")
                        .arg(part.twrPs)
                        .arg(part.name)
                        .arg(twrClocks)
                        .arg(psText(tckPs))
                        .arg(wrs.last()));
    }
    s.writeRecovery = *wr;

    s.timings = {part.trpPs,     part.trrdPs,
                 part.trtpPs,    part.trcdPs,
                 part.trcPs,     part.trasPs,
                 part.tfawPs,    part.twtrPs,
                 bin->tckeMinPs, part.extendedTemperature ? trefiExtendedPs : trefiMaxPs,
                 part.trfcPs,    dllLockClocks};

    const MemoryPreset &custom = memoryPreset(PresetKind::Custom);
    if (!custom.casLatencies.contains(QString::number(s.cl)) ||
        !custom.cwLatencies.contains(QString::number(s.cwl))) {
        return fail(
            QStringLiteral("CL %1 with CWL %2 for %3: CAS Latency offers %4, CW Latency %5")
                .arg(s.cl)
                .arg(s.cwl)
                .arg(part.name, itemsText(custom.casLatencies), itemsText(custom.cwLatencies)));
    }

    const auto edit = [&s](const char *control, const QString &value) {
        s.edits.append({QLatin1String(control), value});
    };
    edit("comBoxMemoryType", ratioSetup(ratioIndex).memoryTypes.last());
    edit("comBoxDimmType", dimmTypeText(part.module));
    edit("comBoxDqWidth", QString::number(part.dataWidth));
    // The check box is enabled only with the 72-bit width.
    if (part.ecc)
        edit("checkEcc", QStringLiteral("true"));
    edit("comBoxDramWidth", QString::number(part.deviceWidth));
    edit("comBoxRowAddr", QString::number(part.rowBits));
    edit("comBoxColAddr", QString::number(part.colBits));
    for (const TimingControl &t : timingControls) {
        const int value = s.timings.*t.value;
        if (value < 1 || value > t.maximum) {
            return fail(QStringLiteral("%1 gives %2 for %3, which takes 1 to %4")
                            .arg(part.name)
                            .arg(value)
                            .arg(QLatin1String(t.control))
                            .arg(t.maximum));
        }
        edit(t.control, QString::number(value));
    }
    edit("comBoxCasLatency", QString::number(s.cl));
    edit("comBoxCwLatency", QString::number(s.cwl));
    edit("comBoxAdditiveLatency", QStringLiteral("0"));
    edit("comBoxWriteRecovery", QString::number(s.writeRecovery));
    return s;
}

QList<Check> partChecks(const MemoryPart &part, const MemorySetup &setup, double tckPs)
{
    QList<Check> checks;
    const QString tck = psText(tckPs);
    if (!psAtLeast(tckPs, part.tckMinPs)) {
        checks.append({Verdict::Warning, QStringLiteral("tCK %1 ps is faster than %2 ps, the "
                                                        "fastest clock of %3 (%4)")
                                             .arg(tck)
                                             .arg(part.tckMinPs)
                                             .arg(part.name, part.speedBin)});
    }
    const QString organisation = QStringLiteral("x%1 devices with %2 row and %3 column bits");
    const bool sameOrganisation = setup.dramWidth == part.deviceWidth &&
                                  setup.rowBits == part.rowBits && setup.colBits == part.colBits;
    checks.append(
        {sameOrganisation ? Verdict::Ok : Verdict::Warning,
         organisation.arg(setup.dramWidth).arg(setup.rowBits).arg(setup.colBits) +
             (sameOrganisation
                  ? QStringLiteral(": the organisation of %1").arg(part.name)
                  : QStringLiteral(", but %1 has ").arg(part.name) +
                        organisation.arg(part.deviceWidth).arg(part.rowBits).arg(part.colBits))});

    const bool clCovers = psAtLeast(setup.cl * tckPs, part.taaPs);
    checks.append({clCovers ? Verdict::Ok : Verdict::Warning,
                   QStringLiteral("CL %1 at tCK %2 ps is %3 ps, %4 tAA %5 ps of %6")
                       .arg(setup.cl)
                       .arg(tck, psText(setup.cl * tckPs))
                       .arg(clCovers ? QStringLiteral("covering") : QStringLiteral("short of"))
                       .arg(part.taaPs)
                       .arg(part.name)});

    const int twrClocks = clocksFor(part.twrPs, tckPs);
    if (setup.writeRecovery < twrClocks) {
        checks.append({Verdict::Warning,
                       QStringLiteral("WR %1 clocks is shorter than tWR %2 ps of %3 (%4 clocks)")
                           .arg(setup.writeRecovery)
                           .arg(part.twrPs)
                           .arg(part.name)
                           .arg(twrClocks)});
    }
    QStringList covered;
    for (const PartTiming &t : partTimings) {
        const int have = clocksFor(setup.timings.*t.core, tckPs);
        const int need = clocksFor(part.*t.part, tckPs);
        if (have < need) {
            checks.append({Verdict::Warning,
                           QStringLiteral("%1 %2 ps (%3 clocks) is shorter than the %4 ps (%5 "
                                          "clocks) of %6 at tCK %7 ps")
                               .arg(QLatin1String(t.name))
                               .arg(setup.timings.*t.core)
                               .arg(have)
                               .arg(part.*t.part)
                               .arg(need)
                               .arg(part.name, tck)});
        } else {
            covered << QLatin1String(t.name);
        }
    }
    if (covered.size() == int(std::size(partTimings)) && setup.writeRecovery >= twrClocks) {
        checks.append({Verdict::Ok, QStringLiteral("WR and %1 cover the minimums of %2 at tCK %3 "
                                                   "ps")
                                        .arg(covered.join(QStringLiteral(", ")), part.name, tck)});
    }
    return checks;
}

} // namespace DDR3PHY
