#include "record_reader.h"

#include "file_bytes.h"
#include "input_file.h"
#include "record_writer.h"
#include "store_test_support.h"
#include "table_client.h"
#include "temporary_directory.h"
#include "two_part_read.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

// Feeds the bytes in pieces of the given size (0: all at once), each piece from memory of its
// own that is overwritten once fed, and returns the table's rows. The records pass through the
// current record of a client that shows them, or straight from the bytes to one that does not.
std::vector<Entry> readRows(std::string_view bytes, std::size_t pieceSize = 0, bool shown = true)
{
    EntryTable table;
    RecordingClient recording(table);
    TableClient passing(table);
    DataFileClient& client = shown ? static_cast<DataFileClient&>(recording) : passing;
    RecordReader reader(client);
    if (pieceSize == 0)
        pieceSize = bytes.size() + 1;
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        std::string piece(bytes.substr(at, pieceSize));
        reader.feed(piece);
        piece.assign(piece.size(), '#');
    }
    reader.finish();
    EXPECT_EQ(client.currentRecord(), Entry{});
    return rowsOf(table);
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<Entry> rows;  // top to bottom
};

const ReadCase kReadCases[] = {
    {"empty file", "", {}},
    {"records come in reverse order",
     "CREATOR=Nimbrel 1.0\r\nNAME=A\r\nUSERNAME=ua\r\nPASSWORD=pa\r\nURL=la\r\nOTHER=oa\r\n"
     "NOTES=na\r\n\r\nNAME=B\r\nUSERNAME=ub\r\nPASSWORD=\r\nURL=\r\nOTHER=\r\nNOTES=\r\n",
     {entryOf("B", "ub"), entryOf("A", "ua", "pa", "la", "oa", "na")}},
    {"LF line ends", "CREATOR=Nimbrel 1.0\nNAME=A\nUSERNAME=ua\n\nNAME=B\nNOTES=nb\n",
     {entryOf("B", "", "", "", "", "nb"), entryOf("A", "ua")}},
    {"CR line ends yield nothing", "NAME=A\rUSERNAME=ua\rNAME=B\r", {}},
    {"last line without line end is ignored", "NAME=A\r\nURL=la\r\nNOTES=na",
     {entryOf("A", "", "", "la")}},
    {"fields of nameless records carry over",
     "NAME=A\nUSERNAME=ua\nNAME=\nPASSWORD=pb\nNAME=B\nNAME\nURL=lc\nNAME=C\nUSERNAME=uc\n",
     {entryOf("C", "uc", "", "lc"), entryOf("B", "", "pb"), entryOf("A", "ua")}},
    {"fields before the first name carry over", "CREATOR=Nimbrel 1.0\nOTHER=o\nNAME=A\n",
     {entryOf("A", "", "", "", "o")}},
    {"nameless record at the end is dropped", "NAME=A\nNAME=\nUSERNAME=u\n", {entryOf("A")}},
    {"unknown keys are ignored",
     "NAME=A\nname=B\n NAME=C\nNAME =D\nPASS=x\nUSERNAME=u\n=NAME\nNOTES\n",
     {entryOf("A", "u")}},
    {"equals signs inside values", "NAME==A=\nURL=http://x/?a=1&b=2\n",
     {entryOf("=A=", "", "", "http://x/?a=1&b=2")}},
    {"notes line breaks come back", "NAME=A\nNOTES=a`~b``~~c`d~\n",
     {entryOf("A", "", "", "", "", "a\r\nb`\r\n~c`d~")}},
    {"values are kept whole", "NAME= A \t\r\nPASSWORD=p \t \r\nOTHER=a\rb\r\r\r\nNOTES= \r\n",
     {entryOf(" A \t", "", "p \t ", "", "a\rb\r", " ")}},
    {"a line end takes at most two CRs with it", "NAME=A\r\r\nURL=u\r\r\n",
     {entryOf("A", "", "", "u")}},
    {"a byte-order mark before the first line is nothing",
     "\xEF\xBB\xBFNAME=A\nNAME=\xEF\xBB\xBF\n\xEF\xBB\xBFNAME=B\n",
     {entryOf("\xEF\xBB\xBF"), entryOf("A")}},
    {"0x1A and NUL are ordinary bytes", "NAME=a\x1A\0b\nUSERNAME=\0\nURL=\x1A\nOTHER=x\n"s,
     {entryOf("a\x1A\0b"s, "\0"s, "", "\x1A", "x")}},
};

