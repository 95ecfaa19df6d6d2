#pragma once

#include <cstddef>

// A block of memory for many small texts: a large one lies in pages of 2 MiB where the system
// offers them, since filling a large table is mostly first touches of new memory, which cost a
// fraction there of what they do in pages of 4 KiB. Null where there is no memory.
std::byte* allocateMemoryBlock(std::size_t bytes);
void freeMemoryBlock(std::byte* block);
