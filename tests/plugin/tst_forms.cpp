// The three page forms as the dialog receives them: a plain widget right after setupUi, before
// any rule has touched it. Item order, ranges and the label beside each control are what the
// rules, the stored configuration and the user depend on.

#include "ddr3phyforms.h"

#include <QtTest>

#include <memory>

namespace {

enum class Page { Type, Option, Timing };

std::unique_ptr<QWidget> makePage(Page page, const QString &objectName = QString())
{
    auto widget = std::make_unique<QWidget>();
    widget->setObjectName(objectName);
    switch (page) {
    case Page::Type:
        DDR3PHY::DDR3PHY_Config_Type().setupUi(widget.get());
        break;
    case Page::Option:
        DDR3PHY::DDR3PHY_Config_Option().setupUi(widget.get());
        break;
    case Page::Timing:
        DDR3PHY::DDR3PHY_Config_Timing().setupUi(widget.get());
        break;
    }
    return widget;
}

// The text of the label in the grid cell left of the control, or of the container holding it.
QString labelBeside(QWidget *control)
{
    for (QWidget *w = control; w->parentWidget(); w = w->parentWidget()) {
        auto *grid = qobject_cast<QGridLayout *>(w->parentWidget()->layout());
        const int index = grid ? grid->indexOf(w) : -1;
        if (index < 0)
            continue;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        QLayoutItem *item = column > 0 ? grid->itemAtPosition(row, column - 1) : nullptr;
        auto *label = item ? qobject_cast<QLabel *>(item->widget()) : nullptr;
        return label ? label->text() : QString();
    }
    return QString();
}

// Marks every text asked for under one context without disambiguation, to see which context
// the forms translate with.
class MarkingTranslator : public QTranslator
{
public:
    explicit MarkingTranslator(QString context) : m_context(std::move(context)) {}

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int) const override
    {
        if (QLatin1String(context) != m_context || (disambiguation && *disambiguation))
            return QString();
        return QLatin1Char('[') + QString::fromUtf8(sourceText) + QLatin1Char(']');
    }
    bool isEmpty() const override { return false; }

private:
    QString m_context;
};

} // namespace

Q_DECLARE_METATYPE(Page)

class TestForms : public QObject
{
    Q_OBJECT

private slots:
    void objectName_data();
    void objectName();
    void translationContext_data();
    void translationContext();
    void comboDefaults_data();
    void comboDefaults();
    void spinDefaults_data();
    void spinDefaults();
    void checkDefaults_data();
    void checkDefaults();
    void labelTexts_data();
    void labelTexts();
    void controlLabels_data();
    void controlLabels();
};

void TestForms::objectName_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("expected");

    const struct
    {
        const char *tag;
        Page page;
        QString name;
    } pages[] = {
        {"type", Page::Type, "DDR3PHY__DDR3PHY_Config_Type"},
        {"option", Page::Option, "DDR3PHY__DDR3PHY_Config_Option"},
        {"timing", Page::Timing, "DDR3PHY__DDR3PHY_Config_Timing"},
    };
    for (const auto &p : pages) {
        QTest::addRow("%s unnamed", p.tag) << p.page << QString() << p.name;
        QTest::addRow("%s named", p.tag) << p.page << "tabPage"
                                         << "tabPage";
    }
}

void TestForms::objectName()
{
    QFETCH(Page, page);
    QFETCH(QString, preset);
    QFETCH(QString, expected);

    QCOMPARE(makePage(page, preset)->objectName(), expected);
}

void TestForms::translationContext_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("context");

    QTest::newRow("type") << Page::Type << "DDR3PHY::DDR3PHY_Config_Type";
    QTest::newRow("option") << Page::Option << "DDR3PHY::DDR3PHY_Config_Option";
    QTest::newRow("timing") << Page::Timing << "DDR3PHY::DDR3PHY_Config_Timing";
}

void TestForms::translationContext()
{
    QFETCH(Page, page);
    QFETCH(QString, context);

    MarkingTranslator translator(context);
    QCoreApplication::installTranslator(&translator);
    const auto widget = makePage(page);
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(widget->windowTitle(), QStringLiteral("[Form]"));
}

