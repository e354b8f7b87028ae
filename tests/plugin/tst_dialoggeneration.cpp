// The accept sequence up to the synthesis start: the host's checks, the PLL search with its
// boxes, the .ipc file and the four Verilog files, and what each failure leaves on disk.
#include "dialogtestsupport.h"

#include "hostsession.h"
#include "synthesishelper.h"

#include <QDir>
#include <QDirIterator>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

using namespace DialogTest;
using DDR3PHY::DDR3PHYDialog;

namespace {

const QString fileBase = "ddr3_phy_out";
const QString work = "temp/DDR3_PHY";
const QString ipcFile = fileBase + ".ipc";
const QString defineFile = work + "/DDR3_define.v";
const QString paramFile = work + "/vlmc_param.v";
const QString nameFile = work + "/ddr3_name.v";
const QString pllFile = work + "/ddr3_pll_config.v";
const QStringList allFiles{ipcFile, defineFile, nameFile, pllFile, paramFile};

const DEV::DeviceArg vx1c6("VX1-10", "C6", "VX1-10C6-TEST");

// A dialog for a new core in `dir`, generating with a tool that is not configured, so that
// the synthesis start leaves the files alone.
std::unique_ptr<DDR3PHYDialog> makeDialog(const QString &dir, const DEV::DeviceArg &device)
{
    const QMap<QString, QVariant> info = coreInfo();
    auto dialog = std::make_unique<DDR3PHYDialog>(&info, nullptr);
    dialog->setCreating(dir, device);
    dialog->uiSetSynthesisTool("Synplify Pro");
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

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QByteArray lines(const QStringList &list)
{
    return (list.join('\n') + '\n').toUtf8();
}

// vlmc_param.v of the 1:2 part as constructed; other configurations override lines by number.
QStringList defaultParameters()
{
    return {"parameter DRAM_TYPE = \"DDR3\";",
            "`define DDR3",
            "parameter nCK_PER_CLK = 2;",
            "parameter tCK = 5000;",
            "parameter REG_CTRL = \"OFF\";",
            "parameter DQ_WIDTH = 16;",
            "parameter DRAM_WIDTH = 8;",
            "parameter ECC = \"OFF\";",
            "parameter RANK_WIDTH = 1;",
            "parameter BANK_WIDTH = 3;",
            "parameter ROW_WIDTH = 15;",
            "parameter COL_WIDTH = 10;",
            "parameter tRP = 12500;",
            "parameter tRRD = 7500;",
            "parameter tRTP = 7500;",
            "parameter tRCD = 12500;",
            "parameter tRC = 55000;",
            "parameter tRAS = 37500;",
            "parameter tFAW = 40000;",
            "parameter tWTR = 7500;",
            "parameter tCKE = 75000;",
            "parameter tREFI = 7800000;",
            "parameter tRFC = 160000;",
            "parameter tDLLK = 512;",
            "parameter BURST_MODE = \"4\";",
            "parameter BURST_TYPE = \"SEQ\";",
            "parameter CL = 11;",
            "parameter CWL = 5;",
            "parameter AL = \"0\";",
            "parameter WR_CYC = 6;",
            "parameter SLOT_0_CONFIG = 8'b00000001;",
            "parameter SLOT_1_CONFIG = 8'b00000000;",
            "parameter RTT_NOM = \"40\";",
            "parameter RTT_WR = \"OFF\";",
            "parameter USER_REFRESH = \"OFF\";",
            "parameter ADDR_CMD_MODE = \"1T\";",
            "parameter OUTPUT_DRV = \"LOW\";"};
}

QStringList pllConfig(int fclkin, int idivSel, int fbdivSel, int odivSel, const QString &device)
{
    return {QString("defparam u_PLL.FCLKIN = \"%1\";").arg(fclkin),
            "defparam u_PLL.DYN_IDIV_SEL= \"false\";",
            QString("defparam u_PLL.IDIV_SEL = %1;").arg(idivSel),
            "defparam u_PLL.DYN_FBDIV_SEL= \"false\";",
            QString("defparam u_PLL.FBDIV_SEL = %1;").arg(fbdivSel),
            "defparam u_PLL.PSDA_SEL= \"1000\";",
            "defparam u_PLL.DYN_DA_EN = \"false\";",
            "defparam u_PLL.DYN_ODIV_SEL = \"false\";",
            "defparam u_PLL.DUTYDA_SEL= \"1000\";",
            "defparam u_PLL.CLKOUT_FT_DIR = 1'b1;",
            "defparam u_PLL.CLKOUTP_FT_DIR = 1'b1;",
            "defparam u_PLL.CLKFB_SEL = \"internal\";",
            QString("defparam u_PLL.ODIV_SEL = %1;").arg(odivSel),
            "defparam u_PLL.CLKOUT_BYPASS = \"false\";",
            "defparam u_PLL.CLKOUTP_BYPASS = \"false\";",
            "defparam u_PLL.CLKOUTD_BYPASS = \"false\";",
            "defparam u_PLL.DYN_SDIV_SEL = 2;",
            "defparam u_PLL.CLKOUTD_SRC = \"CLKOUT\";",
            "defparam u_PLL.CLKOUTD3_SRC = \"CLKOUT\";",
            QString("defparam u_PLL.DEVICE = \"%1\";").arg(device)};
}

QMap<QString, QString> defaultRecord()
{
    return {{"target_device", "VX1-10C6-TEST"},
            {"type", "ddr3_phy"},
            {"version", "3.0"},
            {"file", fileBase},
            {"module", "DDR3_PHY_Top"},
            {"Config/LANG", "0"},
            {"Config/Synthesis_tool", "Synplify Pro"},
            {"Config/CLK_RATIO", "0"},
            {"Config/MEMORY_TYPE", "0"},
            {"Config/MEMORY_CLK", "200"},
            {"Config/REFERENCE_CLK", "23"},
            {"Config/DIMM_TYPE", "2"},
            {"Config/DQ_WIDTH", "1"},
            {"Config/DRAM_WIDTH", "1"},
            {"Config/ECC", "false"},
            {"Config/RANK_ADDR", "1"},
            {"Config/ROW_ADDR", "3"},
            {"Config/COL_ADDR", "1"},
            {"Config/tRP", "12500"},
            {"Config/tRRD", "7500"},
            {"Config/tRTP", "7500"},
            {"Config/tRCD", "12500"},
            {"Config/tRC", "55000"},
            {"Config/tRAS", "37500"},
            {"Config/tFAW", "40000"},
            {"Config/tWTR", "7500"},
            {"Config/tCKE", "75000"},
            {"Config/tREFI", "7800000"},
            {"Config/tRFC", "160000"},
            {"Config/tDLLK", "512"},
            {"Config/BURST_MODE", "0"},
            {"Config/BURST_TYPE", "0"},
            {"Config/CAS_LATENCY", "0"},
            {"Config/CW_LATENCY", "0"},
            {"Config/ADDITIVE_LATENCY", "0"},
            {"Config/WRITE_RECOVERY", "1"},
            {"Config/RTT_NOM", "3"},
            {"Config/RTT_WR", "0"},
            {"Config/USER_FLASH", "false"},
            {"Config/ADDR_CMD_MODE", "0"},
            {"Config/OUTPUT_DRV", "0"},
            {"Config/DISABLE_IO", "true"}};
}

QMap<QString, QString> readRecord(const QString &path)
{
    QSettings settings(path, QSettings::IniFormat);
    QMap<QString, QString> record;
    for (const QString &key : settings.allKeys())
        record.insert(key, settings.value(key).toString());
    return record;
}

// One full configuration: how to reach it and everything it writes.
struct Configuration
{
    DEV::DeviceArg device;
    QString steps;
    int language;
    QString module;
    QMap<int, QString> parameterOverrides; // 1-based line number -> line
    QStringList pll;
    bool eccDefine;
    QMap<QString, QString> recordOverrides;
    QStringList questions; // texts of the "Memory Clock" boxes, answered OK
};

QMap<QString, Configuration> configurations()
{
    Configuration part12{vx1c6, "", 0, "DDR3_PHY_Top", {}, pllConfig(50, 0, 3, 4, "VX1-10"),
                         false, {}, {}};

    Configuration custom14{
        vx1c6,
        "ratio=1 type=1 dram=1 row=4 col=0 dq=8 ecc=1 ref=24 clock=333 dimm=3 spinTRp=13750 "
        "spinTRefi=3900000 spinTRfc=260000 spinTDllk=600 comBoxBurstType=1 comBoxCasLatency=9 "
        "comBoxCwLatency=7 comBoxAdditiveLatency=2 comBoxWriteRecovery=7 comBoxRttNom=0 "
        "comBoxRttWr=2 checkUserRefresh=1 comBoxAddrCmdMode=1 comBoxOutputDrv=1 checkDisableIO=0",
        1,
        "my_ddr",
        {{3, "parameter nCK_PER_CLK = 4;"},
         {4, "parameter tCK = 3003;"},
         {6, "parameter DQ_WIDTH = 72;"},
         {8, "parameter ECC = \"ON\";"},
         {11, "parameter ROW_WIDTH = 16;"},
         {12, "parameter COL_WIDTH = 9;"},
         {13, "parameter tRP = 13750;"},
         {22, "parameter tREFI = 3900000;"},
         {23, "parameter tRFC = 260000;"},
         {24, "parameter tDLLK = 600;"},
         {25, "parameter BURST_MODE = \"8\";"},
         {26, "parameter BURST_TYPE = \"INT\";"},
         {27, "parameter CL = 14;"},
         {28, "parameter CWL = 12;"},
         {29, "parameter AL = \"CL-2\";"},
         {30, "parameter WR_CYC = 16;"},
         {33, "parameter RTT_NOM = \"OFF\";"},
         {34, "parameter RTT_WR = \"120\";"},
         {35, "parameter USER_REFRESH = \"ON\";"},
         {36, "parameter ADDR_CMD_MODE = \"2T\";"},
         {37, "parameter OUTPUT_DRV = \"HIGH\";"}},
        pllConfig(47, 8, 63, 2, "VX1-10"),
        true,
        {{"module", "my_ddr"},           {"Config/LANG", "1"},
         {"Config/CLK_RATIO", "1"},      {"Config/MEMORY_TYPE", "1"},
         {"Config/MEMORY_CLK", "333"},   {"Config/REFERENCE_CLK", "24"},
         {"Config/DIMM_TYPE", "3"},      {"Config/DQ_WIDTH", "8"},
         {"Config/ECC", "true"},         {"Config/ROW_ADDR", "4"},
         {"Config/COL_ADDR", "0"},       {"Config/tRP", "13750"},
         {"Config/tREFI", "3900000"},    {"Config/tRFC", "260000"},
         {"Config/tDLLK", "600"},        {"Config/BURST_MODE", "1"},
         {"Config/BURST_TYPE", "1"},     {"Config/CAS_LATENCY", "9"},
         {"Config/CW_LATENCY", "7"},     {"Config/ADDITIVE_LATENCY", "2"},
         {"Config/WRITE_RECOVERY", "7"}, {"Config/RTT_NOM", "0"},
         {"Config/RTT_WR", "2"},         {"Config/USER_FLASH", "true"},
         {"Config/ADDR_CMD_MODE", "1"},  {"Config/OUTPUT_DRV", "1"},
         {"Config/DISABLE_IO", "false"}},
        {"Memory Clock can not reach 333 MHz according to VELTRA PLL's feature, the most close "
         "frequency is 334.231581 MHz, Do you want to continue?"}};

    Configuration rdimm{DEV::DeviceArg("VX2-60", "C8", "VX2-60C8-TEST"),
                        "dimm=1 clock=300",
                        0,
                        "DDR3_PHY_Top",
                        {{4, "parameter tCK = 3333;"}, {5, "parameter REG_CTRL = \"ON\";"}},
                        pllConfig(50, 0, 5, 2, "VX2-60"),
                        false,
                        {{"target_device", "VX2-60C8-TEST"},
                         {"Config/MEMORY_CLK", "300"},
                         {"Config/DIMM_TYPE", "1"}},
                        {}};
    return {{"1:2 part", part12}, {"1:4 custom ecc 72", custom14}, {"rdimm", rdimm}};
}

std::unique_ptr<DDR3PHYDialog> configured(const QString &dir, const Configuration &c)
{
    auto dialog = makeDialog(dir, c.device);
    apply(dialog.get(), c.steps);
    dialog->uiSetLanguageIndex(c.language);
    dialog->uiSetModuleName(c.module);
    return dialog;
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
    void initTestCase();
    void files_data();
    void files();
    void roundTrip_data();
    void roundTrip();
    void eccCheckedButUnavailable();
    void acceptStops_data();
    void acceptStops();
    void writeFailure_data();
    void writeFailure();
};

void TestDialogGeneration::initTestCase()
{
    IPGen::HostSession::instance().setSettingsFile(QString());
}

void TestDialogGeneration::files_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : configurations().keys())
        QTest::newRow(qPrintable(name)) << name;
}

