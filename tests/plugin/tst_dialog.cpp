// The dialog's construction, meta-object and the rules that run while the user edits.
#include "dialogtestsupport.h"

#include <QMetaMethod>
#include <QTemporaryDir>

#include <memory>

using namespace DialogTest;
using DDR3PHY::DDR3PHYDialog;

namespace {

const char *const customWarningText =
    "If choose custom Memory Type, please reconfigure the address width and Timing option "
    "according the memory chip datasheet. And modify the number of address bits in the cst file. "
    "Otherwise initialization may fail.";

std::unique_ptr<DDR3PHYDialog> makeDialog()
{
    const QMap<QString, QVariant> info = coreInfo();
    return std::make_unique<DDR3PHYDialog>(&info, nullptr);
}

QString pinText(const Utils::PinFigure &pin)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(pin.name())
        .arg(pin.direction())
        .arg(pin.isBus() ? "bus" : "line")
        .arg(pin.side() == Qt::AlignLeft    ? "left"
             : pin.side() == Qt::AlignRight ? "right"
                                            : "?");
}

const QString dq8 = "8,16,24,32,40,48,56,64";
const QString dq9 = dq8 + ",72";

} // namespace

class TestDialog : public QObject
{
    Q_OBJECT
private slots:
    void frame();
    void referenceClockList();
    void controls_data();
    void controls();
    void metaMethods_data();
    void metaMethods();
    void metacast_data();
    void metacast();
    void customWarning_data();
    void customWarning();
    void widthsBeforeEccIsOffered();
    void figureBeforeWidthsOnToggle();
    void otherPagesRunNoRule_data();
    void otherPagesRunNoRule();
    void figure_data();
    void figure();
    void versionRefused_data();
    void versionRefused();
    void emptyConfigGivesDefaults();
    void restoreOrder_data();
    void restoreOrder();
};

void TestDialog::frame()
{
    auto dialog = makeDialog();
    QCOMPARE(dialog->tabTitles(), QStringList({"Type", "Options", "Timing"}));
    QCOMPARE(dialog->labelText(), QStringLiteral("DDR3 PHY Generator"));
    QCOMPARE(dialog->helpDocument(), QStringLiteral("ddr3phy_help.html"));
    QCOMPARE(dialog->moduleName(), QStringLiteral("DDR3_PHY_Top"));
    QCOMPARE(dialog->fileName(), QStringLiteral("ddr3_phy_out"));
    QCOMPARE(dialog->figurePins().size(), 35);
}

void TestDialog::referenceClockList()
{
    auto dialog = makeDialog();
    const QList<int> periods{2500,  2750,  3000,  3125,  3250,  3500,  3750,  4000,  4375,
                             5000,  5625,  6250,  6875,  7500,  8125,  8750,  9375,  10000,
                             12500, 13750, 15000, 16250, 18750, 20000, 21276, 27777, 30303,
                             33333, 35714, 37037, 40000, 41666, 50000, 55555};
    QComboBox *box = combo(dialog.get(), "comBoxReferenceClock");
    QCOMPARE(box->count(), periods.size());
    for (int i = 0; i < periods.size(); ++i) {
        QCOMPARE(box->itemText(i), QStringLiteral("%1 ps").arg(periods.at(i)));
        QCOMPARE(box->itemData(i).userType(), int(QMetaType::Int));
        QCOMPARE(box->itemData(i).toInt(), periods.at(i));
    }
    QCOMPARE(box->currentData().toInt(), 20000);
}

