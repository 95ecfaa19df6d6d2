// Nimbrel on Windows: starts the socket layer, reads the data file while the main window is
// built, and runs that window modally until it closes.

#include "data_file_load.h"
#include "program_file.h"
#include "resource.h"
#include "socket_layer.h"
#include "tracker_dlg.h"

#include <commctrl.h>

namespace {

// The icon of the program's resource script.
constexpr int kIconResource = 128;

HICON programIcon(HINSTANCE instance, int metric)
{
    const int size = GetSystemMetrics(metric);
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    if (!startSocketLayer()) {
        MessageBoxW(nullptr, L"Windows sockets initialization failed.", programName().c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    DataFileLoad load;
    CTrackerDlg window(load, programIcon(instance, SM_CXICON), programIcon(instance, SM_CXSMICON));
    window.run(instance);
    return 0;
}
