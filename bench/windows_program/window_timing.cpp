// Starts the Windows main window on nimbrel.nbd in the current directory, as nimbrel.exe does,
// and times it from inside. Times are the realtime clock in nanoseconds since 1970, so that a
// script can subtract the time it took before starting the process. It prints
//   main NS         on entering main;
//   initialised NS  once the window's initialisation (the whole load) has returned;
//   paint NS        once the list's first paint with rows in it has returned;
// then, by mode:
//   paint          ends at once;
//   heading-click  presses and releases the button on the Name heading, and prints
//                  "sort SECONDS" once the heading's notification has returned (the sort and
//                  the list's update) and "heading-click SECONDS" once the list's next paint
//                  has returned;
//   parts          times the two steps of a heading click apart, on the window's own table
//                  and list, and prints "table-sort SECONDS" (the table's sort by Name alone)
//                  and "redraw-row SECONDS" (the list's redraw of one row, the mean over the
//                  first kRedrawSample rows), then ends.
// Usage: window_timing paint|heading-click|parts
#include "data_file_load.h"
#include "resource.h"
#include "socket_layer.h"
#include "tracker_dlg.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// From the FILETIME epoch (1601) to the Unix one, in units of 100 ns.
constexpr long long kUnixEpochTicks = 116444736000000000LL;

long long realtimeNanoseconds()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const long long ticks = static_cast<long long>(
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return (ticks - kUnixEpochTicks) * 100;
}

void report(const char* what, long long nanoseconds)
{
    std::printf("%s %lld\n", what, nanoseconds);
    std::fflush(stdout);
}

void reportSeconds(const char* what, long long from, long long to)
{
    std::printf("%s %.4f\n", what, static_cast<double>(to - from) / 1e9);
    std::fflush(stdout);
}

constexpr int kRedrawSample = 10000;

enum class Mode { Paint, HeadingClick, Parts };
enum class Stage { Opening, Clicked, Sorted };

struct Timing {
    Mode mode = Mode::Paint;
    DataFileLoad* load = nullptr;
    Stage stage = Stage::Opening;
    HWND list = nullptr;
    long long clickedAt = 0;
    long long sortedAt = 0;
};

Timing timing;

// Down, move and up on the middle of the first heading, as the mouse sends them.
void clickNameHeading()
{
    const HWND header = ListView_GetHeader(timing.list);
    RECT heading{};
    Header_GetItemRect(header, 0, &heading);
    const LPARAM point = MAKELPARAM((heading.left + heading.right) / 2,
                                    (heading.top + heading.bottom) / 2);
    timing.clickedAt = realtimeNanoseconds();
    timing.stage = Stage::Clicked;
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, point);
    PostMessageW(header, WM_LBUTTONUP, 0, point);
}

void timeHeadingClickParts()
{
    long long start = realtimeNanoseconds();
    timing.load->table().sortByColumn(EntryField::Name);
    reportSeconds("table-sort", start, realtimeNanoseconds());
    const int rows = std::min(ListView_GetItemCount(timing.list), kRedrawSample);
    start = realtimeNanoseconds();
    ListView_RedrawItems(timing.list, 0, rows - 1);
    std::printf("redraw-row %.9f\n", static_cast<double>(realtimeNanoseconds() - start) / 1e9 / rows);
    std::fflush(stdout);
}

// The list's paints, seen as they return.
LRESULT CALLBACK listProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR, DWORD_PTR)
{
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message != WM_PAINT)
        return result;
    if (timing.stage == Stage::Opening && ListView_GetItemCount(window) > 0) {
        report("paint", realtimeNanoseconds());
        if (timing.mode == Mode::HeadingClick) {
            clickNameHeading();
            return result;
        }
        if (timing.mode == Mode::Parts)
            timeHeadingClickParts();
        std::_Exit(0);
    } else if (timing.stage == Stage::Sorted) {
        reportSeconds("sort", timing.clickedAt, timing.sortedAt);
        reportSeconds("heading-click", timing.clickedAt, realtimeNanoseconds());
        std::_Exit(0);
    }
    return result;
}

// Messages sent to the main window, seen as they return: the end of its initialisation, and
// the heading's notification once the window has handled it.
LRESULT CALLBACK afterSentMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& sent = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent.message == WM_INITDIALOG && timing.list == nullptr) {
        timing.list = GetDlgItem(sent.hwnd, IDC_ENTRY_LIST);
        if (timing.list != nullptr) {
            report("initialised", realtimeNanoseconds());
            SetWindowSubclass(timing.list, listProcedure, 1, 0);
        }
    } else if (code == HC_ACTION && sent.message == WM_NOTIFY && timing.stage == Stage::Clicked
               && reinterpret_cast<const NMHDR*>(sent.lParam)->hwndFrom == timing.list
               && reinterpret_cast<const NMHDR*>(sent.lParam)->code == LVN_COLUMNCLICK) {
        timing.sortedAt = realtimeNanoseconds();
        timing.stage = Stage::Sorted;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    report("main", realtimeNanoseconds());
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode != "paint" && mode != "heading-click" && mode != "parts") {
        std::fprintf(stderr, "usage: window_timing paint|heading-click|parts\n");
        return 2;
    }
    timing.mode = mode == "paint" ? Mode::Paint
                  : mode == "heading-click" ? Mode::HeadingClick : Mode::Parts;
    if (!startSocketLayer())
        return 1;
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    SetWindowsHookExW(WH_CALLWNDPROCRET, afterSentMessage, nullptr, GetCurrentThreadId());
    DataFileLoad load;
    timing.load = &load;
    CTrackerDlg window(load);
    window.run(GetModuleHandleW(nullptr));
    std::fprintf(stderr, "the window closed before its list was painted with rows\n");
    return 1;
}
