// The race requests: votes, joining, leaving, spectating and the pits, name
// changes and AI drivers, each checked here and then sent as the game or
// immediate packet that makes every computer act; and the grid order of a
// restart.
#include <cstdio>
#include <cstring>

#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

RaceRequestsRecord MutableRaceRequests;
const RaceRequestsRecord& RaceRequests = MutableRaceRequests;

namespace {

// A guest votes at most once in this time (end, restart and qualify share it).
constexpr uint32_t VoteIntervalMs = 4000;
// Race control sub-codes of the votes and of spectating.
enum : uint8_t { VoteEnd = 0, VoteRestartCode = 1, VoteQualifyCode = 2, ControlSpectate = 7 };
// Immediate packets of the requests.
constexpr uint8_t JoinRequestPacket = 3;
constexpr uint8_t ByePacket = 25;
constexpr uint8_t TcpPositionsPacket = 44;
constexpr int JoinRequestSize = 4 + sizeof(PlayerDescriptor);
// Shared message texts of the refusals.
constexpr int MessageNameUsed = 33;
constexpr int MessageRaceFull = 34;
// The leave code of a guest that said goodbye.
constexpr int LeaveCodeBye = 1;
// Draws of the random grid order: the generator's full period, within which
// every index comes up.
constexpr int MaxGridDraws = 65536;
constexpr int GameKindReplay = 3;

void Queue4(uint8_t a, uint8_t b, uint8_t c)
{
    const uint8_t packet[4] = {a, b, c, 0};
    QueueGamePacket(packet, sizeof packet);
}

// A guest online may vote only every 4 s; the host is not limited.
bool GuestVotesTooSoon()
{
    if (!Online || MultiplayerMode.host)
        return false;
    if (RaceRequests.voted && GameTime.clockMs - RaceRequests.lastVoteTime < VoteIntervalMs)
        return true;
    MutableRaceRequests.voted = 1;
    MutableRaceRequests.lastVoteTime = GameTime.clockMs;
    return false;
}

int HostCarCount(const Race& race)
{
    int count = 0;
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        count += race.players[i].descriptor.connection == 0;
    return count;
}

// The join checks of the host's car limit and the grid size, shared by
// drivers and AI drivers.
bool MayAddPlayer(const Race& race)
{
    if (IsMultiplayerHost() && HostCarCount(race) >= Settings.carsPerHost) {
        char line[64];
        std::snprintf(line, sizeof line, "Max host cars : %d", Settings.carsPerHost);
        PrintNotice(line);
        return false;
    }
    if (race.playerCount >= GetStartPositionCount()) {
        PrintNotice(GetMessageText(MessageRaceFull));
        return false;
    }
    return true;
}

bool RingHasRoomForJoin()
{
    if (!RingNearlyFull(JoinRequestSize))
        return true;
    PrintMessage(GetText(TX_3h_waitbuff), ColourLightRed);
    return false;
}

void SendJoinRecord(const PlayerDescriptor& descriptor)
{
    uint8_t packet[JoinRequestSize] = {JoinRequestPacket};
    // The descriptor's memory layout is its wire layout (see its asserts).
    std::memcpy(packet + 4, &descriptor, sizeof descriptor);
    SendToHost(packet, sizeof packet);
}

// The local driver's player, as the settings name and plate it.
bool MatchesLocalDriver(const PlayerDescriptor& d)
{
    return std::strncmp(d.name, Settings.plyName, PlayerNameSize) == 0 &&
           std::memcmp(d.plate, PlayerProfile.numberPlate, NumberPlateSize) == 0;
}

// The name and plate (32 bytes) of the local driver's settings.
void LocalNameAndPlate(char* out)
{
    std::memset(out, 0, PlayerNameAndPlateSize);
    CopyFixedString(out, Settings.plyName, PlayerNameSize);
    std::memcpy(out + PlayerNameSize, PlayerProfile.numberPlate, NumberPlateSize);
}

void RefuseSameName(Screen* dialog)
{
    const char* text = "Can't have the same name as another driver";
    if (dialog)
        GetRaceHooks().showMessageBox(dialog, text);
    else
        PrintMessage(text, ColourLightRed);
}

// The ids of players in result order, then the rest in slot order.
int OrderByResults(const Race& race, uint8_t* ids)
{
    bool listed[MaxRacePlayers] = {};
    int count = 0;
    for (int row = 0; row < RaceResultRows(race); ++row) {
        char name[PlayerNameSize];
        CopyFixedString(name, race.results[row].nameAndPlate, PlayerNameSize);
        const int slot = FindPlayerIndexByName(race, name);
        if (slot >= 0 && !listed[slot]) {
            listed[slot] = true;
            ids[count++] = race.players[slot].descriptor.playerId;
        }
    }
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
        if (!listed[slot])
            ids[count++] = race.players[slot].descriptor.playerId;
    }
    return count;
}

