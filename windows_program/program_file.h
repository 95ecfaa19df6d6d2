#pragma once

#include <windows.h>

#include <string>

// The program's name, the base name of its executable file, which captions its message boxes.
std::wstring programName();

// Asks HTML Help for the topic of the help file beside the executable (its name with ".chm");
// tells the user where the viewer cannot show it. F1 with Shift, Ctrl or Alt held does nothing.
void showHelpTopic(HWND window, DWORD topic);
