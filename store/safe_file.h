#pragma once

#include <filesystem>
#include <string_view>

// Replaces a file as a whole or not at all. Writes go to a temporary file beside the target;
// commit() syncs it and renames it over the target. A symbolic link as the target keeps
// pointing to the new file, and a file that exists keeps its permission bits (a new one is
// owner-only); a file the user may not write is refused. An uncommitted temporary file is removed when the SafeFile goes away.
class SafeFile {
public:
    explicit SafeFile(std::filesystem::path target);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    bool write(std::string_view bytes);
    bool commit();

private:
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int descriptor_ = -1;
};
