// The one reset of this subsystem's tables.
#include "vehicle/local.h"

void ResetVehicleTables()
{
    CurrentObjectSet = nullptr;
    ContactingCar = nullptr;
    ResimulatingCar = 0;
    SetBodySurroundings(nullptr);
    ChosenSetupIndex = 0;
    ChosenSetupName[0] = 0;
    ResetVehicleHooks();
}
