#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Rows kept back to back in a few large blocks rather than one allocation per text. A stored
// row is its six text lengths followed by its texts; it is never freed on its own, only with
// the whole arena. Lengths take two bytes each, or, in a row with a text of 65,535 bytes or
// more, a marker and then eight bytes each. Rows lie unaligned, their lengths read by copy.
class RowArena {
public:
    using Texts = std::array<std::string_view, 6>;
    using Row = const std::byte*;  // the row's lengths; its texts follow them

    RowArena() = default;
    RowArena(RowArena&& other) noexcept;
    RowArena& operator=(RowArena&& other) noexcept;

    Row add(const Texts& texts);
    // Takes over the other arena's rows, which stay where they are; the other is left empty.
    void adopt(RowArena&& other);
    static Texts texts(Row row);
    static std::string_view text(Row row, std::size_t index);
    // The bytes a row takes in the arena.
    static std::size_t footprint(Row row);
    std::size_t bytesUsed() const { return bytesUsed_; }

private:
    struct BlockDeleter {
        void operator()(std::byte* block) const;
    };
    using Block = std::unique_ptr<std::byte[], BlockDeleter>;

    static Block newBlock(std::size_t bytes);
    std::byte* allocate(std::size_t bytes);

    std::vector<Block> blocks_;
    std::byte* free_ = nullptr;
    std::size_t room_ = 0;
    std::size_t nextBlockSize_ = std::size_t{64} << 10;
    std::size_t bytesUsed_ = 0;
};
