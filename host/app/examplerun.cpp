#include "examplerun.h"

#include "catalogue.h"
#include "console.h"
#include "examplefiles.h"
#include "hostsession.h"
#include "pluginmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>

namespace IPGenApp {

namespace {

const QString coreType = QStringLiteral("ddr3_phy");
const QString coreFolder = QStringLiteral("ddr3phy");
const QString workFolder = QStringLiteral("temp/DDR3_PHY");
// Every source of the kit is a text file of modest size; anything bigger is not ours.
constexpr qint64 maxSourceSize = 4 * 1024 * 1024;
// A files-only generation takes well under a second; this only guards against a hang.
constexpr int generationTimeoutMs = 120000;

struct KitFile
{
    QString target; // relative to the kit's folder
    QByteArray content;
    bool executable = false;
};

ExampleOutcome failed(int exitCode, const QString &error)
{
    ExampleOutcome outcome;
    outcome.exitCode = exitCode;
    outcome.error = error;
    return outcome;
}

bool readSource(const QString &path, QByteArray *content, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > maxSourceSize) {
        *error = QStringLiteral("%1 is too large to be a source of the example").arg(path);
        return false;
    }
    *content = file.readAll();
    return true;
}

QByteArray textOf(const QStringList &lines)
{
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

// The core's folder beside its plug-in, searched in the order the plug-ins are loaded.
QString findCoreDirectory(const QStringList &pluginDirectories)
{
    for (const QString &directory : QStringList(defaultPluginDirectory()) + pluginDirectories) {
        const QString candidate = directory + QLatin1Char('/') + coreFolder;
        if (QFileInfo(candidate + QStringLiteral("/example")).isDir())
            return candidate;
    }
    return {};
}

// A files-only generation of the configuration into `directory`, by this same program, so that
// the kit gets exactly the files the generator writes. Its messages explain a failure.
bool generateCoreFiles(const ExampleRequest &request, const QString &directory, QString *error)
{
    QStringList arguments = {QStringLiteral("generate"),
                             QStringLiteral("--config"),
                             request.configFile,
                             QStringLiteral("--out"),
                             directory,
                             QStringLiteral("--files-only"),
                             QStringLiteral("--approx"),
                             QStringLiteral("accept")};
    for (const QString &plugins : request.pluginDirectories)
        arguments << QStringLiteral("--plugins") << plugins;
    if (!request.settingsFile.isEmpty())
        arguments << QStringLiteral("--settings") << request.settingsFile;

    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), arguments);
    if (!process.waitForFinished(generationTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        *error = QStringLiteral("the core's files could not be generated from %1: %2")
                     .arg(request.configFile, process.errorString());
        return false;
    }
    QStringList messages = QString::fromUtf8(process.readAllStandardError())
                               .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    messages.replaceInStrings(QRegularExpression(QStringLiteral("^ipgen: ")), QString());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("the core's files could not be generated from %1%2")
                     .arg(request.configFile,
                          messages.isEmpty()
                              ? QString()
                              : QStringLiteral(": ") + messages.join(QStringLiteral("; ")));
        return false;
    }
    return true;
}

