#include "temporary_directory.h"

#include <system_error>

namespace fs = std::filesystem;

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

WorkingDirectory::WorkingDirectory(const fs::path& directory) : previous_(fs::current_path())
{
    fs::current_path(directory);
}

WorkingDirectory::~WorkingDirectory()
{
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}
