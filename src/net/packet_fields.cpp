// The checks that game packet fields pass before they reach names, file
// names, cars or the world. Each is made from the packet and the shared
// race alone, so every computer decides alike.
#include <cstring>

#include "net/local.h"
#include "session/services.h"
#include "world/services.h"

namespace {

// Heights (m) within which a car stays in the world; the car step marks a
// car lost outside them.
// 10 ms steps of a second.
constexpr uint32_t StepsPerSecond = 100;
constexpr float LowestCarHeight = -20, HighestCarHeight = 80;

bool IsSkinNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '_' ||
           c == '-' || c == '.';
}

} // namespace

RacePlayer* FindPacketPlayer(int playerId)
{
    return CurrentRace ? FindPlayerById(*CurrentRace, playerId) : nullptr;
}

CarObject* FindPacketCar(int playerId)
{
    RacePlayer* slot = FindPacketPlayer(playerId);
    return slot ? slot->car : nullptr;
}

void SanitiseSkinName(char* name, int size)
{
    if (size <= 0)
        return;
    name[size - 1] = 0;
    bool safe = std::strstr(name, "..") == nullptr;
    for (const char* c = name; *c && safe; ++c)
        safe = IsSkinNameCharacter(*c);
    if (!safe)
        CopyFixedString(name, "DEFAULT", size);
}

int IsPositionInWorld(const FixedVector& position)
{
    const World* world = CurrentWorld;
    if (!world)
        return 0;
    const float height = FixedToMetres(position.z);
    return position.x.raw >= world->gridMinX.raw && position.x.raw <= world->gridMaxX.raw &&
           position.y.raw >= world->gridMinY.raw && position.y.raw <= world->gridMaxY.raw &&
           height >= LowestCarHeight && height <= HighestCarHeight;
}

int HasFinished(const Race& race, int laps, uint32_t totalTime)
{
    if (race.raceLength == 0)
        return 0;
    if (race.raceLength >= FirstHoursCode) {
        const uint32_t hours = static_cast<uint32_t>(race.raceLength - FirstHoursCode + 1);
        return totalTime >= hours * 360000u;
    }
    return laps >= GetLapCount(race);
}

int HasRaceStarted()
{
    if (GameKind != 2 || !CurrentRace)
        return 0;
    return CurrentRace->stepCounter >= static_cast<uint32_t>(CurrentRace->startCountdown) * StepsPerSecond;
}
