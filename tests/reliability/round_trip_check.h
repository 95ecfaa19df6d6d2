#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Loads any bytes as a data file, saves and loads again, and checks what must hold for every
// input. The bytes are also loaded from scratchFile, which is overwritten. Returns a description
// of the first broken property, or an empty string.
std::string checkRoundTrip(std::string_view fileBytes, const std::filesystem::path& scratchFile);
