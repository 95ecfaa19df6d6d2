#include "entry_table.h"

#include "store_test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>

namespace {

// Rows named in the given order, row 0 first.
EntryTable tableOf(std::initializer_list<const char*> names)
{
    EntryTable table;
    for (auto name = std::rbegin(names); name != std::rend(names); ++name)
        table.insertFirst(entryOf(*name));
    return table;
}

std::vector<std::string> namesOf(const EntryTable& table)
{
    std::vector<std::string> names;
    for (const auto& row : rowsOf(table))
        names.push_back(row[EntryField::Name]);
    return names;
}

using Names = std::vector<std::string>;

TEST(EntryTableInsert, RecordAddedLaterStandsAbove)
{
    EntryTable table;
    table.insertFirst(entryOf("A"));
    table.insertFirst(entryOf("B"));
    table.insertFirst(entryOf("C"));
    ASSERT_EQ(table.count(), 3u);
    EXPECT_EQ(table.row(0)[EntryField::Name], "C");
    EXPECT_EQ(table.row(1)[EntryField::Name], "B");
    EXPECT_EQ(table.row(2)[EntryField::Name], "A");
}

// Texts below 65,535 bytes keep two-byte lengths; one of that size or more makes them wide.
TEST(EntryTableInsert, TextsOfEverySizeComeBackWhole)
{
    const std::vector<Entry> rows{entryOf(std::string(65'534, 'a'), "u", "", "l"),
                                  entryOf(std::string(65'535, 'b'), "u", "p", "", "o", "x"),
                                  entryOf("", "", "", "", "", std::string(70'000, 'c'))};
    EntryTable table;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        table.insertFirst(*row);
    EXPECT_EQ(rowsOf(table), rows);
}

TEST(EntryTableRows, PositionsWithoutRowReadEmptyAndChangeNothing)
{
    EntryTable table = tableOf({"A", "B"});
    EXPECT_EQ(table.row(2), Entry{});
    EXPECT_EQ(table.row(static_cast<std::size_t>(-1)), Entry{});
    table.setRow(2, entryOf("X"));
    table.deleteRow(2);
    EXPECT_EQ(namesOf(table), (Names{"A", "B"}));

    table.setRow(1, entryOf("Y", "u", "p", "url", "o", "n"));
    EXPECT_EQ(table.row(1), entryOf("Y", "u", "p", "url", "o", "n"));
    table.deleteRow(0);
    EXPECT_EQ(namesOf(table), (Names{"Y"}));
}

TEST(EntryTableDuplicate, AllSixTextsMustBeEqual)
{
    EntryTable table;
    EXPECT_FALSE(table.containsDuplicate(Entry{}));
    table.insertFirst(entryOf("n", "u", "p", "url", "o", "a\r\nb"));
    table.insertFirst(entryOf("other"));
    EXPECT_TRUE(table.containsDuplicate(entryOf("n", "u", "p", "url", "o", "a\r\nb")));
    EXPECT_FALSE(table.containsDuplicate(entryOf("n", "u", "p", "url", "o", "a\r\nB")));
    EXPECT_FALSE(table.containsDuplicate(entryOf("n", "u", "p", "url", "O", "a\r\nb")));
    EXPECT_FALSE(table.containsDuplicate(entryOf("N", "u", "p", "url", "o", "a\r\nb")));
}

TEST(EntryTableReverse, OddMiddleRowStays)
{
    EntryTable empty;
    empty.reverse();
    EXPECT_EQ(empty.count(), 0u);
    EntryTable odd = tableOf({"A", "B", "C"});
    odd.reverse();
    EXPECT_EQ(namesOf(odd), (Names{"C", "B", "A"}));
    EntryTable even = tableOf({"A", "B", "C", "D"});
    even.reverse();
    EXPECT_EQ(namesOf(even), (Names{"D", "C", "B", "A"}));
}

TEST(EntryTableSort, RepeatedClicksAlternateAscendingAndDescending)
{
    EntryTable table = tableOf({"b", "a", "c"});
    table.sortByColumn(EntryField::Name);
    EXPECT_EQ(namesOf(table), (Names{"a", "b", "c"}));
    table.sortByColumn(EntryField::Name);
    EXPECT_EQ(namesOf(table), (Names{"c", "b", "a"}));
    table.sortByColumn(EntryField::Name);
    EXPECT_EQ(namesOf(table), (Names{"a", "b", "c"}));

    EntryTable cases = tableOf({"alpha", "Beta", "\x80", ""});
    cases.sortByColumn(EntryField::Name);
    EXPECT_EQ(namesOf(cases), (Names{"", "Beta", "alpha", "\x80"}));

    // All texts of the column equal: every click reverses.
    EntryTable equal = tableOf({"A", "B"});
    equal.sortByColumn(EntryField::Url);
    EXPECT_EQ(namesOf(equal), (Names{"B", "A"}));
}

TEST(EntryTableSelection, MarkStaysOnItsPositionWhenRowsAreExchanged)
{
    EntryTable table = tableOf({"b", "a", "c"});
    table.setSelectionMark(1);
    table.sortByColumn(EntryField::Name);
    EXPECT_EQ(table.selectionMark(), 1u);
    EXPECT_EQ(table.row(*table.selectionMark())[EntryField::Name], "b");
    table.setSelectionMark(2);
    table.sortByColumn(EntryField::Name);  // in order already: reversal
    EXPECT_EQ(table.selectionMark(), 2u);
    EXPECT_EQ(table.row(2)[EntryField::Name], "a");
    table.reverse();
    EXPECT_EQ(table.selectionMark(), 2u);
    EXPECT_EQ(table.row(2)[EntryField::Name], "c");
}

TEST(EntryTableSelection, MarkFollowsItsRowOnInsertAndDelete)
{
    EntryTable table = tableOf({"A", "B", "C", "D"});
    table.setSelectionMark(1);  // B
    table.insertFirst(entryOf("N"));
    EXPECT_EQ(table.selectionMark(), 2u);
    table.deleteRow(0);
    EXPECT_EQ(table.selectionMark(), 1u);
    table.deleteRow(3);  // below the mark
    EXPECT_EQ(table.selectionMark(), 1u);
    EXPECT_EQ(table.row(1)[EntryField::Name], "B");
    table.deleteRow(1);
    EXPECT_EQ(table.selectionMark(), std::nullopt);
    table.insertFirst(entryOf("M"));
    EXPECT_EQ(table.selectionMark(), std::nullopt);
}

TEST(EntryTableSelection, MarkWithoutRowIsNone)
{
    EntryTable table = tableOf({"A", "B"});
    table.setSelectionMark(2);
    EXPECT_EQ(table.selectionMark(), std::nullopt);
    table.setSelectionMark(1);
    table.setSelectionMark(std::nullopt);
    EXPECT_EQ(table.selectionMark(), std::nullopt);
    EntryTable empty;
    empty.setSelectionMark(0);
    EXPECT_EQ(empty.selectionMark(), std::nullopt);
}

}  // namespace
