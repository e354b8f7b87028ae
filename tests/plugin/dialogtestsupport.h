#pragma once

// Shared by the dialog tests: a core information map, widget look-ups by object name and an
// answerer for the modal message boxes the dialog and the host open.

#include "ddr3phydialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QList>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStringList>
#include <QTest>
#include <QTimer>

namespace DialogTest {

inline QMap<QString, QVariant> coreInfo()
{
    const QString source = qEnvironmentVariable("DDR3PHY_SOURCE_DIR");
    return {
        {QStringLiteral("ipcore.id"), QStringLiteral("ddr3_phy")},
        {QStringLiteral("ipcore.name"), QStringLiteral("DDR3 PHY")},
        {QStringLiteral("ipcore.label"), QStringLiteral("DDR3 PHY Generator")},
        {QStringLiteral("ipcore.target"), QStringLiteral("ddr3_phy_out")},
        {QStringLiteral("ipcore.module"), QStringLiteral("DDR3_PHY_Top")},
        {QStringLiteral("ipcore.doc.help"), QStringLiteral("ddr3phy_help.html")},
        {QStringLiteral("ipcore.dir.data"), source + QStringLiteral("/core/ddr3phy/data")},
    };
}

template <typename T> T *control(QObject *dialog, const char *name)
{
    T *widget = dialog->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

inline QComboBox *combo(QObject *dialog, const char *name)
{
    return control<QComboBox>(dialog, name);
}

inline QSpinBox *spin(QObject *dialog, const char *name)
{
    return control<QSpinBox>(dialog, name);
}

inline QCheckBox *check(QObject *dialog, const char *name)
{
    return control<QCheckBox>(dialog, name);
}

inline QLabel *label(QObject *dialog, const char *name)
{
    return control<QLabel>(dialog, name);
}

inline QStringList items(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

// Short names for the controls the tables change most.
inline QString objectName(const QString &alias)
{
    static const QMap<QString, QString> aliases{
        {"ratio", "comBoxClkRatio"},     {"type", "comBoxMemoryType"}, {"dq", "comBoxDqWidth"},
        {"dram", "comBoxDramWidth"},     {"row", "comBoxRowAddr"},     {"col", "comBoxColAddr"},
        {"ref", "comBoxReferenceClock"}, {"clock", "spinMemoryClock"}, {"ecc", "checkEcc"},
        {"dimm", "comBoxDimmType"}};
    return aliases.value(alias, alias);
}

inline QWidget *widget(QObject *dialog, const QString &alias)
{
    auto *w = dialog->findChild<QWidget *>(objectName(alias));
    if (!w)
        qFatal("no control %s", qPrintable(alias));
    return w;
}

// "name=value" sets a combo box index, a spin box value or a check state.
inline void apply(QObject *dialog, const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = step.split(QLatin1Char('='));
        QWidget *w = widget(dialog, parts.at(0));
        const int value = parts.at(1).toInt();
        if (auto *box = qobject_cast<QComboBox *>(w))
            box->setCurrentIndex(value);
        else if (auto *spinBox = qobject_cast<QSpinBox *>(w))
            spinBox->setValue(value);
        else if (auto *checkBox = qobject_cast<QCheckBox *>(w))
            checkBox->setChecked(value != 0);
    }
}

// A control as one comparable text: items and selection, value (or "min-max" for "name/range"),
// check state or label text, with " locked" when disabled.
inline QString describe(QObject *dialog, const QString &what)
{
    const QStringList parts = what.split(QLatin1Char('/'));
    QWidget *w = widget(dialog, parts.at(0));
    QString text;
    if (auto *box = qobject_cast<QComboBox *>(w))
        text = items(box).join(QLatin1Char(',')) + " @" + box->currentText();
    else if (auto *spinBox = qobject_cast<QSpinBox *>(w))
        text = parts.size() > 1
                   ? QStringLiteral("%1-%2").arg(spinBox->minimum()).arg(spinBox->maximum())
                   : QString::number(spinBox->value());
    else if (auto *checkBox = qobject_cast<QCheckBox *>(w))
        text = checkBox->isChecked() ? "on" : "off";
    else if (auto *lbl = qobject_cast<QLabel *>(w))
        text = lbl->text();
    return w->isEnabled() ? text : text + " locked";
}

// The object names of every control and read-out on the three pages.
inline QStringList pageControls(QObject *dialog)
{
    static const QRegularExpression pattern(QStringLiteral("^(comBox|spin|check|labelCl)"));
    QStringList names;
    for (const QWidget *w : dialog->findChildren<QWidget *>(pattern))
        names << w->objectName();
    names.sort();
    return names;
}

// Answers every modal message box that opens while it lives, in order, with the queued buttons
// (then with `fallback`), and keeps what each box showed.
class BoxAnswerer : public QObject
{
public:
    struct Box
    {
        QString title;
        QString text;
        QString details;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QWidget *parent;
    };

    explicit BoxAnswerer(QList<QMessageBox::StandardButton> answers = {},
                         QMessageBox::StandardButton fallback = QMessageBox::Ok)
        : m_answers(std::move(answers)), m_fallback(fallback)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { answer(); });
        m_timer.start();
    }

    QList<Box> boxes;

    QStringList titles() const
    {
        QStringList list;
        for (const Box &box : boxes)
            list << box.title;
        return list;
    }

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        boxes.append({box->windowTitle(), box->text(), box->detailedText(), box->icon(),
                      box->standardButtons(), box->parentWidget()});
        const QMessageBox::StandardButton choice =
            m_answers.isEmpty() ? m_fallback : m_answers.takeFirst();
        if (QAbstractButton *button = box->button(choice))
            button->click();
        else
            box->reject();
    }

    QTimer m_timer;
    QList<QMessageBox::StandardButton> m_answers;
    QMessageBox::StandardButton m_fallback;
};

} // namespace DialogTest
