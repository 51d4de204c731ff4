// Temporary bodies of sound output until it is built: no sound device, so
// there is no level to set, no stream to feed and nothing plays.
#include "devices/services.h"

void SetMusicVolume(float) {}
void SetEffectsVolume(float) {}
void SetCarSoundVolume(float) {}
void FeedGameSound(ObjectSet*, int) {}
void StopSound() {}
void StartSound() {}
void CloseSound() {}
int IsSoundRunning() { return 0; }
int IsMusicPlaying() { return 0; }
void RefillMusicStream() {}
void UpdateMusic(int) {}
void PlayUiSound(int) {}
int StopLoopingSound() { return 0; }
int RestartLoopingSound() { return 0; }
