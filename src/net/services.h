// Multiplayer, replays and external interfaces: the services other subsystems may use.
#pragma once

#include "core/services.h"
#include "net/connections.h"
#include "net/frame_road.h"
#include "net/game_packets.h"
#include "net/race_hooks.h"
#include "net/race_requests.h"
#include "net/race_settings.h"

// Resets every table this subsystem owns to its start-up state.
void ResetNetTables();

// ---------------------------------------------------------------------------
// Host options, track defaults and InSim start that the settings and the
// command line use (temporary bodies in host_options_stub.cpp until the
// multiplayer session is built).

// "MP Speedup Opt" as configured before an InSim request changed it, to be
// saved in its place; -1 when InSim has not changed it. Lives for the whole run.
extern int InSimKeptSpeedupOpt;

// Race options of a host, set by the command line and the host commands.
// Live for the whole run.
extern int RaceLengthCode;      // laps 1..100, 100 + laps/10 above, 190 + hours
extern int QualifyMinutes;      // 0..60
extern int WindLevel;           // 0..2
extern int RestartMinSeconds;   // 0..300: before a restart vote counts
extern int RestartEndSeconds;   // 0..300: after a race end before the restart
extern uint32_t RaceCarsMask;   // the allowed cars of the race, bit n for car n
constexpr int HostFileNameSize = 32;
extern char TracksFileName[HostFileNameSize];  // host's track list file, empty when none
constexpr int AccountPasswordSize = 24;
extern char AccountPassword[AccountPasswordSize];  // password of the master-server account
constexpr int WelcomeTextSize = 200;
extern char WelcomeText[WelcomeTextSize];  // host's welcome text, empty when none
constexpr int InSimPortTextSize = 8;
extern char InSimPortText[InSimPortTextSize];  // the InSim port as text, "0" when none

// Reads the first 199 characters of the file as the host's welcome text;
// returns 1 when it was read.
int LoadWelcomeText(const char* fileName);
// Opens InSim on InSimPortText; returns 1 when it listens.
int OpenInSim();
// Sets the host options above back to their start-up values.
void ResetHostOptions();

// ---------------------------------------------------------------------------
// What the program shell uses of the multiplayer layer, InSim, replays,
// downloads and the host console (temporary bodies in shell_pending.cpp
// until they are built: no session, no InSim, no replay opens, and the host
// console is a bare command line on the terminal).

struct Screen;

// Start-up and shut-down.
void InitDownloadLocks();
void InitNetworkLock();
// Reads the ban file "data\misc\bans.ban".
void LoadBans();
void FreeHostList();
void CloseInSim();
// Per frame while InSim is open.
void PollInSim();
int IsInSimOpen();
// While set by an outside program the game clock does not advance.
extern int InSimTimeStop;
// The outside programs' buttons over a screen (flag 1: the screen shows
// its own menu or session).
void DrawInSimButtons(Screen* screen, int flag);
void ClearLocalButtons();
void ClearHostButtons();

// A finished skin download waits for the main loop to install it.
extern int SkinDownloadWaiting;
void ProcessFinishedSkin();

// The dedicated host's console: set up (console mode on), painted, kept up
// to date once per pass, and fed with typed keys.
void InitHostConsole();
void PaintHostWindow();
void UpdateHostWindow();
void OnHostConsoleKey(int code);

// Multiplayer state the shell reads.
extern int MultiplayerReplayPlaying;
extern int UdpPositions;  // car positions travel by UDP
// Connection and car limits that the screens opened next adjust.
extern int CurrentConnectionLimit;
extern int CurrentCarLimit;
// The race option words: allowed cars and race flags.
void SetRaceFlags(uint32_t carsMask, uint32_t flags);
// The multiplayer screen; with StartMode 2 or 3 it goes on to start or join.
Screen* OpenMultiplayerScreen(Screen* parent);

// Replays: opening (1 when opened), the start block (1 when the race is
// set up), the length scan and the frame count (0 until scanned).
int OpenMprPlayback(Screen* screen, const char* name);
int OpenSprForPlayback(Screen* screen, const char* name, int hotLapAllowed);
int ReadMprStart(Screen* screen);
int SetUpRaceFromSpr(Screen* screen);
void MeasureMprLength();
void MeasureSprLength();
int ReplayFrameCount();
// Connections of the open multiplayer replay.
int MprConnectionCount();
// Whether a multiplayer replay blocks messages ("MPR Message Block").
extern int MprMessageBlocking;
// Skins of the replay's players missing on disk; the download window.
int CountMissingSkins();
Screen* OpenSkinDownloadWindow(Screen* parent);
// The replay browser with its two choice callbacks; 1 while it is idle.
Screen* OpenReplayBrowser(Screen* parent, void (*chooseSpr)(const char*), void (*chooseMpr)(const char*));
int IsReplayBrowserIdle();

// ---------------------------------------------------------------------------
// The run-state word of the car step (temporary body in car_step_pending.cpp
// until the state checks are built: nothing holds the race messages).

// The network layer's hold flag: the timed race messages wait while set.
extern int NetworkHold;
