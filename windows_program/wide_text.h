#pragma once

#include <string>
#include <string_view>

// The program's own texts, UTF-8, as the system's wide interfaces take them.
std::wstring wideText(std::string_view text);
// A text of the window's logic, UTF-16, as the system's wide interfaces take it.
inline std::wstring wideText(std::u16string_view text)
{
    return {text.begin(), text.end()};
}
