#include "dialogdriver.h"

#include "hostsession.h"
#include "ipgendialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace IPGenApp {

namespace {

const QString memoryClockTitle = QStringLiteral("Memory Clock");

QString iconKind(QMessageBox::Icon icon)
{
    switch (icon) {
    case QMessageBox::Warning:
        return QStringLiteral("warning");
    case QMessageBox::Critical:
        return QStringLiteral("critical");
    case QMessageBox::Question:
        return QStringLiteral("question");
    case QMessageBox::Information:
        return QStringLiteral("information");
    case QMessageBox::NoIcon:
        break;
    }
    return QStringLiteral("none");
}

// The box's default button; Qt's static functions make the first accept-role button the
// default, so a box without one (Yes/No questions) is answered with its Yes/OK button.
QAbstractButton *defaultAnswer(QMessageBox *box)
{
    if (box->defaultButton())
        return box->defaultButton();
    for (QAbstractButton *button : box->buttons()) {
        const QMessageBox::ButtonRole role = box->buttonRole(button);
        if (role == QMessageBox::AcceptRole || role == QMessageBox::YesRole)
            return button;
    }
    return box->escapeButton();
}

// A named widget on one of the core's tab pages.
struct PageWidget
{
    QWidget *widget;
    QString tab;
};

QList<PageWidget> pageWidgets(const IPCore::IPGenDialog *dialog)
{
    QList<PageWidget> widgets;
    const auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("tabPages"));
    if (!tabs)
        return widgets;
    for (int i = 0; i < tabs->count(); ++i) {
        for (QWidget *widget : tabs->widget(i)->findChildren<QWidget *>()) {
            const QString name = widget->objectName();
            if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
                widgets.append({widget, tabs->tabText(i)});
        }
    }
    return widgets;
}

// Page widgets are keyed by object name; a name used on several pages gets its tab's title.
QString pageKey(const PageWidget &entry, const QList<PageWidget> &all)
{
    const QString name = entry.widget->objectName();
    const auto sameName = [&name](const PageWidget &other) {
        return other.widget->objectName() == name;
    };
    if (std::count_if(all.cbegin(), all.cend(), sameName) > 1)
        return entry.tab + QLatin1Char('/') + name;
    return name;
}

QWidget *findControl(IPCore::IPGenDialog *dialog, const QString &name, QString *error)
{
    QList<QWidget *> found;
    const int slash = name.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        for (const PageWidget &entry : pageWidgets(dialog)) {
            if (entry.tab == name.left(slash) && entry.widget->objectName() == name.mid(slash + 1))
                found.append(entry.widget);
        }
    } else {
        found = dialog->findChildren<QWidget *>(name);
    }
    if (found.isEmpty()) {
        *error = QStringLiteral("no control named '%1' in the dialog").arg(name);
        return nullptr;
    }
    if (found.size() > 1) {
        *error = QStringLiteral("'%1' names %2 controls; write TAB/%1 with the tab's title")
                     .arg(name)
                     .arg(found.size());
        return nullptr;
    }
    return found.first();
}

bool selectItem(QComboBox *combo, const QString &value, QString *error)
{
    int index = -1;
    if (value.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        index = value.mid(1).toInt(&ok);
        if (!ok || index < 0 || index >= combo->count()) {
            *error = QStringLiteral("'%1' is not an item index of %2 (0 to %3)")
                         .arg(value, combo->objectName())
                         .arg(combo->count() - 1);
            return false;
        }
    } else {
        index = combo->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0) {
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items.append(QLatin1Char('"') + combo->itemText(i) + QLatin1Char('"'));
            *error = QStringLiteral("'%1' is not an item of %2 (items: %3)")
                         .arg(value, combo->objectName(), items.join(QStringLiteral(", ")));
            return false;
        }
    }
    // A user's pick changes the index, then reports the activation.
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    emit combo->textActivated(combo->itemText(index));
    return true;
}

bool enterValue(QSpinBox *spin, const QString &value, QString *error)
{
    if (spin->isReadOnly()) {
        *error = QStringLiteral("control '%1' is read-only").arg(spin->objectName());
        return false;
    }
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok) {
        *error = QStringLiteral("malformed value '%1' for spin box %2: expected an integer")
                     .arg(value, spin->objectName());
        return false;
    }
    spin->setValue(number);
    emit spin->editingFinished();
    return true;
}

bool setChecked(QCheckBox *check, const QString &value, QString *error)
{
    if (value != QLatin1String("true") && value != QLatin1String("false")) {
        *error = QStringLiteral("malformed value '%1' for check box %2: expected true or false")
                     .arg(value, check->objectName());
        return false;
    }
    if (check->isChecked() != (value == QLatin1String("true")))
        check->click();
    return true;
}

