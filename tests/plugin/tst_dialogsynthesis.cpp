// The synthesis run and its completion, through the host's real synthesis helper: Yosys for
// VeltraSynthesis, a scripted stand-in for "Synplify Pro". The core's sources are small ones of
// the test's own (tests/plugin/synthesis), so that a run takes a moment.
#include "dialogtestsupport.h"

#include "hostsession.h"
#include "synthesishelper.h"

#include <QSignalSpy>
#include <QTemporaryDir>

using namespace DialogTest;
using DDR3PHY::DDR3PHYDialog;

namespace {

const QString F = "ddr3_phy_out";

struct Run
{
    QStringList editors;
    QStringList addedToProject;
    QList<BoxAnswerer::Box> boxes;
    int completions = 0;
};

} // namespace

class TestDialogSynthesis : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_setup.isValid());
        m_data = qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/tests/plugin/synthesis";
        writeFile(m_setup.filePath("ipgen.ini"), HostTest::synplifyStandIn());
        IPGen::HostSession::instance().setSettingsFile(m_setup.filePath("ipgen.ini"));
    }

    void completion_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("netlistSource"); // in the working directory
        QTest::addColumn<QString>("netlist");       // in the output directory
        QTest::addColumn<QString>("tmp");
        QTest::addColumn<QStringList>("outputFiles");
        // Lines of the Synplify project, its sources first.
        QTest::addColumn<QStringList>("project");

        const QStringList verilogFiles{F + ".ipc", F + ".v", F + ".vo", F + "_tmp.v"};
        QTest::newRow("VeltraSynthesis Verilog")
            << "VeltraSynthesis" << 0 << "" << F + ".vg" << F + ".v" << F + "_tmp.v" << verilogFiles
            << QStringList();
        QTest::newRow("VeltraSynthesis VHDL")
            << "VeltraSynthesis" << 1 << "" << F + ".vhg" << F + ".vhd" << F + "_tmp.vhd"
            << QStringList{F + ".ipc", F + ".vhd", F + ".vho", F + ".vo", F + "_tmp.vhd"}
            << QStringList();
        QTest::newRow("Synplify Pro Verilog")
            << "Synplify Pro" << 0 << ""
            << "rev_1/" + F + ".vm" << F + ".v" << F + "_tmp.v" << verilogFiles
            << QStringList{"add_file -verilog %D/ddr3_1_2code.v",
                           "add_file -verilog %D/DDR3_PHY_TOP.v",
                           "set_option -part VX1-10",
                           "set_option -speed_grade C6",
                           "set_option -include_path %W;%D",
                           "set_option -disable_io_insertion 1",
                           "set_option -write_verilog 1",
                           "set_option -write_vhdl 0",
                           "argv -batch %W/DDR3_PHY.prj",
                           "project -result_file rev_1/" + F + ".vm"};
        QTest::newRow("Synplify Pro VHDL 1:4 with I/O")
            << "Synplify Pro" << 1 << "ratio=1 checkDisableIO=0"
            << "rev_1/" + F + ".vhm" << F + ".vhd" << F + "_tmp.vhd"
            << QStringList{F + ".ipc", F + ".vhd", F + ".vo", F + "_tmp.vhd"}
            << QStringList{"add_file -verilog %D/ddr3_1_4code.v",
                           "add_file -verilog %D/DDR3_PHY_TOP.v",
                           "set_option -disable_io_insertion 0", "set_option -write_vhdl 1"};
    }

    void completion()
    {
        QFETCH(QString, tool);
        QFETCH(int, language);
        QFETCH(QString, steps);
        QFETCH(QString, netlistSource);
        QFETCH(QString, netlist);
        QFETCH(QString, tmp);
        QFETCH(QStringList, outputFiles);
        QFETCH(QStringList, project);
        QTemporaryDir out;
        const QString P = out.path();
        const QString W = P + "/temp/DDR3_PHY";
        auto dialog = makeDialog(P, tool, language);
        apply(dialog.get(), steps);
        dialog->show();
        const Run run = generate(dialog.get());

        QVERIFY2(run.boxes.isEmpty(),
                 qPrintable(run.boxes.value(0).text + run.boxes.value(0).details));
        QCOMPARE(run.completions, 1);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(QDir(P).entryList(QDir::Files, QDir::Name), outputFiles);
        QCOMPARE(readBytes(P + "/" + netlist), readBytes(W + "/" + netlistSource));
        QCOMPARE(readBytes(P + "/" + tmp), readBytes(W + "/" + tmp));
        // The template instantiates the netlist's own top module.
        QVERIFY(
            readBytes(P + "/" + tmp).contains(tool == "VeltraSynthesis" ? "my_ddr" : "my_core"));
        if (outputFiles.contains(F + ".vho"))
            QCOMPARE(readBytes(P + "/" + F + ".vho"), readBytes(W + "/" + F + ".vho"));
        // The simulation model is always made from the Verilog netlist.
        const QByteArray model = readBytes(P + "/" + F + ".vo");
        QVERIFY(model.contains(tool == "VeltraSynthesis" ? "module my_ddr" : "module my_core"));
        QCOMPARE(run.editors, QStringList({P + "/" + netlist, P + "/" + tmp}));
        QCOMPARE(run.addedToProject, QStringList{P + "/" + netlist});

        // The progress window carried the core's label and is gone.
        const auto windows = dialog->findChildren<QDialog *>();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.first()->windowTitle(), QStringLiteral("DDR3 PHY Generator"));
        QVERIFY(!windows.first()->isVisible());

        // The Synplify project, as the tool runs it, shows every argument the dialog handed over.
        const QStringList written = QString::fromUtf8(readBytes(W + "/seen.txt")).split('\n');
        for (QString &line : project) {
            line.replace("%D", m_data).replace("%W", W);
            QVERIFY2(written.contains(line), qPrintable(line));
        }
        if (!project.isEmpty()) // exactly the two sources, the ratio's code first
            QCOMPARE(written.filter("add_file"), project.mid(0, 2));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>(
            "blocker"); // marker file or directory made in the output directory
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QStringList>("outputFiles");

        const QString fallback = "Core generation occur errors.";
        QTest::newRow("tool error") << "Synplify Pro"
                                    << "fail_once"
                                    << "Synthesis failed: @E: scripted failure"
                                    << "@E: scripted failure" << QStringList{F + ".ipc"};
        QTest::newRow("netlist copy") << "VeltraSynthesis" << F + ".v/" << fallback << "Cannot copy"
                                      << QStringList{F + ".ipc"};
        QTest::newRow("decode") << "Synplify Pro" << F + ".vo/" << fallback << F + ".vo"
                                << QStringList{F + ".ipc", F + ".v", F + "_tmp.v"};
    }

    // Failures are reported through the host, and the dialog stays open for another try, which
    // works once the tool does.
    void failures()
    {
        QFETCH(QString, tool);
        QFETCH(QString, blocker);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        QTemporaryDir out;
        if (blocker.endsWith('/'))
            QVERIFY(QDir().mkpath(out.filePath(blocker)));
        else
            writeFile(out.filePath(blocker), "");
        auto dialog = makeDialog(out.path(), tool, 0);
        dialog->show();
        QSignalSpy reported(&IPGen::HostSession::instance(), &IPGen::HostSession::errorsReported);
        // A blocking directory named like the netlist makes the host ask about overwriting it.
        const Run run = generate(dialog.get(), {QMessageBox::Yes});

        QCOMPARE(run.completions, 1);
        QCOMPARE(reported.count(), 1);
        QCOMPARE(reported.first().at(0).toString(), message);
        const QStringList details = reported.first().at(1).toStringList();
        QVERIFY2(details.filter(detail).size() == 1, qPrintable(details.join('|')));
        QCOMPARE(run.boxes.last().title, QStringLiteral("Error"));
        QCOMPARE(run.boxes.last().text, message);
        QTEST(QDir(out.path()).entryList(QDir::Files, QDir::Name), "outputFiles");
        QVERIFY(run.editors.isEmpty());
        QVERIFY(run.addedToProject.isEmpty());
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        if (!blocker.startsWith("fail_once"))
            return;

        // The helper and its one connection are reused: a second run is collected exactly once.
        const Run second = generate(dialog.get(), {QMessageBox::Yes});
        QCOMPARE(second.boxes.size(), 1); // the host's question about the existing .ipc
        QCOMPARE(second.boxes.first().title, QStringLiteral("Overwrite Files"));
        QCOMPARE(dialog->findChildren<IPCore::SynthesisHelper *>().size(), 1);
        QCOMPARE(second.editors.size(), 2);
        QCOMPARE(second.addedToProject, QStringList{out.filePath(F + ".v")});
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

private:
    std::unique_ptr<DDR3PHYDialog> makeDialog(const QString &dir, const QString &tool, int language)
    {
        QMap<QString, QVariant> info = coreInfo();
        info.insert("ipcore.dir.data", m_data);
        auto dialog = newDialog(info);
        dialog->setCreating(dir, DEV::DeviceArg("VX1-10", "C6", "VX1-10C6-TEST"));
        dialog->uiSetSynthesisTool(tool);
        dialog->uiSetLanguageIndex(language);
        dialog->uiSetModuleName("my_ddr");
        return dialog;
    }

    // Confirms the dialog and waits for the synthesis run to be collected.
    Run generate(DDR3PHYDialog *dialog, QList<QMessageBox::StandardButton> answers = {})
    {
        IPGen::HostSession &session = IPGen::HostSession::instance();
        const QStringList projectBefore = session.projectFiles();
        Run run;
        QMetaObject::Connection editor = connect(&session, &IPGen::HostSession::editorRequested,
                                                 this, [&run](const QString &path, bool activate) {
                                                     run.editors << path + (activate ? "!" : "");
                                                 });
        BoxAnswerer answerer(std::move(answers));
        dialog->accept();
        if (auto *helper = dialog->findChild<IPCore::SynthesisHelper *>()) {
            // Connected after the dialog, so it fires once the dialog has collected the results.
            QSignalSpy finished(helper, &IPCore::SynthesisHelper::finished);
            if (!finished.wait(60000))
                qWarning("synthesis did not finish");
            run.completions = finished.count();
        }
        disconnect(editor);
        run.boxes = answerer.boxes;
        run.addedToProject = session.projectFiles().mid(projectBefore.size());
        return run;
    }

    QTemporaryDir m_setup;
    QString m_data;
};

QTEST_MAIN(TestDialogSynthesis)
#include "tst_dialogsynthesis.moc"
