#include "minimised_icon_painter.h"

#include "icon_position.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QWidget>

MinimisedIconPainter::MinimisedIconPainter(QWidget& window) : window_(window)
{
    window.installEventFilter(this);
}

MinimisedIconPainter::~MinimisedIconPainter()
{
    window_.removeEventFilter(this);
}

bool MinimisedIconPainter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_ || event->type() != QEvent::Paint || !window_.isMinimized())
        return QObject::eventFilter(watched, event);
    const int extent = window_.style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, &window_);
    const QSize iconSize(extent, extent);
    QPainter painter(&window_);
    painter.fillRect(window_.rect(), window_.palette().window());
    painter.drawPixmap(QRect(centredIconPosition(window_.size(), iconSize), iconSize),
                       window_.windowIcon().pixmap(iconSize, window_.devicePixelRatioF()));
    return true;
}
