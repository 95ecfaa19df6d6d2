#pragma once

#include "data_file.h"
#include "data_file_client.h"
#include "entry_table.h"
#include "row_arena.h"
#include "table_client.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Loads a data file into a table of its own on a thread of its own, so that the caller can
// get on with other work meanwhile (the window is built while the records are read), and
// hands the caller each loaded row, as stored, for work that follows the load row by row.
// The table, its file and what the load found are the caller's once finish() has returned,
// for as long as the load object lives; before, the caller must not touch them. A missing
// file is created by finish(), so that a caller that gives up before leaves none behind.
class DataFileLoad : private DataFileClient {
public:
    explicit DataFileLoad(std::filesystem::path path = kDataFileName);
    ~DataFileLoad() override;  // waits for the load to end
    DataFileLoad(const DataFileLoad&) = delete;
    DataFileLoad& operator=(const DataFileLoad&) = delete;

    // Hands every loaded row to take exactly once, on the caller's thread: most while the load
    // goes on, the rest once it has ended; the rows of each part of a file read in two (see
    // readInTwoParts) in the order read. Returns when all are handed over; throws what the load
    // threw. Call it once.
    void finish(const std::function<void(const EntryView&)>& take);

    EntryTable& table() { return table_; }
    DataFile& file() { return file_; }
    // The load stopped before the end of the file (a read error, or memory ran out).
    bool stoppedEarly() const { return stoppedEarly_; }

private:
    // The rows of one part of the file, handed over in full batches from its own thread.
    struct Part {
        std::vector<RowArena::Row> filling;
        std::size_t handedRows = 0;  // its first rows, in full batches handed over
    };

    void run();
    void handOver(Part& part, RowArena::Row row);

    // As the load's caller, on the loading thread: each record is inserted as the store's own
    // client inserts it, and its stored row handed over in batches.
    Entry& currentRecord() override { return inserter_.currentRecord(); }
    bool showsPassingRecords() const override { return false; }
    void addRecord(const EntryView& record) override;
    void addRecords(EntryTable&& rows) override;
    void laterRowStored(RowArena::Row row) override;
    void finished() override { inserter_.finished(); }
    void loadStoppedEarly() override { stoppedEarly_ = true; }
    bool confirmReplace(ReplaceReason) override { return false; }

    EntryTable table_;
    TableClient inserter_{table_};
    DataFile file_;
    bool stoppedEarly_ = false;
    std::exception_ptr failure_;

    Part first_;
    Part later_;
    std::optional<std::size_t> laterFrom_;  // the rows loaded before the later part's
    EntryTable untaken_;                     // a later part that memory did not let join
    std::atomic<bool> handingOver_ = true;   // false once a row could not be handed over
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<RowArena::Row>> full_;  // handed over, not yet taken
    bool ended_ = false;
    std::thread thread_;
};
