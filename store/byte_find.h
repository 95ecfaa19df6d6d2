#pragma once

// The first of this byte from from up to end, or null where there is none. The reader looks
// for every line's end and in every Notes for an encoded line break, so it goes the way the
// system's C runtime does fastest.
const char* findByte(const char* from, const char* end, char byte);
