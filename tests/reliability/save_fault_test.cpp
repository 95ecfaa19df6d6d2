// Every failure a save can meet must leave the previous file exactly as it was and no temporary
// file behind. The tests run as root, which ignores permission bits, so each fault is made in a
// way root cannot get around: an unprivileged child, a directory in the file's place, a file
// size limit, a read-only mount, a small tmpfs. What is not a data file neither holds up nor
// ends a load, which keeps the records read before it stopped and reports the stop.
#include "data_file.h"
#include "file_descriptor_posix.h"
#include "save_test_support.h"
#include "store_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>
#include <string>

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
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

// Another process holds a write lease on the file, as a file server does, for the time given,
// so that every open fails at once; returns its pid, or -1 where no lease can be taken here.
pid_t holdLease(const fs::path& file, std::chrono::milliseconds time)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t holder = ::fork();
    if (holder == 0) {
        std::signal(SIGIO, SIG_IGN);  // told of each open that breaks the lease
        const int descriptor = ::open(file.c_str(), O_RDWR);
        const char taken = ::fcntl(descriptor, F_SETLEASE, F_WRLCK) == 0 ? 1 : 0;
        [[maybe_unused]] const ssize_t told = ::write(ready[1], &taken, 1);
        std::this_thread::sleep_for(time);
        ::_exit(0);
    }
    char taken = 0;
    const bool held = holder > 0 && ::read(ready[0], &taken, 1) == 1 && taken == 1;
    ::close(ready[0]);
    ::close(ready[1]);
    if (!held && holder > 0)
        ::waitpid(holder, nullptr, 0);
    return held ? holder : -1;
}

