#pragma once

#include "presets.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSettings;

namespace DDR3PHY {

// The core's configuration as one table: every key of the .ipc record with the control it comes
// from, and every line of vlmc_param.v. The record writer, the restore, the parameter file and
// the generation report all walk it; adding an option is one row plus its control.

using Record = QMap<QString, QVariant>;

// How a value is held in the .ipc record.
enum class Kind {
    Int,   // a spin box's value, or the frame's language index
    Bool,  // a check box's state
    Text,  // the frame's synthesis tool, by name
    Index, // a combo box's current index, never its text
};

// How a vlmc_param.v line gets its value ("%1" in the line).
enum class LineValue {
    None,       // the row has no line
    Fixed,      // the line as it stands; the row has no key
    ItemText,   // the combo box's current item text
    Number,     // the spin box's value
    OnOff,      // "ON" when checked
    ClockRatio, // 2 at the first ratio (1:2), 4 at any other index
    Period,     // the memory clock's period in ps, truncated
    Rdimm,      // "ON" at the second DIMM type (RDIMMs)
};

// The rows the rules read by meaning rather than by walking the table.
enum class Role {
    None,
    ClkRatio,
    MemoryType,
    MemoryClock,
    ReferenceClock,
    DqWidth,
    DramWidth,
    RowAddr,
    ColAddr,
    CasLatency,
    CwLatency,
    AdditiveLatency,
    WriteRecovery,
};

// The frame's two selectors stand in the control column like page controls.
inline constexpr char frameLanguage[] = "uiLanguageIndex";
inline constexpr char frameSynthesisTool[] = "uiSynthesisTool";

struct ConfigRow
{
    const char *key; // in the group "Config"; nullptr for a fixed line of vlmc_param.v
    Kind kind;
    const char *control; // object name on a page, or a frame selector; nullptr for a fixed line
    const char *line;    // the vlmc_param.v line; nullptr when the key has none
    LineValue value;
    // When the restore sets the control: rows run by step, and in table order within one step;
    // 0 is no step. Some controls are set twice, since their rules can undo the first setting.
    int restoreStep;
    int restoreAgain;
    Role role = Role::None;
    int Timings::*timing = nullptr; // the timing page's fields, as the presets hold them
};

// In write order: the record's keys and the parameter file's lines, each line just before its
// key.
const QList<ConfigRow> &configTable();

// The rows the restore sets, in the order it sets them, repeated rows included.
const QList<const ConfigRow *> &restoreSequence();

const ConfigRow &configRow(Role role);
QList<const ConfigRow *> timingRows(); // the twelve timings, in table order

// A control's value as the record stores it, and as the parameter file shows it (the item text
// of a combo box).
struct ControlValue
{
    QVariant stored;
    QString text;
};
using ControlValues = QMap<QString, ControlValue>; // by key

inline const QString ipcVersion = QStringLiteral("3.0");

Record headerRecord(const QString &deviceId, const QString &coreType, const QString &fileName,
                    const QString &moduleName);
Record configRecord(const ControlValues &values);
QStringList parameterLines(const ControlValues &values); // vlmc_param.v

// The group "Config" of an .ipc file opened as an INI file: every key with its value as read.
Record configRecord(QSettings &ipc);

// What re-opening made of a stored record: `restored` is the record the dialog writes after the
// restore. One line for each stored value the conversion changed and for each combo box left
// without a current item; missing and unknown keys give none.
QStringList conversionNotes(const Record &stored, const Record &restored);

} // namespace DDR3PHY