bool typeText(QLineEdit *edit, const QString &value, QString *error)
{
    if (edit->isReadOnly()) {
        *error = QStringLiteral("control '%1' is read-only").arg(edit->objectName());
        return false;
    }
    // insert() goes through the validator and reports textEdited, as typing does.
    edit->selectAll();
    edit->insert(value);
    if (edit->text() != value) {
        *error = QStringLiteral("'%1' is not accepted by %2").arg(value, edit->objectName());
        return false;
    }
    emit edit->editingFinished();
    return true;
}

QJsonValue itemDataValue(const QVariant &data)
{
    return data.isValid() ? QJsonValue::fromVariant(data) : QJsonValue();
}

QJsonObject widgetState(QWidget *widget)
{
    const bool enabled = widget->isEnabled();
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        QJsonArray items;
        QJsonArray data;
        for (int i = 0; i < combo->count(); ++i) {
            items.append(combo->itemText(i));
            data.append(itemDataValue(combo->itemData(i)));
        }
        return {{QStringLiteral("type"), QStringLiteral("combobox")},
                {QStringLiteral("items"), items},
                {QStringLiteral("itemData"), data},
                {QStringLiteral("currentIndex"), combo->currentIndex()},
                {QStringLiteral("currentText"), combo->currentText()},
                {QStringLiteral("enabled"), enabled}};
    }
    if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
        return {{QStringLiteral("type"), QStringLiteral("spinbox")},
                {QStringLiteral("value"), spin->value()},
                {QStringLiteral("minimum"), spin->minimum()},
                {QStringLiteral("maximum"), spin->maximum()},
                {QStringLiteral("suffix"), spin->suffix()},
                {QStringLiteral("readOnly"), spin->isReadOnly()},
                {QStringLiteral("buttons"), spin->buttonSymbols() != QAbstractSpinBox::NoButtons},
                {QStringLiteral("enabled"), enabled}};
    }
    if (auto *check = qobject_cast<QCheckBox *>(widget)) {
        return {{QStringLiteral("type"), QStringLiteral("checkbox")},
                {QStringLiteral("text"), check->text()},
                {QStringLiteral("checked"), check->isChecked()},
                {QStringLiteral("enabled"), enabled}};
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        return {{QStringLiteral("type"), QStringLiteral("label")},
                {QStringLiteral("text"), label->text()}};
    }
    return {};
}

QString directionName(int direction)
{
    switch (direction) {
    case 0:
        return QStringLiteral("in");
    case 1:
        return QStringLiteral("out");
    case 2:
        return QStringLiteral("inout");
    }
    return QString::number(direction);
}

} // namespace

DialogDriver::DialogDriver(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

DialogDriver::~DialogDriver()
{
    qApp->removeEventFilter(this);
}

bool DialogDriver::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    if (auto *box = qobject_cast<QMessageBox *>(watched)) {
        // Answered from the box's own modal loop, once its buttons are complete.
        QTimer::singleShot(0, box, [this, box] { answer(box); });
    } else if (auto *dialog = qobject_cast<IPCore::IPGenDialog *>(watched); dialog && !m_dialog) {
        m_dialog = dialog;
        emit dialogShown(dialog);
        QTimer::singleShot(0, dialog, [this, dialog] { emit dialogReady(dialog); });
    }
    return false;
}

void DialogDriver::answer(QMessageBox *box)
{
    QAbstractButton *button = nullptr;
    if (box->windowTitle() == memoryClockTitle)
        button = box->button(m_acceptApproximation ? QMessageBox::Ok : QMessageBox::Cancel);
    if (!button)
        button = defaultAnswer(box);
    const QString detailedText = box->detailedText();
    const ShownMessage message{iconKind(box->icon()), box->windowTitle(), box->text(),
                               detailedText.isEmpty() ? QStringList()
                                                      : detailedText.split(QLatin1Char('\n')),
                               button ? button->text().remove(QLatin1Char('&')) : QString()};
    m_messages.append(message);
    emit messageAnswered(message);
    if (button)
        button->click();
    else
        box->reject();
}

QStringList settableNames(const IPCore::IPGenDialog *dialog)
{
    const auto editable = [](const QWidget *widget) {
        return qobject_cast<const QComboBox *>(widget) || qobject_cast<const QSpinBox *>(widget) ||
               qobject_cast<const QCheckBox *>(widget) || qobject_cast<const QLineEdit *>(widget);
    };
    QStringList names;
    const QList<PageWidget> all = pageWidgets(dialog);
    for (const PageWidget &entry : all) {
        if (editable(entry.widget))
            names.append(pageKey(entry, all));
    }
    // The frame's fields: named controls outside the tab pages.
    const auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("tabPages"));
    for (const QWidget *widget : dialog->findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (editable(widget) && !name.isEmpty() && !name.startsWith(QLatin1String("qt_")) &&
            !(tabs && tabs->isAncestorOf(widget)))
            names.append(name);
    }
    names.sort();
    names.removeDuplicates();
    return names;
}

