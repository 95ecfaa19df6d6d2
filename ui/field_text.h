#pragma once

#include "entry.h"
#include "field_bytes.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

// Field texts and cell texts as the toolkit holds them, made by the rule of field_bytes.h.
// Notes hold their line breaks as CR LF.

// The text an edit field shows for a field's bytes, over-long lines shortened.
QString editText(std::string_view bytes);
// The bytes of an edit field's text, which replaced the text of shownBytes: in Windows-1252
// where shownBytes were shown in it and every character has a byte there, else in UTF-8. Line
// breaks in Notes become CR LF.
std::string fieldBytes(EntryField field, QString text, std::string_view shownBytes);
// The text of a table cell: one line, line breaks shown as a return sign, and no more than
// kCellCharacters characters of a long text, so that a huge value never slows the table.
QString cellText(EntryField field, std::string_view bytes);
