#include "record_writer.h"

#include "store_test_support.h"

#include <gtest/gtest.h>

namespace {

constexpr std::string_view kMailFile = "CREATOR=Nimbrel 1.0\r\nNAME=Mail\r\nUSERNAME=\r\n"
                                       "PASSWORD=\r\nURL=\r\nOTHER=\r\nNOTES=\r\n";

// The table's rows are given top to bottom.
EntryTable tableOf(const std::vector<Entry>& rows)
{
    EntryTable table;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        table.insertFirst(*row);
    return table;
}

std::string writtenBytes(const EntryTable& table, RecordingClient& client, int* pieces = nullptr)
{
    std::string bytes;
    EXPECT_TRUE(writeRecords(table, client, [&](std::string_view piece) {
        bytes.append(piece);
        if (pieces)
            ++*pieces;
        return true;
    }));
    return bytes;
}

struct WriteCase {
    const char* name;
    std::vector<Entry> rows;
    std::string bytes;
};

TEST(RecordWriter, WritesExactBytes)
{
    using namespace std::string_literals;
    const WriteCase cases[] = {
        {"empty table: zero bytes", {}, ""},
        {"one record", {entryOf("Mail")}, std::string(kMailFile)},
        {"blank line between records",
         {entryOf("A", "u", "p", "http://x/?q=1", "o", "n"), entryOf("B")},
         "CREATOR=Nimbrel 1.0\r\nNAME=A\r\nUSERNAME=u\r\nPASSWORD=p\r\nURL=http://x/?q=1\r\n"
         "OTHER=o\r\nNOTES=n\r\n\r\nNAME=B\r\nUSERNAME=\r\nPASSWORD=\r\nURL=\r\nOTHER=\r\n"
         "NOTES=\r\n"},
        {"notes encoded, other fields as they are",
         {entryOf("a\rb", "`~", " p\t", "\x1A", "\0\xff"s, "a\r\nb\rc\nd")},
         "CREATOR=Nimbrel 1.0\r\nNAME=a\rb\r\nUSERNAME=`~\r\nPASSWORD= p\t\r\nURL=\x1A\r\n"
         "OTHER=\0\xff\r\nNOTES=a`~b`c~d\r\n"s},
        {"line feeds before Notes become line ends",
         {entryOf("a\nb", "", "", "", "c\n", "n\n")},
         "CREATOR=Nimbrel 1.0\r\nNAME=a\r\nb\r\nUSERNAME=\r\nPASSWORD=\r\nURL=\r\n"
         "OTHER=c\r\n\r\nNOTES=n~\r\n"},
    };
    for (const auto& [name, rows, bytes] : cases) {
        EntryTable table = tableOf(rows);
        RecordingClient client(table);
        EXPECT_EQ(writtenBytes(table, client), bytes) << name;
        EXPECT_EQ(rowsOf(table), rows) << name << ": the table is not changed";
    }
}

TEST(RecordWriter, EveryRowPassesThroughTheCurrentRecord)
{
    const std::vector<Entry> rows{entryOf("A", "", "", "", "", "x\r\ny"), entryOf("B")};
    EntryTable table = tableOf(rows);
    RecordingClient client(table);
    writtenBytes(table, client);
    EXPECT_EQ(client.changes, rows);
    EXPECT_EQ(client.adds, 0);
    EXPECT_EQ(client.current, entryOf("B"));

    EntryTable single = tableOf({entryOf("A", "", "", "", "", "x\r\ny")});
    RecordingClient singleClient(single);
    writtenBytes(single, singleClient);
    EXPECT_EQ(singleClient.current, entryOf("A", "", "", "", "", "x`~y"));
}

TEST(RecordWriter, LargeTableArrivesInPiecesAndStopsAtTheFirstRefusal)
{
    std::vector<Entry> rows(3, entryOf("N", std::string(1 << 20, 'u')));
    EntryTable table = tableOf(rows);
    RecordingClient client(table);
    int pieces = 0;
    const std::string bytes = writtenBytes(table, client, &pieces);
    EXPECT_GT(pieces, 1);
    // the creator line, then per record six keys (39 bytes), seven line ends and the values
    EXPECT_EQ(bytes.size(), 19 + 3 * (39 + 7 * 2 + 1 + (1 << 20)));

    int offered = 0;
    EXPECT_FALSE(writeRecords(table, client, [&](std::string_view) {
        ++offered;
        return false;
    }));
    EXPECT_EQ(offered, 1);
}

}  // namespace
