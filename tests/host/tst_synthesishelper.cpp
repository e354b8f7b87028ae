#include "hostsession.h"
#include "ipcorefunctions.h"
#include "synthesishelper.h"

#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A two-primitive library shaped like the device library: black boxes under SYNTHESIS, models
// otherwise. Only TST_PLL is used by the design, so only it belongs in a simulation model.
const char *kPrimitives = R"(// test primitives
`timescale 1ns/1ps
`ifdef SYNTHESIS
(* blackbox *)
module TST_PLL (CLKIN, LOCK);
  input CLKIN;
  output LOCK;
endmodule
(* blackbox *)
module TST_UNUSED (I, O);
  input I;
  output O;
endmodule
`else
module TST_PLL (CLKIN, LOCK);
  input CLKIN;
  output reg LOCK;
  initial LOCK = 1'b0;
  always @(posedge CLKIN) LOCK <= 1'b1;
endmodule
module TST_UNUSED (I, O);
  input I;
  output O;
  assign O = I;
endmodule
`endif
)";

const char *kDesign = R"(`include "width.vh"
module counter (input clk, input rst_n, output reg [`WIDTH-1:0] count);
  always @(posedge clk or negedge rst_n)
    if (!rst_n) count <= 0; else count <= count + 1'b1;
endmodule
module tiny_top (input clk, input rst_n, input [1:0] sel, output [`WIDTH-1:0] count,
                 inout [1:0] pad, output locked);
  counter u_counter (.clk(clk), .rst_n(rst_n), .count(count));
  assign pad = sel[0] ? count[1:0] : 2'bzz;
  TST_PLL u_pll (.CLKIN(clk), .LOCK(locked));
endmodule
)";

// Stands in for the external tool: reads the project named last, reports its arguments, and
// writes the result file with a small netlist; FAIL makes it report an error instead.
const char *kStandIn = R"sh(#!/bin/sh
for arg; do project=$arg; done
echo "$@" > "$(dirname "$project")/arguments.txt"
echo "stand-in: compiling $project"
if [ -n "$SLOW" ]; then exec sleep 30; fi
if [ -n "$FAIL" ]; then
  echo '@E: CS187 :"src.v":3:4:3:5|Expecting ;'
  exit 2
fi
if [ -n "$NOWRITE" ]; then exit 0; fi
result=$(sed -n 's/^project -result_file {\(.*\)}$/\1/p' "$project")
mkdir -p "$(dirname "$result")"
printf 'module standin_top (input a, output [3:0] b);\n  assign b = {4{a}};\nendmodule\n' > "$result"
if grep -q '^set_option -write_vhdl 1' "$project"; then
  echo '-- vhdl netlist' > "${result%.vm}.vhm"
fi
)sh";

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestSynthesisHelper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void veltraSynthesis_data();
    void veltraSynthesis();
    void veltraSyntaxError();
    void synplify_data();
    void synplify();
    void synplifyNotConfigured();
    void toolCannotStart();
    void cancelKillsTheRun();
    void decode_data();
    void decode();
    void decodeInstalledLibraryCompiles();

private:
    IPCore::SynthesizeArgs args(bool vhdl) const;
    int run(IPCore::SynthesisHelper &helper, int tool, const IPCore::SynthesizeArgs &args);
    void useStandIn(const QString &environment);

    QTemporaryDir m_dir;
    QString m_work;
};

