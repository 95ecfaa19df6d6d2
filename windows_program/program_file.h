#pragma once

#include <windows.h>

#include <string>

// The program's name, the base name of its executable file, which captions its message boxes.
std::wstring programName();

// Asks the help viewer for the topic of the help file beside the executable (its name with
// ".HLP"); tells the user where the viewer cannot be started. F1 with Shift, Ctrl or Alt held
// does nothing.
void showHelpTopic(HWND window, DWORD topic);
