#include "synthesishelper.h"

#include "hostsession.h"
#include "synthesisscripts.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <utility>

#include <signal.h>
#include <unistd.h>

namespace IPCore {

namespace {

// What a failure quotes of the tool's output; the rest is in the run's log file.
constexpr int kTailLines = 20;
constexpr int kTailBytes = 4096;

// Process groups of the tools running now, for killToolProcesses() in a signal handler.
std::atomic<pid_t> toolGroups[16];

void registerGroup(pid_t group, bool add)
{
    if (group <= 0)
        return;
    for (std::atomic<pid_t> &slot : toolGroups) {
        pid_t expected = add ? 0 : group;
        if (slot.compare_exchange_strong(expected, add ? group : 0))
            return;
    }
}

// Each tool leads a process group of its own, so that whatever it starts in turn (Yosys runs
// ABC) ends with it, and a terminal's Ctrl-C reaches ipgen alone, which then ends the group.
class ToolProcess : public QProcess
{
public:
    explicit ToolProcess(QObject *parent) : QProcess(parent)
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    }

    void killGroup()
    {
        if (processId() > 0)
            ::kill(-pid_t(processId()), SIGKILL);
        kill();
    }

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
protected:
    void setupChildProcess() override { ::setpgid(0, 0); }
#endif
};

} // namespace

void killToolProcesses()
{
    for (std::atomic<pid_t> &slot : toolGroups) {
        const pid_t group = slot.load();
        if (group > 0)
            ::kill(-group, SIGKILL);
    }
}

class SynthesisHelper::Private
{
public:
    explicit Private(SynthesisHelper *helper) : q(helper) {}

    SynthesisHelper *q;
    int tool = VeltraSynthesis;
    SynthesizeArgs args;
    QString title;
    QString errorMsg;
    QStringList details;
    QStringList tail;
    QByteArray pending;
    QList<Synthesis::Step> steps;
    QStringList results;
    ToolProcess *process = nullptr;
    pid_t group = 0; // the running tool's process group, while registered
    QTimer *deadline = nullptr;
    bool timedOut = false;
    bool cancelled = false;
    QFile runLog;

    QPointer<QDialog> progress; // parented on a window that may go first
    QLabel *status = nullptr;
    QPlainTextEdit *log = nullptr;
    QPushButton *button = nullptr;

    bool veltra() const { return tool == VeltraSynthesis; }
    QString toolName() const { return veltra() ? Synthesis::veltraName : Synthesis::synplifyName; }
    QString base() const { return args.workDirectory + QLatin1Char('/') + args.outputFileName; }
    QString portListFile() const { return base() + QStringLiteral("_ports.txt"); }
    QString runLogFile() const { return base() + QStringLiteral("_synthesis.log"); }
    QString implName() const
    {
        const QString name = args.options.value(QStringLiteral("impl_name")).toString();
        return name.isEmpty() ? QStringLiteral("rev_1") : name;
    }
    QString missingResult() const
    {
        for (const QString &result : results) {
            if (!QFileInfo::exists(result))
                return result;
        }
        return QString();
    }
    bool running() const { return process && process->state() != QProcess::NotRunning; }

    QVariant setting(const QString &key) const
    {
        const QString file = IPGen::HostSession::instance().settingsFile();
        return file.isEmpty() ? QVariant() : QSettings(file, QSettings::IniFormat).value(key);
    }

    QString yosysProgram() const
    {
        const QString program = setting(QStringLiteral("VeltraSynthesis/command")).toString();
        return program.isEmpty() ? QStringLiteral("yosys") : program;
    }

    bool prepare(QString *error);
    void createProgressDialog();
    void runNextStep();
    void takeOutput(bool flush);
    void addLines(const QStringList &lines);
    void processFinished(int exitCode, QProcess::ExitStatus status);
    QString checkNetlist(const QString &top) const;
    void complete();
    void fail(const QString &message, int exitCode);
    void finish(int exitCode);
};

