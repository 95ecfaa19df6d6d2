#include "notes_encoding.h"

#include <algorithm>

void encodeNotes(std::string& notes)
{
    std::replace(notes.begin(), notes.end(), '\r', '`');
    std::replace(notes.begin(), notes.end(), '\n', '~');
}

void decodeNotes(std::string& notes)
{
    std::size_t pair = notes.find("`~");
    while (pair != std::string::npos) {
        notes[pair] = '\r';
        notes[pair + 1] = '\n';
        pair = notes.find("`~", pair + 2);
    }
}
