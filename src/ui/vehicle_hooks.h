// The vehicle's hooks that the interface serves.
#pragma once

// Installs the message list into the vehicle's hooks; the program calls it
// at start-up.
void InstallUiVehicleHooks();
