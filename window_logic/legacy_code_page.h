#pragma once

#include "code_page.h"

// The code page in which a value that is not UTF-8 is shown and, once edited, saved: on Windows
// the system's ANSI code page where it has one byte a character, else Windows-1252.
const CodePage& legacyCodePage();
