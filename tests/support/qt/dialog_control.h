#pragma once

#include "dialog_builder.h"

#include <QWidget>

// The control of a dialog built from a template that has the given id, as the given kind.
template <class Widget> Widget* control(QWidget& dialog, int id)
{
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (widget->property(kControlIdProperty).toInt() == id)
            return qobject_cast<Widget*>(widget);
    }
    return nullptr;
}
