// How far each player has got: the running order, the race length, the
// hot-lap validity, and the checksums and skin list of the slots.
#include <cstdio>
#include <cstring>

#include "session/race_car.h"
#include "session/local.h"
#include "world/services.h"

namespace {

// Where a car stands for the running order: laps, then nodes past the
// finish line.
struct OrderKey {
    int laps = 0;
    int distance = 0;
};

// Whether a ranks ahead of b: more laps, or as many laps and further on.
bool IsAhead(const OrderKey& a, const OrderKey& b)
{
    return a.laps > b.laps || (a.laps == b.laps && a.distance > b.distance);
}

int NodesPast(int node, int from, int nodeCount)
{
    const int d = (node - from) % nodeCount;
    return d < 0 ? d + nodeCount : d;
}

// Appends a name to the skin list unless it holds it already (case ignored).
void AddUniqueName(SkinListEntry* list, int& count, const char* name, int32_t value)
{
    if (count >= SkinListCapacity)
        return;
    for (int i = 0; i < count; ++i)
        if (EqualsNoCase(list[i].name, name))
            return;
    list[count].value = value;
    CopyFixedString(list[count].name, name, SkinListNameSize);
    ++count;
}

} // namespace

void BuildRunningOrder(Race& race, int nodeCount, int finishNode, int checkpointNode)
{
    race.orderLength = 0;
    if (nodeCount <= 0)
        return;
    const int checkpoint = checkpointNode >= 0 ? NodesPast(checkpointNode, finishNode, nodeCount) : 0;
    const int half = (checkpoint + nodeCount) / 2;
    const int count = RaceSlotsInUse(race);
    for (int i = 0; i < count; ++i)
        race.players[i].placed = race.players[i].car ? 0 : 1;

    // Confirmed finishers lead, in results order.
    for (int r = 0; r < RaceResultRows(race); ++r) {
        if (!(race.results[r].flags & ResultConfirmed))
            continue;
        const int slot = FindPlayerIndexById(race, race.results[r].playerId);
        if (slot >= 0 && !race.players[slot].placed) {
            race.runningOrder[race.orderLength++] = static_cast<uint8_t>(slot);
            race.players[slot].placed = 1;
        }
    }

    // The others by laps and distance; equal cars keep slot order.
    const int first = race.orderLength;
    OrderKey keys[MaxRacePlayers];
    for (int i = 0; i < count; ++i) {
        if (race.players[i].placed)
            continue;
        const RaceCarView car = ViewRaceCar(*race.players[i].car);
        OrderKey key;
        key.distance = car.pathNode >= 0 ? NodesPast(car.pathNode, finishNode, nodeCount) : 0;
        key.laps = car.lapsDone;
        // Lap timing started but the line is still ahead (a car on the grid
        // behind the finish line): its first lap has not begun.
        if (car.timingState == 2 && key.distance > half)
            key.laps -= 1;
        int at = first;
        while (at < race.orderLength && !IsAhead(key, keys[at]))
            ++at;
        for (int j = race.orderLength; j > at; --j) {
            race.runningOrder[j] = race.runningOrder[j - 1];
            keys[j] = keys[j - 1];
        }
        race.runningOrder[at] = static_cast<uint8_t>(i);
        keys[at] = key;
        ++race.orderLength;
    }
}

void UpdateRunningOrder(Race& race)
{
    const Path* path = GetCurrentPath();
    if (!path || !IsRaceSession() || path->nodeCount <= 0)
        return;
    const int finish = GetPathFinishNode(*path);
    if (finish < 0 || finish >= path->nodeCount)
        return;
    int checkpoint = GetPathCheckpointNode(*path, 0);
    if (checkpoint >= path->nodeCount)
        checkpoint = -1;
    BuildRunningOrder(race, path->nodeCount, finish, checkpoint);
}

int LapsFromLengthCode(int code)
{
    if (code <= 0)
        return 0;
    if (code <= 100)
        return code;
    if (code < FirstHoursCode)
        return 10 * code - 900;
    return 1;
}

int GetLapCount(const Race& race) { return LapsFromLengthCode(race.raceLength); }

