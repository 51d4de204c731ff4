// What the multiplayer layer gives the settings: its default track, and
// the speed-up option as configured before an outside program changed it.
#include "core/services.h"
#include "net/services.h"

void InstallNetCoreHooks()
{
    SettingsHooks hooks = GetSettingsHooks();
    hooks.setDefaultTrack = SetDefaultTrack;
    hooks.keptSpeedupOption = [] { return HostOptions.inSimKeptSpeedupOpt; };
    SetSettingsHooks(hooks);
}