bool SynthesisHelper::Private::prepare(QString *error)
{
    if (args.workDirectory.isEmpty() || args.outputFileName.isEmpty()) {
        *error = QStringLiteral("Synthesis failed: no work directory or output file name given.");
        return false;
    }
    if (!QDir().mkpath(args.workDirectory)) {
        *error = QStringLiteral("Synthesis failed: cannot create the work directory %1.")
                     .arg(args.workDirectory);
        return false;
    }
    // What the tool itself must leave; the templates are written from it afterwards.
    if (veltra()) {
        results = QStringList{base() + QStringLiteral(".vg")};
    } else {
        const QString impl = args.workDirectory + QLatin1Char('/') + implName() + QLatin1Char('/') +
                             args.outputFileName;
        results = QStringList{impl + QStringLiteral(".vm")};
        if (args.options.value(QStringLiteral("write_vhdl")).toBool())
            results << impl + QStringLiteral(".vhm");
    }
    // Files of an earlier run must not pass for this run's output.
    for (const QString &stale :
         results + QStringList{portListFile(), base() + "_tmp.v", base() + "_tmp.vhd",
                               base() + ".vhg", base() + ".vho"})
        QFile::remove(stale);
    if (veltra())
        return Synthesis::prepareVeltra(args, yosysProgram(), results.first(), portListFile(),
                                        &steps, error);
    const QString program = setting(QStringLiteral("SynplifyPro/command")).toString();
    if (program.isEmpty()) {
        const QString settings = IPGen::HostSession::instance().settingsFile();
        *error = QStringLiteral("Synplify Pro is not configured: set [SynplifyPro] command in %1")
                     .arg(settings.isEmpty() ? QStringLiteral("ipgen.ini") : settings);
        return false;
    }
    return Synthesis::prepareSynplify(
        args, program, setting(QStringLiteral("SynplifyPro/arguments")).toStringList(),
        yosysProgram(), implName(), results.first(), portListFile(), &steps, error);
}

