#pragma once

#include "entry.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

// Field bytes are shown as UTF-8 where they are valid UTF-8, else as Windows-1252, the code page
// of files written on the program's first platform. Notes hold their line breaks as CR LF.

// The most characters a table cell shows of its text; a longer text ends in an ellipsis.
inline constexpr qsizetype kCellCharacters = 256;
inline constexpr char16_t kEllipsis = u'\u2026';
inline constexpr char16_t kReturnSign = u'\u21b5';

// The most bytes of one line that an edit field shows: laying out a line costs the toolkit time
// and memory by its length (a minute and gigabytes for 64 MiB), so a longer line shows only its
// beginning and an ellipsis, and its field cannot be edited.
inline constexpr std::size_t kLongestFieldLine = 65536;

// The text an edit field shows for a field's bytes, over-long lines shortened.
QString editText(std::string_view bytes);
// Whether a line of the bytes is too long for an edit field to show whole.
bool hasOverlongLine(std::string_view bytes);
// The bytes of an edit field's text, which replaced the text of shownBytes: in Windows-1252
// where shownBytes were shown in it and every character has a byte there, else in UTF-8. Line
// breaks in Notes become CR LF.
std::string fieldBytes(EntryField field, QString text, std::string_view shownBytes);
// The text of a table cell: one line, line breaks shown as a return sign, and no more than
// kCellCharacters characters of a long text, so that a huge value never slows the table.
QString cellText(EntryField field, std::string_view bytes);
// The bytes a cell's text is made from: enough for kCellCharacters characters, cut where a
// character begins.
std::string_view cellBytes(std::string_view bytes);
