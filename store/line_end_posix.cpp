#include "line_end.h"

#include <cstring>

// The C library's memchr takes 32 or 64 bytes a step.
const char* findLineEnd(const char* from, const char* end)
{
    return static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from)));
}
