// The accept sequence up to the synthesis start: the host's checks, the PLL search with its
// boxes, the .ipc file and the four Verilog files, and what each failure leaves on disk.
#include "dialogtestsupport.h"

#include "hostsession.h"
#include "synthesishelper.h"

#include <QDirIterator>
#include <QSettings>
#include <QTemporaryDir>

using namespace DialogTest;
using DDR3PHY::DDR3PHYDialog;
using Answers = QList<QMessageBox::StandardButton>;
Q_DECLARE_METATYPE(Answers)

namespace {

const QString ipcFile = "ddr3_phy_out.ipc";
const QString defineFile = "temp/DDR3_PHY/DDR3_define.v";
const QString paramFile = "temp/DDR3_PHY/vlmc_param.v";
const QString nameFile = "temp/DDR3_PHY/ddr3_name.v";
const QString pllFile = "temp/DDR3_PHY/ddr3_pll_config.v";
const QStringList allFiles{ipcFile, defineFile, nameFile, pllFile, paramFile};

const DEV::DeviceArg vx1c6("VX1-10", "C6", "VX1-10C6-TEST");

// What the 1:2 part as constructed writes (tests/plugin/expected); ddr3_pll_config.v there holds
// %1 to %5 for the reference MHz, IDIV, FBDIV, ODIV and device.
QString expectedFile(const QString &name)
{
    return qEnvironmentVariable("DDR3PHY_SOURCE_DIR") + "/tests/plugin/expected/" + name;
}

// One full configuration: how to reach it and how what it writes differs from the defaults.
struct Configuration
{
    DEV::DeviceArg device;
    QString steps;
    int language;
    QString module;
    QString parameters; // "NAME = value, ...", each replacing that parameter's line
    QString pll;        // the template's values, separated by blanks
    bool eccDefine;
    QString record;        // "KEY=value, ..." in the "Config" group, over ddr3_phy_out.ipc
    QStringList questions; // texts of the "Memory Clock" boxes, answered OK
};

QMap<QString, Configuration> configurations()
{
    const Configuration part12{vx1c6, "", 0, "DDR3_PHY_Top", "", "50 0 3 4 VX1-10", false, "", {}};
    const Configuration custom14{
        vx1c6,
        "ratio=1 type=1 dram=1 row=4 col=0 dq=8 ecc=1 ref=24 clock=333 dimm=3 spinTRp=13750 "
        "spinTRefi=3900000 spinTRfc=260000 spinTDllk=600 comBoxBurstType=1 cas=9 cw=7 al=2 "
        "comBoxWriteRecovery=7 comBoxRttNom=0 comBoxRttWr=2 checkUserRefresh=1 "
        "comBoxAddrCmdMode=1 comBoxOutputDrv=1 checkDisableIO=0",
        1,
        "my_ddr",
        "nCK_PER_CLK = 4, tCK = 3003, DQ_WIDTH = 72, ECC = \"ON\", ROW_WIDTH = 16, COL_WIDTH = 9, "
        "tRP = 13750, tREFI = 3900000, tRFC = 260000, tDLLK = 600, BURST_MODE = \"8\", "
        "BURST_TYPE = \"INT\", CL = 14, CWL = 12, AL = \"CL-2\", WR_CYC = 16, RTT_NOM = \"OFF\", "
        "RTT_WR = \"120\", USER_REFRESH = \"ON\", ADDR_CMD_MODE = \"2T\", OUTPUT_DRV = \"HIGH\"",
        "47 8 63 2 VX1-10",
        true,
        "LANG=1, CLK_RATIO=1, MEMORY_TYPE=1, MEMORY_CLK=333, REFERENCE_CLK=24, DIMM_TYPE=3, "
        "DQ_WIDTH=8, ECC=true, ROW_ADDR=4, COL_ADDR=0, tRP=13750, tREFI=3900000, tRFC=260000, "
        "tDLLK=600, BURST_MODE=1, BURST_TYPE=1, CAS_LATENCY=9, CW_LATENCY=7, ADDITIVE_LATENCY=2, "
        "WRITE_RECOVERY=7, RTT_NOM=0, RTT_WR=2, USER_FLASH=true, ADDR_CMD_MODE=1, OUTPUT_DRV=1, "
        "DISABLE_IO=false",
        {"Memory Clock can not reach 333 MHz according to VELTRA PLL's feature, the most close "
         "frequency is 334.231581 MHz, Do you want to continue?"}};
    // A part's timing edited by hand must survive the part's reload when restored.
    const Configuration rdimm14{
        DEV::DeviceArg("VX2-60", "C8", "VX2-60C8-TEST"),
        "ratio=1 dimm=1 clock=300 spinTRc=50000",
        0,
        "DDR3_PHY_Top",
        "nCK_PER_CLK = 4, tCK = 3333, REG_CTRL = \"ON\", DRAM_WIDTH = 16, ROW_WIDTH = 14, "
        "tRC = 50000, BURST_MODE = \"8\", CL = 5",
        "50 0 5 2 VX2-60",
        false,
        "CLK_RATIO=1, MEMORY_CLK=300, DIMM_TYPE=1, DRAM_WIDTH=2, ROW_ADDR=2, tRC=50000, "
        "BURST_MODE=1",
        {}};
    return {{"1:2 part", part12}, {"1:4 custom ecc 72", custom14}, {"1:4 part rdimm", rdimm14}};
}

// A dialog for a new core in `dir`, generating with a tool that is not configured, so that
// the synthesis start leaves the files alone.
std::unique_ptr<DDR3PHYDialog> makeDialog(const QString &dir, const DEV::DeviceArg &device)
{
    auto dialog = newDialog(coreInfo());
    dialog->setCreating(dir, device);
    dialog->uiSetSynthesisTool("Synplify Pro");
    return dialog;
}

std::unique_ptr<DDR3PHYDialog> configured(const QString &dir, const Configuration &c)
{
    auto dialog = makeDialog(dir, c.device);
    apply(dialog.get(), c.steps);
    dialog->uiSetLanguageIndex(c.language);
    dialog->uiSetModuleName(c.module);
    return dialog;
}

QStringList filesUnder(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

bool helperCreated(const DDR3PHYDialog &dialog)
{
    return dialog.findChild<IPCore::SynthesisHelper *>() != nullptr;
}

} // namespace

class TestDialogGeneration : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { IPGen::HostSession::instance().setSettingsFile(QString()); }

