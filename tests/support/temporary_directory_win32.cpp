#include "temporary_directory.h"

#include <random>
#include <stdexcept>
#include <string>

// The C runtime of Windows has no mkdtemp; a directory that is there already is never taken.
TemporaryDirectory::TemporaryDirectory()
{
    std::random_device random;
    for (int tries = 0; tries < 100; ++tries) {
        const std::filesystem::path candidate =
            std::filesystem::temp_directory_path() / ("nimbrel-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}
