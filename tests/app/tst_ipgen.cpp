// End-to-end tests of the ipgen binary: the real executable, the real plug-in, real synthesis.

#include <QDir>
#include <QFile>
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

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QStringList errLines() const
    {
        return QString::fromUtf8(err).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QJsonValue json() const
    {
        const QJsonDocument document = QJsonDocument::fromJson(out);
        return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    }
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

QJsonValue parseJson(const QString &text)
{
    const QJsonDocument document = QJsonDocument::fromJson("[" + text.toUtf8() + "]");
    return document.array().at(0);
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
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

} // namespace

class TestIpgen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void list_data();
    void list();
    void refusedPluginIsReported();
    void devices();
    void inspectDefaults();
    void inspectSettings_data();
    void inspectSettings();
    void inspectErrors_data();
    void inspectErrors();
    void generateStops_data();
    void generateStops();
    void generateEndToEnd();

private:
    Result run(const QStringList &arguments,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    QString m_ipgen;
    QMap<QString, QString> m_description;
};

void TestIpgen::initTestCase()
{
    m_ipgen = qEnvironmentVariable("IPGEN_BUILD_DIR") + QStringLiteral("/ipgen");
    QVERIFY2(QFileInfo(m_ipgen).isExecutable(), qPrintable(m_ipgen));
    // The catalogue must show what the core's description file says.
    const QString description = readFile(qEnvironmentVariable("DDR3PHY_SOURCE_DIR") +
                                         QStringLiteral("/core/ddr3phy/ddr3phy.ipspec"));
    static const QRegularExpression entry(QStringLiteral("^(ipcore\\.\\w+)\\s*=\\s*(.*)$"),
                                          QRegularExpression::MultilineOption);
    for (auto it = entry.globalMatch(description); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        m_description.insert(match.captured(1), match.captured(2).trimmed());
    }
    QVERIFY(m_description.contains(QStringLiteral("ipcore.version")));
}

Result TestIpgen::run(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(m_ipgen, arguments);
    Result result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestIpgen::list_data()
{
    QTest::addColumn<bool>("json");
    QTest::newRow("text") << false;
    QTest::newRow("json") << true;
}

void TestIpgen::list()
{
    QFETCH(bool, json);
    const Result result = run(json ? QStringList{"list", "--json"} : QStringList{"list"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    const QString name = m_description.value(QStringLiteral("ipcore.name"));
    const QString version = m_description.value(QStringLiteral("ipcore.version"));
    const QString category = m_description.value(QStringLiteral("ipcore.category"));
    if (!json) {
        const QString line = QStringList{"ddr3_phy", name, version, category}.join('\t') + '\t';
        QVERIFY2(QString::fromUtf8(result.out).startsWith(line), result.out.constData());
        return;
    }
    const QJsonArray cores = result.json().toArray();
    QCOMPARE(cores.size(), 1);
    QCOMPARE(at(cores, "0/id").toString(), QStringLiteral("ddr3_phy"));
    QCOMPARE(at(cores, "0/name").toString(), name);
    QCOMPARE(at(cores, "0/version").toString(), version);
    QCOMPARE(at(cores, "0/category").toArray(), QJsonArray{category});
    QVERIFY(at(cores, "0/summary").toString().startsWith("DDR3 SDRAM"));
}

void TestIpgen::refusedPluginIsReported()
{
    QTemporaryDir extra;
    QFile junk(extra.filePath(QStringLiteral("libjunk.so")));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    const Result result = run({"list", "--plugins", extra.path()});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith("ddr3_phy\t"));
    QCOMPARE(result.errLines().size(), 1);
    QVERIFY2(result.errLines().first().contains("libjunk.so"), result.err.constData());
}

void TestIpgen::devices()
{
    const Result result = run({"devices", "--json"});
    QCOMPARE(result.exitCode, 0);
    QMap<QString, bool> supported;
    for (const QJsonValue &part : result.json().toArray())
        supported.insert(at(part, "model").toString(), at(part, "supported/ddr3_phy").toBool());
    QVERIFY(supported.value("VX1-10"));
    QVERIFY(supported.value("VX2N-60C"));
    QVERIFY(supported.contains("VX3-120"));
    QVERIFY(!supported.value("VX3-120"));

    const Result text = run({"devices"});
    QCOMPARE(text.exitCode, 0);
    const QStringList lines = QString::fromUtf8(text.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first().split(' ', Qt::SkipEmptyParts),
             (QStringList{"MODEL", "PACKAGE", "CONDITION", "ID", "ddr3_phy"}));
    QCOMPARE(lines.size(), result.json().toArray().size() + 1);
}

void TestIpgen::inspectDefaults()
{
    const Result result = run(QStringList{"inspect"} + vx1);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    const QJsonValue state = result.json();
    QCOMPARE(at(state, "tabs").toArray(), (QJsonArray{"Type", "Options", "Timing"}));
    QCOMPARE(at(state, "label").toString(), m_description.value("ipcore.label"));
    QCOMPARE(at(state, "moduleName").toString(), m_description.value("ipcore.module"));
    QCOMPARE(at(state, "fileName").toString(), m_description.value("ipcore.target"));
    QCOMPARE(at(state, "device/id").toString(), QStringLiteral("VX1-10LQ144C6/I5"));
    const QJsonValue reference = widget(state, "comBoxReferenceClock");
    QCOMPARE(at(reference, "items").toArray().size(), 34);
    // Item data carries the period in ps that the item text shows.
    const int current = at(reference, "currentIndex").toInt();
    QCOMPARE(at(reference, "items/" + QString::number(current)).toString(),
             QString::number(at(reference, "itemData/" + QString::number(current)).toInt()) +
                 " ps");
    QCOMPARE(at(state, "pins").toArray().size(), 35);
    QCOMPARE(at(state, "messages").toArray().size(), 0);
    // Frame fields are reported at the top level only; labels shared by pages are qualified.
    QVERIFY(widget(state, "editModuleName").isUndefined());
    QCOMPARE(at(widget(state, "Type/label"), "text").toString(), QStringLiteral("Memory Type:"));
    QVERIFY(widget(state, "label").isUndefined());
}

void TestIpgen::inspectSettings_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("widgetName"); // empty: `path` is relative to the whole state
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // JSON text

    QTest::newRow("ratio 1:4 offers its part")
        << QStringList{"comBoxClkRatio=1:4"} << "comBoxMemoryType"
        << "items"
        << R"(["MT41J128M16JT-125k", "Custom"])";
    QTest::newRow("ratio 1:4 widens the clock range")
        << QStringList{"comBoxClkRatio=1:4"} << "spinMemoryClock"
        << "maximum"
        << "700";
    QTest::newRow("ratio 1:4 range label") << QStringList{"comBoxClkRatio=1:4"} << "labelClockRange"
                                           << "text"
                                           << "\"(100 - 700)\"";
    QTest::newRow("ratio 1:4 locks burst 8")
        << QStringList{"comBoxClkRatio=1:4"} << "comBoxBurstMode"
        << "enabled"
        << "false";
    QTest::newRow("edits apply in order")
        << QStringList{"comBoxClkRatio=1:4", "spinMemoryClock=650", "comBoxClkRatio=1:2"}
        << "spinMemoryClock"
        << "value"
        << "200";
    QTest::newRow("custom warns once, the dialog being visible")
        << QStringList{"comBoxMemoryType=Custom"} << ""
        << "messages"
        << R"([{"kind": "warning", "title": "Warning", "details": [], "answer": "OK", "text": )"
           R"("If choose custom Memory Type, please reconfigure the address width and Timing )"
           R"(option according the memory chip datasheet. And modify the number of address )"
           R"(bits in the cst file. Otherwise initialization may fail."}])";
    QTest::newRow("custom unlocks the DRAM width")
        << QStringList{"comBoxMemoryType=Custom"} << "comBoxDramWidth"
        << "enabled"
        << "true";
    QTest::newRow("DQ 72 enables ECC")
        << QStringList{"comBoxClkRatio=1:4", "comBoxDqWidth=72"} << "checkEcc"
        << "enabled"
        << "true";
    QTest::newRow("ECC widens the data")
        << QStringList{"comBoxClkRatio=1:4", "comBoxDqWidth=72", "checkEcc=true"} << "spinDataWidth"
        << "value"
        << "512";
    QTest::newRow("leaving DQ 72 clears ECC")
        << QStringList{"comBoxClkRatio=1:4", "comBoxDqWidth=72", "checkEcc=true",
                       "comBoxDqWidth=#7"}
        << "checkEcc"
        << "checked"
        << "false";
    QTest::newRow("clock above range clamps")
        << QStringList{"spinMemoryClock=1000"} << "spinMemoryClock"
        << "value"
        << "300";
    QTest::newRow("clock below range clamps")
        << QStringList{"spinMemoryClock=-5"} << "spinMemoryClock"
        << "value"
        << "100";
    QTest::newRow("clamped clock drives the read-out")
        << QStringList{"spinMemoryClock=1000"} << "labelClkout"
        << "text"
        << R"("<-> 3333 ps")";
    QTest::newRow("timing clamps at its minimum") << QStringList{"spinTRefi=0"} << "spinTRefi"
                                                  << "value"
                                                  << "1";
    QTest::newRow("item by index") << QStringList{"comBoxDimmType=#0"} << "comBoxDimmType"
                                   << "currentText"
                                   << R"("Components")";
    QTest::newRow("reference clock drives its read-out")
        << QStringList{"comBoxReferenceClock=#0"} << "labelClkin"
        << "text"
        << R"("<-> 400 MHz")";
    QTest::newRow("frame module name") << QStringList{"editModuleName=my_phy"} << ""
                                       << "moduleName"
                                       << R"("my_phy")";
    QTest::newRow("frame language") << QStringList{"comboLanguage=VHDL"} << ""
                                    << "language"
                                    << "1";
    QTest::newRow("frame tool") << QStringList{"comboSynthesisTool=Synplify Pro"} << ""
                                << "synthesisTool"
                                << R"("Synplify Pro")";
}

