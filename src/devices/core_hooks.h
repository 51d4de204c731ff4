// Core's hooks that the sound and input devices serve.
#pragma once

// Installs the sound levels and the clutch setting of the controls into
// core's settings hooks; the program calls it at start-up.
void InstallDevicesCoreHooks();
