// The multiplayer game as the program shell, the race and the car step see
// it: whether a game runs and what its host allows, the game packets of the
// car code, the connection and car limits, InSim's state and buttons, ban
// and host lists and skin downloads. The connection layer, the game bundle,
// InSim and downloads are not built yet: no multiplayer game runs, and the
// temporary bodies (connection_pending.cpp, insim_pending.cpp,
// downloads_pending.cpp) answer as a program that is offline and alone.
#pragma once

#include <cstdint>

struct Screen;

// 1 while a multiplayer session runs. Read-only outside the multiplayer
// layer; lives for the whole run.
// Pending: no session runs, so it stays 0 (tests set it).
extern const int& Online;
void SetOnline(int online);
// The network layer's hold flag: the timed race messages wait while set.
// Read-only outside the multiplayer layer.
extern const int& NetworkHold;
// The host rules word: bit 0x80 car resets allowed, bit 0x200 driving the
// wrong way allowed. Read-only outside the multiplayer layer.
extern const uint32_t& HostRules;
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

// Appends a game packet to the current game frame's bundle, sending the
// bundle first when it would pass 253 bytes.
// Pending: no game runs; the packet goes only to the watcher.
void QueueGamePacket(const uint8_t* bytes, int length);
// Pending: a stand-in watcher until the bundle is built: when set, it sees every
// packet QueueGamePacket is given. Cleared by ResetNetTables.
void SetGamePacketWatcher(void (*watcher)(const uint8_t* bytes, int length));
// False during the last 2 s of a vote countdown.
// Pending: no votes; answers 1.
int OutsideVoteFinalCountdown();
// An immediate packet to the host (handled locally on the host).
// Pending: there is no host; nothing is sent.
void SendToHost(const uint8_t* bytes, int length);
// 1 when this copy hosts a live multiplayer game.
// Pending: answers 0.
int IsHostingLive();
// Pending: no guests, no positions and no race flags; they do nothing.
void RemoveAllGuests();
// Asks the host to send car positions by TCP.
void RequestTcpPositions();
// The race option words: allowed cars and race flags.
void SetRaceFlags(uint32_t carsMask, uint32_t flags);
// The multiplayer screen; with start mode 2 or 3 it goes on to start or join.
// Pending: no multiplayer screen; answers null.
Screen* OpenMultiplayerScreen(Screen* parent);

// Start-up and shut-down of the network's locks and lists.
// Pending: no locks and no host list; they do nothing.
void InitDownloadLocks();
void InitNetworkLock();
void FreeHostList();
// Reads the ban file "data\misc\bans.ban".
// Pending: no ban list; logs once that it is not available.
void LoadBans();

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
