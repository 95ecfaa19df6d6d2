#include "window_probe.h"

#include "dialog_builder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

QWidget* controlWidgetAt(const QWidget& dialog, int x, int y)
{
    const QPoint corner = DialogUnits(dialog.font()).toPixels(x, y, 0, 0).topLeft();
    for (auto* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->geometry().topLeft() == corner)
            return child;
    }
    return nullptr;
}

QStringList visibleTexts(const QWidget& window)
{
    QStringList texts{window.windowTitle()};
    for (const auto* edit : window.findChildren<QLineEdit*>())
        texts.append(edit->text());
    for (const auto* edit : window.findChildren<QPlainTextEdit*>())
        texts.append(edit->toPlainText());
    for (const auto* view : window.findChildren<QAbstractItemView*>()) {
        const QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column)
                texts.append(model->index(row, column).data().toString());
        }
    }
    return texts;
}

QMenu* openMenu()
{
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QAction* menuItem(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}
