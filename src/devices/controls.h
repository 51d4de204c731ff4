// The player's controls: the controllers (set-up, force feedback,
// calibration), the controls file and its settings, and the controls as the
// car's input words read them. The control table and the controller
// polling are not built yet: no controller is attached, and the temporary
// bodies (controls_pending.cpp) say so and answer failure.
#pragma once

// The controls setting "Clutch": 0 clutch on an axis, 1 on a button (1 at
// program start). Read-only outside devices; lives for the whole run,
// stored with the controls.
extern const int& ClutchControlMode;
void SetClutchControlMode(int mode);

// Controllers: DirectInput-style set-up (nonzero on failure), force
// feedback (nonzero on failure) and their release.
// Pending: no controllers; the set-ups log once and answer 1 (failure),
// as a program without controllers starts without them.
int InitDirectInput();
int InitForceFeedback();
// Pending: nothing to release; does nothing.
void ReleaseControllers();
// 1 while the controls file has still to be loaded (once, at start-up).
// Read-only outside devices; lives for the whole run.
extern const int& ControlsFilePending;
void SetControlsFilePending(int pending);
// The controls file and the calibration: loaded, saved (1 when saved).
// Pending: no controls file; the load logs once, the saves log once and
// answer 0.
void LoadControls();
int SaveControls();
int SaveCalibration();
// Pending: no calibration or key table; both do nothing.
void ResetAxisCalibration(int keepFirstField);
void SetDefaultKeys();

// 1 when the control function's controller button is held or, with alsoKey
// set, its keyboard key is down; else 0. Functions: 0 steer_left,
// 1 steer_right, 2 steer_fast, 3 steer_slow, 4 throttle, 5 brake,
// 6 shift_up, 7 shift_down, 8 clutch, 9 handbrake, 13 horn, 14 flash,
// 15 reset, 16 pit_speed, 17 tc_disable, 18 ignition, 21 reverse, 22 to 28
// gear_1 to gear_7.
// Pending: no control table; answers 0 unless the stand-in answers.
int IsControlActive(int control, int alsoKey);
// Pending: a stand-in for the control table until it is built: when set,
// IsControlActive answers through it (tests script the controls with it).
// Cleared by ResetDevicesTables.
void SetControlActiveStandIn(int (*standIn)(int control, int alsoKey));

// The control values the controller polling produces each frame.
// Read-only outside devices; lives for the whole run.
struct ControllerValuesRecord {
    float steer = 0;      // -1..1, right positive
    float throttle = 0;   // 0..1
    float brake = 0;      // 0..1
    float lookHeading = 0, lookPitch = 0, lookRoll = 0;  // -1..1
    float clutch = 0;     // 0..1
    float handbrake = 0;  // 0..1

    bool operator==(const ControllerValuesRecord&) const = default;
};
extern const ControllerValuesRecord& ControllerValues;
// Pending: set by the controller polling once it is built; tests set them.
void SetControllerValues(const ControllerValuesRecord& values);

// The settings of the controls file that the car's controls read (the
// clutch on a button is ClutchControlMode). Read-only outside devices;
// lives for the whole run.
struct ControlsSettingsRecord {
    float wheelTurn = 270;      // degrees, lock to lock of the steering controller
    int pedalMode = 1;          // 2: throttle and brake share one axis
    int handbrakeOnButton = 0;  // the handbrake comes from its control, not its axis

    bool operator==(const ControlsSettingsRecord&) const = default;
};
extern const ControlsSettingsRecord& ControlsSettings;
void SetControlsSettings(const ControlsSettingsRecord& settings);