void TestDialogGeneration::files()
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
        QCOMPARE(answerer.boxes.at(i).icon, QMessageBox::Question);
        QCOMPARE(answerer.boxes.at(i).buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(answerer.boxes.at(i).parent, dialog.get());
    }
    QCOMPARE(filesUnder(out.path()), allFiles);

    QStringList parameters = defaultParameters();
    for (auto it = c.parameterOverrides.cbegin(); it != c.parameterOverrides.cend(); ++it)
        parameters[it.key() - 1] = it.value();
    QCOMPARE(contents(out.filePath(paramFile)), lines(parameters));
    QCOMPARE(contents(out.filePath(pllFile)), lines(c.pll));
    QCOMPARE(contents(out.filePath(defineFile)), c.eccDefine
                                                     ? QByteArray("`define DDR3_PHY\n`define ECC\n")
                                                     : QByteArray("`define DDR3_PHY\n"));
    QCOMPARE(contents(out.filePath(nameFile)),
             lines({QString("`define module_name_ddr %1\n").arg(c.module),
                    "`define getname(oriName,tmodule_name) \\~oriName.tmodule_name\n"}));

    QMap<QString, QString> record = defaultRecord();
    for (auto it = c.recordOverrides.cbegin(); it != c.recordOverrides.cend(); ++it)
        record.insert(it.key(), it.value());
    QCOMPARE(readRecord(out.filePath(ipcFile)), record);

    // The dialog stays open for the synthesis run, which got its helper.
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(helperCreated(*dialog));
}

