#include "system_menu.h"

#include "resource.h"
#include "string_table.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDialog>

#include <windows.h>

// Takes the window's WM_SYSCOMMAND of the About item.
struct SystemMenu::Platform final : public QAbstractNativeEventFilter {
    Platform(SystemMenu& menu, HWND window) : menu_(menu), window_(window) {}

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

SystemMenu::SystemMenu(QDialog& window) : window_(window)
{
    const HWND handle = reinterpret_cast<HWND>(window.winId());
    const QString about = QString::fromLocal8Bit(loadString(IDS_ABOUTBOX));
    if (!about.isEmpty()) {
        const HMENU menu = GetSystemMenu(handle, FALSE);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, reinterpret_cast<LPCWSTR>(about.utf16()));
    }
    platform_ = std::make_unique<Platform>(*this, handle);
    QCoreApplication::instance()->installNativeEventFilter(platform_.get());
}

// The filter takes itself off the application when it goes.
SystemMenu::~SystemMenu() = default;

bool SystemMenu::eventFilter(QObject* watched, QEvent* event)
{
    return QObject::eventFilter(watched, event);
}
