#pragma once

#include <string>

// Notes are kept on one line in the file: CR is stored as a grave accent, LF as a tilde.
void encodeNotes(std::string& notes);
// Turns every grave accent directly followed by a tilde back into the line break CR LF.
void decodeNotes(std::string& notes);
