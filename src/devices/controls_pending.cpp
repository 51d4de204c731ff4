// The controls' record, and temporary bodies of the controllers, the
// controls file and the control table until they are built: no controller
// is attached, so the set-ups and saves say so once and answer failure,
// every control value is 0 and no control is active unless the stand-in
// answers.
#include "devices/local.h"

const int& ClutchControlMode = MutableDevices.clutchControlMode;
const int& ControlsFilePending = MutableDevices.controlsFilePending;
const ControllerValuesRecord& ControllerValues = MutableDevices.controllerValues;
const ControlsSettingsRecord& ControlsSettings = MutableDevices.controlsSettings;

void SetClutchControlMode(int mode) { MutableDevices.clutchControlMode = mode; }
void SetControlsFilePending(int pending) { MutableDevices.controlsFilePending = pending; }
void SetControllerValues(const ControllerValuesRecord& values) { MutableDevices.controllerValues = values; }
void SetControlsSettings(const ControlsSettingsRecord& settings) { MutableDevices.controlsSettings = settings; }
void SetControlActiveStandIn(int (*standIn)(int, int)) { MutableDevices.controlActiveStandIn = standIn; }

int InitDirectInput()
{
    LogNotAvailableOnce(MutableDevices.directInputNoted, "InitDirectInput");
    return 1;
}

int InitForceFeedback()
{
    LogNotAvailableOnce(MutableDevices.forceFeedbackNoted, "InitForceFeedback");
    return 1;
}

void ReleaseControllers() {}

void LoadControls() { LogNotAvailableOnce(MutableDevices.loadControlsNoted, "LoadControls"); }

int SaveControls()
{
    LogNotAvailableOnce(MutableDevices.saveControlsNoted, "SaveControls");
    return 0;
}

int SaveCalibration()
{
    LogNotAvailableOnce(MutableDevices.saveCalibrationNoted, "SaveCalibration");
    return 0;
}

void ResetAxisCalibration(int) {}
void SetDefaultKeys() {}

int IsControlActive(int control, int alsoKey)
{
    return MutableDevices.controlActiveStandIn ? MutableDevices.controlActiveStandIn(control, alsoKey) : 0;
}
