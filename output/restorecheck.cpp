#include "restorecheck.h"

#include <QRegularExpression>
#include <QSettings>

namespace DDR3PHY {

namespace {

// Stored values are text; only plain decimal integers count as numbers.
bool parseInteger(const QVariant &value, qint64 *number)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?\\d{1,18}$"));
    const QString text = value.toString().trimmed();
    if (!decimal.match(text).hasMatch())
        return false;
    *number = text.toLongLong();
    return true;
}

QString shown(const QVariant &value)
{
    QString text = value.toString();
    if (text.size() > 40)
        text = text.left(37) + QStringLiteral("...");
    for (QChar &c : text) {
        if (!c.isPrint())
            c = QChar(0xfffd);
    }
    return text;
}

int restoredNumber(const Record &record, const QString &key, int minimum, int maximum, int current,
                   const QString &range, QList<RestoreIssue> *issues)
{
    const auto it = record.constFind(key);
    if (it == record.cend())
        return 0;
    qint64 number = 0;
    if (!parseInteger(*it, &number)) {
        issues->append(
            {key, shown(*it), QStringLiteral("not a whole number"), QString::number(current)});
        return current;
    }
    if (number >= minimum && number <= maximum)
        return int(number);
    const int used = number < minimum ? minimum : maximum;
    issues->append(
        {key, shown(*it), QStringLiteral("outside %1").arg(range), QString::number(used)});
    return used;
}

} // namespace

int restoredIndex(const Record &record, const QString &key, int count, int current,
                  QList<RestoreIssue> *issues)
{
    const auto it = record.constFind(key);
    qint64 number = 0;
    if (it != record.cend() && parseInteger(*it, &number) && (number < 0 || number >= count)) {
        // An index past the list would leave the box empty; its item stays instead.
        issues->append({key, shown(*it),
                        QStringLiteral("no item %1 in a list of %2").arg(number).arg(count),
                        QStringLiteral("item %1").arg(current)});
        return current;
    }
    return restoredNumber(record, key, 0, count - 1, current,
                          QStringLiteral("0..%1").arg(count - 1), issues);
}

int restoredValue(const Record &record, const QString &key, int minimum, int maximum, int current,
                  QList<RestoreIssue> *issues)
{
    return restoredNumber(record, key, minimum, maximum, current,
                          QStringLiteral("%1..%2").arg(minimum).arg(maximum), issues);
}

bool restoredFlag(const Record &record, const QString &key, bool current,
                  QList<RestoreIssue> *issues)
{
    const auto it = record.constFind(key);
    if (it == record.cend())
        return false;
    const QString text = it->toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    issues->append({key, shown(*it), QStringLiteral("neither true nor false"),
                    current ? QStringLiteral("true") : QStringLiteral("false")});
    return current;
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

QString restoreWarning(const QList<RestoreIssue> &issues)
{
    if (issues.isEmpty())
        return QString();
    QString text = QStringLiteral("The IP configuration file holds values that cannot be used as "
                                  "they are; the dialog shows these instead:");
    for (const RestoreIssue &issue : issues)
        text += QStringLiteral("\n%1 = \"%2\": %3; used %4")
                    .arg(issue.key, issue.stored, issue.problem, issue.used);
    return text;
}

} // namespace DDR3PHY
