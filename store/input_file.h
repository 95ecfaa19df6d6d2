#pragma once

#include "file_identity.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

// The data file opened for reading. A refusal that may pass (a lease that a file server holds,
// a lack of descriptors or memory) is tried again for about a second, and so is a read that
// answers "try again".
class InputFile {
public:
    enum class State {
        Open,        // a regular file, ready to be read
        Missing,     // no file there
        NotRegular,  // a device, FIFO or directory, or a place that may not be reached
        Unreadable,  // a file that is there but cannot be opened or examined
    };

    // A missing file is created empty (owner-only on POSIX) where createIfMissing says so.
    InputFile(const std::filesystem::path& path, bool createIfMissing);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    State state() const { return state_; }
    const std::optional<FileIdentity>& identity() const { return identity_; }
    static constexpr std::uint64_t kEnd = std::numeric_limits<std::uint64_t>::max();
    // Hands take the file's bytes from offset from to offset to or its end, piece by piece;
    // false where a read failed. Parts may be read on several threads at once; the last piece
    // of each read stays valid as long as the file object lives.
    bool read(const std::function<void(std::string_view piece)>& take, std::uint64_t from = 0,
              std::uint64_t to = kEnd);

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    State state_ = State::NotRegular;
    std::optional<FileIdentity> identity_;
};
