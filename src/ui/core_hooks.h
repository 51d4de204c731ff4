// Core's hooks that the interface serves.
#pragma once

// Installs the message list and the font's measures and code pages into
// core's hooks; the program calls it at start-up.
void InstallUiCoreHooks();
