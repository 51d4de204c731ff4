// Temporary bodies of the player slots, the pit lane, the stopped state
// and the car's view and route until they are built: a car has no player
// slot and is never marked stopped.
#include "vehicle/local.h"

int GetPlayerSlotOfCar(const CarObject&) { return -1; }
int GetPlayerIdOfSlot(int slot) { return slot; }
int UpdateStoppedState(CarObject&) { return 0; }
void UpdatePitLane(CarObject&, int, float, int) {}
void UpdateCarViewAndRoute(CarObject&, float, int) {}
void CheckTrackPosition(CarObject&, int) {}
void SendCarValue(CarObject&, int) {}
void RunTimedRaceMessages(CarObject&, int) {}
