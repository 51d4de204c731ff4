// Sound and input devices: declarations shared only inside the subsystem.
#pragma once

#include "devices/services.h"

// What the devices keep for the whole run, exported read-only under the
// names in the area headers. Set back by ResetDevicesTables in one
// assignment.
struct DevicesRecord {
    int clutchControlMode = 1;                         // ClutchControlMode
    int controlsFilePending = 1;                       // ControlsFilePending
    int headTrackerState = 2;                          // HeadTrackerState
    ControllerValuesRecord controllerValues;           // ControllerValues
    ControlsSettingsRecord controlsSettings;           // ControlsSettings
    int (*controlActiveStandIn)(int control, int alsoKey) = nullptr;
    // Which services that are not built yet have said so in the log: each
    // says it once.
    bool directInputNoted = false, forceFeedbackNoted = false, loadControlsNoted = false;
    bool saveControlsNoted = false, saveCalibrationNoted = false, headTrackerNoted = false;

    bool operator==(const DevicesRecord&) const = default;
};
extern DevicesRecord MutableDevices;
