#pragma once

#include "entry.h"

#include <string>
#include <string_view>

// The entry form's six edit fields and its count, as a window shows them. A window tells the
// form's owner of each change to a field's text, also one that setFieldText makes.
class FormFields {
public:
    virtual ~FormFields() = default;

    // The text as the field holds it; Notes' line breaks as LF or CR LF.
    virtual std::u16string fieldText(EntryField field) const = 0;
    // Shows the field's bytes as its text (field_text.h: writeEditText, or writeEditTextPieces
    // for a field that takes a huge text in parts). A field that is not editable shows a
    // shortened value, which must not be read back.
    virtual void setFieldText(EntryField field, std::string_view bytes, bool editable) = 0;
    virtual void setCount(std::size_t count) = 0;
};
