#include "partchooser.h"

#include "coreextension.h"
#include "ipgendialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace IPGenApp {

namespace {

// The text the dialog's form gives a control: its buddy label's, or that of the label left of it
// (or of the widget holding it) in a grid.
QString labelOf(QWidget *control, const QWidget *dialog)
{
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->buddy() == control)
            return label->text();
    }
    for (QWidget *item = control; item && item != dialog; item = item->parentWidget()) {
        for (QGridLayout *grid : item->parentWidget()->findChildren<QGridLayout *>()) {
            const int index = grid->indexOf(item);
            if (index < 0)
                continue;
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            QLayoutItem *left = column > 0 ? grid->itemAtPosition(row, column - 1) : nullptr;
            if (const auto *label = left ? qobject_cast<QLabel *>(left->widget()) : nullptr)
                return label->text();
        }
    }
    return control->objectName();
}

QString valueOf(const QWidget *widget)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    return QString::number(qobject_cast<const QSpinBox *>(widget)->value());
}

} // namespace

PartChooser::PartChooser(const IPCore::MemoryParts &parts, bool fromFile,
                         IPCore::IPGenDialog *dialog, const QString &folder, QWidget *parent)
    : QDialog(parent), m_parts(parts), m_fromFile(fromFile), m_dialog(dialog)
{
    setWindowTitle(fromFile ? tr("From SPD") : tr("From Part"));
    auto *partBox =
        new QGroupBox(fromFile ? tr("Module description (SPD image)") : tr("Memory part"));
    auto *partLayout = new QVBoxLayout(partBox);
    if (fromFile) {
        m_file = new QLineEdit;
        m_file->setObjectName(QStringLiteral("editPartFile"));
        auto *browse = new QToolButton;
        browse->setText(QStringLiteral("…"));
        connect(browse, &QToolButton::clicked, this, [this, folder] {
            const QString path = QFileDialog::getOpenFileName(
                this, windowTitle(), folder,
                tr("SPD images (*.bin *.spd *.hex *.txt);;All files (*)"));
            if (!path.isEmpty()) {
                m_file->setText(path);
                preview();
            }
        });
        connect(m_file, &QLineEdit::editingFinished, this, &PartChooser::preview);
        auto *row = new QHBoxLayout;
        row->addWidget(m_file, 1);
        row->addWidget(browse);
        partLayout->addLayout(row);
    } else {
        m_list = new QTreeWidget;
        m_list->setObjectName(QStringLiteral("treeParts"));
        m_list->setRootIsDecorated(false);
        m_list->setIndentation(0);
        m_list->setStyleSheet(QStringLiteral("QTreeView::item { padding-right: 10px; }"));
        QStringList headers{tr("Name")};
        for (const QString &column : parts.partColumns())
            headers.append(column.left(1).toUpper() + column.mid(1));
        m_list->setHeaderLabels(headers);
        m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        for (const IPCore::MemoryPartEntry &entry : parts.partList()) {
            if (entry.refusal.isEmpty())
                new QTreeWidgetItem(m_list, QStringList{entry.name} + entry.columns);
        }
        connect(m_list, &QTreeWidget::currentItemChanged, this, &PartChooser::preview);
        partLayout->addWidget(m_list);
    }

    auto *inputBox = new QGroupBox(tr("Clocks the part is set up for"));
    auto *form = new QFormLayout(inputBox);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    for (const QString &name : parts.partInputs())
        addMirror(name, form);

    m_outcome = new QLabel;
    m_outcome->setObjectName(QStringLiteral("labelPartOutcome"));
    m_outcome->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(partBox, 1);
    layout->addWidget(inputBox);
    layout->addWidget(m_outcome);
    layout->addWidget(buttons);
    resize(fromFile ? 560 : 820, fromFile ? 260 : 520);
    preview();
}