void TestDialogGeneration::roundTrip_data()
{
    files_data();
}

void TestDialogGeneration::roundTrip()
{
    QFETCH(QString, name);
    const Configuration c = configurations().value(name);
    QTemporaryDir out;
    auto written = configured(out.path(), c);
    {
        BoxAnswerer answerer;
        written->accept();
    }
    auto restored = makeDialog(out.path(), c.device);
    restored->uiSetSynthesisTool("VeltraSynthesis");
    BoxAnswerer answerer;
    QVERIFY(restored->loadConfigFile(out.filePath(ipcFile)));
    QVERIFY(answerer.boxes.isEmpty());

    const QStringList controls = pageControls(written.get());
    QCOMPARE(controls.size(), 42);
    for (const QString &control : controls)
        QCOMPARE(describe(restored.get(), control), describe(written.get(), control));
    QCOMPARE(restored->uiLanguageIndex(), c.language);
    QCOMPARE(restored->uiSynthesisTool(), QStringLiteral("Synplify Pro"));
    QCOMPARE(restored->figurePins().size(), 35);
    QCOMPARE(restored->figurePins().at(13).name(), written->figurePins().at(13).name());
}

// A record can hold ECC for a DQ width that does not offer it: the parameter file follows the
// box, the define file only an available one.
void TestDialogGeneration::eccCheckedButUnavailable()
{
    QTemporaryDir out;
    writeFile(out.filePath("stored.ipc"),
              "version=3.0\n[Config]\nCLK_RATIO=1\nMEMORY_TYPE=1\nMEMORY_CLK=400\n"
              "REFERENCE_CLK=23\nDQ_WIDTH=2\nECC=true\nRANK_ADDR=1\n");
    auto dialog = makeDialog(out.path(), vx1c6);
    QVERIFY(dialog->loadConfigFile(out.filePath("stored.ipc")));
    QVERIFY(QFile::remove(out.filePath("stored.ipc")));
    BoxAnswerer answerer;
    dialog->accept();
    QVERIFY(answerer.boxes.isEmpty());
    QCOMPARE(contents(out.filePath(defineFile)), QByteArray("`define DDR3_PHY\n"));
    QVERIFY(contents(out.filePath(paramFile)).contains("\nparameter ECC = \"ON\";\n"));
    QVERIFY(contents(out.filePath(paramFile)).contains("\nparameter DQ_WIDTH = 24;\n"));
}

