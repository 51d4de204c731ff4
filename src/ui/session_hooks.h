// The race's hooks that the interface serves.
#pragma once

// Installs the message list and the language's code page into the race's
// hooks; the program calls it at start-up.
void InstallUiSessionHooks();
