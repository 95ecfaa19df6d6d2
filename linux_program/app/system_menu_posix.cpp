#include "system_menu.h"

#include "resource.h"
#include "string_table.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>

struct SystemMenu::Platform {
    QMenu* menu;  // a child of the window
};

SystemMenu::SystemMenu(QDialog& window)
    : window_(window), platform_(std::make_unique<Platform>(Platform{new QMenu(&window)}))
{
    QMenu* const menu = platform_->menu;
    connect(menu->addAction(QStringLiteral("Close")), &QAction::triggered, &window,
            &QDialog::reject);
    const QString about = QString::fromLocal8Bit(loadString(IDS_ABOUTBOX));
    if (!about.isEmpty()) {
        menu->addSeparator();
        connect(menu->addAction(about), &QAction::triggered, this,
                [this] { systemCommand(IDM_ABOUTBOX); });
    }

    // The system-menu key opens the menu below the caption, at the client area's corner.
    auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), &window);
    connect(key, &QShortcut::activated, this,
            [this] { platform_->menu->popup(window_.mapToGlobal(QPoint(0, 0))); });
    window.installEventFilter(this);
}

SystemMenu::~SystemMenu()
{
    window_.removeEventFilter(this);
}

bool SystemMenu::eventFilter(QObject* watched, QEvent* event)
{
    // A request passed up from a control that left it unhandled is not on the background.
    if (watched == &window_ && event->type() == QEvent::ContextMenu) {
        const auto* request = static_cast<QContextMenuEvent*>(event);
        if (request->reason() == QContextMenuEvent::Mouse && !window_.childAt(request->pos())) {
            platform_->menu->popup(request->globalPos());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