void TestDialogGeneration::acceptStops_data()
{
    QTest::addColumn<QString>("setup");  // steps, or one of the words below
    QTest::addColumn<QString>("device"); // "model/condition"
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("boxTitles");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<QStringList>("expectedFiles");
    QTest::addColumn<bool>("synthesisStarted");

    const QStringList none;
    const QStringList oldIpc{ipcFile};
    const QList<int> noAnswers;
    const QString vcoWarning =
        "DDR3 PHY with current Memory Clock and Reference Clock can not be generated.";
    const QString question333 =
        "Memory Clock can not reach 333 MHz according to VELTRA PLL's feature, the most close "
        "frequency is 333.333333 MHz, Do you want to continue?";
    const QString question401 =
        "Memory Clock can not reach 401 MHz according to VELTRA PLL's feature, the most close "
        "frequency is 400.000000 MHz, Do you want to continue?";

    QTest::newRow("file options") << "no-file"
                                  << "VX1-10/C6" << noAnswers << QStringList{"Error"}
                                  << "The file name is empty." << none << false;
    QTest::newRow("module name before existing file")
        << "bad-module old-ipc"
        << "VX1-10/C6" << noAnswers << QStringList{"Error"} << QString() << oldIpc << false;
    QTest::newRow("existing file declined")
        << "old-ipc"
        << "VX1-10/C6" << QList<int>{QMessageBox::No} << QStringList{"Overwrite Files"} << QString()
        << oldIpc << false;
    QTest::newRow("existing file accepted")
        << "old-ipc"
        << "VX1-10/C6" << QList<int>{QMessageBox::Yes} << QStringList{"Overwrite Files"}
        << QString() << allFiles << true;
    QTest::newRow("unknown device")
        << "old-ipc"
        << "VX9-99/C6" << QList<int>{QMessageBox::Yes} << QStringList{"Overwrite Files"}
        << QString() << oldIpc << false;
    QTest::newRow("no speed grade")
        << ""
        << "VX1-10/X1" << noAnswers << none << QString() << none << false;
    QTest::newRow("vco out of range")
        << "ratio=1 clock=400"
        << "VX1-10/C5" << noAnswers << QStringList{"Warning"} << vcoWarning << none << false;
    QTest::newRow("clock declined keeps old ipc")
        << "old-ipc ratio=1 clock=333"
        << "VX1-10/C6" << QList<int>{QMessageBox::Yes, QMessageBox::Cancel}
        << QStringList{"Overwrite Files", "Memory Clock"} << QString() << oldIpc << false;
    QTest::newRow("clock box closed")
        << "ratio=1 clock=401"
        << "VX1-10/C6" << QList<int>{QMessageBox::NoButton} << QStringList{"Memory Clock"}
        << question401 << none << false;
    QTest::newRow("clock accepted")
        << "ratio=1 clock=333"
        << "VX1-10/C6" << QList<int>{QMessageBox::Ok} << QStringList{"Memory Clock"} << question333
        << allFiles << true;
    QTest::newRow("exact clock asks nothing")
        << "ratio=1 clock=400"
        << "VX1-10/C6" << noAnswers << none << QString() << allFiles << true;
}

