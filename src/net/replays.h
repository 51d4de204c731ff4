// Replays as the program shell opens and plays them. They are not built
// yet: no replay opens, and the temporary bodies (replays_pending.cpp) say
// so and answer failure.
#pragma once

struct Screen;

// Replays: opening (1 when opened), the start block (1 when the race is
// set up), the length scan and the frame count (0 until scanned).
// Pending: nothing opens; the openings log and answer 0, the start blocks
// answer 0 and the scans do nothing.
int OpenMprPlayback(Screen* screen, const char* name);
int OpenSprForPlayback(Screen* screen, const char* name, int hotLapAllowed);
int ReadMprStart(Screen* screen);
int SetUpRaceFromSpr(Screen* screen);
void MeasureMprLength();
void MeasureSprLength();
int ReplayFrameCount();
// Connections of the open multiplayer replay.
// Pending: none; answers 0.
int MprConnectionCount();
// Whether a multiplayer replay blocks messages ("MPR Message Block").
// Read-only outside the multiplayer layer.
extern const int& MprMessageBlocking;
void SetMprMessageBlocking(int blocking);
// Skins of the replay's players missing on disk; the download window.
// Pending: none missing; no window opens.
int CountMissingSkins();
Screen* OpenSkinDownloadWindow(Screen* parent);
// The replay browser with its two choice callbacks; 1 while it is idle.
// Pending: no browser opens; answers null and 0.
Screen* OpenReplayBrowser(Screen* parent, void (*chooseSpr)(const char*), void (*chooseMpr)(const char*));
int IsReplayBrowserIdle();
