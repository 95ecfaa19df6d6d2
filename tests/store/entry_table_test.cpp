#include "entry_table.h"

#include <gtest/gtest.h>

namespace {

Entry named(std::string name)
{
    Entry entry;
    entry[EntryField::Name] = std::move(name);
    return entry;
}

TEST(EntryTableInsert, RecordAddedLaterStandsAbove)
{
    EntryTable table;
    table.insertFirst(named("A"));
    table.insertFirst(named("B"));
    table.insertFirst(named("C"));
    ASSERT_EQ(table.count(), 3u);
    EXPECT_EQ(table.row(0)[EntryField::Name], "C");
    EXPECT_EQ(table.row(1)[EntryField::Name], "B");
    EXPECT_EQ(table.row(2)[EntryField::Name], "A");
}

}  // namespace
