#pragma once

#include "commandline.h"

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

// Applies one --set as a user's edit of the control; false with a one-line reason.
bool applySetting(IPCore::IPGenDialog *dialog, const ControlSetting &setting, QString *error);
// The names applySetting accepts: the dialog's named editable controls, page controls keyed as
// in dialogState.
QStringList settableNames(const IPCore::IPGenDialog *dialog);
// The dialog's state for `ipgen inspect` (docs/ipgen.md).
QJsonObject dialogState(const IPCore::IPGenDialog *dialog, const QList<ShownMessage> &messages);

} // namespace IPGenApp
