// Core's hooks that the multiplayer layer serves.
#pragma once

// Installs the default track and the speed-up option kept from InSim into
// core's settings hooks; the program calls it at start-up.
void InstallNetCoreHooks();
