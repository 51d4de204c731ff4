// Temporary bodies of the session's joins, cars and race-control packet
// until they are built: each logs once and changes nothing, so no player
// joins, no car changes hands and no race-control request acts.
#include "session/local.h"
#include "session/services.h"

namespace {
bool joinsNoted = false, carsNoted = false, controlNoted = false;
SessionCarState PendingSessionCars;
} // namespace

const SessionCarState& SessionCars = PendingSessionCars;

void UpdatePlayerInfo(Race&, const PlayerDescriptor&) { LogNotAvailableOnce(joinsNoted, "UpdatePlayerInfo"); }
void AddPlayerFromRecord(Race&, const PlayerDescriptor&) { LogNotAvailableOnce(joinsNoted, "AddPlayerFromRecord"); }
int CheckPlayersBeforeStart(Race&) { return 0; }
void HandleRaceControlPacket(InRaceSession*, int, const uint8_t*)
{
    LogNotAvailableOnce(controlNoted, "HandleRaceControlPacket");
}
void ReleasePlayerCar() { LogNotAvailableOnce(carsNoted, "ReleasePlayerCar"); }
void TakeOverPlayerCar(RacePlayer&) { LogNotAvailableOnce(carsNoted, "TakeOverPlayerCar"); }
