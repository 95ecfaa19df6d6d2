#include "legacy_code_page.h"

#include <windows.h>

namespace {

// A byte the code page leaves undefined stands for the character of its own number, as in
// Windows-1252, so that it comes back as itself.
CodePage systemCodePage(UINT codePage)
{
    CodePage characters{};
    for (std::size_t byte = 0; byte < characters.size(); ++byte) {
        const char single = static_cast<char>(byte);
        wchar_t character = 0;
        if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &single, 1, &character, 1) != 1)
            character = static_cast<wchar_t>(byte);
        characters[byte] = static_cast<char16_t>(character);
    }
    return characters;
}

}  // namespace

const CodePage& legacyCodePage()
{
    static const CodePage table = [] {
        const UINT codePage = GetACP();
        CPINFO info{};
        if (!GetCPInfo(codePage, &info) || info.MaxCharSize != 1)
            return windows1252();
        return systemCodePage(codePage);
    }();
    return table;
}
