// The multiplayer game as the program shell, the race and the car step see
// it beyond the frame road and the connection table: the hold flag, the
// replay and position flags, the connection and car limits, InSim's state
// and buttons, ban and host lists and skin downloads. InSim, downloads, the
// multiplayer screen and the ban and host lists are not built yet: the
// temporary bodies (connection_pending.cpp, insim_pending.cpp,
// downloads_pending.cpp) answer as a program that has none of them.
#pragma once

#include <cstdint>

struct Screen;

// The network layer's hold flag: the timed race messages wait while set.
// Read-only outside the multiplayer layer.
extern const int& NetworkHold;
// A multiplayer replay plays; car positions travel by UDP. Read-only
// outside the multiplayer layer.
extern const int& MultiplayerReplayPlaying;
extern const int& UdpPositions;
// Pending: no replay plays; tests set it.
void SetMultiplayerReplayPlaying(int playing);
// Connection and car limits that the screens opened next adjust. Read-only
// outside the multiplayer layer.
extern const int& CurrentConnectionLimit;
extern const int& CurrentCarLimit;
void SetConnectionLimits(int connections, int cars);

// The race option words: allowed cars and race flags.
// Pending: not built; does nothing.
void SetRaceFlags(uint32_t carsMask, uint32_t flags);
// The multiplayer screen; with start mode 2 or 3 it goes on to start or join.
// Pending: no multiplayer screen; answers null.
Screen* OpenMultiplayerScreen(Screen* parent);

// Start-up and shut-down of the network's locks and lists.
// Pending: no locks and no host list; they do nothing.
void InitDownloadLocks();
void InitNetworkLock();
void FreeHostList();

// InSim: closed at shut-down, polled per frame while open.
// Pending: InSim never opens; it is not open and polling does nothing.
void CloseInSim();
void PollInSim();
int IsInSimOpen();
// While set by an outside program the game clock does not advance.
// Read-only outside the multiplayer layer.
extern const int& InSimTimeStop;
// Pending: no outside program sets it; tests set it.
void SetInSimTimeStop(int stop);
// The outside programs' buttons over a screen (flag 1: the screen shows
// its own menu or session).
// Pending: no buttons; they do nothing.
void DrawInSimButtons(Screen* screen, int flag);
void ClearLocalButtons();
void ClearHostButtons();

// A finished skin download waits for the main loop to install it.
// Read-only outside the multiplayer layer.
extern const int& SkinDownloadWaiting;
// Pending: no downloads; clears the flag.
void ProcessFinishedSkin();
