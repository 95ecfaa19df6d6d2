#pragma once

#include "entry.h"

#include <array>
#include <cstddef>
#include <string_view>

// The six texts of a stored row, read in place; it turns into an Entry where a copy is wanted
// and stays valid until the table is next changed.
struct EntryView {
    std::array<std::string_view, kEntryFieldCount> texts;

    EntryView() = default;
    explicit EntryView(const std::array<std::string_view, kEntryFieldCount>& viewed)
        : texts(viewed)
    {
    }
    // An Entry reads like a stored row.
    EntryView(const Entry& entry)
        : texts{entry.texts[0], entry.texts[1], entry.texts[2],
                entry.texts[3], entry.texts[4], entry.texts[5]}
    {
        static_assert(kEntryFieldCount == 6);
    }

    std::string_view operator[](EntryField field) const
    {
        return texts[static_cast<std::size_t>(field)];
    }

    // A copy of the texts, for callers that keep a row.
    operator Entry() const
    {
        Entry entry;
        for (std::size_t i = 0; i < kEntryFieldCount; ++i)
            entry.texts[i].assign(texts[i]);
        return entry;
    }

    friend bool operator==(const EntryView&, const EntryView&) = default;
    friend bool operator==(const EntryView& view, const Entry& entry)
    {
        return view == EntryView(entry);
    }
};
