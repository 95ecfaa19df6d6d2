#pragma once

#include <cstdint>
#include <optional>

class DataFileClient;
class InputFile;

// Reads a data file on two threads, split where a record starts within a piece's reach after
// the offset from: the part before it here, through the client, and the rest meanwhile on a
// thread of its own into a table whose rows the client is shown as they are stored
// (laterRowStored) and which it takes once the first part is read (addRecords), so that the
// rows come in the file's order. Returns whether the file was read to its end, or nothing where
// no record starts there or no thread can start (the file is then read as a whole).
std::optional<bool> readInTwoParts(InputFile& file, DataFileClient& client, std::uint64_t from);
