#include "hostfixtures.h"
#include "hostsession.h"
#include "ipcorefunctions.h"
#include "synthesishelper.h"

#include <QProcess>
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

        QVERIFY(readText(base + ".vhg").contains(
            QRegularExpression("count\\s+: out\\s+std_logic_vector\\(3 downto 0\\);")));
        QVERIFY(readText(base + "_tmp.vhd").contains("my_phy_inst : tiny_top"));
        QVERIFY(readText(base + ".vho").contains("package tiny_top_components is"));
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
        row("tool never ends", veltra, "sleep 60", 1,
            "Synthesis failed: tool did not finish within 1 s and was stopped.");
        row("tool waits for input", veltra, "cat; exit 4", 0,
            "Synthesis failed: tool exited with code 4.");
        row("tool killed", veltra, "kill -9 $$", 0,
            "Synthesis failed: tool was ended by a signal.");
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
        QVERIFY(helper.detailErrorMsgs().size() <= 21);
        QCOMPARE(helper.errorMsg(),
                 message.replace("<vg>", m_work + "/my phy.vg").replace("<work>", m_work));
        QVERIFY(!QFile::exists(m_work + "/my phy_tmp.v"));
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
