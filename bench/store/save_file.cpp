// Times DataFile::save of a loaded table against writing the same bytes, already in memory, to
// a new file with fsync and rename, alternating the two. Prints one line per round:
// "save SECONDS copy SECONDS". Usage: save_file FILE DIRECTORY ROUNDS
#include "data_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The least a safe save can do: the bytes into a new file, synced, renamed over the target.
bool copyWithSync(const std::string& bytes, const fs::path& target)
{
    const fs::path temporary = target.string() + ".new";
    const int descriptor =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t written = ::write(descriptor, rest.data(), rest.size());
        if (written <= 0) {
            ::close(descriptor);
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    const bool synced = ::fsync(descriptor) == 0;
    return ::close(descriptor) == 0 && synced && ::rename(temporary.c_str(), target.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: save_file FILE DIRECTORY ROUNDS\n");
        return 2;
    }
    const fs::path source = argv[1];
    const fs::path directory = argv[2];
    const int rounds = std::atoi(argv[3]);
    std::ifstream in(source, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};

    EntryTable table;
    DataFile(table, source).load();
    // The save writes the records in reverse order, the same number of bytes as the copy.
    const fs::path saved = directory / "save_file_saved.nbd";
    const fs::path copied = directory / "save_file_copied.nbd";
    for (int round = 0; round < rounds; ++round) {
        double save = 0;
        double copy = 0;
        // Each goes first in every other round, so neither always meets the other's writeback.
        for (int turn = 0; turn < 2; ++turn) {
            const auto start = Clock::now();
            if ((turn + round) % 2 == 0) {
                if (!DataFile(table, saved).save())
                    return 1;
                save = secondsSince(start);
            } else {
                if (!copyWithSync(bytes, copied))
                    return 1;
                copy = secondsSince(start);
            }
        }
        std::printf("save %.4f copy %.4f\n", save, copy);
        std::fflush(stdout);
    }
    fs::remove(saved);
    fs::remove(copied);
    return 0;
}