void SynthesisHelper::Private::createProgressDialog()
{
    auto *owner = qobject_cast<QWidget *>(q->parent());
    progress = new QDialog(owner ? owner : IPGen::HostSession::instance().messageParent());
    progress->setWindowModality(Qt::WindowModal);
    progress->resize(760, 420);
    status = new QLabel(progress);
    log = new QPlainTextEdit(progress);
    log->setObjectName(QStringLiteral("synthesisLog"));
    log->setReadOnly(true);
    log->setLineWrapMode(QPlainTextEdit::NoWrap);
    log->setMaximumBlockCount(20000);
    log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    button = new QPushButton(QStringLiteral("Cancel"), progress);
    button->setObjectName(QStringLiteral("buttonCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button);
    auto *layout = new QVBoxLayout(progress);
    layout->addWidget(status);
    layout->addWidget(log, 1);
    layout->addLayout(buttons);
    // Cancel while running, Close afterwards; closing the window counts as Cancel.
    QObject::connect(button, &QPushButton::clicked, progress, &QDialog::reject);
    QObject::connect(progress, &QDialog::rejected, q, [this] {
        if (running()) {
            cancelled = true;
            process->killGroup();
        }
    });
}

void SynthesisHelper::Private::runNextStep()
{
    const Synthesis::Step step = steps.takeFirst();
    addLines({QStringLiteral("$ %1 %2").arg(step.program, step.arguments.join(QLatin1Char(' ')))});
    process->setWorkingDirectory(args.workDirectory);
    process->start(step.program, step.arguments);
    // Known from the fork on; waiting for started() would leave a window for a signal.
    if (process->processId() > 0)
        registerGroup(group = pid_t(process->processId()), true);
}

void SynthesisHelper::Private::takeOutput(bool flush)
{
    pending += process->readAll();
    QStringList lines;
    int end;
    while ((end = pending.indexOf('\n')) >= 0) {
        lines.append(QString::fromLocal8Bit(pending.left(end)).remove(QLatin1Char('\r')));
        pending.remove(0, end + 1);
    }
    if (flush && !pending.isEmpty()) {
        lines.append(QString::fromLocal8Bit(pending));
        pending.clear();
    }
    addLines(lines);
}

void SynthesisHelper::Private::addLines(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    // Yosys says "ERROR: ..." or "<file>:<line>: ERROR: ...", the other tool "@E: ...".
    static const QRegularExpression errorLine(
        QStringLiteral("^(ERROR\\b|@E\\b|\\S+:\\d+: ERROR\\b)"));
    IPGen::HostSession &session = IPGen::HostSession::instance();
    for (const QString &line : lines) {
        if (errorLine.match(line).hasMatch())
            details.append(line);
        tail.append(line);
        if (runLog.isOpen())
            runLog.write(line.toUtf8() + '\n');
        emit session.synthesisLog(line);
    }
    while (tail.size() > kTailLines)
        tail.removeFirst();
    if (!log)
        return;
    // Follow the output unless the user has scrolled back to read.
    QScrollBar *bar = log->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    log->appendPlainText(lines.join(QLatin1Char('\n')));
    if (following)
        bar->setValue(bar->maximum());
}

void SynthesisHelper::Private::processFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    // The process is gone and its id may be reused: the group must leave the list at once.
    registerGroup(std::exchange(group, 0), false);
    takeOutput(true);
    const QString program = QFileInfo(process->program()).fileName();
    if (cancelled) {
        fail(QStringLiteral("Synthesis cancelled."), 1);
    } else if (timedOut) {
        fail(QStringLiteral("Synthesis failed: %1 did not finish within %2 s and was stopped.")
                 .arg(program)
                 .arg(IPGen::HostSession::instance().synthesisTimeout()),
             1);
    } else if (exitStatus != QProcess::NormalExit) {
        fail(QStringLiteral("Synthesis failed: %1 was ended by a signal.").arg(program), 1);
    } else if (exitCode != 0) {
        fail(details.isEmpty() ? QStringLiteral("Synthesis failed: %1 exited with code %2.")
                                     .arg(program)
                                     .arg(exitCode)
                               : QStringLiteral("Synthesis failed: %1").arg(details.first()),
             exitCode);
    } else if (const QString missing = missingResult(); !missing.isEmpty()) {
        fail(QStringLiteral("Synthesis failed: %1 did not write %2.").arg(toolName(), missing), 1);
    } else if (!steps.isEmpty()) {
        runNextStep();
    } else {
        complete();
    }
}

// The netlist is what the user gets: it must at least be whole modules, the top among them.
QString SynthesisHelper::Private::checkNetlist(const QString &top) const
{
    QString text;
    QString error;
    if (!Synthesis::readText(results.first(), &text, &error))
        return error;
    static const QRegularExpression keyword(
        QStringLiteral("^\\s*(module|endmodule)\\b(\\s+\\\\?(\\S+?)\\s*[(#;])?"),
        QRegularExpression::MultilineOption);
    int open = 0;
    bool holdsTop = false;
    for (auto it = keyword.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const bool start = match.captured(1) == QLatin1String("module");
        if (start ? open++ != 0 : --open != 0)
            break;
        holdsTop = holdsTop || (start && match.captured(3) == top);
    }
    if (open != 0)
        return QStringLiteral("the netlist %1 is not well-formed Verilog (unbalanced module and "
                              "endmodule)")
            .arg(results.first());
    if (!holdsTop)
        return QStringLiteral("the netlist %1 holds no module %2").arg(results.first(), top);
    return QString();
}

void SynthesisHelper::Private::complete()
{
    const QString origin =
        QStringLiteral("Written by ipgen on %1 from the %2 run for %3 %4.")
            .arg(Synthesis::timestamp(), toolName(), args.device.device(), args.device.condition());
    Synthesis::TopModule top;
    QString error;
    if (!Synthesis::readPortList(portListFile(), &top, &error) ||
        !(error = checkNetlist(top.name)).isEmpty() ||
        !Synthesis::writeTemplates(args, veltra(), top, origin, &error)) {
        fail(QStringLiteral("Synthesis failed: %1").arg(error), 1);
        return;
    }
    addLines({QStringLiteral("Top module %1; netlist %2").arg(top.name, results.first())});
    finish(0);
}

// `message` is the one-line summary; the details quote the tool (its error lines, else its last
// lines, within kTailLines and kTailBytes) and name the full log.
void SynthesisHelper::Private::fail(const QString &message, int exitCode)
{
    errorMsg = message;
    QStringList quoted = details.isEmpty() ? tail : details.mid(0, kTailLines);
    int bytes = 0;
    for (int i = quoted.size() - 1; i >= 0; --i) {
        bytes += quoted.at(i).toUtf8().size() + 1;
        if (bytes > kTailBytes) {
            quoted = quoted.mid(i + 1);
            break;
        }
    }
    details = quoted;
    if (runLog.isOpen())
        details.append(QStringLiteral("Full log: %1").arg(runLogFile()));
    finish(exitCode);
}

void SynthesisHelper::Private::finish(int exitCode)
{
    deadline->stop();
    runLog.close();
    if (progress) {
        status->setText(exitCode == 0 ? QStringLiteral("%1 finished.").arg(toolName()) : errorMsg);
        button->setText(QStringLiteral("Close"));
    }
    emit IPGen::HostSession::instance().synthesisFinished(exitCode);
    emit q->finished(exitCode);
}

// --- SynthesisHelper --------------------------------------------------------------------------

SynthesisHelper::SynthesisHelper(QObject *parent) : QObject(parent), d(new Private(this))
{
    d->process = new ToolProcess(this);
    d->process->setProcessChannelMode(QProcess::MergedChannels);
    // A tool waiting for input would wait for ever: it reads end-of-file at once instead.
    d->process->setStandardInputFile(QProcess::nullDevice());
    d->deadline = new QTimer(this);
    d->deadline->setSingleShot(true);
    connect(d->deadline, &QTimer::timeout, this, [this] {
        if (d->running()) {
            d->timedOut = true;
            d->process->killGroup();
        }
    });
    connect(d->process, &QProcess::readyRead, this, [this] { d->takeOutput(false); });
    connect(d->process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this](int exitCode, QProcess::ExitStatus status) {
                d->processFinished(exitCode, status);
            });
    connect(d->process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        registerGroup(std::exchange(d->group, 0), false);
        if (!d->cancelled)
            d->fail(QStringLiteral("Synthesis failed: cannot run %1: %2")
                        .arg(d->process->program(), d->process->errorString()),
                    1);
    });
}

