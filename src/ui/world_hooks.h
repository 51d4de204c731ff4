// The world hooks that the interface serves.
#pragma once

// Installs the message list into the world's message hooks; the program
// calls it at start-up.
void InstallUiWorldHooks();
