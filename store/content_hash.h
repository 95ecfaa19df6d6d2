#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// A 64-bit hash of a stream of bytes, the same however the stream is cut into pieces; it tells
// whether a file still holds what was read from it or written to it.
class ContentHash {
public:
    void add(std::string_view bytes);
    std::uint64_t value() const;

private:
    void addWord(const char* bytes);

    std::uint64_t state_ = 0x9E3779B97F4A7C15;
    std::uint64_t length_ = 0;
    std::array<char, 8> pending_{};  // the start of a word that the next piece finishes
};
