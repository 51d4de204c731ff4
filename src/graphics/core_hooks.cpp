// What graphics gives the settings: the custom views back to their
// defaults when the settings are loaded.
#include "graphics/services.h"

void InstallGraphicsCoreHooks()
{
    SettingsHooks hooks = GetSettingsHooks();
    hooks.setDefaultViews = SetDefaultViews;
    SetSettingsHooks(hooks);
}
