#pragma once

#include <windows.h>

// The About box: the program's version line and OK, centred over its owner.
class CAboutDlg {
public:
    void run(HWND owner);

private:
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    static INT_PTR handle(HWND window, UINT message, WPARAM wParam);
};
