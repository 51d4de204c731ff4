// What the devices give the settings and the profile: the sound levels
// the settings set, and where the controls put the clutch.
#include "devices/services.h"

namespace {

void SetSoundLevels(float music, float effects, float carSound)
{
    SetMusicVolume(music);
    SetEffectsVolume(effects);
    SetCarSoundVolume(carSound);
}

} // namespace

void InstallDevicesCoreHooks()
{
    SettingsHooks hooks = GetSettingsHooks();
    hooks.setSoundLevels = SetSoundLevels;
    hooks.clutchControlMode = [] { return ClutchControlMode; };
    SetSettingsHooks(hooks);
}
