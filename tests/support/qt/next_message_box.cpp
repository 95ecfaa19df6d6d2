#include "next_message_box.h"

#include <QAbstractButton>
#include <QApplication>

NextMessageBox::NextMessageBox(QMessageBox::StandardButton answer) : answer_(answer)
{
    connect(&poll_, &QTimer::timeout, this, &NextMessageBox::answerIfOpen);
    poll_.start(10);
}

void NextMessageBox::answerIfOpen()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    poll_.stop();
    seen_ = true;
    text_ = box->text();
    caption_ = box->windowTitle();
    icon_ = box->icon();
    buttons_ = box->standardButtons();
    if (QAbstractButton* button = box->button(answer_))
        button->click();
    else
        box->close();  // the answer is not on offer; the test sees that from buttons()
}