SynthesisHelper::~SynthesisHelper()
{
    // A run still going dies with the helper, without reporting to anyone.
    d->process->disconnect();
    registerGroup(std::exchange(d->group, 0), false);
    if (d->running()) {
        d->process->killGroup();
        d->process->waitForFinished(2000);
    }
    delete d->progress;
    delete d;
}

void SynthesisHelper::setSynthesizeTool(int tool)
{
    d->tool = tool == SynplifyPro ? SynplifyPro : VeltraSynthesis;
}

void SynthesisHelper::setArgs(const SynthesizeArgs &args)
{
    d->args = args;
}

void SynthesisHelper::setProgressDlgWindowTitle(const QString &title)
{
    d->title = title;
    if (d->progress)
        d->progress->setWindowTitle(title);
}

void SynthesisHelper::showProgressDlg()
{
    if (IPGen::HostSession::instance().batch())
        return;
    if (!d->progress)
        d->createProgressDialog();
    d->progress->setWindowTitle(d->title);
    d->progress->show();
}

void SynthesisHelper::hideProgressDlg()
{
    if (d->progress)
        d->progress->hide();
}

void SynthesisHelper::start()
{
    if (d->running())
        return;
    d->errorMsg.clear();
    d->details.clear();
    d->tail.clear();
    d->pending.clear();
    d->cancelled = false;
    d->timedOut = false;
    if (d->progress) {
        d->log->clear();
        d->status->setText(QStringLiteral("Running %1…").arg(d->toolName()));
        d->button->setText(QStringLiteral("Cancel"));
    }
    emit IPGen::HostSession::instance().synthesisStarted(d->title);
    if (IPGen::HostSession::instance().filesOnly())
        return;
    QString error;
    if (!d->prepare(&error)) {
        // finished() is always asynchronous, so callers may connect after start().
        QMetaObject::invokeMethod(
            this, [this, error] { d->fail(error, 1); }, Qt::QueuedConnection);
        return;
    }
    d->runLog.setFileName(d->runLogFile());
    if (!d->runLog.open(QIODevice::WriteOnly | QIODevice::Truncate))
        d->addLines({QStringLiteral("Cannot write the log %1: %2")
                         .arg(d->runLogFile(), d->runLog.errorString())});
    if (const int seconds = IPGen::HostSession::instance().synthesisTimeout(); seconds > 0)
        d->deadline->start(seconds * 1000);
    d->runNextStep();
}

QString SynthesisHelper::errorMsg() const
{
    return d->errorMsg;
}

QStringList SynthesisHelper::detailErrorMsgs() const
{
    return d->details;
}

} // namespace IPCore
