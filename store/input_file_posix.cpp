#include "input_file.h"

#include "file_descriptor_posix.h"
#include "file_place_posix.h"
#include "read_buffers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadChunkSize = 1 << 20;
// A refusal that may pass is tried again this often, for about a second in all.
constexpr int kTries = 10;
constexpr auto kPauseBetweenTries = std::chrono::milliseconds(100);

// Refusals that end by themselves: a lease that a file server holds, a lack of descriptors or
// memory, a device that is busy.
bool mayPass(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR || error == EMFILE
        || error == ENFILE || error == ENOMEM || error == EBUSY || error == EIO
        || error == ETIMEDOUT;
}

FileDescriptor openToRead(const FilePlace& place)
{
    for (int tries = 1;; ++tries) {
        // Non-blocking, so that a FIFO in the file's place cannot hold up the start.
        FileDescriptor file = place.open(O_RDONLY | O_NONBLOCK | O_NOCTTY);
        if (file || tries == kTries || !mayPass(errno))
            return file;
        std::this_thread::sleep_for(kPauseBetweenTries);
    }
}

// Creates the missing data file empty and owner-only, whatever the umask.
FileDescriptor createEmptyFile(const FilePlace& place)
{
    FileDescriptor file = place.open(O_RDONLY | O_CREAT | O_EXCL, 0600);
    if (file)
        ::fchmod(file.get(), 0600);
    return file;
}

}  // namespace

struct InputFile::Handle {
    FileDescriptor file;
    ReadBuffers buffers;
};

InputFile::InputFile(const std::filesystem::path& path, bool createIfMissing)
    : handle_(std::make_unique<Handle>())
{
    const std::optional<FilePlace> place = FilePlace::find(path);
    if (!place)
        return;
    FileDescriptor& file = handle_->file;
    file = openToRead(*place);
    if (!file && errno == ENOENT) {
        state_ = State::Missing;
        if (!createIfMissing)
            return;
        file = createEmptyFile(*place);
        if (!file)
            return;
    }
    struct stat status {};
    if (!file || ::fstat(file.get(), &status) != 0) {
        state_ = State::Unreadable;
        return;
    }
    state_ = S_ISREG(status.st_mode) ? State::Open : State::NotRegular;
    identity_ = identityOf(file.get());
}

InputFile::~InputFile() = default;

bool InputFile::read(const std::function<void(std::string_view piece)>& take, std::uint64_t from,
                     std::uint64_t to)
{
    char* const buffer = handle_->buffers.add(kReadChunkSize);
    for (int tries = 0; from < to;) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunkSize, to - from));
        const ssize_t received =
            ::pread(handle_->file.get(), buffer, wanted, static_cast<off_t>(from));
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0 && errno == EAGAIN && ++tries < kTries) {
            std::this_thread::sleep_for(kPauseBetweenTries);
            continue;
        }
        if (received <= 0)
            return received == 0;
        tries = 0;
        from += static_cast<std::uint64_t>(received);
        take(std::string_view(buffer, static_cast<std::size_t>(received)));
    }
    return true;
}
