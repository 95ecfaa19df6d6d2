#pragma once

#include "entry.h"
#include "entry_table.h"
#include "text_measure.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The width of the widest cell text of each column, as the table's cells measure it, kept
// up to date record by record so that fitting the columns never rescans the table on loading.
class ColumnWidths {
public:
    ColumnWidths(const EntryTable& table, const TextMeasure& measure);

    void add(const EntryView& entry);
    // Call before the entry leaves the table; a column that loses its widest text is measured
    // afresh when it is next asked for.
    void remove(const EntryView& entry);
    int widest(EntryField column);  // 0 for an empty table
    void remeasure();

private:
    void measureCharacters();
    void measureCell(std::size_t column, std::string_view bytes, bool knownAscii);
    int cellWidth(EntryField field, std::string_view bytes) const;
    bool mayBeWider(EntryField field, std::string_view bytes, int width) const;
    bool mayBeWider(std::u16string_view text, int width) const;
    std::int64_t roomOf(int width) const;
    std::int64_t unitsOf(EntryField field, std::string_view bytes) const;
    float characterWidth(char16_t character) const;
    void measureColumn(std::size_t column);
    void setWidest(std::size_t column, int width);

    const EntryTable& table_;
    const TextMeasure& measure_;
    int padding_ = 0;
    std::array<int, kEntryFieldCount> widest_{};
    // Per column, the length up to which a text of ASCII bytes is never wider than the widest.
    std::array<std::size_t, kEntryFieldCount> narrowLengths_{};
    std::bitset<kEntryFieldCount> stale_;
    mutable std::vector<float> characterWidths_;  // by UTF-16 code unit; negative: not yet known
    // Widths in 64ths of a pixel, rounded up, by byte: of each ASCII character as any cell and
    // as Notes show it (other bytes are marked), of the widest of them, and of the ellipsis.
    std::array<std::int64_t, 0x100> units_{};
    std::array<std::int64_t, 0x100> notesUnits_{};
    std::int64_t widestAsciiUnits_ = 0;
    std::int64_t ellipsisUnits_ = 0;
};
