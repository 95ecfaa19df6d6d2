// A save killed at any moment leaves either the complete old file or the complete new one, and
// no copy of the passwords stays behind: not the temporary file, not a core dump.
#include "data_file.h"
#include "file_descriptor_posix.h"
#include "safe_file.h"
#include "save_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <thread>
#include <tuple>

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
    // The user's own copies, named like a save's unfinished file, are never taken for one.
    const std::vector<std::string> copies = {".nimbrel.nbd.Copy12",
                                             ".nimbrel.nbd.nimbrel-save-Ab3dE6Gh9JkL1mNo"};
    for (const std::string& copy : copies)
        writeFile(directory.path() / copy, bytes[0]);

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
        // What every start does first.
        temporariesLeft += static_cast<int>(hiddenFilesIn(directory.path()).size() - copies.size());
        SafeFile::removeAbandoned(file);
        std::vector<std::string> left = hiddenFilesIn(directory.path());
        std::ranges::sort(left);
        ASSERT_EQ(left, copies) << "after kill " << kill;
    }
    for (const std::string& copy : copies)
        EXPECT_EQ(readFile(directory.path() / copy), bytes[0]);
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

// The program itself, run as nobody: at start it removes the temporary files of its killed
// saves (only the user's own, and none that a running save holds), its memory cannot be dumped,
// TERM ends it through its own way out, not by the default action, and a file size limit does
// not end it at all.
TEST(SaveCrash, ProgramCleansUpCannotDumpAndEndsOnTerm)
{
    TemporaryDirectory directory;
    fs::permissions(directory.path(), fs::perms(0777));
    const fs::path abandoned = directory.path() / ".nimbrel.nbd.nimbrel-save-abc123DEF456ghi7";
    const fs::path held = directory.path() / ".nimbrel.nbd.nimbrel-save-Held01Held01Held";
    const fs::path roots = directory.path() / ".nimbrel.nbd.nimbrel-save-Roots1Roots1Root";
    for (const fs::path& copy : {abandoned, held, roots}) {
        writeFile(copy, "a copy of the list");
        ASSERT_EQ(::chown(copy.c_str(), copy == roots ? 0 : 65534, 0), 0);
        ASSERT_EQ(::chmod(copy.c_str(), S_ISVTX | 0600), 0);  // as a save marks it until complete
    }
    const FileDescriptor lock(::open(held.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::flock(lock.get(), LOCK_EX), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!becomeNobody() || ::chdir(directory.path().c_str()) != 0)
            ::_exit(kChildUnavailable);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::signal(SIGXFSZ, SIG_DFL);  // as a shell leaves it
        ::execl(NIMBREL_PROGRAM, NIMBREL_PROGRAM, nullptr);
        ::_exit(kChildSetupFailed);
    }
    const fs::path proc = "/proc/" + std::to_string(child);
    bool catchesTerm = false;  // its handler is in place
    bool ignoresSizeLimit = false;  // a save past the file size limit fails, the program stays
    const auto hasSignal = [](const std::string& line, int signalNumber) {
        return (std::stoull(line.substr(7), nullptr, 16) >> (signalNumber - 1)) & 1;
    };
    for (int i = 0; i < 300 && !catchesTerm; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::ifstream status(proc / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("SigCgt:"))
                catchesTerm = hasSignal(line, SIGTERM);
            if (line.starts_with("SigIgn:"))
                ignoresSizeLimit = hasSignal(line, SIGXFSZ);
        }
    }
    std::ifstream limits(proc / "limits");
    const std::string limitText{std::istreambuf_iterator<char>(limits), {}};
    struct stat procFile {};
    ::stat((proc / "environ").c_str(), &procFile);
    ::kill(child, catchesTerm ? SIGTERM : SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kChildUnavailable)
        GTEST_SKIP() << "cannot drop to the user nobody (65534) here";
    ASSERT_TRUE(catchesTerm);
    EXPECT_TRUE(ignoresSizeLimit) << "SIGXFSZ would end the program during a save";
    EXPECT_NE(limitText.find("Max core file size        0                    0"), std::string::npos);
    EXPECT_EQ(procFile.st_uid, 0u) << "a dumpable process owns its files in /proc";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
    EXPECT_EQ(std::tuple(fs::exists(abandoned), fs::exists(held), fs::exists(roots)),
              std::tuple(false, true, true));
}

}  // namespace
