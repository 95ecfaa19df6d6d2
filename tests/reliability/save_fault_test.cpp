// Every failure a save can meet must leave the previous file exactly as it was and no temporary
// file behind. The tests run as root, which ignores permission bits, so each fault is made in a
// way root cannot get around: an unprivileged child, a directory in the file's place, a file
// size limit, a read-only mount, a small tmpfs. What is not a data file neither holds up nor
// ends a load, which keeps the records read before it stopped and reports the stop.
#include "data_file.h"
#include "save_test_support.h"
#include "store_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kWriteChunk = 1 << 20;  // the writer hands the file 1 MiB at a time

bool save(EntryTable& table, const fs::path& path)
{
    return DataFile(table, path).save();
}

// Exit code of a child that saved: 0 when save() reported failure, 1 when it reported success.
int saveReportedFailure(EntryTable& table, const fs::path& path)
{
    return save(table, path) ? 1 : 0;
}

bool canCreateFileIn(const fs::path& directory)
{
    const fs::path probe = directory / "probe";
    const int descriptor = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (descriptor < 0)
        return false;
    ::close(descriptor);
    ::unlink(probe.c_str());
    return true;
}

// A directory with an earlier save of one table in it, and a different table to save now.
class SaveFault : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Children that drop to nobody must be able to reach the directory.
        fs::permissions(home_.path(), fs::perms(0755));
        directory_ = home_.path() / "data";
        fs::create_directory(directory_);
        fs::permissions(directory_, fs::perms(0755));
        file_ = directory_ / kDataFileName;
        writeFile(file_, oldBytes_);
        fs::permissions(file_, fs::perms(0644));
    }

    void expectUntouched() const
    {
        ASSERT_TRUE(fs::is_regular_file(file_));
        EXPECT_EQ(readFile(file_), oldBytes_) << "the previous file changed";
        EXPECT_EQ(hiddenFilesIn(directory_), std::vector<std::string>{})
            << "a temporary file was left behind";
    }

    TemporaryDirectory home_;
    fs::path directory_;
    fs::path file_;
    const std::string oldBytes_ = fileBytesOf(sampleTable(4, 1));
    EntryTable newTable_ = sampleTable(5, 2);
    const std::string newBytes_ = fileBytesOf(newTable_);
};

TEST_F(SaveFault, DirectoryNotWritableForTheUser)
{
    const int code = runInChild([&] {
        if (!becomeNobody())
            return kChildUnavailable;
        if (canCreateFileIn(directory_))
            return kChildSetupFailed;
        return saveReportedFailure(newTable_, file_);
    });
    if (code == kChildUnavailable)
        GTEST_SKIP() << "cannot drop to the user nobody (65534) here";
    ASSERT_NE(code, kChildSetupFailed) << "nobody could write the root-owned 0755 directory";
    EXPECT_EQ(code, 0) << "save() did not report the failure";
    expectUntouched();
}

TEST_F(SaveFault, FileReadOnlyForItsOwner)
{
    const int code = runInChild([&] {
        fs::permissions(directory_, fs::perms(0777));
        if (::chown(file_.c_str(), 65534, 65534) != 0)
            return kChildSetupFailed;
        fs::permissions(file_, fs::perms(0444));
        if (!becomeNobody())
            return kChildUnavailable;
        if (!canCreateFileIn(directory_) || ::open(file_.c_str(), O_WRONLY) >= 0)
            return kChildSetupFailed;
        return saveReportedFailure(newTable_, file_);
    });
    if (code == kChildUnavailable)
        GTEST_SKIP() << "cannot drop to the user nobody (65534) here";
    ASSERT_NE(code, kChildSetupFailed) << "could not make a read-only file in a writable directory";
    EXPECT_EQ(code, 0) << "save() replaced a read-only file";
    EXPECT_EQ(fs::status(file_).permissions(), fs::perms(0444));
    expectUntouched();
}

TEST_F(SaveFault, DirectoryWhereTheFileShouldBe)
{
    for (const bool withContent : {false, true}) {
        SCOPED_TRACE(withContent ? "directory with a file in it" : "empty directory");
        fs::remove(file_);
        fs::create_directory(file_);
        if (withContent)
            writeFile(file_ / "inside", oldBytes_);

        EXPECT_FALSE(save(newTable_, file_));
        ASSERT_TRUE(fs::is_directory(file_));
        if (withContent) {
            EXPECT_EQ(readFile(file_ / "inside"), oldBytes_);
        }
        EXPECT_EQ(hiddenFilesIn(directory_), std::vector<std::string>{});
        fs::remove_all(file_);
    }
}

