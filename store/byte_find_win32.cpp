#include "byte_find.h"

#include <bit>

#include <emmintrin.h>

// Sixteen bytes at a time, in the vector instructions that every 64-bit x86 processor has: the C
// runtime's memchr (Wine's, and the msvcrt that MinGW links) looks at its bytes one by one.
const char* findByte(const char* from, const char* end, char byte)
{
    const __m128i wanted = _mm_set1_epi8(byte);
    for (; end - from >= 16; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        if (found != 0)
            return from + std::countr_zero(found);
    }
    for (; from != end; ++from) {
        if (*from == byte)
            return from;
    }
    return nullptr;
}
