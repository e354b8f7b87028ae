#include "recordsetup.h"

#include "configtable.h"

namespace DDR3PHY {

namespace {

// The floor DDR3 puts under a time, in clocks: tRRD = max(4 clocks, 7.5 ns) and the like.
int minimumClocks(int Timings::*timing)
{
    if (timing == &Timings::tRrd || timing == &Timings::tRtp || timing == &Timings::tWtr)
        return 4;
    return timing == &Timings::tCke ? 3 : 0;
}

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

} // namespace DDR3PHY