bool collectKit(const ExampleRequest &request, const QString &generatedDirectory,
                QList<KitFile> *kit, QString *error)
{
    const QString coreDirectory = findCoreDirectory(request.pluginDirectories);
    if (coreDirectory.isEmpty()) {
        *error = QStringLiteral("the %1 core's example sources were not found beside its "
                                "plug-in")
                     .arg(coreType);
        return false;
    }
    const QString shareDirectory = IPGen::HostSession::instance().shareDirectory();
    for (const DDR3PHY::KitCopy &copy : DDR3PHY::exampleCopies()) {
        const QString root = copy.from == DDR3PHY::KitCopy::From::CoreDirectory ? coreDirectory
                             : copy.from == DDR3PHY::KitCopy::From::HostShare   ? shareDirectory
                                                                              : generatedDirectory;
        KitFile file{copy.target, {}, false};
        if (!readSource(root + QLatin1Char('/') + copy.source, &file.content, error))
            return false;
        kit->append(file);
    }
    // The core's HDL goes whole, so that the kit follows whatever the core's sources include.
    const QDir data(coreDirectory + QStringLiteral("/data"));
    const QStringList sources = data.entryList(QDir::Files, QDir::Name);
    if (sources.isEmpty()) {
        *error = QStringLiteral("the core's HDL folder %1 is empty").arg(data.path());
        return false;
    }
    for (const QString &name : sources) {
        KitFile file{QStringLiteral("core/") + name, {}, false};
        if (!readSource(data.filePath(name), &file.content, error))
            return false;
        kit->append(file);
    }

    const auto generated = [&](const QString &target) {
        const auto it = std::find_if(kit->cbegin(), kit->cend(),
                                     [&](const KitFile &file) { return file.target == target; });
        return it == kit->cend() ? QString() : QString::fromUtf8(it->content);
    };
    DDR3PHY::ExampleCore core;
    if (!DDR3PHY::readExampleCore(generated(QStringLiteral("core/vlmc_param.v")),
                                  generated(QStringLiteral("core/ddr3_pll_config.v")),
                                  generated(QStringLiteral("core/DDR3_define.v")),
                                  generated(QStringLiteral("core/ddr3_name.v")), &core, error))
        return false;
    kit->append({DDR3PHY::exampleConfigPath, textOf(DDR3PHY::exampleConfigLines(core)), false});
    kit->append({DDR3PHY::exampleRunScriptPath, textOf(DDR3PHY::exampleRunScript(core)), true});
    kit->append({DDR3PHY::pinTemplatePath, textOf(DDR3PHY::pinTemplateLines(core)), false});
    return true;
}

bool writeKitFile(const QString &path, const KitFile &file, QString *error)
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

} // namespace

ExampleOutcome writeExample(const ExampleRequest &request, const ReplaceQuestion &mayReplace)
{
    if (!QFileInfo(request.configFile).isFile())
        return failed(
            ExitUsage,
            QStringLiteral("cannot read the configuration file '%1'").arg(request.configFile));
    const QString type = configCoreType(request.configFile);
    if (type != coreType) {
        return failed(ExitUsage, QStringLiteral("'%1' is not a %2 configuration (its type is "
                                                "'%3'); only that core has an example design")
                                     .arg(request.configFile, coreType, type));
    }
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return failed(
            ExitFailed,
            QStringLiteral("cannot make a temporary folder: %1").arg(scratch.errorString()));
    QString error;
    if (!generateCoreFiles(request, scratch.path(), &error))
        return failed(ExitFailed, error);
    QList<KitFile> kit;
    if (!collectKit(request, scratch.path() + QLatin1Char('/') + workFolder, &kit, &error))
        return failed(ExitFailed, error);

    const QString root = QDir::cleanPath(QDir(request.outputDirectory).absolutePath());
    QStringList existing;
    for (const KitFile &file : kit) {
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
    ExampleOutcome outcome;
    for (const KitFile &file : kit) {
        const QString path = root + QLatin1Char('/') + file.target;
        if (!writeKitFile(path, file, &error)) {
            std::sort(outcome.written.begin(), outcome.written.end());
            outcome.exitCode = ExitFailed;
            outcome.error = error;
            return outcome;
        }
        outcome.written.append(path);
    }
    std::sort(outcome.written.begin(), outcome.written.end());
    return outcome;
}

int runExample(const Invocation &invocation, const IPCore::PluginManager &plugins)
{
    if (!plugins.core(coreType)) {
        printErr(QStringLiteral("ipgen: no IP core '%1' loaded").arg(coreType));
        return ExitUsage;
    }
    const ExampleRequest request{QFileInfo(invocation.configFile).absoluteFilePath(),
                                 invocation.outputDirectory, invocation.pluginDirectories,
                                 invocation.settingsFile};
    // Batch runs answer as the generation's overwrite question does by default: keep the files.
    const ExampleOutcome outcome = writeExample(request, [](const QStringList &existing) {
        printErr(QStringLiteral("Overwrite Files: %1 file(s) exist already:").arg(existing.size()));
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
