#include "examplerun.h"

#include "batchrun.h"
#include "catalogue.h"
#include "console.h"
#include "pluginmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace IPGenApp {

namespace {

ExampleOutcome failed(int exitCode, const QString &error)
{
    ExampleOutcome outcome;
    outcome.exitCode = exitCode;
    outcome.error = error;
    return outcome;
}

bool writeKitFile(const QString &path, const IPCore::ExampleFile &file, QString *error)
{
    if (!QDir().mkpath(QFileInfo(path).path())) {
        *error = QStringLiteral("cannot make the folder %1").arg(QFileInfo(path).path());
        return false;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file.content) != file.content.size() ||
        !out.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
        return false;
    }
    if (file.executable) {
        QFile script(path);
        if (!script.setPermissions(script.permissions() | QFileDevice::ExeOwner |
                                   QFileDevice::ExeGroup | QFileDevice::ExeOther)) {
            *error =
                QStringLiteral("cannot make %1 executable: %2").arg(path, script.errorString());
            return false;
        }
    }
    return true;
}

// A design's file may not leave the folder it is written into.
bool staysInside(const QString &target)
{
    const QString clean = QDir::cleanPath(target);
    return !clean.isEmpty() && QDir::isRelativePath(clean) && clean != QLatin1String("..") &&
           !clean.startsWith(QLatin1String("../"));
}

} // namespace

IPCore::ExampleDesign *exampleDesignFor(const IPCore::PluginManager &plugins,
                                        const QString &configFile, ExampleOutcome *refusal)
{
    if (!QFileInfo(configFile).isFile()) {
        *refusal = failed(ExitUsage,
                          QStringLiteral("cannot read the configuration file '%1'").arg(configFile));
        return nullptr;
    }
    const QString type = configCoreType(configFile);
    if (type.isNull()) {
        *refusal = failed(ExitUsage,
                          QStringLiteral("'%1' is not an IP configuration file").arg(configFile));
        return nullptr;
    }
    if (type.isEmpty()) {
        *refusal = failed(ExitUsage, QStringLiteral("'%1' names no IP core").arg(configFile));
        return nullptr;
    }
    if (!plugins.core(type)) {
        *refusal = failed(ExitUsage, QStringLiteral("no IP core '%1' loaded").arg(type));
        return nullptr;
    }
    auto *design = plugins.capability<IPCore::ExampleDesign>(type);
    if (!design)
        *refusal =
            failed(ExitUsage, QStringLiteral("the IP core '%1' offers no example design").arg(type));
    return design;
}

ExampleOutcome writeExample(const IPCore::PluginManager &plugins, const QString &configFile,
                            const QString &partSource, const QString &outputDirectory,
                            const ReplaceQuestion &mayReplace)
{
    ExampleOutcome outcome;
    IPCore::ExampleDesign *design = exampleDesignFor(plugins, configFile, &outcome);
    if (!design)
        return outcome;
    QList<IPCore::ExampleFile> kit;
    QString error;
    if (!design->exampleFiles(configFile, partSource, &kit, &error))
        return failed(ExitFailed, error);
    for (const IPCore::ExampleFile &file : kit) {
        if (!staysInside(file.target))
            return failed(ExitFailed,
                          QStringLiteral("the example design names the file '%1' outside its "
                                         "folder")
                              .arg(file.target));
    }

    const QString root = QDir::cleanPath(QDir(outputDirectory).absolutePath());
    QStringList existing;
    for (const IPCore::ExampleFile &file : kit) {
        const QString path = root + QLatin1Char('/') + file.target;
        if (QFileInfo::exists(path))
            existing.append(path);
    }
    if (!existing.isEmpty() && !mayReplace(existing)) {
        return failed(ExitFailed, QStringLiteral("%1 file(s) of an example design already in "
                                                 "%2 kept; remove them or choose another folder")
                                      .arg(existing.size())
                                      .arg(root));
    }
    for (const IPCore::ExampleFile &file : kit) {
        const QString path = root + QLatin1Char('/') + file.target;
        if (!writeKitFile(path, file, &error)) {
            outcome.exitCode = ExitFailed;
            outcome.error = error;
            break;
        }
        outcome.written.append(path);
    }
    std::sort(outcome.written.begin(), outcome.written.end());
    return outcome;
}

int runExample(const Invocation &invocation, const IPCore::PluginManager &plugins)
{
    QString partSource;
    if (const int refused = configuredPartSource(invocation, plugins, &partSource))
        return refused;
    // Batch runs answer as the generation's overwrite question does by default: keep the files.
    const ExampleOutcome outcome =
        writeExample(plugins, QFileInfo(invocation.configFile).absoluteFilePath(), partSource,
                     invocation.outputDirectory, [](const QStringList &existing) {
                         printErr(QStringLiteral("Overwrite Files: %1 file(s) exist already:")
                                      .arg(existing.size()));
                         for (const QString &path : existing)
                             printErr(QStringLiteral("  ") + path);
                         return false;
                     });
    for (const QString &path : outcome.written)
        printOut(QStringLiteral("wrote ") + path);
    if (outcome.exitCode != ExitOk)
        printErr(QStringLiteral("ipgen: ") + outcome.error);
    return outcome.exitCode;
}

} // namespace IPGenApp
