#include "batchrun.h"

#include "catalogue.h"
#include "console.h"
#include "corereport.h"
#include "devicelibrary.h"
#include "dialogdriver.h"
#include "hostsession.h"
#include "ipgendialog.h"
#include "ippackage.h"
#include "pluginmanager.h"

#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

namespace IPGenApp {

namespace {

// What a batch command opens: a core, and either a device (new core) or an .ipc file.
struct BatchTarget
{
    IPCore::BaseIPCore *core = nullptr;
    DEV::DeviceArg device;
    QString configFile;
};

QString absoluteDirectory(const QString &path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

bool resolveDevice(const Invocation &invocation, DEV::DeviceArg *device)
{
    if (DEV::DeviceLibrary::find(invocation.deviceModel, invocation.condition, device))
        return true;
    return invocation.condition.isEmpty() &&
           DEV::DeviceLibrary::findById(invocation.deviceModel, device);
}

// The exit code of a refusal: a configuration file that cannot be used fails the run, anything
// else is a wrong command line.
int resolveTarget(const Invocation &invocation, const IPCore::PluginManager &plugins,
                  BatchTarget *target, QString *error)
{
    QString coreId = invocation.coreId;
    if (!invocation.configFile.isEmpty()) {
        target->configFile = QFileInfo(invocation.configFile).absoluteFilePath();
        const QFileInfo info(target->configFile);
        if (!info.isFile() || !info.isReadable()) {
            *error = QStringLiteral("cannot read the configuration file '%1': %2")
                         .arg(invocation.configFile,
                              info.exists() ? QStringLiteral("not a readable regular file")
                                            : QStringLiteral("no such file"));
            return ExitFailed;
        }
        const QString type = configCoreType(target->configFile);
        if (type.isNull()) {
            *error =
                QStringLiteral("'%1' is not an IP configuration file").arg(invocation.configFile);
            return ExitFailed;
        }
        if (coreId.isEmpty())
            coreId = type;
        if (coreId.isEmpty()) {
            *error =
                QStringLiteral("'%1' names no core type; pass --core").arg(invocation.configFile);
            return ExitUsage;
        }
    }
    target->core = plugins.core(coreId);
    if (!target->core) {
        QStringList ids;
        for (const IPCore::BaseIPCore *core : plugins.cores())
            ids.append(core->id());
        *error = QStringLiteral("no IP core '%1' (loaded: %2)")
                     .arg(coreId,
                          ids.isEmpty() ? QStringLiteral("none") : ids.join(QStringLiteral(", ")));
        return ExitUsage;
    }
    if (!target->configFile.isEmpty())
        return ExitOk;
    if (!resolveDevice(invocation, &target->device)) {
        *error =
            invocation.condition.isEmpty()
                ? QStringLiteral("unknown device '%1' (see 'ipgen devices')")
                      .arg(invocation.deviceModel)
                : QStringLiteral("unknown device '%1' with condition '%2' (see 'ipgen devices')")
                      .arg(invocation.deviceModel, invocation.condition);
        return ExitUsage;
    }
    if (!target->core->isSupported(target->device)) {
        *error = QStringLiteral("core '%1' does not support %2 (%3)")
                     .arg(coreId, target->device.device(), target->device.condition());
        return ExitUsage;
    }
    return ExitOk;
}

// Blocks in the dialog's modal run, as the window's Create… and Open IP config… do.
void openDialog(const BatchTarget &target, const QString &outputDirectory)
{
    if (target.configFile.isEmpty())
        target.core->createIP(outputDirectory, target.device);
    else
        target.core->openIP(target.configFile, target.core->id());
}

// What re-opening the target's configuration file changes, when its core can say.
void printRestoreNotes(const IPCore::PluginManager &plugins, const BatchTarget &target)
{
    auto *notes = plugins.capability<IPCore::RestoreNotes>(target.core->id());
    if (target.configFile.isEmpty() || !notes)
        return;
    for (const QString &note : notes->restoreNotes(target.configFile))
        printErr(QStringLiteral("ipgen: note: ") + note);
}

// --part or --spd, applied before the dialog shows, and the --set edits left for after.
struct PartStep
{
    std::unique_ptr<PartBeforeShow> part;
    QList<ControlSetting> settings;
};

// ExitOk, or the exit code of a refusal with its reason in *error.
int preparePart(const Invocation &invocation, const IPCore::PluginManager &plugins,
                const BatchTarget &target, PartStep *step, QString *error)
{
    step->settings = invocation.settings;
    if (invocation.part.isEmpty() && invocation.spdFile.isEmpty())
        return ExitOk;
    const auto *parts = plugins.capability<IPCore::MemoryParts>(target.core->id());
    if (!parts) {
        *error = QStringLiteral("core '%1' offers no memory parts, so --part and --spd do not "
                                "apply")
                     .arg(target.core->id());
        return ExitUsage;
    }
    QList<ControlSetting> inputs;
    step->settings.clear();
    splitPartInputs(invocation.settings, parts->partInputs(), &inputs, &step->settings);
    const PartRequest request =
        invocation.spdFile.isEmpty()
            ? PartRequest{invocation.part, false}
            : PartRequest{QFileInfo(invocation.spdFile).absoluteFilePath(), true};
    step->part = std::make_unique<PartBeforeShow>(*parts, request, inputs);
    return ExitOk;
}

// The core, device and part step of a command that opens a dialog; a refusal is said on stderr
// and its exit code returned.
int prepareDialogRun(const Invocation &invocation, const IPCore::PluginManager &plugins,
                     BatchTarget *target, PartStep *part)
{
    QString error;
    int refused = resolveTarget(invocation, plugins, target, &error);
    if (refused == ExitOk)
        refused = preparePart(invocation, plugins, *target, part, &error);
    if (refused != ExitOk)
        printErr(QStringLiteral("ipgen: ") + error);
    return refused;
}

// Once the dialog runs: why the part was not applied (empty when it was or none was asked
// for); its warnings are said when it was.
QString partOutcome(const PartStep &step)
{
    if (!step.part)
        return QString();
    if (!step.part->applied()) {
        return step.part->error().isEmpty() ? QStringLiteral("the memory part was not applied")
                                            : step.part->error();
    }
    for (const QString &warning : step.part->warnings())
        printErr(QStringLiteral("ipgen: warning: ") + warning);
    return QString();
}

bool applySettings(IPCore::IPGenDialog *dialog, const QList<ControlSetting> &settings)
{
    for (const ControlSetting &setting : settings) {
        QString error;
        if (!applySetting(dialog, setting, &error)) {
            printErr(QStringLiteral("ipgen: cannot set %1 to '%2': %3")
                         .arg(setting.name, setting.value, error));
            return false;
        }
    }
    return true;
}

// One line of a message's text, for the last line of a failed run.
QString oneLine(const QString &text)
{
    return QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
}

void printDetails(const QStringList &details)
{
    for (const QString &line : details)
        printErr(QStringLiteral("  ") + line);
}

void printMessage(const ShownMessage &message)
{
    printErr(message.title + QStringLiteral(": ") + message.text);
    printDetails(message.details);
}

// The frame or the core refused to open the dialog: its last error box says why.
QString notOpenedReason(const QList<ShownMessage> &messages)
{
    for (auto it = messages.crbegin(); it != messages.crend(); ++it) {
        if (it->kind == QLatin1String("critical"))
            return QStringLiteral("the dialog was not opened: ") + oneLine(it->text);
    }
    return QStringLiteral("the dialog was not opened");
}

// The helper's commands and the tool's numbered top-level steps ("3. Executing ...").
bool isProgressLine(const QString &line)
{
    static const QRegularExpression step(QStringLiteral("^(\\$ |\\d+\\. )"));
    return step.match(line).hasMatch();
}

using FileTimes = QMap<QString, QDateTime>;

FileTimes fileTimes(const QString &directory, const QString &extraFile)
{
    FileTimes times;
    QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        times.insert(it.filePath(), it.fileInfo().lastModified());
    }
    if (QFileInfo(extraFile).isFile())
        times.insert(extraFile, QFileInfo(extraFile).lastModified());
    return times;
}

// One headless generation: fill the frame, apply the edits, press OK, follow the synthesis.
class GenerationRun : public QObject
{
public:
    GenerationRun(const Invocation &invocation, const PartStep &part,
                  const QString &outputDirectory, GenerationTimings *timings);

