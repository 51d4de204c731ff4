// Where the subsystems meet: each higher subsystem installs its hooks into
// the ones below it, and the shell installs its own into core.
#include "app/services.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

void InstallAppCoreHooks()
{
    ShellHooks hooks = GetShellHooks();
    hooks.requestQuit = BeginQuit;
    hooks.quitReturnTarget = [] { return Shell.quitReturnTarget; };
    SetShellHooks(hooks);
}

void InstallSubsystemHooks()
{
    // Into core: the interface's messages and measures, and the owners of
    // parts of the settings.
    InstallUiCoreHooks();
    InstallNetCoreHooks();
    InstallGraphicsCoreHooks();
    InstallDevicesCoreHooks();
    // Into the world: the drawing of its models and the interface's messages.
    InstallGraphicsWorldHooks();
    InstallUiWorldHooks();
    // Into graphics: the interface's messages.
    InstallUiGraphicsHooks();
    // Into the session: the network, the interface and sound.
    InstallNetSessionHooks();
    InstallUiSessionHooks();
    InstallDevicesSessionHooks();
    // Into the vehicle: what the cars ask of the world, the race, drawing,
    // the controls, the messages and the network.
    InstallWorldVehicleHooks();
    InstallSessionVehicleHooks();
    InstallGraphicsVehicleHooks();
    InstallDevicesVehicleHooks();
    InstallUiVehicleHooks();
    InstallNetVehicleHooks();
    InstallNetUiHooks();
    InstallAppCoreHooks();
}
