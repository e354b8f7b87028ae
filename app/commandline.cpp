#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace IPGenApp {

namespace {

enum OptionGroup : unsigned {
    JsonOption = 1u << 0,
    TargetOptions = 1u << 1,   // --core --device --condition --config --set
    InspectOptions = 1u << 2,  // --output --names
    GenerateOptions = 1u << 3, // --out --file --module --lang --tool --approx --project
                               // --files-only --timeout
    ExampleOptions = 1u << 4,  // --config --out
    PartOptions = 1u << 5,     // --part --spd
    CoreOption = 1u << 6,      // --core alone
};

struct CommandInfo
{
    const char *word;
    Invocation::Command command;
    const char *synopsis;
    const char *description;
    unsigned groups;
};

const CommandInfo commands[] = {
    {"gui", Invocation::Command::Gui, "[gui]", "Opens the IP-core generator window.", 0},
    {"list", Invocation::Command::List, "list [--json]",
     "Lists the IP cores of every loaded plug-in: id, name, version, category, summary.",
     JsonOption},
    {"devices", Invocation::Command::Devices, "devices [--json]",
     "Lists the device library and which cores support each part.", JsonOption},
    {"parts", Invocation::Command::Parts, "parts [--core ID] [--json]",
     "Lists the memory parts of the cores that offer them, marking those the core can take.",
     JsonOption | CoreOption},
    {"inspect", Invocation::Command::Inspect,
     "inspect --core ID --device MODEL [--condition TEXT] [--config FILE.ipc] "
     "[--part NAME | --spd FILE] [--set NAME=VALUE]... [--output DIR] [--names]",
     "Opens a core's dialog headless, applies the --set edits in order and prints the dialog's "
     "state as JSON, or with --names the names --set accepts.",
     TargetOptions | PartOptions | InspectOptions},
    {"generate", Invocation::Command::Generate,
     "generate --core ID --device MODEL [--condition TEXT] --out DIR [--file NAME] "
     "[--module NAME] [--lang verilog|vhdl] [--tool NAME] [--config FILE.ipc] "
     "[--part NAME | --spd FILE] [--set NAME=VALUE]... [--approx accept|reject] "
     "[--project FILE] [--files-only] [--timeout SECONDS]",
     "Generates a core headless: fills the dialog, confirms it and waits for the synthesis.",
     TargetOptions | PartOptions | GenerateOptions},
    {"example", Invocation::Command::Example,
     "example --config FILE.ipc --out DIR [--part NAME | --spd FILE]",
     "Writes the example design of a generated core, as the core's extension makes it, for the "
     "memory part it was generated for; says so when the core offers none.",
     ExampleOptions | PartOptions},
};

const CommandInfo *findCommand(const QString &word)
{
    for (const CommandInfo &info : commands) {
        if (word == QLatin1String(info.word))
            return &info;
    }
    return nullptr;
}

QString generalHelp()
{
    QString text = QStringLiteral("Usage: ipgen <command> [options]\n\nCommands:\n");
    for (const CommandInfo &info : commands)
        text += QStringLiteral("  ipgen %1\n").arg(QLatin1String(info.synopsis));
    text += QStringLiteral("\nCommon options: --plugins DIR (repeatable), --settings FILE.\n"
                           "'ipgen help <command>' or 'ipgen <command> --help' for details.\n"
                           "'ipgen --version' prints the version.");
    return text;
}

QList<QCommandLineOption> addOptions(QCommandLineParser &parser, unsigned groups)
{
    QList<QCommandLineOption> added;
    const auto add = [&](const QCommandLineOption &option) {
        parser.addOption(option);
        added.append(option);
    };
    add({QStringLiteral("plugins"),
         QStringLiteral("Also load core plug-ins from <dir> (repeatable)."),
         QStringLiteral("dir")});
    add({QStringLiteral("settings"),
         QStringLiteral("Host settings file (default: $IPGEN_SETTINGS, else "
                        "ipgen.ini next to ipgen)."),
         QStringLiteral("file")});
    if (groups & JsonOption)
        add({QStringLiteral("json"), QStringLiteral("Print JSON.")});
    if (groups & TargetOptions) {
        add({QStringLiteral("core"),
             QStringLiteral("Core id (default with --config: the file's type)."),
             QStringLiteral("id")});
        add({QStringLiteral("device"),
             QStringLiteral("Device model, or a part id of 'ipgen devices'."),
             QStringLiteral("model")});
        add({QStringLiteral("condition"),
             QStringLiteral("Speed grade / condition of the part (default: the "
                            "model's first part)."),
             QStringLiteral("text")});
        add({QStringLiteral("config"),
             QStringLiteral("Re-open this IP configuration file (it names the core's "
                            "device)."),
             QStringLiteral("file.ipc")});
        add({QStringLiteral("set"),
             QStringLiteral("Edit the dialog control NAME as a user would "
                            "(repeatable, applied in order)."),
             QStringLiteral("name=value")});
    }
    if (groups & CoreOption)
        add({QStringLiteral("core"), QStringLiteral("Only this core's parts."),
             QStringLiteral("id")});
    if (groups & PartOptions) {
        add({QStringLiteral("part"),
             QStringLiteral("Set the dialog up for this memory part (see 'ipgen parts'), after "
                            "the --set edits of the clocks it depends on."),
             QStringLiteral("name")});
        add({QStringLiteral("spd"),
             QStringLiteral("The same for the module an SPD image describes (binary or hex "
                            "dump)."),
             QStringLiteral("file")});
    }
    if (groups & InspectOptions) {
        add({QStringLiteral("output"),
             QStringLiteral("Output directory proposed to the dialog (default: the "
                            "current directory)."),
             QStringLiteral("dir")});
        add({QStringLiteral("names"),
             QStringLiteral("Print only the control names --set accepts, one per line.")});
    }
    if (groups & GenerateOptions) {
        add({QStringLiteral("out"), QStringLiteral("Output directory (required)."),
             QStringLiteral("dir")});
        add({QStringLiteral("file"), QStringLiteral("Output file name, without extension."),
             QStringLiteral("name")});
        add({QStringLiteral("module"), QStringLiteral("Module name."), QStringLiteral("name")});
        add({QStringLiteral("lang"), QStringLiteral("verilog or vhdl."),
             QStringLiteral("language")});
        add({QStringLiteral("tool"), QStringLiteral("Synthesis tool, as the dialog lists it."),
             QStringLiteral("name")});
        add({QStringLiteral("approx"),
             QStringLiteral("Answer to the \"Memory Clock\" question: accept or "
                            "reject (default)."),
             QStringLiteral("answer")});
        add({QStringLiteral("project"),
             QStringLiteral("Open or create this project file; the netlist is added "
                            "to it."),
             QStringLiteral("file")});
        add({QStringLiteral("timeout"),
             QStringLiteral("Stop the synthesis tool after this many seconds "
                            "(default 1800; 0: no limit)."),
             QStringLiteral("seconds")});
        add({QStringLiteral("files-only"),
             QStringLiteral("Write the configuration and Verilog files, then stop "
                            "without synthesis.")});
    }
    if (groups & ExampleOptions) {
        parser.addOption({QStringLiteral("config"),
                          QStringLiteral("The generated core's IP configuration file."),
                          QStringLiteral("file.ipc")});
        parser.addOption({QStringLiteral("out"),
                          QStringLiteral("Folder of the example design (required)."),
                          QStringLiteral("dir")});
    }
    parser.addHelpOption();
    return added;
}

QString commandHelp(const CommandInfo &info)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(info.description));
    addOptions(parser, info.groups);
    QString text = parser.helpText();
    // Qt's first line names the program by its full path; ours names the command.
    text.remove(0, text.indexOf(QLatin1Char('\n')) + 1);
    return QStringLiteral("Usage: ipgen %1\n").arg(QLatin1String(info.synopsis)) + text;
}

