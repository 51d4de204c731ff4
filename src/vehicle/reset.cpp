// The one reset of this subsystem's tables.
#include "vehicle/local.h"

void ResetVehicleTables()
{
    MutablePhysicsStep = {};
    MutableChosenSetup = {};
    MutableCarHandicapTable = {};
    MutableVehicleHooks = {};
    SetBodySurroundings(nullptr);
}
