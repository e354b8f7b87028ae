#pragma once

#include "dialogdriver.h"

#include <QDialog>
#include <QList>

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace IPCore {
class IPGenDialog;
class MemoryParts;
} // namespace IPCore

namespace IPGenApp {

// The window's From part… and From SPD… choice, asked while the core's dialog waits to be shown:
// the part (one of the core's list, or a part-description file) and the controls the part
// depends on (the core's partInputs). Those controls are the dialog's own, mirrored here: a change
// is applied to the dialog at once, as ipgen's --set does, and every mirror then follows the
// dialog, so a clock range that depends on a ratio is the dialog's. Below, what the part would do
// at these settings: its error, which disables OK, or its warnings.
class PartChooser : public QDialog
{
    Q_OBJECT
public:
    PartChooser(const IPCore::MemoryParts &parts, bool fromFile, IPCore::IPGenDialog *dialog,
                const QString &folder, QWidget *parent = nullptr);

    PartRequest request() const;
    // The mirrored controls' values, for the part's step to apply before the part.
    QList<ControlSetting> inputs() const;

private:
    struct Mirror
    {
        QString name;   // of the dialog's control
        QWidget *own;   // the dialog's control
        QWidget *shown; // its mirror here
    };
    void addMirror(const QString &name, QFormLayout *form);
    const Mirror *mirrorOf(const QWidget *shown) const;
    void mirrorChanged(const Mirror &mirror);
    void followDialog();
    void preview();

    const IPCore::MemoryParts &m_parts;
    const bool m_fromFile;
    IPCore::IPGenDialog *const m_dialog;
    QTreeWidget *m_list = nullptr; // the core's parts
    QLineEdit *m_file = nullptr;   // or a file
    QList<Mirror> m_mirrors;
    QLabel *m_outcome = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace IPGenApp
