// Multiplayer, replays and external interfaces: declarations shared only
// inside the subsystem.
#pragma once

#include <cstdint>

#include "core/services.h"
#include "net/services.h"

// What the multiplayer layer keeps for the whole run, exported read-only
// under the names in the area headers. Set back by ResetNetTables in one
// assignment.
constexpr int HostConsoleLineSize = 96;
struct NetRecord {
    int online = 0;                       // Online
    int networkHold = 0;                  // NetworkHold
    uint32_t hostRules = 0;               // HostRules
    int multiplayerReplayPlaying = 0;     // MultiplayerReplayPlaying
    int udpPositions = 0;                 // UdpPositions
    int currentConnectionLimit = 16;      // CurrentConnectionLimit
    int currentCarLimit = 12;             // CurrentCarLimit
    int inSimTimeStop = 0;                // InSimTimeStop
    int skinDownloadWaiting = 0;          // SkinDownloadWaiting
    int mprMessageBlocking = 0;           // MprMessageBlocking
    void (*gamePacketWatcher)(const uint8_t* bytes, int length) = nullptr;
    // The line being typed on the host console.
    char consoleLine[HostConsoleLineSize] = {};
    int consoleLength = 0;
    // Which services that are not built yet have said so in the log.
    bool bansNoted = false;

    bool operator==(const NetRecord&) const = default;
};
extern NetRecord MutableNet;

// The host options, exported read-only as HostOptions (host_options.cpp).
extern HostOptionsRecord MutableHostOptions;