void PartChooser::addMirror(const QString &name, QFormLayout *form)
{
    QWidget *own = m_dialog->findChild<QWidget *>(name);
    QWidget *shown = nullptr;
    if (qobject_cast<QComboBox *>(own)) {
        auto *mirror = new QComboBox;
        connect(mirror, qOverload<int>(&QComboBox::activated), this,
                [this, mirror] { mirrorChanged(*mirrorOf(mirror)); });
        shown = mirror;
    } else if (auto *spin = qobject_cast<QSpinBox *>(own)) {
        auto *mirror = new QSpinBox;
        mirror->setKeyboardTracking(false);
        if (!spin->suffix().trimmed().isEmpty())
            mirror->setSuffix(QLatin1Char(' ') + spin->suffix().trimmed());
        connect(mirror, qOverload<int>(&QSpinBox::valueChanged), this,
                [this, mirror] { mirrorChanged(*mirrorOf(mirror)); });
        shown = mirror;
    }
    if (!shown)
        return; // a control of a kind not mirrored keeps the dialog's value
    shown->setObjectName(name);
    m_mirrors.append({name, own, shown});
    form->addRow(labelOf(own, m_dialog), shown);
    followDialog();
}

const PartChooser::Mirror *PartChooser::mirrorOf(const QWidget *shown) const
{
    for (const Mirror &mirror : m_mirrors) {
        if (mirror.shown == shown)
            return &mirror;
    }
    return nullptr;
}

void PartChooser::mirrorChanged(const Mirror &mirror)
{
    QString error;
    const bool applied = applySetting(m_dialog, {mirror.name, valueOf(mirror.shown)}, &error);
    followDialog();
    if (applied) {
        preview();
    } else {
        m_outcome->setText(error.toHtmlEscaped());
        m_ok->setEnabled(false);
    }
}

void PartChooser::followDialog()
{
    for (const Mirror &mirror : qAsConst(m_mirrors)) {
        const QSignalBlocker blocker(mirror.shown);
        mirror.shown->setEnabled(mirror.own->isEnabled());
        if (auto *combo = qobject_cast<QComboBox *>(mirror.shown)) {
            const auto *own = qobject_cast<QComboBox *>(mirror.own);
            combo->clear();
            for (int i = 0; i < own->count(); ++i)
                combo->addItem(own->itemText(i));
            combo->setCurrentIndex(own->currentIndex());
        } else if (auto *spin = qobject_cast<QSpinBox *>(mirror.shown)) {
            const auto *own = qobject_cast<QSpinBox *>(mirror.own);
            spin->setRange(own->minimum(), own->maximum());
            spin->setValue(own->value());
        }
    }
}

PartRequest PartChooser::request() const
{
    if (m_fromFile)
        return {m_file->text().trimmed(), true};
    const QTreeWidgetItem *item = m_list->currentItem();
    return {item ? item->text(0) : QString(), false};
}

QList<ControlSetting> PartChooser::inputs() const
{
    QList<ControlSetting> settings;
    for (const Mirror &mirror : m_mirrors)
        settings.append({mirror.name, valueOf(mirror.shown)});
    return settings;
}

void PartChooser::preview()
{
    const PartRequest chosen = request();
    QString text;
    bool usable = false;
    if (chosen.name.isEmpty()) {
        text = m_fromFile ? tr("Choose an SPD image.") : tr("Choose a part.");
    } else {
        const IPCore::PartEdits edits = m_parts.partEdits(chosen.name, chosen.fromFile, m_dialog);
        usable = edits.error.isEmpty();
        const QString said = usable ? edits.warnings.join(QStringLiteral("; ")) : edits.error;
        text = !usable          ? tr("<b>Cannot be applied:</b> %1").arg(said.toHtmlEscaped())
               : said.isEmpty() ? tr("Applies at these clocks without warnings.")
                                : tr("<b>Applies with warnings:</b> %1").arg(said.toHtmlEscaped());
    }
    m_outcome->setText(text);
    m_ok->setEnabled(usable);
}

} // namespace IPGenApp
