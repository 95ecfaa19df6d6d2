// libFuzzer target: any bytes, loaded as a data file, must neither crash nor hang the reader,
// and must survive saving and loading again (see round_trip_check.h).
#include "round_trip_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// scripts/fuzz runs the target in a scratch working directory; the file is loaded from there.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string failure =
        checkRoundTrip({reinterpret_cast<const char*>(data), size}, "nimbrel.nbd");
    if (!failure.empty()) {
        std::fprintf(stderr, "round trip broken: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
