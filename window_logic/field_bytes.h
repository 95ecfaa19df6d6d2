#pragma once

#include <cstddef>
#include <string_view>

// How much of a field's bytes the window shows. Bytes are shown as UTF-8 where they are valid
// UTF-8, else in the code page of old files (legacy_code_page.h).

// The most characters a table cell shows of its text; a longer text ends in an ellipsis.
inline constexpr std::ptrdiff_t kCellCharacters = 256;
inline constexpr char16_t kEllipsis = u'\u2026';
inline constexpr char16_t kReturnSign = u'\u21b5';

// The most bytes of one line that an edit field shows: laying out a line costs a text widget
// time and memory by its length (a minute and gigabytes for 64 MiB), so a longer line shows only
// its beginning and an ellipsis, and its field cannot be edited.
inline constexpr std::size_t kLongestFieldLine = 65536;

// Whether the bytes are UTF-8: no overlong forms, no surrogates and nothing past U+10FFFF.
bool isUtf8(std::string_view bytes);
// At most enough bytes, cut where a UTF-8 character begins.
std::string_view beginning(std::string_view bytes, std::size_t enough);
// The length of the first line, which ends at a CR or an LF as it does in an edit field.
std::size_t lineLength(std::string_view bytes);
// Whether a line of the bytes is too long for an edit field to show whole.
bool hasOverlongLine(std::string_view bytes);
// The bytes a cell's text is made from: enough for kCellCharacters characters.
std::string_view cellBytes(std::string_view bytes);
