#include "content_hash.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4F;

std::uint64_t mixed(std::uint64_t value)
{
    value ^= value >> 33;
    value *= kPrime2;
    value ^= value >> 29;
    return value;
}

}  // namespace

void ContentHash::add(std::string_view bytes)
{
    if (bytes.empty())
        return;
    const std::size_t pendingBytes = length_ % 8;
    length_ += bytes.size();
    if (pendingBytes != 0) {
        const std::size_t part = std::min(8 - pendingBytes, bytes.size());
        std::memcpy(pending_.data() + pendingBytes, bytes.data(), part);
        bytes.remove_prefix(part);
        if (pendingBytes + part < 8)
            return;
        addWord(pending_.data());
    }
    for (; bytes.size() >= 8; bytes.remove_prefix(8))
        addWord(bytes.data());
    if (!bytes.empty())
        std::memcpy(pending_.data(), bytes.data(), bytes.size());
}

std::uint64_t ContentHash::value() const
{
    std::array<char, 8> last{};
    std::memcpy(last.data(), pending_.data(), length_ % 8);
    std::uint64_t word = 0;
    std::memcpy(&word, last.data(), 8);
    return mixed((state_ ^ mixed(word)) + length_ * kPrime1);
}

void ContentHash::addWord(const char* bytes)
{
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, 8);
    state_ = std::rotl(state_ ^ (word * kPrime2), 31) * kPrime1;
}
