// Core's hooks that graphics serves.
#pragma once

// Installs the views' defaults into core's settings hooks; the program
// calls it at start-up.
void InstallGraphicsCoreHooks();
