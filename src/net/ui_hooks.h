// The interface's hooks that the multiplayer layer serves.
#pragma once

// Installs the participants' names of chat lines into the message list's
// hooks; the program calls it at start-up.
void InstallNetUiHooks();
