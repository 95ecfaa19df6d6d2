#pragma once

#include "entry.h"

#include <QString>

#include <string>

// Field bytes are shown as UTF-8 where they are valid UTF-8, else as Windows-1252, the code page
// of files written on the program's first platform. Notes hold their line breaks as CR LF.

// The text an edit field shows for a field's bytes.
QString editText(const std::string& bytes);
// The bytes of an edit field's text, which replaced the text of shownBytes: in Windows-1252
// where shownBytes were shown in it and every character has a byte there, else in UTF-8. Line
// breaks in Notes become CR LF.
std::string fieldBytes(EntryField field, QString text, const std::string& shownBytes);
// The text of a table cell: one line, line breaks shown as a return sign.
QString cellText(EntryField field, const std::string& bytes);
