// Temporary bodies of the sound-level services until sound output is
// built: with no sound device there is no level to set.
#include "devices/services.h"

void SetMusicVolume(float) {}
void SetEffectsVolume(float) {}
void SetCarSoundVolume(float) {}
