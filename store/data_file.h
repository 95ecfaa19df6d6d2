#pragma once

#include "data_file_client.h"
#include "entry_table.h"

#include <filesystem>
#include <memory>

class TableClient;

inline constexpr const char* kDataFileName = "nimbrel.nbd";

// Moves the entry table to and from the data file. Without a client the reader inserts the
// records itself (through a TableClient) and the notifications go nowhere.
class DataFile {
public:
    explicit DataFile(EntryTable& table, std::filesystem::path path = kDataFileName,
                      DataFileClient* client = nullptr);
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // Adds the file's records to the table; a missing file is created empty, owner-only.
    // A file that can be neither read nor created leaves the table as it is.
    void load();
    // Replaces the file with the whole table, or leaves it untouched and returns false.
    bool save();

    const std::filesystem::path& path() const { return path_; }

private:
    EntryTable& table_;
    std::filesystem::path path_;
    std::unique_ptr<TableClient> ownClient_;
    DataFileClient* client_;
};
