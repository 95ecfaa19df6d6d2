#pragma once

#include "entry_table.h"
#include "memory_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Exit codes a child process uses to tell the test why it stopped.
inline constexpr int kChildUnavailable = 77;  // the fault cannot be made on this machine
inline constexpr int kChildSetupFailed = 78;  // the fault was not what the test meant to make

// Runs work in a forked child and returns its exit code, or 128 + the signal that ended it.
int runInChild(const std::function<int()>& work);
// Drops the calling process to the user and group nobody (65534); false if that fails.
bool becomeNobody();

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
// The names of the hidden files (temporary files of a save) in a directory.
std::vector<std::string> hiddenFilesIn(const std::filesystem::path& directory);

// A table of varied records (Notes with line breaks, bytes from 0x80 up, long values).
EntryTable sampleTable(std::size_t rows, std::uint32_t seed);
