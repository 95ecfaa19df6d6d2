#include "safe_file.h"

#include "file_handle_win32.h"
#include "file_place_win32.h"

#include <algorithm>
#include <random>

// What ReplaceFileW keeps of the old file (its DACL, attributes, creation time and other
// streams among them) is all that a save keeps: the owner, group and ACL steps of the POSIX
// side have no counterpart here, and a file with several names keeps the old list under its
// other names. No save writes into the old file itself: where no temporary file can be made
// beside it, the save fails and the file stays as it was.

namespace {

constexpr std::wstring_view kNameLetters =
    L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLetters = 6;

// The directory part of a full path, with its final separator.
std::wstring directoryOf(const std::wstring& place)
{
    return place.substr(0, place.find_last_of(L"\\/") + 1);
}

// The name a save gives its temporary file: ".nimbrel.nbd.XXXXXX" for "nimbrel.nbd".
std::wstring temporaryPrefix(const std::wstring& place)
{
    return L'.' + place.substr(directoryOf(place).size()) + L'.';
}

bool isTemporaryName(std::wstring_view name, const std::wstring& prefix)
{
    return name.size() == prefix.size() + kRandomLetters && name.starts_with(prefix)
        && name.find_first_not_of(kNameLetters, prefix.size()) == std::wstring_view::npos;
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
        FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = ::GetLastError();
        if (file || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)) {
            if (!file)
                path.clear();
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

std::optional<FileIdentity> identityAt(const std::wstring& place)
{
    const FileHandle file(::CreateFileW(place.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    return file ? identityOf(file.get()) : std::nullopt;
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
    bool replace();
    bool stillInPlace() const;
    void discard();

    std::filesystem::path target_;
    std::wstring place_;
    FileHandle temporary_;
    std::wstring temporaryPath_;
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
    const FileHandle old(::CreateFileW(place_.c_str(), GENERIC_WRITE | DELETE, kShareAll,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    if (!old && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    if (old) {
        if (::GetFileType(old.get()) != FILE_TYPE_DISK)
            return false;
        existing = identityOf(old.get());
        if (!existing)
            return false;
    }
    temporary_ = createNewFile(place_, temporaryPath_);
    return static_cast<bool>(temporary_);
}

bool SafeFile::State::write(std::string_view bytes)
{
    if (temporary_ && writeAll(temporary_.get(), bytes))
        return true;
    discard();
    return false;
}

bool SafeFile::State::commit()
{
    if (!temporary_ || !::FlushFileBuffers(temporary_.get())) {
        discard();
        return false;
    }
    // Closed before it is put in place, which opens it by name. Another start that removes
    // abandoned files in this moment makes the save fail, and the old file stays.
    temporary_.reset();
    const bool placed = stillInPlace()
        && (existing ? replace()
                     : ::MoveFileExW(temporaryPath_.c_str(), place_.c_str(), MOVEFILE_WRITE_THROUGH));
    if (!placed) {
        discard();
        return false;
    }
    temporaryPath_.clear();
    // Taken once the replacement has given the file the old one's attributes and security.
    committed = identityAt(place_);
    return true;
}

bool SafeFile::State::replace()
{
    if (::ReplaceFileW(place_.c_str(), temporaryPath_.c_str(), nullptr, 0, nullptr, nullptr))
        return true;
    const DWORD error = ::GetLastError();
    // Without a backup name this error means that the old file is gone and the complete new
    // one is still under its temporary name; a file system that cannot replace says the
    // other two. Either way the new file is moved into place as it is.
    if (error != ERROR_UNABLE_TO_MOVE_REPLACEMENT && error != ERROR_NOT_SUPPORTED
        && error != ERROR_INVALID_FUNCTION)
        return false;
    return ::MoveFileExW(temporaryPath_.c_str(), place_.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
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
            || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        // Opened shared with nobody, which fails while a save holds the file; removed when
        // closed. Whose file it is, the directory's security decides.
        const FileHandle file(::CreateFileW((directory + found.cFileName).c_str(), DELETE, 0,
                                            nullptr, OPEN_EXISTING,
                                            FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}
