#include "hostfixtures.h"
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

// The test's primitive library and design (tests/host/synthesis).
QString fixture(const QString &name)
{
    return qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/tests/host/synthesis/" + name;
}

} // namespace

using HostTest::readText;
using HostTest::writeBytes;

class TestSynthesisHelper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        IPGen::HostSession::instance().setShareDirectory(fixture(QString()));
        IPGen::HostSession::instance().setBatch(true);
    }

    void init()
    {
        // Every case works in a fresh folder whose path is full of Tcl: nothing of it may run.
        m_work = m_dir.filePath(QStringLiteral("%1 %2 $x[exec touch pwned]{\\\"}; \\/temp/DDR3_PHY")
                                    .arg(QTest::currentTestFunction(), QTest::currentDataTag()));
        IPGen::HostSession::instance().setSettingsFile(QString());
        // The stand-in for "Synplify Pro" is used here only where it writes no netlist.
        qputenv("STANDIN", "no-result");
    }

    // Asked for VHDL, the run writes the Verilog results too.
    void veltraSynthesis()
    {
        if (QStandardPaths::findExecutable("yosys").isEmpty())
            QSKIP("yosys is not installed");
        IPCore::SynthesisHelper helper;
        QSignalSpy log(&IPGen::HostSession::instance(), &IPGen::HostSession::synthesisLog);
        QCOMPARE(run(helper, IPCore::SynthesisHelper::VeltraSynthesis, args(true)), 0);
        QVERIFY(helper.errorMsg().isEmpty());
        QVERIFY(log.size() > 10);

        const QString base = m_work + "/my phy";
        const QString netlist = readText(base + ".vg");
        QVERIFY(netlist.contains("module tiny_top("));
        QVERIFY(netlist.contains("TST_PLL u_pll"));
        QVERIFY2(!netlist.contains("module TST_PLL"), "black boxes stay out of the netlist");

        const QString verilogTemplate = readText(base + "_tmp.v");
        QVERIFY(verilogTemplate.contains("tiny_top my_phy_inst ("));
        QVERIFY(verilogTemplate.contains(
            QRegularExpression("\\.count\\(count\\),\\s+// output \\[3:0\\]")));
        QVERIFY(verilogTemplate.contains(
            QRegularExpression("\\.locked\\(locked\\)\\s+// output\\n\\);")));

        const QString wrapper = readText(base + ".vhg");
        QVERIFY(wrapper.contains("entity tiny_top_wrapper is"));
        QVERIFY(wrapper.contains(
            QRegularExpression("count\\s+: out\\s+std_logic_vector\\(3 downto 0\\);")));
        QVERIFY(wrapper.contains(
            QRegularExpression("pad\\s+: inout std_logic_vector\\(1 downto 0\\);")));
        QVERIFY(wrapper.contains("netlist_inst : tiny_top"));
        QVERIFY(readText(base + "_tmp.vhd").contains("my_phy_inst : tiny_top"));
        QVERIFY(readText(base + ".vho").contains("package tiny_top_components is"));
    }

    void veltraSyntaxError()
    {
        if (QStandardPaths::findExecutable("yosys").isEmpty())
            QSKIP("yosys is not installed");
        const QString broken = m_dir.filePath("broken.v");
        QVERIFY(writeBytes(broken,
                           "module broken (input a, output b);\n  assign b = a +;\nendmodule\n"));
        IPCore::SynthesizeArgs a = args(false);
        a.options["source_files"] = QStringList{broken};
        IPCore::SynthesisHelper helper;
        QVERIFY(run(helper, IPCore::SynthesisHelper::VeltraSynthesis, a) != 0);
        QVERIFY2(helper.errorMsg().startsWith("Synthesis failed: "), qPrintable(helper.errorMsg()));
        QVERIFY(helper.errorMsg().contains("broken.v:2"));
        QStringList details = helper.detailErrorMsgs();
        QCOMPARE(details.takeLast(), "Full log: " + m_work + "/my phy_synthesis.log");
        QVERIFY(!details.isEmpty());
        for (const QString &line : details)
            QVERIFY2(line.contains("ERROR"), qPrintable(line));
        QVERIFY(!QFile::exists(m_work + "/my phy_tmp.v"));
    }

    void toolFails_data()
    {
        QTest::addColumn<QByteArray>("settings"); // "<tool>" stands for a script holding `tool`
        QTest::addColumn<QByteArray>("tool");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("message"); // "<vg>": the netlist, "<work>": the work folder

        QProcess missing;
        missing.start("/nonexistent/yosys", QStringList());
        missing.waitForStarted();
        const QByteArray veltra = "[VeltraSynthesis]\ncommand=<tool>\n";
        const auto row = [](const char *tag, const QByteArray &settings, const QByteArray &tool,
                            int timeout, const QString &message) {
            QTest::newRow(tag) << settings << tool << timeout << message;
        };
        // The stand-in runs the project, whose paths hold Tcl that must not run, but writes
        // nothing.
        row("Synplify Pro writes no result", HostTest::synplifyStandIn(), "", 0,
            "Synthesis failed: Synplify Pro did not write <work>/rev_1/my phy.vm.");
        row("tool cannot start", "[VeltraSynthesis]\ncommand=/nonexistent/yosys\n", "", 0,
            "Synthesis failed: cannot run /nonexistent/yosys: " + missing.errorString());
        row("tool waits for input", veltra, "cat; exit 4", 0,
            "Synthesis failed: tool exited with code 4.");
        row("tool never ends", veltra, "sleep 60", 1,
            "Synthesis failed: tool did not finish within 1 s and was stopped.");
        row("tool killed", veltra, "kill -9 $$", 0,
            "Synthesis failed: tool was ended by a signal.");
        row("tool says a lot", veltra, "seq 1000; exit 5", 0,
            "Synthesis failed: tool exited with code 5.");
        // Exit code 0 and files where they belong, but no netlist in them.
        const QByteArray writes =
            "base=${5%_synth.tcl}; printf 'module tiny_top\\n' > ${base}_ports.txt; ";
        row("garbage netlist", veltra, writes + "echo garbage > $base.vg", 0,
            "Synthesis failed: the netlist <vg> holds no module tiny_top");
        row("cut netlist", veltra, writes + "echo 'module tiny_top (a);' > $base.vg", 0,
            "Synthesis failed: the netlist <vg> is not well-formed Verilog (unbalanced module and "
            "endmodule)");
    }

    void toolFails()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, tool);
        QFETCH(int, timeout);
        QFETCH(QString, message);
        const QString ini = m_dir.filePath("failing.ini");
        const QString script = m_dir.filePath("tool");
        QVERIFY(writeBytes(script, "#!/bin/sh\n" + tool + "\n"));
        QVERIFY(
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeBytes(ini, settings.replace("<tool>", script.toUtf8())));
        IPGen::HostSession::instance().setSettingsFile(ini);
        IPGen::HostSession::instance().setSynthesisTimeout(timeout);
        IPCore::SynthesisHelper helper;
        const bool synplify = QByteArray(QTest::currentDataTag()).startsWith("Synplify");
        const int code = run(helper,
                             synplify ? IPCore::SynthesisHelper::SynplifyPro
                                      : IPCore::SynthesisHelper::VeltraSynthesis,
                             args(false));
        IPGen::HostSession::instance().setSynthesisTimeout(0);
        QVERIFY(code > 0);
        // At most the last 20 lines of output are quoted, then the log that has them all.
        const QStringList details = helper.detailErrorMsgs();
        QVERIFY(details.size() <= 21);
        if (QByteArray(QTest::currentDataTag()) == "tool says a lot")
            QCOMPARE(details.mid(details.size() - 2),
                     QStringList({"1000", "Full log: " + m_work + "/my phy_synthesis.log"}));
        QCOMPARE(helper.errorMsg(),
                 message.replace("<vg>", m_work + "/my phy.vg").replace("<work>", m_work));
        QVERIFY(!QFile::exists(m_work + "/my phy_tmp.v"));
    }

    void cancelKillsTheRun()
    {
        const QString ini = m_dir.filePath("ipgen.ini");
        QVERIFY(writeBytes(ini, HostTest::synplifyStandIn()));
        IPGen::HostSession::instance().setSettingsFile(ini);
        qputenv("STANDIN", "slow");
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
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_work + "/seen.txt"), 10000);
        auto *cancel = owner.findChild<QPushButton *>("buttonCancel");
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QString("Cancel"));
        cancel->click();
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.first().first().toInt() != 0);
        QCOMPARE(helper->errorMsg(), QString("Synthesis cancelled."));
        QCOMPARE(cancel->text(), QString("Close"));
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("netlist"); // null: no netlist file
        QTest::addColumn<QString>("library");    // the primitive library's folder; empty: installed
        QTest::addColumn<QString>("result");     // a module the model holds, or a part of the error

        const QString testLibrary = fixture(QString());
        QTest::newRow("test library")
            << QByteArray("module n (input c, output l);\n  TST_PLL u (.CLKIN(c), .LOCK(l));\n"
                          "endmodule\n")
            << testLibrary << "module TST_PLL";
        QTest::newRow("installed library")
            << QByteArray("module n (input c, output l);\n  VX_PLL #(.FBDIV_SEL(3)) u (.CLKIN(c), "
                          ".RESET(1'b0), .PWRDN(1'b0), .LOCK(l));\nendmodule\n")
            << QString() << "module VX_PLL";
        QTest::newRow("missing") << QByteArray() << testLibrary << "Cannot read";
        QTest::newRow("empty") << QByteArray(" \n") << testLibrary << "is empty";
    }

    void decode()
    {
        QFETCH(QByteArray, netlist);
        QFETCH(QString, library);
        QFETCH(QString, result);
        QTemporaryDir out;
        const QString netlistFile = out.filePath("n.vg"), model = out.filePath("n.vo");
        if (!netlist.isNull())
            QVERIFY(writeBytes(netlistFile, netlist));
        QString error;
        IPGen::HostSession::instance().setShareDirectory(library);
        const int code = IPCore::decode(out.path(), netlistFile, model, error);
        IPGen::HostSession::instance().setShareDirectory(fixture(QString()));
        if (!result.startsWith("module ")) {
            QVERIFY(code != 0);
            QVERIFY2(error.contains(result), qPrintable(error));
            QVERIFY(!QFile::exists(model));
            return;
        }
        QCOMPARE(code, 0);
        const QString text = readText(model);
        QVERIFY(text.startsWith("// n.vo: simulation model"));
        if (!library.isEmpty()) // directives outside the library's modules come along
            QVERIFY(text.contains("`timescale 1ns/1ps"));
        QVERIFY(text.contains(result));
        QVERIFY2(!text.contains("module TST_UNUSED"), "unused primitives stay out");
        QVERIFY2(!text.contains("blackbox"), "only the behavioural reading is copied");
        if (QStandardPaths::findExecutable("iverilog").isEmpty())
            QSKIP("iverilog is not installed");
        QProcess iverilog;
        iverilog.start("iverilog", {"-o", out.filePath("n.vvp"), model});
        QVERIFY(iverilog.waitForFinished(30000));
        QVERIFY2(iverilog.exitCode() == 0, iverilog.readAllStandardError().constData());
    }

