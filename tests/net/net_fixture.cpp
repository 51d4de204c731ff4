// The multiplayer layer's test ground.
#include "net_fixture.h"

#include <cstdio>
#include <cstring>

void NetTest::SetUp()
{
    ResetCoreTables();
    ResetSessionTables();
    ResetNetTables();
    ASSERT_EQ(StartDebugLog(), "");
    TakeLog();
}

void NetTest::TearDown()
{
    FreeCurrentRace();
    ResetNetTables();
    ResetSessionTables();
    ResetCoreTables();
}

std::string NetTest::TakeLog()
{
    const std::string log = folder.ReadFile(DebugLogName());
    std::string fresh = log.size() > logRead ? log.substr(logRead) : std::string();
    logRead = log.size();
    // The log writes the colour reset after a name as "^L"; the tests look
    // for the words as shown.
    for (size_t at; (at = fresh.find("^L")) != std::string::npos;)
        fresh.erase(at, 2);
    return fresh;
}

bool NetTest::Shown(const std::string& text) { return TakeLog().find(text) != std::string::npos; }

void NetTest::StartSession(int count, int ownIndex)
{
    ResetSession(count, ownIndex);
    MutableMultiplayerMode.online = 1;
    MutableMultiplayerMode.host = ownIndex == 0;
    for (int i = 0; i < count; ++i) {
        Connection& c = MutableConnectionTable.connections[i];
        c.ucid = static_cast<uint8_t>(i == 0 ? 0 : 9 + i);
        if (i == 0)
            std::snprintf(c.name, sizeof c.name, "Host");
        else
            std::snprintf(c.name, sizeof c.name, "Guest%d", i);
    }
}

ClientLink& NetTest::AddLink(int c)
{
    ClientLink& link = ClientLinkTable.links[ClientLinkTable.linkCount++];
    link = ClientLink{};
    link.open = 1;
    link.connection = static_cast<uint8_t>(c);
    return link;
}

void NetTest::StartHostWithTwoGuests()
{
    StartSession(3);
    AddLink(1);
    AddLink(2);
}

Race& NetTest::StartRace(const std::vector<int>& connections)
{
    Race& race = CreateCurrentRace();
    for (size_t i = 0; i < connections.size(); ++i) {
        PlayerDescriptor& d = race.players[i].descriptor;
        std::snprintf(d.name, sizeof d.name, "P%zu", i + 1);
        d.connection = static_cast<uint8_t>(connections[i]);
        d.type = connections[i] == ConnectionTable.ownIndex ? PlayerLocal : PlayerRemote;
        d.playerId = static_cast<uint8_t>(i + 1);
    }
    race.playerCount = static_cast<int>(connections.size());
    return race;
}

void SetGameClockMs(uint32_t ms)
{
    GameTimeRecord time = GameTime;
    time.clockMs = ms;
    SetGameTime(time);
}

void AdvanceGameClockMs(int ms) { SetGameClockMs(GameTime.clockMs + static_cast<uint32_t>(ms)); }

Bytes MakePacket(int type, int length, int byte1)
{
    Bytes packet(static_cast<size_t>(length), 0);
    packet[0] = static_cast<uint8_t>(type);
    if (length > 1)
        packet[1] = static_cast<uint8_t>(byte1);
    return packet;
}
