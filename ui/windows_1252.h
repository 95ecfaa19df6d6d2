#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

// Windows-1252, the code page of data files written on the program's first platform. The five
// bytes it leaves undefined stand for the C1 controls of the same number, so every byte has a
// character and back.
QString fromWindows1252(std::string_view bytes);
// The text's bytes, or nothing when a character of it has no byte in the code page.
std::optional<std::string> toWindows1252(const QString& text);
