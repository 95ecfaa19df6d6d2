#include "row_arena.h"

#include "memory_block.h"
#include "text_copy.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

namespace {

constexpr std::size_t kTextCount = std::tuple_size_v<RowArena::Texts>;
constexpr std::size_t kLargestBlock = std::size_t{16} << 20;
// In place of the first length: the lengths follow in eight bytes each.
constexpr std::uint16_t kWideLengths = 0xFFFF;
constexpr std::size_t kNarrowHeader = kTextCount * sizeof(std::uint16_t);
constexpr std::size_t kWideHeader = sizeof(std::uint16_t) + kTextCount * sizeof(std::uint64_t);

template <typename Number>
Number numberAt(RowArena::Row at)
{
    Number number;
    std::memcpy(&number, at, sizeof number);
    return number;
}

bool isWide(RowArena::Row row)
{
    return numberAt<std::uint16_t>(row) == kWideLengths;
}

std::size_t headerBytes(bool wide)
{
    return wide ? kWideHeader : kNarrowHeader;
}

std::size_t lengthOf(RowArena::Row row, std::size_t text)
{
    if (!isWide(row))
        return numberAt<std::uint16_t>(row + text * sizeof(std::uint16_t));
    return numberAt<std::uint64_t>(row + sizeof(std::uint16_t) + text * sizeof(std::uint64_t));
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
    std::byte* const start = allocate(header + total);

    std::byte* length = start;
    if (wide) {
        std::memcpy(length, &kWideLengths, sizeof kWideLengths);
        length += sizeof kWideLengths;
    }
    for (const auto text : texts) {
        if (wide) {
            const std::uint64_t size = text.size();
            std::memcpy(length, &size, sizeof size);
            length += sizeof size;
        } else {
            const auto size = static_cast<std::uint16_t>(text.size());
            std::memcpy(length, &size, sizeof size);
            length += sizeof size;
        }
    }
    copyTexts(texts, reinterpret_cast<char*>(start + header));
    return start;
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
    Texts result;
    if (!isWide(row)) {
        std::array<std::uint16_t, kTextCount> lengths;
        std::memcpy(lengths.data(), row, sizeof lengths);
        const char* text = reinterpret_cast<const char*>(row) + kNarrowHeader;
        for (std::size_t i = 0; i < kTextCount; ++i) {
            result[i] = {text, lengths[i]};
            text += lengths[i];
        }
        return result;
    }
    const char* text = reinterpret_cast<const char*>(row) + kWideHeader;
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
    return total;
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
