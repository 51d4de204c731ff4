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

namespace {

// A new light scheme lights everything drawn: with graphics on, the light
// maps and every graphics resource are freed and made again, the looping
// sound paused meanwhile.
void RebuildForLightScheme()
{
    const int soundWasPlaying = StopLoopingSound();
    if (ProgramMode.graphicsOn) {
        FreeLightMapTextures();
        FreeAllGraphics(1);
        RebuildGraphicsResources();
    }
    if (soundWasPlaying)
        RestartLoopingSound();
}

// Into the world: what a change of its lighting asks of the whole program.
void InstallAppWorldHooks()
{
    WorldDrawHooks draw = GetWorldDrawHooks();
    draw.rebuildLightScheme = RebuildForLightScheme;
    SetWorldDrawHooks(draw);
}

} // namespace

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
    InstallAppWorldHooks();
}
