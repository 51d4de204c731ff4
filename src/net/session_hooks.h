// The race's hooks that the multiplayer layer serves.
#pragma once

// Installs the game-packet queue and the online state into the race's
// hooks; the program calls it at start-up.
void InstallNetSessionHooks();