// A file the user may write but not replace (in a directory the user may not write, or in a
// sticky one where only the file's owner may rename over it) is written in place.
TEST_F(SaveFault, WrittenInPlaceWhereItCannotBeReplaced)
{
    fs::permissions(file_, fs::perms(0666));
    // In a shared sticky directory, a third user's file is not written.
    const struct {
        fs::perms directoryMode;
        uid_t fileOwner;
        bool written;
    } cases[] = {{fs::perms(0755), 0, true}, {fs::perms(01777), 0, true},
                 {fs::perms(01777), 4321, false}};
    for (const auto& [directoryMode, fileOwner, written] : cases) {
        fs::permissions(directory_, directoryMode);
        if (::chown(file_.c_str(), fileOwner, static_cast<gid_t>(-1)) != 0)
            GTEST_SKIP() << "cannot give the file to another user here";
        const int code = runInChild([&] {
            return becomeNobody() ? saveReportedFailure(newTable_, file_) : kChildUnavailable;
        });
        if (code == kChildUnavailable)
            GTEST_SKIP() << "cannot drop to the user nobody (65534) here";
        EXPECT_EQ(code, written ? 1 : 0);
        EXPECT_EQ(readFile(file_), written ? newBytes_ : oldBytes_);
        EXPECT_EQ(fs::status(file_).permissions(), fs::perms(0666));
        EXPECT_EQ(hiddenFilesIn(directory_), std::vector<std::string>{});
        writeFile(file_, oldBytes_);
    }
}

// The file size limit makes every write beyond the limit fail with EFBIG, like a disk that
// fills at exactly that byte.
int saveWithSizeLimit(EntryTable& table, const fs::path& path, rlim_t limit)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit sizeLimit{limit, limit};
    if (::setrlimit(RLIMIT_FSIZE, &sizeLimit) != 0)
        return kChildUnavailable;
    return saveReportedFailure(table, path);
}

void expectSaveFailsBelowItsSize(const fs::path& file, EntryTable& table,
                                 const std::string& oldBytes, const std::vector<rlim_t>& limits)
{
    const std::string newBytes = fileBytesOf(table);
    for (const rlim_t limit : limits) {
        SCOPED_TRACE("file size limit " + std::to_string(limit) + " of "
                     + std::to_string(newBytes.size()));
        const int code = runInChild([&] { return saveWithSizeLimit(table, file, limit); });
        ASSERT_NE(code, kChildUnavailable) << "setrlimit(RLIMIT_FSIZE) failed";
        const bool fits = limit >= newBytes.size();
        EXPECT_EQ(code, fits ? 1 : 0);
        EXPECT_EQ(readFile(file), fits ? newBytes : oldBytes);
        EXPECT_EQ(hiddenFilesIn(file.parent_path()), std::vector<std::string>{});
        if (fits)
            writeFile(file, oldBytes);
    }
}

TEST_F(SaveFault, DiskFullAtEveryByteOfASmallTable)
{
    std::vector<rlim_t> limits;
    for (rlim_t limit = 0; limit <= newBytes_.size() + 1; ++limit)
        limits.push_back(limit);
    expectSaveFailsBelowItsSize(file_, newTable_, oldBytes_, limits);
    std::cout << "disk full injected at " << limits.size() << " points of a "
              << newBytes_.size() << "-byte save\n";
}

TEST_F(SaveFault, DiskFullAtSampledPointsOfALargeTable)
{
    EntryTable large = sampleTable(40000, 3);
    const rlim_t size = fileBytesOf(large).size();
    ASSERT_GT(size, 2 * kWriteChunk) << "the table must span several writes";
    std::vector<rlim_t> limits{0, 1, kWriteChunk - 1, kWriteChunk, kWriteChunk + 1,
                               2 * kWriteChunk - 1, 2 * kWriteChunk, 2 * kWriteChunk + 1,
                               size - 1, size};
    std::mt19937 random(5);
    for (int i = 0; i < 20; ++i)
        limits.push_back(random() % size);
    expectSaveFailsBelowItsSize(file_, large, oldBytes_, limits);
    std::cout << "disk full injected at " << limits.size() << " points of a " << size
              << "-byte save\n";
}

