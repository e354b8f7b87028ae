// End-to-end tests of the ipgen binary: the real executable, the real plug-in, real synthesis.

#include "../host/hostfixtures.h"
#include "spdimages.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Any JSON text, including a bare value.
QJsonValue parseJson(const QByteArray &text)
{
    return QJsonDocument::fromJson("[" + text + "]").array().at(0);
}

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QStringList errLines() const
    {
        return QString::fromUtf8(err).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QJsonValue json() const { return parseJson(out); }
};

// "widgets/comBoxClkRatio/items/1" inside a JSON value.
QJsonValue at(QJsonValue value, const QString &path)
{
    for (const QString &step : path.split(QLatin1Char('/'))) {
        bool isIndex = false;
        const int index = step.toInt(&isIndex);
        value =
            isIndex && value.isArray() ? value.toArray().at(index) : value.toObject().value(step);
    }
    return value;
}

// Page widgets whose names repeat across tabs are keyed "TAB/NAME", which a plain path split
// would cut in two; such keys are looked up whole.
QJsonValue widget(const QJsonValue &state, const QString &key)
{
    return state.toObject().value(QStringLiteral("widgets")).toObject().value(key);
}

QStringList setArguments(const QStringList &settings)
{
    QStringList arguments;
    for (const QString &setting : settings)
        arguments << QStringLiteral("--set") << setting;
    return arguments;
}

const QStringList vx1 = {QStringLiteral("--core"),      QStringLiteral("ddr3_phy"),
                         QStringLiteral("--device"),    QStringLiteral("VX1-10"),
                         QStringLiteral("--condition"), QStringLiteral("C6/I5")};
const QByteArray failingTool = "[VeltraSynthesis]\ncommand=/bin/false\n";
// The device whose PLL reaches 533 MHz, and the clock at which a DDR3-1600 part takes CL 7.
const QStringList vx2At533 = {QStringLiteral("--core"),      QStringLiteral("ddr3_phy"),
                              QStringLiteral("--device"),    QStringLiteral("VX2-20"),
                              QStringLiteral("--condition"), QStringLiteral("C8/I7"),
                              QStringLiteral("--set"),       QStringLiteral("comBoxClkRatio=1:4"),
                              QStringLiteral("--set"),       QStringLiteral("spinMemoryClock=533")};
// Part databases name a DDR3-1600 x16 device of tAA 13.125 ns.
const QString fast1600 = QStringLiteral("MT41J128M16JT-125:K");

} // namespace

using HostTest::readText;
using HostTest::writeBytes;

