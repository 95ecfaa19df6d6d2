#pragma once

#include <cstdint>

// Tells one state of a file from another: a name that now leads to another file (replaced by a
// rename) or the same file with other contents. The change time catches a rewrite that put the
// modification time back; where both times are whole seconds, two changes within one second
// look alike, and only the contents can tell them apart.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
    bool hasCoarseTimes() const
    {
        return modifiedNanoseconds % 1'000'000'000 == 0 && changedNanoseconds % 1'000'000'000 == 0;
    }
};
