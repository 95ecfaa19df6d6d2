#pragma once

#include "entry.h"
#include "entry_view.h"
#include "row_arena.h"

#include <cstddef>
#include <optional>
#include <vector>

// The ordered rows of entries, row 0 at the top; the only store of records while the program
// runs. A row is known only by its position; two rows may be equal.
class EntryTable {
public:
    std::size_t count() const { return rows_.size(); }
    // The row at position i, or six empty texts where there is no such row. The view is valid
    // until the table next changes, except that inserting rows moves no stored text.
    EntryView row(std::size_t i) const;
    // Row i as the arena keeps it (RowArena::texts reads it), where there is such a row. It
    // stays valid while only insertions change the table.
    RowArena::Row stored(std::size_t i) const { return rows_[rows_.size() - 1 - i]; }

    void insertFirst(const EntryView& entry);
    // Inserts all rows of another table above row 0, in their order, without copying a text;
    // the other table is left empty.
    void insertFirst(EntryTable&& rows);
    void setRow(std::size_t i, const EntryView& entry);  // no effect where there is no row i
    void deleteRow(std::size_t i);                       // no effect where there is no row i
    bool containsDuplicate(const EntryView& entry) const;

    void reverse();
    // Ascending by column; a column already in order is reversed instead.
    void sortByColumn(EntryField column);

    // The position the user selected last, or none; it stays on its position when rows are
    // exchanged and follows its row when rows are inserted above it or removed.
    std::optional<std::size_t> selectionMark() const { return selectionMark_; }
    void setSelectionMark(std::optional<std::size_t> position);

private:
    RowArena::Row& at(std::size_t i) { return rows_[rows_.size() - 1 - i]; }
    void reclaimIfMostlyUnused();

    // Handles of the rows, the bottom row first: loading inserts at 0 by appending, and
    // sorting and reversing move no texts.
    std::vector<RowArena::Row> rows_;
    RowArena arena_;
    std::size_t unusedBytes_ = 0;  // of replaced and deleted rows, still in the arena
    std::optional<std::size_t> selectionMark_;
};
