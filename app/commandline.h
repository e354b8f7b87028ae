#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace IPGenApp {

// Exit codes of every command (docs/ipgen.md).
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// One --set NAME=VALUE, applied to the dialog control whose object name is NAME.
struct ControlSetting
{
    QString name;
    QString value;
};

struct Invocation
{
    enum class Command { Gui, List, Devices, Parts, Inspect, Generate, Example };

    Command command = Command::Gui;
    bool json = false;
    QStringList pluginDirectories; // from --plugins, searched after <dir of ipgen>/plugins
    QString settingsFile;          // --settings; empty: $IPGEN_SETTINGS or the default
    QString coreId;
    QString deviceModel;
    QString condition;
    QString configFile;      // --config: re-open an .ipc instead of creating
    QString outputDirectory; // inspect --output / generate and example --out
    bool namesOnly = false;  // inspect --names: print the names --set accepts, not the state
    QString fileName;
    QString moduleName;
    int languageIndex = -1; // -1: keep the dialog's choice
    QString tool;
    bool acceptApproximation = false;
    QString projectFile;
    bool filesOnly = false; // generate: stop once the core's files are written
    int timeout = 0;        // generate: seconds the synthesis may take (0: no limit)
    QList<ControlSetting> settings;
    QString part;    // --part: a memory part of the core, applied after the part's inputs
    QString spdFile; // --spd: the same from a part-description (SPD) file

    bool batch() const { return command != Command::Gui; }
};

// The command word of argv (argv[1] when it is not an option); Gui when there is none.
// Decided before QApplication exists, since batch commands choose the offscreen platform.
bool isBatchCommandLine(int argc, char **argv);

struct ParseResult
{
    enum class Outcome { Run, Help, Error };
    Outcome outcome = Outcome::Run;
    QString text; // help text or the one-line error
};

// `arguments` as QCoreApplication::arguments() gives them (program name first).
ParseResult parseCommandLine(const QStringList &arguments, Invocation *invocation);

// The host settings file (ipgen.ini): --settings, else $IPGEN_SETTINGS, else next to ipgen.
QString settingsFilePath(const Invocation &invocation);

} // namespace IPGenApp