void TestIpgen::inspectSettings()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, widgetName);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const Result result = run(QStringList{"inspect"} + vx1 + setArguments(settings));
    QVERIFY2(result.exitCode == 0, result.err.constData());
    const QJsonValue state = result.json();
    const QJsonValue value = at(widgetName.isEmpty() ? state : widget(state, widgetName), path);
    QCOMPARE(value, parseJson(expected));
}

void TestIpgen::inspectErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");

    const QStringList inspect = QStringList{"inspect"} + vx1;
    QTest::newRow("unknown control") << inspect + setArguments({"comBoxNope=1"}) << "comBoxNope";
    QTest::newRow("disabled by the part preset")
        << inspect + setArguments({"comBoxDramWidth=16"}) << "disabled";
    QTest::newRow("read-only width")
        << inspect + setArguments({"spinAppAddrWidth=30"}) << "read-only";
    QTest::newRow("not an item") << inspect + setArguments({"comBoxDqWidth=72"}) << "\"64\"";
    QTest::newRow("index out of range") << inspect + setArguments({"comBoxClkRatio=#2"}) << "#2";
    QTest::newRow("item text is exact")
        << inspect + setArguments({"comBoxDimmType=udimms"}) << "udimms";
    QTest::newRow("malformed integer")
        << inspect + setArguments({"spinMemoryClock=2e2"}) << "integer";
    QTest::newRow("malformed bool")
        << inspect + setArguments({"checkDisableIO=1"}) << "true or false";
    QTest::newRow("ambiguous name") << inspect + setArguments({"label_2=x"}) << "TAB/label_2";
    QTest::newRow("label is not editable") << inspect + setArguments({"labelClkin=x"}) << "QLabel";
    QTest::newRow("stops at the first bad edit")
        << inspect + setArguments({"comBoxClkRatio=1:4", "spinTRp=x", "comBoxNope=1"}) << "spinTRp";
    QTest::newRow("no equals sign") << inspect + setArguments({"spinMemoryClock"}) << "NAME=VALUE";
    QTest::newRow("unknown core") << QStringList{"inspect", "--core", "sdram", "--device", "VX1-10"}
                                  << "ddr3_phy";
    QTest::newRow("unknown device")
        << QStringList{"inspect", "--core", "ddr3_phy", "--device", "VX9"} << "VX9";
    QTest::newRow("unknown condition")
        << QStringList{"inspect", "--core", "ddr3_phy", "--device", "VX1-10", "--condition", "C9"}
        << "C9";
    QTest::newRow("unsupported device")
        << QStringList{"inspect", "--core", "ddr3_phy", "--device", "VX3-120"} << "support";
    QTest::newRow("unknown option") << QStringList{"inspect", "--colour"} << "colour";
}

