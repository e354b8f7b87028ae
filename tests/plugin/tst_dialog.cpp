// The dialog's construction, meta-object and the rules that run while the user edits.
#include "configtable.h"
#include "dialogtestsupport.h"

#include <QSettings>
#include <QTemporaryDir>

using namespace DialogTest;
using DDR3PHY::DDR3PHYDialog;

namespace {

const QString dq8 = "dq 8,16,24,32,40,48,56,64";
const QString dq9 = dq8 + ",72";
const QString customWarning =
    "Warning: If choose custom Memory Type, please reconfigure the address width and Timing option "
    "according the memory chip datasheet. And modify the number of address bits in the cst file. "
    "Otherwise initialization may fail.";
const QString versionError = "Error: This version of specified IP Config file is incompatible with "
                             "current IP Core Generator.";

bool load(DDR3PHYDialog *dialog, const QByteArray &ipc, DDR3PHY::Record *stored = nullptr)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("core.ipc"), ipc);
    if (stored) {
        QSettings file(dir.filePath("core.ipc"), QSettings::IniFormat);
        *stored = DDR3PHY::configRecord(file);
    }
    return dialog->loadConfigFile(dir.filePath("core.ipc"));
}

} // namespace

class TestDialog : public QObject
{
    Q_OBJECT
private slots:
    void construction()
    {
        const auto dialog = newDialog(coreInfo());
        QCOMPARE(dialog->helpDocument(), QStringLiteral("ddr3phy_help.html"));

        // Each item carries the period its text shows, ascending from 2500 to 55555 ps.
        auto *reference = control<QComboBox>(dialog.get(), "ref");
        QCOMPARE(reference->count(), 34);
        for (int i = 0; i < reference->count(); ++i) {
            QCOMPARE(reference->itemData(i).userType(), int(QMetaType::Int));
            QCOMPARE(reference->itemText(i),
                     QString::number(reference->itemData(i).toInt()) + " ps");
            QVERIFY(i == 0 || reference->itemData(i - 1).toInt() < reference->itemData(i).toInt());
        }
        QCOMPARE(reference->itemData(0).toInt(), 2500);
        QCOMPARE(reference->itemData(33).toInt(), 55555);
        QCOMPARE(reference->currentData().toInt(), 20000);
    }

    // Each row: steps from the constructed state ("show" first shows the dialog, "ipc:" loads the
    // record that follows), "control what-it-shows" for each control, then the boxes that opened.
    void controls_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("boxes"); // "title: text"
        const auto row = [](const char *name, const char *steps, const QStringList &expected,
                            const QStringList &boxes = {}) {
            QTest::newRow(name) << QString(steps) << expected << boxes;
        };

