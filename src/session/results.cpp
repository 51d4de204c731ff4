// The results table: race finishes ordered by laps and time with penalties
// applied, and best-time rows of qualifying and layout courses.
#include <cstring>

#include "session/race_car.h"
#include "session/services.h"

namespace {

constexpr int ResultsSendDelayFrames = 100;
constexpr int HundredthsPerSecond = 100;
// Interface sound and mixed effects of the results.
constexpr int SoundSystemMessage = 2;
constexpr int EffectWin = 5, EffectFinish = 6;
// The race-control packet: [type][sub-type][player id][value].
constexpr uint8_t RaceControlPacket = 17;
constexpr uint8_t RaceControlCarValue = 9;

// Opens a zeroed row at index at (callers check that the table has room),
// moving the rows from there down by one.
void OpenRow(Race& race, int at)
{
    const int count = RaceResultRows(race);
    if (count >= MaxRacePlayers || at < 0 || at > count)
        return;
    for (int j = count; j > at; --j)
        race.results[j] = race.results[j - 1];
    race.results[at] = {};
    race.resultCount = static_cast<uint8_t>(count + 1);
}

// Removes row at, moving the later rows up by one.
void RemoveRow(Race& race, int at)
{
    const int count = RaceResultRows(race);
    if (at < 0 || at >= count)
        return;
    for (int j = at; j < count - 1; ++j)
        race.results[j] = race.results[j + 1];
    race.results[count - 1] = {};
    race.resultCount = static_cast<uint8_t>(count - 1);
}

// The slot's car, or null for an index outside the slots in use.
CarObject* SlotCar(const Race& race, int slot) { return GetRaceSlotCar(race, slot); }

// A row's player name as a terminated text.
void GetRowName(const RaceResult& row, char (&name)[PlayerNameSize])
{
    std::memcpy(name, row.nameAndPlate, PlayerNameSize);
    name[PlayerNameSize - 1] = 0;
}

uint16_t ClampToWord(int value) { return static_cast<uint16_t>(value < 0 ? 0 : value > 0xFFFF ? 0xFFFF : value); }

// The row a time that made no row would have been, for InSim.
void TellTimeWithoutRow(const RacePlayer& slot, uint32_t bestLap, uint32_t totalTime, int penaltySeconds)
{
    const RaceHooks& hooks = GetRaceHooks();
    if (!hooks.isInSimActive())
        return;
    RaceResult row;
    FillResultRow(row, slot, totalTime, bestLap, 0, 0, 0, penaltySeconds);
    hooks.inSimResult(row, 255);
}

} // namespace

void ClearRaceResults(Race& race)
{
    race.resultCount = 0;
    race.resultsSendFrame = 0;
    for (RaceResult& row : race.results)
        row = {};
}

void FillResultRow(RaceResult& row, const RacePlayer& slot, uint32_t totalTime, uint32_t bestLap, int flags,
                   int laps, int pitStops, int penaltySeconds)
{
    row = {};
    const PlayerDescriptor& d = slot.descriptor;
    std::memcpy(row.nameAndPlate, d.name, PlayerNameSize);
    row.nameAndPlate[PlayerNameSize - 1] = 0;
    std::memcpy(row.nameAndPlate + PlayerNameSize, d.plate, NumberPlateSize);
    if (slot.car) {
        const RaceCarView car = ViewRaceCar(*slot.car);
        CopyFixedString(row.carCode, car.shortCode, sizeof row.carCode);
        row.addedMass = car.addedMass;
        row.restriction = car.restriction;
    }
    row.laps = ClampToWord(laps);
    row.playerFlags = d.flags;
    row.flags = static_cast<uint8_t>(flags);
    row.pitStops = static_cast<uint8_t>(pitStops);
    row.penaltySeconds = ClampToWord(penaltySeconds);
    row.totalTime = totalTime;
    row.bestLap = bestLap;
    row.playerId = d.playerId;
    row.start = d.pitStart ? 0 : static_cast<uint8_t>(d.startPosition + 1);
    const RaceHooks& hooks = GetRaceHooks();
    if ((d.type == PlayerLocal || d.type == PlayerRemote) && d.connection < hooks.connectionCount()) {
        row.userNumber = hooks.connectionUserNumber(d.connection);
        if (const char* user = hooks.connectionUserName(d.connection))
            CopyFixedString(row.userName, user, PlayerNameSize);
    }
}

