#include "code_page.h"

#include <algorithm>
#include <iterator>

namespace {

// The characters of the bytes 0x80 to 0x9F; the others are their own code points.
constexpr std::array<char16_t, 32> kHighControls{
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

}  // namespace

const CodePage& windows1252()
{
    static const CodePage table = [] {
        CodePage characters{};
        for (std::size_t byte = 0; byte < characters.size(); ++byte)
            characters[byte] = byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80]
                                                           : static_cast<char16_t>(byte);
        return characters;
    }();
    return table;
}

void fromCodePage(const CodePage& codePage, std::string_view bytes, char16_t* out)
{
    for (const char byte : bytes)
        *out++ = codePage[static_cast<unsigned char>(byte)];
}

std::optional<std::string> toCodePage(const CodePage& codePage, std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (const char16_t code : text) {
        if (code < 0x80 && codePage[code] == code) {
            bytes.push_back(static_cast<char>(code));
            continue;
        }
        const auto found = std::find(codePage.begin(), codePage.end(), code);
        if (found == codePage.end())
            return std::nullopt;
        bytes.push_back(static_cast<char>(std::distance(codePage.begin(), found)));
    }
    return bytes;
}
