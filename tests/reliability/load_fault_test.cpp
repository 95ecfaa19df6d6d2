// What is not a data file must neither hold up nor end the program: the load returns with the
// records read so far, and a load that stopped early is reported.
#include "data_file.h"
#include "save_test_support.h"
#include "store_test_support.h"
#include "temporary_directory.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(LoadFault, FifoIsAnEmptyTableAndAGiantLineAStoppedLoad)
{
    TemporaryDirectory directory;
    const fs::path file = directory.path() / kDataFileName;
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    const int fifoCode = runInChild([&] {
        ::alarm(10);  // without a writer, a blocking open would never return
        EntryTable table;
        DataFile(table, file).load();
        return table.count() == 0 && fs::is_fifo(file) ? 0 : 1;
    });
    EXPECT_EQ(fifoCode, 0) << "128 + 14: the load blocked until the alarm";

#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "an address space limit cannot be set under AddressSanitizer";
#else
    fs::remove(file);
    std::ofstream(file, std::ios::binary) << fileBytesOf(sampleTable(1, 6)) << "OTHER=";
    constexpr std::size_t kHeadroom = std::size_t{128} << 20;
    fs::resize_file(file, 2 * kHeadroom);  // a sparse line of zero bytes, never ended
    const int giantCode = runInChild([&] {
        std::ifstream statm("/proc/self/statm");
        std::size_t pages = 0;
        statm >> pages;
        const rlim_t limit = pages * ::sysconf(_SC_PAGESIZE) + kHeadroom;
        const rlimit addressSpace{limit, limit};
        if (::setrlimit(RLIMIT_AS, &addressSpace) != 0)
            return kChildUnavailable;
        EntryTable table;
        RecordingClient client(table);
        DataFile(table, file, &client).load();
        return table.count() == 1 && client.earlyStops == 1 ? 0 : 1;
    });
    ASSERT_NE(giantCode, kChildUnavailable) << "setrlimit(RLIMIT_AS) failed";
    EXPECT_EQ(giantCode, 0) << "125: the load let std::bad_alloc escape";
#endif
}

}  // namespace