int OrderAtRandom(const Race& race, uint8_t* ids, uint16_t& state)
{
    const int players = RaceSlotsInUse(race);
    bool listed[MaxRacePlayers] = {};
    int count = 0;
    for (int draw = 0; draw < MaxGridDraws && count < players; ++draw) {
        state = static_cast<uint16_t>(state * 5 + 1);
        const int slot = (state / 256) % players;
        if (!listed[slot]) {
            listed[slot] = true;
            ids[count++] = race.players[slot].descriptor.playerId;
        }
    }
    return count;
}

} // namespace

int VoteEndRace()
{
    if (!CurrentRace)
        return 0;
    if (MultiplayerReplayPlaying || GameKind == GameKindReplay) {
        RequestSessionExit();
        return 1;
    }
    if (GuestVotesTooSoon())
        return 0;
    Queue4(GpRaceControl, VoteEnd, 0);
    return 1;
}

int VoteRestart()
{
    Race* race = CurrentRace;
    if (!race)
        return 0;
    if (Online && HasLayoutStartPosition() && race->playerCount > 1) {
        if (SessionFlags.guestConnecting) {
            RefuseGuestConnecting("start race", -1);
            return 0;
        }
        const RacePlayer* local = FindLocalPlayer(*race);
        if (!local)
            return 0;
        Queue4(GpRaceControl, ControlSpectate, local->descriptor.playerId);
        MutableRaceRequests.rejoin = 1;
        return 1;
    }
    if (GuestVotesTooSoon())
        return 0;
    Queue4(GpRaceControl, VoteRestartCode, 0);
    return 1;
}

int VoteQualify()
{
    Race* race = CurrentRace;
    if (!race)
        return 0;
    if (HasLayoutStartPosition()) {
        RefuseCantQualify(GetText(TX_3a_qulfauto));
        return 0;
    }
    if (race->raceLength == 0) {
        RefuseCantQualify(GetText(TX_3a_qulfprac));
        return 0;
    }
    if (!IsQualifyEnabled()) {
        RefuseCantQualify(GetText(TX_3a_qulfnote));
        return 0;
    }
    if (GuestVotesTooSoon())
        return 0;
    Queue4(GpRaceControl, VoteQualifyCode, 0);
    return 1;
}

int RequestJoinRace()
{
    MutableRaceRequests.rejoin = 0;
    Race* race = CurrentRace;
    if (!race)
        return 0;
    if (FindLocalPlayer(*race)) {
        PrintNotice(GetText(TX_3g_drv_alrd));
        return 0;
    }
    if (!IsChosenCarAllowed())
        return RequestEnterPits();
    if (IsStartBlocked()) {
        PrintNotice(GetText(TX_3a_autojblk));
        return 0;
    }
    if (SessionFlags.guestConnecting) {
        RefuseGuestConnecting("join", -1);
        return 0;
    }
    if (IsFalseStartState()) {
        PrintNotice(GetText(TX_3h_falsesta));
        return 0;
    }
    if (race->playerCount >= CurrentCarLimit) {
        PrintNotice(GetMessageText(MessageRaceFull));
        return 0;
    }
    char countdown[64];
    if (FormatStartCountdown(countdown, sizeof countdown, ""))
        return 0;
    return SendJoinRequest();
}

int SendJoinRequest()
{
    const Race* race = CurrentRace;
    if (!race || !CurrentWorld || !MayAddPlayer(*race) || !RingHasRoomForJoin())
        return 0;
    PlayerDescriptor descriptor;
    FillLocalDriverInfo(descriptor, nullptr);
    SendJoinRecord(descriptor);
    return 1;
}

int RequestAddAi(int index)
{
    const Race* race = CurrentRace;
    if (!race || !CurrentWorld || index < 0 || index >= DriverNameCount || !MayAddPlayer(*race))
        return 0;
    if (IsRallycrossTrack() && !GetCarOffRoadFlag(Settings.selectedCar)) {
        char line[96];
        std::snprintf(line, sizeof line, "AI can't drive the %s on rallycross tracks", Settings.selectedCar);
        PrintMessage(line, ColourLightRed);
        return 0;
    }
    if (!RingHasRoomForJoin())
        return 0;
    const DriverNameEntry& entry = DriverNameTable[index];
    if (EqualsPlainText(entry.name, Settings.plyName)) {
        PrintNotice(GetMessageText(MessageNameUsed));
        return 0;
    }
    PlayerDescriptor descriptor;
    if (!FillAiDriverInfo(descriptor, entry, race->aiSkill, Settings.selectedCar))
        return 0;
    SendJoinRecord(descriptor);
    return 1;
}

int DisconnectFromHost()
{
    Race* race = CurrentRace;
    if (!Online || MultiplayerMode.host || !race)
        return 0;
    if (SessionFlags.guestConnecting) {
        RefuseGuestConnecting("leave", -1);
        return 0;
    }
    ResetPlayerCars(*race);
    StopSessionRecordingIfAny();
    return SendLeave();
}

