// Sound output as the rest of the program uses it: the volume levels, the
// interface sounds, the music, the looping stream and the game sound fed
// by the car step. Sound is not built yet: no sound runs, and the
// temporary bodies (sound_pending.cpp) play nothing.
#pragma once

struct ObjectSet;

// Set the music, interface-effects and car-sound levels from their
// settings (0 to 20). Called by the settings loader and the options screen.
// Pending: no sound device; they do nothing.
void SetMusicVolume(float setting);
void SetEffectsVolume(float setting);
void SetCarSoundVolume(float setting);

// Renders this physics step's block of the game-sound stream (engine, tyre
// and wind sounds of nearby cars); called once at the end of every step.
// drawnAfter is the physics step's flag.
// Pending: no mixer; renders nothing.
void FeedGameSound(ObjectSet* set, int drawnAfter);

// The whole sound output: stopped and started around display-mode
// changes, closed at shut-down. Whether it runs, and the music stream.
// Pending: no sound runs; the answers are 0 and the rest do nothing.
void StopSound();
void StartSound();
void CloseSound();
int IsSoundRunning();
int IsMusicPlaying();
// Once per pass while sound and music run.
// Pending: no music; does nothing.
void RefillMusicStream();
// The music track chooser, once per root screen frame.
// Pending: no music; does nothing.
void UpdateMusic(int flag);
// Interface sounds: 0 click, 1 message, 2 system message, 3 invalid key, 4 error.
// Pending: nothing is played.
void PlayUiSound(int effect);
// The looping stream buffer: StopLoopingSound stops it when it plays and
// answers whether it was playing; RestartLoopingSound plays it again (1 or
// 0). Used around a rebuild of the graphics resources.
// Pending: no looping stream; both answer 0.
int StopLoopingSound();
int RestartLoopingSound();
