// The race's hooks that the multiplayer layer serves.
#pragma once

// Installs the frame road, the processed frame, the connections and the
// session's votes and ids into the race's hooks; the program calls it at
// start-up.
void InstallNetSessionHooks();
