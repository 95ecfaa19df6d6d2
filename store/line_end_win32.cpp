#include "line_end.h"

#include <bit>
#include <cstdint>
#include <cstring>

// Eight bytes at a time: the C runtime's memchr (Wine's, and the msvcrt that MinGW links) looks
// at its bytes one by one.
const char* findLineEnd(const char* from, const char* end)
{
    constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;
    constexpr std::uint64_t kLineFeeds = 0x0101010101010101 * '\n';
    for (; end - from >= 8; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, from, sizeof word);
        word ^= kLineFeeds;  // a line feed is now a zero byte, the only one with its top bit set:
        const std::uint64_t zeros = ~(((word & kLowBits) + kLowBits) | word | kLowBits);
        if (zeros != 0)
            return from + std::countr_zero(zeros) / 8;  // Windows is little-endian
    }
    for (; from != end; ++from) {
        if (*from == '\n')
            return from;
    }
    return nullptr;
}
