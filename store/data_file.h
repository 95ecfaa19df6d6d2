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

    enum class IfMissing { Create, Leave };
    // Adds the file's records to the table; a missing file is created empty, owner-only, or
    // left missing, and anything but a regular file leaves the table as it is. Killed saves'
    // leftovers go first.
    void load(IfMissing ifMissing = IfMissing::Create);
    // Replaces the file with the whole table, or leaves it untouched and returns false; asks
    // the client first where the file changed since it was read, or was not read completely.
    bool save();

    const std::filesystem::path& path() const { return path_; }
    // Whether a regular file was last loaded or saved.
    bool isKnown() const { return known_.has_value(); }
    // The caller of the loads and saves from now on.
    void setClient(DataFileClient& client) { client_ = &client; }

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
