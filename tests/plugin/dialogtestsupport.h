#pragma once

// Shared by the dialog tests: a core information map, controls by short name and files.

#include "../host/hostfixtures.h"
#include "../host/modalanswerer.h"
#include "ddr3phydialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTest>

#include <memory>

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

inline std::unique_ptr<DDR3PHY::DDR3PHYDialog> newDialog(const QMap<QString, QVariant> &info)
{
    return std::make_unique<DDR3PHY::DDR3PHYDialog>(&info, nullptr);
}

// A control by object name, or by the short name of one the tables change most.
template <typename T = QWidget> T *control(QObject *dialog, const QString &name)
{
    static const QMap<QString, QString> aliases{
        {"ratio", "comBoxClkRatio"},     {"type", "comBoxMemoryType"}, {"dq", "comBoxDqWidth"},
        {"dram", "comBoxDramWidth"},     {"row", "comBoxRowAddr"},     {"col", "comBoxColAddr"},
        {"ref", "comBoxReferenceClock"}, {"clock", "spinMemoryClock"}, {"ecc", "checkEcc"},
        {"dimm", "comBoxDimmType"},      {"cas", "comBoxCasLatency"},  {"cw", "comBoxCwLatency"},
        {"al", "comBoxAdditiveLatency"}, {"burst", "comBoxBurstMode"}};
    T *widget = dialog->findChild<T *>(aliases.value(name, name));
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

// "name=value" sets a combo box index, a spin box value or a check state.
inline void apply(QObject *dialog, const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QWidget *w = control(dialog, step.section(QLatin1Char('='), 0, 0));
        const int value = step.section(QLatin1Char('='), 1).toInt();
        if (auto *box = qobject_cast<QComboBox *>(w))
            box->setCurrentIndex(value);
        else if (auto *spinBox = qobject_cast<QSpinBox *>(w))
            spinBox->setValue(value);
        else if (auto *checkBox = qobject_cast<QCheckBox *>(w))
            checkBox->setChecked(value != 0);
    }
}

// A control as one comparable text: items and selection, value (or "min-max" for "name/range"),
// check state or label text, with " locked" when disabled. "pinN" is the figure's pin N.
inline QString describe(QObject *dialog, const QString &what)
{
    if (what.startsWith(QLatin1String("pin"))) {
        const auto pins = qobject_cast<IPCore::IPGenDialog *>(dialog)->figurePins();
        const int index = what.mid(3).toInt();
        if (index >= pins.size())
            return QStringLiteral("none");
        const Utils::PinFigure &p = pins.at(index);
        const char *side = p.side() == Qt::AlignLeft    ? "left"
                           : p.side() == Qt::AlignRight ? "right"
                                                        : "?";
        return QStringLiteral("%1 %2 %3 %4")
            .arg(p.name(), QString::number(p.direction()), p.isBus() ? "bus" : "line", side);
    }
    QWidget *w = control(dialog, what.section(QLatin1Char('/'), 0, 0));
    QString text;
    if (auto *box = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < box->count(); ++i)
            text += (i ? "," : "") + box->itemText(i);
        text += " @" + box->currentText();
    } else if (auto *spinBox = qobject_cast<QSpinBox *>(w)) {
        text = what.contains(QLatin1Char('/'))
                   ? QStringLiteral("%1-%2").arg(spinBox->minimum()).arg(spinBox->maximum())
                   : QString::number(spinBox->value());
    } else if (auto *checkBox = qobject_cast<QCheckBox *>(w)) {
        text = checkBox->isChecked() ? "on" : "off";
    } else if (auto *lbl = qobject_cast<QLabel *>(w)) {
        text = lbl->text();
    }
    return w->isEnabled() ? text : text + " locked";
}

// The object names of every control and read-out on the three pages.
inline QStringList pageControls(QObject *dialog)
{
    static const QRegularExpression pattern(QStringLiteral("^(comBox|spin|check|labelCl)"));
    QStringList names;
    for (const QWidget *w : dialog->findChildren<QWidget *>(pattern))
        names << w->objectName();
    return names;
}

// The controls whose values the configuration record holds: the page controls without the
// read-outs and the widths computed from the others.
inline QSet<QString> storedControls(QObject *dialog)
{
    const QStringList names = pageControls(dialog);
    QSet<QString> stored(names.cbegin(), names.cend());
    for (const char *computed : {"spinBox", "spinAppAddrWidth", "spinDataWidth", "spinMaskWidth"})
        stored.remove(QLatin1String(computed));
    for (const QString &name : names.filter(QRegularExpression(QStringLiteral("^label"))))
        stored.remove(name);
    return stored;
}

using HostTest::readBytes;

inline void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(data);
}

} // namespace DialogTest