        row("constructed: 1:2 part", "",
            {"type AD3U160022G11,Custom @AD3U160022G11", "clock/range 100-300", "burst 4,8,OTF @4",
             dq8 + " @16", "dram 4,8,16 @8 locked", "row 12,13,14,15,16 @15 locked",
             "col 9,10 @10 locked", "cas 11 @11", "cw 5,6,7 @5", "al 0,CL-1,CL-2 @0 locked",
             "ecc off locked", "spinAppAddrWidth 29", "spinDataWidth 64", "spinMaskWidth 8",
             "labelClkin <-> 50 MHz", "labelClkout <-> 5000 ps", "pin0 clk 0 line right",
             "pin32 IO_ddr_dq[15:0] 2 bus left", "pin35 none"});
        // A ratio change starts over from the ratio's part, whatever was edited.
        row("to 1:4", "spinTRp=999 al=2 clock=250 ratio=1",
            {"type MT41J128M16JT-125k,Custom @MT41J128M16JT-125k", "clock 200",
             "clock/range 100-700", "labelClockRange (100 - 700)", "labelClkout <-> 5000 ps",
             "burst 4,8,OTF @8 locked", dq9 + " @16", "dram 4,8,16 @16 locked",
             "row 12,13,14,15,16 @14 locked", "cas 5,6,7,8 @5", "cw 5,6 @5",
             "al 0,CL-1,CL-2 @0 locked", "spinTRp 12500", "spinAppAddrWidth 28",
             "spinDataWidth 128", "spinMaskWidth 16", "pin7 mc_bank[11:0] 0 bus right"});
        row("back to 1:2", "ratio=1 clock=650 ratio=0",
            {"clock 200", "clock/range 100-300", "labelClockRange (100 - 300)", "burst 4,8,OTF @4",
             dq8 + " @16", "dram 4,8,16 @8 locked", "row 12,13,14,15,16 @15 locked", "cas 11 @11",
             "cw 5,6,7 @5"});
        // Custom keeps the part's organisation and timings, unlocks them and offers the full lists.
        row("1:4 custom", "ratio=1 spinTRas=30000 dq=3 type=1",
            {"dram 4,8,16 @16", "row 12,13,14,15,16 @14", "col 9,10 @10", "spinTRas 30000",
             dq9 + " @16", "cas 5,6,7,8,9,10,11,12,13,14 @5", "cw 5,6,7,8,9,10,11,12 @5",
             "al 0,CL-1,CL-2 @0", "burst 4,8,OTF @8 locked"});
        row("1:2 custom", "type=1", {"dram 4,8,16 @8", "burst 4,8,OTF @4", dq9 + " @16"});
        row("part after custom", "ratio=1 type=1 dram=0 spinTRfc=170000 type=0",
            {"dram 4,8,16 @16 locked", "row 12,13,14,15,16 @14 locked", "spinTRfc 160000",
             "cas 5,6,7,8 @5"});
        row("custom organisation", "type=1 dram=0 dq=0 row=4",
            {"spinMaskWidth 8", "spinAppAddrWidth 30", "pin6 mc_address[31:0] 0 bus right",
             "pin31 O_ddr_dqm[1:0] 1 bus left"});
        // Error correction is offered for 72 bits only and drops out with every move away from it.
        row("72 offers ecc", "ratio=1 dq=8",
            {"ecc off", "spinDataWidth 576", "pin13 mc_wrdata[575:0] 0 bus right"});
        row("ecc 1:4", "ratio=1 dq=8 ecc=1", {"spinDataWidth 512", "spinMaskWidth 64"});
        row("ecc 1:2", "type=1 dq=8 ecc=1", {"spinDataWidth 256", "spinMaskWidth 32"});
        row("x4 masks above 99", "ratio=1 type=1 dram=0 dq=8", {"spinMaskWidth 144"});
        row("leaving 72", "ratio=1 dq=8 ecc=1 dq=6", {"ecc off locked", "spinDataWidth 448"});
        row("ratio change clears ecc", "ratio=1 dq=8 ecc=1 ratio=0", {"ecc off locked"});
        row("type change clears ecc", "ratio=1 dq=8 ecc=1 type=1", {"ecc off locked"});
        // Both read-outs truncate: 2750 ps is 363.6 MHz, 150 MHz is 6666.7 ps.
        row("clock read-outs", "ref=1 clock=150",
            {"labelClkin <-> 363 MHz", "labelClkout <-> 6666 ps"});
        // The other pages' controls run no rule that would undo an edit.
        row("other pages keep edits",
            "type=1 dq=8 ecc=1 al=2 spinTRp=13000 clock=250 burst=2 cw=2 comBoxRttNom=0 "
            "checkUserRefresh=1 checkDisableIO=0 spinTRfc=1000 dimm=1",
            {"type AD3U160022G11,Custom @Custom", "ecc on", "al 0,CL-1,CL-2 @CL-2", "spinTRp 13000",
             "clock 250", "burst 4,8,OTF @OTF", "spinDataWidth 256", "labelClkout <-> 4000 ps"});
        // Custom warns only while the dialog is shown, not while a saved core is opened.
        row("custom warns", "show ratio=1 type=1", {}, {customWarning});
        row("custom hidden", "ratio=1 type=1", {}, {});
        row("ratio change from custom", "show type=1 ratio=1", {}, {customWarning});
        row("ratio change only", "show ratio=1 ratio=0", {}, {});
        row("version 3.00 refused", "ipc:version=3.00\n[Config]\nMEMORY_CLK=250\nCLK_RATIO=1\n",
            {"clock 200", "ratio 1:2,1:4 @1:2"}, {versionError});
        row("version absent", "ipc:[Config]\nMEMORY_CLK=250\nCLK_RATIO=1\n", {"clock 200"},
            {versionError});
        row("stored value in a locked control",
            "ipc:version=3.0\n[Config]\nCLK_RATIO=1\nBURST_MODE=2", {"burst 4,8,OTF @OTF locked"});
    }

    void controls()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, boxes);
        auto dialog = newDialog(coreInfo());
        if (steps.startsWith("show ")) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        }
        BoxAnswerer answerer;
        if (steps.startsWith("ipc:"))
            QCOMPARE(load(dialog.get(), steps.mid(4).toUtf8()), boxes.isEmpty());
        else
            apply(dialog.get(), steps.remove(QRegularExpression("^show ")));
        for (const QString &line : expected) {
            const QString name = line.section(' ', 0, 0);
            QCOMPARE(name + ' ' + describe(dialog.get(), name), line);
        }
        QStringList shown;
        for (const BoxAnswerer::Box &box : answerer.boxes) {
            shown << box.title + ": " + box.text;
            QCOMPARE(box.icon, box.title == "Error" ? QMessageBox::Critical : QMessageBox::Warning);
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(box.parent, dialog.get());
        }
        QCOMPARE(shown, boxes);
    }

    // Missing keys read as zero: first items, cleared boxes, spin boxes at their minimum.
    void emptyRecordGivesDefaults()
    {
        auto dialog = newDialog(coreInfo());
        QObject *d = dialog.get();
        apply(d, "ratio=1 dimm=3 checkUserRefresh=1 comBoxRttNom=5 spinTDllk=600 spinTRp=13000");
        dialog->uiSetLanguageIndex(1);
        BoxAnswerer answerer;
        QVERIFY(load(dialog.get(), "version=3.0\n"));
        QVERIFY(answerer.boxes.isEmpty());
        QCOMPARE(dialog->uiLanguageIndex(), 0);
        QCOMPARE(dialog->uiSynthesisTool(), QString());
        for (const QString &name : storedControls(d)) {
            QWidget *w = control(d, name);
            if (auto *box = qobject_cast<QComboBox *>(w))
                QVERIFY2(box->currentIndex() == 0, qPrintable(name));
            if (auto *checkBox = qobject_cast<QCheckBox *>(w))
                QVERIFY2(!checkBox->isChecked(), qPrintable(name));
            if (auto *spinBox = qobject_cast<QSpinBox *>(w))
                QVERIFY2(spinBox->value() == spinBox->minimum(), qPrintable(name));
        }
    }

    // Every control that holds a setting has one row, of the kind its widget stores.
    void tableCoversControls()
    {
        auto dialog = newDialog(coreInfo());
        QStringList rows;
        for (const DDR3PHY::ConfigRow &row : DDR3PHY::configTable()) {
            if (!row.key || row.kind == DDR3PHY::Kind::Text ||
                row.control == DDR3PHY::frameLanguage)
                continue;
            const QList<QWidget *> found = dialog->findChildren<QWidget *>(row.control);
            QCOMPARE(found.size(), 1);
            const char *widgetClass = row.kind == DDR3PHY::Kind::Index  ? "QComboBox"
                                      : row.kind == DDR3PHY::Kind::Bool ? "QCheckBox"
                                                                        : "QSpinBox";
            QCOMPARE(found.first()->metaObject()->className(), widgetClass);
            rows << row.control;
        }
        QCOMPARE(QSet<QString>(rows.cbegin(), rows.cend()), storedControls(dialog.get()));
        QCOMPARE(rows.size(), 35);
    }

    // Values go into the controls as toInt(), toBool() and toString() give them, indices as they
    // are, with no message; the notes tell the host what the conversion changed.
    void restore_data()
    {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QStringList>("expected"); // "control what-it-shows", "tool", "language"
        QTest::addColumn<QStringList>("notes");
        const auto row = [](const char *name, const char *config, const QStringList &expected,
                            const QStringList &notes = {}) {
            QTest::newRow(name) << QString(config) << expected << notes;
        };
        row("DQ width not a number", "DQ_WIDTH=abc", {dq8 + " @8"},
            {"DQ_WIDTH = \"abc\" restored as \"0\""});
        row("DQ width past the part's list", "DQ_WIDTH=8", {dq8 + " @"},
            {"DQ_WIDTH = \"8\": no such item, comBoxDqWidth is left without a current item"});
        row("ECC no is true", "CLK_RATIO=1\nDQ_WIDTH=8\nECC=no", {"ecc on"},
            {"ECC = \"no\" restored as \"true\""});
        row("ECC 0", "CLK_RATIO=1\nDQ_WIDTH=8\nECC=0", {"ecc off"},
            {"ECC = \"0\" restored as \"false\""});
        row("clock ratio past the list", "CLK_RATIO=5",
            {"ratio 1:2,1:4 @", "type MT41J128M16JT-125k,Custom @MT41J128M16JT-125k",
             "clock/range 100-700", "clock 100", dq9 + " @8"},
            {"CLK_RATIO = \"5\": no such item, comBoxClkRatio is left without a current item"});
        row("unknown tool", "Synthesis_tool=Foo", {"tool "},
            {"Synthesis_tool = \"Foo\" restored as \"\""});
        row("language past the list", "Synthesis_tool=VeltraSynthesis\nLANG=7",
            {"tool VeltraSynthesis", "language -1"}, {"LANG = \"7\" restored as \"-1\""});
        row("clock not a number", "MEMORY_CLK=fast", {"clock 100"},
            {"MEMORY_CLK = \"fast\" restored as \"100\""});
        row("clock above the range", "MEMORY_CLK=999", {"clock 300"},
            {"MEMORY_CLK = \"999\" restored as \"300\""});
        row("leading zero", "MEMORY_CLK=0250", {"clock 250"});
        row("old key for User Refresh", "USER_REFRESH=true", {"checkUserRefresh off"});
    }

    void restore()
    {
        QFETCH(QString, config);
        QFETCH(QStringList, expected);
        auto dialog = newDialog(coreInfo());
        dialog->uiSetSynthesisTool("Synplify Pro");
        BoxAnswerer answerer;
        DDR3PHY::Record stored;
        QVERIFY(load(dialog.get(), "version=3.0\n[Config]\n" + config.toUtf8() + "\n", &stored));
        QVERIFY(answerer.boxes.isEmpty());
        for (const QString &line : expected) {
            const QString name = line.section(' ', 0, 0);
            const QString shown = name == "tool"       ? dialog->uiSynthesisTool()
                                  : name == "language" ? QString::number(dialog->uiLanguageIndex())
                                                       : describe(dialog.get(), name);
            QCOMPARE(name + ' ' + shown, line);
        }
        QTEST(DDR3PHY::conversionNotes(stored, dialog->configRecord()), "notes");
    }
};

QTEST_MAIN(TestDialog)
#include "tst_dialog.moc"
