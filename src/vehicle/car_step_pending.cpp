// Temporary bodies of the pit lane, its timed messages and the car-value
// packet until they are built: nothing is sent or shown. Each logs once
// that it is not available yet.
#include "vehicle/local.h"

VehiclePendingNotices MutableVehiclePendingNotices;

void LogPendingOnce(PendingWork work, const char* name)
{
    const uint32_t bit = 1u << work;
    bool noted = (MutableVehiclePendingNotices.told & bit) != 0;
    LogNotAvailableOnce(noted, name);
    MutableVehiclePendingNotices.told |= bit;
}

void UpdatePitLane(CarObject&, int, float, int)
{
    LogPendingOnce(PendingPitLane, "UpdatePitLane");
}

void SendCarValue(CarObject&, int)
{
    LogPendingOnce(PendingCarValue, "SendCarValue");
}

void RunTimedRaceMessages(CarObject&, int)
{
    LogPendingOnce(PendingRaceMessages, "RunTimedRaceMessages");
}
