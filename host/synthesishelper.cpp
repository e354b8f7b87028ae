#include "synthesishelper.h"

#include "hostsession.h"
#include "ipcorefunctions.h"

#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>

namespace IPCore {

namespace {

const QString kVeltraName = QStringLiteral("VeltraSynthesis");
const QString kSynplifyName = QStringLiteral("Synplify Pro");
constexpr int kTailLines = 12;

QString timestamp()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

QString primitiveLibrary()
{
    return IPGen::HostSession::instance().shareDirectory() + QStringLiteral("/veltra_prims.v");
}

// One Tcl word: braces keep spaces and brackets literal; backslashes where braces cannot.
QString tclWord(const QString &text)
{
    static const QRegularExpression needsEscapes(QStringLiteral("[{}\\\\]"));
    if (!text.contains(needsEscapes))
        return QLatin1Char('{') + text + QLatin1Char('}');
    QString word;
    for (const QChar c : text) {
        if (QStringLiteral("\\{}[]$\"; \t").contains(c))
            word += QLatin1Char('\\');
        word += c;
    }
    return word;
}

bool writeText(const QString &path, const QString &text, QString *error)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && file.write(bytes) == bytes.size() &&
        file.commit())
        return true;
    *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    return false;
}

bool readText(const QString &path, QString *text, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *text = QString::fromUtf8(file.readAll());
    return true;
}

// --- Port list and instantiation templates -------------------------------------------------

struct Port
{
    QString direction; // input, output, inout
    int msb = 0;
    int lsb = 0;
    bool bus = false;
    QString name;
};

struct TopModule
{
    QString name;
    QList<Port> ports;
};

// Reads the `portlist` output of yosys: "module <name>", then "<direction> [m:l] <name>" lines.
bool readPortList(const QString &path, TopModule *top, QString *error)
{
    QString text;
    if (!readText(path, &text, error))
        return false;
    static const QRegularExpression moduleLine(QStringLiteral("^module\\s+\\\\?(\\S+)$"));
    static const QRegularExpression portLine(
        QStringLiteral("^(input|output|inout)\\s+\\[(-?\\d+):(-?\\d+)\\]\\s+\\\\?(\\S+)$"));
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        const QRegularExpressionMatch module = moduleLine.match(line);
        if (module.hasMatch() && top->name.isEmpty()) {
            top->name = module.captured(1);
            continue;
        }
        const QRegularExpressionMatch port = portLine.match(line);
        if (!port.hasMatch() || top->name.isEmpty())
            continue;
        Port p;
        p.direction = port.captured(1);
        p.msb = port.captured(2).toInt();
        p.lsb = port.captured(3).toInt();
        p.bus = p.msb != 0 || p.lsb != 0;
        p.name = port.captured(4);
        top->ports.append(p);
    }
    if (top->name.isEmpty()) {
        *error = QStringLiteral("The synthesis run named no top module (%1).").arg(path);
        return false;
    }
    return true;
}

QString verilogName(const QString &name)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_$]*$"));
    return identifier.match(name).hasMatch() ? name : QLatin1Char('\\') + name + QLatin1Char(' ');
}

bool isVhdlReserved(const QString &word)
{
    // IEEE 1076-2008 reserved words.
    static const QStringList words =
        QStringLiteral(
            "abs access after alias all and architecture array assert assume assume_guarantee "
            "attribute begin block body buffer bus case component configuration constant "
            "context cover default disconnect downto else elsif end entity exit fairness file "
            "for force function generate generic group guarded if impure in inertial inout is "
            "label library linkage literal loop map mod nand new next nor not null of on open "
            "or others out package parameter port postponed procedure process property "
            "protected pure range record register reject release rem report restrict "
            "restrict_guarantee return rol ror select sequence severity shared signal sla sll "
            "sra srl strong subtype then to transport type unaffected units until use "
            "variable vmode vprop vunit wait when while with xnor xor")
            .split(QLatin1Char(' '));
    return words.contains(word.toLower());
}