// Each row: steps from the constructed state, a control, what it then shows.
void TestDialog::controls_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, const char *steps, const char *control,
                        const QString &expected) {
        QTest::newRow(name) << QString(steps) << QString(control) << expected;
    };
    // Constructed: ratio 1:2 with its part loaded.
    row("new type", "", "type", "AD3U160022G11,Custom @AD3U160022G11");
    row("new clock", "", "clock", "200");
    row("new clock range", "", "clock/range", "100-300");
    row("new range label", "", "labelClockRange", "(100 - 300)");
    row("new burst", "", "comBoxBurstMode", "4,8,OTF @4");
    row("new dq", "", "dq", dq8 + " @16");
    row("new dram", "", "dram", "4,8,16 @8 locked");
    row("new row", "", "row", "12,13,14,15,16 @15 locked");
    row("new col", "", "col", "9,10 @10 locked");
    row("new cas", "", "comBoxCasLatency", "11 @11");
    row("new cw", "", "comBoxCwLatency", "5,6,7 @5");
    row("new al", "", "comBoxAdditiveLatency", "0,CL-1,CL-2 @0 locked");
    row("new ecc", "", "ecc", "off locked");
    row("new addr width", "", "spinAppAddrWidth", "29");
    row("new data width", "", "spinDataWidth", "64");
    row("new mask width", "", "spinMaskWidth", "8");
    row("new clkin", "", "labelClkin", "<-> 50 MHz");
    row("new clkout", "", "labelClkout", "<-> 5000 ps");
    row("new tRFC", "", "spinTRfc", "160000");

    // To 1:4.
    row("1:4 type", "ratio=1", "type", "MT41J128M16JT-125k,Custom @MT41J128M16JT-125k");
    row("1:4 clock range", "ratio=1", "clock/range", "100-700");
    row("1:4 range label", "ratio=1", "labelClockRange", "(100 - 700)");
    row("1:4 burst", "ratio=1", "comBoxBurstMode", "4,8,OTF @8 locked");
    row("1:4 dram", "ratio=1", "dram", "4,8,16 @16 locked");
    row("1:4 row", "ratio=1", "row", "12,13,14,15,16 @14 locked");
    row("1:4 col", "ratio=1", "col", "9,10 @10 locked");
    row("1:4 dq", "ratio=1", "dq", dq9 + " @16");
    row("1:4 cas", "ratio=1", "comBoxCasLatency", "5,6,7,8 @5");
    row("1:4 cw", "ratio=1", "comBoxCwLatency", "5,6 @5");
    row("1:4 al", "ratio=1", "comBoxAdditiveLatency", "0,CL-1,CL-2 @0 locked");
    row("1:4 addr width", "ratio=1", "spinAppAddrWidth", "28");
    row("1:4 data width", "ratio=1", "spinDataWidth", "128");
    row("1:4 mask width", "ratio=1", "spinMaskWidth", "16");
    row("1:4 resets edits", "spinTRp=999 comBoxAdditiveLatency=2 ratio=1", "spinTRp", "12500");

    // And back.
    row("1:2 again clock", "ratio=1 clock=650 ratio=0", "clock", "200");
    row("1:2 again range", "ratio=1 ratio=0", "clock/range", "100-300");
    row("1:2 again burst", "ratio=1 ratio=0", "comBoxBurstMode", "4,8,OTF @4");
    row("1:2 again dram", "ratio=1 ratio=0", "dram", "4,8,16 @8 locked");
    row("1:2 again row", "ratio=1 ratio=0", "row", "12,13,14,15,16 @15 locked");
    row("1:2 again dq", "ratio=1 ratio=0", "dq", dq8 + " @16");
    row("1:2 again cas", "ratio=1 ratio=0", "comBoxCasLatency", "11 @11");
    row("1:2 again cw", "ratio=1 ratio=0", "comBoxCwLatency", "5,6,7 @5");
    row("clock inside range still reset", "clock=250 ratio=1", "clock", "200");

    // Custom keeps the part's organisation and timings and unlocks them.
    row("1:4 custom dram", "ratio=1 type=1", "dram", "4,8,16 @16");
    row("1:4 custom row", "ratio=1 type=1", "row", "12,13,14,15,16 @14");
    row("1:4 custom col", "ratio=1 type=1", "col", "9,10 @10");
    row("1:4 custom timing kept", "ratio=1 spinTRas=30000 type=1", "spinTRas", "30000");
    row("1:4 custom dq", "ratio=1 dq=3 type=1", "dq", dq9 + " @16");
    row("1:4 custom cas", "ratio=1 type=1", "comBoxCasLatency", "5,6,7,8,9,10,11,12,13,14 @5");
    row("1:4 custom cw", "ratio=1 type=1", "comBoxCwLatency", "5,6,7,8,9,10,11,12 @5");
    row("1:4 custom al", "ratio=1 type=1", "comBoxAdditiveLatency", "0,CL-1,CL-2 @0");
    row("1:2 custom dram", "type=1", "dram", "4,8,16 @8");
    row("1:2 custom burst kept", "type=1", "comBoxBurstMode", "4,8,OTF @4");
    row("custom keeps dram edit", "type=1 dram=0 type=0 type=1", "dram", "4,8,16 @8");
    row("part again reloads timing", "type=1 spinTRfc=170000 type=0", "spinTRfc", "160000");
    row("part again locks", "ratio=1 type=1 type=0", "row", "12,13,14,15,16 @14 locked");

    // Error correction follows the DQ index.
    row("1:2 part has no 72", "dq=7", "ecc", "off locked");
    row("72 offers ecc", "ratio=1 dq=8", "ecc", "off");
    row("ecc 1:4 data", "ratio=1 dq=8 ecc=1", "spinDataWidth", "512");
    row("ecc 1:4 mask x16", "ratio=1 dq=8 ecc=1", "spinMaskWidth", "64");
    row("ecc 1:4 mask x8", "ratio=1 type=1 dram=1 dq=8 ecc=1", "spinMaskWidth", "64");
    row("ecc 1:2 data", "type=1 dq=8 ecc=1", "spinDataWidth", "256");
    row("72 without ecc 1:2", "type=1 dq=8", "spinDataWidth", "288");
    row("72 without ecc 1:4", "ratio=1 dq=8", "spinDataWidth", "576");
    row("leaving 72 clears ecc", "ratio=1 dq=8 ecc=1 dq=7", "ecc", "off locked");
    row("leaving 72 data", "ratio=1 dq=8 ecc=1 dq=7", "spinDataWidth", "512");
    row("leaving 72 to 56", "ratio=1 dq=8 ecc=1 dq=6", "spinDataWidth", "448");
    row("ratio change clears ecc", "ratio=1 dq=8 ecc=1 ratio=0", "ecc", "off locked");
    row("type change clears ecc", "ratio=1 dq=8 ecc=1 type=1", "ecc", "off locked");
    row("x4 mask", "type=1 dram=0 dq=0", "spinMaskWidth", "8");
    row("row bits in addr width", "type=1 row=4 col=1", "spinAppAddrWidth", "30");

    // Clock read-outs.
    row("ref 21276", "ref=24", "labelClkin", "<-> 47 MHz");
    row("ref 2500", "ref=0", "labelClkin", "<-> 400 MHz");
    row("ref 55555", "ref=33", "labelClkin", "<-> 18 MHz");
    row("clock 300", "clock=300", "labelClkout", "<-> 3333 ps");
    row("clock 266", "clock=266", "labelClkout", "<-> 3759 ps");
    row("clock 333", "ratio=1 clock=333", "labelClkout", "<-> 3003 ps");
    row("clock 400", "ratio=1 clock=400", "labelClkout", "<-> 2500 ps");
    row("ratio resets clkout", "clock=300 ratio=1", "labelClkout", "<-> 5000 ps");
}

