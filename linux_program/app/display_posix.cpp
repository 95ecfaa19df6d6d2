#include "tracker_app.h"

// Only an X11 or Wayland desktop needs its display named in the environment.
bool CTrackerApp::displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
