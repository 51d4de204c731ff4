// The vehicle's hooks that the world serves.
#pragma once

// Installs the car body models and their meshes, the current path, the
// speed limits, the scenery a car touches and the driver figures into the
// vehicle's hooks; the program calls it at start-up.
void InstallWorldVehicleHooks();
