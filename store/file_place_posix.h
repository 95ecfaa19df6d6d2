#pragma once

#include "file_descriptor_posix.h"

#include <filesystem>
#include <optional>
#include <string>

// Where a path leads: the directory that holds the file and the file's name in it. Symbolic
// links are followed one at a time; in a sticky directory that everyone may write (such as
// /tmp) only a link owned by the user or by the directory's owner is followed, whatever the
// system's own setting, so that nobody can plant a link there that redirects a save. For the
// POSIX side of the store only.
class FilePlace {
public:
    // None where a link may not be followed, links loop, or a directory on the way is missing.
    static std::optional<FilePlace> find(const std::filesystem::path& path);

    int directory() const { return directory_.get(); }  // opened for lookups only (O_PATH)
    const std::string& name() const { return name_; }

    // Opens the file itself, never through a link; the file is created if flags ask for it.
    FileDescriptor open(int flags, unsigned mode = 0) const;
    // Whether what the owner owns here may be written as the user's own: anywhere but in a
    // shared directory, only what the user or the directory's owner owns.
    bool trusts(uid_t owner) const;
    // Whether the directory is sticky and everyone may write it.
    bool isShared() const;

private:
    FilePlace(FileDescriptor directory, std::string name);

    FileDescriptor directory_;
    std::string name_;
};
