#pragma once

#include "file_descriptor.h"
#include "file_identity.h"
#include "file_place.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <sys/types.h>

// Replaces a regular file as a whole or not at all. Writes go to a temporary file beside the
// file really replaced (a symbolic link stays a link); commit() gives it the old file's owner,
// group, permission bits and access ACL, syncs it and renames it over the old one. A new file is
// owner-only. Where that cannot work (a directory the user may not write, an owner or ACL that
// cannot be kept) the complete content is written into the old file itself. Anything but a
// regular file the user may write is refused. An uncommitted temporary file is removed when
// the SafeFile goes away.
class SafeFile {
public:
    explicit SafeFile(std::filesystem::path target);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    // The file that commit() would replace, as it is now; none where there is no file yet.
    const std::optional<FileIdentity>& existing() const { return existing_; }
    bool write(std::string_view bytes);
    bool commit();
    // The file as commit() left it.
    const std::optional<FileIdentity>& committed() const { return committed_; }

    // Removes the temporary files of killed saves to this place: those the user owns and no
    // running save holds.
    static void removeAbandoned(const FilePlace& place);

private:
    int createTemporary(const struct stat* old);
    bool commitInPlace();
    bool stillInPlace() const;
    void discard();

    std::filesystem::path target_;
    std::optional<FilePlace> place_;
    FileDescriptor existingFile_;  // open for writing
    std::optional<FileIdentity> existing_;
    FileDescriptor temporary_;
    off_t temporarySize_ = 0;
    std::string temporaryName_;
    std::optional<std::pair<uid_t, gid_t>> owner_;  // given to the file once it is complete
    unsigned mode_ = 0600;
    bool inPlace_ = false;
    std::string content_;  // in place: the whole content, written only once it is complete
    std::optional<FileIdentity> committed_;
};
