// The three page forms as the dialog receives them: a plain widget right after setupUi, before
// any rule has touched it. Item order, default indices, ranges and the label beside each control
// are what the rules, the stored configuration and the user depend on; controls the rules fill in
// and lists the written files pin down are checked there.

#include "ddr3phyforms.h"

#include <QtTest>

#include <array>
#include <memory>

namespace {

enum class Page { Type, Option, Timing };

template <typename Form> void setUp(QWidget *page)
{
    Form().setupUi(page);
}

std::unique_ptr<QWidget> makePage(Page page)
{
    static const std::array<void (*)(QWidget *), 3> setUps{setUp<DDR3PHY::DDR3PHY_Config_Type>,
                                                           setUp<DDR3PHY::DDR3PHY_Config_Option>,
                                                           setUp<DDR3PHY::DDR3PHY_Config_Timing>};
    auto widget = std::make_unique<QWidget>();
    setUps.at(int(page))(widget.get());
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

// One line for the state a control shows: "items @current" for a combo box, "min..max text"
// plus "read-only" for a spin box, "text [x]" for a check box, the text of a label.
QString stateOf(QWidget *control)
{
    QString state;
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        state = QStringLiteral("%1 @%2").arg(items.join(' ')).arg(combo->currentIndex());
    } else if (auto *spin = qobject_cast<QSpinBox *>(control)) {
        state =
            QStringLiteral("%1..%2 %3").arg(spin->minimum()).arg(spin->maximum()).arg(spin->text());
        if (spin->isReadOnly())
            state += QLatin1String(" read-only");
    } else if (auto *check = qobject_cast<QCheckBox *>(control)) {
        state = check->text() + (check->isChecked() ? " [x]" : " [ ]");
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        state = label->text();
    }
    return control->isEnabled() ? state : state + QLatin1String(" disabled");
}

} // namespace

Q_DECLARE_METATYPE(Page)

class TestForms : public QObject
{
    Q_OBJECT

private slots:
    void controls_data()
    {
        QTest::addColumn<Page>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label"); // beside the control; empty for one with its own text
        QTest::addColumn<QByteArray>("state");

        const struct
        {
            Page page;
            const char *name;
            const char *label;
            const char *state;
        } controls[] = {
            {Page::Type, "comBoxClkRatio", "CLK Ratio:", "1:2 1:4 @0"},
            {Page::Type, "comBoxDimmType", "DIMM Type:", "Components RDIMMs UDIMMs SODIMMs @2"},
            {Page::Type, "spinRankAddr", "Rank Address:", "1..1 1 read-only"},
            // U+2019 between the width and the base letter, not the ASCII apostrophe.
            {Page::Option, "label_12", "SLOT_0_CONFIG:", "8\u2019b00000001"},
            {Page::Option, "label_13", "SLOT_1_CONFIG:", "8\u2019b00000000"},
            {Page::Option, "checkUserRefresh", "", "User Refresh [ ]"},
            {Page::Option, "checkDisableIO", "", "Disable I/O Insertion [x]"},
            {Page::Timing, "spinTRtp", "tRTP Period:", "1..99999 7500ps"},
            {Page::Timing, "spinTCke", "tCKE Period:", "1..999999 75000ps"},
            {Page::Timing, "spinTRfc", "tRFC Period:", "1..9999999 160000ps"},
            {Page::Timing, "spinTDllk", "tDLLK:", "1..99999 512"}, // clock cycles, no unit
        };
        for (const auto &c : controls)
            QTest::newRow(c.name) << c.page << c.name << c.label << QByteArray(c.state);
    }

    void controls()
    {
        QFETCH(Page, page);
        QFETCH(QString, name);

        const auto widget = makePage(page);
        auto *control = widget->findChild<QWidget *>(name);
        QVERIFY(control);
        QTEST(labelBeside(control), "label");
        QTEST(stateOf(control).toUtf8(), "state");
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
