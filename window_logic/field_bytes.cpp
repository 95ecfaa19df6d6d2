#include "field_bytes.h"

#include <cstdint>
#include <cstring>

namespace {

bool continuesCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

// Strict, so that valid bytes decode without a replacement character. Runs of ASCII are passed
// over eight bytes at a time.
bool isUtf8(std::string_view bytes)
{
    const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t at = 0;
    while (at < size) {
        if (std::uint64_t eight = 0; at + 8 <= size) {
            std::memcpy(&eight, text + at, 8);
            if ((eight & 0x8080808080808080u) == 0) {
                at += 8;
                continue;
            }
        }
        const unsigned lead = text[at];
        std::size_t length = 1;
        char32_t code = lead;
        char32_t least = 0;
        if (lead >= 0xF0 && lead < 0xF8)
            length = 4, code = lead & 0x07, least = 0x10000;
        else if (lead >= 0xE0 && lead < 0xF0)
            length = 3, code = lead & 0x0F, least = 0x800;
        else if (lead >= 0xC0 && lead < 0xE0)
            length = 2, code = lead & 0x1F, least = 0x80;
        else if (lead >= 0x80)
            return false;
        if (size - at < length)
            return false;
        for (std::size_t next = 1; next < length; ++next) {
            if ((text[at + next] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (text[at + next] & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return false;
        at += length;
    }
    return true;
}

std::string_view beginning(std::string_view bytes, std::size_t enough)
{
    if (bytes.size() <= enough)
        return bytes;
    std::size_t cut = enough;
    while (cut > enough - 4 && continuesCharacter(bytes[cut]))
        --cut;
    return bytes.substr(0, cut);
}

std::size_t lineLength(std::string_view bytes)
{
    const auto* lineFeed = static_cast<const char*>(std::memchr(bytes.data(), '\n', bytes.size()));
    const std::size_t length =
        lineFeed ? static_cast<std::size_t>(lineFeed - bytes.data()) : bytes.size();
    const auto* carriageReturn = static_cast<const char*>(std::memchr(bytes.data(), '\r', length));
    return carriageReturn ? static_cast<std::size_t>(carriageReturn - bytes.data()) : length;
}

bool hasOverlongLine(std::string_view bytes)
{
    while (bytes.size() > kLongestFieldLine) {
        const std::size_t length = lineLength(bytes);
        if (length > kLongestFieldLine)
            return true;
        bytes.remove_prefix(length + 1);
    }
    return false;
}

// A character takes at most four bytes, and a line break two that show as one character.
std::string_view cellBytes(std::string_view bytes)
{
    return beginning(bytes, static_cast<std::size_t>(4 * kCellCharacters + 4));
}
