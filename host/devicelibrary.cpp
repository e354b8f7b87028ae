#include "devicelibrary.h"

#include "hostsession.h"

#include <QFile>
#include <QSet>

#include <algorithm>

namespace DEV {

static const char tableHeader[] = "model,package,condition";

bool DeviceLibrary::parseTable(const QByteArray &csv, QList<DevicePart> *parts, QString *error)
{
    QList<DevicePart> table;
    QSet<QString> ids;
    bool headerSeen = false;
    const QList<QByteArray> lines = csv.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto fail = [&](const QString &reason) {
            *error = QStringLiteral("line %1: %2").arg(i + 1).arg(reason);
            return false;
        };
        if (!headerSeen) {
            if (line != QLatin1String(tableHeader))
                return fail(QStringLiteral("expected the header \"%1\"").arg(tableHeader));
            headerSeen = true;
            continue;
        }
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() != 3)
            return fail(QStringLiteral("expected 3 fields, found %1").arg(fields.size()));
        DevicePart part;
        part.model = fields.at(0).trimmed();
        part.package = fields.at(1).trimmed();
        part.condition = fields.at(2).trimmed();
        if (part.model.isEmpty() || part.package.isEmpty() || part.condition.isEmpty())
            return fail(QStringLiteral("empty field"));
        part.id = part.model + part.package + part.condition;
        if (ids.contains(part.id))
            return fail(QStringLiteral("duplicate part %1").arg(part.id));
        ids.insert(part.id);
        table.append(part);
    }
    if (table.isEmpty()) {
        *error = QStringLiteral("no parts");
        return false;
    }
    *parts = table;
    return true;
}

// The table is our own data: a fault in it is a build fault, so stop at once.
static QList<DevicePart> loadBuiltInTable()
{
    const QString path = QStringLiteral(":/ipcorehost/devices.csv");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Device table %s: %s", qPrintable(path), qPrintable(file.errorString()));
    QList<DevicePart> parts;
    QString error;
    if (!DeviceLibrary::parseTable(file.readAll(), &parts, &error))
        qFatal("Device table %s: %s", qPrintable(path), qPrintable(error));
    return parts;
}

const QList<DevicePart> &DeviceLibrary::parts()
{
    static const QList<DevicePart> table = loadBuiltInTable();
    return table;
}

QStringList DeviceLibrary::models()
{
    QStringList models;
    for (const DevicePart &part : parts()) {
        if (!models.contains(part.model))
            models.append(part.model);
    }
    return models;
}

QStringList DeviceLibrary::conditions(const QString &model)
{
    QStringList conditions;
    for (const DevicePart &part : parts()) {
        if (part.model == model && !conditions.contains(part.condition))
            conditions.append(part.condition);
    }
    return conditions;
}

template <typename Match> static bool findFirst(Match match, DeviceArg *out)
{
    const QList<DevicePart> &table = DeviceLibrary::parts();
    const auto it = std::find_if(table.cbegin(), table.cend(), match);
    if (it == table.cend())
        return false;
    *out = it->arg();
    return true;
}

bool DeviceLibrary::find(const QString &model, const QString &condition, DeviceArg *out)
{
    return findFirst(
        [&](const DevicePart &part) {
            return part.model == model && (condition.isEmpty() || part.condition == condition);
        },
        out);
}

bool DeviceLibrary::findById(const QString &id, DeviceArg *out)
{
    return findFirst([&](const DevicePart &part) { return part.id == id; }, out);
}

QString DeviceLibrary::primitiveModels()
{
    return IPGen::HostSession::instance().shareDirectory() + QStringLiteral("/veltra_prims.v");
}

} // namespace DEV
