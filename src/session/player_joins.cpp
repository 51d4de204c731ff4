// Players entering the race: the car blocks of humans and AI drivers, the
// join record, the add rules and the checks made before a race starts.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "session/local.h"
#include "session/race_car.h"
#include "world/services.h"

namespace {

// The selection timer a player update sets (ms).
constexpr int32_t UpdateSelectionMs = 4000;
// A refused player leaves the race quietly: [17][9][player id][0].
constexpr uint8_t RemovePlayerType = 11;       // [11][0][player id][0]: remove the player
constexpr uint8_t AiOwnSetupType = 86;         // [86][player id][0][0]: the AI chooses its set-up
constexpr int ShortPacketSize = 4;
// An AI driver's own colour file name must fit a colour name.
constexpr size_t MaxColourNameLength = 15;
// Built-in set-up 1 is the loose-surface set-up.
constexpr int LooseSurfaceSetup = 1;
// Axles on loose-surface tyres that warn about the track.
constexpr int BothAxles = 2;

int IsHuman(const PlayerDescriptor& d) { return d.type == PlayerLocal || d.type == PlayerRemote; }
int IsAi(const PlayerDescriptor& d) { return d.type == PlayerAi || d.type == PlayerRemoteAi; }

int IsHostingLive()
{
    const RaceHooks& hooks = GetRaceHooks();
    return hooks.isOnline() && hooks.isHost();
}

int IsSetupEmpty(const CarSetup& setup)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&setup);
    for (size_t i = 0; i < sizeof setup; ++i)
        if (bytes[i])
            return 0;
    return 1;
}

// What the block takes from the car data: built-in set-up n (the first
// when the car has fewer) and colour configuration n modulo the count.
void CopyFromCarData(PlayerCarBlock& block, const char* carCode, int setupIndex, int colourIndex)
{
    CarObject* car = CreateCarFromVeh(carCode);
    if (!car)
        return;
    const CarData& data = car->data;
    if (setupIndex >= 0 && data.setupCount > 0)
        block.setup = data.setups[setupIndex < data.setupCount ? setupIndex : 0].setup;
    if (colourIndex >= 0 && data.colourCount > 0)
        block.colours = data.colours[colourIndex % data.colourCount];
    DestroyRaceCar(car);
}

// The car block of a car with forced set-up and colour indexes (-1 none)
// and the colour file name to load (null: the profile's chosen one).
void FillCarBlock(PlayerCarBlock& block, const char* carName, int forcedSetup, int forcedColour,
                  const char* colourName)
{
    block = {};
    CopyFixedString(block.carName, carName, CarFullNameSize);
    const char* carCode = GetCarCode(block.carName);
    if (!carCode)
        return;
    if (forcedSetup < 0) {
        LoadCarSetupFile(block.setup, carCode);
        if (IsSetupEmpty(block.setup))
            forcedSetup = 0;
    }
    if (forcedColour < 0 && !LoadChosenCarColours(block.colours, carCode, colourName))
        forcedColour = 0;
    CopyFromCarData(block, carCode, forcedSetup, forcedColour);
}

void QueueShortPacket(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    const uint8_t packet[ShortPacketSize] = {b0, b1, b2, b3};
    GetRaceHooks().queueGamePacket(packet, ShortPacketSize);
}

int CountSlotsOfConnection(const Race& race, int connection)
{
    int count = 0;
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (race.players[i].descriptor.connection == connection)
            ++count;
    return count;
}

void NoticeControlsUpdated(const RacePlayer& slot)
{
    int textId = TX_3a_x_nohcar;
    if (slot.car) {
        const int gender = GetFigureGender(slot.descriptor.figure);
        textId = gender == 0 ? TX_3a_x_updhis : gender == 1 ? TX_3a_x_updher : TX_3a_x_updctl;
    }
    char text[128];
    std::snprintf(text, sizeof text, GetText(static_cast<TextId>(textId)), slot.descriptor.name);
    GetRaceHooks().printNotice(text);
}