void TestSynthesisHelper::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath("share"));
    QVERIFY(QDir(m_dir.path()).mkpath("src/inc"));
    QVERIFY(writeFile(m_dir.filePath("share/veltra_prims.v"), kPrimitives));
    QVERIFY(writeFile(m_dir.filePath("src/tiny.v"), kDesign));
    QVERIFY(writeFile(m_dir.filePath("src/inc/width.vh"), "`define WIDTH 4\n"));
    QVERIFY(writeFile(m_dir.filePath("synplify"), kStandIn));
    QVERIFY(QFile::setPermissions(m_dir.filePath("synplify"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    IPGen::HostSession::instance().setShareDirectory(m_dir.filePath("share"));
    IPGen::HostSession::instance().setBatch(true);
}

void TestSynthesisHelper::init()
{
    // Every case works in a fresh folder with a path that needs quoting.
    m_work = m_dir.filePath(QStringLiteral("%1 %2/temp/DDR3_PHY")
                                .arg(QTest::currentTestFunction(), QTest::currentDataTag()));
    IPGen::HostSession::instance().setSettingsFile(QString());
    for (const char *mode : {"FAIL", "SLOW", "NOWRITE"})
        qunsetenv(mode);
}

IPCore::SynthesizeArgs TestSynthesisHelper::args(bool vhdl) const
{
    IPCore::SynthesizeArgs a;
    a.workDirectory = m_work;
    a.ipName = "DDR3_PHY";
    a.outputFileName = "my phy";
    a.device = DEV::DeviceArg("VX1-10", "C6/I5", "VX1-10LQ144C6/I5");
    a.options = {{"impl_name", "rev_1"},
                 {"disable_io", true},
                 {"write_vhdl", vhdl},
                 {"include_paths", QStringList{m_work, m_dir.filePath("src/inc")}},
                 {"source_files", QStringList{m_dir.filePath("src/tiny.v")}}};
    return a;
}

int TestSynthesisHelper::run(IPCore::SynthesisHelper &helper, int tool,
                             const IPCore::SynthesizeArgs &a)
{
    QSignalSpy finished(&helper, &IPCore::SynthesisHelper::finished);
    helper.setSynthesizeTool(tool);
    helper.setArgs(a);
    helper.start();
    if (!finished.wait(60000) || finished.size() != 1)
        return -1000;
    return finished.first().first().toInt();
}

void TestSynthesisHelper::useStandIn(const QString &environment)
{
    const QString ini = m_dir.filePath("ipgen.ini");
    {
        QSettings settings(ini, QSettings::IniFormat);
        settings.setValue("SynplifyPro/command", m_dir.filePath("synplify"));
        settings.setValue("SynplifyPro/arguments", QStringList{"-licensetype", "standin"});
    }
    IPGen::HostSession::instance().setSettingsFile(ini);
    if (!environment.isEmpty())
        qputenv(qPrintable(environment), "1");
}

void TestSynthesisHelper::veltraSynthesis_data()
{
    QTest::addColumn<bool>("vhdl");
    QTest::newRow("verilog") << false;
    QTest::newRow("vhdl") << true;
}

void TestSynthesisHelper::veltraSynthesis()
{
    QFETCH(bool, vhdl);
    if (QStandardPaths::findExecutable("yosys").isEmpty())
        QSKIP("yosys is not installed");
    IPCore::SynthesisHelper helper;
    QSignalSpy log(&IPGen::HostSession::instance(), &IPGen::HostSession::synthesisLog);
    QCOMPARE(run(helper, IPCore::SynthesisHelper::VeltraSynthesis, args(vhdl)), 0);
    QVERIFY(helper.errorMsg().isEmpty());
    QVERIFY(log.size() > 10);

    const QString base = m_work + "/my phy";
    const QString netlist = readFile(base + ".vg");
    QVERIFY(netlist.contains("module tiny_top("));
    QVERIFY(netlist.contains("module counter("));
    QVERIFY(netlist.contains("TST_PLL u_pll"));
    QVERIFY2(!netlist.contains("module TST_PLL"), "black boxes stay out of the netlist");

    const QString verilogTemplate = readFile(base + "_tmp.v");
    QVERIFY(verilogTemplate.contains("tiny_top my_phy_inst ("));
    QVERIFY(verilogTemplate.contains(
        QRegularExpression("\\.count\\(count\\),\\s+// output \\[3:0\\]")));
    QVERIFY(verilogTemplate.contains(QRegularExpression("\\.pad\\(pad\\),\\s+// inout \\[1:0\\]")));
    QVERIFY(
        verilogTemplate.contains(QRegularExpression("\\.locked\\(locked\\)\\s+// output\\n\\);")));

    for (const char *vhdlFile : {"_tmp.vhd", ".vhg", ".vho"})
        QCOMPARE(QFile::exists(base + vhdlFile), vhdl);
    if (!vhdl)
        return;
    const QString wrapper = readFile(base + ".vhg");
    QVERIFY(wrapper.contains("entity tiny_top_wrapper is"));
    QVERIFY(wrapper.contains(
        QRegularExpression("count\\s+: out\\s+std_logic_vector\\(3 downto 0\\);")));
    QVERIFY(wrapper.contains(QRegularExpression("clk\\s+: in\\s+std_logic;")));
    QVERIFY(
        wrapper.contains(QRegularExpression("pad\\s+: inout std_logic_vector\\(1 downto 0\\);")));
    QVERIFY(wrapper.contains("netlist_inst : tiny_top"));
    QVERIFY(readFile(base + "_tmp.vhd").contains("my_phy_inst : tiny_top"));
    QVERIFY(readFile(base + ".vho").contains("package tiny_top_components is"));
}

void TestSynthesisHelper::veltraSyntaxError()
{
    if (QStandardPaths::findExecutable("yosys").isEmpty())
        QSKIP("yosys is not installed");
    const QString broken = m_dir.filePath("src/broken.v");
    QVERIFY(
        writeFile(broken, "module broken (input a, output b);\n  assign b = a +;\nendmodule\n"));
    IPCore::SynthesizeArgs a = args(false);
    a.options["source_files"] = QStringList{broken};
    IPCore::SynthesisHelper helper;
    QVERIFY(run(helper, IPCore::SynthesisHelper::VeltraSynthesis, a) != 0);
    QVERIFY2(helper.errorMsg().startsWith("Synthesis failed: "), qPrintable(helper.errorMsg()));
    QVERIFY(helper.errorMsg().contains("broken.v:2"));
    QVERIFY(!helper.detailErrorMsgs().isEmpty());
    for (const QString &line : helper.detailErrorMsgs())
        QVERIFY2(line.contains("ERROR"), qPrintable(line));
    QVERIFY(!QFile::exists(m_work + "/my phy_tmp.v"));
}

void TestSynthesisHelper::synplify_data()
{
    QTest::addColumn<bool>("vhdl");
    QTest::addColumn<QString>("mode");
    QTest::newRow("verilog") << false << "";
    QTest::newRow("vhdl") << true << "";
    QTest::newRow("tool error") << false << "FAIL";
    QTest::newRow("no result") << false << "NOWRITE";
}

void TestSynthesisHelper::synplify()
{
    QFETCH(bool, vhdl);
    QFETCH(QString, mode);
    if (QStandardPaths::findExecutable("yosys").isEmpty())
        QSKIP("yosys reads the ports of the netlist");
    useStandIn(mode);
    IPCore::SynthesisHelper helper;
    const int code = run(helper, IPCore::SynthesisHelper::SynplifyPro, args(vhdl));

    const QString project = readFile(m_work + "/DDR3_PHY.prj");
    QVERIFY(project.contains(
        QStringLiteral("add_file -verilog {%1}\n").arg(m_dir.filePath("src/tiny.v"))));
    QVERIFY(project.contains(QStringLiteral("set_option -include_path {%1;%2}\n")
                                 .arg(m_work, m_dir.filePath("src/inc"))));
    QVERIFY(project.contains("set_option -disable_io_insertion 1\n"));
    QVERIFY(project.contains("project -result_file {rev_1/my phy.vm}\n"));
    QCOMPARE(readFile(m_work + "/arguments.txt").trimmed(),
             QStringLiteral("-licensetype standin -batch %1/DDR3_PHY.prj").arg(m_work));

    if (mode == "NOWRITE") {
        QCOMPARE(code, 1);
        QCOMPARE(helper.errorMsg(), QStringLiteral("Synthesis failed: Synplify Pro did not write "
                                                   "%1/rev_1/my phy.vm.")
                                        .arg(m_work));
        return;
    }
    if (mode == "FAIL") {
        QCOMPARE(code, 2);
        QCOMPARE(helper.errorMsg(),
                 QString("Synthesis failed: @E: CS187 :\"src.v\":3:4:3:5|Expecting ;"));
        QCOMPARE(helper.detailErrorMsgs().size(), 1);
        return;
    }
    QCOMPARE(code, 0);
    QVERIFY(QFile::exists(m_work + "/rev_1/my phy.vm"));
    QCOMPARE(QFile::exists(m_work + "/rev_1/my phy.vhm"), vhdl);
    QVERIFY(readFile(m_work + "/my phy_tmp.v")
                .contains(QRegularExpression("\\.b\\(b\\)\\s+// output \\[3:0\\]")));
    QCOMPARE(QFile::exists(m_work + "/my phy_tmp.vhd"), vhdl);
    QVERIFY(!QFile::exists(m_work + "/my phy.vho"));
}

void TestSynthesisHelper::synplifyNotConfigured()
{
    const QString ini = m_dir.filePath("empty.ini");
    QVERIFY(writeFile(ini, "[VeltraSynthesis]\ncommand=yosys\n"));
    IPGen::HostSession::instance().setSettingsFile(ini);
    IPCore::SynthesisHelper helper;
    QSignalSpy finished(&helper, &IPCore::SynthesisHelper::finished);
    helper.setSynthesizeTool(IPCore::SynthesisHelper::SynplifyPro);
    helper.setArgs(args(false));
    helper.start();
    QVERIFY2(finished.isEmpty(), "finished() must not be emitted from inside start()");
    QVERIFY(finished.wait(5000));
    QVERIFY(finished.first().first().toInt() != 0);
    QCOMPARE(
        helper.errorMsg(),
        QStringLiteral("Synplify Pro is not configured: set [SynplifyPro] command in %1").arg(ini));
}

void TestSynthesisHelper::toolCannotStart()
{
    const QString ini = m_dir.filePath("missing.ini");
    QVERIFY(writeFile(ini, "[VeltraSynthesis]\ncommand=/nonexistent/yosys\n"));
    IPGen::HostSession::instance().setSettingsFile(ini);
    IPCore::SynthesisHelper helper;
    QVERIFY(run(helper, IPCore::SynthesisHelper::VeltraSynthesis, args(false)) != 0);
    QVERIFY2(helper.errorMsg().startsWith("Synthesis failed: cannot run /nonexistent/yosys"),
             qPrintable(helper.errorMsg()));
}

void TestSynthesisHelper::cancelKillsTheRun()
{
    useStandIn("SLOW");
    IPGen::HostSession::instance().setBatch(false);
    QWidget owner;
    auto *helper = new IPCore::SynthesisHelper(&owner);
    QSignalSpy finished(helper, &IPCore::SynthesisHelper::finished);
    helper->setSynthesizeTool(IPCore::SynthesisHelper::SynplifyPro);
    helper->setProgressDlgWindowTitle("DDR3 PHY");
    helper->showProgressDlg();
    helper->setArgs(args(false));
    helper->start();
    IPGen::HostSession::instance().setBatch(true);
    // The stand-in reports once it is running, then sleeps far longer than the wait below.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_work + "/arguments.txt"), 10000);
    auto *cancel = owner.findChild<QPushButton *>("buttonCancel");
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QString("Cancel"));
    cancel->click();
    QVERIFY(finished.wait(10000));
    QVERIFY(finished.first().first().toInt() != 0);
    QCOMPARE(helper->errorMsg(), QString("Synthesis cancelled."));
    QCOMPARE(cancel->text(), QString("Close"));
}

void TestSynthesisHelper::decode_data()
{
    QTest::addColumn<QByteArray>("netlist");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("models");
    const QByteArray usesPll = "module n (input c, output l);\n  TST_PLL u (.CLKIN(c), .LOCK(l));\n"
                               "endmodule\n";
    QTest::newRow("uses a primitive") << usesPll << true << "" << QStringList{"TST_PLL"};
    QTest::newRow("uses none")
        << QByteArray("module n (input a, output b);\n  assign b = ~a;\nendmodule\n") << true << ""
        << QStringList();
    QTest::newRow("missing") << QByteArray() << false << "Cannot read" << QStringList();
    QTest::newRow("empty") << QByteArray(" \n") << false << "is empty" << QStringList();
}

void TestSynthesisHelper::decode()
{
    QFETCH(QByteArray, netlist);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QFETCH(QStringList, models);
    QTemporaryDir out;
    const QString netlistFile = out.filePath("n.vg");
    if (!netlist.isNull())
        QVERIFY(writeFile(netlistFile, netlist));
    QString error;
    const int result = IPCore::decode(out.path(), netlistFile, out.filePath("n.vo"), error);
    if (!ok) {
        QVERIFY(result != 0);
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!QFile::exists(out.filePath("n.vo")));
        return;
    }
    QCOMPARE(result, 0);
    const QString model = readFile(out.filePath("n.vo"));
    QVERIFY(model.startsWith("// n.vo: simulation model"));
    QVERIFY(model.contains("`timescale 1ns/1ps"));
    QCOMPARE(model.contains("module TST_PLL"), models.contains("TST_PLL"));
    QVERIFY2(!model.contains("module TST_UNUSED"), "unused primitives stay out");
    QVERIFY2(!model.contains("blackbox"), "only the behavioural reading is copied");
    if (QStandardPaths::findExecutable("iverilog").isEmpty())
        QSKIP("iverilog is not installed");
    QProcess iverilog;
    iverilog.start("iverilog", {"-o", out.filePath("n.vvp"), out.filePath("n.vo")});
    QVERIFY(iverilog.waitForFinished(30000));
    QVERIFY2(iverilog.exitCode() == 0, iverilog.readAllStandardError().constData());
}

