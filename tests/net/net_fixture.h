// The multiplayer layer's test ground: clean tables in a temporary folder
// whose debug log holds every message the layer shows, a host session of a
// few connections with links, and a race with players.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/local.h"
#include "session/services.h"
#include "support/temp_folder.h"

using Bytes = std::vector<uint8_t>;

class NetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The messages shown since the last call (one line each).
    std::string TakeLog();
    // Whether a message holding the text was shown since the last TakeLog.
    bool Shown(const std::string& text);

    // A session of count connections with ids 10, 11, ... (the host 0),
    // named "Host", "Guest1", ...; this computer is ownIndex, the host when 0.
    void StartSession(int count, int ownIndex = 0);
    // A link on the host that carries connection c, open.
    ClientLink& AddLink(int c);
    // A host of three connections with a link to each guest.
    void StartHostWithTwoGuests();
    // A race whose slots belong to the connections given, with ids 1, 2, ...
    // and names "P1", "P2", ...
    Race& StartRace(const std::vector<int>& connections);

    TempFolder folder;

private:
    size_t logRead = 0;
};

// Puts the game clock at ms, or moves it on by ms.
void SetGameClockMs(uint32_t ms);
void AdvanceGameClockMs(int ms);
// A game packet of a type and length with byte 1 and the rest zero.
Bytes MakePacket(int type, int length, int byte1 = 0);