bool applySetting(IPCore::IPGenDialog *dialog, const ControlSetting &setting, QString *error)
{
    QWidget *widget = findControl(dialog, setting.name, error);
    if (!widget)
        return false;
    if (!widget->isEnabled()) {
        *error = QStringLiteral("control '%1' is disabled").arg(setting.name);
        return false;
    }
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return selectItem(combo, setting.value, error);
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        return enterValue(spin, setting.value, error);
    if (auto *check = qobject_cast<QCheckBox *>(widget))
        return setChecked(check, setting.value, error);
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return typeText(edit, setting.value, error);
    *error = QStringLiteral("control '%1' is a %2, which --set cannot edit")
                 .arg(setting.name, QLatin1String(widget->metaObject()->className()));
    return false;
}

PartBeforeShow::PartBeforeShow(const IPCore::MemoryParts &parts, const PartRequest &request,
                               const QList<ControlSetting> &inputs, QObject *parent)
    : QObject(parent), m_parts(parts), m_request(request), m_inputs(inputs)
{
    m_connection = connect(&IPGen::HostSession::instance(), &IPGen::HostSession::dialogAboutToShow,
                           this, &PartBeforeShow::apply);
}

void PartBeforeShow::apply(IPCore::IPGenDialog *dialog)
{
    disconnect(m_connection);
    const auto applyAll = [this, dialog](const QList<ControlSetting> &settings) {
        for (const ControlSetting &setting : settings) {
            QString error;
            if (!applySetting(dialog, setting, &error)) {
                m_error = QStringLiteral("cannot set %1 to '%2': %3")
                              .arg(setting.name, setting.value, error);
                return false;
            }
        }
        return true;
    };
    if (!applyAll(m_inputs))
        return;
    m_edits = m_parts.partEdits(m_request.name, m_request.fromFile, dialog);
    if (!m_edits.error.isEmpty()) {
        m_error = m_edits.error;
        return;
    }
    QList<ControlSetting> edits;
    for (const IPCore::ControlEdit &edit : qAsConst(m_edits.edits))
        edits.append({edit.control, edit.value});
    m_applied = applyAll(edits);
}

void splitPartInputs(const QList<ControlSetting> &settings, const QStringList &inputs,
                     QList<ControlSetting> *before, QList<ControlSetting> *after)
{
    for (const ControlSetting &setting : settings)
        (inputs.contains(setting.name) ? before : after)->append(setting);
}

QJsonObject dialogState(const IPCore::IPGenDialog *dialog, const QList<ShownMessage> &messages)
{
    QJsonObject widgets;
    const QList<PageWidget> all = pageWidgets(dialog);
    for (const PageWidget &entry : all) {
        const QJsonObject state = widgetState(entry.widget);
        if (!state.isEmpty())
            widgets.insert(pageKey(entry, all), state);
    }
    QJsonArray pins;
    for (const Utils::PinFigure &pin : dialog->figurePins()) {
        pins.append(QJsonObject{{QStringLiteral("name"), pin.name()},
                                {QStringLiteral("direction"), directionName(pin.direction())},
                                {QStringLiteral("bus"), pin.isBus()},
                                {QStringLiteral("side"), pin.side() == Qt::AlignRight
                                                             ? QStringLiteral("right")
                                                             : QStringLiteral("left")}});
    }
    QJsonArray shown;
    for (const ShownMessage &message : messages) {
        shown.append(
            QJsonObject{{QStringLiteral("kind"), message.kind},
                        {QStringLiteral("title"), message.title},
                        {QStringLiteral("text"), message.text},
                        {QStringLiteral("details"), QJsonArray::fromStringList(message.details)},
                        {QStringLiteral("answer"), message.answer}});
    }
    const DEV::DeviceArg device = dialog->device();
    return {
        {QStringLiteral("tabs"), QJsonArray::fromStringList(dialog->tabTitles())},
        {QStringLiteral("label"), dialog->labelText()},
        {QStringLiteral("moduleName"), dialog->moduleName()},
        {QStringLiteral("fileName"), dialog->fileName()},
        {QStringLiteral("outputDir"), dialog->createPath()},
        {QStringLiteral("language"), dialog->uiLanguageIndex()},
        {QStringLiteral("synthesisTool"), dialog->uiSynthesisTool()},
        {QStringLiteral("device"), QJsonObject{{QStringLiteral("model"), device.device()},
                                               {QStringLiteral("condition"), device.condition()},
                                               {QStringLiteral("id"), device.id()}}},
        {QStringLiteral("widgets"), widgets},
        {QStringLiteral("pins"), pins},
        {QStringLiteral("messages"), shown}};
}

} // namespace IPGenApp