void TestDialog::controls()
{
    QFETCH(QString, steps);
    QFETCH(QString, control);
    QFETCH(QString, expected);
    auto dialog = makeDialog();
    apply(dialog.get(), steps);
    QCOMPARE(describe(dialog.get(), control), expected);
}

void TestDialog::metaMethods_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<QByteArray>("parameter");
    QTest::addColumn<int>("access");

    const auto row = [](int index, const char *signature, const char *parameter,
                        QMetaMethod::Access access) {
        QTest::newRow(signature) << index << QByteArray(signature) << QByteArray(parameter)
                                 << int(access);
    };
    row(0, "accept()", "", QMetaMethod::Public);
    row(1, "onClkRatioChanged(int)", "index", QMetaMethod::Private);
    row(2, "onMemoryTypeChanged(int)", "index", QMetaMethod::Private);
    row(3, "updateInfo4User()", "", QMetaMethod::Private);
    row(4, "updateEcc(int)", "dqIndex", QMetaMethod::Private);
    row(5, "updateClk()", "", QMetaMethod::Private);
    row(6, "onGenerationFinished(int)", "exitCode", QMetaMethod::Private);
    row(7, "refreshFigure()", "", QMetaMethod::Private);
}

void TestDialog::metaMethods()
{
    QFETCH(int, index);
    QFETCH(QByteArray, signature);
    QFETCH(QByteArray, parameter);
    QFETCH(int, access);
    const QMetaObject *meta = &DDR3PHYDialog::staticMetaObject;
    QCOMPARE(meta->className(), "DDR3PHY::DDR3PHYDialog");
    QCOMPARE(meta->superClass(), &IPCore::IPGenDialog::staticMetaObject);
    QCOMPARE(meta->methodCount() - meta->methodOffset(), 8);
    QCOMPARE(meta->propertyCount(), meta->propertyOffset());
    const QMetaMethod method = meta->method(meta->methodOffset() + index);
    QCOMPARE(method.methodSignature(), signature);
    QCOMPARE(method.methodType(), QMetaMethod::Slot);
    QCOMPARE(int(method.access()), access);
    QCOMPARE(method.parameterNames().value(0), parameter);
}

