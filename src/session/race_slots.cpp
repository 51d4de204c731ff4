// Adding, removing and finding the race's player slots.
#include <cstring>

#include "session/race_car.h"
#include "session/services.h"

namespace {

constexpr int SelectionShowMs = 4000;

bool IsOwnConnection(int connection) { return connection == GetRaceHooks().ownConnection(); }

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// 1 when the plain form of text holds the plain form of part, case ignored.
bool PlainTextContains(const char* text, const char* part)
{
    char whole[PlainTextSize], piece[PlainTextSize];
    GetPlainText(whole, sizeof whole, text);
    const int n = GetPlainText(piece, sizeof piece, part);
    if (n == 0)
        return true;
    for (const char* start = whole; *start; ++start) {
        int i = 0;
        while (i < n && start[i] && FoldCase(start[i]) == FoldCase(piece[i]))
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

} // namespace

void TerminatePlayerTexts(PlayerDescriptor& descriptor)
{
    descriptor.name[PlayerNameSize - 1] = 0;
    descriptor.helmetSkin[HelmetSkinSize - 1] = 0;
}

RacePlayer* CheckCarsPerConnection(Race& race, const PlayerDescriptor& descriptor)
{
    const RaceHooks& hooks = GetRaceHooks();
    const int count = RaceSlotsInUse(race);
    if (count >= MaxRacePlayers) {
        LogPrintf("CheckCarsPerConnection : race full (%d)", MaxRacePlayers);
        return nullptr;
    }
    if (hooks.isOnline()) {
        int ofConnection = 0;
        for (int i = 0; i < count; ++i)
            if (race.players[i].descriptor.connection == descriptor.connection)
                ++ofConnection;
        if (ofConnection >= MaxPlayersPerConnection) {
            if (IsOwnConnection(descriptor.connection))
                hooks.printError(GetText(TX_3a_max3locl));
            return nullptr;
        }
    }
    RacePlayer& slot = race.players[count];
    slot = RacePlayer{};
    slot.descriptor = descriptor;
    TerminatePlayerTexts(slot.descriptor);
    race.playerCount = count + 1;
    if (IsOwnConnection(descriptor.connection)) {
        race.selectedSlot = count;
    } else if (slot.descriptor.type == PlayerLocal) {
        slot.descriptor.type = PlayerRemote;
    } else if (slot.descriptor.type == PlayerAi) {
        slot.descriptor.type = PlayerRemoteAi;
    }
    return &slot;
}

void RemovePlayer(Race& race, int index)
{
    const int count = RaceSlotsInUse(race);
    if (index < 0 || index >= count)
        return;
    const RaceHooks& hooks = GetRaceHooks();
    if (hooks.isInSimActive())
        hooks.inSimPlayerLeft(race.players[index]);
    if (hooks.isHost())
        hooks.rememberFreedPlayerId(race.players[index].descriptor.playerId);

    FreePlayerSlot(race.players[index]);
    for (int i = index; i < count - 1; ++i) {
        race.players[i] = race.players[i + 1];
        if (race.players[i].car)
            LinkCarToSlot(*race.players[i].car, race.players[i].carBlock);
    }
    race.players[count - 1] = RacePlayer{};
    race.playerCount = count - 1;
    if (race.selectedSlot > index)
        --race.selectedSlot;

    int kept = 0;
    for (int i = 0; i < race.orderLength && i < MaxRacePlayers; ++i) {
        const int entry = race.runningOrder[i];
        if (entry == index)
            continue;
        race.runningOrder[kept++] = static_cast<uint8_t>(entry > index ? entry - 1 : entry);
    }
    race.orderLength = static_cast<uint8_t>(kept);

    if (race.playerCount == 0) {
        hooks.clearEntryVotes();
        race.selectedSlot = 0;
    }
    if (race.selectedSlot >= 0 && race.selectedSlot < race.playerCount &&
        race.players[race.selectedSlot].descriptor.type != PlayerLocal)
        race.selectionTimer = SelectionShowMs;
}

CarObject* GetRaceSlotCar(const Race& race, int slot)
{
    return slot >= 0 && slot < RaceSlotsInUse(race) ? race.players[slot].car : nullptr;
}

int FindLocalPlayerIndex(const Race& race)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (race.players[i].descriptor.type == PlayerLocal)
            return i;
    return -1;
}

RacePlayer* FindLocalPlayer(Race& race)
{
    const int i = FindLocalPlayerIndex(race);
    return i < 0 ? nullptr : &race.players[i];
}

void SelectLastLocalPlayer(Race& race)
{
    race.selectionTimer = 0;
    race.selectedSlot = -1;
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (race.players[i].descriptor.type == PlayerLocal)
            race.selectedSlot = i;
}

int HasLocalPlayer(const Race& race) { return FindLocalPlayerIndex(race) >= 0; }

int HasPlayerOfConnection(const Race& race)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (IsOwnConnection(race.players[i].descriptor.connection))
            return 1;
    return 0;
}

int FindPlayerIndexById(const Race& race, int playerId)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (race.players[i].descriptor.playerId == playerId)
            return i;
    return -1;
}

RacePlayer* FindPlayerById(Race& race, int playerId)
{
    const int i = FindPlayerIndexById(race, playerId);
    return i < 0 ? nullptr : &race.players[i];
}

int FindPlayerIndexByName(const Race& race, const char* name)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (EqualsNoCase(race.players[i].descriptor.name, name))
            return i;
    return -1;
}

RacePlayer* FindPlayerByName(Race& race, const char* name)
{
    const int i = FindPlayerIndexByName(race, name);
    return i < 0 ? nullptr : &race.players[i];
}

RacePlayer* FindPlayerOfConnection(Race& race, int connection)
{
    const char* driver = GetRaceHooks().connectionDriverName(connection);
    if (!driver)
        return nullptr;
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        RacePlayer& slot = race.players[i];
        if (slot.descriptor.connection == connection && EqualsNoCase(slot.descriptor.name, driver))
            return &slot;
    }
    return nullptr;
}

int FindPlayerIndexOfCar(const Race& race, const CarObject* car)
{
    if (!car)
        return -1;
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (race.players[i].car == car)
            return i;
    return -1;
}

RacePlayer* FindPlayerOfCar(Race& race, const CarObject* car)
{
    const int i = FindPlayerIndexOfCar(race, car);
    return i < 0 ? nullptr : &race.players[i];
}

RacePlayer* FindPlayerByPartName(Race& race, const char* text, int all)
{
    RacePlayer* found = nullptr;
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        RacePlayer& slot = race.players[i];
        const int type = slot.descriptor.type;
        if (!all && type != PlayerLocal && type != PlayerAi)
            continue;
        if (!PlainTextContains(slot.descriptor.name, text))
            continue;
        if (found)
            return nullptr;
        found = &slot;
    }
    return found;
}

int IsNameUsedElsewhere(const Race& race, const char* name, int connection)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        const PlayerDescriptor& d = race.players[i].descriptor;
        if (d.connection != connection && EqualsPlainText(d.name, name))
            return 1;
    }
    return 0;
}

int IsNameInUse(const Race& race, const char* name, int connection)
{
    const char* driver = GetRaceHooks().connectionDriverName(connection);
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        const PlayerDescriptor& d = race.players[i].descriptor;
        if (d.connection == connection && !(driver && EqualsPlainText(d.name, driver)) &&
            EqualsPlainText(d.name, name))
            return 1;
    }
    return IsNameUsedElsewhere(race, name, connection);
}