// Verilog names that are no basic VHDL identifier become extended identifiers.
QString vhdlName(const QString &name)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z](_?[A-Za-z0-9])*$"));
    if (identifier.match(name).hasMatch() && !isVhdlReserved(name))
        return name;
    return QLatin1Char('\\') + QString(name).replace(QLatin1Char('\\'), QStringLiteral("\\\\")) +
           QLatin1Char('\\');
}

// Instances are named after the output file, which may hold any character a file name can.
QString instanceName(const QString &fileName)
{
    static const QRegularExpression other(QStringLiteral("[^A-Za-z0-9_]"));
    QString name = QString(fileName + QStringLiteral("_inst")).replace(other, QStringLiteral("_"));
    if (!name.at(0).isLetter())
        name.prepend(QLatin1Char('u'));
    return name;
}

QString verilogRange(const Port &port)
{
    return port.bus ? QStringLiteral("[%1:%2]").arg(port.msb).arg(port.lsb) : QString();
}

QString vhdlType(const Port &port)
{
    if (!port.bus)
        return QStringLiteral("std_logic");
    return QStringLiteral("std_logic_vector(%1 %2 %3)")
        .arg(port.msb)
        .arg(port.msb >= port.lsb ? QStringLiteral("downto") : QStringLiteral("to"))
        .arg(port.lsb);
}

QString vhdlDirection(const Port &port)
{
    if (port.direction == QLatin1String("input"))
        return QStringLiteral("in");
    if (port.direction == QLatin1String("output"))
        return QStringLiteral("out");
    return QStringLiteral("inout");
}

int longestName(const QList<Port> &ports, QString (*quote)(const QString &))
{
    int width = 0;
    for (const Port &port : ports)
        width = std::max(width, int(quote(port.name).size()));
    return width;
}

QString comment(const QString &prefix, const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += prefix + (line.isEmpty() ? QString() : QLatin1Char(' ') + line) + QLatin1Char('\n');
    return text;
}

QString vhdlPortClause(const QList<Port> &ports, const QString &indent)
{
    const int width = longestName(ports, vhdlName);
    QString text = indent + QStringLiteral("port (\n");
    for (int i = 0; i < ports.size(); ++i) {
        const Port &port = ports.at(i);
        text += QStringLiteral("%1    %2 : %3 %4%5\n")
                    .arg(indent, vhdlName(port.name).leftJustified(width),
                         vhdlDirection(port).leftJustified(5), vhdlType(port),
                         i + 1 < ports.size() ? QStringLiteral(";") : QString());
    }
    return text + indent + QStringLiteral(");\n");
}

QString vhdlComponent(const TopModule &top, const QString &indent)
{
    return QStringLiteral("%1component %2\n%3%1end component;\n")
        .arg(indent, vhdlName(top.name),
             vhdlPortClause(top.ports, indent + QStringLiteral("    ")));
}

QString vhdlPortMap(const QList<Port> &ports, const QString &indent)
{
    const int width = longestName(ports, vhdlName);
    QString text = indent + QStringLiteral("port map (\n");
    for (int i = 0; i < ports.size(); ++i) {
        const QString name = vhdlName(ports.at(i).name);
        text += QStringLiteral("%1    %2 => %3%4\n")
                    .arg(indent, name.leftJustified(width), name,
                         i + 1 < ports.size() ? QStringLiteral(",") : QString());
    }
    return text + indent + QStringLiteral(");\n");
}

const QString kVhdlLibraries = QStringLiteral("library ieee;\nuse ieee.std_logic_1164.all;\n\n");

