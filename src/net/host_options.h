// Host options: the race options of a host that the command line and the
// host commands set, the track defaults, the welcome text and the InSim
// port; and InSim's start, which is not built yet.
#pragma once

#include <cstdint>

constexpr int HostFileNameSize = 32;
constexpr int AccountPasswordSize = 24;
constexpr int WelcomeTextSize = 200;
constexpr int InSimPortTextSize = 8;

// The host's options. Read-only outside the multiplayer layer; lives for
// the whole run (ResetHostOptions sets it back).
struct HostOptionsRecord {
    // "MP Speedup Opt" as configured before an InSim request changed it, to
    // be saved in its place; -1 when InSim has not changed it.
    int inSimKeptSpeedupOpt = -1;
    int raceLengthCode = 0;       // laps 1..100, 100 + laps/10 above, 190 + hours
    int qualifyMinutes = 0;       // 0..60
    int windLevel = 0;            // 0..2
    int restartMinSeconds = 0;    // 0..300: before a restart vote counts
    int restartEndSeconds = 0;    // 0..300: after a race end before the restart
    uint32_t raceCarsMask = 0xFFFFF;                   // the allowed cars of the race, bit n for car n
    char tracksFileName[HostFileNameSize] = {};        // host's track list file, empty when none
    char accountPassword[AccountPasswordSize] = {};    // password of the master-server account
    char welcomeText[WelcomeTextSize] = {};            // host's welcome text, empty when none
    char inSimPortText[InSimPortTextSize] = "0";       // the InSim port as text, "0" when none

    bool operator==(const HostOptionsRecord&) const = default;
};
extern const HostOptionsRecord& HostOptions;
// Replaces the host options (the command line and the host commands).
void SetHostOptions(const HostOptionsRecord& options);
// Sets the host options back to their start-up values.
void ResetHostOptions();

// Current track "Hollowmere", configuration 1, not reversed, light scheme 0.
void SetDefaultTrack();
// Reads the first 199 characters of the file as the host's welcome text;
// returns 1 when it was read.
int LoadWelcomeText(const char* fileName);
// Opens InSim on the options' InSim port; returns 1 when it listens.
// Pending: InSim is not built yet (insim_pending.cpp); logs and answers 0.
int OpenInSim();
