#pragma once

#include <array>
#include <cstddef>
#include <string>

// The six fields of a record, in the order shared by the table columns, the form and the file.
enum class EntryField : int { Name, Username, Password, Url, Other, Notes };

inline constexpr std::size_t kEntryFieldCount = 6;

// One account record: six byte strings in EntryField order. Notes hold line breaks as CR LF.
struct Entry {
    std::array<std::string, kEntryFieldCount> texts;

    std::string& operator[](EntryField field) { return texts[static_cast<std::size_t>(field)]; }
    const std::string& operator[](EntryField field) const
    {
        return texts[static_cast<std::size_t>(field)];
    }

    // Empties the texts; they keep their room for the next record.
    void clear()
    {
        for (std::string& text : texts)
            text.clear();
    }

    friend bool operator==(const Entry&, const Entry&) = default;
};
