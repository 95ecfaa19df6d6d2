#pragma once

#include <cstddef>

// A block of memory for many small texts, taken from the system in the way that fills a large
// table quickest there. Null where there is no memory.
std::byte* allocateMemoryBlock(std::size_t bytes);
void freeMemoryBlock(std::byte* block);
