#include "text_copy.h"

#include <cstdint>
#include <cstring>

namespace {

// A copy of a fixed size is made inline, by the compiler.
template <std::size_t size>
void copyPiece(char* out, const char* from)
{
    char piece[size];
    std::memcpy(piece, from, size);
    std::memcpy(out, piece, size);
}

// The C runtime's memcpy (Wine's, and the msvcrt that MinGW links) costs a call through a
// table of cases for every text; a short one is copied here as two pieces that overlap.
void copyText(char* out, const char* from, std::size_t size)
{
    if (size >= 16) {
        if (size > 64) {
            std::memcpy(out, from, size);
            return;
        }
        for (std::size_t at = 0; at + 16 < size; at += 16)
            copyPiece<16>(out + at, from + at);
        copyPiece<16>(out + size - 16, from + size - 16);
    } else if (size >= 8) {
        copyPiece<8>(out, from);
        copyPiece<8>(out + size - 8, from + size - 8);
    } else if (size >= 4) {
        copyPiece<4>(out, from);
        copyPiece<4>(out + size - 4, from + size - 4);
    } else {
        for (std::size_t at = 0; at < size; ++at)
            out[at] = from[at];
    }
}

}  // namespace

char* copyTexts(const std::array<std::string_view, 6>& texts, char* out)
{
    for (const auto text : texts) {
        copyText(out, text.data(), text.size());
        out += text.size();
    }
    return out;
}
