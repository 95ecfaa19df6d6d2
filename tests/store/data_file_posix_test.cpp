// The data file's POSIX permissions: a file the store creates is the user's alone.
#include "data_file.h"
#include "data_file_load.h"

#include "store_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& path)
{
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// Sets the process's umask for as long as the object lives.
class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    ~Umask() { ::umask(previous_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t previous_;
};

class DataFileModeTest : public ::testing::Test {
protected:
    TemporaryDirectory directory;
    fs::path path = directory.path() / "nimbrel.nbd";
    EntryTable table;
};

TEST_F(DataFileModeTest, MissingFileIsCreatedEmptyAndOwnerOnly)
{
    for (const mode_t mask : {mode_t{0}, mode_t{077}, mode_t{0377}}) {
        fs::remove(path);
        Umask umask(mask);
        RecordingClient client(table);
        DataFile(table, path, &client).load();
        EXPECT_EQ(table.count(), 0u);
        EXPECT_EQ(client.finishes, 1);
        ASSERT_TRUE(fs::exists(path));
        EXPECT_EQ(fs::file_size(path), 0u);
        EXPECT_EQ(modeOf(path), 0600u) << "umask " << mask;
    }
}

TEST_F(DataFileModeTest, LoadOnAThreadOfItsOwnCreatesAMissingFileOwnerOnly)
{
    DataFileLoad load(path);
    load.finish([](const EntryView&) {});
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(modeOf(path), 0600u);
}

}  // namespace
