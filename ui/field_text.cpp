#include "field_text.h"

#include "windows_1252.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Whether the bytes are UTF-8 as the toolkit reads it: no overlong forms, no surrogates and
// nothing past U+10FFFF. Runs of ASCII are passed over eight bytes at a time.
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

// UTF-8 keeps a byte order mark as a character, so that an edit gives it back.
QString decode(std::string_view bytes, bool utf8)
{
    if (!utf8)
        return fromWindows1252(bytes);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

bool continuesCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// At most enough bytes, cut where a character begins.
std::string_view beginning(std::string_view bytes, std::size_t enough)
{
    if (bytes.size() <= enough)
        return bytes;
    std::size_t cut = enough;
    while (cut > enough - 4 && continuesCharacter(bytes[cut]))
        --cut;
    return bytes.substr(0, cut);
}

// The length of the first line, which ends at a CR or an LF as it does in an edit field.
std::size_t lineLength(std::string_view bytes)
{
    const auto* lineFeed = static_cast<const char*>(std::memchr(bytes.data(), '\n', bytes.size()));
    const std::size_t length =
        lineFeed ? static_cast<std::size_t>(lineFeed - bytes.data()) : bytes.size();
    const auto* carriageReturn = static_cast<const char*>(std::memchr(bytes.data(), '\r', length));
    return carriageReturn ? static_cast<std::size_t>(carriageReturn - bytes.data()) : length;
}

}  // namespace

// Each over-long line is decoded from its beginning only, so that a huge value costs no more
// than its first bytes.
QString editText(std::string_view bytes)
{
    const bool utf8 = isUtf8(bytes);
    if (!hasOverlongLine(bytes))
        return decode(bytes, utf8);
    QString text;
    while (!bytes.empty()) {
        const std::size_t length = lineLength(bytes);
        text += decode(beginning(bytes.substr(0, length), kLongestFieldLine), utf8);
        if (length > kLongestFieldLine)
            text += kEllipsis;
        const std::size_t next = std::min(length + 1, bytes.size());
        text += decode(bytes.substr(length, next - length), utf8);  // the line break
        bytes.remove_prefix(next);
    }
    return text;
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

std::string fieldBytes(EntryField field, QString text, std::string_view shownBytes)
{
    if (field == EntryField::Notes) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\n', QStringLiteral("\r\n"));
    }
    if (!isUtf8(shownBytes)) {
        if (std::optional<std::string> bytes = toWindows1252(text))
            return *std::move(bytes);
    }
    return text.toStdString();
}

// A character takes at most four bytes, and a line break two that show as one character.
std::string_view cellBytes(std::string_view bytes)
{
    return beginning(bytes, static_cast<std::size_t>(4 * kCellCharacters + 4));
}

// The shown part is decoded as the whole value is, so that the cell agrees with the field.
QString cellText(EntryField field, std::string_view bytes)
{
    const std::string_view shown = cellBytes(bytes);
    QString text = decode(shown, isUtf8(bytes));
    if (field == EntryField::Notes) {
        text.replace(QStringLiteral("\r\n"), QString(kReturnSign));
        text.replace(u'\r', kReturnSign);
        text.replace(u'\n', kReturnSign);
    }
    if (text.size() > kCellCharacters || shown.size() < bytes.size()) {
        qsizetype kept = std::min(text.size(), kCellCharacters);
        if (kept > 0 && text.at(kept - 1).isHighSurrogate())
            --kept;
        text.truncate(kept);
        text.append(kEllipsis);
    }
    return text;
}
