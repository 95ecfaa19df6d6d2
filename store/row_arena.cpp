#include "row_arena.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include <sys/mman.h>

namespace {

constexpr std::size_t kTextCount = std::tuple_size_v<RowArena::Texts>;
constexpr std::size_t kHeaderBytes = kTextCount * sizeof(std::size_t);
constexpr std::size_t kLargestBlock = std::size_t{16} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t textBytes(const std::size_t* lengths)
{
    std::size_t sum = 0;
    for (std::size_t i = 0; i < kTextCount; ++i)
        sum += lengths[i];
    return sum;
}

// Rows start on a boundary fit for their lengths.
std::size_t aligned(std::size_t bytes)
{
    return (bytes + alignof(std::size_t) - 1) & ~(alignof(std::size_t) - 1);
}

}  // namespace

RowArena::RowArena(RowArena&& other) noexcept
    : blocks_(std::move(other.blocks_)),
      free_(std::exchange(other.free_, nullptr)),
      room_(std::exchange(other.room_, 0)),
      nextBlockSize_(other.nextBlockSize_),
      bytesUsed_(std::exchange(other.bytesUsed_, 0))
{
    other.blocks_.clear();
}

RowArena& RowArena::operator=(RowArena&& other) noexcept
{
    if (this != &other) {
        blocks_ = std::move(other.blocks_);
        other.blocks_.clear();
        free_ = std::exchange(other.free_, nullptr);
        room_ = std::exchange(other.room_, 0);
        nextBlockSize_ = other.nextBlockSize_;
        bytesUsed_ = std::exchange(other.bytesUsed_, 0);
    }
    return *this;
}

RowArena::Row RowArena::add(const Texts& texts)
{
    std::size_t total = kHeaderBytes;
    for (const auto text : texts)
        total += text.size();
    std::byte* start = allocate(aligned(total));

    auto* lengths = reinterpret_cast<std::size_t*>(start);
    char* out = reinterpret_cast<char*>(start + kHeaderBytes);
    for (std::size_t i = 0; i < kTextCount; ++i) {
        lengths[i] = texts[i].size();
        if (!texts[i].empty())
            std::memcpy(out, texts[i].data(), texts[i].size());
        out += texts[i].size();
    }
    return lengths;
}

RowArena::Texts RowArena::texts(Row row)
{
    Texts result;
    const char* text = reinterpret_cast<const char*>(row + kTextCount);
    for (std::size_t i = 0; i < kTextCount; ++i) {
        result[i] = {text, row[i]};
        text += row[i];
    }
    return result;
}

std::size_t RowArena::footprint(Row row)
{
    return aligned(kHeaderBytes + textBytes(row));
}

void RowArena::BlockDeleter::operator()(std::byte* block) const
{
    std::free(block);
}

// Filling a large table is mostly first touches of new memory; in pages of 2 MiB, where the
// system offers them, that costs a fraction of what it does in pages of 4 KiB.
RowArena::Block RowArena::newBlock(std::size_t bytes)
{
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* block = bytes < kHugePage ? std::malloc(bytes) : std::aligned_alloc(kHugePage, rounded);
    if (!block)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    if (bytes >= kHugePage)
        ::madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return Block(static_cast<std::byte*>(block));
}

// Blocks grow as the arena does, so a small table stays small and a large one takes a few
// hundred blocks; a row larger than a block gets a block of its own, and the current block
// stays in use.
std::byte* RowArena::allocate(std::size_t bytes)
{
    bytesUsed_ += bytes;
    if (bytes > room_) {
        if (bytes > nextBlockSize_ / 2) {
            blocks_.push_back(newBlock(bytes));
            return blocks_.back().get();
        }
        blocks_.push_back(newBlock(nextBlockSize_));
        free_ = blocks_.back().get();
        room_ = nextBlockSize_;
        nextBlockSize_ = std::min(nextBlockSize_ * 2, kLargestBlock);
    }
    std::byte* start = free_;
    free_ += bytes;
    room_ -= bytes;
    return start;
}
