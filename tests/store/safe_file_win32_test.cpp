// The save's promises on Windows: the old file stays byte for byte when a save fails, a
// read-only file is reported, the file's security descriptor, attributes and other names are
// kept, a rewrite that put the write time back is seen, the name never leads to no file, a
// file held for a moment is waited for, and only abandoned temporary files are removed.
#include "data_file.h"

#include "file_bytes.h"
#include "store_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace {

namespace fs = std::filesystem;

const std::string kOldBytes =
    "CREATOR=Nimbrel 1.0\r\nNAME=Old\r\nUSERNAME=\r\nPASSWORD=\r\nURL=\r\nOTHER=\r\nNOTES=\r\n";
const std::string kNewBytes =
    "CREATOR=Nimbrel 1.0\r\nNAME=New\r\nUSERNAME=\r\nPASSWORD=\r\nURL=\r\nOTHER=\r\nNOTES=\r\n";

// The DACL of a file as SDDL; empty where it cannot be read.
std::wstring daclOf(const fs::path& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return {};
    wchar_t* text = nullptr;
    std::wstring dacl;
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        dacl = text;
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return dacl;
}

// Gives a file the DACL that the SDDL describes.
bool setDacl(const fs::path& path, const wchar_t* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool set = ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                            &descriptor, nullptr)
        && ::SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor);
    ::LocalFree(descriptor);
    return set;
}

class WindowsSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(path, kOldBytes);
        table.insertFirst(entryOf("New"));
    }

    void expectUntouched() const
    {
        EXPECT_EQ(fileBytes(path), kOldBytes);
        for (const fs::directory_entry& entry : fs::directory_iterator(directory.path()))
            EXPECT_EQ(entry.path().filename().string(), kDataFileName) << "left behind";
    }

    TemporaryDirectory directory;
    fs::path path = directory.path() / kDataFileName;
    EntryTable table;
};

TEST_F(WindowsSave, FileHeldOpenWithoutShareDeleteIsKept)
{
    const HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DataFile(table, path).save());
    ::CloseHandle(other);
    expectUntouched();
    EXPECT_TRUE(DataFile(table, path).save());
    EXPECT_EQ(fileBytes(path), kNewBytes);
}

TEST_F(WindowsSave, ReadOnlyFileIsReadButNotReplaced)
{
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    DataFile file(table, path);
    file.load();
    EXPECT_EQ(table.count(), 2u);
    EXPECT_FALSE(file.save());
    EXPECT_TRUE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    expectUntouched();
}

// Wine keeps no security descriptor of its own: it shows one made from the file's permission
// bits.
TEST_F(WindowsSave, SecurityDescriptorIsKept)
{
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "Wine keeps no security descriptor of a file";
    ASSERT_TRUE(setDacl(path, L"D:P(A;;FA;;;WD)(A;;FR;;;BA)"));
    const std::wstring own = daclOf(path);
    EXPECT_TRUE(DataFile(table, path).save());
    EXPECT_EQ(daclOf(path), own);
    EXPECT_EQ(fileBytes(path), kNewBytes);
}

// A file loaded or saved is the program's own until another program changes it; the change
// time shows what the size and the write time do not.
TEST_F(WindowsSave, RewriteThatPutTheWriteTimeBackIsAskedAbout)
{
    RecordingClient client(table);
    DataFile file(table, path, &client);
    file.load();
    ASSERT_TRUE(file.save());
    const HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    FILETIME written{};
    DWORD count = 0;
    ::GetFileTime(other, nullptr, nullptr, &written);
    ::SetFilePointer(other, 26, nullptr, FILE_BEGIN);  // "Old" of NAME=Old, the first row
    ::WriteFile(other, "Odd", 3, &count, nullptr);
    ::SetFileTime(other, nullptr, nullptr, &written);
    ::CloseHandle(other);

    EXPECT_FALSE(file.save());
    EXPECT_EQ(client.questions, std::vector{ReplaceReason::ChangedSinceLoad});
    EXPECT_NE(fileBytes(path).find("NAME=Odd"), std::string::npos);
}

// A save marks its temporary file by its last access time (100 ns from 1601): unfinished, or
// complete and not yet in place.
constexpr LONGLONG kUnfinishedMark = 125'911'584'001'234'567;
constexpr LONGLONG kCompleteMark = 125'911'584'007'654'321;

