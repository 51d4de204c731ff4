// Fuzz target for the game packets of players, cars, race control and pits
// applied to a running race: a host with two guests and three players with
// cars. The input is a run of chunks [sender][type pick][game kind][bytes];
// each packet is given the exact length of its type and goes through the
// dispatch. Whatever the bytes, nothing is read or written outside a
// buffer, the race keeps at most 32 players with terminated names, and
// every car's set-up holds numbers only.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "net/services.h"
#include "session/services.h"
#include "vehicle/services.h"

namespace {

// The types of these families.
constexpr uint8_t Types[] = {2,  4,  5,  6,  8,  9,  10, 11, 14, 15, 17, 18, 23, 26, 27, 28, 29, 30, 31,
                             35, 38, 39, 40, 42, 45, 46, 50, 52, 55, 56, 57, 60, 66, 67, 69, 70, 71, 73,
                             74, 75, 76, 77, 78, 79, 80, 81, 86};
constexpr int MaxPacketLength = 212;

void StartRaceOfThree()
{
    ResetNetTables();
    ResetSession(1, 0);
    for (uint8_t ucid : {11, 12}) {
        uint8_t packet[60] = {GpNewConnection, ucid};
        HandleGamePacket(0, packet, sizeof packet);
    }
    Race& race = CreateCurrentRace();
    race.playerCount = 3;
    for (int i = 0; i < 3; ++i) {
        RacePlayer& slot = race.players[i];
        slot.descriptor.connection = static_cast<uint8_t>(i);
        slot.descriptor.playerId = static_cast<uint8_t>(i + 1);
        std::memcpy(slot.descriptor.name, ConnectionTable.connections[i].name, PlayerNameSize - 1);
        slot.car = new CarObject;
        ConstructCar(*slot.car);
        slot.car->net.remote = i != 0;
    }
    race.raceLength = 3;
}

void CheckRace()
{
    const Race* race = CurrentRace;
    if (!race)
        return;
    if (race->playerCount < 0 || race->playerCount > MaxRacePlayers || race->resultCount > MaxRacePlayers)
        std::abort();
    for (int i = 0; i < race->playerCount; ++i) {
        const RacePlayer& slot = race->players[i];
        if (!std::memchr(slot.descriptor.name, 0, PlayerNameSize) ||
            !std::memchr(slot.descriptor.helmetSkin, 0, HelmetSkinSize))
            std::abort();
        if (slot.car && !IsSetupFinite(slot.carBlock.setup))
            std::abort();
        if (slot.car && !std::memchr(slot.car->net.message, 0, sizeof slot.car->net.message))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool tablesReset = [] {
        ResetCoreTables();
        ResetVehicleTables();
        ResetSessionTables();
        return true;
    }();
    (void)tablesReset;
    StartRaceOfThree();
    size_t at = 0;
    while (at + 3 <= size) {
        const int sender = data[at] % ConnectionTable.count;
        const uint8_t type = Types[data[at + 1] % sizeof Types];
        SetGameKind(1 + data[at + 2] % 2);
        at += 3;
        uint8_t packet[MaxPacketLength] = {};
        const int length = GamePacketLength(type);
        const size_t taken = std::min<size_t>(static_cast<size_t>(length - 1), size - at);
        packet[0] = type;
        std::memcpy(packet + 1, data + at, taken);
        at += taken;
        HandleGamePacket(sender, packet, length);
        CheckRace();
    }
    SetGameKind(1);
    FreeCurrentRace();
    return 0;
}
