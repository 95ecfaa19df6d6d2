#pragma once

#include "entry.h"

#include <array>
#include <cstddef>
#include <optional>
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
        assignTo(entry);
        return entry;
    }

    // Copies the texts into the entry's strings, which keep their room.
    void assignTo(Entry& entry) const
    {
        for (std::size_t i = 0; i < kEntryFieldCount; ++i)
            entry.texts[i].assign(texts[i]);
    }

    // The first count texts as one run of bytes where they lie back to back, as a stored
    // row's do; none where they do not.
    std::optional<std::string_view> joined(std::size_t count = kEntryFieldCount) const
    {
        for (std::size_t i = 0; i + 1 < count; ++i) {
            if (texts[i].data() + texts[i].size() != texts[i + 1].data())
                return std::nullopt;
        }
        const char* const end = texts[count - 1].data() + texts[count - 1].size();
        return std::string_view(texts[0].data(), static_cast<std::size_t>(end - texts[0].data()));
    }

    friend bool operator==(const EntryView&, const EntryView&) = default;
    friend bool operator==(const EntryView& view, const Entry& entry)
    {
        return view == EntryView(entry);
    }
};