ParseResult error(const QString &text)
{
    return {ParseResult::Outcome::Error, text};
}

// The control each frame option edits: the option and a --set of that control would race.
const struct
{
    const char *option;
    const char *control;
} frameOptions[] = {{"out", "editOutputDir"},
                    {"file", "editFileName"},
                    {"module", "editModuleName"},
                    {"lang", "comboLanguage"},
                    {"tool", "comboSynthesisTool"}};

// Empty when every option is used once, with a value where it takes one, and no two options
// set the same thing; otherwise the one-line complaint.
QString checkOptionUse(const QCommandLineParser &parser, const QList<QCommandLineOption> &options)
{
    for (const QCommandLineOption &option : options) {
        const QString name = option.names().first();
        if (option.valueName().isEmpty() || !parser.isSet(name))
            continue;
        const QStringList values = parser.values(name);
        const bool repeatable = name == QLatin1String("set") || name == QLatin1String("plugins");
        if (!repeatable && values.size() > 1)
            return QStringLiteral("--%1 given more than once ('%2')")
                .arg(name, values.join(QStringLiteral("', '")));
        if (values.contains(QString()))
            return QStringLiteral("--%1 needs a value, not an empty text").arg(name);
    }
    const QStringList settings = parser.optionNames().contains(QStringLiteral("set"))
                                     ? parser.values(QStringLiteral("set"))
                                     : QStringList();
    for (const auto &frame : frameOptions) {
        const QString option = QLatin1String(frame.option);
        const QString prefix = QLatin1String(frame.control) + QLatin1Char('=');
        const bool setToo = std::any_of(settings.cbegin(), settings.cend(),
                                        [&](const QString &s) { return s.startsWith(prefix); });
        if (setToo && parser.optionNames().contains(option))
            return QStringLiteral("--%1 and --set %2=... both set the same field; give one")
                .arg(option, QLatin1String(frame.control));
    }
    return QString();
}

