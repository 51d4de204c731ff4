// A race world of fakes for the car's race logic: one pit-lane speed zone,
// one pit box, one player slot with its orders, and a network that keeps
// every packet the car sends so that a test can read them back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vehicle/local.h"

// A packet as a car sent it, and where it went.
struct SentPacket {
    std::string road;  // "game", "recorded", "host", "guests", "player"
    std::vector<uint8_t> bytes;
    int playerId = -1;  // for "player"
};

// What the fakes answer and what they saw. One per test process; Install
// starts it afresh.
struct FakeRace {
    // The speed zone: x from zoneStart to zoneEnd (m), any y, limit byte.
    double zoneStart = 0, zoneEnd = 200;
    int zoneLimitByte = 79;
    FixedVector pitBox{FixedFromMetres(100.0f), Fixed{}, Fixed{}};
    CarSlotOrders orders;
    int laps = 0;
    int online = 1;
    uint32_t hostRules = 0;
    int racing = 1;
    CarObject* slotCars[2] = {};
    CarViewState view;
    std::vector<SentPacket> sent;
    std::vector<std::string> messages;
    std::vector<std::pair<int, int>> sanctions;
    int bundlesSent = 0;

    // Every packet of a type, in order.
    std::vector<std::vector<uint8_t>> OfType(uint8_t type) const
    {
        std::vector<std::vector<uint8_t>> found;
        for (const SentPacket& packet : sent)
            if (!packet.bytes.empty() && packet.bytes[0] == type)
                found.push_back(packet.bytes);
        return found;
    }
};

inline FakeRace& TheFakeRace()
{
    static FakeRace race;
    return race;
}

inline void KeepSentPacket(const char* road, const uint8_t* bytes, int length, int playerId = -1)
{
    TheFakeRace().sent.push_back({road, std::vector<uint8_t>(bytes, bytes + length), playerId});
}

// Installs the fakes over the least bodies and starts them afresh.
inline void InstallFakeRace()
{
    TheFakeRace() = FakeRace{};
    TheFakeRace().orders.playerId = 7;
    TheFakeRace().orders.tyreWearLimit = 30;
    CarPathHooks path = GetCarPathHooks();
    path.speedZoneAt = [](Fixed x, Fixed, int& limitByte) {
        const FakeRace& race = TheFakeRace();
        const double metres = x.raw / 65536.0;
        if (metres < race.zoneStart || metres > race.zoneEnd)
            return -1;
        limitByte = race.zoneLimitByte;
        return 0;
    };
    path.pitBoxes = [](FixedVector* boxes, int capacity) {
        if (capacity < 1)
            return 0;
        boxes[0] = TheFakeRace().pitBox;
        return 1;
    };
    path.lowestSpeedLimit = [] { return TheFakeRace().zoneLimitByte + 1; };
    SetCarPathHooks(path);
    CarRaceHooks race = GetCarRaceHooks();
    race.raceRunning = [] { return TheFakeRace().racing != 0; };
    race.slotOrders = [](int slot, CarSlotOrders& orders) {
        if (slot != 0)
            return false;
        orders = TheFakeRace().orders;
        return true;
    };
    race.raceSlotCars = [](CarObject** slots, int capacity) {
        int count = capacity < 2 ? capacity : 2;
        for (int i = 0; i < count; i++)
            slots[i] = TheFakeRace().slotCars[i];
        return count;
    };
    race.raceLapCount = [] { return TheFakeRace().laps; };
    race.isPlayerCar = [](const CarObject&) { return true; };
    race.viewState = [] { return TheFakeRace().view; };
    SetCarRaceHooks(race);
    CarNetHooks net = GetCarNetHooks();
    net.isOnline = [] { return TheFakeRace().online; };
    net.hostRules = [] { return TheFakeRace().hostRules; };
    net.queueGamePacket = [](const uint8_t* bytes, int length) { KeepSentPacket("game", bytes, length); };
    net.queueRecordedGamePacket = [](const uint8_t* bytes, int length) { KeepSentPacket("recorded", bytes, length); };
    net.sendToHost = [](const uint8_t* bytes, int length) { KeepSentPacket("host", bytes, length); };
    net.sendToAllGuests = [](const uint8_t* bytes, int length) { KeepSentPacket("guests", bytes, length); };
    net.sendToPlayer = [](int playerId, const uint8_t* bytes, int length) {
        KeepSentPacket("player", bytes, length, playerId);
    };
    net.sanctionPlayer = [](int playerId, int action) { TheFakeRace().sanctions.push_back({playerId, action}); };
    net.sendGameBundle = [] { TheFakeRace().bundlesSent++; };
    SetCarNetHooks(net);
    CarMessageHooks messages = GetCarMessageHooks();
    messages.printMessage = [](const char* text, int) { TheFakeRace().messages.push_back(text); };
    SetCarMessageHooks(messages);
}
