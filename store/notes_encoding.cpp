#include "notes_encoding.h"

#include <algorithm>

namespace {

char encoded(char byte)
{
    return byte == '\r' ? '`' : byte == '\n' ? '~' : byte;
}

}  // namespace

void encodeNotes(std::string& notes)
{
    std::transform(notes.begin(), notes.end(), notes.begin(), encoded);
}

void appendEncodedNotes(std::string& out, std::string_view notes)
{
    const std::size_t start = out.size();
    out.resize(start + notes.size());
    std::transform(notes.begin(), notes.end(), out.begin() + static_cast<std::ptrdiff_t>(start),
                   encoded);
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
