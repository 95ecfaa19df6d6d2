#include "input_file.h"

#include "file_handle_win32.h"
#include "file_place_win32.h"
#include "read_buffers.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr DWORD kReadChunkSize = 1 << 20;
// A refusal that may pass is tried again this often, for about a second in all.
constexpr int kTries = 10;
constexpr auto kPauseBetweenTries = std::chrono::milliseconds(100);

// Refusals that end by themselves: another program that holds the file without sharing it or
// has locked a range of it, a lack of handles or memory, a busy network.
bool mayPass(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
        || error == ERROR_TOO_MANY_OPEN_FILES || error == ERROR_NOT_ENOUGH_MEMORY
        || error == ERROR_OUTOFMEMORY || error == ERROR_NO_SYSTEM_RESOURCES
        || error == ERROR_NETWORK_BUSY || error == ERROR_SEM_TIMEOUT;
}

FileHandle openToRead(const std::wstring& place)
{
    for (int tries = 1;; ++tries) {
        FileHandle file(::CreateFileW(place.c_str(), GENERIC_READ, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file || tries == kTries || !mayPass(::GetLastError()))
            return file;
        std::this_thread::sleep_for(kPauseBetweenTries);
    }
}

// A new file takes the security of its directory, as every file a user makes there does; the
// owner-only mode of the POSIX side has no counterpart that would not shut out the user's own
// administrators and backup.
FileHandle createEmptyFile(const std::wstring& place)
{
    return FileHandle(::CreateFileW(place.c_str(), GENERIC_READ, kShareAll, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool isDirectory(const std::wstring& place)
{
    const DWORD attributes = ::GetFileAttributesW(place.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

struct InputFile::Handle {
    FileHandle file;
    ReadBuffers buffers;
};

InputFile::InputFile(const std::filesystem::path& path, bool createIfMissing)
    : handle_(std::make_unique<Handle>())
{
    const std::optional<std::wstring> place = placeOf(path);
    if (!place)
        return;
    FileHandle& file = handle_->file;
    file = openToRead(*place);
    if (!file) {
        const DWORD error = ::GetLastError();
        // A directory on the way that is missing leads nowhere, as on POSIX.
        if (error == ERROR_PATH_NOT_FOUND || isDirectory(*place))
            return;
        if (error != ERROR_FILE_NOT_FOUND) {
            state_ = State::Unreadable;
            return;
        }
        state_ = State::Missing;
        if (!createIfMissing)
            return;
        file = createEmptyFile(*place);
        if (!file)
            return;
    }
    identity_ = identityOf(file.get());
    if (!identity_) {
        state_ = State::Unreadable;
        return;
    }
    state_ = ::GetFileType(file.get()) == FILE_TYPE_DISK ? State::Open : State::NotRegular;
}

InputFile::~InputFile() = default;

bool InputFile::read(const std::function<void(std::string_view piece)>& take, std::uint64_t from,
                     std::uint64_t to)
{
    char* const buffer = handle_->buffers.add(kReadChunkSize);
    for (int tries = 0; from < to;) {
        const auto wanted = static_cast<DWORD>(std::min<std::uint64_t>(kReadChunkSize, to - from));
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(from);
        at.OffsetHigh = static_cast<DWORD>(from >> 32);
        DWORD received = 0;
        if (!::ReadFile(handle_->file.get(), buffer, wanted, &received, &at)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF)
                return true;
            // A range that another program has locked is waited for, as a read that answers
            // "try again" is on POSIX.
            if (error == ERROR_LOCK_VIOLATION && ++tries < kTries) {
                std::this_thread::sleep_for(kPauseBetweenTries);
                continue;
            }
            return false;
        }
        if (received == 0)
            return true;
        tries = 0;
        from += received;
        take(std::string_view(buffer, received));
    }
    return true;
}