void TestForms::comboDefaults_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("current");

    // Filled at run time by the dialog and its rules.
    QTest::newRow("MemoryType") << Page::Type << "comBoxMemoryType" << QStringList() << -1;
    QTest::newRow("ReferenceClock") << Page::Type << "comBoxReferenceClock" << QStringList() << -1;

    QTest::newRow("ClkRatio") << Page::Type << "comBoxClkRatio" << QStringList{"1:2", "1:4"} << 0;
    QTest::newRow("DimmType") << Page::Type << "comBoxDimmType"
                              << QStringList{"Components", "RDIMMs", "UDIMMs", "SODIMMs"} << 2;
    QTest::newRow("DqWidth") << Page::Type << "comBoxDqWidth"
                             << QStringList{"8", "16", "24", "32", "40", "48", "56", "64", "72"}
                             << 1;
    QTest::newRow("DramWidth") << Page::Type << "comBoxDramWidth" << QStringList{"4", "8", "16"}
                               << 1;
    QTest::newRow("RowAddr") << Page::Type << "comBoxRowAddr"
                             << QStringList{"12", "13", "14", "15", "16"} << 3;
    QTest::newRow("ColAddr") << Page::Type << "comBoxColAddr" << QStringList{"9", "10"} << 1;

    QTest::newRow("BurstMode") << Page::Option << "comBoxBurstMode" << QStringList{"4", "8", "OTF"}
                               << 0;
    QTest::newRow("BurstType") << Page::Option << "comBoxBurstType" << QStringList{"SEQ", "INT"}
                               << 0;
    QTest::newRow("CasLatency") << Page::Option << "comBoxCasLatency"
                                << QStringList{"5",  "6",  "7",  "8",  "9",
                                               "10", "11", "12", "13", "14"}
                                << 0;
    QTest::newRow("CwLatency") << Page::Option << "comBoxCwLatency"
                               << QStringList{"5", "6", "7", "8", "9", "10", "11", "12"} << 0;
    QTest::newRow("AdditiveLatency")
        << Page::Option << "comBoxAdditiveLatency" << QStringList{"0", "CL-1", "CL-2"} << 0;
    // Odd recovery times above 8 do not exist.
    QTest::newRow("WriteRecovery") << Page::Option << "comBoxWriteRecovery"
                                   << QStringList{"5", "6", "7", "8", "10", "12", "14", "16"} << 1;
    QTest::newRow("RttNom") << Page::Option << "comBoxRttNom"
                            << QStringList{"OFF", "20", "30", "40", "60", "120"} << 3;
    QTest::newRow("RttWr") << Page::Option << "comBoxRttWr" << QStringList{"OFF", "60", "120"} << 0;
    QTest::newRow("AddrCmdMode") << Page::Option << "comBoxAddrCmdMode" << QStringList{"1T", "2T"}
                                 << 0;
    QTest::newRow("OutputDrv") << Page::Option << "comBoxOutputDrv" << QStringList{"LOW", "HIGH"}
                               << 0;
}

void TestForms::comboDefaults()
{
    QFETCH(Page, page);
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(int, current);

    const auto widget = makePage(page);
    const auto *combo = widget->findChild<QComboBox *>(name);
    QVERIFY(combo);
    QStringList actual;
    for (int i = 0; i < combo->count(); ++i)
        actual << combo->itemText(i);
    QCOMPARE(actual, items);
    QCOMPARE(combo->currentIndex(), current);
}

void TestForms::spinDefaults_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("buttons");

    QTest::newRow("MemoryClock") << Page::Type << "spinMemoryClock" << 100 << 400 << 300 << "300MHz"
                                 << false << true;
    QTest::newRow("RankAddr") << Page::Type << "spinRankAddr" << 1 << 1 << 1 << "1" << true << true;
    QTest::newRow("BankAddr") << Page::Type << "spinBox" << 3 << 3 << 3 << "3" << false << true;
    QTest::newRow("AppAddrWidth") << Page::Type << "spinAppAddrWidth" << 0 << 999 << 27 << "27"
                                  << true << false;
    QTest::newRow("DataWidth") << Page::Type << "spinDataWidth" << 0 << 999 << 64 << "64" << true
                               << false;
    QTest::newRow("MaskWidth") << Page::Type << "spinMaskWidth" << 0 << 99 << 8 << "8" << true
                               << false;

    const struct
    {
        const char *name;
        int maximum;
        int value;
        const char *shown;
    } timings[] = {
        {"spinTRtp", 99999, 7500, "7500ps"},
        {"spinTRp", 99999, 12500, "12500ps"},
        {"spinTWtr", 99999, 7500, "7500ps"},
        {"spinTRc", 99999, 55000, "55000ps"},
        {"spinTRas", 99999, 37500, "37500ps"},
        {"spinTRcd", 99999, 12500, "12500ps"},
        {"spinTFaw", 99999, 40000, "40000ps"},
        {"spinTRrd", 99999, 7500, "7500ps"},
        {"spinTCke", 999999, 75000, "75000ps"},
        {"spinTRefi", 9999999, 7800000, "7800000ps"},
        {"spinTRfc", 9999999, 160000, "160000ps"},
        {"spinTDllk", 99999, 512, "512"}, // a count of clock cycles, no unit
    };
    for (const auto &t : timings)
        QTest::newRow(t.name) << Page::Timing << t.name << 1 << t.maximum << t.value << t.shown
                              << false << true;
}

void TestForms::spinDefaults()
{
    QFETCH(Page, page);
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(QString, shown);
    QFETCH(bool, readOnly);
    QFETCH(bool, buttons);

    const auto widget = makePage(page);
    const auto *spin = widget->findChild<QSpinBox *>(name);
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), minimum);
    QCOMPARE(spin->maximum(), maximum);
    QCOMPARE(spin->value(), value);
    QCOMPARE(spin->text(), shown);
    QVERIFY(spin->isEnabled());
    QCOMPARE(spin->isReadOnly(), readOnly);
    QCOMPARE(spin->buttonSymbols() != QAbstractSpinBox::NoButtons, buttons);
}