    void filesAndRestore_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : configurations().keys())
            QTest::newRow(qPrintable(name)) << name;
    }

    void filesAndRestore()
    {
        QFETCH(QString, name);
        const Configuration c = configurations().value(name);
        QTemporaryDir out;
        auto dialog = configured(out.path(), c);
        BoxAnswerer answerer;
        dialog->accept();

        QCOMPARE(answerer.boxes.size(), c.questions.size());
        for (int i = 0; i < c.questions.size(); ++i) {
            QCOMPARE(answerer.boxes.at(i).title, QStringLiteral("Memory Clock"));
            QCOMPARE(answerer.boxes.at(i).text, c.questions.at(i));
            QCOMPARE(answerer.boxes.at(i).buttons, QMessageBox::Ok | QMessageBox::Cancel);
        }
        QCOMPARE(filesUnder(out.path()), allFiles);

        QStringList parameters =
            QString::fromUtf8(readBytes(expectedFile("vlmc_param.v"))).split('\n');
        for (const QString &line : c.parameters.split(", ", Qt::SkipEmptyParts)) {
            const QString head = "parameter " + line.section(" = ", 0, 0) + " = ";
            const auto at = std::find_if(parameters.begin(), parameters.end(),
                                         [&](const QString &p) { return p.startsWith(head); });
            QVERIFY2(at != parameters.end(), qPrintable(line));
            *at = "parameter " + line + ";";
        }
        QCOMPARE(readBytes(out.filePath(paramFile)), parameters.join('\n').toUtf8());
        QString pll = QString::fromUtf8(readBytes(expectedFile("ddr3_pll_config.v")));
        for (const QString &value : c.pll.split(' '))
            pll = pll.arg(value);
        QCOMPARE(readBytes(out.filePath(pllFile)), pll.toUtf8());
        QCOMPARE(
            readBytes(out.filePath(defineFile)),
            QByteArray(c.eccDefine ? "`define DDR3_PHY\n`define ECC\n" : "`define DDR3_PHY\n"));
        QCOMPARE(readBytes(out.filePath(nameFile)),
                 QString("`define module_name_ddr %1\n\n"
                         "`define getname(oriName,tmodule_name) \\~oriName.tmodule_name\n\n")
                     .arg(c.module)
                     .toUtf8());

        QMap<QString, QString> expected{{"target_device", c.device.id()}, {"module", c.module}};
        QSettings defaults(expectedFile("ddr3_phy_out.ipc"), QSettings::IniFormat);
        for (const QString &key : defaults.allKeys())
            expected.insert(key, defaults.value(key).toString());
        for (const QString &entry : c.record.split(", ", Qt::SkipEmptyParts))
            expected.insert("Config/" + entry.section('=', 0, 0), entry.section('=', 1));
        QSettings written(out.filePath(ipcFile), QSettings::IniFormat);
        QMap<QString, QString> record;
        for (const QString &key : written.allKeys())
            record.insert(key, written.value(key).toString());
        QCOMPARE(record, expected);

        // The dialog stays open for the synthesis run, which got its helper.
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(helperCreated(*dialog));

        // The record restores every control in a new dialog, silently.
        auto restored = makeDialog(out.path(), c.device);
        restored->uiSetSynthesisTool("VeltraSynthesis");
        QVERIFY(restored->loadConfigFile(out.filePath(ipcFile)));
        QCOMPARE(answerer.boxes.size(), c.questions.size());
        const QStringList controls = pageControls(dialog.get());
        QCOMPARE(controls.size(), 42);
        for (const QString &control : controls)
            QCOMPARE(control + ' ' + describe(restored.get(), control),
                     control + ' ' + describe(dialog.get(), control));
        QCOMPARE(restored->uiLanguageIndex(), c.language);
        QCOMPARE(restored->uiSynthesisTool(), QStringLiteral("Synplify Pro"));
        QCOMPARE(restored->figurePins().size(), 35);
        QCOMPARE(restored->figurePins().at(13).name(), dialog->figurePins().at(13).name());
    }

    // A record can hold ECC for a DQ width that does not offer it: the parameter file follows the
    // box, the define file only an available one, and nothing is said about it.
    void eccCheckedButUnavailable()
    {
        QTemporaryDir out;
        writeFile(out.filePath("stored.ipc"),
                  "version=3.0\n[Config]\nCLK_RATIO=1\nMEMORY_TYPE=1\nMEMORY_CLK=400\n"
                  "REFERENCE_CLK=23\nDQ_WIDTH=2\nECC=true\nRANK_ADDR=1\n");
        auto dialog = makeDialog(out.path(), vx1c6);
        BoxAnswerer answerer;
        QVERIFY(dialog->loadConfigFile(out.filePath("stored.ipc")));
        QCOMPARE(describe(dialog.get(), "ecc"), QStringLiteral("on locked"));
        QVERIFY(QFile::remove(out.filePath("stored.ipc")));
        dialog->accept();
        QCOMPARE(answerer.titles(), QStringList());
        QCOMPARE(readBytes(out.filePath(defineFile)), QByteArray("`define DDR3_PHY\n"));
        QVERIFY(readBytes(out.filePath(paramFile)).contains("\nparameter ECC = \"ON\";\n"));
        QVERIFY(readBytes(out.filePath(paramFile)).contains("\nparameter DQ_WIDTH = 24;\n"));
    }

    void acceptStops_data()
    {
        QTest::addColumn<QString>("setup"); // steps, the words below, "block:F" makes F a folder
        QTest::addColumn<QString>("device");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("boxTitles");
        QTest::addColumn<QString>("lastText");
        QTest::addColumn<QStringList>("expectedFiles");

        const QStringList none;
        const QString vx1 = "VX1-10/C6";
        QTest::newRow("file options") << "no-file" << vx1 << Answers{} << QStringList{"Error"}
                                      << "The file name is empty." << none;
        QTest::newRow("module name before existing file")
            << "bad-module old-ipc" << vx1 << Answers{} << QStringList{"Error"} << QString()
            << QStringList{ipcFile};
        QTest::newRow("existing file declined")
            << "old-ipc" << vx1 << Answers{QMessageBox::No} << QStringList{"Overwrite Files"}
            << QString() << QStringList{ipcFile};
        QTest::newRow("no PLL for the device")
            << ""
            << "VX9-99/C6" << Answers{} << none << QString() << none;
        QTest::newRow("vco out of range")
            << "ratio=1 clock=400"
            << "VX1-10/C5" << Answers{} << QStringList{"Warning"}
            << "DDR3 PHY with current Memory Clock and Reference Clock can not be generated."
            << none;
        QTest::newRow("clock declined keeps old ipc")
            << "old-ipc ratio=1 clock=333" << vx1 << Answers{QMessageBox::Yes, QMessageBox::Cancel}
            << QStringList{"Overwrite Files", "Memory Clock"}
            << "Memory Clock can not reach 333 MHz according to VELTRA PLL's feature, the most "
               "close frequency is 333.333333 MHz, Do you want to continue?"
            << QStringList{ipcFile};
        // A directory where a file should go makes that write fail, even for root; the only
        // message is the host's own about that file.
        QTest::newRow("pll file not written")
            << "block:" + pllFile << vx1 << Answers{} << QStringList{"Error"}
            << "Cannot write file %O/" + pllFile + ": Filename refers to a directory"
            << QStringList{ipcFile, defineFile, nameFile, paramFile};
    }

    void acceptStops()
    {
        QFETCH(QString, setup);
        QFETCH(QString, device);
        QFETCH(Answers, answers);
        QFETCH(QString, lastText);
        QFETCH(QStringList, expectedFiles);

        QTemporaryDir out;
        auto dialog = makeDialog(
            out.path(), DEV::DeviceArg(device.section('/', 0, 0), device.section('/', 1), "ID"));
        QStringList steps = setup.split(' ', Qt::SkipEmptyParts);
        if (steps.removeAll("no-file"))
            dialog->uiSetDefaultFileName(QString());
        if (steps.removeAll("bad-module"))
            dialog->uiSetModuleName("1st_module");
        if (steps.removeAll("old-ipc"))
            writeFile(out.filePath(ipcFile), "old");
        for (const QString &blocked : steps.filter(QRegularExpression("^block:")))
            QVERIFY(QDir().mkpath(out.filePath(blocked.mid(6))));
        steps = steps.filter(QRegularExpression("^(?!block:)"));
        apply(dialog.get(), steps.join(' '));

        BoxAnswerer answerer(answers);
        dialog->accept();

        QTEST(answerer.titles(), "boxTitles");
        if (!lastText.isEmpty())
            QCOMPARE(answerer.boxes.last().text, lastText.replace("%O", out.path()));
        QCOMPARE(filesUnder(out.path()), expectedFiles);
        if (setup.contains("old-ipc"))
            QCOMPARE(readBytes(out.filePath(ipcFile)), QByteArray("old"));
        QVERIFY(!helperCreated(*dialog));
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestDialogGeneration)
#include "tst_dialoggeneration.moc"