bool parseSetting(const QString &argument, ControlSetting *setting)
{
    const int equals = argument.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return false;
    setting->name = argument.left(equals);
    setting->value = argument.mid(equals + 1);
    return true;
}

ParseResult readTargetOptions(const QCommandLineParser &parser, Invocation *inv)
{
    inv->coreId = parser.value(QStringLiteral("core"));
    inv->deviceModel = parser.value(QStringLiteral("device"));
    inv->condition = parser.value(QStringLiteral("condition"));
    inv->configFile = parser.value(QStringLiteral("config"));
    if (inv->configFile.isEmpty()) {
        if (inv->coreId.isEmpty())
            return error(QStringLiteral("--core is required (or --config)"));
        if (inv->deviceModel.isEmpty())
            return error(QStringLiteral("--device is required (or --config)"));
    } else if (!inv->deviceModel.isEmpty() || !inv->condition.isEmpty()) {
        return error(QStringLiteral("--device and --condition cannot be combined with --config: "
                                    "the configuration file names its device"));
    }
    for (const QString &argument : parser.values(QStringLiteral("set"))) {
        ControlSetting setting;
        if (!parseSetting(argument, &setting))
            return error(QStringLiteral("malformed --set '%1': expected NAME=VALUE").arg(argument));
        inv->settings.append(setting);
    }
    return {};
}

ParseResult readGenerateOptions(const QCommandLineParser &parser, Invocation *inv)
{
    inv->outputDirectory = parser.value(QStringLiteral("out"));
    if (inv->outputDirectory.isEmpty())
        return error(QStringLiteral("--out is required"));
    inv->fileName = parser.value(QStringLiteral("file"));
    inv->moduleName = parser.value(QStringLiteral("module"));
    inv->tool = parser.value(QStringLiteral("tool"));
    inv->projectFile = parser.value(QStringLiteral("project"));
    inv->filesOnly = parser.isSet(QStringLiteral("files-only"));
    inv->timeout = 1800;
    if (parser.isSet(QStringLiteral("timeout"))) {
        bool ok = false;
        inv->timeout = parser.value(QStringLiteral("timeout")).toInt(&ok);
        if (!ok || inv->timeout < 0 || inv->timeout > 2000000)
            return error(QStringLiteral("--timeout must be a number of seconds, not '%1'")
                             .arg(parser.value(QStringLiteral("timeout"))));
    }
    if (parser.isSet(QStringLiteral("lang"))) {
        const QString lang = parser.value(QStringLiteral("lang")).toLower();
        if (lang == QLatin1String("verilog"))
            inv->languageIndex = 0;
        else if (lang == QLatin1String("vhdl"))
            inv->languageIndex = 1;
        else
            return error(QStringLiteral("--lang must be verilog or vhdl, not '%1'")
                             .arg(parser.value(QStringLiteral("lang"))));
    }
    if (parser.isSet(QStringLiteral("approx"))) {
        const QString answer = parser.value(QStringLiteral("approx"));
        if (answer != QLatin1String("accept") && answer != QLatin1String("reject"))
            return error(QStringLiteral("--approx must be accept or reject, not '%1'").arg(answer));
        inv->acceptApproximation = answer == QLatin1String("accept");
    }
    return {};
}

} // namespace

