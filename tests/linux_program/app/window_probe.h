#pragma once

#include <QStringList>
#include <QWidget>

class QAction;
class QMenu;

// The control of a dialog built from a template whose rectangle begins at x, y (dialog units).
QWidget* controlWidgetAt(const QWidget& dialog, int x, int y);

template <typename Control>
Control* controlAt(const QWidget& dialog, int x, int y)
{
    return qobject_cast<Control*>(controlWidgetAt(dialog, x, y));
}

// Everything the user can read in a window: caption, field texts and the table's cells.
QStringList visibleTexts(const QWidget& window);

// The menu that is popped up, if any, and its item with the given text.
QMenu* openMenu();
QAction* menuItem(const QMenu& menu, const QString& text);
