#include "table_client.h"

#include <utility>

void TableClient::addCurrentRecord()
{
    table_.insertFirst(std::move(current_));
    current_ = Entry{};
}

// Like the window's form, the current record is empty after every load and save; a record
// left over from a save would otherwise be added by the next load.
void TableClient::finished()
{
    current_ = Entry{};
}
