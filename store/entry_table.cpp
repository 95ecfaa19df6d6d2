#include "entry_table.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace {

const Entry kNoEntry;

// A sort key: the column's first sixteen bytes as two big-endian numbers decide most
// comparisons without touching the text (eight bytes would tie on every "https://" address);
// only equal prefixes fall back to comparing the texts.
struct SortKey {
    std::uint64_t high;
    std::uint64_t low;
    std::size_t row;
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

}  // namespace

const Entry& EntryTable::row(std::size_t i) const
{
    return i < rows_.size() ? *rows_[i] : kNoEntry;
}

void EntryTable::insertFirst(Entry entry)
{
    rows_.push_front(std::make_unique<Entry>(std::move(entry)));
    if (selectionMark_)
        ++*selectionMark_;
}

void EntryTable::setRow(std::size_t i, Entry entry)
{
    if (i < rows_.size())
        *rows_[i] = std::move(entry);
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
    return std::any_of(rows_.begin(), rows_.end(),
                       [&entry](const auto& row) { return *row == entry; });
}

void EntryTable::reverse()
{
    std::reverse(rows_.begin(), rows_.end());
}

// Gives exactly the order of repeated exchange passes that swap only strictly greater
// neighbours: a stable ascending sort, or a reversal when no neighbours are out of order.
void EntryTable::sortByColumn(EntryField column)
{
    const auto textLess = [column](const auto& a, const auto& b) {
        return (*a)[column] < (*b)[column];
    };
    if (std::is_sorted(rows_.begin(), rows_.end(), textLess)) {
        reverse();
        return;
    }

    std::vector<SortKey> keys;
    keys.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::string& text = (*rows_[i])[column];
        keys.push_back({bytePrefix(text, 0), bytePrefix(text, 8), i});
    }
    // Equal prefixes: the texts agree on their first sixteen bytes, or one is a shorter prefix
    // padded with zeros, which the full unsigned comparison of the texts orders correctly.
    std::stable_sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return textLess(rows_[a.row], rows_[b.row]);
    });

    // Only the rows' handles move; the position-based selection mark is left where it is.
    std::deque<std::unique_ptr<Entry>> sorted;
    for (const SortKey& key : keys)
        sorted.push_back(std::move(rows_[key.row]));
    rows_ = std::move(sorted);
}

void EntryTable::setSelectionMark(std::optional<std::size_t> position)
{
    if (position && *position >= rows_.size())
        position.reset();
    selectionMark_ = position;
}
