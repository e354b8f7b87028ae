#pragma once

#include "synthesishelper.h"

#include <QList>
#include <QString>
#include <QStringList>

// The files around a synthesis run: the tool's scripts before it, the instantiation templates
// after it, and the text helpers they and the netlist decoder share. Internal to the host.
namespace IPCore::Synthesis {

inline const QString veltraName = QStringLiteral("VeltraSynthesis");
inline const QString synplifyName = QStringLiteral("Synplify Pro");

QString timestamp();
QString comment(const QString &prefix, const QStringList &lines);
bool writeText(const QString &path, const QString &text, QString *error);
bool readText(const QString &path, QString *text, QString *error);

// One tool process: program and argument list, run in the work directory.
struct Step
{
    QString program;
    QStringList arguments;
};

// Writes W/F_synth.tcl; the run is one Yosys step that leaves `netlist` and `portList`.
bool prepareVeltra(const SynthesizeArgs &args, const QString &yosys, const QString &netlist,
                   const QString &portList, QList<Step> *steps, QString *error);
// Writes the tool's project and the port-list script; `netlist` is the tool's Verilog result.
bool prepareSynplify(const SynthesizeArgs &args, const QString &program,
                     const QStringList &arguments, const QString &yosys, const QString &impl,
                     const QString &netlist, const QString &portList, QList<Step> *steps,
                     QString *error);

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
bool readPortList(const QString &path, TopModule *top, QString *error);
// W/F_tmp.v, and with VHDL W/F_tmp.vhd (+ W/F.vhg and W/F.vho for VeltraSynthesis).
bool writeTemplates(const SynthesizeArgs &args, bool veltra, const TopModule &top,
                    const QString &origin, QString *error);

} // namespace IPCore::Synthesis