void TestDialog::metacast_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<QString>("answer"); // "self", "null" or "base"

    QTest::newRow("own name") << QByteArray("DDR3PHY::DDR3PHYDialog") << false << "self";
    QTest::newRow("null") << QByteArray() << true << "null";
    QTest::newRow("base class") << QByteArray("IPCore::IPGenDialog") << false << "self";
    QTest::newRow("QDialog") << QByteArray("QDialog") << false << "self";
    QTest::newRow("other case") << QByteArray("ddr3phy::DDR3PHYDialog") << false << "null";
    QTest::newRow("trailing blank") << QByteArray("DDR3PHY::DDR3PHYDialog ") << false << "null";
    QTest::newRow("no namespace") << QByteArray("DDR3PHYDialog") << false << "null";
    QTest::newRow("package") << QByteArray("DDR3PHY::DDR3PHYPackage") << false << "null";
}

void TestDialog::metacast()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, isNull);
    QFETCH(QString, answer);
    auto dialog = makeDialog();
    void *cast = dialog->qt_metacast(isNull ? nullptr : name.constData());
    QCOMPARE(cast, answer == "self" ? static_cast<void *>(dialog.get()) : nullptr);
}

void TestDialog::customWarning_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("warnings");

    QTest::newRow("1:2 custom shown") << "type=1" << true << 1;
    QTest::newRow("1:4 custom shown") << "ratio=1 type=1" << true << 1;
    QTest::newRow("custom hidden") << "type=1" << false << 0;
    QTest::newRow("1:4 custom hidden") << "ratio=1 type=1" << false << 0;
    QTest::newRow("part again") << "type=1 type=0" << true << 1;
    QTest::newRow("ratio change from custom") << "type=1 ratio=1" << true << 1;
    QTest::newRow("ratio change only") << "ratio=1 ratio=0" << true << 0;
}

void TestDialog::customWarning()
{
    QFETCH(QString, steps);
    QFETCH(bool, visible);
    QFETCH(int, warnings);
    auto dialog = makeDialog();
    if (visible) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    BoxAnswerer answerer;
    apply(dialog.get(), steps);
    QCOMPARE(answerer.boxes.size(), warnings);
    for (const BoxAnswerer::Box &box : answerer.boxes) {
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.text, QString(customWarningText));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.parent, dialog.get());
    }
}

