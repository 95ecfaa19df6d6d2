#include "table_client.h"

void TableClient::addRecord(const EntryView& record)
{
    table_.insertFirst(record);
    current_.clear();  // its texts keep their room for the next record
}

// Like the window's form, the current record is empty after every load and save; a record
// left over from a save would otherwise be added by the next load.
void TableClient::finished()
{
    current_ = Entry{};
}