int SendLeave()
{
    if (MultiplayerMode.host || ClientLinkTable.linkCount == 0)
        return 0;
    const uint8_t bye[4] = {ByePacket, 0, 0, 0};
    SendImmediatePacket(0, bye, sizeof bye);
    MutableSessionFlags.leaveCode = LeaveCodeBye;
    return 1;
}

int RequestSpectate()
{
    if (SessionFlags.guestConnecting) {
        RefuseGuestConnecting("spectate", -1);
        return 0;
    }
    const RacePlayer* local = CurrentRace ? FindLocalPlayer(*CurrentRace) : nullptr;
    if (!local)
        return 0;
    Queue4(GpRaceControl, ControlSpectate, local->descriptor.playerId);
    return 1;
}

int RequestEnterPits()
{
    if (SessionFlags.guestConnecting) {
        RefuseGuestConnecting("enter pits", -1);
        return 0;
    }
    const RacePlayer* local = CurrentRace ? FindLocalPlayer(*CurrentRace) : nullptr;
    if (local && local->car && MatchesLocalDriver(local->descriptor))
        Queue4(GpRaceControl, ControlSpectate, local->descriptor.playerId);
    else
        Queue4(GpLeaveRace, 0, 0);
    return 1;
}

int RequestTcpPositions()
{
    if (MultiplayerMode.host)
        return 0;
    const uint8_t request[4] = {TcpPositionsPacket, 0, 0, 0};
    SendToHost(request, sizeof request);
    PrintMessage(GetText(TX_3q_tcpreqst), ColourLightGrey);
    MutableNet.udpPositions = 0;
    return 1;
}

int SendNameChange(const NameChangeRecord& change)
{
    if (SessionFlags.guestConnecting) {
        PrintNotice(GetText(TX_3g_waitplyc));
        return 0;
    }
    const int own = ConnectionTable.ownIndex;
    char nameAndPlate[PlayerNameAndPlateSize];
    LocalNameAndPlate(nameAndPlate);
    if (std::memcmp(nameAndPlate, change.previousName, PlayerNameAndPlateSize) != 0) {
        if ((CurrentRace && IsNameInUse(*CurrentRace, nameAndPlate, own)) ||
            IsNameUsedByConnection(nameAndPlate, own)) {
            RefuseSameName(change.dialog);
            return 0;
        }
        uint8_t rename[4 + PlayerNameAndPlateSize] = {GpRename, static_cast<uint8_t>(change.takeOver ? 1 : 0)};
        std::memcpy(rename + 4, nameAndPlate, PlayerNameAndPlateSize);
        rename[4 + PlayerNameSize - 1] = 0;
        QueueGamePacket(rename, sizeof rename);
    }
    RacePlayer* local = CurrentRace ? FindLocalPlayer(*CurrentRace) : nullptr;
    if (!local)
        return 1;
    const uint8_t id = local->descriptor.playerId;
    if (PlayerProfile.driverFigure != change.previousFigure)
        Queue4(GpDriverAnimation, id, static_cast<uint8_t>(PlayerProfile.driverFigure));
    if (change.skinChanged) {
        uint8_t helmet[8 + HelmetSkinSize] = {GpHelmetSkin, id};
        helmet[4] = static_cast<uint8_t>(GetRaceHooks().helmetSkinExists(PlayerProfile.helmetSkin) ? 1 : 0);
        CopyFixedString(reinterpret_cast<char*>(helmet + 8), PlayerProfile.helmetSkin, HelmetSkinSize);
        QueueGamePacket(helmet, sizeof helmet);
    }
    if (PlayerProfile.driverPosition != change.previousSide)
        Queue4(GpDrivingSide, static_cast<uint8_t>(PlayerProfile.driverPosition), 0);
    SendPlayerFlags(*local);
    return 1;
}

int BuildGridOrder(int mode, uint8_t* ids, uint16_t& randomState)
{
    const Race* race = CurrentRace;
    if (!race)
        return 0;
    switch (mode) {
    case GridOrderRandom:
        return OrderAtRandom(*race, ids, randomState);
    case GridOrderResults:
    case GridOrderReversed: {
        if (RaceResultRows(*race) == 0)
            return 0;
        const int count = OrderByResults(*race, ids);
        if (mode == GridOrderReversed) {
            for (int i = 0, j = count - 1; i < j; ++i, --j) {
                const uint8_t id = ids[i];
                ids[i] = ids[j];
                ids[j] = id;
            }
        }
        return count;
    }
    default:
        return 0;
    }
}

int SendGridOrder()
{
    const Race* race = CurrentRace;
    if (!race || race->playerCount < 2)
        return 0;
    const int mode = RacePhase == 2 && IsQualifyEnabled() ? GridOrderResults : Settings.raceStart;
    uint8_t packet[4 + MaxRacePlayers] = {GpPlayerOrder};
    uint16_t random = GameTime.random;
    const int count = BuildGridOrder(mode, packet + 4, random);
    SetProgramRandom(random);
    if (count == 0)
        return 0;
    packet[1] = static_cast<uint8_t>(count);
    QueueGamePacket(packet, sizeof packet);
    SendGameBundle(0);
    return 1;
}
