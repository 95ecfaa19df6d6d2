#pragma once

#include <windows.h>

// An exception that would leave a window procedure is caught there and ends the program with
// a word to the user and without saving; unwinding through the dialog manager would end it
// without a word, or not end it at all.

// Call from inside a catch block only: says why over the window given, then ends the process.
[[noreturn]] void endAfterFailure(HWND window);
// True from the failure on: the windows' messages then get the system's handling only.
bool endingAfterFailure();