void TestIpgen::inspectErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    const Result result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.out.isEmpty(), result.out.constData());
    QCOMPARE(result.errLines().size(), 1);
    QVERIFY2(result.errLines().first().startsWith("ipgen: "), result.err.constData());
    QVERIFY2(result.errLines().first().contains(mentions), result.err.constData());
}

void TestIpgen::generateStops_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("settingsFile"); // ipgen.ini text; empty: none
    QTest::addColumn<bool>("settingsFromEnvironment");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lastLine");

    const QStringList approximate = setArguments({"comBoxClkRatio=1:4", "spinMemoryClock=333"});
    QTest::newRow("approximation rejected by default")
        << approximate << "" << false << 1 << "pass --approx accept";
    QTest::newRow("approximation rejected explicitly")
        << approximate + QStringList{"--approx", "reject"} << "" << false << 1
        << "pass --approx accept";
    QTest::newRow("module name checked by the frame")
        << QStringList{"--module", "9lives"} << "" << false << 1 << "Verilog identifier";
    QTest::newRow("unconfigured tool") << QStringList{"--tool", "Synplify Pro"} << "" << false << 1
                                       << "Synplify Pro is not configured";
    QTest::newRow("failing tool from --settings")
        << QStringList{} << "[VeltraSynthesis]\ncommand=/bin/false\n"
        << false << 1 << "synthesis failed";
    QTest::newRow("failing tool from IPGEN_SETTINGS")
        << QStringList{} << "[VeltraSynthesis]\ncommand=/bin/false\n"
        << true << 1 << "synthesis failed";
    QTest::newRow("unknown tool item")
        << QStringList{"--tool", "yosys"} << "" << false << 2 << "comboSynthesisTool";
    QTest::newRow("bad language") << QStringList{"--lang", "cobol"} << "" << false << 2
                                  << "verilog or vhdl";
}