private:
    IPCore::SynthesizeArgs args(bool vhdl) const
    {
        IPCore::SynthesizeArgs a;
        a.workDirectory = m_work;
        a.ipName = "DDR3_PHY";
        a.outputFileName = "my phy";
        a.device = DEV::DeviceArg("VX1-10", "C6/I5", "VX1-10LQ144C6/I5");
        a.options = {{"impl_name", "rev_1"},
                     {"disable_io", true},
                     {"write_vhdl", vhdl},
                     {"include_paths", QStringList{m_work, fixture("inc")}},
                     {"source_files", QStringList{fixture("tiny.v")}}};
        return a;
    }

    int run(IPCore::SynthesisHelper &helper, int tool, const IPCore::SynthesizeArgs &a)
    {
        QSignalSpy finished(&helper, &IPCore::SynthesisHelper::finished);
        helper.setSynthesizeTool(tool);
        helper.setArgs(a);
        helper.start();
        // finished() is never emitted from inside start(), so callers may connect after it.
        if (!finished.isEmpty() || !finished.wait(60000) || finished.size() != 1)
            return -1000;
        if (QFile::exists(a.workDirectory + "/pwned"))
            return -2000; // the tool ran a command hidden in the path
        return finished.first().first().toInt();
    }

    QTemporaryDir m_dir;
    QString m_work;
};

QTEST_MAIN(TestSynthesisHelper)
#include "tst_synthesishelper.moc"
