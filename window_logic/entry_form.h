#pragma once

#include "entry.h"
#include "form_fields.h"

#include <bitset>
#include <cstddef>

// The window's six current-entry strings and the count, exchanged with its edit fields.
class EntryForm {
public:
    explicit EntryForm(FormFields& fields) : fields_(fields) {}

    Entry& strings() { return strings_; }
    void setCount(std::size_t count) { count_ = count; }

    // The user (or showForm) changed the field's text.
    void fieldEdited(EntryField field) { edited_[static_cast<std::size_t>(field)] = true; }

    void readForm();   // edit fields into the strings
    void showForm();   // strings and count into the fields
    void clearForm();  // read, empty the strings, show

    // While held, the strings alone are the form: show the form only marks the fields stale
    // and read the form finds them unchanged. Release brings the fields up to date.
    void holdDisplay();
    void releaseDisplay();

private:
    FormFields& fields_;
    Entry strings_;
    std::bitset<kEntryFieldCount> edited_;  // the fields whose text changed since last shown
    std::size_t count_ = 0;
    bool holding_ = false;
    bool stale_ = false;
};