// The files that describe how to use the netlist: always the Verilog template, and with VHDL
// also its VHDL twin; VeltraSynthesis, having no VHDL netlist writer, adds the VHDL view of the
// Verilog netlist (.vhg) and the component package for simulating the .vo model (.vho).
bool writeTemplates(const SynthesizeArgs &args, bool veltra, const TopModule &top,
                    const QString &origin, QString *error)
{
    const QString base = args.workDirectory + QLatin1Char('/') + args.outputFileName;
    const QString instance = instanceName(args.outputFileName);

    const int width = longestName(top.ports, verilogName);
    static const QRegularExpression trailingSpace(QStringLiteral("\\s+\\n$"));
    QString instanceText = QStringLiteral("%1 %2 (\n").arg(verilogName(top.name), instance);
    for (int i = 0; i < top.ports.size(); ++i) {
        const Port &port = top.ports.at(i);
        const QString name = verilogName(port.name);
        const QString connection =
            QStringLiteral(".%1(%2)%3").arg(name, name, i + 1 < top.ports.size() ? "," : "");
        instanceText +=
            QStringLiteral("    %1 // %2 %3\n")
                .arg(connection.leftJustified(2 * width + 4), port.direction, verilogRange(port))
                .replace(trailingSpace, QStringLiteral("\n"));
    }
    instanceText += QStringLiteral(");\n");
    const QString verilog =
        comment(QStringLiteral("//"),
                {QStringLiteral("%1_tmp.v: instantiation template of %2")
                     .arg(args.outputFileName, top.name),
                 origin, QString(),
                 QStringLiteral("Copy the instance into your design and connect each port; the "
                                "comments give direction and width.")}) +
        QLatin1Char('\n') + instanceText;
    if (!writeText(base + QStringLiteral("_tmp.v"), verilog, error))
        return false;
    if (!args.options.value(QStringLiteral("write_vhdl")).toBool())
        return true;

    const QString component = vhdlComponent(top, QString());
    const QString vhdlTemplate =
        comment(QStringLiteral("--"),
                {QStringLiteral("%1_tmp.vhd: component declaration and instantiation template of "
                                "%2")
                     .arg(args.outputFileName, top.name),
                 origin, QString(),
                 QStringLiteral("Put the component into your architecture's declarations and the "
                                "instance into its body.")}) +
        QLatin1Char('\n') + component + QLatin1Char('\n') +
        QStringLiteral("%1 : %2\n").arg(vhdlName(instance), vhdlName(top.name)) +
        vhdlPortMap(top.ports, QStringLiteral("    "));
    if (!writeText(base + QStringLiteral("_tmp.vhd"), vhdlTemplate, error))
        return false;
    if (!veltra)
        return true;

    const QString wrapper = vhdlName(top.name + QStringLiteral("_wrapper"));
    const QString vhg =
        comment(QStringLiteral("--"),
                {QStringLiteral("%1: VHDL view of the netlist of %2").arg(wrapper, top.name),
                 origin, QString(),
                 QStringLiteral("The logic is the Verilog netlist %1.vg (simulation model %1.vo); "
                                "this entity wraps it")
                     .arg(args.outputFileName),
                 QStringLiteral("for VHDL designs and needs a tool that mixes VHDL and "
                                "Verilog.")}) +
        QLatin1Char('\n') + kVhdlLibraries + QStringLiteral("entity %1 is\n").arg(wrapper) +
        vhdlPortClause(top.ports, QStringLiteral("    ")) +
        QStringLiteral("end entity %1;\n\narchitecture netlist of %1 is\n").arg(wrapper) +
        vhdlComponent(top, QStringLiteral("    ")) + QStringLiteral("begin\n") +
        QStringLiteral("    netlist_inst : %1\n").arg(vhdlName(top.name)) +
        vhdlPortMap(top.ports, QStringLiteral("        ")) +
        QStringLiteral("end architecture netlist;\n");
    const QString package = vhdlName(top.name + QStringLiteral("_components"));
    const QString vho =
        comment(QStringLiteral("--"),
                {QStringLiteral("%1.vho: VHDL component of %2 for simulation")
                     .arg(args.outputFileName, top.name),
                 origin, QString(),
                 QStringLiteral("Simulate the Verilog model %1.vo from VHDL test benches with "
                                "\"use work.%2.all;\".")
                     .arg(args.outputFileName, package)}) +
        QLatin1Char('\n') + kVhdlLibraries + QStringLiteral("package %1 is\n").arg(package) +
        vhdlComponent(top, QStringLiteral("    ")) +
        QStringLiteral("end package %1;\n").arg(package);
    return writeText(base + QStringLiteral(".vhg"), vhg, error) &&
           writeText(base + QStringLiteral(".vho"), vho, error);
}

} // namespace

