#pragma once

#include "data_file_client.h"
#include "entry_table.h"

#include <functional>
#include <string_view>

// Receives the file's bytes piece by piece; false means the bytes could not be written.
using ByteSink = std::function<bool(std::string_view bytes)>;

// Writes the table as data file text, row 0 first, each row passing through the client's
// current record. Lines end in CR LF; an empty table writes nothing at all.
bool writeRecords(const EntryTable& table, DataFileClient& client, const ByteSink& sink);