void RecordPlayerFinish(Race& race, int slotIndex, uint32_t raceTime, int laps)
{
    CarObject* car = SlotCar(race, slotIndex);
    if (RaceResultRows(race) >= MaxRacePlayers || !car)
        return;
    race.raceUnderWay = 0;
    const RaceHooks& hooks = GetRaceHooks();
    const int codePage = hooks.languageCodePage();
    CarResultState& state = GetCarResult(*car);

    int flags = 0, penaltySeconds = 0;
    switch (state.penaltyState) {
    case PenaltyDriveThroughGiven:
    case PenaltyDriveThroughToServe:
        flags |= ResultDsqDriveThrough;
        SetCarDisqualified(*car, codePage);
        break;
    case PenaltyStopGoGiven:
    case PenaltyStopGoToServe:
        flags |= ResultDsqStopGo;
        SetCarDisqualified(*car, codePage);
        break;
    case Penalty30Seconds:
        flags |= Result30Seconds;
        penaltySeconds = 30;
        break;
    case Penalty45Seconds:
        flags |= Result45Seconds;
        penaltySeconds = 45;
        break;
    default:
        break;
    }
    if (hooks.isPitStopRequired() && !(flags & ResultDisqualified) && state.pitStops == 0) {
        flags |= ResultDsqPitStop;
        SetCarDisqualified(*car, codePage);
    }
    // The time penalties given during the race (a false start's seconds)
    // count as much as the penalty state's: both are in the total and in
    // the row's penalty seconds.
    const int32_t givenTime = state.timePenalty > 0 ? state.timePenalty : 0;
    penaltySeconds += givenTime / HundredthsPerSecond;
    const uint32_t total = raceTime + static_cast<uint32_t>(penaltySeconds * HundredthsPerSecond) +
                           static_cast<uint32_t>(givenTime % HundredthsPerSecond);

    // A disqualified row goes last; others before the first row that is
    // disqualified, has fewer laps, or as many laps and a later time (equal
    // times keep the order their finishes arrived in).
    int at = RaceResultRows(race);
    if (!(flags & ResultDisqualified)) {
        for (int j = 0; j < RaceResultRows(race); ++j) {
            const RaceResult& row = race.results[j];
            if ((row.flags & ResultDisqualified) || row.laps < laps || (row.laps == laps && row.totalTime > total)) {
                at = j;
                break;
            }
        }
    }
    const bool firstFinisher = race.resultCount == 0;
    const RacePlayer& slot = race.players[slotIndex];
    OpenRow(race, at);
    SetCarClassified(*car);
    FillResultRow(race.results[at], slot, total, static_cast<uint32_t>(state.bestLap), flags, laps, state.pitStops,
                  penaltySeconds);
    race.resultsSendFrame = hooks.gameFrame() + ResultsSendDelayFrames;
    if (hooks.isInSimActive())
        hooks.inSimFinish(race.results[at], slot);

    // The winner's flag also finishes every car that crossed the line after
    // the winner's time, even when its lap arrived first.
    if (!firstFinisher)
        return;
    for (int j = 0; j < RaceSlotsInUse(race); ++j) {
        CarObject* other = race.players[j].car;
        if (j == slotIndex || !other)
            continue;
        CarResultState& otherState = GetCarResult(*other);
        if (otherState.classified || otherState.raceTime <= static_cast<int32_t>(raceTime))
            continue;
        otherState.flagged = 1;
        SetCarFinished(*other, codePage);
        RecordPlayerFinish(race, j, static_cast<uint32_t>(otherState.raceTime), ViewRaceCar(*other).lapsDone);
    }
}

