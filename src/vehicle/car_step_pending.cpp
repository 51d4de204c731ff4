// Temporary bodies of the player ids, the false-start watch
// and the car's view and route until they are built: a slot's id is its
// number, no false start is reported, and nothing is sent or shown. Each logs once that
// it is not available yet.
#include "vehicle/local.h"

VehiclePendingNotices MutableVehiclePendingNotices;

void LogPendingOnce(PendingWork work, const char* name)
{
    const uint32_t bit = 1u << work;
    bool noted = (MutableVehiclePendingNotices.told & bit) != 0;
    LogNotAvailableOnce(noted, name);
    MutableVehiclePendingNotices.told |= bit;
}

int GetPlayerIdOfSlot(int slot)
{
    LogPendingOnce(PendingPlayerId, "GetPlayerIdOfSlot");
    return slot;
}

void CheckFalseStartOnMoving(CarObject&, int)
{
    LogPendingOnce(PendingFalseStart, "CheckFalseStartOnMoving");
}

void UpdateCarViewAndRoute(CarObject&, float, int)
{
    LogPendingOnce(PendingViewAndRoute, "UpdateCarViewAndRoute");
}

void CheckTrackPosition(CarObject&, int)
{
    LogPendingOnce(PendingTrackPosition, "CheckTrackPosition");
}

void SendCarValue(CarObject&, int)
{
    LogPendingOnce(PendingCarValue, "SendCarValue");
}