// Before a start: an AI car that cannot run off-road leaves an off-road
// track; an AI driver may choose its own set-up; local set-ups are checked
// for tyres that do not suit the track. Answers the warning (0 none, 1
// road tyres off-road, 2 loose-surface tyres on the road) and counts the
// packets queued.
int CheckSlotBeforeStart(const RacePlayer& slot, int offRoad, int& queued)
{
    const PlayerDescriptor& d = slot.descriptor;
    if (d.type == PlayerRemote || d.type == PlayerRemoteAi)
        return 0;
    if (d.type == PlayerAi) {
        if (offRoad && !GetCarOffRoadFlag(slot.carBlock.carName)) {
            QueueShortPacket(RemovePlayerType, 0, d.playerId, 0);
            ++queued;
            return 0;
        }
        if (!Settings.aiUsePlySetup) {
            QueueShortPacket(AiOwnSetupType, d.playerId, 0, 0);
            ++queued;
            return 0;
        }
    }
    return CheckSetupTyres(slot.carBlock.setup, offRoad);
}

} // namespace

int CheckSetupTyres(const CarSetup& setup, int offRoad)
{
    const int special = CountSpecialTyres(setup);
    if (offRoad && special == 0)
        return 1;
    if (!offRoad && special == BothAxles)
        return 2;
    return 0;
}

void ShowTyreWarning(int warning)
{
    if (warning)
        GetRaceHooks().printNotice(GetText(warning == 1 ? TX_3a_w_rd_rly : TX_3a_w_rly_rd));
}

void SetPlayerCarFromName(PlayerCarBlock& block, const char* carName)
{
    FillCarBlock(block, carName, -1, -1, nullptr);
}

void SetAiPlayerCar(PlayerCarBlock& block, int nameIndex, const char* carName)
{
    int useKnowledge = 1, useNameColours = 1;
    if (EqualsNoCase(carName, Settings.selectedCar)) {
        if (Settings.aiUsePlySetup)
            useKnowledge = 0;
        if (Settings.aiUsePlyColours)
            useNameColours = 0;
    }
    int forcedSetup = -1, forcedColour = -1;
    if (useKnowledge)
        forcedSetup = CurrentWorld && IsMostlyOffRoad(*CurrentWorld) ? LooseSurfaceSetup : 0;
    const char* carCode = GetCarCode(carName);
    const char* aiName =
        nameIndex >= 0 && nameIndex < DriverNameCount ? DriverNameTable[nameIndex].name : "";
    char colourFile[96] = {};
    if (carCode)
        std::snprintf(colourFile, sizeof colourFile, "data\\colours\\%s_%s.col", carCode, aiName);
    const char* colourName = nullptr;
    if (carCode && *aiName && strnlen(aiName, PlayerNameSize) <= MaxColourNameLength &&
        platform::FileExists(colourFile))
        colourName = aiName;
    else if (useNameColours)
        forcedColour = nameIndex < 0 ? 0 : nameIndex;
    FillCarBlock(block, carName, forcedSetup, forcedColour, colourName);
    if (useKnowledge && carCode && CurrentWorld && CurrentWorld->knowledgePath) {
        char knowledgeFile[64];
        if (!CopyKnowledgeSetupKey(block.setup, carCode, knowledgeFile)) {
            char text[128];
            std::snprintf(text, sizeof text, "%s %s", GetText(TX_3a_noaipath), knowledgeFile);
            GetRaceHooks().printError(text);
        }
    }
}

void AddLocalPlayer(RacePlayer& slot, int nameIndex, const char* carName)
{
    const RaceHooks& hooks = GetRaceHooks();
    if (hooks.isOnline() && !hooks.isHost() && FindCarByName(carName) < 0)
        return;
    PlayerCarBlock block;
    if (slot.descriptor.type == PlayerAi)
        SetAiPlayerCar(block, nameIndex, carName);
    else
        SetPlayerCarFromName(block, carName);
    JoinRecord record;
    record.bytes[0] = JoinRecordType;
    record.bytes[1] = slot.descriptor.playerId;
    std::memcpy(record.bytes + JoinRecordBlockOffset, &block, sizeof block);
    EncipherPlayerBlock(slot, record);
    slot.joinSent = 1;
    hooks.queueGamePacket(record.bytes, JoinRecordSize);
    hooks.sendGameBundle(0);
}

void UpdatePlayerInfo(Race& race, const PlayerDescriptor& descriptor)
{
    PlayerDescriptor d = descriptor;
    TerminatePlayerTexts(d);
    const int index = FindPlayerIndexById(race, d.playerId);
    if (index >= 0) {
        if (d.connection != GetRaceHooks().ownConnection())
            d.type = IsAi(d) ? PlayerRemoteAi : PlayerRemote;
        race.players[index].descriptor = d;
        return;
    }
    if (IsRaceFull(race) || HasPlayerOfKind(race, d))
        return;
    if (CheckCarsPerConnection(race, d))
        race.selectionTimer = UpdateSelectionMs;
}

