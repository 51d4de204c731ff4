// The graphics hooks that the interface serves.
#pragma once

// Installs the message list into graphics' message hooks; the program calls
// it at start-up.
void InstallUiGraphicsHooks();
