#include "memory_block.h"

#include <windows.h>

// The row arena asks for blocks of 32 KiB and more, close to the 64 KiB granularity of
// VirtualAlloc. Pages of 2 MiB would need a privilege that users do not hold.
std::byte* allocateMemoryBlock(std::size_t bytes)
{
    return static_cast<std::byte*>(
        ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void freeMemoryBlock(std::byte* block)
{
    if (block)
        ::VirtualFree(block, 0, MEM_RELEASE);
}
