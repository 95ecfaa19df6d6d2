#include "entry_table.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace {

const Entry kNoEntry;

// A sort key: the column's first eight bytes as one big-endian number decide most comparisons
// without touching the text; only equal prefixes fall back to comparing the rest.
struct SortKey {
    std::uint64_t prefix;
    std::string_view text;
    std::size_t row;
};

std::uint64_t bytePrefix(std::string_view text)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        prefix <<= 8;
        if (i < text.size())
            prefix |= static_cast<unsigned char>(text[i]);
    }
    return prefix;
}

bool keyLess(const SortKey& a, const SortKey& b)
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix;
    // Equal prefixes: the texts agree on their first eight bytes or one is a shorter prefix
    // padded with zeros, which the full unsigned comparison below orders correctly.
    return a.text.compare(b.text) < 0;
}

}  // namespace

const Entry& EntryTable::row(std::size_t i) const
{
    return i < rows_.size() ? rows_[i] : kNoEntry;
}

void EntryTable::insertFirst(Entry entry)
{
    rows_.push_front(std::move(entry));
    if (selectionMark_)
        ++*selectionMark_;
}

void EntryTable::setRow(std::size_t i, Entry entry)
{
    if (i < rows_.size())
        rows_[i] = std::move(entry);
}

void EntryTable::deleteRow(std::size_t i)
{
    if (i >= rows_.size())
        return;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
    if (selectionMark_ == i)
        selectionMark_.reset();
    else if (selectionMark_ && *selectionMark_ > i)
        --*selectionMark_;
}

bool EntryTable::containsDuplicate(const Entry& entry) const
{
    return std::find(rows_.begin(), rows_.end(), entry) != rows_.end();
}

void EntryTable::reverse()
{
    std::reverse(rows_.begin(), rows_.end());
}

// Gives exactly the order of repeated exchange passes that swap only strictly greater
// neighbours: a stable ascending sort, or a reversal when no neighbours are out of order.
void EntryTable::sortByColumn(EntryField column)
{
    const auto inOrder = std::is_sorted(rows_.begin(), rows_.end(),
                                        [column](const Entry& a, const Entry& b) {
                                            return a[column] < b[column];
                                        });
    if (inOrder) {
        reverse();
        return;
    }

    std::vector<SortKey> keys;
    keys.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i)
        keys.push_back({bytePrefix(rows_[i][column]), rows_[i][column], i});
    std::stable_sort(keys.begin(), keys.end(), keyLess);

    // Move the rows into their new places by following the permutation's cycles, so the table
    // is rearranged in place with one spare row.
    std::vector<std::size_t> source(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        source[i] = keys[i].row;
    keys.clear();
    keys.shrink_to_fit();
    for (std::size_t start = 0; start < source.size(); ++start) {
        if (source[start] == start)
            continue;
        Entry spare = std::move(rows_[start]);
        std::size_t hole = start;
        while (source[hole] != start) {
            const std::size_t from = source[hole];
            rows_[hole] = std::move(rows_[from]);
            source[hole] = hole;
            hole = from;
        }
        rows_[hole] = std::move(spare);
        source[hole] = hole;
    }
}

void EntryTable::setSelectionMark(std::optional<std::size_t> position)
{
    if (position && *position >= rows_.size())
        position.reset();
    selectionMark_ = position;
}
