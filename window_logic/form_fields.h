#pragma once

#include "entry.h"

#include <cstddef>
#include <string>
#include <string_view>

// The entry form's six edit fields and its count, as a window shows them. A window tells the
// form's owner of each change to a field's text, also one that setFieldText makes.
class FormFields {
public:
    virtual ~FormFields() = default;

    // The text as the field holds it; Notes' line breaks as LF or CR LF.
    virtual std::u16string fieldText(EntryField field) const = 0;
    // A field that is not editable shows a shortened value, which must not be read back.
    virtual void setFieldText(EntryField field, std::u16string_view text, bool editable) = 0;
    virtual void setCount(std::size_t count) = 0;
};
