// The graphics hooks that the interface serves.
#pragma once

// Installs the message list and the vector font into graphics' hooks; the
// program calls it at start-up.
void InstallUiGraphicsHooks();
