#pragma once

#include "commandline.h"
#include "coreextension.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMessageBox;
class QWidget;

namespace IPCore {
class IPGenDialog;
}

namespace IPGenApp {

// A message box as the user saw it.
struct ShownMessage
{
    QString kind; // "warning", "critical", "question", "information" or "none", from the icon
    QString title;
    QString text;
    QStringList details; // the box's detailed text, line by line
    QString answer;      // text of the button pressed, e.g. "OK", "Cancel"
};

// Drives one headless dialog run from the application's event filter: announces the first core
// dialog once its modal loop runs, and records and answers every message box (its default
// button; the "Memory Clock" question by the approximation policy).
class DialogDriver : public QObject
{
    Q_OBJECT
public:
    explicit DialogDriver(QObject *parent = nullptr);
    ~DialogDriver() override;

    void setAcceptApproximation(bool accept) { m_acceptApproximation = accept; }
    QList<ShownMessage> messages() const { return m_messages; }

signals:
    // On the dialog's first Show event (before it is usable).
    void dialogShown(IPCore::IPGenDialog *dialog);
    // From the dialog's modal loop, right after it was shown.
    void dialogReady(IPCore::IPGenDialog *dialog);
    void messageAnswered(const IPGenApp::ShownMessage &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void answer(QMessageBox *box);

    QPointer<IPCore::IPGenDialog> m_dialog;
    bool m_acceptApproximation = false;
    QList<ShownMessage> m_messages;
};

// A memory part for the next core dialog: ipgen's --part and --spd, the window's From part… and
// From SPD….
struct PartRequest
{
    QString name; // a part of the core's list, or the path of a part-description file
    bool fromFile = false;
};

// Applies a memory part to the next core dialog before it is shown, where a re-open applies its
// record: first `inputs` (edits of the controls the part depends on), then the part's edits, each
// as applySetting makes it. A part that cannot be had applies nothing of its own.
class PartBeforeShow : public QObject
{
public:
    PartBeforeShow(const IPCore::MemoryParts &parts, const PartRequest &request,
                   const QList<ControlSetting> &inputs, QObject *parent = nullptr);

    bool applied() const { return m_applied; } // a dialog came and took the part
    QString error() const { return m_error; }  // one line; empty when applied
    QStringList warnings() const { return m_edits.warnings; }
    QString source() const { return m_edits.source; } // for the generation report
    // Applies the part to `dialog` now, in place of the next dialog to show.
    void apply(IPCore::IPGenDialog *dialog);

private:
    const IPCore::MemoryParts &m_parts;
    const PartRequest m_request;
    const QList<ControlSetting> m_inputs;
    QMetaObject::Connection m_connection;
    bool m_applied = false;
    QString m_error;
    IPCore::PartEdits m_edits;
};

// The --set edits of the part's `inputs`, then the others, each in command-line order.
void splitPartInputs(const QList<ControlSetting> &settings, const QStringList &inputs,
                     QList<ControlSetting> *before, QList<ControlSetting> *after);

// Applies one --set as a user's edit of the control; false with a one-line reason.
bool applySetting(IPCore::IPGenDialog *dialog, const ControlSetting &setting, QString *error);
// The names applySetting accepts: the dialog's named editable controls, page controls keyed as
// in dialogState.
QStringList settableNames(const IPCore::IPGenDialog *dialog);
// The dialog's state for `ipgen inspect` (docs/ipgen.md).
QJsonObject dialogState(const IPCore::IPGenDialog *dialog, const QList<ShownMessage> &messages);

} // namespace IPGenApp
