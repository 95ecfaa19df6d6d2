#pragma once

#include "data_file_client.h"
#include "entry_table.h"
#include "file_identity.h"

#include <filesystem>
#include <memory>
#include <optional>

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
    // Anything but a regular file, or a file that cannot be opened, leaves the table as it is.
    // Temporary files that killed saves left beside the file are removed first.
    void load();
    // Replaces the file with the whole table, or leaves it untouched and returns false. The
    // client is asked first where the file is not the one last loaded or saved, or was not
    // read completely.
    bool save();

    const std::filesystem::path& path() const { return path_; }

private:
    bool readRecords(int descriptor);
    bool mayReplace(const std::optional<FileIdentity>& onDisk);

    EntryTable& table_;
    std::filesystem::path path_;
    std::unique_ptr<TableClient> ownClient_;
    DataFileClient* client_;
    std::optional<FileIdentity> known_;  // the file as last loaded or saved
    bool notReadCompletely_ = false;
};