int UpdatePlayerControls(Race& race, const PlayerDescriptor& descriptor)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        RacePlayer& slot = race.players[i];
        if (slot.descriptor.connection != descriptor.connection || !IsHuman(slot.descriptor))
            continue;
        PlayerDescriptor d = descriptor;
        TerminatePlayerTexts(d);
        d.type = slot.descriptor.type;
        d.startPosition = slot.descriptor.startPosition;
        d.pitStart = slot.descriptor.pitStart;
        slot.descriptor = d;
        GetRaceHooks().setControlTag(slot);
        if (slot.car)
            ApplyPlayerAids(*slot.car, slot.descriptor.flags);
        NoticeControlsUpdated(slot);
        return 1;
    }
    return 0;
}

int HasPlayerOfKind(const Race& race, const PlayerDescriptor& descriptor)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        const PlayerDescriptor& other = race.players[i].descriptor;
        if (IsHuman(descriptor) && IsHuman(other) && other.connection == descriptor.connection)
            return 1;
        if (IsAi(descriptor) && IsAi(other) && EqualsNoCase(other.name, descriptor.name))
            return 1;
    }
    return 0;
}

int IsRaceFull(const Race& race)
{
    int limit = 1;
    if (CurrentWorld)
        limit = std::min(GetStartPositionCount(*CurrentWorld), MaxRacePlayers);
    if (!GetRaceHooks().isOnline())
        limit = std::min(limit, GetRaceHooks().raceSetupPlayerLimit());
    return RaceSlotsInUse(race) >= limit;
}

void AddPlayerFromRecord(Race& race, const PlayerDescriptor& descriptor)
{
    PlayerDescriptor d = descriptor;
    TerminatePlayerTexts(d);
    if (IsHuman(d) && UpdatePlayerControls(race, d))
        return;
    if (IsRaceFull(race))
        return;
    const int refuse = IsHostingLive() && (HasPlayerOfKind(race, d) ||
                                           (d.connection != 0 && CountSlotsOfConnection(race, d.connection) >=
                                                                     Settings.carsPerGuest));
    RacePlayer* slot = CheckCarsPerConnection(race, d);
    if (!slot)
        return;
    if (refuse) {
        QueueShortPacket(RaceControlPacketType, RaceControlLeaveRace, slot->descriptor.playerId, LeaveQuiet);
    } else if (slot->descriptor.type == PlayerLocal || slot->descriptor.type == PlayerAi) {
        const int nameIndex = slot->descriptor.type == PlayerAi ? FindDriverName(slot->descriptor.name) : 0;
        AddLocalPlayer(*slot, nameIndex, Settings.selectedCar);
    }
    GetRaceHooks().setControlTag(*slot);
}

void AddNextAiDriver(Race& race)
{
    RacePlayer* next = nullptr;
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        RacePlayer& slot = race.players[i];
        if (slot.descriptor.type != PlayerLocal && slot.descriptor.type != PlayerAi)
            continue;
        if (slot.joinSent)
            return;
        if (!next && IsSetupEmpty(slot.carBlock.setup))
            next = &slot;
    }
    if (!next || GetRaceHooks().frameRingNearlyFull(JoinRecordSize))
        return;
    const int nameIndex = next->descriptor.type == PlayerAi ? FindDriverName(next->descriptor.name) : 0;
    const char* carName = next->carBlock.carName[0] ? next->carBlock.carName : Settings.selectedCar;
    char car[CarFullNameSize];
    CopyFixedString(car, carName, CarFullNameSize);
    AddLocalPlayer(*next, nameIndex, car);
}

int CheckPlayersBeforeStart(Race& race)
{
    if (!CurrentWorld)
        return 0;
    const int positions = HasLayoutStartPosition() ? 1 : GetStartPositionCount(*CurrentWorld);
    SetRaceLengthByte(race, race.raceLength);
    if (positions < RaceSlotsInUse(race)) {
        GetRaceHooks().clearAllPlayers();
        return 1;
    }
    const int offRoad = IsMostlyOffRoad(*CurrentWorld);
    int warning = 0, queued = 0;
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (const int found = CheckSlotBeforeStart(race.players[i], offRoad, queued))
            warning = found;
    ShowTyreWarning(warning);
    if (queued)
        GetRaceHooks().sendGameBundle(1);
    return 1;
}
