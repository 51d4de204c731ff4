// What sound and the input devices give the cars: the game sound fed each
// step, interface sounds, and the player's controls and controller axes.
#include "devices/services.h"
#include "vehicle/services.h"

namespace {

float ControllerAxis(int axis)
{
    switch (axis) {
    case SteerAxis:
        return ControllerValues.steer;
    case ThrottleAxis:
        return ControllerValues.throttle;
    case BrakeAxis:
        return ControllerValues.brake;
    case ClutchAxis:
        return ControllerValues.clutch;
    case HandbrakeAxis:
        return ControllerValues.handbrake;
    default:
        return 0;
    }
}

CarControlSettings ControlSettings()
{
    CarControlSettings settings;
    settings.wheelTurn = ControlsSettings.wheelTurn;
    settings.pedalMode = ControlsSettings.pedalMode;
    settings.handbrakeOnButton = ControlsSettings.handbrakeOnButton;
    settings.clutchOnButton = ClutchControlMode;
    return settings;
}

} // namespace

void InstallDevicesVehicleHooks()
{
    CarSoundHooks sound = GetCarSoundHooks();
    sound.isSoundRunning = IsSoundRunning;
    sound.feedGameSound = FeedGameSound;
    sound.playInterfaceSound = PlayUiSound;
    SetCarSoundHooks(sound);

    CarControlHooks controls = GetCarControlHooks();
    controls.isControlActive = IsControlActive;
    controls.controllerAxis = ControllerAxis;
    controls.controlSettings = ControlSettings;
    SetCarControlHooks(controls);
}