TEST(RecordReader, ReadsRecordsInAnyPieces)
{
    for (const auto& [name, bytes, rows] : kReadCases) {
        for (std::size_t pieceSize = 0; pieceSize <= 17; ++pieceSize) {
            for (const bool shown : {true, false})
                ASSERT_EQ(readRows(bytes, pieceSize, shown), rows)
                    << name << ", pieces of " << pieceSize << (shown ? ", shown" : ", passing");
        }
    }
}

TEST(RecordReader, TellsTheClientOnlyAboutNamedRecords)
{
    EntryTable table;
    RecordingClient client(table);
    RecordReader reader(client);
    reader.feed("NOTES=n\nNAME=A\nUSERNAME=u\nNAME=\nURL=v\nCREATOR=x\n");
    reader.finish();
    EXPECT_EQ(client.changes, (std::vector<Entry>{entryOf("A", "", "", "", "", "n"),
                                                  entryOf("A", "u", "", "", "", "n")}));
    EXPECT_EQ(client.adds, 1);
    EXPECT_EQ(client.finishes, 0);
    EXPECT_EQ(client.current, Entry{});
}

// Split after every offset, a file reads as it does whole: a lone CR is no line end, a record
// cut at the end is dropped. A split follows a named record, so none comes after "NAME=D".
TEST(RecordReader, ReadsInTwoPartsAsInOne)
{
    const std::string bytes = "\xEF\xBB\xBFNAME=A\r\nUSERNAME=u\r\r\nNAME=\r\nURL=carried\r\n"
                              "NAME=B\rNAME=b\r\nNOTES=a`~b\r\n\r\nNAME=C\nOTHER=o\nNAME=D\r\n"
                              "PASSWORD=p\r\nNAME=cut";
    TemporaryDirectory directory;
    const auto path = directory.path() / "nimbrel.nbd";
    writeFile(path, bytes);
    const std::vector<Entry> whole = readRows(bytes, 0, false);
    for (std::size_t from = 0; from < bytes.size(); ++from) {
        EntryTable table;
        TableClient client(table);
        InputFile file(path, false);
        const std::optional<bool> read = readInTwoParts(file, client, from);
        ASSERT_EQ(read.has_value(), from <= bytes.find("\nNAME=D")) << from;
        if (read) {
            EXPECT_TRUE(*read) << from;
            EXPECT_EQ(rowsOf(table), whole) << from;
        }
    }
}

std::string written(const std::vector<Entry>& rows)
{
    EntryTable table;
    for (const auto& row : rows)
        table.insertFirst(row);  // so the rows are read back in this order
    RecordingClient client(table);
    std::string bytes;
    EXPECT_TRUE(writeRecords(table, client, [&](std::string_view piece) {
        bytes.append(piece);
        return true;
    }));
    return bytes;
}

TEST(RecordRoundTrip, EveryByteButLineEndsInEveryField)
{
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n')
            everyByte.push_back(static_cast<char>(byte));
    }
    const std::string backwards(everyByte.rbegin(), everyByte.rend());
    const std::vector<Entry> rows{
        entryOf(everyByte, everyByte, everyByte, everyByte, everyByte, everyByte),
        entryOf(backwards, backwards, backwards, backwards, backwards, backwards),
        entryOf(" n\t", "u ", "\tp\t", "l  ", "o\ro", "two\r\nlines \r\n"),
    };
    const std::string bytes = written(rows);
    EXPECT_EQ(readRows(bytes), rows);
    EXPECT_EQ(readRows(bytes, 7), rows);
}

TEST(RecordRoundTrip, LongValuesAcrossPieces)
{
    std::string longValue(1 << 20, 'x');
    for (std::size_t i = 0; i < longValue.size(); i += 4099)
        longValue[i] = static_cast<char>(0x80 + i % 100);
    const std::vector<Entry> rows{entryOf(longValue, "u", longValue, "", longValue, longValue),
                                  entryOf("short", longValue)};
    const std::string bytes = written(rows);
    EXPECT_EQ(readRows(bytes), rows);
    EXPECT_EQ(readRows(bytes, 65536), rows);
    EXPECT_EQ(readRows(bytes, 1000003), rows);
}

}  // namespace
