#include "table_client.h"

void TableClient::addCurrentRecord()
{
    table_.insertFirst(current_);
    current_.clear();  // its texts keep their room for the next record
}

// Like the window's form, the current record is empty after every load and save; a record
// left over from a save would otherwise be added by the next load.
void TableClient::finished()
{
    current_ = Entry{};
}
