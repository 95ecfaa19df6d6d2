#pragma once

#include "entry.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>

// The ordered rows of entries, row 0 at the top; the only store of records while the program
// runs. A row is known only by its position; two rows may be equal.
class EntryTable {
public:
    std::size_t count() const { return rows_.size(); }
    // The row at position i, or six empty texts where there is no such row.
    const Entry& row(std::size_t i) const;

    void insertFirst(Entry entry);
    void setRow(std::size_t i, Entry entry);  // no effect where there is no row i
    void deleteRow(std::size_t i);            // no effect where there is no row i
    bool containsDuplicate(const Entry& entry) const;

    void reverse();
    // Ascending by column; a column already in order is reversed instead.
    void sortByColumn(EntryField column);

    // The position the user selected last, or none; it stays on its position when rows are
    // exchanged and follows its row when rows are inserted above it or removed.
    std::optional<std::size_t> selectionMark() const { return selectionMark_; }
    void setSelectionMark(std::optional<std::size_t> position);

private:
    // Handles: loading inserts at 0 in constant time; sorting and reversing move no texts.
    std::deque<std::unique_ptr<Entry>> rows_;
    std::optional<std::size_t> selectionMark_;
};
