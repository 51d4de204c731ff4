// The world's answers to the cars, installed for tests of the vehicle.
#include "support/car_world.h"

#include "world/services.h"

void InstallCarWorldServices()
{
    InstallWorldVehicleHooks();
}
