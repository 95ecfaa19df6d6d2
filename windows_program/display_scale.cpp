#include "display_scale.h"

namespace {

// Looked up at run time: Windows 7 and 8 do not have them, and a program that imported them
// would not start there.
template <typename Function>
Function* userFunction(const char* name)
{
    return reinterpret_cast<Function*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

UINT dpiOf(HWND window)
{
    static auto* const ofWindow = userFunction<UINT WINAPI(HWND)>("GetDpiForWindow");
    if (ofWindow)
        return ofWindow(window);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

int systemMetricAt(int metric, UINT dpi)
{
    static auto* const atDpi = userFunction<int WINAPI(int, UINT)>("GetSystemMetricsForDpi");
    return atDpi ? atDpi(metric, dpi) : GetSystemMetrics(metric);
}
