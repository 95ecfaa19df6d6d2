#include "data_file.h"
#include "data_file_load.h"

#include "failing_allocation.h"
#include "file_bytes.h"
#include "store_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string record(std::string_view name)
{
    return "NAME=" + std::string(name)
           + "\r\nUSERNAME=\r\nPASSWORD=\r\nURL=\r\nOTHER=\r\nNOTES=\r\n";
}

const std::string kFileABC = "CREATOR=Nimbrel 1.0\r\n" + record("A") + "\r\n" + record("B") + "\r\n"
                             + record("C");

class DataFileTest : public ::testing::Test {
protected:
    TemporaryDirectory directory;
    fs::path path = directory.path() / "nimbrel.nbd";
    EntryTable table;
};

TEST_F(DataFileTest, DefaultsToTheFileInTheWorkingDirectory)
{
    WorkingDirectory inDirectory(directory.path());
    DataFile(table).load();
    EXPECT_TRUE(fs::exists(path));
    table.insertFirst(entryOf("Mail"));
    EXPECT_TRUE(DataFile(table).save());
    EXPECT_EQ(fileBytes(path), "CREATOR=Nimbrel 1.0\r\n" + record("Mail"));
}

TEST_F(DataFileTest, LoadThenSaveReversesTheRecords)
{
    writeFile(path, kFileABC);
    DataFile file(table, path);
    file.load();
    EXPECT_EQ(rowsOf(table), (std::vector<Entry>{entryOf("C"), entryOf("B"), entryOf("A")}));
    EXPECT_TRUE(file.save());
    EXPECT_EQ(fileBytes(path), "CREATOR=Nimbrel 1.0\r\n" + record("C") + "\r\n" + record("B")
                                   + "\r\n" + record("A"));
    // Nothing of the save's last row is carried into the next load.
    file.load();
    EXPECT_EQ(table.count(), 6u);
}

// A list that another program removed is not put back unasked.
TEST_F(DataFileTest, FileRemovedSinceTheLoadIsAskedAbout)
{
    writeFile(path, kFileABC);
    RecordingClient client(table);
    DataFile file(table, path, &client);
    file.load();
    fs::remove(path);
    EXPECT_FALSE(file.save());
    EXPECT_EQ(client.questions, std::vector{ReplaceReason::ChangedSinceLoad});
    EXPECT_FALSE(fs::exists(path));
}

// Rows go over in full batches while the load runs and the rest once it has ended, every row
// once, in the order read; the table and its file are then the caller's.
TEST_F(DataFileTest, LoadOnAThreadOfItsOwnHandsOverEveryRowOnce)
{
    std::string bytes = "CREATOR=Nimbrel 1.0\r\n";
    constexpr std::size_t kRecords = 10'000;  // two full batches and part of a third
    for (std::size_t i = 0; i < kRecords; ++i)
        bytes += record(std::to_string(i)) + "\r\n";
    writeFile(path, bytes);

    DataFileLoad load(path);
    std::vector<Entry> handed;
    load.finish([&handed](const EntryView& row) { handed.push_back(row); });

    EXPECT_FALSE(load.stoppedEarly());
    std::vector<Entry> rows = rowsOf(load.table());
    ASSERT_EQ(rows.size(), kRecords);
    std::ranges::reverse(rows);
    EXPECT_EQ(handed, rows);
    EXPECT_TRUE(load.file().save());
    EXPECT_TRUE(fileBytes(path).starts_with("CREATOR=Nimbrel 1.0\r\n" + record("9999")));
}

// A file large enough to be read in two parts hands over the rows of both, every row once.
TEST_F(DataFileTest, LoadInTwoPartsHandsOverEveryRowOnce)
{
    const std::string padding(200, 'x');
    std::string bytes;
    std::size_t records = 0;
    while (bytes.size() < (std::size_t{17} << 20))
        bytes += record(padding + std::to_string(records++)) + "\r\n";
    writeFile(path, bytes);

    DataFileLoad load(path);
    std::vector<Entry> handed;
    load.finish([&handed](const EntryView& row) { handed.push_back(row); });

    std::vector<Entry> rows = rowsOf(load.table());
    ASSERT_EQ(rows.size(), records);
    std::ranges::sort(handed, {}, &Entry::texts);
    std::ranges::sort(rows, {}, &Entry::texts);
    EXPECT_EQ(handed, rows);
}

// Memory that runs out before the loading thread could read anything is a load that stopped
// early: reported, and the file replaced only when the user says so.
TEST_F(DataFileTest, LoadOnAThreadOfItsOwnWithoutMemoryStopsEarly)
{
    writeFile(path, kFileABC);
    allocationsFailOffThread = std::this_thread::get_id();
    bool failed = false;
    std::thread([&failed] {
        try {
            // Called, not a new-expression, which an optimising compiler may leave out.
            ::operator delete(::operator new(1));
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    }).join();
    if (!failed) {
        allocationsFailOffThread = std::thread::id();
        GTEST_SKIP() << "operator new is not this test's here (valgrind replaces it)";
    }
    DataFileLoad load(path);
    EXPECT_NO_THROW(load.finish([](const EntryView&) {}));
    allocationsFailOffThread = std::thread::id();
    EXPECT_TRUE(load.stoppedEarly());
    EXPECT_FALSE(load.file().save());
    EXPECT_EQ(fileBytes(path), kFileABC);
}

TEST_F(DataFileTest, LoadOnAThreadOfItsOwnCreatesAMissingFileWhenFinished)
{
    DataFileLoad load(path);
    load.finish([](const EntryView&) { FAIL() << "no row to hand over"; });
    EXPECT_EQ(load.table().count(), 0u);
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(DataFileTest, EmptyTableSavesZeroBytes)
{
    writeFile(path, kFileABC);
    EXPECT_TRUE(DataFile(table, path).save());
    EXPECT_EQ(fs::file_size(path), 0u);
    DataFile(table, path).load();
    EXPECT_EQ(table.count(), 0u);
}

TEST_F(DataFileTest, ClientIsToldOfEveryRecordAndOnceOfTheEnd)
{
    writeFile(path, "OTHER=o\n" + kFileABC);
    RecordingClient loader(table);
    DataFile(table, path, &loader).load();
    EXPECT_EQ(loader.adds, 3);
    EXPECT_EQ(loader.finishes, 1);
    EXPECT_EQ(loader.changes.size(), 3u * 6u);
    EXPECT_EQ(loader.changes.front(), entryOf("A", "", "", "", "o"));
    EXPECT_EQ(loader.current, Entry{});

    table.setRow(0, entryOf("C", "", "", "", "", "a\r\nb"));
    RecordingClient saver(table);
    EXPECT_TRUE(DataFile(table, path, &saver).save());
    EXPECT_EQ(saver.adds, 0);
    EXPECT_EQ(saver.finishes, 1);
    EXPECT_EQ(saver.changes, rowsOf(table));
    EXPECT_NE(fileBytes(path).find("NOTES=a`~b\r\n"), std::string::npos);
}

}  // namespace
