// A save killed at any moment leaves either the complete old file or the complete new one, and
// no copy of the passwords stays behind: not the temporary file, not a core dump.
#include "data_file.h"
#include "file_descriptor.h"
#include "save_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <csignal>
#include <iostream>
#include <optional>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

#ifdef __SANITIZE_ADDRESS__
constexpr std::size_t kRows = 40000;  // a sanitized save is several times slower
#else
constexpr std::size_t kRows = 120000;
#endif
constexpr int kKills = 40;

struct SaveRun {
    bool finished;  // the child ended on its own before the kill
    Clock::duration lasted;
};

// Starts a save in a child and kills it after the delay; a null delay lets it run to the end.
SaveRun saveInChild(EntryTable& table, const fs::path& file,
                    std::optional<Clock::duration> killAfter)
{
    const Clock::time_point start = Clock::now();
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0)
        ::_exit(DataFile(table, file).save() ? 0 : 1);
    if (killAfter) {
        std::this_thread::sleep_for(*killAfter);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    const bool finished = WIFEXITED(status);
    if (finished && WEXITSTATUS(status) != 0)
        throw std::runtime_error("the save failed");
    return {finished, Clock::now() - start};
}

TEST(SaveCrash, KilledAtRandomMomentsLeavesTheOldOrTheNewFile)
{
    TemporaryDirectory directory;
    const fs::path file = directory.path() / kDataFileName;
    EntryTable tables[2] = {sampleTable(kRows, 21), sampleTable(kRows, 22)};
    const std::string bytes[2] = {fileBytesOf(tables[0]), fileBytesOf(tables[1])};
    writeFile(file, bytes[0]);

    // Both contents load; every kill below must leave one of them, byte for byte.
    for (int i = 0; i < 2; ++i) {
        EntryTable loaded = tableOf(bytes[i]);
        ASSERT_EQ(loaded.count(), kRows);
        loaded.reverse();
        EXPECT_EQ(fileBytesOf(loaded), bytes[i]);
    }

    // Kills are spread over the time a whole save takes; the machine's load changes that
    // time, so every save that runs to its end renews the measure.
    Clock::duration saveTime = saveInChild(tables[1], file, std::nullopt).lasted;
    const Clock::duration firstSaveTime = saveTime;
    ASSERT_EQ(readFile(file), bytes[1]);
    int current = 1;  // which table the file holds

    std::mt19937 random(20261208);
    int beforeRename = 0;
    int afterRename = 0;
    int finishedFirst = 0;
    int temporariesLeft = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const int next = 1 - current;
        const auto killAfter = saveTime * std::uniform_real_distribution(0.0, 1.1)(random);
        const SaveRun run = saveInChild(tables[next], file,
                                        std::chrono::duration_cast<Clock::duration>(killAfter));
        if (run.finished) {
            ++finishedFirst;
            saveTime = run.lasted;
        }

        const std::string now = readFile(file);
        ASSERT_TRUE(now == bytes[current] || now == bytes[next])
            << "kill " << kill << " left a file of " << now.size() << " bytes that is neither";
        if (now == bytes[next]) {
            ++afterRename;
            current = next;
        } else {
            ASSERT_FALSE(run.finished) << "a save that ended on its own left the old file";
            ++beforeRename;
        }
        for (const std::string& name : hiddenFilesIn(directory.path())) {
            fs::remove(directory.path() / name);
            ++temporariesLeft;
        }
    }
    std::cout << "save of " << kRows << " records (" << bytes[0].size() << " bytes) took "
              << std::chrono::duration_cast<std::chrono::milliseconds>(firstSaveTime).count()
              << " ms; " << kKills << " kills: " << beforeRename << " before the rename, "
              << afterRename - finishedFirst << " after it, " << finishedFirst
              << " after the save had ended; " << temporariesLeft
              << " temporary files left by killed saves\n";
    EntryTable loaded;
    DataFile(loaded, file).load();
    EXPECT_EQ(loaded.count(), kRows);
    // The test means something only if many kills hit a running save.
    EXPECT_GE(beforeRename, kKills / 4);
}

TEST(SaveCrash, TemporaryFilesOfKilledSavesGoAtTheNextLoad)
{
    TemporaryDirectory directory;
    const fs::path file = directory.path() / kDataFileName;
    writeFile(file, fileBytesOf(sampleTable(2, 23)));
    const std::vector<std::string> kept{".nimbrel.nbd.Held01", ".nimbrel.nbd.Other1",
                                        ".other.nbd.abc123"};
    for (const auto& name : {".nimbrel.nbd.abc123", ".nimbrel.nbd.Held01",
                             ".nimbrel.nbd.Other1", ".other.nbd.abc123"})
        writeFile(directory.path() / name, "a copy of the list");
    ASSERT_EQ(::chown((directory.path() / kept[1]).c_str(), 65534, 65534), 0);
    // Held as by a save of another running copy.
    const FileDescriptor held(::open((directory.path() / kept[0]).c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::flock(held.get(), LOCK_EX), 0);

    EntryTable table;
    DataFile(table, file).load();
    std::vector<std::string> left = hiddenFilesIn(directory.path());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, kept);
    EXPECT_EQ(table.count(), 2u);
}

// The program itself, run as nobody: it cannot dump its memory, and TERM ends it through its
// own way out rather than the default action.
TEST(SaveCrash, ProgramCannotDumpAndEndsOnTerm)
{
    TemporaryDirectory directory;
    fs::permissions(directory.path(), fs::perms(0755));
    const fs::path file = directory.path() / kDataFileName;
    const std::string bytes = fileBytesOf(sampleTable(3, 24));
    writeFile(file, bytes);
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!becomeNobody() || ::chdir(directory.path().c_str()) != 0)
            ::_exit(kChildUnavailable);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(NIMBREL_PROGRAM, NIMBREL_PROGRAM, nullptr);
        ::_exit(kChildSetupFailed);
    }
    // Ready once it catches TERM (bit 15 of the caught-signal mask).
    const fs::path proc = "/proc/" + std::to_string(child);
    bool catchesTerm = false;
    for (int i = 0; i < 300 && !catchesTerm; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream status(proc / "status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("SigCgt:"))
                catchesTerm = (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    std::ifstream limits(proc / "limits");
    const std::string limitText{std::istreambuf_iterator<char>(limits), {}};
    struct stat procStatus {};
    ::stat((proc / "environ").c_str(), &procStatus);
    ::kill(child, catchesTerm ? SIGTERM : SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == kChildUnavailable)
        << "cannot drop to the user nobody (65534) here";
    ASSERT_TRUE(catchesTerm) << "the program does not catch TERM";
    EXPECT_NE(limitText.find("Max core file size        0                    0"), std::string::npos)
        << limitText;
    EXPECT_EQ(procStatus.st_uid, 0u) << "the files of a dumpable process in /proc belong to its user";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
    EXPECT_EQ(readFile(file), bytes);
}

}  // namespace