void TestIpgen::generateStops()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, settingsFile);
    QFETCH(bool, settingsFromEnvironment);
    QFETCH(int, exitCode);
    QFETCH(QString, lastLine);

    QTemporaryDir work;
    const QString out = work.filePath("out");
    const QString ini = work.filePath("ipgen.ini");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("IPGEN_SETTINGS");
    QStringList extra{"--out", out};
    if (!settingsFile.isEmpty()) {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settingsFile.toUtf8());
    }
    // Always named, so that an ipgen.ini next to ipgen cannot change the outcome.
    if (settingsFromEnvironment)
        environment.insert("IPGEN_SETTINGS", ini);
    else
        extra << "--settings" << ini;

    const Result result = run(QStringList{"generate"} + vx1 + extra + arguments, environment);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.out.isEmpty(), result.out.constData());
    QVERIFY2(result.errLines().value(result.errLines().size() - 1).contains(lastLine),
             result.err.constData());
    QVERIFY(!QFileInfo::exists(out + "/ddr3_phy.v"));
}

void TestIpgen::generateEndToEnd()
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
            setArguments({"comBoxClkRatio=1:4", "spinMemoryClock=333", "comBoxDqWidth=32"}));
    QVERIFY2(first.exitCode == 0, first.err.constData());
    QVERIFY2(first.err.startsWith("Memory Clock: Memory Clock can not reach 333 MHz"),
             first.err.constData());
    const QStringList written = QString::fromUtf8(first.out).split('\n', Qt::SkipEmptyParts);
    for (const QString &name : {"ddr3_phy.ipc", "ddr3_phy.v", "ddr3_phy_tmp.v", "ddr3_phy.vo",
                                "temp/DDR3_PHY/vlmc_param.v", "temp/DDR3_PHY/DDR3_define.v",
                                "temp/DDR3_PHY/ddr3_name.v", "temp/DDR3_PHY/ddr3_pll_config.v"}) {
        QVERIFY2(QFileInfo(out + '/' + name).size() > 0, qPrintable(name));
        QVERIFY2(written.contains("wrote " + out + '/' + name), first.out.constData());
    }
    QVERIFY(written.contains("opened " + out + "/ddr3_phy.v"));
    QVERIFY(written.contains("opened " + out + "/ddr3_phy_tmp.v"));
    QVERIFY(written.contains("wrote " + project));
    QVERIFY(readFile(out + "/ddr3_phy.v").contains("module DDR3_PHY_Top("));
    const QStringList projectFiles = readFile(project).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(projectFiles.filter(QRegularExpression("^[^#]")), QStringList{out + "/ddr3_phy.v"});

    // Generating into the same folder again: the frame's overwrite question defaults to No.
    const QDateTime stamp = QFileInfo(out + "/ddr3_phy.v").lastModified();
    const Result again = run(QStringList{"generate"} + vx1 + QStringList{"--out", out});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.startsWith("Overwrite Files: "), again.err.constData());
    QCOMPARE(QFileInfo(out + "/ddr3_phy.v").lastModified(), stamp);

    // Re-opened from its .ipc, the core regenerates the same configuration under new names.
    const QString second = work.filePath("second");
    const Result reopened = run({"generate", "--config", out + "/ddr3_phy.ipc", "--out", second,
                                 "--file", "phy2", "--module", "phy2_top", "--approx", "accept"});
    QVERIFY2(reopened.exitCode == 0, reopened.err.constData());
    QSettings firstIpc(out + "/ddr3_phy.ipc", QSettings::IniFormat);
    QSettings secondIpc(second + "/phy2.ipc", QSettings::IniFormat);
    QCOMPARE(secondIpc.value("module").toString(), QStringLiteral("phy2_top"));
    QCOMPARE(secondIpc.value("target_device"), firstIpc.value("target_device"));
    firstIpc.beginGroup("Config");
    secondIpc.beginGroup("Config");
    QCOMPARE(secondIpc.allKeys().size(), 37);
    for (const QString &key : firstIpc.allKeys())
        QCOMPARE(secondIpc.value(key).toString(), firstIpc.value(key).toString());
    QCOMPARE(readFile(second + "/temp/DDR3_PHY/vlmc_param.v"),
             readFile(out + "/temp/DDR3_PHY/vlmc_param.v"));
    QVERIFY(readFile(second + "/phy2.v").contains("module phy2_top("));
}

QTEST_GUILESS_MAIN(TestIpgen)
#include "tst_ipgen.moc"
