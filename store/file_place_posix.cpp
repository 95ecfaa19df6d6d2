#include "file_place_posix.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <deque>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int kMostLinks = 40;  // as many as the kernel follows in one path

// The names along a path; "." and empty names (from "//" or a final "/") lead nowhere.
std::vector<std::string> namesIn(std::string_view path)
{
    std::vector<std::string> names;
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('/'), path.size());
        const std::string_view name = path.substr(0, end);
        if (!name.empty() && name != ".")
            names.emplace_back(name);
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return names;
}

FileDescriptor openDirectory(int directory, const char* name)
{
    return FileDescriptor(::openat(directory, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

bool isShared(const struct stat& directory)
{
    return (directory.st_mode & S_ISVTX) && (directory.st_mode & S_IWOTH);
}

// The kernel's protected_symlinks and protected_regular rules.
bool trustsOwner(int directory, uid_t owner)
{
    struct stat holder {};
    if (::fstat(directory, &holder) != 0)
        return false;
    return !isShared(holder) || owner == ::geteuid() || owner == holder.st_uid;
}

std::optional<std::string> linkTarget(int directory, const std::string& name, off_t size)
{
    // One byte more than the link holds, to see a link that grew since it was looked at.
    std::string target(static_cast<std::size_t>(size > 0 ? size : PATH_MAX) + 1, '\0');
    const ssize_t length = ::readlinkat(directory, name.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) == target.size())
        return std::nullopt;
    target.resize(static_cast<std::size_t>(length));
    return target;
}

}  // namespace

FilePlace::FilePlace(FileDescriptor directory, std::string name)
    : directory_(std::move(directory)), name_(std::move(name))
{
}

std::optional<FilePlace> FilePlace::find(const std::filesystem::path& path)
{
    const std::string& text = path.native();
    FileDescriptor directory = openDirectory(AT_FDCWD, text.starts_with('/') ? "/" : ".");
    const std::vector<std::string> initial = namesIn(text);
    std::deque<std::string> pending(initial.begin(), initial.end());
    int links = 0;
    while (directory && !pending.empty()) {
        std::string name = std::move(pending.front());
        pending.pop_front();
        struct stat status {};
        if (::fstatat(directory.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT && pending.empty())
                return FilePlace(std::move(directory), std::move(name));  // to be created
            return std::nullopt;
        }
        if (S_ISLNK(status.st_mode)) {
            const auto target = ++links <= kMostLinks && trustsOwner(directory.get(), status.st_uid)
                ? linkTarget(directory.get(), name, status.st_size)
                : std::nullopt;
            if (!target)
                return std::nullopt;
            const std::vector<std::string> names = namesIn(*target);
            pending.insert(pending.begin(), names.begin(), names.end());
            if (target->starts_with('/'))
                directory = openDirectory(AT_FDCWD, "/");
        } else if (pending.empty()) {
            return FilePlace(std::move(directory), std::move(name));
        } else {
            directory = openDirectory(directory.get(), name.c_str());
        }
    }
    return std::nullopt;
}

FileDescriptor FilePlace::open(int flags, unsigned mode) const
{
    return FileDescriptor(
        ::openat(directory_.get(), name_.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode));
}

bool FilePlace::trusts(uid_t owner) const
{
    return trustsOwner(directory_.get(), owner);
}

bool FilePlace::isShared() const
{
    struct stat holder {};
    return ::fstat(directory_.get(), &holder) != 0 || ::isShared(holder);
}