void writeMarked(const fs::path& path, const std::string& bytes, LONGLONG mark)
{
    writeFile(path, bytes);
    const HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    FILE_BASIC_INFO basic{};
    basic.LastAccessTime.QuadPart = mark;
    ASSERT_TRUE(::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    ::CloseHandle(file);
}

TEST_F(WindowsSave, OnlyAbandonedTemporaryFilesAreRemoved)
{
    const fs::path abandoned = directory.path() / ".nimbrel.nbd.nimbrel-save-Ab3dE6Gh9JkL1mNo";
    const fs::path complete = directory.path() / ".nimbrel.nbd.nimbrel-save-Cc3dE6Gh9JkL1mNo";
    const fs::path saving = directory.path() / ".nimbrel.nbd.nimbrel-save-Xy9zW0Xy9zW0Xy9z";
    const fs::path usersCopies[] = {directory.path() / ".nimbrel.nbd.nimbrel-save-UsersCopy0123456",
                                    directory.path() / ".nimbrel.nbd.Copy12"};
    writeMarked(abandoned, kOldBytes, kUnfinishedMark);
    writeMarked(complete, kOldBytes, kCompleteMark);
    writeMarked(saving, kOldBytes, kUnfinishedMark);
    for (const fs::path& copy : usersCopies)
        writeFile(copy, kOldBytes);
    // Held as a running save holds its file: shared with nobody.
    const HANDLE held = ::CreateFileW(saving.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DataFile file(table, path);
    file.load();
    EXPECT_TRUE(file.save());
    ::CloseHandle(held);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_FALSE(fs::exists(complete));
    EXPECT_TRUE(fs::exists(saving));
    for (const fs::path& copy : usersCopies)
        EXPECT_EQ(fileBytes(copy), kOldBytes) << copy;
}

// A save of a new file killed before its rename left the only copy of the list.
TEST_F(WindowsSave, CompleteLeftoverWithoutTheFileIsPutInPlace)
{
    fs::remove(path);
    const fs::path leftover = directory.path() / ".nimbrel.nbd.nimbrel-save-Ab3dE6Gh9JkL1mNo";
    writeMarked(leftover, kNewBytes, kCompleteMark);
    DataFile(table, path).load();
    EXPECT_EQ(table.count(), 2u);
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_EQ(fileBytes(path), kNewBytes);
}

TEST_F(WindowsSave, HiddenAndSystemAttributesAreKept)
{
    constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), kHiddenSystem));
    EXPECT_TRUE(DataFile(table, path).save());
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & kHiddenSystem, kHiddenSystem);
    EXPECT_EQ(fileBytes(path), kNewBytes);
}

TEST_F(WindowsSave, EveryNameOfTheFileShowsTheNewList)
{
    const fs::path other = directory.path() / "copy.nbd";
    ASSERT_TRUE(::CreateHardLinkW(other.c_str(), path.c_str(), nullptr));
    EXPECT_TRUE(DataFile(table, path).save());
    EXPECT_EQ(fileBytes(path), kNewBytes);
    EXPECT_EQ(fileBytes(other), kNewBytes);
}

EntryTable tableOf(int rows)
{
    EntryTable rowsTable;
    for (int row = 0; row < rows; ++row)
        rowsTable.insertFirst(entryOf("Account " + std::to_string(row), "user", "password"));
    return rowsTable;
}

// Starts during saves, as a second window opened meanwhile, always find one of the lists whole.
TEST_F(WindowsSave, StartsDuringSavesFindTheOldOrTheNewList)
{
    EntryTable tables[2] = {tableOf(1000), tableOf(1500)};
    ASSERT_TRUE(DataFile(tables[1], path).save());
    std::atomic<bool> saving = true;
    int saves = 0;
    std::thread saver([&] {
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
             std::chrono::steady_clock::now() < end; ++saves)
            DataFile(tables[saves % 2], path).save();
        saving = false;
    });
    std::vector<std::size_t> seen;
    while (saving) {
        EntryTable loaded;
        DataFile start(loaded, path);
        start.load(DataFile::IfMissing::Leave);
        if (start.isMissing() || (loaded.count() != 1000 && loaded.count() != 1500))
            seen.push_back(loaded.count());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    saver.join();
    EXPECT_EQ(seen, std::vector<std::size_t>{}) << "in " << saves << " saves";
}

// Two windows on one file, each answering No: once one has replaced it, the other never does.
TEST_F(WindowsSave, TwoProgramsSavingNeverBothReplaceUnasked)
{
    for (int round = 0; round < 4; ++round) {
        EntryTable tables[2];
        std::vector<std::unique_ptr<RecordingClient>> clients;
        std::vector<std::unique_ptr<DataFile>> files;
        for (EntryTable& programTable : tables) {
            clients.push_back(std::make_unique<RecordingClient>(programTable));
            files.push_back(std::make_unique<DataFile>(programTable, path, clients.back().get()));
            files.back()->load();
        }
        int replaced[2] = {};
        const auto saveFor = [&](int program) {
            for (const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(750);
                 std::chrono::steady_clock::now() < end;)
                replaced[program] += files[program]->save();
        };
        std::thread second(saveFor, 1);
        saveFor(0);
        second.join();
        EXPECT_TRUE(replaced[0] == 0 || replaced[1] == 0) << replaced[0] << " and " << replaced[1];
    }
}

// Starts a process that holds the file, shared with nobody, for the given time, as a scanner
// does, and returns it once it holds the file.
HANDLE holdInAnotherProcess(const fs::path& file, int milliseconds)
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L'"' + (fs::path(self).parent_path() / L"hold_file.exe").wstring()
        + L"\" \"" + file.wstring() + L"\" " + std::to_wstring(milliseconds);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return nullptr;
    ::CloseHandle(process.hThread);
    for (int tries = 0; tries < 2000; ++tries) {
        const HANDLE probe = ::CreateFileW(file.c_str(), FILE_READ_DATA, FILE_SHARE_READ
                                           | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_SHARING_VIOLATION)
            break;
        ::CloseHandle(probe);
        ::Sleep(5);
    }
    return process.hProcess;
}

TEST_F(WindowsSave, FileHeldByAScannerForAMomentIsWaitedFor)
{
    HANDLE scanner = holdInAnotherProcess(path, 300);
    ASSERT_NE(scanner, nullptr);
    EXPECT_TRUE(DataFile(table, path).save());
    ::WaitForSingleObject(scanner, INFINITE);
    ::CloseHandle(scanner);
    EXPECT_EQ(fileBytes(path), kNewBytes);

    writeFile(path, kOldBytes);
    scanner = holdInAnotherProcess(path, 3000);
    EXPECT_FALSE(DataFile(table, path).save());
    ::WaitForSingleObject(scanner, INFINITE);
    ::CloseHandle(scanner);
    expectUntouched();
}

}  // namespace
