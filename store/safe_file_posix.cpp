#include "safe_file.h"

#include "file_descriptor_posix.h"
#include "file_place_posix.h"

#include <cerrno>
#include <new>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr std::string_view kNameLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLetters = 16;
// An unfinished temporary file carries the sticky bit from its creation until commit() takes it
// away: nothing else gives a regular file that bit, and the start-up clean-up removes no file
// without it, so that a copy the user keeps under a name like this one's is never taken for a
// killed save's.
constexpr mode_t kUnfinishedMode = S_ISVTX | 0600;

// The name a save gives its temporary file: ".nimbrel.nbd.nimbrel-save-" and 16 letters or
// digits for "nimbrel.nbd".
std::string temporaryPrefix(const FilePlace& place)
{
    return '.' + place.name() + ".nimbrel-save-";
}

bool isTemporaryName(std::string_view name, const std::string& prefix)
{
    return name.size() == prefix.size() + kRandomLetters && name.starts_with(prefix)
        && name.find_first_not_of(kNameLetters, prefix.size()) == std::string_view::npos;
}

bool sameFile(int directory, const std::string& name, const struct stat& file)
{
    struct stat named {};
    return ::fstatat(directory, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && named.st_dev == file.st_dev && named.st_ino == file.st_ino;
}

// Copies the access ACL, or removes one that a default ACL of the directory gave the copy.
int copyAccessAcl(int from, int to)
{
    const ssize_t size = ::fgetxattr(from, kAccessAcl, nullptr, 0);
    if (size < 0) {
        if (errno != ENODATA && errno != ENOTSUP)
            return errno;
        const bool removed = ::fremovexattr(to, kAccessAcl) == 0 || errno == ENODATA
            || errno == ENOTSUP;
        return removed ? 0 : errno;
    }
    std::string acl(static_cast<std::size_t>(size), '\0');
    const ssize_t read = ::fgetxattr(from, kAccessAcl, acl.data(), acl.size());
    if (read < 0 || ::fsetxattr(to, kAccessAcl, acl.data(), static_cast<std::size_t>(read), 0) != 0)
        return errno;
    return 0;
}

// Creates a new owner-only file whose name is the prefix and random letters.
FileDescriptor createNewFile(int directory, const std::string& prefix, std::string& name)
{
    std::random_device random;
    std::uniform_int_distribution<std::size_t> letter(0, kNameLetters.size() - 1);
    for (;;) {
        name = prefix;
        for (std::size_t i = 0; i < kRandomLetters; ++i)
            name += kNameLetters[letter(random)];
        FileDescriptor file(::openat(directory, name.c_str(),
                                     O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                     kUnfinishedMode));
        if (file || errno != EEXIST) {
            if (!file)
                name.clear();
            return file;
        }
    }
}

// Returns 0 where a file made here may be given to this owner and group, or the error that
// forbids it. It is tried on an empty file, so that nobody else ever owns one with the list.
int mayGive(int directory, const std::string& prefix, std::pair<uid_t, gid_t> owner)
{
    std::string name;
    const FileDescriptor probe = createNewFile(directory, prefix, name);
    if (!probe)
        return errno;
    const int error = ::fchown(probe.get(), owner.first, owner.second) == 0 ? 0 : errno;
    ::unlinkat(directory, name.c_str(), 0);
    return error;
}

bool writeAt(int file, std::string_view bytes)
{
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(file, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

void syncDirectory(int directory)
{
    const FileDescriptor opened(::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened)
        ::fsync(opened.get());  // a failure only leaves the rename less durable
}

}  // namespace

// What a save holds while it runs.
class SafeFile::State {
public:
    explicit State(std::filesystem::path target);
    ~State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    bool open();
    bool write(std::string_view bytes);
    bool commit();

    std::optional<FileIdentity> existing;   // the file as open() found it
    std::optional<FileIdentity> committed;  // the file as commit() left it

private:
    int createTemporary(const struct stat* old);
    bool commitInPlace();
    bool stillInPlace() const;
    void discard();

    std::filesystem::path target_;
    std::optional<FilePlace> place_;
    FileDescriptor existingFile_;  // open for writing
    FileDescriptor temporary_;
    off_t temporarySize_ = 0;
    std::string temporaryName_;
    std::optional<std::pair<uid_t, gid_t>> owner_;  // given to the file once it is complete
    unsigned mode_ = 0600;
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

SafeFile::State::State(fs::path target) : target_(std::move(target)) {}

SafeFile::State::~State()
{
    discard();
}

bool SafeFile::State::open()
{
    place_ = FilePlace::find(target_);
    if (!place_)
        return false;
    struct stat old {};
    const bool exists =
        ::fstatat(place_->directory(), place_->name().c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists) {
        // Another user's file in a shared sticky directory may have been laid there to receive
        // the list: it is neither written nor replaced.
        if (!S_ISREG(old.st_mode) || !place_->trusts(old.st_uid))
            return false;
        // Opening for writing refuses a file the user may not write, which a rename would
        // replace regardless; it is never done to a device or a FIFO.
        existingFile_ = place_->open(O_WRONLY | O_NONBLOCK | O_NOCTTY);
        if (!existingFile_ || ::fstat(existingFile_.get(), &old) != 0 || !S_ISREG(old.st_mode))
            return false;
        existing = identityOf(existingFile_.get());
        // A new file would leave the file's other names with the old list. In a shared
        // directory a second name may have been made to turn the save onto another file.
        if (old.st_nlink > 1 && !place_->isShared()) {
            inPlace_ = true;
            return true;
        }
    }
    const int error = createTemporary(exists ? &old : nullptr);
    if (error == 0)
        return true;
    discard();
    inPlace_ = exists && (error == EACCES || error == EPERM || error == ENOTSUP);
    return inPlace_;
}

// Returns 0 or the error that stopped it.
int SafeFile::State::createTemporary(const struct stat* old)
{
    const int directory = place_->directory();
    const std::string prefix = temporaryPrefix(*place_);
    struct stat created {};
    while (!temporary_) {
        temporary_ = createNewFile(directory, prefix, temporaryName_);
        if (!temporary_)
            return errno;
        // Held until the save ends, so that a program starting meanwhile does not take the
        // file for abandoned; one that removed it just before the lock gets a new name.
        if (::flock(temporary_.get(), LOCK_EX) != 0 || ::fstat(temporary_.get(), &created) != 0)
            return errno;
        if (!sameFile(directory, temporaryName_, created)) {
            temporary_.reset();
            temporaryName_.clear();
        }
    }
    // The file stays owner-only until it is complete, whatever the umask or the ACLs.
    if (::fchmod(temporary_.get(), kUnfinishedMode) != 0)
        return errno;
    if (!old)
        return 0;
    if (const int error = copyAccessAcl(existingFile_.get(), temporary_.get()))
        return error;
    mode_ = old->st_mode & 0777;  // never setuid, setgid or sticky
    if (::fchmod(temporary_.get(), kUnfinishedMode) != 0)
        return errno;
    if (created.st_uid == old->st_uid && created.st_gid == old->st_gid)
        return 0;
    owner_ = {old->st_uid, old->st_gid};
    return mayGive(directory, prefix, *owner_);
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
    const off_t start = temporarySize_;
    while (!bytes.empty()) {
        const ssize_t written = ::write(temporary_.get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            discard();
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        temporarySize_ += written;
    }
#ifdef __linux__
    // The disk starts on these bytes while the rest are being made; commit() still waits for
    // all of them.
    ::sync_file_range(temporary_.get(), start, temporarySize_ - start, SYNC_FILE_RANGE_WRITE);
#endif
    return true;
}

bool SafeFile::State::commit()
{
    if (inPlace_)
        return commitInPlace();
    // Only the complete file goes to its owner and group. Its mode, which ends its mark as
    // unfinished, comes only once it is in place, so that whatever moment kills the save, the
    // file under the temporary name bears the mark by which the next start removes it; a save
    // killed between the two leaves the list in place, readable by its owner alone.
    const int directory = place_->directory();
    if (!temporary_ || ::fsync(temporary_.get()) != 0 || !stillInPlace()
        || (owner_ && ::fchown(temporary_.get(), owner_->first, owner_->second) != 0)
        || ::renameat(directory, temporaryName_.c_str(), directory, place_->name().c_str())
            != 0) {
        discard();
        return false;
    }
    temporaryName_.clear();
    // The list is in place: a failure here only leaves the mode of an unfinished file, or the
    // mode less durable than the content.
    ::fchmod(temporary_.get(), mode_);
    ::fsync(temporary_.get());
    // Taken after the rename and the mode, which set the file's change time.
    committed = identityOf(temporary_.get());
    temporary_.reset();
    syncDirectory(directory);
    return true;
}

// The method of last resort: a failure part way leaves the file damaged.
bool SafeFile::State::commitInPlace()
{
    const int file = existingFile_.get();
    const auto size = static_cast<off_t>(content_.size());
    // Where the file system can, the room is claimed first, so that a full disk is met before
    // anything of the old content is overwritten.
    if (size > 0 && ::fallocate(file, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP)
        return false;
    // Cut to the new length first: the end of a longer old file must never follow the
    // complete new content, where the next load would read it as records.
    const bool written =
        ::ftruncate(file, size) == 0 && writeAt(file, content_) && ::fsync(file) == 0;
    // Whole or damaged, the file is now this save's.
    committed = identityOf(file);
    return written && committed.has_value();
}

// Whether the name still leads to the file that open() found, or still to none.
bool SafeFile::State::stillInPlace() const
{
    struct stat named {};
    if (::fstatat(place_->directory(), place_->name().c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT && !existing;
    return existing && named.st_dev == existing->device && named.st_ino == existing->inode;
}

void SafeFile::State::discard()
{
    if (!temporaryName_.empty()) {
        ::unlinkat(place_->directory(), temporaryName_.c_str(), 0);
        temporaryName_.clear();
    }
    temporary_.reset();
}

void SafeFile::removeAbandoned(const fs::path& target)
{
    const std::optional<FilePlace> found = FilePlace::find(target);
    if (!found)
        return;
    const FilePlace& place = *found;
    FileDescriptor listing(::openat(place.directory(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* const entries = listing ? ::fdopendir(listing.get()) : nullptr;
    if (!entries)
        return;
    listing.release();
    const int directory = ::dirfd(entries);
    const std::string prefix = temporaryPrefix(place);
    while (const dirent* entry = ::readdir(entries)) {
        if (!isTemporaryName(entry->d_name, prefix))
            continue;
        const FileDescriptor file(
            ::openat(directory, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat status {};
        if (file && ::fstat(file.get(), &status) == 0 && S_ISREG(status.st_mode)
            && (status.st_mode & S_ISVTX) && status.st_uid == ::geteuid()
            && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0
            && sameFile(directory, entry->d_name, status))
            ::unlinkat(directory, entry->d_name, 0);
    }
    ::closedir(entries);
}
