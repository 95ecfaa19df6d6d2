// The least any loader of a data file must do on this machine, for scripts/bench to set beside
// the load: read the file's bytes into freshly allocated memory of the loaded table's size
// (taken as the store takes its blocks), writing every page of it, and end. Bytes beyond that
// size wrap round to its start.
// Usage: read_floor FILE TABLE-BYTES
#include "memory_block.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: read_floor FILE TABLE-BYTES\n");
        return 2;
    }
    constexpr std::size_t kPiece = 1 << 20;
    const std::size_t size = std::max<std::size_t>(std::strtoull(argv[2], nullptr, 10), kPiece);
    std::byte* const memory = allocateMemoryBlock(size);
    std::FILE* file = std::fopen(argv[1], "rb");
    if (!memory || !file)
        return 1;
    std::size_t at = 0;
    for (;;) {
        const std::size_t piece = std::min(kPiece, size - at);
        const std::size_t received = std::fread(memory + at, 1, piece, file);
        if (received == 0)
            break;
        at = (at + received) % size;
    }
    std::fclose(file);
    freeMemoryBlock(memory);
    return 0;
}
