#include "notes_encoding.h"

void encodeNotes(std::string& notes)
{
    encodeNotesInto(notes.data(), notes.data(), notes.size());
}

// A plain loop over bytes, which the compiler turns into vector instructions.
void encodeNotesInto(char* out, const char* notes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const char byte = notes[i];
        out[i] = byte == '\r' ? '`' : byte == '\n' ? '~' : byte;
    }
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