    // Opens the dialog and returns when its modal run is over.
    void run(const BatchTarget &target);
    int exitCode() const { return m_exitCode; }
    QString failure() const { return m_failure; }
    QStringList failureDetails() const { return m_failureDetails; }

private:
    qint64 now() const { return m_clock.nsecsElapsed(); }
    void onDialogReady(IPCore::IPGenDialog *dialog);
    QList<ControlSetting> frameSettings(const IPCore::IPGenDialog *dialog) const;
    void confirm();
    QString stopReason();
    void checkAfterSynthesis();
    void fail(int exitCode, const QString &reason);

    const Invocation &m_invocation;
    const PartStep &m_part;
    const QString m_outputDirectory;
    GenerationTimings *m_timings;
    QElapsedTimer m_clock;
    DialogDriver m_driver;
    QPointer<IPCore::IPGenDialog> m_dialog;
    bool m_dialogSeen = false;
    bool m_synthesisStarted = false;
    bool m_filesWritten = false; // --files-only: the files are the whole result
    int m_dialogResult = -1;
    int m_exitCode = ExitOk;
    QString m_failure;
    QStringList m_failureDetails;
    QString m_reportedError; // the host's last error report
    QStringList m_reportedDetails;
};

GenerationRun::GenerationRun(const Invocation &invocation, const PartStep &part,
                             const QString &outputDirectory, GenerationTimings *timings)
    : m_invocation(invocation), m_part(part), m_outputDirectory(outputDirectory), m_timings(timings)
{
    m_clock.start();
    m_driver.setAcceptApproximation(invocation.acceptApproximation);
    // An error box ends the run; the run's last line says it, with its details, once.
    connect(&m_driver, &DialogDriver::messageAnswered, this, [](const ShownMessage &message) {
        if (message.kind != QLatin1String("critical"))
            printMessage(message);
    });
    connect(&m_driver, &DialogDriver::dialogShown, this,
            [this] { m_timings->dialogShown = now(); });
    connect(&m_driver, &DialogDriver::dialogReady, this, &GenerationRun::onDialogReady);

    IPGen::HostSession &session = IPGen::HostSession::instance();
    connect(&session, &IPGen::HostSession::synthesisStarted, this, [this] {
        m_synthesisStarted = true;
        m_timings->synthesisStarted = now();
    });
    connect(&session, &IPGen::HostSession::synthesisLog, this, [](const QString &line) {
        if (stderrIsTerminal() && isProgressLine(line))
            printErr(QStringLiteral("[synthesis] ") + line);
    });
    connect(&session, &IPGen::HostSession::synthesisFinished, this, [this] {
        m_timings->synthesisFinished = now();
        // The dialog handles the helper's result in the same turn; look once it has.
        QTimer::singleShot(0, this, [this] { checkAfterSynthesis(); });
    });
    // Batch runs have no editor area: the files a core opens are announced instead.
    connect(&session, &IPGen::HostSession::editorRequested, this,
            [](const QString &path) { printOut(QStringLiteral("opened ") + path); });
    connect(&session, &IPGen::HostSession::errorsReported, this,
            [this](const QString &message, const QStringList &details) {
                m_reportedError = message;
                m_reportedDetails = details;
            });
}

void GenerationRun::run(const BatchTarget &target)
{
    openDialog(target, m_outputDirectory);
    m_timings->done = now();
    if (!m_dialogSeen)
        fail(ExitFailed, notOpenedReason(m_driver.messages()));
    else if (m_exitCode == ExitOk && m_dialogResult != QDialog::Accepted && !m_filesWritten)
        fail(ExitFailed, QStringLiteral("the dialog closed without generating"));
    else if (m_exitCode == ExitOk && !m_reportedError.isEmpty())
        fail(ExitFailed, QStringLiteral("generated, but %1").arg(oneLine(m_reportedError)));
    if (m_exitCode != ExitOk)
        return;
    // An error box the run went past still fails it.
    for (const ShownMessage &message : m_driver.messages()) {
        if (message.kind == QLatin1String("critical")) {
            m_failureDetails = message.details;
            fail(ExitFailed, QStringLiteral("generated, but %1").arg(oneLine(message.text)));
            return;
        }
    }
}

void GenerationRun::onDialogReady(IPCore::IPGenDialog *dialog)
{
    m_dialog = dialog;
    m_dialogSeen = true;
    connect(dialog, &QDialog::finished, this, [this](int result) { m_dialogResult = result; });
    if (const QString failure = partOutcome(m_part); !failure.isEmpty()) {
        fail(ExitUsage, failure);
        return;
    }
    if (!applySettings(dialog, frameSettings(dialog))) {
        fail(ExitUsage, QString());
        return;
    }
    confirm();
}

QList<ControlSetting> GenerationRun::frameSettings(const IPCore::IPGenDialog *dialog) const
{
    QList<ControlSetting> settings;
    if (dialog->createPath() != m_outputDirectory)
        settings.append({QStringLiteral("editOutputDir"), m_outputDirectory});
    // The module first: the frame may derive the file name from it.
    if (!m_invocation.moduleName.isEmpty())
        settings.append({QStringLiteral("editModuleName"), m_invocation.moduleName});
    if (!m_invocation.fileName.isEmpty())
        settings.append({QStringLiteral("editFileName"), m_invocation.fileName});
    if (m_invocation.languageIndex >= 0) {
        settings.append({QStringLiteral("comboLanguage"),
                         QLatin1Char('#') + QString::number(m_invocation.languageIndex)});
    }
    if (!m_invocation.tool.isEmpty())
        settings.append({QStringLiteral("comboSynthesisTool"), m_invocation.tool});
    return settings + m_part.settings;
}

void GenerationRun::confirm()
{
    const auto *buttons = m_dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QPushButton *ok = buttons ? buttons->button(QDialogButtonBox::Ok) : nullptr;
    if (!ok || !ok->isEnabled()) {
        fail(ExitFailed, QStringLiteral("the dialog offers no enabled OK button"));
        return;
    }
    m_timings->confirmed = now();
    ok->click();
    if (m_dialogResult < 0 && !m_synthesisStarted) {
        fail(ExitFailed, stopReason());
    } else if (m_invocation.filesOnly && m_dialogResult < 0) {
        m_filesWritten = true;
        m_dialog->reject();
    }
}

QString GenerationRun::stopReason()
{
    const QList<ShownMessage> messages = m_driver.messages();
    const bool declinedApproximation =
        !m_invocation.acceptApproximation &&
        std::any_of(messages.cbegin(), messages.cend(), [](const ShownMessage &message) {
            return message.title == QLatin1String("Memory Clock");
        });
    if (declinedApproximation) {
        return QStringLiteral("the memory clock can only be approximated; pass --approx accept "
                              "to take the closest frequency");
    }
    const QString stopped = QStringLiteral("generation stopped before synthesis: ");
    if (messages.isEmpty())
        return stopped + QStringLiteral("OK did not start it and no message said why");
    const ShownMessage &last = messages.last();
    if (last.title == QLatin1String("Overwrite Files")) {
        return stopped + QStringLiteral("the files listed above exist and were kept; remove them "
                                        "or choose another --out");
    }
    // Earlier error boxes the run went past come first.
    for (const ShownMessage &message : messages.mid(0, messages.size() - 1)) {
        if (message.kind == QLatin1String("critical"))
            m_failureDetails.append(oneLine(message.text));
    }
    if (last.kind == QLatin1String("critical"))
        m_failureDetails += last.details;
    return stopped + oneLine(last.text);
}

void GenerationRun::checkAfterSynthesis()
{
    if (!m_dialog || m_dialogResult >= 0)
        return;
    if (QApplication::activeModalWidget() != m_dialog) {
        // A message box is still up over the dialog; it is answered from its own loop.
        QTimer::singleShot(0, this, [this] { checkAfterSynthesis(); });
        return;
    }
    // The helper's summary says what failed; the core's own fallback does not, its details do.
    static const QString helperPrefix = QStringLiteral("Synthesis failed: ");
    m_failureDetails = m_reportedDetails;
    if (m_reportedError.isEmpty())
        fail(ExitFailed, QStringLiteral("synthesis ended but the dialog stayed open"));
    else if (m_reportedError.startsWith(helperPrefix))
        fail(ExitFailed, QStringLiteral("synthesis failed: ") +
                             oneLine(m_reportedError.mid(helperPrefix.size())));
    else if (!m_reportedDetails.isEmpty() &&
             !m_reportedError.startsWith(QLatin1String("Synthesis")))
        fail(ExitFailed, QStringLiteral("generation failed after synthesis: ") +
                             oneLine(m_failureDetails.takeFirst()));
    else
        fail(ExitFailed, QStringLiteral("synthesis failed: ") + oneLine(m_reportedError));
}

void GenerationRun::fail(int exitCode, const QString &reason)
{
    m_exitCode = exitCode;
    m_failure = reason;
    if (m_dialog && m_dialog->isVisible())
        m_dialog->reject();
}

} // namespace

namespace {

// Opens the target's dialog headless with the part applied before it shows, as a generation
// does, and hands it to `ready`, whose exit code the run returns; a refusal is said on stderr.
int runHeadless(
    const Invocation &invocation, const IPCore::PluginManager &plugins,
    const std::function<int(IPCore::IPGenDialog *, const PartStep &, const DialogDriver &)> &ready)
{
    BatchTarget target;
    PartStep part;
    if (const int refused = prepareDialogRun(invocation, plugins, &target, &part))
        return refused;
    DialogDriver driver;
    bool opened = false;
    int exitCode = ExitOk;
    QObject::connect(&driver, &DialogDriver::dialogReady, &driver,
                     [&](IPCore::IPGenDialog *dialog) {
                         opened = true;
                         const QString failure = partOutcome(part);
                         if (!failure.isEmpty())
                             printErr(QStringLiteral("ipgen: ") + failure);
                         exitCode = !failure.isEmpty() || !applySettings(dialog, part.settings)
                                        ? ExitUsage
                                        : ready(dialog, part, driver);
                         dialog->reject();
                     });
    const QString outputDirectory = absoluteDirectory(
        invocation.outputDirectory.isEmpty() ? QDir::currentPath() : invocation.outputDirectory);
    printRestoreNotes(plugins, target);
    openDialog(target, outputDirectory);
    if (!opened) {
        for (const ShownMessage &message : driver.messages()) {
            if (message.kind != QLatin1String("critical"))
                printMessage(message);
        }
        printErr(QStringLiteral("ipgen: ") + notOpenedReason(driver.messages()));
        return ExitFailed;
    }
    return exitCode;
}

} // namespace

int runInspect(const Invocation &invocation, const IPCore::PluginManager &plugins)
{
    QString printed;
    const int exitCode = runHeadless(
        invocation, plugins,
        [&](IPCore::IPGenDialog *dialog, const PartStep &, const DialogDriver &driver) {
            printed = invocation.namesOnly
                          ? settableNames(dialog).join(QLatin1Char('\n'))
                          : QString::fromUtf8(
                                QJsonDocument(dialogState(dialog, driver.messages())).toJson());
            return ExitOk;
        });
    if (exitCode == ExitOk)
        printOut(printed.trimmed());
    return exitCode;
}

int configuredPartSource(const Invocation &invocation, const IPCore::PluginManager &plugins,
                         QString *source)
{
    if (invocation.part.isEmpty() && invocation.spdFile.isEmpty())
        return ExitOk;
    return runHeadless(invocation, plugins,
                       [source](IPCore::IPGenDialog *, const PartStep &part, const DialogDriver &) {
                           *source = part.part->source();
                           return ExitOk;
                       });
}

int runGenerate(const Invocation &invocation, const IPCore::PluginManager &plugins,
                GenerationTimings *timings)
{
    BatchTarget target;
    PartStep part;
    if (const int refused = prepareDialogRun(invocation, plugins, &target, &part))
        return refused;
    QString error;
    IPGen::HostSession &session = IPGen::HostSession::instance();
    session.setFilesOnly(invocation.filesOnly);
    if (!invocation.projectFile.isEmpty() && !session.openProject(invocation.projectFile, &error)) {
        printErr(QStringLiteral("ipgen: cannot open the project: ") + error);
        return ExitFailed;
    }
    const QString outputDirectory = absoluteDirectory(invocation.outputDirectory);
    const QString projectFile = session.projectFile();
    const FileTimes before = fileTimes(outputDirectory, projectFile);

    QStringList unwritten;
    CoreReporter reporter(plugins);
    reporter.follow(target.core->id(), part.part.get());
    printReportsOnStderr(&reporter);
    QObject::connect(&session, &IPGen::HostSession::recordNotWritten, &reporter,
                     [&unwritten](const QString &, const QString &reason) {
                         unwritten.append(reason);
                     });
    printRestoreNotes(plugins, target);
    GenerationTimings localTimings;
    GenerationRun run(invocation, part, outputDirectory, timings ? timings : &localTimings);
    run.run(target);
    for (const QString &reason : unwritten)
        printErr(QStringLiteral("ipgen: warning: the configuration record was not written: ") +
                 reason);
    if (run.exitCode() != ExitOk) {
        printDetails(run.failureDetails());
        if (!run.failure().isEmpty())
            printErr(QStringLiteral("ipgen: ") + run.failure());
        return run.exitCode();
    }
    const FileTimes after = fileTimes(outputDirectory, projectFile);
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            printOut(QStringLiteral("wrote ") + it.key());
    }
    return ExitOk;
}

} // namespace IPGenApp
