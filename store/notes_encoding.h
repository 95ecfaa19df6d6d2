#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Notes are kept on one line in the file: CR is stored as a grave accent, LF as a tilde.
void encodeNotes(std::string& notes);
// Copies count bytes of notes to out, encoded as encodeNotes does, in one pass; out may be
// notes itself.
void encodeNotesInto(char* out, const char* notes, std::size_t count);
// Whether the notes hold a grave accent directly followed by a tilde, an encoded line break.
bool hasEncodedLineBreak(std::string_view notes);
// Turns every grave accent directly followed by a tilde back into the line break CR LF.
void decodeNotes(std::string& notes);
