// The vehicle's hooks that drawing serves.
#pragma once

// Installs skid marks, tyre particles, surface colours and the driver
// view's look into the vehicle's hooks; the program calls it at start-up.
void InstallGraphicsVehicleHooks();
