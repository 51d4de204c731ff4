// What sound output gives the race: the interface sounds. Effects through
// the game-sound mix keep their silent body until the mixer plays them.
#include "devices/services.h"
#include "session/services.h"

void InstallDevicesSessionHooks()
{
    RaceHooks hooks = GetRaceHooks();
    hooks.playInterfaceSound = PlayUiSound;
    SetRaceHooks(hooks);
}
