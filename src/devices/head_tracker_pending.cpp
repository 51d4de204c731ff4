// Temporary bodies of the head tracker until its client library is
// loaded: no tracker is found.
#include "devices/local.h"

const int& HeadTrackerState = MutableDevices.headTrackerState;

int LoadHeadTracker()
{
    LogNotAvailableOnce(MutableDevices.headTrackerNoted, "LoadHeadTracker");
    MutableDevices.headTrackerState = 2;
    return MutableDevices.headTrackerState;
}

void UnloadHeadTracker() {}
