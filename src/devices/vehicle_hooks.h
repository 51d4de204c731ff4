// The vehicle's hooks that sound and the input devices serve.
#pragma once

// Installs the game sound, the interface sounds, the controls, the
// controller axes and the controls file's choices into the vehicle's hooks;
// the program calls it at start-up.
void InstallDevicesVehicleHooks();
