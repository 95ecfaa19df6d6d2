#include "safe_file.h"

#include "file_handle_win32.h"
#include "file_place_win32.h"

#include <aclapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <new>
#include <random>
#include <thread>
#include <vector>

// A save writes a complete temporary file beside the old one, held open and shared with nobody,
// gives it the old file's DACL, attributes and creation time, and renames it over the old one
// through its own handle: one step, so that the name never leads to no file. As on POSIX, a
// file with several names, and one whose folder refuses new files, is written in place instead.

namespace {

constexpr std::wstring_view kNameLetters =
    L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLetters = 16;

// A refusal that may pass (a scanner, an indexer or a backup program that holds the file for a
// moment) is tried again this often, for about a second in all.
constexpr int kTries = 50;
constexpr auto kPauseBetweenTries = std::chrono::milliseconds(20);
constexpr DWORD kTurnWaitMilliseconds = 10'000;

// A save marks its temporary file by its last access time, which a time set through a handle
// keeps from that handle's own writes: unfinished from its creation, complete once its content
// is flushed and it bears the old file's traits. No person or program chooses these times to
// the 100 ns, and Wine keeps neither a temporary attribute nor a second stream that could bear
// the mark instead.
constexpr LONGLONG kYear2000 = 125'911'584'000'000'000;  // in 100 ns from 1601
constexpr LONGLONG kUnfinished = kYear2000 + 1'234'567;
constexpr LONGLONG kComplete = kYear2000 + 7'654'321;

// What a user may set on the data file and a save keeps.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
    | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The directory part of a full path, with its final separator.
std::wstring directoryOf(const std::wstring& place)
{
    return place.substr(0, place.find_last_of(L"\\/") + 1);
}

// The name a save gives its temporary file: ".nimbrel.nbd.nimbrel-save-" and 16 letters or
// digits for "nimbrel.nbd".
std::wstring temporaryPrefix(const std::wstring& place)
{
    return L'.' + place.substr(directoryOf(place).size()) + L".nimbrel-save-";
}

bool isTemporaryName(std::wstring_view name, const std::wstring& prefix)
{
    return name.size() == prefix.size() + kRandomLetters && name.starts_with(prefix)
        && name.find_first_not_of(kNameLetters, prefix.size()) == std::wstring_view::npos;
}

bool mayPass(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
        || error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Takes the step until it succeeds, fails for good, or has been refused for about a second.
bool retried(const std::function<bool()>& step)
{
    for (int tries = 1;; ++tries) {
        if (step())
            return true;
        if (tries == kTries || !mayPass(::GetLastError()))
            return false;
        std::this_thread::sleep_for(kPauseBetweenTries);
    }
}

// Creates a new file beside the place whose name is the prefix and random letters, shared with
// nobody while it is open, so that neither a half-written list can be read nor another start
// take it for abandoned.
FileHandle createNewFile(const std::wstring& place, std::wstring& path)
{
    const std::wstring prefix = directoryOf(place) + temporaryPrefix(place);
    std::random_device random;
    std::uniform_int_distribution<std::size_t> letter(0, kNameLetters.size() - 1);
    for (;;) {
        path = prefix;
        for (std::size_t i = 0; i < kRandomLetters; ++i)
            path += kNameLetters[letter(random)];
        FileHandle file(::CreateFileW(path.c_str(),
                                      GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE | WRITE_DAC,
                                      0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = ::GetLastError();
        if (file || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)) {
            if (!file)
                path.clear();
            ::SetLastError(error);
            return file;
        }
    }
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Sets the times and attributes that are not zero.
bool setBasicInformation(HANDLE file, FILE_BASIC_INFO basic)
{
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
}

bool setAccessTime(HANDLE file, LONGLONG time)
{
    FILE_BASIC_INFO basic{};
    basic.LastAccessTime.QuadPart = time;
    return setBasicInformation(file, basic);
}

void setAccessTimeToNow(HANDLE file)
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    setAccessTime(file, (LONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime);
}

// The rename of an open file to a full path, as SetFileInformationByHandle takes it.
std::vector<std::byte> renameTo(const std::wstring& place, bool replace)
{
    const std::size_t nameBytes = place.size() * sizeof(wchar_t);
    std::vector<std::byte> rename(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* information = reinterpret_cast<FILE_RENAME_INFO*>(rename.data());
    information->ReplaceIfExists = replace;
    information->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(information->FileName, place.data(), nameBytes);
    return rename;
}

bool rename(HANDLE file, std::vector<std::byte>& rename)
{
    return ::SetFileInformationByHandle(file, FileRenameInfo, rename.data(),
                                        static_cast<DWORD>(rename.size()));
}

bool isMissing(const std::wstring& place)
{
    return ::GetFileAttributesW(place.c_str()) == INVALID_FILE_ATTRIBUTES
        && ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace

// What a save holds while it runs.
class SafeFile::State {
public:
    explicit State(std::filesystem::path target) : target_(std::move(target)) {}
    ~State() { discard(); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    bool open();
    bool write(std::string_view bytes);
    bool commit();

    std::optional<FileIdentity> existing;   // the file as open() found it
    std::optional<FileIdentity> committed;  // the file as commit() left it

private:
    bool giveOldTraits();
    bool placeInTurn();
    bool commitInPlace();
    bool stillInPlace() const;
    void discard();

    std::filesystem::path target_;
    std::wstring place_;
    FileHandle existingFile_;  // open for writing
    FileHandle temporary_;
    std::wstring temporaryPath_;
    bool inPlace_ = false;
    std::string content_;  // in place: the whole content, written only once it is complete
};

SafeFile::SafeFile(std::filesystem::path target)
    : state_(std::make_unique<State>(std::move(target)))
{
}

SafeFile::~SafeFile() = default;

bool SafeFile::open()
{
    return state_->open();
}

const std::optional<FileIdentity>& SafeFile::existing() const
{
    return state_->existing;
}

bool SafeFile::write(std::string_view bytes)
{
    return state_->write(bytes);
}

bool SafeFile::commit()
{
    return state_->commit();
}

const std::optional<FileIdentity>& SafeFile::committed() const
{
    return state_->committed;
}

bool SafeFile::State::open()
{
    const std::optional<std::wstring> place = placeOf(target_);
    if (!place)
        return false;
    place_ = *place;
    // Write and delete access, as a replacement needs, refuse a read-only file, one the user
    // may not write, and one that another program holds open without letting it be replaced;
    // a directory cannot be opened so at all.
    const bool found = retried([this] {
        existingFile_.reset(::CreateFileW(place_.c_str(),
                                          GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE
                                              | READ_CONTROL,
                                          kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        return existingFile_ || ::GetLastError() == ERROR_FILE_NOT_FOUND;
    });
    if (!found)
        return false;
    if (existingFile_) {
        // A read-only file refuses the write access to all but a few (an administrator's
        // backup, or Wine run as root): its attribute refuses the save as well.
        BY_HANDLE_FILE_INFORMATION information{};
        if (::GetFileType(existingFile_.get()) != FILE_TYPE_DISK
            || !::GetFileInformationByHandle(existingFile_.get(), &information)
            || (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
            return false;
        existing = identityOf(existingFile_.get());
        if (!existing)
            return false;
        // A new file would leave the file's other names with the old list.
        if (information.nNumberOfLinks > 1) {
            inPlace_ = true;
            return true;
        }
    }
    temporary_ = createNewFile(place_, temporaryPath_);
    if (!temporary_) {
        // A folder that refuses new files, where the file itself may be written.
        inPlace_ = existingFile_ && ::GetLastError() == ERROR_ACCESS_DENIED;
        return inPlace_;
    }
    // Without the mark (a file system that keeps no such time) a killed save's file stays.
    setAccessTime(temporary_.get(), kUnfinished);
    return true;
}

bool SafeFile::State::write(std::string_view bytes)
{
    if (inPlace_) {
        try {
            content_.append(bytes);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    if (temporary_ && writeAll(temporary_.get(), bytes))
        return true;
    discard();
    return false;
}

bool SafeFile::State::commit()
{
    if (inPlace_)
        return commitInPlace();
    if (!temporary_ || !::FlushFileBuffers(temporary_.get()) || !giveOldTraits()
        || !placeInTurn()) {
        discard();
        return false;
    }
    temporaryPath_.clear();
    setAccessTimeToNow(temporary_.get());
    // As MOVEFILE_WRITE_THROUGH would: the rename is on the disk before the save returns. A
    // failure only leaves it less durable.
    ::FlushFileBuffers(temporary_.get());
    // Taken last, as the new times change the file's change time.
    committed = identityOf(temporary_.get());
    temporary_.reset();
    return true;
}

// Gives the complete temporary file the old one's DACL (the inherited entries from the folder
// both share), attributes and creation time, and marks it complete.
bool SafeFile::State::giveOldTraits()
{
    FILE_BASIC_INFO basic{};
    if (existingFile_) {
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (::GetSecurityInfo(existingFile_.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &dacl, nullptr, &descriptor)
            != ERROR_SUCCESS)
            return false;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        const bool isProtected = ::GetSecurityDescriptorControl(descriptor, &control, &revision)
            && (control & SE_DACL_PROTECTED);
        const DWORD set = ::SetSecurityInfo(
            temporary_.get(), SE_FILE_OBJECT,
            DACL_SECURITY_INFORMATION
                | (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                               : UNPROTECTED_DACL_SECURITY_INFORMATION),
            nullptr, nullptr, dacl, nullptr);
        ::LocalFree(descriptor);
        FILE_BASIC_INFO old{};
        if (set != ERROR_SUCCESS
            || !::GetFileInformationByHandleEx(existingFile_.get(), FileBasicInfo, &old,
                                               sizeof old))
            return false;
        basic.CreationTime = old.CreationTime;
        basic.FileAttributes = old.FileAttributes & kKeptAttributes;
    }
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    basic.LastAccessTime.QuadPart = kComplete;
    return setBasicInformation(temporary_.get(), basic);
}

// Renames the temporary file over the old one, or to a name that no file has, while no other
// save to this file of this session takes its last look and renames: of two saves begun on the
// same file only the first replaces it, and the second finds the file changed.
bool SafeFile::State::placeInTurn()
{
    std::vector<std::byte> renameInformation = renameTo(place_, existing.has_value());
    // An open handle would keep the old file from being replaced, even this save's own.
    existingFile_.reset();
    const std::wstring turnName =
        L"Local\\Nimbrel save " + std::to_wstring(std::hash<std::wstring>{}(place_));
    const HANDLE turn = ::CreateMutexW(nullptr, FALSE, turnName.c_str());
    if (!turn)
        return false;
    const DWORD waited = ::WaitForSingleObject(turn, kTurnWaitMilliseconds);
    bool placed = false;
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        placed = retried([&] {
            if (stillInPlace())
                return rename(temporary_.get(), renameInformation);
            ::SetLastError(ERROR_FILE_EXISTS);
            return false;
        });
        ::ReleaseMutex(turn);
    }
    ::CloseHandle(turn);
    return placed;
}

// The method of last resort: a failure part way leaves the file damaged.
bool SafeFile::State::commitInPlace()
{
    const HANDLE file = existingFile_.get();
    const auto size = static_cast<LONGLONG>(content_.size());
    // Room is claimed first, so that a full disk is met before anything of the old content is
    // overwritten; a smaller claim would cut the file.
    FILE_ALLOCATION_INFO room{};
    room.AllocationSize.QuadPart = size;
    if (size > existing->size
        && !::SetFileInformationByHandle(file, FileAllocationInfo, &room, sizeof room)
        && ::GetLastError() == ERROR_DISK_FULL)
        return false;
    // Cut to the new length first: the end of a longer old file must never follow the
    // complete new content, where the next load would read it as records.
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    const bool written = ::SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end)
        && writeAll(file, content_) && ::FlushFileBuffers(file);
    // Whole or damaged, the file is now this save's.
    committed = identityOf(file);
    return written && committed.has_value();
}

// Whether the name still leads to the file that open() found, or still to none.
bool SafeFile::State::stillInPlace() const
{
    const FileHandle file(::CreateFileW(place_.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!file)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND && !existing;
    const std::optional<FileIdentity> now = identityOf(file.get());
    return existing && now && now->device == existing->device && now->inode == existing->inode;
}

void SafeFile::State::discard()
{
    temporary_.reset();
    if (!temporaryPath_.empty()) {
        ::DeleteFileW(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

void SafeFile::removeAbandoned(const std::filesystem::path& target)
{
    const std::optional<std::wstring> place = placeOf(target);
    if (!place)
        return;
    const std::wstring directory = directoryOf(*place);
    const std::wstring prefix = temporaryPrefix(*place);
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW((directory + prefix + L'*').c_str(), FindExInfoBasic,
                                             &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!isTemporaryName(found.cFileName, prefix)
            || (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        // Opened shared with nobody, which fails while a save holds the file. Whose file it is,
        // the directory's security decides.
        const FileHandle file(::CreateFileW((directory + found.cFileName).c_str(),
                                            DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                            0, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        FILE_BASIC_INFO basic{};
        if (!file
            || !::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
            continue;
        const LONGLONG mark = basic.LastAccessTime.QuadPart;
        if (mark == kComplete && isMissing(*place)) {
            // A save of a new file killed before its rename left the only copy of the list. It
            // never replaces a file that appeared meanwhile, and stays where it cannot be placed.
            std::vector<std::byte> renameInformation = renameTo(*place, false);
            if (rename(file.get(), renameInformation))
                setAccessTimeToNow(file.get());
        } else if (mark == kUnfinished || mark == kComplete) {
            FILE_DISPOSITION_INFO disposition{};
            disposition.DeleteFile = TRUE;
            ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                         sizeof disposition);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}
