#include "byte_find.h"

#include <cstring>

// The C library's memchr takes 32 or 64 bytes a step.
const char* findByte(const char* from, const char* end, char byte)
{
    if (from == end)
        return nullptr;  // from may be null then, which memchr must not be given
    return static_cast<const char*>(std::memchr(from, byte, static_cast<std::size_t>(end - from)));
}
