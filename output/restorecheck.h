#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

class QSettings;

namespace DDR3PHY {

// A stored value a restore could not take as it stands, and what the control got instead.
struct RestoreIssue
{
    QString key;
    QString stored;
    QString problem;
    QString used;
};

using Record = QMap<QString, QVariant>;

// The group "Config" of an .ipc file opened as an INI file: every key with its stored value.
Record configRecord(QSettings &ipc);

// Each reader returns the value to put into a control. A key the record lacks gives the value an
// absent key has always given (index 0, number 0, false) and is no issue; a malformed value keeps
// `current`; an out-of-range number is clamped to the range; every such case adds an issue.

// A combo box index: 0 .. count-1.
int restoredIndex(const Record &record, const QString &key, int count, int current,
                  QList<RestoreIssue> *issues);
// A spin box value: minimum .. maximum.
int restoredValue(const Record &record, const QString &key, int minimum, int maximum, int current,
                  QList<RestoreIssue> *issues);
// A check box: "true"/"false" (or 1/0).
bool restoredFlag(const Record &record, const QString &key, bool current,
                  QList<RestoreIssue> *issues);

// The text of the one warning that lists every issue; empty when there is none.
QString restoreWarning(const QList<RestoreIssue> &issues);

} // namespace DDR3PHY
