#include "tracker_app.h"

// The desktop is always there.
bool CTrackerApp::displayAvailable()
{
    return true;
}