// --- The run ---------------------------------------------------------------------------------

class SynthesisHelper::Private
{
public:
    struct Step
    {
        QString program;
        QStringList arguments;
    };

    explicit Private(SynthesisHelper *helper) : q(helper) {}

    SynthesisHelper *q;
    int tool = VeltraSynthesis;
    SynthesizeArgs args;
    QString title;
    QString errorMsg;
    QStringList details;
    QStringList tail;
    QByteArray pending;
    QList<Step> steps;
    QStringList results;
    QProcess *process = nullptr;
    bool cancelled = false;

    QPointer<QDialog> progress; // parented on a window that may go first
    QLabel *status = nullptr;
    QPlainTextEdit *log = nullptr;
    QPushButton *button = nullptr;

    bool veltra() const { return tool == VeltraSynthesis; }
    QString toolName() const { return veltra() ? kVeltraName : kSynplifyName; }
    QString base() const { return args.workDirectory + QLatin1Char('/') + args.outputFileName; }
    QString portListFile() const { return base() + QStringLiteral("_ports.txt"); }
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
    bool prepareVeltra(QString *error);
    bool prepareSynplify(QString *error);
    void createProgressDialog();
    void runNextStep();
    void takeOutput(bool flush);
    void addLines(const QStringList &lines);
    void processFinished(int exitCode, QProcess::ExitStatus status);
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
    return veltra() ? prepareVeltra(error) : prepareSynplify(error);
}

bool SynthesisHelper::Private::prepareVeltra(QString *error)
{
    const QString prims = primitiveLibrary();
    if (!QFileInfo::exists(prims)) {
        *error = QStringLiteral("Synthesis failed: the device primitive library %1 is missing.")
                     .arg(prims);
        return false;
    }
    QString read = QStringLiteral("yosys read_verilog");
    for (const QString &dir : args.options.value(QStringLiteral("include_paths")).toStringList())
        read += QStringLiteral(" -I ") + tclWord(dir);
    for (const QString &file : args.options.value(QStringLiteral("source_files")).toStringList())
        read += QLatin1Char(' ') + tclWord(file);
    // Generic synthesis inserts no I/O buffers, so "disable_io" has nothing to switch off here.
    const QString script =
        comment(QStringLiteral("#"), {QStringLiteral("%1 run for %2, written by ipgen on %3")
                                          .arg(kVeltraName, args.ipName, timestamp())}) +
        QStringLiteral("yosys read_verilog -lib %1\n").arg(tclWord(prims)) + read +
        QStringLiteral("\nyosys synth -auto-top\n") +
        QStringLiteral("yosys write_verilog -noattr %1\n").arg(tclWord(results.first())) +
        QStringLiteral("yosys tee -q -o %1 portlist\n").arg(tclWord(portListFile()));
    const QString scriptFile = base() + QStringLiteral("_synth.tcl");
    if (!writeText(scriptFile, script, error))
        return false;
    steps = {{yosysProgram(),
              {QStringLiteral("-Q"), QStringLiteral("-l"), base() + QStringLiteral("_synth.log"),
               QStringLiteral("-c"), scriptFile}}};
    return true;
}

