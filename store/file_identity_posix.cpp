#include "file_descriptor_posix.h"

#include <sys/stat.h>

std::optional<FileIdentity> identityOf(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return std::nullopt;
    const auto nanoseconds = [](const timespec& time) {
        return time.tv_sec * 1'000'000'000LL + time.tv_nsec;
    };
    return FileIdentity{status.st_dev, status.st_ino, status.st_size,
                        nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
}
