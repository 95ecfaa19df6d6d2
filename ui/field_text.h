#pragma once

#include "entry.h"

#include <QString>

#include <string>
#include <string_view>

// Field bytes are text in the system's 8-bit encoding; Notes hold their line breaks as CR LF.

// The text an edit field shows for a field's bytes.
QString editText(std::string_view bytes);
// The bytes of an edit field's text; line breaks in Notes become CR LF.
std::string fieldBytes(EntryField field, const QString& text);
// The text of a table cell: one line, line breaks shown as a return sign.
QString cellText(EntryField field, std::string_view bytes);
