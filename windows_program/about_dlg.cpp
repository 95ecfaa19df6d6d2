#include "about_dlg.h"

#include "dialog_memory.h"
#include "failure_end.h"
#include "resource.h"
#include "program_file.h"

#include <algorithm>

namespace {

// Centred over the owner, moved inside the work area of the owner's monitor where it would
// stick out.
void centreOver(HWND window, HWND owner)
{
    RECT box;
    RECT over;
    GetWindowRect(window, &box);
    GetWindowRect(owner, &over);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& workArea = monitor.rcWork;
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    LONG x = over.left + (over.right - over.left - width) / 2;
    LONG y = over.top + (over.bottom - over.top - height) / 2;
    x = std::max(workArea.left, std::min(x, workArea.right - width));
    y = std::max(workArea.top, std::min(y, workArea.bottom - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CAboutDlg::run(HWND owner)
{
    const DialogMemory dialog(kAboutDialogTemplate,
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner, dialogProcedure, 0);
}

INT_PTR CALLBACK CAboutDlg::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (endingAfterFailure())
        return FALSE;
    try {
        return handle(window, message, wParam);
    } catch (...) {
        endAfterFailure(window);
    }
}

INT_PTR CAboutDlg::handle(HWND window, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_INITDIALOG:
        centreOver(window, GetWindow(window, GW_OWNER));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(window, LOWORD(wParam));
        return TRUE;
    case WM_HELP:
        showHelpTopic(window, 0x20000 + IDD_ABOUTBOX);
        return TRUE;
    default:
        return FALSE;
    }
}