class TestIpgen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_ipgen = qEnvironmentVariable("IPGEN_BUILD_DIR") + QStringLiteral("/ipgen");
        QVERIFY2(QFileInfo(m_ipgen).isExecutable(), qPrintable(m_ipgen));
    }

    // A core's optional capabilities come from its companion (which companion is the plug-in
    // manager's business). Without one, or when the core's design refuses the file, ipgen says
    // so on its last line and writes nothing. "%D" stands for a folder holding the plug-ins
    // (plugins), core.ipc and refused.ipc.
    void capabilitiesOfTheTestCore_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("companion"); // the test companion (for test_core) installed
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // start of the last line on stderr

        const QStringList example{"example",     "--plugins", "%D/plugins", "--config",
                                  "%D/core.ipc", "--out",     "%D/kit"};
        const QStringList refused =
            QStringList(example).replaceInStrings("core.ipc", "refused.ipc");
        const QString none = "ipgen: the IP core '%1' offers no example design";
        const QString noParts = "ipgen: core 'test_core' offers no memory parts";
        QTest::newRow("example") << example << true << 0 << "";
        QTest::newRow("no companion") << example << false << 2 << none.arg("test_core");
        QTest::newRow("design refused") << refused << true << 1 << "ipgen: refused %D";
        QTest::newRow("no parts to list")
            << QStringList{"parts", "--plugins", "%D/plugins", "--core", "test_core"} << true << 2
            << noParts;
        QTest::newRow("no part to take")
            << QStringList{"inspect",  "--plugins", "%D/plugins", "--core", "test_core",
                           "--device", "VX1-10",    "--part",     fast1600}
            << true << 2 << noParts;
    }

    void capabilitiesOfTheTestCore()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, companion);
        QFETCH(int, exitCode);
        QFETCH(QString, message);

        QTemporaryDir work;
        const QString plugins = work.filePath("plugins");
        QVERIFY(QDir().mkpath(plugins + "/testpackage"));
        QVERIFY(writeBytes(plugins + "/testpackage/testpackage.ipspec",
                           "ipcore.id = test_core\nipcore.name = Test\nipcore.version = 1\n"
                           "ipcore.category = Test\nipcore.device.supported = VX1-10\n"));
        QStringList libraries{"libtestpackage.so"};
        if (companion)
            libraries << "libtestextension.so";
        for (const QString &library : libraries)
            QVERIFY(QFile::copy(HOST_TEST_PLUGIN_DIR "/" + library, plugins + '/' + library));
        for (const char *config : {"core.ipc", "refused.ipc"})
            QVERIFY(writeBytes(work.filePath(config), "type=test_core\nversion=3.0\n"));
        const QString kit = work.filePath("kit");

        const Result result = run(arguments.replaceInStrings("%D", work.path()));
        QCOMPARE(result.exitCode, exitCode);
        if (exitCode != 0) {
            const QString last = result.errLines().value(result.errLines().size() - 1);
            QVERIFY2(last.startsWith(message.replace("%D", work.path())), qPrintable(last));
            QVERIFY(!QFileInfo::exists(kit));
            return;
        }
        QVERIFY2(result.err.isEmpty(), result.err.constData());
        QCOMPARE(QString::fromUtf8(result.out),
                 "wrote " + kit + "/example/config.txt\nwrote " + kit + "/run.sh\n");
        QCOMPARE(readText(kit + "/example/config.txt"), work.filePath("core.ipc") + '\n');
        QCOMPARE(readText(kit + "/run.sh"), plugins + "/testpackage\n");
        QVERIFY(QFileInfo(kit + "/run.sh").isExecutable());
    }

    // The plain listing gives each part's name first, one a line, so that a shell can complete
    // names; both listings mark the parts the dialog cannot take.
    void parts()
    {
        const Result plain = run({"parts"});
        QCOMPARE(plain.exitCode, 0);
        QVERIFY2(plain.err.isEmpty(), plain.err.constData());
        QStringList names;
        QMap<QString, QString> takes;
        for (const QString &line : QString::fromUtf8(plain.out).split('\n', Qt::SkipEmptyParts)) {
            if (line.startsWith('#'))
                continue;
            names << line.section(' ', 0, 0);
            takes.insert(names.last(), line.section(QRegularExpression("\\s{2,}"), -1));
        }
        QVERIFY(names.size() >= 24);
        QVERIFY(names.contains(fast1600));
        QCOMPARE(takes.value(fast1600), QStringLiteral("yes"));
        QVERIFY2(takes.value("MT41J512M4HX-15E:D").startsWith("no: ") &&
                     takes.value("MT41J512M4HX-15E:D").contains("Column Address"),
                 qPrintable(takes.value("MT41J512M4HX-15E:D")));

        const Result json = run({"parts", "--core", "ddr3_phy", "--json"});
        QCOMPARE(json.exitCode, 0);
        const QJsonArray parts = json.json().toArray();
        QCOMPARE(parts.size(), names.size());
        for (const QJsonValue &part : parts) {
            const QString name = at(part, "name").toString();
            QCOMPARE(at(part, "core").toString(), QStringLiteral("ddr3_phy"));
            QCOMPARE(at(part, "takes").toBool(), takes.value(name) == QLatin1String("yes"));
            QCOMPARE(at(part, "takes").toBool(), at(part, "refusal").toString().isEmpty());
        }
        QCOMPARE(at(parts, "0/columns/speed bin").isString(), true);
    }

    // --part and --spd come after the clocks they depend on and before every other --set,
    // wherever they stand; the part's settings come in before the dialog shows, so the "Custom"
    // notice for a user's edit never appears.
    void partSetsTheDialog_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected"); // memory type, DIMM, DQ, CL/CWL/WR, tRFC, tRRD
        QTest::addColumn<QString>("warning");  // start of the one warning on stderr

        const QString part = "Custom Components 16 x16 r14 c10 CL%1 CWL6 WR8 tRFC160000 tRRD7500";
        QTest::newRow("tAA 13.125 ns at 533 MHz: CL 7")
            << QStringList{"--part", fast1600} + vx2At533 << part.arg(7) << "";
        QTest::newRow("a later --set overrides the part")
            << QStringList{"--part", fast1600} + vx2At533 +
                   QStringList{"--set", "comBoxCasLatency=9", "--set", "spinTRfc=170000"}
            << "Custom Components 16 x16 r14 c10 CL9 CWL6 WR8 tRFC170000 tRRD7500"
            << "";
        QTest::newRow("SODIMM from its SPD image")
            << QStringList{"--spd", "%SODIMM"} + vx2At533
            << "Custom SODIMMs 64 x16 r14 c10 CL7 CWL6 WR8 tRFC160000 tRRD7500"
            << "";
        QTest::newRow("1:2 runs below the DLL-on clocks: CWL 5 and a warning")
            << QStringList{"--part", fast1600} + vx1
            << "Custom Components 16 x16 r14 c10 CL5 CWL5 WR5 tRFC160000 tRRD7500"
            << "ipgen: warning: tCK 5000";
    }

    void partSetsTheDialog()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QFETCH(QString, warning);
        QTemporaryDir work;
        const QString spd = work.filePath("sodimm.bin");
        QVERIFY(writeBytes(spd, SpdImages::sodimm1600()));
        arguments.replaceInStrings("%SODIMM", spd);

        const Result result = run(QStringList{"inspect"} + arguments);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        if (warning.isEmpty()) {
            QVERIFY2(result.err.isEmpty(), result.err.constData());
        } else {
            QCOMPARE(result.errLines().size(), 1);
            QVERIFY2(result.errLines().first().startsWith(warning), result.err.constData());
        }
        const QJsonValue state = result.json();
        const auto text = [&state](const char *name) {
            return at(widget(state, name), "currentText").toString();
        };
        const auto value = [&state](const char *name) {
            return QString::number(at(widget(state, name), "value").toInt());
        };
        QCOMPARE(
            QStringList({text("comBoxMemoryType"), text("comBoxDimmType"), text("comBoxDqWidth"),
                         'x' + text("comBoxDramWidth"), 'r' + text("comBoxRowAddr"),
                         'c' + text("comBoxColAddr"), "CL" + text("comBoxCasLatency"),
                         "CWL" + text("comBoxCwLatency"), "WR" + text("comBoxWriteRecovery"),
                         "tRFC" + value("spinTRfc"), "tRRD" + value("spinTRrd")})
                .join(' '),
            expected);
        QCOMPARE(text("comBoxClkRatio"), arguments.contains("comBoxClkRatio=1:4") ? "1:4" : "1:2");
        QCOMPARE(at(state, "messages").toArray(), QJsonArray());
    }

    // The generated core carries the part's settings, and its report names the part and finds
    // nothing to warn about.
    void generateFromPart()
    {
        if (QStandardPaths::findExecutable("yosys").isEmpty())
            QSKIP("yosys is not installed");
        QTemporaryDir work;
        const QString out = work.filePath("core");
        const Result result =
            run(QStringList{"generate", "--part", fast1600, "--out", out, "--approx", "accept"} +
                vx2At533);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QVERIFY2(!result.err.contains("warning"), result.err.constData());
        QVERIFY(readText(out + "/temp/DDR3_PHY/vlmc_param.v").contains("parameter CL = 7;"));
        const QString report = readText(out + "/ddr3_phy_report.txt");
        QVERIFY2(report.contains(
                     QRegularExpression("Memory part\\s+" + QRegularExpression::escape(fast1600))),
                 qPrintable(report));
        QVERIFY2(report.trimmed().endsWith("No warnings."), qPrintable(report));
        // Its example design for a DDR3L part drives RESET# at 1.35 V; a refused part writes none.
        const QStringList example{"example", "--config", out + "/ddr3_phy.ipc", "--out",
                                  out + "/kit"};
        QCOMPARE(run(example + QStringList{"--part", "MT41J512M4HX-15E:D"}).exitCode, 2);
        QVERIFY(!QFileInfo::exists(out + "/kit"));
        QCOMPARE(run(example + QStringList{"--part", "MT41K512M8RH-125:E"}).exitCode, 0);
        QVERIFY(readText(out + "/kit/constraints/ddr3_example_pins.txt").contains("LVCMOS135"));
    }

    // Edits by --set, or a core re-opened from a file: the state shows what was applied. Re-opened,
    // values go in as they convert, and no message opens.
    void inspect_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("config");     // lines of the [Config] group; null: a new core
        QTest::addColumn<QString>("widgetName"); // empty: `path` is relative to the whole state
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // JSON text

        const auto row = [](const char *tag, const QStringList &settings, const char *widgetName,
                            const char *path, const char *expected) {
            QTest::newRow(tag) << settings << QString() << widgetName << path << expected;
        };
        const auto restored = [](const char *tag, const char *config, const char *widgetName,
                                 const char *path, const char *expected) {
            QTest::newRow(tag) << QStringList() << config << widgetName << path << expected;
        };
        // The frame's names come from the core's description file.
        row("module name", {}, "", "moduleName", R"("DDR3_PHY_Top")");
        row("file name", {}, "", "fileName", R"("ddr3_phy")");
        row("pages", {}, "", "tabs", R"(["Type", "Options", "Timing"])");
        row("device", {}, "", "device/id", R"("VX1-10LQ144C6/I5")");
        // Frame fields are reported at the top level only; labels shared by pages are qualified.
        row("no frame field among the widgets", {}, "", "widgets/editModuleName", "");
        row("shared label qualified", {}, "Type/label", "text", R"("Memory Type:")");
        row("no unqualified shared label", {}, "", "widgets/label", "");
        row("edits apply in order",
            {"comBoxClkRatio=1:4", "spinMemoryClock=650", "comBoxClkRatio=1:2"}, "spinMemoryClock",
            "value", "200");
        row("custom warns once, the dialog being visible", {"comBoxMemoryType=Custom"}, "",
            "messages",
            R"([{"kind": "warning", "title": "Warning", "details": [], "answer": "OK", "text": )"
            R"("If choose custom Memory Type, please reconfigure the address width and Timing )"
            R"(option according the memory chip datasheet. And modify the number of address )"
            R"(bits in the cst file. Otherwise initialization may fail."}])");
        row("leaving DQ 72 by index clears ECC",
            {"comBoxClkRatio=1:4", "comBoxDqWidth=72", "checkEcc=true", "comBoxDqWidth=#7"},
            "checkEcc", "checked", "false");
        row("clamped clock drives the read-out", {"spinMemoryClock=1000"}, "labelClkout", "text",
            R"("<-> 3333 ps")");
        row("frame language", {"comboLanguage=VHDL"}, "", "language", "1");
        restored("absent keys", "", "spinTRp", "value", "1");
        restored("index past the list", "CLK_RATIO=0\nDQ_WIDTH=99", "comBoxDqWidth", "currentText",
                 "\"\"");
    }

    void inspect()
    {
        QFETCH(QStringList, settings);
        QFETCH(QString, config);
        QFETCH(QString, widgetName);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QTemporaryDir work;
        const QString ipc = work.filePath("x.ipc");
        QVERIFY(writeBytes(ipc, "version=3.0\ntype=ddr3_phy\ntarget_device=VX1-10LQ144C6/I5\n"
                                "file=x\nmodule=X_Top\n[Config]\n" +
                                    config.toUtf8() + "\n"));
        const Result result =
            run(QStringList{"inspect"} + (config.isNull() ? vx1 : QStringList{"--config", ipc}) +
                setArguments(settings));
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QJsonValue state = result.json();
        if (!config.isNull())
            QCOMPARE(at(state, "messages").toArray().size(), 0);
        QCOMPARE(at(widgetName.isEmpty() ? state : widget(state, widgetName), path),
                 parseJson(expected.toUtf8()));
    }

    // Every refusal ends in one last line on stderr, its exit code and nothing on stdout.
    // "%F/" stands for a folder of prepared files, "%O" for a fresh output folder.
    void refuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("environment"); // "NAME=VALUE" sets, "-NAME" removes; ';' between
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions");

        const auto row = [](const char *tag, const QStringList &arguments, int exitCode,
                            const char *mentions, const char *environment = "") {
            QTest::newRow(tag) << arguments << environment << exitCode << mentions;
        };
        const QStringList inspect = QStringList{"inspect"} + vx1;
        const QStringList generate = QStringList{"generate"} + vx1 + QStringList{"--out", "%O"};
        row("unknown control", inspect + setArguments({"comBoxNope=1"}), 2, "comBoxNope");
        row("disabled by the part preset", inspect + setArguments({"comBoxDramWidth=16"}), 2,
            "disabled");
        row("not an item", inspect + setArguments({"comBoxDqWidth=72"}), 2, "\"64\"");
        // A part that cannot be had. The SPD decoder's refusals are tested with the decoder; one
        // row shows that they reach the user.
        const QStringList part = QStringList{"generate"} + vx2At533 + QStringList{"--out", "%O"};
        row("unknown part", part + QStringList{"--part", "NO-SUCH-PART"}, 2,
            "unknown memory part 'NO-SUCH-PART'");
        row("x4 part", part + QStringList{"--part", "MT41J512M4HX-15E:D"}, 2,
            "MT41J512M4HX-15E:D has 11 column bits: Column Address offers 9, 10");
        row("truncated SPD", part + QStringList{"--spd", "%F/short.spd"}, 2,
            "the SPD image is truncated: 100 bytes");
        row("unknown option", {"inspect", "--colour"}, 2, "colour");
        row("unknown tool item", generate + QStringList{"--tool", "yosys"}, 2,
            "comboSynthesisTool");
        row("option twice", generate + QStringList{"--out", "%O/b"}, 2,
            "--out given more than once");
        row("module named like a primitive", generate + QStringList{"--module", "VX_IOBUF"}, 1,
            "device primitive");
        row("module named a keyword", generate + QStringList{"--module", "uwire"}, 1,
            "is a Verilog keyword");
        row("module name checked by the frame", generate + QStringList{"--module", "9lives"}, 1,
            "Verilog identifier");
        row("approximation rejected by default",
            generate + setArguments({"comBoxClkRatio=1:4", "spinMemoryClock=333"}), 1,
            "pass --approx accept");
        row("failing tool from IPGEN_SETTINGS", generate, 1,
            "synthesis failed: false exited with code 1", "IPGEN_SETTINGS=%F/false.ini");
        row("no display", {"gui"}, 1, "cannot open the window system",
            "QT_QPA_PLATFORM=xcb;-DISPLAY;-WAYLAND_DISPLAY");
    }

    void refuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, environment);
        QFETCH(int, exitCode);
        QFETCH(QString, mentions);
        QTemporaryDir files;
        QVERIFY(writeBytes(files.filePath("false.ini"), failingTool));
        QVERIFY(writeBytes(files.filePath("short.spd"), SpdImages::sodimm1600().left(100)));
        for (QString &argument : arguments)
            argument.replace("%F", files.path()).replace("%O", files.filePath("out"));
        // Settings always named, so that an ipgen.ini next to ipgen cannot change the outcome.
        if (arguments.first() == "generate" && !environment.contains("IPGEN_SETTINGS"))
            arguments << "--settings" << files.filePath("none.ini");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("IPGEN_SETTINGS");
        for (const QString &change :
             environment.replace("%F", files.path()).split(';', Qt::SkipEmptyParts)) {
            if (change.startsWith('-'))
                env.remove(change.mid(1));
            else
                env.insert(change.section('=', 0, 0), change.section('=', 1));
        }

        const Result result = run(arguments, env);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(result.out.isEmpty(), result.out.constData());
        const QString last = result.errLines().value(result.errLines().size() - 1);
        QVERIFY2(last.startsWith("ipgen: ") && last.contains(mentions), result.err.constData());
        if (exitCode == 2)
            QCOMPARE(result.errLines().size(), 1);
        QVERIFY(!QFileInfo::exists(files.filePath("out/ddr3_phy.v")));
    }

    void generateEndToEnd()
    {
        if (QStandardPaths::findExecutable("yosys").isEmpty())
            QSKIP("yosys is not installed");
        QTemporaryDir work;
        const QString out = work.filePath("first");
        const QString project = work.filePath("board.ipproj");

        // A clock the PLL can only approximate, accepted; the netlist goes into the project.
        const Result first =
            run(QStringList{"generate"} + vx1 +
                QStringList{"--out", out, "--project", project, "--approx", "accept"} +
                setArguments({"comBoxClkRatio=1:4", "spinMemoryClock=333", "comBoxDqWidth=32",
                              "spinTRfc=110000"}));
        QVERIFY2(first.exitCode == 0, first.err.constData());
        QVERIFY2(first.err.startsWith("Memory Clock: Memory Clock can not reach 333 MHz"),
                 first.err.constData());
        QVERIFY2(first.err.contains("ipgen: warning: tRFC 110000 ps is shorter"),
                 first.err.constData());
        const QStringList written = QString::fromUtf8(first.out).split('\n', Qt::SkipEmptyParts);
        for (const QString &name :
             {"ddr3_phy.ipc", "ddr3_phy.v", "ddr3_phy_tmp.v", "ddr3_phy.vo", "ddr3_phy_report.txt",
              "temp/DDR3_PHY/vlmc_param.v", "temp/DDR3_PHY/DDR3_define.v",
              "temp/DDR3_PHY/ddr3_name.v", "temp/DDR3_PHY/ddr3_pll_config.v"}) {
            QVERIFY2(QFileInfo(out + '/' + name).size() > 0, qPrintable(name));
            QVERIFY2(written.contains("wrote " + out + '/' + name), first.out.constData());
        }
        QVERIFY(written.contains("opened " + out + "/ddr3_phy.v"));
        QVERIFY(written.contains("wrote " + project));
        QVERIFY(readText(out + "/ddr3_phy.v").contains("module DDR3_PHY_Top("));
        const QStringList projectFiles = readText(project).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(projectFiles.filter(QRegularExpression("^[^#]")),
                 QStringList{out + "/ddr3_phy.v"});

        // Re-opened from its .ipc with --files-only, the core writes the same configuration under
        // new names (a module name may start with '_' and hold '$') and stops: the failing tool
        // from --settings is never run.
        const QString second = work.filePath("second");
        const QString ini = work.filePath("ipgen.ini");
        QVERIFY(writeBytes(ini, failingTool));
        const Result reopened =
            run({"generate", "--config", out + "/ddr3_phy.ipc", "--out", second, "--file", "phy2",
                 "--module", "_phy$2", "--approx", "accept", "--settings", ini, "--files-only"});
        QVERIFY2(reopened.exitCode == 0, reopened.err.constData());
        QStringList expected;
        for (const char *name :
             {"phy2.ipc", "temp/DDR3_PHY/DDR3_define.v", "temp/DDR3_PHY/ddr3_name.v",
              "temp/DDR3_PHY/ddr3_pll_config.v", "temp/DDR3_PHY/vlmc_param.v"})
            expected << "wrote " + second + '/' + name;
        QCOMPARE(QString::fromUtf8(reopened.out).split('\n', Qt::SkipEmptyParts), expected);
        // Every control's round trip through a record is the dialog tests' business.
        QCOMPARE(QSettings(second + "/phy2.ipc", QSettings::IniFormat).value("target_device"),
                 QSettings(out + "/ddr3_phy.ipc", QSettings::IniFormat).value("target_device"));
        QCOMPARE(readText(second + "/temp/DDR3_PHY/vlmc_param.v"),
                 readText(out + "/temp/DDR3_PHY/vlmc_param.v"));
        QVERIFY(readText(second + "/temp/DDR3_PHY/ddr3_name.v").contains("_phy$2"));
    }

private:
    Result run(const QStringList &arguments,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(m_ipgen, arguments);
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        const bool exited = process.exitStatus() == QProcess::NormalExit;
        return {exited ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QString m_ipgen;
};

QTEST_GUILESS_MAIN(TestIpgen)
#include "tst_ipgen.moc"
