#include "safe_file.h"

#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The file a save really replaces: the end of a chain of symbolic links, or the path itself.
fs::path resolveLinks(const fs::path& path)
{
    fs::path resolved = path;
    std::error_code error;
    for (int depth = 0; depth < 40 && fs::is_symlink(resolved, error); ++depth) {
        const fs::path link = fs::read_symlink(resolved, error);
        if (error)
            break;
        resolved = link.is_absolute() ? link : resolved.parent_path() / link;
    }
    return resolved;
}

fs::path directoryOf(const fs::path& file)
{
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool syncDirectory(const fs::path& directory)
{
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    return ::close(descriptor) == 0 && synced;
}

}  // namespace

SafeFile::SafeFile(fs::path target) : target_(resolveLinks(target)) {}

SafeFile::~SafeFile()
{
    discard();
}

bool SafeFile::open()
{
    // A file its owner made read-only is refused as it would be when opened for writing; the
    // rename alone would replace it regardless.
    if (::faccessat(AT_FDCWD, target_.c_str(), F_OK, AT_EACCESS) == 0
        && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    std::string name = '.' + target_.filename().string() + ".XXXXXX";
    name = (directoryOf(target_) / name).string();
    descriptor_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor_ < 0)
        return false;
    temporary_ = name.data();

    // mkostemp's 0600 is narrowed by the umask, but a new data file is exactly owner-only.
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (::fchmod(descriptor_, exists ? existing.st_mode & 07777 : 0600) != 0) {
        discard();
        return false;
    }
    return true;
}

bool SafeFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            discard();
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool SafeFile::commit()
{
    if (descriptor_ < 0)
        return false;
    const bool synced = ::fsync(descriptor_) == 0;
    const bool closed = ::close(descriptor_) == 0;
    descriptor_ = -1;
    if (!synced || !closed || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    temporary_.clear();
    // The new file is in place; a failed directory sync only leaves the rename less durable.
    syncDirectory(directoryOf(target_));
    return true;
}

void SafeFile::discard()
{
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}
