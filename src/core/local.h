// Declarations shared only inside the application core.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/rounding.h"

// Upper case of the letters a to z only, the same in every locale.
inline char AsciiToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
// 1 when two texts are equal with letters a to z compared without regard to
// case, the same in every locale.
int EqualsNoCase(const char* first, const char* second);
// Empties the alternating buffers of PrepareColourText.
void ResetTextHelpers();

// The text of a command-line or hand-over message, in the current language.
const char* CommandLineText(const char* english);
// 1 when HandOverFile ended the program with an error message rather than
// by handing the file over (set only by HandOverFile; start-up reads it
// for the exit code).
extern int HandOverRefused;
// Sets the command line's results (start mode, modes, replay request, path
// formats) back to their start-up values.
void ResetCommandLine();

// ---------------------------------------------------------------------------
// The program shell's own parts (main_loop.cpp, startup.cpp, shutdown.cpp,
// window*.cpp, root_screen.cpp).

struct Screen;
// The top screen of the chain, run once per pass; null ends the loop.
// Lives from the end of start-up to the end of the loop.
extern Screen* TopScreen;
// Real time at which the current pass started.
extern uint32_t PassStart;
// The fraction of a millisecond carried to the next pass below a time
// scale of 0.9. Lives for the whole run.
extern float CarriedFraction;
// 1 when the window is the dedicated host's console (graphics off, not
// invisible).
extern int HasConsoleWindow;

// Steps of one pass: the frame pacing (reads RealTime and RealElapsed,
// sleeping as needed) and the game clock (RealElapsed to FrameStep and
// GameClock).
void PaceFrame();
void AdvanceGameClock();
// One whole pass of the main loop.
void MainLoopPass();
// Passes until QuitFlag is set.
void RunMainLoop();

// Start-up: returns StartUpDone when the main loop may run, otherwise the
// exit code with which the program ends (its message has been shown).
constexpr int StartUpDone = -1;
int StartProgram(const char* commandLine);
void ShutDownProgram();
// The display mode of start-up: ConfiguredMode, the quick modes'
// records, FullScreenModeIndex and ClientSize from the adapter's modes.
void ChooseDisplayMode();

// Sets the shell's globals back to their start-up values.
void ResetShell();