void TestDialogGeneration::acceptStops()
{
    QFETCH(QString, setup);
    QFETCH(QString, device);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, boxTitles);
    QFETCH(QString, firstText);
    QFETCH(QStringList, expectedFiles);
    QFETCH(bool, synthesisStarted);

    QTemporaryDir out;
    const QStringList model = device.split('/');
    auto dialog = makeDialog(out.path(), DEV::DeviceArg(model.at(0), model.at(1), "ID"));
    QStringList steps = setup.split(' ', Qt::SkipEmptyParts);
    if (steps.removeAll("no-file"))
        dialog->uiSetDefaultFileName(QString());
    if (steps.removeAll("bad-module"))
        dialog->uiSetModuleName("1st_module");
    if (steps.removeAll("old-ipc"))
        writeFile(out.filePath(ipcFile), "old");
    apply(dialog.get(), steps.join(' '));

    QList<QMessageBox::StandardButton> buttons;
    for (int answer : answers)
        buttons << QMessageBox::StandardButton(answer);
    BoxAnswerer answerer(buttons);
    dialog->accept();

    QCOMPARE(answerer.titles(), boxTitles);
    if (!firstText.isEmpty())
        QCOMPARE(answerer.boxes.first().text, firstText);
    QCOMPARE(filesUnder(out.path()), expectedFiles);
    if (expectedFiles == QStringList{ipcFile})
        QCOMPARE(contents(out.filePath(ipcFile)), QByteArray("old"));
    QCOMPARE(helperCreated(*dialog), synthesisStarted);
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
}

