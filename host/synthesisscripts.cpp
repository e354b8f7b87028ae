#include "synthesisscripts.h"

#include "devicelibrary.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

namespace IPCore::Synthesis {

namespace {

// A named value handed to a tool script; a list is the same name repeated.
struct ScriptValue
{
    const char *name;
    QString value;
};

// Tool scripts hold no user text at all: every path and name is read at run time from
// <script>.args next to the script, hex-encoded UTF-8, so that no character of it can ever be
// taken for Tcl. `value NAME` gives the first value, `values NAME` all of them.
const char scriptPreamble[] = R"(set ipgenValues [dict create]
set ipgenData [open "[file rootname [info script]].args"]
foreach ipgenLine [split [read $ipgenData] "\n"] {
    if {[llength $ipgenLine] == 2} {
        dict lappend ipgenValues [lindex $ipgenLine 0] \
            [encoding convertfrom utf-8 [binary format H* [lindex $ipgenLine 1]]]
    }
}
close $ipgenData
proc values {name} {
    global ipgenValues
    if {[dict exists $ipgenValues $name]} { return [dict get $ipgenValues $name] }
    return {}
}
proc value {name} { return [lindex [values $name] 0] }
)";

bool writeScript(const QString &path, const QString &title, const QString &body,
                 const QList<ScriptValue> &values, QString *error)
{
    QString data;
    for (const ScriptValue &v : values)
        data += QLatin1String(v.name) + QLatin1Char(' ') +
                QString::fromLatin1(v.value.toUtf8().toHex()) + QLatin1Char('\n');
    const QString argsFile = path.left(path.lastIndexOf(QLatin1Char('.'))) + ".args";
    return writeText(argsFile, data, error) &&
           writeText(path,
                     comment(QStringLiteral("#"), {title}) + QLatin1String(scriptPreamble) + body,
                     error);
}

QList<ScriptValue> listValues(const char *name, const QStringList &items)
{
    QList<ScriptValue> values;
    for (const QString &item : items)
        values.append({name, item});
    return values;
}

QStringList option(const SynthesizeArgs &args, const char *name)
{
    return args.options.value(QLatin1String(name)).toStringList();
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

} // namespace

QString timestamp()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

QString comment(const QString &prefix, const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += prefix + (line.isEmpty() ? QString() : QLatin1Char(' ') + line) + QLatin1Char('\n');
    return text;
}

bool writeText(const QString &path, const QString &text, QString *error)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    // Qt's commit() misses an error of the final buffer flush (e.g. a full disk): flush first.
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && file.write(bytes) == bytes.size() &&
        file.flush() && file.commit())
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

bool prepareVeltra(const SynthesizeArgs &args, const QString &yosys, const QString &netlist,
                   const QString &portList, QList<Step> *steps, QString *error)
{
    const QString prims = DEV::DeviceLibrary::primitiveModels();
    if (!QFileInfo::exists(prims)) {
        *error = QStringLiteral("Synthesis failed: the device primitive library %1 is missing.")
                     .arg(prims);
        return false;
    }
    // Generic synthesis inserts no I/O buffers, so "disable_io" has nothing to switch off here.
    // Sources are read with -defer: modules are elaborated once, with the parameters they are
    // instantiated with, not first at their defaults as well.
    const QString body = QStringLiteral(R"(yosys read_verilog -lib [value prims]
set ipgenRead [list read_verilog -defer]
foreach dir [values include] { lappend ipgenRead -I $dir }
yosys {*}$ipgenRead {*}[values source]
yosys synth -auto-top
yosys write_verilog -noattr [value netlist]
yosys tee -q -o [value portlist] portlist
)");
    const QString base = args.workDirectory + QLatin1Char('/') + args.outputFileName;
    const QString script = base + QStringLiteral("_synth.tcl");
    const QList<ScriptValue> values =
        QList<ScriptValue>{{"prims", prims}, {"netlist", netlist}, {"portlist", portList}} +
        listValues("include", option(args, "include_paths")) +
        listValues("source", option(args, "source_files"));
    if (!writeScript(script,
                     QStringLiteral("%1 run for %2, written by ipgen on %3")
                         .arg(veltraName, args.ipName, timestamp()),
                     body, values, error))
        return false;
    *steps = {{yosys,
               {QStringLiteral("-Q"), QStringLiteral("-l"), base + QStringLiteral("_synth.log"),
                QStringLiteral("-c"), script}}};
    return true;
}

bool prepareSynplify(const SynthesizeArgs &args, const QString &program,
                     const QStringList &arguments, const QString &yosys, const QString &impl,
                     const QString &netlist, const QString &portList, QList<Step> *steps,
                     QString *error)
{
    const bool vhdl = args.options.value(QStringLiteral("write_vhdl")).toBool();
    const QString project =
        QStringLiteral(R"(foreach file [values source] { add_file -verilog $file }
impl -add [value impl] -type fpga
set_option -part [value part]
set_option -speed_grade [value condition]
set_option -include_path [join [values include] ";"]
set_option -disable_io_insertion %1
set_option -write_verilog 1
set_option -write_vhdl %2
project -result_file [value result]
impl -active [value impl]
)")
            .arg(args.options.value(QStringLiteral("disable_io")).toBool() ? 1 : 0)
            .arg(vhdl ? 1 : 0);
    const QString projectFile =
        args.workDirectory + QLatin1Char('/') + args.ipName + QStringLiteral(".prj");
    const QList<ScriptValue> projectValues =
        QList<ScriptValue>{{"impl", impl},
                           {"part", args.device.device()},
                           {"condition", args.device.condition()},
                           {"result", impl + QLatin1Char('/') + args.outputFileName + ".vm"}} +
        listValues("include", option(args, "include_paths")) +
        listValues("source", option(args, "source_files"));
    if (!writeScript(projectFile,
                     QStringLiteral("%1 project for %2, written by ipgen on %3")
                         .arg(synplifyName, args.ipName, timestamp()),
                     project, projectValues, error))
        return false;

    // The tool writes no instantiation template; its netlist's top ports give one.
    const QString portsScript =
        args.workDirectory + QLatin1Char('/') + args.outputFileName + QStringLiteral("_ports.tcl");
    if (!writeScript(portsScript,
                     QStringLiteral("Port list of the %1 netlist, by ipgen").arg(synplifyName),
                     QStringLiteral("yosys read_verilog [value netlist]\n"
                                    "yosys hierarchy -auto-top\n"
                                    "yosys tee -q -o [value portlist] portlist\n"),
                     {{"netlist", netlist}, {"portlist", portList}}, error))
        return false;
    *steps = {{program, arguments + QStringList{QStringLiteral("-batch"), projectFile}},
              {yosys, {QStringLiteral("-q"), QStringLiteral("-c"), portsScript}}};
    return true;
}

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

} // namespace IPCore::Synthesis