bool isBatchCommandLine(int argc, char **argv)
{
    if (argc < 2)
        return false;
    const char *first = argv[1];
    if (std::strcmp(first, "-h") == 0 || std::strcmp(first, "--help") == 0 ||
        std::strcmp(first, "--version") == 0)
        return true;
    return first[0] != '-' && std::strcmp(first, "gui") != 0;
}

ParseResult parseCommandLine(const QStringList &arguments, Invocation *inv)
{
    QStringList rest = arguments.mid(1);
    const bool hasWord = !rest.isEmpty() && !rest.first().startsWith(QLatin1Char('-'));
    const QString word = hasWord ? rest.takeFirst() : QStringLiteral("gui");
    if (!hasWord &&
        (rest.value(0) == QLatin1String("-h") || rest.value(0) == QLatin1String("--help")))
        return {ParseResult::Outcome::Help, generalHelp()};
    if (!hasWord && rest.value(0) == QLatin1String("--version"))
        return {ParseResult::Outcome::Help,
                QStringLiteral("ipgen ") + QLatin1String(IPGEN_VERSION)};
    if (word == QLatin1String("help")) {
        const CommandInfo *info = findCommand(rest.value(0));
        return {ParseResult::Outcome::Help, info ? commandHelp(*info) : generalHelp()};
    }
    const CommandInfo *info = findCommand(word);
    if (!info)
        return error(QStringLiteral("unknown command '%1' (see 'ipgen help')").arg(word));

    QCommandLineParser parser;
    const QList<QCommandLineOption> options = addOptions(parser, info->groups);
    // "-out" would read as the short options -o -u -t; the user meant the long one.
    for (const QString &argument : qAsConst(rest)) {
        const QString name = argument.mid(1).section(QLatin1Char('='), 0, 0);
        if (argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1String("--")) &&
            name.size() > 1 &&
            std::any_of(options.cbegin(), options.cend(),
                        [&](const QCommandLineOption &o) { return o.names().contains(name); }))
            return error(QStringLiteral("unknown option '%1'; did you mean '-%1'?").arg(argument));
    }
    if (!parser.parse(QStringList(arguments.first()) + rest))
        return error(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        return {ParseResult::Outcome::Help, commandHelp(*info)};
    if (!parser.positionalArguments().isEmpty())
        return error(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    if (const QString problem = checkOptionUse(parser, options); !problem.isEmpty())
        return error(problem);

    inv->command = info->command;
    inv->pluginDirectories = parser.values(QStringLiteral("plugins"));
    inv->settingsFile = parser.value(QStringLiteral("settings"));
    if (info->groups & JsonOption)
        inv->json = parser.isSet(QStringLiteral("json"));
    if (info->groups & TargetOptions) {
        const ParseResult result = readTargetOptions(parser, inv);
        if (result.outcome != ParseResult::Outcome::Run)
            return result;
    }
    if (info->groups & CoreOption)
        inv->coreId = parser.value(QStringLiteral("core"));
    if (info->groups & PartOptions) {
        inv->part = parser.value(QStringLiteral("part"));
        inv->spdFile = parser.value(QStringLiteral("spd"));
        if (!inv->part.isEmpty() && !inv->spdFile.isEmpty())
            return error(QStringLiteral("--part and --spd both describe the memory; give one"));
    }
    if (info->groups & InspectOptions) {
        inv->outputDirectory = parser.value(QStringLiteral("output"));
        inv->namesOnly = parser.isSet(QStringLiteral("names"));
    }
    if (info->groups & ExampleOptions) {
        inv->configFile = parser.value(QStringLiteral("config"));
        inv->outputDirectory = parser.value(QStringLiteral("out"));
        if (inv->configFile.isEmpty() || inv->outputDirectory.isEmpty())
            return error(QStringLiteral("--config and --out are required"));
    }
    if (info->groups & GenerateOptions)
        return readGenerateOptions(parser, inv);
    return {};
}

QString settingsFilePath(const Invocation &invocation)
{
    if (!invocation.settingsFile.isEmpty())
        return invocation.settingsFile;
    const QString fromEnvironment = qEnvironmentVariable("IPGEN_SETTINGS");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/ipgen.ini");
}

} // namespace IPGenApp
