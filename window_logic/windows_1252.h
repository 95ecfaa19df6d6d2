#pragma once

#include <optional>
#include <string>
#include <string_view>

// Windows-1252, the code page of data files written on the program's first platform. The five
// bytes it leaves undefined stand for the C1 controls of the same number, so every byte has a
// character and back.

// Writes the character of each byte to out, which has room for one per byte.
void fromWindows1252(std::string_view bytes, char16_t* out);
// The text's bytes, or nothing when a character of it has no byte in the code page.
std::optional<std::string> toWindows1252(std::u16string_view text);