void TestSynthesisHelper::decodeInstalledLibraryCompiles()
{
    if (QStandardPaths::findExecutable("iverilog").isEmpty())
        QSKIP("iverilog is not installed");
    IPGen::HostSession::instance().setShareDirectory(QString());
    QTemporaryDir out;
    QVERIFY(writeFile(out.filePath("n.vg"),
                      "module n (input c, output l);\n  VX_PLL #(.FBDIV_SEL(3)) u (.CLKIN(c), "
                      ".RESET(1'b0), .PWRDN(1'b0), .LOCK(l));\nendmodule\n"));
    QString error;
    const int result =
        IPCore::decode(out.path(), out.filePath("n.vg"), out.filePath("n.vo"), error);
    IPGen::HostSession::instance().setShareDirectory(m_dir.filePath("share"));
    QCOMPARE(result, 0);
    QVERIFY(readFile(out.filePath("n.vo")).contains("module VX_PLL"));
    QProcess iverilog;
    iverilog.start("iverilog", {"-o", out.filePath("n.vvp"), out.filePath("n.vo")});
    QVERIFY(iverilog.waitForFinished(30000));
    QVERIFY2(iverilog.exitCode() == 0, iverilog.readAllStandardError().constData());
}

QTEST_MAIN(TestSynthesisHelper)
#include "tst_synthesishelper.moc"