void TestDialogGeneration::writeFailure_data()
{
    QTest::addColumn<QString>("blocked");
    QTest::addColumn<QStringList>("left");

    QTest::newRow("define") << defineFile << QStringList{ipcFile};
    QTest::newRow("parameters") << paramFile << QStringList{ipcFile, defineFile};
    QTest::newRow("name") << nameFile << QStringList{ipcFile, defineFile, paramFile};
    QTest::newRow("pll") << pllFile << QStringList{ipcFile, defineFile, nameFile, paramFile};
}

// A directory where a file should go makes that write fail, even for root.
void TestDialogGeneration::writeFailure()
{
    QFETCH(QString, blocked);
    QFETCH(QStringList, left);
    QTemporaryDir out;
    QVERIFY(QDir().mkpath(out.filePath(blocked)));
    auto dialog = configured(out.path(), configurations().value("1:2 part"));
    BoxAnswerer answerer;
    dialog->accept();

    QCOMPARE(filesUnder(out.path()), left);
    // The only message is the host's own about the file it could not write.
    QCOMPARE(answerer.titles(), QStringList{"Error"});
    QVERIFY(answerer.boxes.first().text.contains(out.filePath(blocked)));
    QVERIFY(!helperCreated(*dialog));
}

QTEST_MAIN(TestDialogGeneration)
#include "tst_dialoggeneration.moc"
