#pragma once

#include "entry_table.h"

#include <string>
#include <string_view>

// The bytes a save of the table writes, written to memory.
std::string fileBytesOf(const EntryTable& table);
// The table a file of these bytes loads as, read from memory.
EntryTable tableOf(std::string_view bytes);
