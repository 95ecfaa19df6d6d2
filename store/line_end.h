#pragma once

// The first line feed from from up to end, or null where there is none; the reader asks once
// per line, so it goes the way the system's C runtime does fastest.
const char* findLineEnd(const char* from, const char* end);
