// The vehicle's hooks that the multiplayer layer serves.
#pragma once

// Installs the online state, the host's rules and the game packets into the
// vehicle's hooks; the program calls it at start-up.
void InstallNetVehicleHooks();