void TestForms::checkDefaults_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("checked");

    QTest::newRow("Ecc") << Page::Type << "checkEcc"
                         << "Ecc" << false;
    QTest::newRow("UserRefresh") << Page::Option << "checkUserRefresh"
                                 << "User Refresh" << false;
    QTest::newRow("DisableIO") << Page::Option << "checkDisableIO"
                               << "Disable I/O Insertion" << true;
}

void TestForms::checkDefaults()
{
    QFETCH(Page, page);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, checked);

    const auto widget = makePage(page);
    const auto *check = widget->findChild<QCheckBox *>(name);
    QVERIFY(check);
    QCOMPARE(check->text(), text);
    QCOMPARE(check->isChecked(), checked);
    QVERIFY(check->isEnabled());
}

void TestForms::labelTexts_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("utf8");

    QTest::newRow("ClockRange") << Page::Type << "labelClockRange" << QByteArray("(100 - 400)");
    QTest::newRow("Clkout") << Page::Type << "labelClkout" << QByteArray("TextLabel");
    QTest::newRow("Clkin") << Page::Type << "labelClkin" << QByteArray("TextLabel");
    // U+2019 between the width and the base letter, not the ASCII apostrophe.
    QTest::newRow("Slot0") << Page::Option << "label_12"
                           << QByteArray("8\xE2\x80\x99"
                                         "b00000001");
    QTest::newRow("Slot1") << Page::Option << "label_13"
                           << QByteArray("8\xE2\x80\x99"
                                         "b00000000");
}

void TestForms::labelTexts()
{
    QFETCH(Page, page);
    QFETCH(QString, name);
    QFETCH(QByteArray, utf8);

    const auto widget = makePage(page);
    const auto *label = widget->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text().toUtf8(), utf8);
}

void TestForms::controlLabels_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");

    const struct
    {
        Page page;
        const char *name;
        const char *label;
    } controls[] = {
        {Page::Type, "comBoxMemoryType", "Memory Type:"},
        {Page::Type, "comBoxClkRatio", "CLK Ratio:"},
        {Page::Type, "spinMemoryClock", "Memory Clock:"},
        {Page::Type, "comBoxReferenceClock", "Reference Clock:"},
        {Page::Type, "comBoxDimmType", "DIMM Type:"},
        {Page::Type, "comBoxDqWidth", "Dq Width:"},
        {Page::Type, "comBoxDramWidth", "Dram Width:"},
        {Page::Type, "spinRankAddr", "Rank Address:"},
        {Page::Type, "spinBox", "Bank Address:"},
        {Page::Type, "comBoxRowAddr", "Row Address:"},
        {Page::Type, "comBoxColAddr", "Column Address:"},
        {Page::Type, "spinAppAddrWidth", "Addr Width:"},
        {Page::Type, "spinDataWidth", "Data Width:"},
        {Page::Type, "spinMaskWidth", "Mask Width:"},
        {Page::Option, "comBoxBurstMode", "Burst Mode:"},
        {Page::Option, "comBoxBurstType", "Burst Type:"},
        {Page::Option, "comBoxCasLatency", "CAS Latency:"},
        {Page::Option, "comBoxCwLatency", "CW Latency:"},
        {Page::Option, "comBoxAdditiveLatency", "Additive Latency:"},
        {Page::Option, "comBoxWriteRecovery", "Write Recovery:"},
        {Page::Option, "label_12", "SLOT_0_CONFIG:"},
        {Page::Option, "label_13", "SLOT_1_CONFIG:"},
        {Page::Option, "comBoxRttNom", "Rtt Nom:"},
        {Page::Option, "comBoxRttWr", "Rtt Wr:"},
        {Page::Option, "comBoxAddrCmdMode", "Addr Cmd Mode:"},
        {Page::Option, "comBoxOutputDrv", "OUTPUT DRV:"},
        {Page::Timing, "spinTRtp", "tRTP Period:"},
        {Page::Timing, "spinTRp", "tRP Period:"},
        {Page::Timing, "spinTWtr", "tWTR Period:"},
        {Page::Timing, "spinTRc", "tRC Period:"},
        {Page::Timing, "spinTRas", "tRAS Period:"},
        {Page::Timing, "spinTRcd", "tRCD Period:"},
        {Page::Timing, "spinTFaw", "tFAW Period:"},
        {Page::Timing, "spinTRrd", "tRRD Period:"},
        {Page::Timing, "spinTCke", "tCKE Period:"},
        {Page::Timing, "spinTRefi", "tREFI Period:"},
        {Page::Timing, "spinTRfc", "tRFC Period:"},
        {Page::Timing, "spinTDllk", "tDLLK:"},
    };
    for (const auto &c : controls)
        QTest::newRow(c.name) << c.page << c.name << c.label;
}

void TestForms::controlLabels()
{
    QFETCH(Page, page);
    QFETCH(QString, name);
    QFETCH(QString, label);

    const auto widget = makePage(page);
    auto *control = widget->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(labelBeside(control), label);
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
