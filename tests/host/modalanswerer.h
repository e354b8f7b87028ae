#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every message box that becomes the active modal widget while it lives, pressing
// `answer`, and records what each box said.
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok) : m_answer(answer)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box->property("answered").toBool())
                return;
            box->setProperty("answered", true);
            titles << box->windowTitle();
            texts << box->text();
            details << box->detailedText();
            QAbstractButton *button = box->button(m_answer);
            if (button)
                button->click();
            else
                box->reject();
        });
        m_timer.start(10);
    }

    QStringList titles;
    QStringList texts;
    QStringList details;

private:
    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};
