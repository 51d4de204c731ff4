// Multiplayer, replays and external interfaces: the services other subsystems may use.
#pragma once

#include "core/services.h"

// Resets every table this subsystem owns to its start-up state.
void ResetNetTables();

// ---------------------------------------------------------------------------
// Host options, track defaults and InSim start that the settings and the
// command line use (temporary bodies in host_options_stub.cpp until the
// multiplayer session is built).

// Current track "Hollowmere", configuration 1, not reversed, light scheme 0.
void SetDefaultTrack();
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
