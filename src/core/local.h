// Declarations shared only inside the application core: the writable
// records behind the read-only globals of the door, and helpers of the
// core's own files.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "core/rounding.h"
#include "core/services.h"

// The writable records of the exported read-only globals (the door
// declares each as a const reference to its record).
extern SettingsRecord MutableSettings;
extern DerivedSettingsRecord MutableDerivedSettings;
extern GameTimeRecord MutableGameTime;
extern ProgramModeRecord MutableProgramMode;
extern DataPathRecord MutableDataPaths;
extern ScreenSizeRecord MutableScreenSize;
extern DisplayPassRecord MutableDisplayPass;
extern InputStateRecord MutableInputState;
extern PlayerProfileRecord MutablePlayerProfile;
extern UserList MutableUserTable;
extern ObjectModel* MutableBodyObjects[BodyCodeCount];
extern std::array<uint32_t, 256> MutableCrcTable;
extern TrigTableSet MutableTrigTables;
extern DegreePair MutableDegreeTable[DegreeTableSize];
extern MessageTextTable MutableMessageTexts;
extern char MutableSecondLanguageName[LanguageNameSize];

// Periods of the clock nudge: entry k-1 is 5000 / k ms rounded to the
// nearest integer, ties to even. Built by BuildClockNudgeTable; lives for
// the whole run.
extern std::array<int32_t, ClockNudgeCount> ClockNudgeTable;

// The slot of a text entry, for the language loader and the reset (the
// table hands slots out read-only).
const char** WritableSlot(const TextEntry& entry);

// Empties the alternating buffers of PrepareColourText.
void ResetTextHelpers();
// Sets the shell's records (program mode, data paths, sizes, display pass,
// input state) and the game clock back to their start-up values.
void ResetShellState();