// A new DQ width is shown in the widths before the ECC box is offered for it.
void TestDialog::widthsBeforeEccIsOffered()
{
    auto dialog = makeDialog();
    apply(dialog.get(), "ratio=1 dq=7");
    QCheckBox *ecc = check(dialog.get(), "checkEcc");
    QList<bool> enabledWhenWidthChanged;
    QObject::connect(spin(dialog.get(), "spinDataWidth"), qOverload<int>(&QSpinBox::valueChanged),
                     [&] { enabledWhenWidthChanged << ecc->isEnabled(); });
    apply(dialog.get(), "dq=8");
    QCOMPARE(enabledWhenWidthChanged, QList<bool>{false});
    QVERIFY(ecc->isEnabled());
}

// Toggling ECC redraws the figure before the widths are recomputed.
void TestDialog::figureBeforeWidthsOnToggle()
{
    auto dialog = makeDialog();
    apply(dialog.get(), "ratio=1 dq=8");
    dialog->uiSetFigurePins({});
    QList<int> pinsWhenWidthChanged;
    QObject::connect(spin(dialog.get(), "spinDataWidth"), qOverload<int>(&QSpinBox::valueChanged),
                     [&] { pinsWhenWidthChanged << dialog->figurePins().size(); });
    apply(dialog.get(), "ecc=1");
    QCOMPARE(pinsWhenWidthChanged, QList<int>{35});
}

void TestDialog::otherPagesRunNoRule_data()
{
    QTest::addColumn<QString>("step");
    for (const char *step : {"comBoxBurstMode=2",     "comBoxBurstType=1",
                             "comBoxCwLatency=2",     "comBoxAdditiveLatency=1",
                             "comBoxWriteRecovery=4", "comBoxRttNom=0",
                             "comBoxRttWr=2",         "comBoxAddrCmdMode=1",
                             "comBoxOutputDrv=1",     "checkUserRefresh=1",
                             "checkDisableIO=0",      "spinTRtp=1000",
                             "spinTRp=1000",          "spinTWtr=1000",
                             "spinTRc=1000",          "spinTRas=1000",
                             "spinTRcd=1000",         "spinTFaw=1000",
                             "spinTRrd=1000",         "spinTCke=1000",
                             "spinTRefi=1000",        "spinTRfc=1000",
                             "spinTDllk=1000",        "dimm=1"})
        QTest::newRow(step) << QString(step);
}

// Every rule leaves a trace in a field it writes; plant markers there and see none disturbed.
void TestDialog::otherPagesRunNoRule()
{
    QFETCH(QString, step);
    auto dialog = makeDialog();
    QObject *d = dialog.get();
    dialog->uiSetFigurePins({});
    label(d, "labelClkin")->setText("marker");
    label(d, "labelClkout")->setText("marker");
    spin(d, "spinAppAddrWidth")->setValue(1);
    spin(d, "spinDataWidth")->setValue(1);
    check(d, "checkEcc")->setEnabled(true);
    BoxAnswerer answerer;
    apply(d, step);
    QCOMPARE(dialog->figurePins().size(), 0);
    QCOMPARE(label(d, "labelClkin")->text(), QStringLiteral("marker"));
    QCOMPARE(label(d, "labelClkout")->text(), QStringLiteral("marker"));
    QCOMPARE(spin(d, "spinAppAddrWidth")->value(), 1);
    QCOMPARE(spin(d, "spinDataWidth")->value(), 1);
    QVERIFY(check(d, "checkEcc")->isEnabled());
    QCOMPARE(combo(d, "comBoxMemoryType")->currentIndex(), 0);
    QVERIFY(answerer.boxes.isEmpty());
}

