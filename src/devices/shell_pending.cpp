// Temporary bodies of the sound, controller and head-tracker services that
// the program shell calls, until subsystem 6 is built: no sound runs, no
// controller is attached (set-up fails quietly) and no head tracker exists.
#include "devices/services.h"

int ControlsFilePending = 1;
int HeadTrackerState = 2;

void StopSound() {}
void StartSound() {}
void CloseSound() {}
int IsSoundRunning() { return 0; }
int IsMusicPlaying() { return 0; }
void RefillMusicStream() {}
void UpdateMusic(int) {}
void PlayUiSound(int) {}
int StopLoopingSound() { return 0; }
int RestartLoopingSound() { return 1; }
int InitDirectInput() { return 0; }
int InitForceFeedback() { return 0; }
void ReleaseControllers() {}
void LoadControls() {}
int SaveControls() { return 1; }
int SaveCalibration() { return 1; }
void ResetAxisCalibration(int) {}
void SetDefaultKeys() {}
int LoadHeadTracker() { return 2; }
void UnloadHeadTracker() {}
