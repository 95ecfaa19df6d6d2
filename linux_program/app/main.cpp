#include "data_file_load.h"
#include "memory_protection.h"
#include "tracker_app.h"

#include <cstdio>
#include <memory>
#include <utility>

int main(int argc, char* argv[])
{
    protectMemory();  // before anything reads the data file
    if (!CTrackerApp::displayAvailable()) {
        std::fputs("nimbrel: no display to show the window on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set)\n",
                   stderr);
        return 1;
    }
    // The records are read while the toolkit starts.
    auto load = std::make_unique<DataFileLoad>();
    CTrackerApp app(argc, argv);
    return app.run(std::move(load));
}
