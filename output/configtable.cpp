#include "configtable.h"

#include "dependentfields.h"

#include <QSettings>

namespace DDR3PHY {

namespace {

constexpr int rdimmIndex = 1;

QString onOff(bool on)
{
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

QString lineValue(const ConfigRow &row, const ControlValue &value)
{
    switch (row.value) {
    case LineValue::ItemText:
        return value.text;
    case LineValue::Number:
        return QString::number(value.stored.toInt());
    case LineValue::OnOff:
        return onOff(value.stored.toBool());
    case LineValue::ClockRatio:
        return QString::number(value.stored.toInt() == 0 ? 2 : 4);
    case LineValue::Period:
        return QString::number(memoryPeriodPs(value.stored.toInt()));
    case LineValue::Rdimm:
        return onOff(value.stored.toInt() == rdimmIndex);
    case LineValue::None:
    case LineValue::Fixed:
        break;
    }
    return QString();
}

// The text a value has in a record the dialog writes.
QString writtenText(Kind kind, const QVariant &value)
{
    switch (kind) {
    case Kind::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Kind::Text:
        return value.toString();
    case Kind::Int:
    case Kind::Index:
        break;
    }
    return QString::number(value.toInt());
}

} // namespace

const QList<ConfigRow> &configTable()
{
    using K = Kind;
    using V = LineValue;
    static const QList<ConfigRow> table{
        {"LANG", K::Int, frameLanguage, nullptr, V::None, 2, 0},
        {"Synthesis_tool", K::Text, frameSynthesisTool, nullptr, V::None, 1, 0},
        {nullptr, K::Text, nullptr, "parameter DRAM_TYPE = \"DDR3\";", V::Fixed, 0, 0},
        {nullptr, K::Text, nullptr, "`define DDR3", V::Fixed, 0, 0},
        {"CLK_RATIO", K::Index, "comBoxClkRatio", "parameter nCK_PER_CLK = %1;", V::ClockRatio, 4,
         0, Role::ClkRatio},
        {"MEMORY_TYPE", K::Index, "comBoxMemoryType", nullptr, V::None, 5, 20, Role::MemoryType},
        {"MEMORY_CLK", K::Int, "spinMemoryClock", "parameter tCK = %1;", V::Period, 6, 0,
         Role::MemoryClock},
        {"REFERENCE_CLK", K::Index, "comBoxReferenceClock", nullptr, V::None, 7, 0,
         Role::ReferenceClock},
        {"DIMM_TYPE", K::Index, "comBoxDimmType", "parameter REG_CTRL = \"%1\";", V::Rdimm, 8, 0},
        {"DQ_WIDTH", K::Index, "comBoxDqWidth", "parameter DQ_WIDTH = %1;", V::ItemText, 9, 0,
         Role::DqWidth},
        {"DRAM_WIDTH", K::Index, "comBoxDramWidth", "parameter DRAM_WIDTH = %1;", V::ItemText, 10,
         0, Role::DramWidth},
        {"ECC", K::Bool, "checkEcc", "parameter ECC = \"%1\";", V::OnOff, 11, 0},
        {"RANK_ADDR", K::Int, "spinRankAddr", "parameter RANK_WIDTH = %1;", V::Number, 12, 0},
        {nullptr, K::Text, nullptr, "parameter BANK_WIDTH = 3;", V::Fixed, 0, 0},
        {"ROW_ADDR", K::Index, "comBoxRowAddr", "parameter ROW_WIDTH = %1;", V::ItemText, 13, 0,
         Role::RowAddr},
        {"COL_ADDR", K::Index, "comBoxColAddr", "parameter COL_WIDTH = %1;", V::ItemText, 14, 0,
         Role::ColAddr},
        {"tRP", K::Int, "spinTRp", "parameter tRP = %1;", V::Number, 15, 0, Role::None,
         &Timings::tRp},
        {"tRRD", K::Int, "spinTRrd", "parameter tRRD = %1;", V::Number, 15, 0, Role::None,
         &Timings::tRrd},
        {"tRTP", K::Int, "spinTRtp", "parameter tRTP = %1;", V::Number, 15, 0, Role::None,
         &Timings::tRtp},
        {"tRCD", K::Int, "spinTRcd", "parameter tRCD = %1;", V::Number, 15, 0, Role::None,
         &Timings::tRcd},
        {"tRC", K::Int, "spinTRc", "parameter tRC = %1;", V::Number, 15, 0, Role::None,
         &Timings::tRc},
        {"tRAS", K::Int, "spinTRas", "parameter tRAS = %1;", V::Number, 15, 0, Role::None,
         &Timings::tRas},
        {"tFAW", K::Int, "spinTFaw", "parameter tFAW = %1;", V::Number, 15, 0, Role::None,
         &Timings::tFaw},
        {"tWTR", K::Int, "spinTWtr", "parameter tWTR = %1;", V::Number, 15, 0, Role::None,
         &Timings::tWtr},
        {"tCKE", K::Int, "spinTCke", "parameter tCKE = %1;", V::Number, 15, 0, Role::None,
         &Timings::tCke},
        {"tREFI", K::Int, "spinTRefi", "parameter tREFI = %1;", V::Number, 15, 0, Role::None,
         &Timings::tRefi},
        {"tRFC", K::Int, "spinTRfc", "parameter tRFC = %1;", V::Number, 15, 0, Role::None,
         &Timings::tRfc},
        {"tDLLK", K::Int, "spinTDllk", "parameter tDLLK = %1;", V::Number, 15, 0, Role::None,
         &Timings::tDllk},
        {"BURST_MODE", K::Index, "comBoxBurstMode", "parameter BURST_MODE = \"%1\";", V::ItemText,
         16, 0},
        {"BURST_TYPE", K::Index, "comBoxBurstType", "parameter BURST_TYPE = \"%1\";", V::ItemText,
         16, 0},
        {"CAS_LATENCY", K::Index, "comBoxCasLatency", "parameter CL = %1;", V::ItemText, 16, 0,
         Role::CasLatency},
        {"CW_LATENCY", K::Index, "comBoxCwLatency", "parameter CWL = %1;", V::ItemText, 16, 0,
         Role::CwLatency},
        {"ADDITIVE_LATENCY", K::Index, "comBoxAdditiveLatency", "parameter AL = \"%1\";",
         V::ItemText, 16, 0, Role::AdditiveLatency},
        {"WRITE_RECOVERY", K::Index, "comBoxWriteRecovery", "parameter WR_CYC = %1;", V::ItemText,
         16, 0, Role::WriteRecovery},
        {nullptr, K::Text, nullptr, "parameter SLOT_0_CONFIG = 8'b00000001;", V::Fixed, 0, 0},
        {nullptr, K::Text, nullptr, "parameter SLOT_1_CONFIG = 8'b00000000;", V::Fixed, 0, 0},
        {"RTT_NOM", K::Index, "comBoxRttNom", "parameter RTT_NOM = \"%1\";", V::ItemText, 16, 0},
        {"RTT_WR", K::Index, "comBoxRttWr", "parameter RTT_WR = \"%1\";", V::ItemText, 16, 0},
        {"USER_FLASH", K::Bool, "checkUserRefresh", "parameter USER_REFRESH = \"%1\";", V::OnOff,
         17, 0},
        {"ADDR_CMD_MODE", K::Index, "comBoxAddrCmdMode", "parameter ADDR_CMD_MODE = \"%1\";",
         V::ItemText, 18, 0},
        {"OUTPUT_DRV", K::Index, "comBoxOutputDrv", "parameter OUTPUT_DRV = \"%1\";", V::ItemText,
         18, 0},
        {"DISABLE_IO", K::Bool, "checkDisableIO", nullptr, V::None, 3, 19},
    };
    return table;
}

const QList<const ConfigRow *> &restoreSequence()
{
    static const QList<const ConfigRow *> sequence = [] {
        QMap<int, QList<const ConfigRow *>> steps;
        for (const ConfigRow &row : configTable()) {
            for (int step : {row.restoreStep, row.restoreAgain}) {
                if (step > 0)
                    steps[step].append(&row);
            }
        }
        QList<const ConfigRow *> rows;
        for (const QList<const ConfigRow *> &step : steps)
            rows += step;
        return rows;
    }();
    return sequence;
}

const ConfigRow &configRow(Role role)
{
    for (const ConfigRow &row : configTable()) {
        if (row.role == role)
            return row;
    }
    return configTable().first(); // not reached: every role has its row
}

QList<const ConfigRow *> timingRows()
{
    QList<const ConfigRow *> rows;
    for (const ConfigRow &row : configTable()) {
        if (row.timing)
            rows.append(&row);
    }
    return rows;
}

Record headerRecord(const QString &deviceId, const QString &coreType, const QString &fileName,
                    const QString &moduleName)
{
    return {{QStringLiteral("target_device"), deviceId},
            {QStringLiteral("type"), coreType},
            {QStringLiteral("version"), ipcVersion},
            {QStringLiteral("file"), fileName},
            {QStringLiteral("module"), moduleName}};
}

Record configRecord(const ControlValues &values)
{
    Record record;
    for (const ConfigRow &row : configTable()) {
        if (row.key) {
            const QString key = QString::fromLatin1(row.key);
            record.insert(key, values.value(key).stored);
        }
    }
    return record;
}

QStringList parameterLines(const ControlValues &values)
{
    QStringList lines;
    for (const ConfigRow &row : configTable()) {
        if (row.value == LineValue::Fixed)
            lines << QString::fromLatin1(row.line);
        else if (row.line)
            lines << QString::fromLatin1(row.line).arg(
                lineValue(row, values.value(QString::fromLatin1(row.key))));
    }
    return lines;
}

Record configRecord(QSettings &ipc)
{
    Record record;
    ipc.beginGroup(QStringLiteral("Config"));
    for (const QString &key : ipc.childKeys())
        record.insert(key, ipc.value(key));
    ipc.endGroup();
    return record;
}

QStringList conversionNotes(const Record &stored, const Record &restored)
{
    QStringList notes;
    for (const ConfigRow &row : configTable()) {
        if (!row.key)
            continue;
        const QString key = QString::fromLatin1(row.key);
        const auto it = stored.constFind(key);
        if (it == stored.cend())
            continue;
        const QVariant after = restored.value(key);
        const QString text = it->toString();
        bool isNumber = false;
        const int number = text.toInt(&isNumber);
        if (row.kind == Kind::Index && after.toInt() < 0) {
            notes << QStringLiteral("%1 = \"%2\": no such item, %3 is left without a current item")
                         .arg(key, text, QLatin1String(row.control));
        } else if (row.kind == Kind::Int || row.kind == Kind::Index
                       ? !isNumber || number != after.toInt()
                       : text != writtenText(row.kind, after)) {
            notes << QStringLiteral("%1 = \"%2\" restored as \"%3\"")
                         .arg(key, text, writtenText(row.kind, after));
        }
    }
    return notes;
}

} // namespace DDR3PHY
