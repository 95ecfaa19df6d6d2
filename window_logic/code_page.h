#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// A single-byte code page, as the character of each byte.
using CodePage = std::array<char16_t, 256>;

// Windows-1252, the code page of data files written on Western Windows. The five bytes it
// leaves undefined stand for the C1 controls of the same number, so every byte has a character
// and back.
const CodePage& windows1252();
// Writes the character of each byte to out, which has room for one per byte.
void fromCodePage(const CodePage& codePage, std::string_view bytes, char16_t* out);
// The text's bytes, or nothing when a character of it has no byte in the code page.
std::optional<std::string> toCodePage(const CodePage& codePage, std::u16string_view text);
