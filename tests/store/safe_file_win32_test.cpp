// The save's promises on Windows: the old file stays byte for byte when a save fails, a
// read-only file is reported, the file's security descriptor is kept, a rewrite that put the
// write time back is seen, and only abandoned temporary files are removed.
#include "data_file.h"

#include "file_bytes.h"
#include "store_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>


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
// bits, which its ReplaceFileW does not carry over.
TEST_F(WindowsSave, SecurityDescriptorIsKept)
{
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "Wine's ReplaceFileW keeps no security descriptor";
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

TEST_F(WindowsSave, OnlyAbandonedTemporaryFilesAreRemoved)
{
    const fs::path abandoned = directory.path() / ".nimbrel.nbd.Ab3dE6";
    const fs::path saving = directory.path() / ".nimbrel.nbd.Xy9zW0";
    const fs::path other = directory.path() / ".nimbrel.nbd.old";
    for (const fs::path& file : {abandoned, saving, other})
        writeFile(file, kOldBytes);
    // Held as a running save holds its file: shared with nobody.
    const HANDLE held = ::CreateFileW(saving.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DataFile(table, path).load();
    ::CloseHandle(held);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(saving));
    EXPECT_TRUE(fs::exists(other));
}

}  // namespace
