// Loads a data file into an entry table and ends, as the program's own start and end do with
// the store: the whole process is what is timed from outside. With --memory it prints how
// much the loaded table grew the process's resident memory, in bytes.
// Usage: load_file FILE [--memory]
#include "data_file.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

double residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) * 1024.0;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: load_file FILE [--memory]\n");
        return 2;
    }
    const bool memory = argc > 2 && std::strcmp(argv[2], "--memory") == 0;
    const double before = memory ? residentBytes() : 0;
    EntryTable table;
    DataFile(table, argv[1]).load();
    if (memory)
        std::printf("%.0f %zu\n", residentBytes() - before, table.count());
    return table.count() > 0 ? 0 : 1;
}
