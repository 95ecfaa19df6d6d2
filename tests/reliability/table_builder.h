#pragma once

#include "data_file_client.h"
#include "entry_table.h"

// A caller of the reader and the writer that inserts each completed record as row 0, as the
// store does on its own; lets tests read and write bytes in memory.
class TableBuilder final : public DataFileClient {
public:
    explicit TableBuilder(EntryTable& table) : table_(table) {}

    Entry& currentRecord() override { return current_; }
    void currentRecordChanged() override {}
    void addCurrentRecord() override
    {
        table_.insertFirst(std::move(current_));
        current_ = Entry{};
    }
    void finished() override {}

private:
    EntryTable& table_;
    Entry current_;
};
