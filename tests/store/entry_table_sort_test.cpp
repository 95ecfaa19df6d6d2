#include "entry_table.h"

#include "store_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>

namespace {

// Unsigned byte comparison spelled out, rather than taken from the standard library.
bool greaterText(const std::string& a, const std::string& b)
{
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto left = static_cast<unsigned char>(a[i]);
        const auto right = static_cast<unsigned char>(b[i]);
        if (left != right)
            return left > right;
    }
    return a.size() > b.size();
}

// The exchange sort the table's order is defined by: full passes that swap neighbours only
// when the first is strictly greater, until a pass swaps nothing; no swap at all reverses.
void referenceSort(std::vector<Entry>& rows, EntryField column)
{
    bool exchangedAny = false;
    bool exchanged = rows.size() >= 2;
    while (exchanged) {
        exchanged = false;
        for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
            if (greaterText(rows[i][column], rows[i + 1][column])) {
                std::swap(rows[i], rows[i + 1]);
                exchanged = exchangedAny = true;
            }
        }
    }
    if (!exchangedAny)
        std::reverse(rows.begin(), rows.end());
}

// Texts that make keys repeat and that probe the table's comparison of fixed-size prefixes:
// empty texts, case pairs, bytes from 0x80 up, NUL bytes that look like a prefix's padding,
// and common beginnings of 7 to 24 bytes.
std::string randomText(std::mt19937& random)
{
    static constexpr char kAlphabet[] = {'a', 'A', 'b', 'B', '\0', '\x7f', '\x80', '\xff'};
    static constexpr std::string_view kBeginnings[] = {"https:/", "commonprefix",
                                                       "a common prefix: 24 long"};
    std::uniform_int_distribution<int> shape(0, 5);
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kAlphabet - 1);
    std::uniform_int_distribution<int> length(0, 3);
    std::string text;
    const int kind = shape(random);
    if (kind == 0)
        return text;
    if (kind <= 3)
        text = kBeginnings[kind - 1];
    for (int i = length(random); i > 0; --i)
        text.push_back(kAlphabet[letter(random)]);
    return text;
}

TEST(EntryTableSortEquivalence, SameOrderAsExchangeSortOnRandomTables)
{
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> column(0, kEntryFieldCount - 1);
    for (int round = 0; round < 400; ++round) {
        const std::size_t rowCount = round < 10 ? static_cast<std::size_t>(round)
                                                : std::uniform_int_distribution<std::size_t>(
                                                      2, round % 50 == 0 ? 400 : 40)(random);
        std::vector<Entry> expected;
        EntryTable table;
        for (std::size_t i = 0; i < rowCount; ++i) {
            Entry entry;
            for (auto& text : entry.texts)
                text = randomText(random);
            expected.insert(expected.begin(), entry);
            table.insertFirst(entry);
        }
        // One column clicked three times (ascending, reversal, ascending), then others.
        const auto first = static_cast<EntryField>(column(random));
        const auto second = static_cast<EntryField>(column(random));
        const auto third = static_cast<EntryField>(column(random));
        for (const EntryField sorted : {first, first, first, second, third}) {
            referenceSort(expected, sorted);
            table.sortByColumn(sorted);
            ASSERT_EQ(rowsOf(table), expected)
                << "round " << round << ", column " << static_cast<int>(sorted);
        }
    }
}

// Edits leave unused space behind that the table gives back now and then; long texts make
// that happen many times over.
TEST(EntryTableEditEquivalence, SameRowsAsAPlainVectorThroughALongSeriesOfEdits)
{
    std::mt19937 random(1208);
    std::uniform_int_distribution<int> action(0, 9);
    std::vector<Entry> expected;
    EntryTable table;
    for (int step = 0; step < 1200; ++step) {
        Entry entry;
        for (auto& text : entry.texts)
            text = randomText(random);
        if (step % 5 == 0)
            entry[EntryField::Notes].assign(std::size_t{1} << 14, 'n');
        const std::size_t position = expected.empty() ? 0 : random() % (expected.size() + 1);
        int kind = action(random);
        if (kind <= 3 && expected.size() >= 100)
            kind = 6;  // a full table loses a row instead
        if (kind <= 3) {
            expected.insert(expected.begin(), entry);
            table.insertFirst(entry);
        } else if (kind <= 5) {
            if (position < expected.size())
                expected[position] = entry;
            table.setRow(position, entry);
        } else if (kind <= 7) {
            if (position < expected.size())
                expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(position));
            table.deleteRow(position);
        } else if (kind == 8) {
            const auto column = static_cast<EntryField>(random() % kEntryFieldCount);
            referenceSort(expected, column);
            table.sortByColumn(column);
        } else {
            std::reverse(expected.begin(), expected.end());
            table.reverse();
        }
        ASSERT_EQ(table.count(), expected.size()) << "step " << step;
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_TRUE(table.row(i) == expected[i]) << "step " << step << ", row " << i;
    }
}

}  // namespace
