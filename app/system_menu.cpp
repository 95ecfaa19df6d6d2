#include "system_menu.h"

#include "about_dlg.h"
#include "resource.h"
#include "string_table.h"

#include <QDialog>

#ifdef _WIN32
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>
#else
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#endif

namespace {

bool isAboutCommand(int command)
{
    return (command & 0xFFF0) == IDM_ABOUTBOX;
}

#ifdef _WIN32
class SystemCommandFilter final : public QAbstractNativeEventFilter {
public:
    SystemCommandFilter(SystemMenu& menu, HWND window) : menu_(menu), window_(window) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override
    {
        const MSG* msg = static_cast<const MSG*>(message);
        if (eventType != "windows_generic_MSG" || msg->hwnd != window_
            || msg->message != WM_SYSCOMMAND || !isAboutCommand(static_cast<int>(msg->wParam)))
            return false;
        menu_.systemCommand(static_cast<int>(msg->wParam));
        *result = 0;
        return true;
    }

private:
    SystemMenu& menu_;
    HWND window_;
};
#endif

}  // namespace

#ifdef _WIN32

SystemMenu::SystemMenu(QDialog& window) : window_(window)
{
    const HWND handle = reinterpret_cast<HWND>(window.winId());
    const QString about = QString::fromLocal8Bit(loadString(IDS_ABOUTBOX));
    if (!about.isEmpty()) {
        const HMENU menu = GetSystemMenu(handle, FALSE);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, reinterpret_cast<LPCWSTR>(about.utf16()));
    }
    systemCommands_ = std::make_unique<SystemCommandFilter>(*this, handle);
    QCoreApplication::instance()->installNativeEventFilter(systemCommands_.get());
}

// The filter takes itself off the application when it goes.
SystemMenu::~SystemMenu() = default;

#else

SystemMenu::SystemMenu(QDialog& window) : window_(window), menu_(new QMenu(&window))
{
    connect(menu_->addAction(QStringLiteral("Close")), &QAction::triggered, &window,
            &QDialog::reject);
    const QString about = QString::fromLocal8Bit(loadString(IDS_ABOUTBOX));
    if (!about.isEmpty()) {
        menu_->addSeparator();
        connect(menu_->addAction(about), &QAction::triggered, this,
                [this] { systemCommand(IDM_ABOUTBOX); });
    }

    // The system-menu key opens the menu below the caption, at the client area's corner.
    auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), &window);
    connect(key, &QShortcut::activated, this,
            [this] { menu_->popup(window_.mapToGlobal(QPoint(0, 0))); });
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
            menu_->popup(request->globalPos());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

#endif

void SystemMenu::systemCommand(int command)
{
    if (!isAboutCommand(command))
        return;
    CAboutDlg about(&window_);
    about.exec();
}
