// Generates a data file of realistic records, then times loading it, saving it and sorting it
// by each column, with throughput and memory. Usage: store_bench [records] [directory]
#include "data_file.h"
#include "random_records.h"
#include "record_writer.h"
#include "safe_file.h"
#include "table_client.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A value from /proc/self/status in bytes, such as "VmRSS" or "VmHWM".
double statusBytes(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::strtod(line.c_str() + key.size() + 1, nullptr) * 1024.0;
    }
    return 0;
}

// User and system time of this process, which contention from other processes leaves alone.
double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Stopwatch {
    Clock::time_point wall = Clock::now();
    double cpu = cpuSeconds();

    double wallSeconds() const
    {
        return std::chrono::duration<double>(Clock::now() - wall).count();
    }
    double cpuSecondsSpent() const { return cpuSeconds() - cpu; }
};

constexpr double kMiB = 1024.0 * 1024.0;

void printRow(const char* step, const Stopwatch& watch, double bytes)
{
    const double seconds = watch.wallSeconds();
    const double cpu = watch.cpuSecondsSpent();
    std::printf("%-30s %7.3f s wall %7.3f s cpu", step, seconds, cpu);
    if (bytes > 0)
        std::printf(" %7.1f MB/s", bytes / 1e6 / seconds);
    else
        std::printf("             ");
    std::printf("   peak RSS %6.1f MiB  RSS %6.1f MiB\n", statusBytes("VmHWM") / kMiB,
                statusBytes("VmRSS") / kMiB);
}

void generateFile(const fs::path& path, std::size_t records)
{
    std::mt19937 random(42);
    EntryTable table;
    for (std::size_t i = 0; i < records; ++i)
        table.insertFirst(randomRecord(random));
    if (!DataFile(table, path).save()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1'000'000;
    const fs::path directory = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
    const fs::path path = directory / "store_bench.nbd";
    const fs::path savedPath = directory / "store_bench_saved.nbd";

    // Generated in a child process so that this one's memory figures are the store's alone.
    const pid_t child = ::fork();
    if (child == 0) {
        generateFile(path, records);
        std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || status != 0) {
        std::fprintf(stderr, "generating the file failed\n");
        return 1;
    }
    const double fileBytes = static_cast<double>(fs::file_size(path));
    std::printf("%zu records, file %.1f MiB (%s), warm page cache\n", records, fileBytes / kMiB,
                path.c_str());

    EntryTable table;
    const double rssBefore = statusBytes("VmRSS");
    Stopwatch start;
    DataFile(table, path).load();
    printRow("load", start, fileBytes);
    const double tableBytes = statusBytes("VmRSS") - rssBefore;
    std::printf("%-28s %.1f MiB = %.2f x the file\n", "loaded table (RSS growth)",
                tableBytes / kMiB, tableBytes / fileBytes);

    TableClient client(table);
    std::size_t formatted = 0;
    start = Stopwatch{};
    writeRecords(table, client, [&](std::string_view bytes) {
        formatted += bytes.size();
        return true;
    });
    printRow("save: format only", start, static_cast<double>(formatted));

    start = Stopwatch{};
    SafeFile file(savedPath);
    const bool opened = file.open();
    const bool written = opened && writeRecords(table, client, [&file](std::string_view bytes) {
        return file.write(bytes);
    });
    printRow("save: format and write", start, fileBytes);
    start = Stopwatch{};
    const bool committed = written && file.commit();
    printRow("save: fsync and rename", start, 0);

    start = Stopwatch{};
    const bool saved = DataFile(table, savedPath).save();
    printRow("save: DataFile::save", start, fileBytes);
    if (!committed || !saved) {
        std::fprintf(stderr, "saving failed\n");
        return 1;
    }

    static constexpr const char* kColumns[] = {"Name", "Username", "Password",
                                               "URL",  "Other",    "Notes"};
    for (std::size_t column = 0; column < kEntryFieldCount; ++column) {
        start = Stopwatch{};
        table.sortByColumn(static_cast<EntryField>(column));
        printRow((std::string("sort by ") + kColumns[column]).c_str(), start, 0);
    }
    start = Stopwatch{};
    table.sortByColumn(EntryField::Notes);
    printRow("sort by Notes again (reverse)", start, 0);

    fs::remove(path);
    fs::remove(savedPath);
    return 0;
}
