// The race's hooks that sound output serves.
#pragma once

// Installs the interface sounds into the race's hooks; the program calls it
// at start-up.
void InstallDevicesSessionHooks();
