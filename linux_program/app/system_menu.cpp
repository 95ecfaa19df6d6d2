#include "system_menu.h"

#include "about_dlg.h"
#include "resource.h"

bool isAboutCommand(int command)
{
    return (command & 0xFFF0) == IDM_ABOUTBOX;
}

void SystemMenu::systemCommand(int command)
{
    if (!isAboutCommand(command))
        return;
    CAboutDlg about(&window_);
    about.exec();
}