void TestDialog::figure_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("pin");
    QTest::addColumn<QString>("expected");

    QTest::newRow("clk") << "" << 0 << "clk 0 line right";
    QTest::newRow("cs 1:2") << "" << 2 << "mc_cs_n[1:0] 0 bus right";
    QTest::newRow("address 1:2") << "" << 6 << "mc_address[29:0] 0 bus right";
    QTest::newRow("mask 1:2") << "" << 14 << "mc_wrdata_mask[7:0] 0 bus right";
    QTest::newRow("rd data") << "" << 16 << "phy_rd_data[63:0] 1 bus right";
    QTest::newRow("ddr addr") << "" << 20 << "O_ddr_addr[14:0] 1 bus left";
    QTest::newRow("ddr reset") << "" << 30 << "O_ddr_reset_n 1 line left";
    QTest::newRow("dqm") << "" << 31 << "O_ddr_dqm[1:0] 1 bus left";
    QTest::newRow("dq") << "" << 32 << "IO_ddr_dq[15:0] 2 bus left";
    QTest::newRow("dqs_n") << "" << 34 << "IO_ddr_dqs_n[1:0] 2 bus left";
    QTest::newRow("1:4 row 16 cs") << "ratio=1 type=1 row=4" << 2 << "mc_cs_n[3:0] 0 bus right";
    QTest::newRow("1:4 row 16 address")
        << "ratio=1 type=1 row=4" << 6 << "mc_address[63:0] 0 bus right";
    QTest::newRow("1:4 bank") << "ratio=1" << 7 << "mc_bank[11:0] 0 bus right";
    QTest::newRow("one group dqs") << "type=1 dq=0" << 33 << "IO_ddr_dqs 2 bus left";
    QTest::newRow("one group mask") << "type=1 dq=0" << 14 << "mc_wrdata_mask[3:0] 0 bus right";
    QTest::newRow("x4 groups") << "type=1 dram=0 dq=0" << 31 << "O_ddr_dqm[1:0] 1 bus left";
    QTest::newRow("72 x8 1:4 data")
        << "ratio=1 type=1 dram=1 dq=8" << 13 << "mc_wrdata[575:0] 0 bus right";
    QTest::newRow("72 x8 1:4 dqs")
        << "ratio=1 type=1 dram=1 dq=8" << 33 << "IO_ddr_dqs[8:0] 2 bus left";
    QTest::newRow("ecc leaves figure")
        << "ratio=1 dq=8 ecc=1" << 13 << "mc_wrdata[575:0] 0 bus right";
}

void TestDialog::figure()
{
    QFETCH(QString, steps);
    QFETCH(int, pin);
    QFETCH(QString, expected);
    auto dialog = makeDialog();
    apply(dialog.get(), steps);
    const QList<Utils::PinFigure> pins = dialog->figurePins();
    QCOMPARE(pins.size(), 35);
    QCOMPARE(pinText(pins.at(pin)), expected);
}

void TestDialog::versionRefused_data()
{
    QTest::addColumn<QString>("versionLine");
    QTest::newRow("3.00") << "version=3.00";
    QTest::newRow("3") << "version=3";
    QTest::newRow("empty") << "version=";
    QTest::newRow("absent") << "";
    QTest::newRow("in a group") << "[Header]\nversion=3.0";
}

void TestDialog::versionRefused()
{
    QFETCH(QString, versionLine);
    QTemporaryDir dir;
    const QString path = dir.filePath("core.ipc");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((versionLine + "\n[Config]\nMEMORY_CLK=250\nCLK_RATIO=1\n").toUtf8());
    file.close();

    auto dialog = makeDialog();
    BoxAnswerer answerer;
    QVERIFY(!dialog->loadConfigFile(path));
    QCOMPARE(answerer.boxes.size(), 1);
    const BoxAnswerer::Box &box = answerer.boxes.first();
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.text, QStringLiteral("This version of specified IP Config file is incompatible "
                                      "with current IP Core Generator."));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.parent, dialog.get());
    QCOMPARE(spin(dialog.get(), "spinMemoryClock")->value(), 200);
    QCOMPARE(combo(dialog.get(), "comBoxClkRatio")->currentIndex(), 0);
}

