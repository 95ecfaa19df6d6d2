#include "modal_watch.h"

#include <QApplication>
#include <QWidget>

ModalWatch::ModalWatch(const QWidget* current, std::function<void(QWidget*)> action)
    : current_(current), action_(std::move(action))
{
    connect(&poll_, &QTimer::timeout, this, &ModalWatch::actIfShown);
    poll_.start(10);
}

void ModalWatch::actIfShown()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == current_ || !modal->isVisible() || QApplication::activeWindow() != modal)
        return;
    poll_.stop();
    seen_ = true;
    action_(modal);
}
