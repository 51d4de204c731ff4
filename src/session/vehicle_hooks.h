// The vehicle's hooks that the race session serves.
#pragma once

// Installs the race's cars, hot lap, lesson and ground into the vehicle's
// hooks; the program calls it at start-up.
void InstallSessionVehicleHooks();
