// Nimbrel on Windows: starts the socket layer, reads the data file while the main window is
// built, and runs that window modally until it closes.

#include "data_file_load.h"
#include "error_reports.h"
#include "program_file.h"
#include "socket_layer.h"
#include "tracker_dlg.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    keepMemoryOutOfErrorReports();  // before anything reads the data file
    if (!startSocketLayer()) {
        MessageBoxW(nullptr, L"Windows sockets initialization failed.", programName().c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    DataFileLoad load;
    CTrackerDlg window(load);
    window.run(instance);
    return 0;
}
