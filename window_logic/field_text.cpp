#include "field_text.h"

#include "legacy_code_page.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080U;

bool isHighSurrogate(char16_t unit)
{
    return (unit & 0xFC00) == 0xD800;
}

bool isLowSurrogate(char16_t unit)
{
    return (unit & 0xFC00) == 0xDC00;
}

// Writes the UTF-16 of valid UTF-8 bytes, a byte order mark kept as a character so that an edit
// gives it back; returns the end of what was written. Runs of ASCII go sixteen bytes at a time,
// through local copies that the compiler may widen in a few instructions.
char16_t* decodeUtf8(std::string_view bytes, char16_t* out)
{
    constexpr std::size_t kRun = 16;
    const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t at = 0;
    while (at < size) {
        if (at + kRun <= size) {
            std::array<unsigned char, kRun> run;
            std::memcpy(run.data(), text + at, kRun);
            std::uint64_t low = 0;
            std::uint64_t high = 0;
            std::memcpy(&low, run.data(), 8);
            std::memcpy(&high, run.data() + 8, 8);
            if (((low | high) & kHighBits) == 0) {
                std::array<char16_t, kRun> wide;
                for (std::size_t i = 0; i < kRun; ++i)
                    wide[i] = run[i];
                std::memcpy(out, wide.data(), sizeof wide);
                at += kRun;
                out += kRun;
                continue;
            }
        }
        const char32_t lead = text[at];
        const auto next = [&](std::size_t i) { return char32_t{text[at + i]} & 0x3F; };
        if (lead < 0x80) {
            *out++ = static_cast<char16_t>(lead);
            at += 1;
        } else if (lead < 0xE0) {
            *out++ = static_cast<char16_t>((lead & 0x1F) << 6 | next(1));
            at += 2;
        } else if (lead < 0xF0) {
            *out++ = static_cast<char16_t>((lead & 0x0F) << 12 | next(1) << 6 | next(2));
            at += 3;
        } else {
            const char32_t code =
                ((lead & 0x07) << 18 | next(1) << 12 | next(2) << 6 | next(3)) - 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
            at += 4;
        }
    }
    return out;
}

// Writes the text of bytes shown in UTF-8 or, where utf8 is false, in the code page of old
// files; returns the end of what was written, never more code units than bytes.
char16_t* decode(std::string_view bytes, bool utf8, char16_t* out)
{
    if (utf8)
        return decodeUtf8(bytes, out);
    fromCodePage(legacyCodePage(), bytes, out);
    return out + bytes.size();
}

// A code unit of a broken surrogate pair becomes '?', as the toolkit's own conversion makes it.
void appendUtf8(std::string& bytes, std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code < 0x80) {
            bytes.push_back(static_cast<char>(code));
            continue;
        }
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i])) {
            bytes.push_back('?');
            continue;
        }
        const auto byte = [](char32_t value) { return static_cast<char>(value); };
        if (code < 0x800) {
            bytes.push_back(byte(0xC0 | code >> 6));
        } else if (code < 0x10000) {
            bytes.push_back(byte(0xE0 | code >> 12));
            bytes.push_back(byte(0x80 | (code >> 6 & 0x3F)));
        } else {
            bytes.push_back(byte(0xF0 | code >> 18));
            bytes.push_back(byte(0x80 | (code >> 12 & 0x3F)));
            bytes.push_back(byte(0x80 | (code >> 6 & 0x3F)));
        }
        bytes.push_back(byte(0x80 | (code & 0x3F)));
    }
}

// Every line break, LF or CR LF, as CR LF; a CR alone stays as it is.
std::u16string withReturnNewlines(std::u16string_view text)
{
    std::u16string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            lines.push_back(u'\r');
        lines.push_back(text[i]);
    }
    return lines;
}

// Each over-long line is decoded from its beginning only, so that a huge value costs no more
// than its first bytes; its ellipsis takes the place of far more bytes than one.
std::size_t writeText(std::string_view bytes, bool utf8, char16_t* const out)
{
    if (!hasOverlongLine(bytes))
        return static_cast<std::size_t>(decode(bytes, utf8, out) - out);
    char16_t* end = out;
    while (!bytes.empty()) {
        const std::size_t length = lineLength(bytes);
        end = decode(beginning(bytes.substr(0, length), kLongestFieldLine), utf8, end);
        if (length > kLongestFieldLine)
            *end++ = kEllipsis;
        const std::size_t next = std::min(length + 1, bytes.size());
        end = decode(bytes.substr(length, next - length), utf8, end);  // the line break
        bytes.remove_prefix(next);
    }
    return static_cast<std::size_t>(end - out);
}

}  // namespace

std::u16string editText(std::string_view bytes)
{
    std::u16string text(bytes.size(), u'\0');
    text.resize(writeEditText(bytes, text.data()));
    return text;
}

std::size_t writeEditText(std::string_view bytes, char16_t* out)
{
    return writeText(bytes, isUtf8(bytes), out);
}

// A piece ends after a line feed, which no character of UTF-8 or of a code page of old files
// holds as one of its bytes, so that each piece decodes as it would within the whole.
void writeEditTextPieces(std::string_view bytes,
                         const std::function<void(std::u16string_view piece)>& take)
{
    const bool utf8 = isUtf8(bytes);
    std::unique_ptr<char16_t[]> text;
    std::size_t room = 0;
    do {
        std::size_t end = bytes.size();
        if (end > kEditTextPiece) {
            const std::size_t lineFeed = bytes.find('\n', kEditTextPiece - 1);
            end = lineFeed == std::string_view::npos ? bytes.size() : lineFeed + 1;
        }
        if (end > room) {
            text = std::make_unique_for_overwrite<char16_t[]>(end);
            room = end;
        }
        take({text.get(), writeText(bytes.substr(0, end), utf8, text.get())});
        bytes.remove_prefix(end);
    } while (!bytes.empty());
}

std::string fieldBytes(EntryField field, std::u16string_view text, std::string_view shownBytes)
{
    std::u16string lines;
    if (field == EntryField::Notes) {
        lines = withReturnNewlines(text);
        text = lines;
    }
    if (!isUtf8(shownBytes)) {
        if (std::optional<std::string> bytes = toCodePage(legacyCodePage(), text))
            return *std::move(bytes);
    }
    std::string bytes;
    bytes.reserve(text.size());
    appendUtf8(bytes, text);
    return bytes;
}

// The shown part is decoded as the whole value is, so that the cell agrees with the field.
std::u16string cellText(EntryField field, std::string_view bytes)
{
    const std::string_view shown = cellBytes(bytes);
    std::u16string text(shown.size(), u'\0');
    text.resize(static_cast<std::size_t>(decode(shown, isUtf8(bytes), text.data()) - text.data()));
    if (field == EntryField::Notes) {
        std::size_t kept = 0;
        bool afterReturn = false;
        for (const char16_t unit : text) {
            if (!(unit == u'\n' && afterReturn))  // the LF of a CR LF is shown with its CR
                text[kept++] = unit == u'\r' || unit == u'\n' ? kReturnSign : unit;
            afterReturn = unit == u'\r';
        }
        text.resize(kept);
    }
    const auto characters = static_cast<std::size_t>(kCellCharacters);
    if (text.size() > characters || shown.size() < bytes.size()) {
        std::size_t kept = std::min(text.size(), characters);
        if (kept > 0 && isHighSurrogate(text[kept - 1]))
            --kept;
        text.resize(kept);
        text.push_back(kEllipsis);
    }
    return text;
}
