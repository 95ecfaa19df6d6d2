#pragma once

#include "file_identity.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

// Replaces a regular file as a whole or not at all. Writes go to a temporary file beside the
// file really replaced (a symbolic link stays a link); commit() gives it the old file's owner,
// group, permission bits and access ACL, syncs it and puts it in the old one's place. A new
// file is owner-only. Where that cannot work (a directory the user may not write, an owner or
// ACL that cannot be kept, a file with several names) the complete content is written into the
// old file itself. Anything but a regular file the user may write is refused, and so is another
// user's file in a shared directory. An uncommitted temporary file is removed when the SafeFile
// goes away. On Windows the complete file gets the old one's DACL, attributes and creation time
// and is renamed over it through its own handle; a file that another program holds for a
// moment is waited for, for about a second.
class SafeFile {
public:
    explicit SafeFile(std::filesystem::path target);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    // The file that commit() would replace, as it is now; none where there is no file yet.
    const std::optional<FileIdentity>& existing() const;
    bool write(std::string_view bytes);
    bool commit();
    // The file as commit() left it: replaced, or, after a failed write in place, damaged.
    const std::optional<FileIdentity>& committed() const;

    // Removes the temporary files of killed saves to this file: those that bear a save's name
    // and its mark of an unfinished file, that the user owns and that no running save holds. On
    // Windows a complete one where the file is missing is put in its place instead.
    static void removeAbandoned(const std::filesystem::path& target);

private:
    class State;
    std::unique_ptr<State> state_;
};
