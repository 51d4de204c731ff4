// Temporary bodies of the player slots, the pit lane, the false-start watch
// and the car's view and route until they are built: a car has no player
// slot, no false start is reported, and nothing is sent or shown. Each logs once that
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

int GetPlayerSlotOfCar(const CarObject&)
{
    LogPendingOnce(PendingPlayerSlot, "GetPlayerSlotOfCar");
    return -1;
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

void UpdatePitLane(CarObject&, int, float, int)
{
    LogPendingOnce(PendingPitLane, "UpdatePitLane");
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

void RunTimedRaceMessages(CarObject&, int)
{
    LogPendingOnce(PendingRaceMessages, "RunTimedRaceMessages");
}
