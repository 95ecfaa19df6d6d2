#include "row_arena.h"

#include "memory_block.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

namespace {

constexpr std::size_t kTextCount = std::tuple_size_v<RowArena::Texts>;
constexpr std::size_t kLargestBlock = std::size_t{16} << 20;
// In place of the first length: the lengths follow in eight bytes each.
constexpr std::uint32_t kWideLengths = 0xFFFFFFFF;

// Rows start on a boundary fit for their lengths.
std::size_t aligned(std::size_t bytes)
{
    return (bytes + alignof(std::uint32_t) - 1) & ~(alignof(std::uint32_t) - 1);
}

std::size_t headerBytes(bool wide)
{
    return kTextCount * sizeof(std::uint32_t) + (wide ? kTextCount * sizeof(std::uint64_t) : 0);
}

bool isWide(RowArena::Row row)
{
    return row[0] == kWideLengths;
}

std::size_t lengthOf(RowArena::Row row, std::size_t text)
{
    if (!isWide(row))
        return row[text];
    std::uint64_t length = 0;
    std::memcpy(&length, row + kTextCount + 2 * text, sizeof length);
    return length;
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
    bool wide = false;
    std::size_t total = 0;
    for (const auto text : texts) {
        total += text.size();
        wide = wide || text.size() >= kWideLengths;
    }
    const std::size_t header = headerBytes(wide);
    std::byte* start = allocate(aligned(header + total));

    auto* lengths = reinterpret_cast<std::uint32_t*>(start);
    char* out = reinterpret_cast<char*>(start + header);
    for (std::size_t i = 0; i < kTextCount; ++i) {
        if (wide) {
            lengths[i] = kWideLengths;
            const std::uint64_t length = texts[i].size();
            std::memcpy(lengths + kTextCount + 2 * i, &length, sizeof length);
        } else {
            lengths[i] = static_cast<std::uint32_t>(texts[i].size());
        }
        if (!texts[i].empty())
            std::memcpy(out, texts[i].data(), texts[i].size());
        out += texts[i].size();
    }
    return lengths;
}

void RowArena::adopt(RowArena&& other)
{
    blocks_.reserve(blocks_.size() + other.blocks_.size());
    std::move(other.blocks_.begin(), other.blocks_.end(), std::back_inserter(blocks_));
    other.blocks_.clear();
    bytesUsed_ += std::exchange(other.bytesUsed_, 0);
    other.free_ = nullptr;
    other.room_ = 0;
}

RowArena::Texts RowArena::texts(Row row)
{
    const char* text = reinterpret_cast<const char*>(row) + headerBytes(isWide(row));
    if (!isWide(row)) {
        const char* starts[kTextCount];
        for (std::size_t i = 0; i < kTextCount; ++i) {
            starts[i] = text;
            text += row[i];
        }
        return {{{starts[0], row[0]}, {starts[1], row[1]}, {starts[2], row[2]},
                 {starts[3], row[3]}, {starts[4], row[4]}, {starts[5], row[5]}}};
    }
    Texts result;
    for (std::size_t i = 0; i < kTextCount; ++i) {
        const std::size_t length = lengthOf(row, i);
        result[i] = {text, length};
        text += length;
    }
    return result;
}

std::string_view RowArena::text(Row row, std::size_t index)
{
    const char* text = reinterpret_cast<const char*>(row) + headerBytes(isWide(row));
    for (std::size_t i = 0; i < index; ++i)
        text += lengthOf(row, i);
    return {text, lengthOf(row, index)};
}

std::size_t RowArena::footprint(Row row)
{
    std::size_t total = headerBytes(isWide(row));
    for (std::size_t i = 0; i < kTextCount; ++i)
        total += lengthOf(row, i);
    return aligned(total);
}

void RowArena::BlockDeleter::operator()(std::byte* block) const
{
    freeMemoryBlock(block);
}

RowArena::Block RowArena::newBlock(std::size_t bytes)
{
    std::byte* block = allocateMemoryBlock(bytes);
    if (!block)
        throw std::bad_alloc();
    return Block(block);
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