bool SynthesisHelper::Private::prepareSynplify(QString *error)
{
    const QString program = setting(QStringLiteral("SynplifyPro/command")).toString();
    if (program.isEmpty()) {
        const QString settings = IPGen::HostSession::instance().settingsFile();
        *error = QStringLiteral("Synplify Pro is not configured: set [SynplifyPro] command in %1")
                     .arg(settings.isEmpty() ? QStringLiteral("ipgen.ini") : settings);
        return false;
    }
    const QString impl = implName();
    const bool vhdl = args.options.value(QStringLiteral("write_vhdl")).toBool();
    QString project =
        comment(QStringLiteral("#"), {QStringLiteral("%1 project for %2, written by ipgen on %3")
                                          .arg(kSynplifyName, args.ipName, timestamp())});
    for (const QString &file : args.options.value(QStringLiteral("source_files")).toStringList())
        project += QStringLiteral("add_file -verilog %1\n").arg(tclWord(file));
    project +=
        QStringLiteral("impl -add %1 -type fpga\n").arg(tclWord(impl)) +
        QStringLiteral("set_option -part %1\n").arg(tclWord(args.device.device())) +
        QStringLiteral("set_option -speed_grade %1\n").arg(tclWord(args.device.condition())) +
        QStringLiteral("set_option -include_path %1\n")
            .arg(tclWord(
                args.options.value(QStringLiteral("include_paths")).toStringList().join(';'))) +
        QStringLiteral("set_option -disable_io_insertion %1\n")
            .arg(args.options.value(QStringLiteral("disable_io")).toBool() ? 1 : 0) +
        QStringLiteral("set_option -write_verilog 1\nset_option -write_vhdl %1\n")
            .arg(vhdl ? 1 : 0) +
        QStringLiteral("project -result_file %1\n")
            .arg(tclWord(impl + QLatin1Char('/') + args.outputFileName + QStringLiteral(".vm"))) +
        QStringLiteral("impl -active %1\n").arg(tclWord(impl));
    const QString projectFile =
        args.workDirectory + QLatin1Char('/') + args.ipName + QStringLiteral(".prj");
    if (!writeText(projectFile, project, error))
        return false;

    // The tool writes no instantiation template; its netlist's top ports give one.
    const QString ports =
        comment(QStringLiteral("#"),
                {QStringLiteral("Port list of the %1 netlist, by ipgen").arg(kSynplifyName)}) +
        QStringLiteral("yosys read_verilog %1\nyosys hierarchy -auto-top\n")
            .arg(tclWord(results.first())) +
        QStringLiteral("yosys tee -q -o %1 portlist\n").arg(tclWord(portListFile()));
    const QString portsScript = base() + QStringLiteral("_ports.tcl");
    if (!writeText(portsScript, ports, error))
        return false;
    steps = {{program, setting(QStringLiteral("SynplifyPro/arguments")).toStringList()
                           << QStringLiteral("-batch") << projectFile},
             {yosysProgram(), {QStringLiteral("-q"), QStringLiteral("-c"), portsScript}}};
    return true;
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
            process->kill();
        }
    });
}

void SynthesisHelper::Private::runNextStep()
{
    const Step step = steps.takeFirst();
    addLines({QStringLiteral("$ %1 %2").arg(step.program, step.arguments.join(QLatin1Char(' ')))});
    process->setWorkingDirectory(args.workDirectory);
    process->start(step.program, step.arguments);
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
    takeOutput(true);
    if (cancelled) {
        fail(QStringLiteral("Synthesis cancelled."), 1);
    } else if (exitStatus != QProcess::NormalExit || exitCode != 0) {
        fail(QString(), exitCode != 0 ? exitCode : 1);
    } else if (const QString missing = missingResult(); !missing.isEmpty()) {
        fail(QStringLiteral("Synthesis failed: %1 did not write %2.").arg(toolName(), missing), 1);
    } else if (!steps.isEmpty()) {
        runNextStep();
    } else {
        complete();
    }
}

