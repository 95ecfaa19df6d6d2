#pragma once

#include <windows.h>

// The scale a window is shown at, in dots per inch (96 is 100 %), and the system's sizes at a
// scale. Where Windows has no per-monitor scale (before Windows 10 1607), the system's own.
UINT dpiOf(HWND window);
int systemMetricAt(int metric, UINT dpi);