// A private mount namespace lets the child make the directory read-only for itself alone.
TEST_F(SaveFault, ReadOnlyFileSystem)
{
    const int code = runInChild([&] {
        if (::unshare(CLONE_NEWNS) != 0
            || ::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount(directory_.c_str(), directory_.c_str(), "none", MS_BIND, nullptr) != 0
            || ::mount("none", directory_.c_str(), "none", MS_REMOUNT | MS_BIND | MS_RDONLY,
                       nullptr) != 0)
            return kChildUnavailable;
        if (canCreateFileIn(directory_) || errno != EROFS)
            return kChildSetupFailed;
        return saveReportedFailure(newTable_, file_);
    });
    if (code == kChildUnavailable)
        GTEST_SKIP() << "no read-only bind mount here (unshare or mount refused)";
    ASSERT_NE(code, kChildSetupFailed) << "the read-only mount accepted a new file";
    EXPECT_EQ(code, 0) << "save() did not report the failure";
    expectUntouched();
}

// A real ENOSPC: a tiny tmpfs in the child's own mount namespace, filled so that only a given
// number of pages stay free. The child checks the result itself, since only it sees the mount.
enum TmpfsResult { kFailedAndUntouched, kSaved, kOldFileChanged, kTemporaryLeft };

int saveOnFullTmpfs(const fs::path& mountPoint, EntryTable& table,
                    const std::string& oldBytes, std::size_t freePages, std::size_t totalPages)
{
    const long page = ::sysconf(_SC_PAGESIZE);
    const std::string size = "size=" + std::to_string(totalPages * page);
    if (::unshare(CLONE_NEWNS) != 0
        || ::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, size.c_str()) != 0)
        return kChildUnavailable;
    const fs::path file = mountPoint / kDataFileName;
    writeFile(file, oldBytes);
    const std::size_t usedPages = (oldBytes.size() + page - 1) / page;
    writeFile(mountPoint / "filler", std::string((totalPages - usedPages - freePages) * page, 'f'));

    const bool saved = save(table, file);
    if (saved)
        return readFile(file) == fileBytesOf(table) ? kSaved : kOldFileChanged;
    if (readFile(file) != oldBytes)
        return kOldFileChanged;
    return hiddenFilesIn(mountPoint).empty() ? kFailedAndUntouched : kTemporaryLeft;
}

TEST_F(SaveFault, DiskFullOnASmallTmpfs)
{
    const long page = ::sysconf(_SC_PAGESIZE);
    EntryTable table = sampleTable(150, 4);
    const std::size_t pagesOfTable = (fileBytesOf(table).size() + page - 1) / page;
    ASSERT_GT(pagesOfTable, 3u);
    constexpr std::size_t kTotalPages = 64;
    for (std::size_t freePages = 0; freePages < pagesOfTable; ++freePages) {
        SCOPED_TRACE(std::to_string(freePages) + " of " + std::to_string(pagesOfTable)
                     + " pages free");
        const int code = runInChild([&] {
            return saveOnFullTmpfs(directory_, table, oldBytes_, freePages, kTotalPages);
        });
        if (code == kChildUnavailable)
            GTEST_SKIP() << "cannot mount a tmpfs in a private mount namespace here";
        EXPECT_EQ(code, kFailedAndUntouched);
    }
    const int code = runInChild([&] {
        return saveOnFullTmpfs(directory_, table, oldBytes_, pagesOfTable, kTotalPages);
    });
    EXPECT_EQ(code, kSaved) << "the save failed with room to spare";
}

TEST_F(SaveFault, LoadOfAFifoOrAGiantLineEnds)
{
    fs::remove(file_);
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    EXPECT_EQ(runInChild([&] {
                  ::alarm(10);  // a blocking open would wait for a writer for ever
                  DataFile(newTable_, file_).load();
                  return static_cast<int>(newTable_.count());
              }),
              5);
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "an address space limit cannot be set under AddressSanitizer";
#else
    fs::remove(file_);
    std::ofstream(file_, std::ios::binary) << fileBytesOf(sampleTable(1, 6)) << "OTHER=";
    constexpr std::size_t kHeadroom = std::size_t{128} << 20;
    fs::resize_file(file_, 2 * kHeadroom);  // a line of zero bytes that never ends
    EXPECT_EQ(runInChild([&] {
                  std::size_t pages = 0;
                  std::ifstream("/proc/self/statm") >> pages;
                  const rlim_t limit = pages * ::sysconf(_SC_PAGESIZE) + kHeadroom;
                  const rlimit addressSpace{limit, limit};
                  EntryTable table;
                  RecordingClient client(table);
                  client.shows = false;
                  if (::setrlimit(RLIMIT_AS, &addressSpace) == 0)
                      DataFile(table, file_, &client).load();
                  return table.count() == 1 && client.earlyStops == 1 ? 0 : 1;
              }),
              0) << "125: the load let std::bad_alloc escape";
#endif
}

}  // namespace