void SynthesisHelper::Private::complete()
{
    const QString origin =
        QStringLiteral("Written by ipgen on %1 from the %2 run for %3 %4.")
            .arg(timestamp(), toolName(), args.device.device(), args.device.condition());
    TopModule top;
    QString error;
    if (!readPortList(portListFile(), &top, &error) ||
        !writeTemplates(args, veltra(), top, origin, &error)) {
        fail(QStringLiteral("Synthesis failed: %1").arg(error), 1);
        return;
    }
    addLines({QStringLiteral("Top module %1; netlist %2").arg(top.name, results.first())});
    finish(0);
}

void SynthesisHelper::Private::fail(const QString &message, int exitCode)
{
    if (!message.isEmpty()) {
        errorMsg = message;
        details.append(message);
    } else if (!details.isEmpty()) {
        errorMsg = QStringLiteral("Synthesis failed: %1").arg(details.first());
    } else {
        // The tool named no error: its last words are the best hint there is.
        details = tail;
    }
    finish(exitCode);
}

void SynthesisHelper::Private::finish(int exitCode)
{
    if (progress) {
        status->setText(
            exitCode == 0 ? QStringLiteral("%1 finished.").arg(toolName())
                          : (errorMsg.isEmpty() ? QStringLiteral("Synthesis failed.") : errorMsg));
        button->setText(QStringLiteral("Close"));
    }
    emit IPGen::HostSession::instance().synthesisFinished(exitCode);
    emit q->finished(exitCode);
}

// --- SynthesisHelper --------------------------------------------------------------------------

SynthesisHelper::SynthesisHelper(QObject *parent) : QObject(parent), d(new Private(this))
{
    d->process = new QProcess(this);
    d->process->setProcessChannelMode(QProcess::MergedChannels);
    connect(d->process, &QProcess::readyRead, this, [this] { d->takeOutput(false); });
    connect(d->process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this](int exitCode, QProcess::ExitStatus status) {
                d->processFinished(exitCode, status);
            });
    connect(d->process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            d->fail(QStringLiteral("Synthesis failed: cannot run %1: %2")
                        .arg(d->process->program(), d->process->errorString()),
                    1);
    });
}