bool IsResultBefore(uint32_t bestLap, uint32_t totalTime, const RaceResult& row)
{
    return totalTime ? totalTime < row.totalTime : bestLap < row.bestLap;
}

void UpdateTimedResult(Race& race, int slotIndex, uint32_t bestLap, uint32_t totalTime, int penaltySeconds)
{
    CarObject* car = SlotCar(race, slotIndex);
    if (!car)
        return;
    const RacePlayer& slot = race.players[slotIndex];
    int found = -1;
    for (int j = 0; j < RaceResultRows(race); ++j) {
        char name[PlayerNameSize];
        GetRowName(race.results[j], name);
        if (EqualsNoCase(name, slot.descriptor.name)) {
            found = j;
            break;
        }
    }
    if (found >= 0) {
        if (!IsResultBefore(bestLap, totalTime, race.results[found])) {
            TellTimeWithoutRow(slot, bestLap, totalTime, penaltySeconds);
            return;
        }
        RemoveRow(race, found);
    } else if (RaceResultRows(race) >= MaxRacePlayers) {
        if (!IsResultBefore(bestLap, totalTime, race.results[MaxRacePlayers - 1])) {
            TellTimeWithoutRow(slot, bestLap, totalTime, penaltySeconds);
            return;
        }
        RemoveRow(race, MaxRacePlayers - 1);
    }
    InsertResultEntry(race, slotIndex, bestLap, totalTime, penaltySeconds);
    GetCarResult(*car).resultStep = ViewRaceCar(*car).stepCounter;
}

void InsertResultEntry(Race& race, int slotIndex, uint32_t bestLap, uint32_t totalTime, int penaltySeconds)
{
    if (RaceResultRows(race) >= MaxRacePlayers || slotIndex < 0 || slotIndex >= RaceSlotsInUse(race))
        return;
    const int before = RaceResultRows(race);
    int at = before;
    for (int j = 0; j < before; ++j) {
        if (IsResultBefore(bestLap, totalTime, race.results[j])) {
            at = j;
            break;
        }
    }
    const RaceHooks& hooks = GetRaceHooks();
    if (totalTime) {
        if (at == before)
            hooks.playInterfaceSound(SoundSystemMessage);
        else
            hooks.playMixedEffect(at == 0 && before >= 2 ? EffectWin : EffectFinish);
    }
    OpenRow(race, at);
    FillResultRow(race.results[at], race.players[slotIndex], totalTime, bestLap, 0, 0, 0, penaltySeconds);
    if (hooks.isInSimActive())
        hooks.inSimResult(race.results[at], at);
}

bool IsQualifyingOver(const Race& race)
{
    const int64_t elapsed = int64_t(race.stepCounter) - int64_t(race.startCountdown) * HundredthsPerSecond;
    return elapsed > int64_t(race.qualifyMinutes) * 6000;
}

void ScheduleResultsSend(Race& race)
{
    for (int j = 0; j < RaceResultRows(race); ++j) {
        if (!(race.results[j].flags & ResultConfirmed)) {
            race.resultsSendFrame = GetRaceHooks().gameFrame() + ResultsSendDelayFrames;
            return;
        }
    }
}

void GetPlaceName(char* text, int size, int place)
{
    const TextId id = place >= 1 && place <= MaxRacePlayers ? static_cast<TextId>(TX_3a_fnsh_1st + place - 1)
                                                             : TX_3a_fnshuncl;
    CopyFixedString(text, GetText(id), size);
}

void SendRaceControlValue(const Race& race, int slot, int value)
{
    if (slot < 0 || slot >= RaceSlotsInUse(race))
        return;
    const uint8_t packet[4] = {RaceControlPacket, RaceControlCarValue, race.players[slot].descriptor.playerId,
                               static_cast<uint8_t>(value)};
    const RaceHooks& hooks = GetRaceHooks();
    hooks.queueGamePacket(packet, sizeof packet);
    hooks.sendGameBundle(1);
}
