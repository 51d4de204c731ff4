// The host status file "host<port>.txt" or "guest.txt", which tells outside
// tools what a host or guest is doing; the multiplayer code fills it.
#pragma once

#include <cstdint>
#include <string>

// What the host status file shows; the multiplayer code fills it.
struct HostStatus {
    bool replayPlaying = false;    // a multiplayer replay plays: the file is left alone
    bool guest = false;            // this copy is a guest (else a host)
    bool inGame = false;           // a race runs
    bool sessionRunning = false;   // a host runs a multiplayer session
    const char* joinedHost = "";   // a guest's host name
    const char* gamePort = "";     // a host's port text, names the file
    int guests = 0;                // connections less the host
    int maxGuests = 0;
    const char* hostName = "";
    const char* password = "";
    int useMaster = 0;             // 0 no, 1 yes, 2 hidden
    const char* trackCode = "";    // as FormatTrackCode gives it
    uint32_t carsMask = 0;         // bit n for car n
    int qualifyMinutes = 0;
    int raceLengthCode = 0;        // laps up to 190, 190 + hours above
    int laps = 0;                  // the laps or hours the code stands for
    const char* const* connectionNames = nullptr;
    int connectionCount = 0;
};
// The name of the status file: "guest.txt" or "host<port>.txt".
std::string HostStatusFileName(const HostStatus& status);
// Writes the status file (nothing while a multiplayer replay plays);
// returns 1 when written.
int WriteHostStatus(const HostStatus& status);
// Deletes the status file (nothing while a multiplayer replay plays).
void DeleteHostStatus(const HostStatus& status);