void TestDialog::emptyConfigGivesDefaults()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("core.ipc");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("version=3.0\n");
    file.close();

    auto dialog = makeDialog();
    QObject *d = dialog.get();
    apply(d, "ratio=1 dimm=3 checkUserRefresh=1 comBoxRttNom=5 spinTDllk=600");
    dialog->uiSetLanguageIndex(1);
    BoxAnswerer answerer;
    QVERIFY(dialog->loadConfigFile(path));
    QVERIFY(answerer.boxes.isEmpty());
    QCOMPARE(dialog->uiLanguageIndex(), 0);
    for (const char *name :
         {"comBoxClkRatio", "comBoxMemoryType", "comBoxReferenceClock", "comBoxDimmType",
          "comBoxDqWidth", "comBoxDramWidth", "comBoxRowAddr", "comBoxColAddr", "comBoxBurstMode",
          "comBoxBurstType", "comBoxCasLatency", "comBoxCwLatency", "comBoxAdditiveLatency",
          "comBoxWriteRecovery", "comBoxRttNom", "comBoxRttWr", "comBoxAddrCmdMode",
          "comBoxOutputDrv"})
        QVERIFY2(combo(d, name)->currentIndex() == 0, name);
    for (const char *name : {"checkEcc", "checkUserRefresh", "checkDisableIO"})
        QVERIFY2(!check(d, name)->isChecked(), name);
    for (const char *name :
         {"spinMemoryClock", "spinRankAddr", "spinTRp", "spinTRefi", "spinTDllk"})
        QVERIFY2(spin(d, name)->value() == spin(d, name)->minimum(), name);
}

// Restoring applies the ratio and the memory type before the values their presets would
// overwrite.
void TestDialog::restoreOrder_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("expected");

    const QString custom14 = "CLK_RATIO=1\nMEMORY_TYPE=1\n";
    QTest::newRow("custom 1:4 dram") << custom14 + "DRAM_WIDTH=0\n"
                                     << "dram"
                                     << "4,8,16 @4";
    QTest::newRow("custom 1:4 dq") << custom14 + "DQ_WIDTH=8\n"
                                   << "dq" << dq9 + " @72";
    QTest::newRow("custom 1:4 ecc") << custom14 + "DQ_WIDTH=8\nECC=true\n"
                                    << "ecc"
                                    << "on";
    QTest::newRow("ecc without 72") << custom14 + "DQ_WIDTH=2\nECC=true\n"
                                    << "ecc"
                                    << "on locked";
    QTest::newRow("custom 1:4 cas") << custom14 + "CAS_LATENCY=9\n"
                                    << "comBoxCasLatency"
                                    << "5,6,7,8,9,10,11,12,13,14 @14";
    QTest::newRow("part timing kept") << "CLK_RATIO=1\ntRP=13000\n"
                                      << "spinTRp"
                                      << "13000";
    QTest::newRow("clock after ratio") << "CLK_RATIO=1\nMEMORY_CLK=650\n"
                                       << "clock"
                                       << "650";
    QTest::newRow("clock label") << "CLK_RATIO=1\nMEMORY_CLK=400\n"
                                 << "labelClkout"
                                 << "<-> 2500 ps";
    QTest::newRow("user refresh key") << "USER_FLASH=true\n"
                                      << "checkUserRefresh"
                                      << "on";
    QTest::newRow("wrong refresh key") << "USER_REFRESH=true\n"
                                       << "checkUserRefresh"
                                       << "off";
    QTest::newRow("disable io") << "DISABLE_IO=true\n"
                                << "checkDisableIO"
                                << "on";
    QTest::newRow("burst after ratio") << "CLK_RATIO=1\nBURST_MODE=2\n"
                                       << "comBoxBurstMode"
                                       << "4,8,OTF @OTF locked";
    QTest::newRow("unknown key ignored") << "FOO=1\nDIMM_TYPE=1\n"
                                         << "dimm"
                                         << "Components,RDIMMs,UDIMMs,SODIMMs @RDIMMs";
}

void TestDialog::restoreOrder()
{
    QFETCH(QString, config);
    QFETCH(QString, control);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("core.ipc");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(("version=3.0\n[Config]\n" + config).toUtf8());
    file.close();

    auto dialog = makeDialog();
    QVERIFY(dialog->loadConfigFile(path));
    QCOMPARE(describe(dialog.get(), control), expected);
}

QTEST_MAIN(TestDialog)
#include "tst_dialog.moc"
