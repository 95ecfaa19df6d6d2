#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The full path where a path leads: that of the file itself where one is there (links and
// junctions followed, so that a save replaces the file and not the link), else the path made
// full. None where it cannot be made full. For the Windows side of the store only.
std::optional<std::wstring> placeOf(const std::filesystem::path& path);
