// Hand-over between two copies of the program: a copy started with a
// replay, setup or layout file finds the copy that already runs and hands
// the file to it, and a copy started to end the running one asks it to
// close. Each running copy listens on a local socket of its own in the
// user's runtime folder, named after the window class "QVN"; a request
// carries the file kind (1 to 4) and, for a replay, its name, or the close
// kind, and the running copy answers with a number (1 taken, 3 busy, 4 bad
// name).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// A running copy that answered: the address its socket has.
struct HandOverPeer {
    std::string address;
};

// Longest name a request carries (the receiver refuses longer names).
constexpr int HandOverNameSize = 64;

// The kind of a request to close, as the window's close button would.
constexpr int HandOverCloseKind = 6;

// How long a sender waits for the answer, in milliseconds. A running copy
// answers from its main loop, whose passes take tens of milliseconds; one
// that has not answered in this time is stuck, and the user learns so soon.
constexpr uint32_t HandOverReplyTimeoutMs = 2000;

// What SendHandOver returns when the copy took the request but sent no
// answer in time (a copy answers 0 or more).
constexpr int HandOverNoAnswer = -1;

// The folder the sockets live in: $XDG_RUNTIME_DIR/quorvan, or
// /tmp/quorvan-<uid> when there is no runtime folder; created with mode
// 0700 when missing. Empty when it cannot be made safe (not ours, not a
// folder, open to others).
std::string HandOverFolder();

// Looks for another running copy: the first socket of the folder that
// accepts a connection. Sockets that nobody listens on any more are
// removed. Returns 1 and fills peer when one answers, else 0.
int FindRunningCopy(HandOverPeer& peer);

// Sends a request and waits for the answer. Returns the answer, 0 when the
// copy could not be reached, or HandOverNoAnswer when it took the request
// and did not answer in time.
int SendHandOver(const HandOverPeer& peer, int kind, std::string_view name);

// Starts listening for requests; returns 1 when listening (also when
// already listening).
int HandOverListen();

// The receiver's handler: the request's kind and name (zero-terminated,
// at most HandOverNameSize - 1 characters; a longer name arrives as
// nullptr); returns the answer to send.
using HandOverHandler = int (*)(int kind, const char* name);

// Serves every request waiting on the socket, each on the calling thread,
// without blocking when none waits. Call it with the window messages.
// Returns the number of requests served.
int HandOverPoll(HandOverHandler handler);

// Stops listening and removes this copy's socket.
void HandOverClose();

} // namespace platform