// A file that is there but cannot be read is reported, and replaced only when the user says so;
// a refusal that passes within a second is waited for.
TEST_F(SaveFault, UnreadableFileIsReportedAndReplacedOnlyWhenAsked)
{
    // Where the file cannot be opened for writing either, the save fails before it could ask.
    const auto loadAndSave = [&](bool asks) {
        EntryTable table;
        RecordingClient client(table);
        client.shows = false;
        DataFile dataFile(table, file_, &client);
        dataFile.load();
        const bool reported = table.count() == 0 && client.earlyStops == 1;
        const bool saved = dataFile.save();
        const std::vector<ReplaceReason> asked =
            asks ? std::vector{ReplaceReason::NotReadCompletely} : std::vector<ReplaceReason>{};
        return reported && !saved && client.questions == asked ? 0 : 1;
    };
    const int writeOnly = runInChild([&] {
        if (::chown(file_.c_str(), 65534, 65534) != 0 || ::chmod(file_.c_str(), 0200) != 0
            || !becomeNobody())
            return kChildUnavailable;
        return loadAndSave(true);
    });
    if (writeOnly == kChildUnavailable)
        GTEST_SKIP() << "cannot drop to the user nobody (65534) here";
    EXPECT_EQ(writeOnly, 0) << "a write-only file";
    ASSERT_EQ(::chown(file_.c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(file_.c_str(), 0644), 0);
    expectUntouched();

    const pid_t longLease = holdLease(file_, std::chrono::seconds(3));
    if (longLease < 0)
        GTEST_SKIP() << "no file lease can be taken here";
    EXPECT_EQ(runInChild([&] { return loadAndSave(false); }), 0) << "a lease held past the retries";
    ::waitpid(longLease, nullptr, 0);
    expectUntouched();

    const pid_t shortLease = holdLease(file_, std::chrono::milliseconds(300));
    ASSERT_GT(shortLease, 0);
    EntryTable table;
    RecordingClient client(table);
    DataFile(table, file_, &client).load();
    ::waitpid(shortLease, nullptr, 0);
    EXPECT_EQ(table.count(), 4u) << "a lease released after 300 ms was not waited for";
    EXPECT_EQ(client.earlyStops, 0);
}

// A file whose reads keep answering "try again", as a tracing pipe does, ends the load.
TEST_F(SaveFault, LoadOfAFileThatAlwaysSaysTryAgainEnds)
{
    const fs::path tracing = home_.path() / "tracing";
    fs::create_directory(tracing);
    const int code = runInChild([&] {
        if (::unshare(CLONE_NEWNS) != 0
            || ::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("nodev", tracing.c_str(), "tracefs", 0, nullptr) != 0)
            return kChildUnavailable;
        fs::remove(file_);
        fs::create_symlink(tracing / "trace_pipe", file_);
        ::alarm(20);
        EntryTable table;
        RecordingClient client(table);
        DataFile(table, file_, &client).load();
        return table.count() == 0 && client.earlyStops == 1 ? 0 : 1;
    });
    if (code == kChildUnavailable)
        GTEST_SKIP() << "cannot mount tracefs in a private mount namespace here";
    EXPECT_EQ(code, 0) << "128 + 14: the load never ended";
}

// Written in place (a directory nobody may write, a file nobody owns), a save that fails part
// way leaves the file damaged but the program's own: the next save replaces it without asking.
// One killed as it cuts the file to length leaves no part of the old end after the new records.
TEST_F(SaveFault, WriteInPlaceThatFailsPartWay)
{
    writeFile(file_, fileBytesOf(sampleTable(40, 12)));
    ASSERT_EQ(::chown(file_.c_str(), 65534, 65534), 0);
    const std::string before = readFile(file_);
    const int code = runInChild([&] {
        if (!becomeNobody())
            return kChildUnavailable;
        EntryTable table;
        RecordingClient client(table);
        client.shows = false;
        DataFile dataFile(table, file_, &client);
        dataFile.load();
        table.deleteRow(0);  // shorter, so that only the writes meet the limit
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit sizeLimit{static_cast<rlim_t>(before.size() / 2), RLIM_INFINITY};
        if (::setrlimit(RLIMIT_FSIZE, &sizeLimit) != 0 || dataFile.save())
            return kChildSetupFailed;
        if (readFile(file_) == before)
            return kChildUnavailable;  // nothing was damaged: the room was refused first
        sizeLimit.rlim_cur = RLIM_INFINITY;
        ::setrlimit(RLIMIT_FSIZE, &sizeLimit);
        const bool saved = dataFile.save();
        return saved && client.questions.empty() && readFile(file_) == fileBytesOf(table) ? 0 : 1;
    });
    if (code == kChildUnavailable)
        GTEST_SKIP() << "cannot damage a file written in place here";
    EXPECT_EQ(code, 0) << "the damaged file was taken for another program's change";

    writeFile(file_, before);
    EntryTable smaller = sampleTable(1, 13);
    ASSERT_LT(fileBytesOf(smaller).size(), before.size());
    const int killed = runInChild([&] {
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_ftruncate, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        if (!becomeNobody() || ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0
            || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
            return kChildUnavailable;
        return saveReportedFailure(smaller, file_);
    });
    if (killed == kChildUnavailable)
        GTEST_SKIP() << "cannot stop a save at its truncation here";
    EXPECT_EQ(killed, 128 + SIGSYS);
    EntryTable loaded;
    DataFile(loaded, file_).load();
    const std::size_t rows = loaded.count();
    EXPECT_TRUE(rows == 40 || rows == 1) << rows << " records: the old end came back";
}

// A change that keeps the size and puts the modification time back (cp -p, rsync -t) is seen;
// so is one within the same second on a file system whose times are whole seconds.
TEST_F(SaveFault, ChangesThatTheTimesCannotShowAreSeen)
{
    const auto changedUnseen = [](const fs::path& file, bool keepTimes) {
        EntryTable table;
        RecordingClient client(table);
        DataFile dataFile(table, file, &client);
        dataFile.load();
        struct stat loaded {};
        ::stat(file.c_str(), &loaded);
        std::string changed = readFile(file);
        changed[changed.find("NAME=") + 5] ^= 1;
        writeFile(file, changed);
        if (keepTimes) {
            const timespec times[] = {loaded.st_atim, loaded.st_mtim};
            ::utimensat(AT_FDCWD, file.c_str(), times, 0);
        }
        return dataFile.save() || client.questions.size() != 1;
    };
    EXPECT_FALSE(changedUnseen(file_, true)) << "a rewrite that put the time back";

    const fs::path coarse = home_.path() / "coarse";
    fs::create_directory(coarse);
    const int code = runInChild([&] {
        const std::string image = (home_.path() / "fs").string();
        const std::string makeAndMount = "truncate -s 4M " + image + " && mkfs.ext4 -q -F -I 128 "
            + image + " >/dev/null 2>&1 && mount -o loop " + image + " " + coarse.string()
            + " 2>/dev/null";
        if (::unshare(CLONE_NEWNS) != 0
            || ::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0
            || std::system(makeAndMount.c_str()) != 0)
            return kChildUnavailable;
        const fs::path file = coarse / kDataFileName;
        writeFile(file, readFile(file_));
        EntryTable table;
        RecordingClient client(table);
        DataFile unchanged(table, file, &client);
        unchanged.load();
        if (!unchanged.save() || !client.questions.empty())
            return 2;  // a file nobody changed was taken for changed
        // Written, loaded and changed within one second.
        timespec now {};
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ::clock_gettime(CLOCK_REALTIME, &now);
        } while (now.tv_nsec > 100'000'000);
        writeFile(file, readFile(file_));
        return changedUnseen(file, false) ? 1 : 0;
    });
    if (code == kChildUnavailable)
        GTEST_SKIP() << "cannot mount an ext4 image with 128-byte inodes here";
    EXPECT_EQ(code, 0) << "1: the change was not seen";
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