void SetRaceLengthByte(Race& race, int code)
{
    if (!CurrentWorld)
        return;
    const Path* route = GetCurrentPath();
    if (route && route->nodeCount > 0 && !(route->flags & PathClosedLoop))
        code = 1;
    else
        code = code < 0 ? 0 : code > MaxRaceLengthCode ? MaxRaceLengthCode : code;
    race.raceLength = static_cast<uint8_t>(code);
    MutableSession.raceLengthSetting = code;
}

void AdvanceLapValidity(Race& race)
{
    race.lapValidity[0] = race.lapValidity[1];
    race.lapValidity[1] = LapUntimed;
}

void SetNextLapValidity(Race& race, int valid) { race.lapValidity[1] = valid ? LapValid : LapInvalid; }

void InvalidateHotLap(Race& race, int reason)
{
    static const TextId reasons[] = {TX_3a_hli_grnd, TX_3a_hli_wall, TX_3a_hli_obje, TX_3a_hli_wron};
    if (reason < HotLapReasonGround || reason > HotLapReasonWrongWay)
        return;
    const int laps = reason == HotLapReasonWrongWay ? 1 : 2;
    bool changed = false;
    for (int i = 0; i < laps; ++i) {
        if (race.lapValidity[i] == LapValid) {
            race.lapValidity[i] = LapInvalid;
            changed = true;
        }
    }
    if (!changed)
        return;
    char text[128];
    std::snprintf(text, sizeof text, GetText(TX_3a_htlpinvl), GetText(reasons[reason]));
    GetRaceHooks().printNotice(text);
}

void ClearBestLapReference(Race& race) { race.bestLap = {}; }

uint32_t ChecksumRacePlayers(const Race& race)
{
    uint32_t crc = race.stepCounter;
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        if (!race.players[i].car)
            continue;
        const FixedVector p = ViewRaceCar(*race.players[i].car).position;
        uint8_t bytes[12];
        const int32_t values[3] = {p.x.raw, p.y.raw, p.z.raw};
        for (int v = 0; v < 3; ++v)
            for (int b = 0; b < 4; ++b)
                bytes[v * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(values[v]) >> (8 * b));
        crc = CrcAddBuffer(crc, bytes, sizeof bytes);
    }
    return crc;
}

void ChecksumPlayerSlot(const RacePlayer& slot, uint32_t& who, uint32_t& colours, uint32_t& setup)
{
    const PlayerDescriptor& d = slot.descriptor;
    who = CrcAddBuffer(who, d.name, PlayerNameAndPlateSize);
    who = CrcAddByte(who, d.connection);
    who = CrcAddShort(who, d.flags);
    who = CrcAddByte(who, d.figure);
    who = CrcAddByte(who, d.playerId);
    who = CrcAddByte(who, d.startPosition);
    who = CrcAddByte(who, d.pitStart);
    who = CrcAddBuffer(who, slot.carBlock.carName, CarFullNameSize);
    colours = CrcAddBuffer(colours, &slot.carBlock.colours, sizeof(ColourConfig));
    setup = CrcAddBuffer(setup, &slot.carBlock.setup, sizeof(CarSetup));
}

void ListPlayerSkins(const Race& race, SkinListEntry* list, int& count)
{
    for (int i = 0; i < SkinListCapacity; ++i)
        list[i] = {};
    count = 0;
    char name[SkinListNameSize + 16];
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        const RacePlayer& slot = race.players[i];
        if (const char* code = GetCarCode(slot.carBlock.carName)) {
            char skin[sizeof slot.carBlock.colours.name + 1] = {};
            std::memcpy(skin, slot.carBlock.colours.name, sizeof slot.carBlock.colours.name);
            std::snprintf(name, sizeof name, "%s_%s", code, skin);
            AddUniqueName(list, count, name, slot.carBlock.skinFlag);
        }
        if (slot.descriptor.helmetSkin[0]) {
            char helmet[HelmetSkinSize + 1] = {};
            std::memcpy(helmet, slot.descriptor.helmetSkin, HelmetSkinSize);
            std::snprintf(name, sizeof name, "HEL_%s", helmet);
            AddUniqueName(list, count, name, slot.descriptor.helmetExists);
        }
    }
}
