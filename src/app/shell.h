// The program shell's run: start-up, the main loop, shut-down, and the
// state that only the shell keeps.
//
// One thread does everything: each pass of the main loop paces the frame
// (it sleeps, never spins), advances the game clock, runs the chain of
// screens once, draws and presents, then takes the window's events and
// hands keys, characters and mouse events to the current screen.
#pragma once

#include <cstdint>

#include "core/services.h"
#include "graphics/services.h"

struct Screen;

// Digits typed with Alt held (at most 3).
struct AltNumberRecord {
    char digits[4] = {};
    int count = 0;

    constexpr bool operator==(const AltNumberRecord&) const = default;
};

// A packer turns a colour into the bits of a surface format.
using ColourPacker = uint32_t (*)(const ColourRecord& colour);

// What only the shell keeps: nothing below it reads this. Lives for the
// whole run; ResetAppTables sets it back.
struct ShellRecord {
    int exitCode = 0;             // what the program returns after a normal shut-down
    int quitFlag = 0;             // the loop ends after the current pass
    int quitReturnTarget = 0;     // where a quit returns to (1 the entry screen); 0 ends
    int hasConsoleWindow = 0;     // the window is the dedicated host's console
    int startTimeMinutes = 0;     // last-write time of the start-up write test, minutes
                                  // since 1601
    Screen* topScreen = nullptr;  // the top screen of the chain, run once per pass;
                                  // null ends the loop
    // The adapter mode record shown full screen (-1 none; found again at
    // every start) and the four quick modes' records ("INFO_F9" to "INFO_F12").
    int fullScreenModeIndex = -1;
    int quickModeIndex[4] = {-1, -1, -1, -1};
    int deviceBusy = 0;           // the graphics device is being created, reset or shut down
    // Information panel of F9 to F12 (0 none, 1..4) and its overlay, and the
    // results display (0..2, Ctrl+Tab); none of them saved.
    int infoPanel = 0;
    int infoOverlay = 0;
    int resultsMode = 0;
    int panelSelection = 0;       // the selected row of the in-race panels; function keys reset it
    int pendingMessageKey = 0;    // in console mode: the message key of a function key, plus 1
    AltNumberRecord altNumber;
    MouseEvent mouseEvent;        // what a screen's mouse handler receives
    // Requests that other code leaves for the loop, carried out and cleared
    // there: a screenshot, windowed mode, a full-screen mode (-1 none), the
    // controllers set up again, and the special textures to refill after a
    // mode change.
    int screenshotRequest = 0;
    int windowedRequest = 0;
    int fullScreenRequest = -1;
    int controllerReinitRequest = 0;
    int texturesNeedRestore = 0;
    // Bits per pixel and packer of the back buffer's format, and the packer
    // for textures (SetBackBufferFormat).
    int backBufferBits = 32;
    ColourPacker backBufferPacker = PackColourX888;
    ColourPacker texturePacker = MakeColour;
    // Called after the 2D layer when installed (the layout editor's).
    void (*renderHook)(int argument) = nullptr;
    int renderHookArgument = 0;
    // Standard colours 23, 24 and 25 of the pass: texts drawn in them flash
    // once a second.
    ColourRecord flashColours[3] = {};
};
extern ShellRecord Shell;

// Sets the shell's records back to their start-up values.
void ResetAppTables();

// Installs the hooks of every subsystem into the ones below it, then the
// shell's own into core. Start-up calls it first; tests of the whole shell
// call it too.
void InstallSubsystemHooks();
// The shell's quit as core's hook (RequestQuit).
void InstallAppCoreHooks();

// Runs the program as the command line says (the words of argv[1..]
// joined with blanks): start-up, the main loop, shut-down. Returns 0 after
// a hand-over to a running copy, the exit code of a start-up failure, else
// Shell.exitCode.
int RunProgram(const char* commandLine);
// Start-up: returns StartUpDone when the main loop may run, otherwise the
// exit code with which the program ends (its message has been shown).
constexpr int StartUpDone = -1;
int StartProgram(const char* commandLine);
void ShutDownProgram();
// One whole pass of the main loop, and passes until the quit flag is set.
void MainLoopPass();
void RunMainLoop();
// Set by SetQuitFlag: the loop ends after the current pass.
void SetQuitFlag();

// Starts quitting once (returns the quit state). Hosting live: the guests
// are told and the root's quit decision is 1. A target returns there
// instead of ending. Installed as core's RequestQuit.
int BeginQuit(int target);
// Stores the exit code and asks to quit (replay check, replay played from
// the command line).
void QuitWithExitCode(int code);

// Logs the text (while logging) and shows it in an error box; a box with
// no window or no display goes to standard error and never waits.
void ShowErrorBox(const char* text);

// The head tracker and the controllers, set up again on request.
void InitHeadTracker();
void InitControllers();
void RequestControllerReinit();
void FreeControllers();
