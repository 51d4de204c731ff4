// The world's hooks that graphics serves.
#pragma once

// Installs the materials of model textures, alpha blending and the world
// batch into the world's drawing hooks; the program calls it at start-up.
void InstallGraphicsWorldHooks();
