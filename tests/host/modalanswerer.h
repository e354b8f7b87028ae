#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every modal message box that opens while it lives, in order, with the queued buttons
// (then with Ok), and keeps what each box showed.
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

    explicit BoxAnswerer(QList<QMessageBox::StandardButton> answers = {})
        : m_answers(std::move(answers))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { answer(); });
        m_timer.start(5);
    }

    QList<Box> boxes;

    QStringList titles() const { return collect(&Box::title); }
    QStringList texts() const { return collect(&Box::text); }

private:
    QStringList collect(QString Box::*field) const
    {
        QStringList list;
        for (const Box &box : boxes)
            list << box.*field;
        return list;
    }

    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        boxes.append({box->windowTitle(), box->text(), box->detailedText(), box->icon(),
                      box->standardButtons(), box->parentWidget()});
        const QMessageBox::StandardButton choice =
            m_answers.isEmpty() ? QMessageBox::Ok : m_answers.takeFirst();
        if (QAbstractButton *button = box->button(choice))
            button->click();
        else
            box->reject();
    }

    QTimer m_timer;
    QList<QMessageBox::StandardButton> m_answers;
};
