// Sound and input devices: the services other subsystems may use.
#pragma once

#include "core/services.h"
#include "devices/race_hooks.h"
#include "devices/vehicle_hooks.h"

// Resets every table this subsystem owns to its start-up state.
void ResetDevicesTables();

// ---------------------------------------------------------------------------
// Sound levels (temporary bodies in volume_stub.cpp until sound is built).

// Set the music, interface-effects and car-sound levels from their
// settings (0 to 20). Called by the settings loader and the options screen.
void SetMusicVolume(float setting);
void SetEffectsVolume(float setting);
void SetCarSoundVolume(float setting);

// ---------------------------------------------------------------------------
// Controls (temporary body in clutch_stub_tmp.cpp until the controls are built).

// The controls setting "Clutch": 0 clutch on an axis, 1 on a button (1 at
// program start). Lives for the whole run; stored with the controls.
extern int ClutchControlMode;

// ---------------------------------------------------------------------------
// Game sound (temporary body in game_sound_stub.cpp until sound is built).

struct ObjectSet;
// Renders this physics step's block of the game-sound stream (engine, tyre
// and wind sounds of nearby cars); called once at the end of every step.
// drawnAfter is the physics step's flag. Nothing is returned.
void FeedGameSound(ObjectSet* set, int drawnAfter);

// ---------------------------------------------------------------------------
// What the program shell uses of sound, controllers and the head tracker
// (temporary bodies in shell_pending.cpp until they are built: no sound
// runs, no controller is attached and no head tracker is found).

// The whole sound output: stopped and started around display-mode
// changes, closed at shut-down. Whether it runs, and the music stream.
void StopSound();
void StartSound();
void CloseSound();
int IsSoundRunning();
int IsMusicPlaying();
// Once per pass while sound and music run.
void RefillMusicStream();
// The music track chooser, once per root screen frame.
void UpdateMusic(int flag);
// Interface sounds: 0 click, 1 message, 2 system message, 3 invalid key, 4 error.
void PlayUiSound(int effect);
// The looping stream buffer: StopLoopingSound stops it when it plays and
// answers whether it was playing; RestartLoopingSound plays it again (1 or
// 0). Used around a rebuild of the graphics resources.
int StopLoopingSound();
int RestartLoopingSound();

// Controllers: DirectInput-style set-up (nonzero on failure), force
// feedback, the controls file (loaded once when pending) and calibration.
int InitDirectInput();
int InitForceFeedback();
void ReleaseControllers();
extern int ControlsFilePending;
void LoadControls();
int SaveControls();
int SaveCalibration();
void ResetAxisCalibration(int keepFirstField);
void SetDefaultKeys();

// Head tracker: 0 loaded, 2 not loaded. Lives for the whole run.
extern int HeadTrackerState;
// Loads the tracker's client; returns the new state.
int LoadHeadTracker();
void UnloadHeadTracker();

// ---------------------------------------------------------------------------
// Controls as the car's input words read them (temporary bodies in
// controls_pending.cpp until the control table and the controller polling
// are built: no control is active and every axis value is 0).

// 1 when the control function's controller button is held or, with alsoKey
// set, its keyboard key is down; else 0. Functions: 0 steer_left,
// 1 steer_right, 2 steer_fast, 3 steer_slow, 4 throttle, 5 brake,
// 6 shift_up, 7 shift_down, 8 clutch, 9 handbrake, 13 horn, 14 flash,
// 15 reset, 16 pit_speed, 17 tc_disable, 18 ignition, 21 reverse, 22 to 28
// gear_1 to gear_7.
int IsControlActive(int control, int alsoKey);
// Stand-in for the control table until it is built: when set,
// IsControlActive answers through it (tests script the controls with it).
// Lives for the whole run; cleared by ResetDevicesTables.
extern int (*ControlActiveStandIn)(int control, int alsoKey);

// The control values the controller polling produces each frame.
// Lives for the whole run; cleared by ResetDevicesTables.
struct ControllerValuesRecord {
    float steer = 0;      // -1..1, right positive
    float throttle = 0;   // 0..1
    float brake = 0;      // 0..1
    float lookHeading = 0, lookPitch = 0, lookRoll = 0;  // -1..1
    float clutch = 0;     // 0..1
    float handbrake = 0;  // 0..1
};
extern ControllerValuesRecord ControllerValues;

// The settings of the controls file that the car's controls read
// (the clutch on a button is ClutchControlMode). Lives for the whole run;
// set back by ResetDevicesTables.
struct ControlsSettingsRecord {
    float wheelTurn = 270;      // degrees, lock to lock of the steering controller
    int pedalMode = 1;          // 2: throttle and brake share one axis
    int handbrakeOnButton = 0;  // the handbrake comes from its control, not its axis
};
extern ControlsSettingsRecord ControlsSettings;

