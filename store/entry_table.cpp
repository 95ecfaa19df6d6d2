#include "entry_table.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

namespace {

// Unused arena space left by Update and Delete is given back once it exceeds both this and
// the space the rows still take, so a session of edits keeps the arena within about twice
// its rows.
constexpr std::size_t kLeastReclaimedBytes = std::size_t{64} << 10;

// A sort key: the column's first sixteen bytes as two big-endian numbers decide most
// comparisons without touching the text (eight bytes would tie on every "https://" address);
// only equal prefixes fall back to comparing the texts.
struct SortKey {
    std::uint64_t high;
    std::uint64_t low;
    RowArena::Row row;
};

std::uint64_t bytePrefix(std::string_view text, std::size_t from)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = from; i < from + 8; ++i) {
        prefix <<= 8;
        if (i < text.size())
            prefix |= static_cast<unsigned char>(text[i]);
    }
    return prefix;
}

std::string_view columnText(RowArena::Row row, EntryField column)
{
    return RowArena::text(row, static_cast<std::size_t>(column));
}

}  // namespace

EntryView EntryTable::row(std::size_t i) const
{
    if (i >= rows_.size())
        return {};
    return EntryView(RowArena::texts(rows_[rows_.size() - 1 - i]));
}

void EntryTable::insertFirst(const EntryView& entry)
{
    rows_.push_back(arena_.add(entry.texts));
    if (selectionMark_)
        ++*selectionMark_;
}

void EntryTable::insertFirst(EntryTable&& rows)
{
    rows_.reserve(rows_.size() + rows.rows_.size());
    arena_.adopt(std::move(rows.arena_));  // the last step that may fail
    rows_.insert(rows_.end(), rows.rows_.begin(), rows.rows_.end());
    unusedBytes_ += std::exchange(rows.unusedBytes_, 0);
    if (selectionMark_)
        *selectionMark_ += rows.rows_.size();
    rows.rows_.clear();
    rows.selectionMark_.reset();
}

void EntryTable::setRow(std::size_t i, const EntryView& entry)
{
    if (i >= rows_.size())
        return;
    RowArena::Row& row = at(i);
    unusedBytes_ += RowArena::footprint(row);
    row = arena_.add(entry.texts);
    reclaimIfMostlyUnused();
}

void EntryTable::deleteRow(std::size_t i)
{
    if (i >= rows_.size())
        return;
    unusedBytes_ += RowArena::footprint(at(i));
    rows_.erase(rows_.end() - 1 - static_cast<std::ptrdiff_t>(i));
    if (selectionMark_ == i)
        selectionMark_.reset();
    else if (selectionMark_ && *selectionMark_ > i)
        --*selectionMark_;
    reclaimIfMostlyUnused();
}

bool EntryTable::containsDuplicate(const EntryView& entry) const
{
    return std::any_of(rows_.rbegin(), rows_.rend(), [&entry](RowArena::Row row) {
        return EntryView(RowArena::texts(row)) == entry;
    });
}

void EntryTable::reverse()
{
    std::reverse(rows_.begin(), rows_.end());
}

// Gives exactly the order of repeated exchange passes that swap only strictly greater
// neighbours: a stable ascending sort, or a reversal when no neighbours are out of order.
void EntryTable::sortByColumn(EntryField column)
{
    // Top row first, as the order is defined.
    const auto textLess = [column](RowArena::Row a, RowArena::Row b) {
        return columnText(a, column) < columnText(b, column);
    };
    if (std::is_sorted(rows_.rbegin(), rows_.rend(), textLess)) {
        reverse();
        return;
    }

    std::vector<SortKey> keys;
    keys.reserve(rows_.size());
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row) {
        const std::string_view text = columnText(*row, column);
        keys.push_back({bytePrefix(text, 0), bytePrefix(text, 8), *row});
    }
    // Equal prefixes: the texts agree on their first sixteen bytes, or one is a shorter prefix
    // padded with zeros, which the full unsigned comparison of the texts orders correctly.
    std::stable_sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return textLess(a.row, b.row);
    });

    // Only the rows' handles move; the position-based selection mark is left where it is.
    std::transform(keys.rbegin(), keys.rend(), rows_.begin(),
                   [](const SortKey& key) { return key.row; });
}

void EntryTable::setSelectionMark(std::optional<std::size_t> position)
{
    if (position && *position >= rows_.size())
        position.reset();
    selectionMark_ = position;
}

// Copies the rows into a fresh arena, which frees the space of replaced and deleted rows.
void EntryTable::reclaimIfMostlyUnused()
{
    if (unusedBytes_ < kLeastReclaimedBytes || unusedBytes_ < arena_.bytesUsed() - unusedBytes_)
        return;
    RowArena fresh;
    for (RowArena::Row& row : rows_)
        row = fresh.add(RowArena::texts(row));
    arena_ = std::move(fresh);
    unusedBytes_ = 0;
}
