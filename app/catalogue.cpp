#include "catalogue.h"

#include "console.h"
#include "coreextension.h"
#include "devicelibrary.h"
#include "ippackage.h"
#include "pluginmanager.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <algorithm>

namespace IPGenApp {

namespace {

void printJson(const QJsonArray &array)
{
    printOut(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)).trimmed());
}

void reportRefusals(const IPCore::PluginManager &plugins)
{
    for (const QString &line : plugins.errors())
        printErr(QStringLiteral("ipgen: plug-in refused: %1").arg(line));
    for (const QString &line : plugins.warnings())
        printErr(QStringLiteral("ipgen: warning: %1").arg(line));
}

// Pads every column but the last to its widest cell.
void printTable(const QList<QStringList> &rows)
{
    QVector<int> widths;
    for (const QStringList &row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (int i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], int(row[i].size()));
    }
    for (const QStringList &row : rows) {
        QString line;
        for (int i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        printOut(line);
    }
}

} // namespace

QString defaultPluginDirectory()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/plugins");
}

void loadPlugins(IPCore::PluginManager &plugins, const QStringList &extraDirectories)
{
    plugins.loadDirectory(defaultPluginDirectory());
    for (const QString &directory : extraDirectories)
        plugins.loadDirectory(directory);
}

QString configCoreType(const QString &ipcPath)
{
    if (!QFileInfo(ipcPath).isFile())
        return {};
    const QSettings settings(ipcPath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || (!settings.contains(QStringLiteral("type")) &&
                                                    !settings.contains(QStringLiteral("version"))))
        return {};
    const QString type = settings.value(QStringLiteral("type")).toString();
    return type.isNull() ? QStringLiteral("") : type;
}

int runList(const Invocation &invocation, const IPCore::PluginManager &plugins)
{
    reportRefusals(plugins);
    const QList<IPCore::BaseIPCore *> cores = plugins.cores();
    if (invocation.json) {
        QJsonArray array;
        for (const IPCore::BaseIPCore *core : cores) {
            array.append(QJsonObject{
                {QStringLiteral("id"), core->id()},
                {QStringLiteral("name"), core->name()},
                {QStringLiteral("version"), core->version()},
                {QStringLiteral("category"), QJsonArray::fromStringList(core->category())},
                {QStringLiteral("summary"), core->summary()}});
        }
        printJson(array);
    } else {
        for (const IPCore::BaseIPCore *core : cores) {
            printOut(QStringList{core->id(), core->name(), core->version(),
                                 core->category().join(QLatin1Char('/')), core->summary()}
                         .join(QLatin1Char('\t')));
        }
    }
    if (cores.isEmpty()) {
        printErr(QStringLiteral("ipgen: no IP core found in %1").arg(defaultPluginDirectory()));
        return ExitFailed;
    }
    return ExitOk;
}

int runDevices(const Invocation &invocation, const IPCore::PluginManager &plugins)
{
    reportRefusals(plugins);
    const QList<IPCore::BaseIPCore *> cores = plugins.cores();
    if (invocation.json) {
        QJsonArray array;
        for (const DEV::DevicePart &part : DEV::DeviceLibrary::parts()) {
            QJsonObject supported;
            for (const IPCore::BaseIPCore *core : cores)
                supported.insert(core->id(), core->isSupported(part.arg()));
            array.append(QJsonObject{{QStringLiteral("model"), part.model},
                                     {QStringLiteral("package"), part.package},
                                     {QStringLiteral("condition"), part.condition},
                                     {QStringLiteral("id"), part.id},
                                     {QStringLiteral("supported"), supported}});
        }
        printJson(array);
        return ExitOk;
    }
    QList<QStringList> rows;
    QStringList header{QStringLiteral("MODEL"), QStringLiteral("PACKAGE"),
                       QStringLiteral("CONDITION"), QStringLiteral("ID")};
    for (const IPCore::BaseIPCore *core : cores)
        header.append(core->id());
    rows.append(header);
    for (const DEV::DevicePart &part : DEV::DeviceLibrary::parts()) {
        QStringList row{part.model, part.package, part.condition, part.id};
        for (const IPCore::BaseIPCore *core : cores)
            row.append(core->isSupported(part.arg()) ? QStringLiteral("yes")
                                                     : QStringLiteral("no"));
        rows.append(row);
    }
    printTable(rows);
    return ExitOk;
}

int runParts(const Invocation &invocation, const IPCore::PluginManager &plugins)
{
    reportRefusals(plugins);
    QList<IPCore::BaseIPCore *> cores = plugins.cores();
    if (!invocation.coreId.isEmpty()) {
        IPCore::BaseIPCore *core = plugins.core(invocation.coreId);
        if (!core) {
            printErr(QStringLiteral("ipgen: no IP core '%1'").arg(invocation.coreId));
            return ExitUsage;
        }
        if (!plugins.capability<IPCore::MemoryParts>(core->id())) {
            printErr(QStringLiteral("ipgen: core '%1' offers no memory parts").arg(core->id()));
            return ExitUsage;
        }
        cores = {core};
    }
    QJsonArray array;
    QList<QStringList> rows;
    for (const IPCore::BaseIPCore *core : cores) {
        const auto *parts = plugins.capability<IPCore::MemoryParts>(core->id());
        if (!parts)
            continue;
        const QStringList columns = parts->partColumns();
        // A comment line, so that a reader taking each line's first word gets part names only.
        rows.append(QStringList{QStringLiteral("# %1: name").arg(core->id())} + columns +
                    QStringList{QStringLiteral("takes")});
        for (const IPCore::MemoryPartEntry &entry : parts->partList()) {
            rows.append(QStringList{entry.name} + entry.columns +
                        QStringList{entry.refusal.isEmpty()
                                        ? QStringLiteral("yes")
                                        : QStringLiteral("no: ") + entry.refusal});
            QJsonObject values;
            for (int i = 0; i < columns.size(); ++i)
                values.insert(columns[i], entry.columns.value(i));
            array.append(QJsonObject{{QStringLiteral("core"), core->id()},
                                     {QStringLiteral("name"), entry.name},
                                     {QStringLiteral("columns"), values},
                                     {QStringLiteral("takes"), entry.refusal.isEmpty()},
                                     {QStringLiteral("refusal"), entry.refusal}});
        }
    }
    if (rows.isEmpty()) {
        printErr(QStringLiteral("ipgen: no loaded core offers memory parts"));
        return ExitFailed;
    }
    if (invocation.json)
        printJson(array);
    else
        printTable(rows);
    return ExitOk;
}

} // namespace IPGenApp
