#pragma once

#include "data_file_client.h"
#include "entry_table.h"

#include <ostream>
#include <string>
#include <vector>

// Six texts in EntryField order; missing ones are empty.
inline Entry entryOf(std::string name, std::string username = {}, std::string password = {},
                     std::string url = {}, std::string other = {}, std::string notes = {})
{
    return Entry{{std::move(name), std::move(username), std::move(password), std::move(url),
                  std::move(other), std::move(notes)}};
}

inline std::vector<Entry> rowsOf(const EntryTable& table)
{
    std::vector<Entry> rows;
    for (std::size_t i = 0; i < table.count(); ++i)
        rows.push_back(table.row(i));
    return rows;
}

// Lets failed expectations show the texts rather than raw object bytes.
inline void PrintTo(const Entry& entry, std::ostream* out)
{
    *out << '{';
    for (const auto& text : entry.texts)
        *out << '"' << text << "\" ";
    *out << '}';
}

// Remembers every notification; its add step inserts the current record as the new row 0.
class RecordingClient final : public DataFileClient {
public:
    explicit RecordingClient(EntryTable& table) : table_(table) {}

    Entry& currentRecord() override { return current; }
    void currentRecordChanged() override { changes.push_back(current); }
    bool showsPassingRecords() const override { return shows; }
    void addRecord(const EntryView& record) override
    {
        ++adds;
        table_.insertFirst(record);
        current = Entry{};
    }
    void finished() override { ++finishes; }
    void loadStoppedEarly() override { ++earlyStops; }
    bool confirmReplace(ReplaceReason reason) override
    {
        questions.push_back(reason);
        return false;
    }

    bool shows = true;  // the program's window shows none
    Entry current;
    std::vector<Entry> changes;  // the current record as it was at each change notice
    int adds = 0;
    int finishes = 0;
    int earlyStops = 0;
    std::vector<ReplaceReason> questions;  // every one answered No

private:
    EntryTable& table_;
};
