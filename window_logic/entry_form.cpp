#include "entry_form.h"

#include "field_text.h"

#include <utility>

// A field whose text did not change keeps its bytes, even those that are no valid text, and
// is not read back: a huge Notes value would cost its whole length twice.
void EntryForm::readForm()
{
    if (holding_)
        return;
    for (std::size_t index = 0; index < kEntryFieldCount; ++index) {
        if (!edited_[index])
            continue;
        const auto field = static_cast<EntryField>(index);
        strings_[field] = fieldBytes(field, fields_.fieldText(field), strings_[field]);
    }
    edited_.reset();
}

void EntryForm::showForm()
{
    if (holding_) {
        stale_ = true;
        return;
    }
    for (std::size_t index = 0; index < kEntryFieldCount; ++index) {
        const std::string& bytes = strings_.texts[index];
        fields_.setFieldText(static_cast<EntryField>(index), bytes, !hasOverlongLine(bytes));
    }
    edited_.reset();
    fields_.setCount(count_);
}

void EntryForm::clearForm()
{
    readForm();
    strings_.clear();  // the strings keep their room for the next record
    showForm();
}

void EntryForm::holdDisplay()
{
    holding_ = true;
}

void EntryForm::releaseDisplay()
{
    holding_ = false;
    if (std::exchange(stale_, false))
        showForm();
}
