#pragma once

#include "entry.h"

#include <cstddef>
#include <functional>
#include <string>

// The entry form's six edit fields and its count, as a window shows them. A window tells the
// form's owner of each change to a field's text, also one that setFieldText makes.
class FormFields {
public:
    virtual ~FormFields() = default;

    // The text as the field holds it; Notes' line breaks as LF or CR LF.
    virtual std::u16string fieldText(EntryField field) const = 0;
    // Writes a text of at most `room` code units into the room it is given; returns its length.
    using TextWriter = std::function<std::size_t(char16_t* room)>;
    // Shows the text that write puts into the field's own room, so that a huge value is
    // written once. A field that is not editable shows a shortened value, which must not be
    // read back.
    virtual void setFieldText(EntryField field, std::size_t room, const TextWriter& write,
                              bool editable) = 0;
    virtual void setCount(std::size_t count) = 0;
};