SynthesisHelper::~SynthesisHelper()
{
    // A run still going dies with the helper, without reporting to anyone.
    d->process->disconnect();
    if (d->running()) {
        d->process->kill();
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
    if (d->progress) {
        d->log->clear();
        d->status->setText(QStringLiteral("Running %1…").arg(d->toolName()));
        d->button->setText(QStringLiteral("Cancel"));
    }
    emit IPGen::HostSession::instance().synthesisStarted(d->title);
    QString error;
    if (!d->prepare(&error)) {
        // finished() is always asynchronous, so callers may connect after start().
        QMetaObject::invokeMethod(
            this, [this, error] { d->fail(error, 1); }, Qt::QueuedConnection);
        return;
    }
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

// --- Netlist to simulation model --------------------------------------------------------------

namespace {

struct PrimitiveLibrary
{
    QStringList directives;         // `timescale and friends outside any module
    QMap<QString, QString> modules; // behavioural model text by module name
};

// The library's behavioural reading: the branches that SYNTHESIS leaves out, split into modules.
PrimitiveLibrary behaviouralModels(const QString &text)
{
    static const QRegularExpression conditional(
        QStringLiteral("^\\s*`(ifdef|ifndef|else|endif)\\b\\s*(\\w*)"));
    static const QRegularExpression moduleStart(
        QStringLiteral("^\\s*(?:macro)?module\\s+\\\\?([A-Za-z_][\\w$]*)"));
    static const QRegularExpression moduleEnd(QStringLiteral("^\\s*endmodule\\b"));
    PrimitiveLibrary library;
    // One entry per open `ifdef: whether it tests SYNTHESIS, and whether its lines are kept.
    QList<QPair<bool, bool>> open;
    QString current;
    QString moduleName;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch c = conditional.match(line);
        const bool keptAbove = std::all_of(open.cbegin(), open.cend(),
                                           [](const QPair<bool, bool> &o) { return o.second; });
        if (c.hasMatch()) {
            const QString word = c.captured(1);
            if (word.startsWith(QLatin1String("if")) &&
                c.captured(2) == QLatin1String("SYNTHESIS")) {
                open.append({true, word == QLatin1String("ifndef")});
                continue;
            }
            if (word.startsWith(QLatin1String("if"))) {
                open.append({false, true});
            } else if (!open.isEmpty() && open.last().first) {
                if (word == QLatin1String("else"))
                    open.last().second = !open.last().second;
                else
                    open.removeLast();
                continue;
            } else if (word == QLatin1String("endif") && !open.isEmpty()) {
                open.removeLast();
            }
        }
        if (!keptAbove)
            continue;
        if (moduleName.isEmpty()) {
            const QRegularExpressionMatch start = moduleStart.match(line);
            if (start.hasMatch()) {
                moduleName = start.captured(1);
            } else {
                if (line.trimmed().startsWith(QLatin1Char('`')))
                    library.directives.append(line);
                continue;
            }
        }
        current += line + QLatin1Char('\n');
        if (moduleEnd.match(line).hasMatch()) {
            library.modules.insert(moduleName, current);
            current.clear();
            moduleName.clear();
        }
    }
    return library;
}

bool instantiates(const QString &text, const QString &module)
{
    const QRegularExpression instance(
        QStringLiteral("^\\s*%1\\s+[#\\\\A-Za-z_]").arg(QRegularExpression::escape(module)),
        QRegularExpression::MultilineOption);
    return instance.match(text).hasMatch();
}

} // namespace

int decode(const QString &outputDirectory, const QString &netlist, const QString &voFile,
           QString &error)
{
    QString netlistText;
    if (!readText(netlist, &netlistText, &error))
        return 1;
    if (netlistText.trimmed().isEmpty()) {
        error = QStringLiteral("The netlist %1 is empty.").arg(netlist);
        return 1;
    }
    const QString prims = primitiveLibrary();
    QString primsText;
    if (!readText(prims, &primsText, &error))
        return 1;
    const PrimitiveLibrary library = behaviouralModels(primsText);

    // The primitives the netlist uses, and those their models use in turn.
    QStringList used;
    QStringList pending{netlistText};
    while (!pending.isEmpty()) {
        const QString text = pending.takeFirst();
        for (auto it = library.modules.cbegin(); it != library.modules.cend(); ++it) {
            if (!used.contains(it.key()) && instantiates(text, it.key())) {
                used.append(it.key());
                pending.append(it.value());
            }
        }
    }

    QString model = comment(
        QStringLiteral("//"),
        {QStringLiteral("%1: simulation model written by ipgen on %2")
             .arg(QFileInfo(voFile).fileName(), timestamp()),
         QStringLiteral("Netlist: %1").arg(netlist),
         QStringLiteral("Device primitive models: %1")
             .arg(used.isEmpty() ? QStringLiteral("none needed") : used.join(QStringLiteral(", "))),
         QStringLiteral("Compiles on its own; do not synthesize this file.")});
    if (!library.directives.isEmpty())
        model += library.directives.join(QLatin1Char('\n')) + QLatin1Char('\n');
    model += QLatin1Char('\n') + netlistText;
    if (!model.endsWith(QLatin1Char('\n')))
        model += QLatin1Char('\n');
    for (const QString &name : qAsConst(used))
        model += QStringLiteral("\n// Behavioural model of %1 from %2\n").arg(name, prims) +
                 library.modules.value(name);

    const QString target = QDir(outputDirectory).absoluteFilePath(voFile);
    return writeText(target, model, &error) ? 0 : 1;
}

} // namespace IPCore
