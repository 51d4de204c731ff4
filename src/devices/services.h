// Sound and input devices: the services other subsystems may use.
#pragma once

#include "core/services.h"

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
// Engine waves in files (engine_wave.cpp): the recorded waves of an
// engine's sound as engine files and car data hold them.

struct EngineWave;
// Reads one wave: a count byte, a spare byte, a storage kind and the type.
// Kinds 0 and 1 (old forms) are skipped, kind 2 is empty, kind 3 holds an
// int32 sample count and the samples, which replace the wave's array.
// Returns 1, or 0 with "Could not read wave" for an unknown kind or a
// sample count the file cannot hold.
int ReadWaveShape(EngineWave& wave, DataFile& reader, int version);
// Writes the wave in storage kind 3.
void WriteWaveShape(const EngineWave& wave, DataFile& writer);
// Frees the samples; with clear set the count and pointer become 0.
void FreeWave(EngineWave& wave, int clear);

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
// The four friction curves of the tyre model, built once at start-up.
void BuildTyreCurves();

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
