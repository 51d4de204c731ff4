// What reaches the program shell from outside while it runs: the window's
// events, taken a bounded number a pass, and the requests of other copies
// of the program (a file handed over, a request to close).
#pragma once

namespace platform {
struct HandOverPeer;
}

// Window events taken in one pass at most; the rest wait for the next
// pass. Far above what a user makes in a frame (a fast mouse sends some
// tens), low enough that a flood cannot hold a pass for long.
constexpr int MaxWindowEventsPerPass = 256;

// The running copy's answer to any request of another copy: a request to
// close is taken as the window's close button (RequestQuit) and answered
// 1; a file goes to OnFileRequest.
int OnHandOverRequest(int kind, const char* name);

// The start mode "kill": asks the running copy (null when none runs) to
// close. Returns 1 when it took the request; otherwise shows why not (no
// copy runs, it does not answer) and returns 0.
int EndRunningCopy(const platform::HandOverPeer* runningCopy);
