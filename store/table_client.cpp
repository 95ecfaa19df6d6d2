#include "table_client.h"

namespace {

// Emptied texts keep their room for the next record.
void empty(Entry& entry)
{
    for (std::string& text : entry.texts)
        text.clear();
}

}  // namespace

void TableClient::addCurrentRecord()
{
    table_.insertFirst(current_);
    empty(current_);
}

// Like the window's form, the current record is empty after every load and save; a record
// left over from a save would otherwise be added by the next load.
void TableClient::finished()
{
    current_ = Entry{};
}
