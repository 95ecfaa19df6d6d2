#pragma once

#include "data_file_client.h"
#include "entry_table.h"

#include <utility>

// The caller of a load or a save when there is no window: keeps the current record itself,
// inserts each completed record as row 0 and shows nothing. A file that is not what it was
// read as is never replaced.
class TableClient final : public DataFileClient {
public:
    explicit TableClient(EntryTable& table) : table_(table) {}

    Entry& currentRecord() override { return current_; }
    bool showsPassingRecords() const override { return false; }
    void addRecord(const EntryView& record) override;
    void addRecords(EntryTable&& rows) override { table_.insertFirst(std::move(rows)); }
    void finished() override;
    bool confirmReplace(ReplaceReason) override { return false; }

private:
    EntryTable& table_;
    Entry current_;
};
