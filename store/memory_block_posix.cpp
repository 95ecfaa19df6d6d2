#include "memory_block.h"

#include <cstdlib>

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

std::byte* allocateMemoryBlock(std::size_t bytes)
{
    if (bytes < kHugePage)
        return static_cast<std::byte*>(std::malloc(bytes));
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, rounded);
#ifdef MADV_HUGEPAGE
    if (block)
        ::madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return static_cast<std::byte*>(block);
}

void freeMemoryBlock(std::byte* block)
{
    std::free(block);
}
