#pragma once

#include "entry.h"
#include "field_bytes.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Field texts and cell texts as a window shows them, in UTF-16, made by the rule of
// field_bytes.h. Notes hold their line breaks as CR LF.

// The text an edit field shows for a field's bytes, over-long lines shortened. It has no more
// code units than the bytes have bytes.
std::u16string editText(std::string_view bytes);
// The same text written to out, which has room for bytes.size() code units; returns its length.
std::size_t writeEditText(std::string_view bytes, char16_t* out);
// The same text handed to take in pieces, each the text of whole lines of about
// kEditTextPiece bytes or of one longer line, and at least one piece: a widget that takes a
// huge text in parts never holds it twice, and reads each part while it is in the cache.
inline constexpr std::size_t kEditTextPiece = std::size_t{1} << 20;
void writeEditTextPieces(std::string_view bytes,
                         const std::function<void(std::u16string_view piece)>& take);
// The bytes of an edit field's text, which replaced the text of shownBytes: in the code page of
// old files where shownBytes were shown in it and every character has a byte there, else in UTF-8. Line
// breaks in Notes, LF or CR LF, become CR LF.
std::string fieldBytes(EntryField field, std::u16string_view text, std::string_view shownBytes);
// The text of a table cell: one line, line breaks shown as a return sign, and no more than
// kCellCharacters characters of a long text, so that a huge value never slows the table.
std::u16string cellText(EntryField field, std::string_view bytes);
