#include "notes_encoding.h"

#include "byte_find.h"

namespace {

const char* findEncodedLineBreak(const char* from, const char* end)
{
    for (; (from = findByte(from, end, '`')) != nullptr && end - from >= 2; ++from) {
        if (from[1] == '~')
            return from;
    }
    return nullptr;
}

}  // namespace

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

bool hasEncodedLineBreak(std::string_view notes)
{
    return findEncodedLineBreak(notes.data(), notes.data() + notes.size()) != nullptr;
}

void decodeNotes(std::string& notes)
{
    const char* const end = notes.data() + notes.size();
    for (const char* pair = findEncodedLineBreak(notes.data(), end); pair;
         pair = findEncodedLineBreak(pair + 2, end)) {
        const auto at = static_cast<std::size_t>(pair - notes.data());
        notes[at] = '\r';
        notes[at + 1] = '\n';
    }
}
