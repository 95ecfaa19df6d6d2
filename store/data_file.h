#pragma once

#include "data_file_client.h"
#include "entry_table.h"
#include "file_identity.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

class InputFile;
class SafeFile;
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
    // left missing, and anything but a regular file leaves the table as it is. A file that is
    // there but cannot be read to its end is reported as a load that stopped early. Killed
    // saves' leftovers go first.
    void load(IfMissing ifMissing = IfMissing::Create);
    // Replaces the file with the whole table, or leaves it untouched and returns false; asks
    // the client first where the file changed since it was read, or was not read completely.
    bool save();

    const std::filesystem::path& path() const { return path_; }
    // Whether the last load found no file and left it missing.
    bool isMissing() const { return missing_; }
    // The caller of the loads and saves from now on.
    void setClient(DataFileClient& client) { client_ = &client; }

private:
    bool readFile(IfMissing ifMissing);
    bool readRecords(InputFile& file);
    bool mayReplace(const SafeFile& file);
    bool stillHoldsKnownContent() const;

    EntryTable& table_;
    std::filesystem::path path_;
    std::unique_ptr<TableClient> ownClient_;
    DataFileClient* client_;
    std::optional<FileIdentity> known_;          // the file as last loaded or saved
    std::optional<std::uint64_t> knownContent_;  // its bytes' hash, where its times are coarse
    bool notReadCompletely_ = false;
    bool missing_ = false;
};
