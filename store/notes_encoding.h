#pragma once

#include <string>
#include <string_view>

// Notes are kept on one line in the file: CR is stored as a grave accent, LF as a tilde.
void encodeNotes(std::string& notes);
// Appends the notes to the output as encodeNotes gives them, in one pass.
void appendEncodedNotes(std::string& out, std::string_view notes);
// Turns every grave accent directly followed by a tilde back into the line break CR LF.
void decodeNotes(std::string& notes);
