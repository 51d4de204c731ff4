// The race-control packet: votes, replay speed, players who spectate or
// leave, pit returns and captions, and the host's restart-vote checks.
#include <cstdio>
#include <cstring>

#include "session/local.h"
#include "session/race_car.h"
#include "session/race_car_start.h"

namespace {

// Every race-control packet postpones the multiplayer state check.
constexpr int StateCheckPostponeFrames = 200;
// A spectating player's user goes to the master server under this report.
constexpr int MasterReportSpectate = 18;
// Interface sounds of a leaving car.
constexpr int SoundRemoteCarLeft = 2;
constexpr int SoundLocalCarLeft = 4;
// The vote refusal: [43][0][0][0] and 64 bytes of text.
constexpr uint8_t VoteRefusalType = 43;
constexpr int VoteRefusalTextSize = 64;
constexpr int VoteRefusalSize = 4 + VoteRefusalTextSize;
// Shared messages of a refused restart vote.
constexpr int MessageTooEarlyToRestart = 54;
constexpr int MessageStillRacing = 55;
constexpr int HundredthsPerSecond = 100;

int IsHostingLive()
{
    const RaceHooks& hooks = GetRaceHooks();
    return hooks.isOnline() && hooks.isHost();
}

void NoticeWithName(int textId, const char* name)
{
    char text[128];
    std::snprintf(text, sizeof text, GetText(static_cast<TextId>(textId)), name);
    GetRaceHooks().printNotice(text);
}

// Connections that own a car in the race.
int CountConnectionsWithCars(const Race& race)
{
    bool seen[256] = {};
    int count = 0;
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        const RacePlayer& slot = race.players[i];
        if (slot.car && !seen[slot.descriptor.connection]) {
            seen[slot.descriptor.connection] = true;
            ++count;
        }
    }
    return count;
}

int CountCarsStillRacing(const Race& race)
{
    int count = 0;
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (race.players[i].car && IsCarStillRacing(*race.players[i].car))
            ++count;
    return count;
}

// A live host refuses a guest's restart vote that comes too early or while
// others are still racing.
void CheckRestartVote(int connection)
{
    const RaceHooks& hooks = GetRaceHooks();
    const Race* race = CurrentRace;
    if (!IsHostingLive() || connection == 0 || hooks.hasDecidedVote() || !race || RacePhase != 1 ||
        CountConnectionsWithCars(*race) < 2)
        return;
    const int64_t raceTime = int64_t(race->stepCounter) - int64_t(HundredthsPerSecond) * race->startCountdown;
    if (RaceResultRows(*race) > 0) {
        const int64_t sinceFirst = raceTime - int64_t(race->results[0].totalTime);
        if (sinceFirst < int64_t(HundredthsPerSecond) * hooks.restartEndSeconds())
            SendVoteRefused(connection, MessageTooEarlyToRestart);
        else if (CountCarsStillRacing(*race) > 1)
            SendVoteRefused(connection, MessageStillRacing);
    } else if (raceTime < int64_t(HundredthsPerSecond) * hooks.restartMinSeconds()) {
        SendVoteRefused(connection, MessageTooEarlyToRestart);
    }
}

// The slot a packet names; -1 (the packet is ignored) when the player is
// not in the race.
int FindNamedPlayer(int playerId)
{
    return CurrentRace ? FindPlayerIndexById(*CurrentRace, playerId) : -1;
}

// What spectating and leaving share up to the car's removal: recording
// ends, a human's car reports its distance (and the master server hears of
// the user), the car leaves.
void TakePlayerOutOfRace(int connection, RacePlayer& slot, int withSound)
{
    const RaceHooks& hooks = GetRaceHooks();
    StopSessionRecordingIfAny();
    const int human = slot.descriptor.type == PlayerLocal || slot.descriptor.type == PlayerRemote;
    if (slot.car && human) {
        hooks.sendCarDistanceReport(*slot.car);
        if (hooks.isHost() && hooks.isHostOnMaster())
            hooks.reportUserToMaster(connection, MasterReportSpectate);
    }
    if (withSound && slot.car)
        hooks.playInterfaceSound(ViewRaceCar(*slot.car).remote ? SoundRemoteCarLeft : SoundLocalCarLeft);
    RemoveCarFromSession(slot);
}

void SpectatePlayer(int connection, int playerId)
{
    const int index = FindNamedPlayer(playerId);
    if (index < 0)
        return;
    RacePlayer& slot = MutableSession.race->players[index];
    TakePlayerOutOfRace(connection, slot, 0);
    NoticeWithName(TX_3a_x_joinsp, slot.descriptor.name);
    RemovePlayer(*MutableSession.race, index);
}

void AnnounceLeaving(const RacePlayer& slot, int reason)
{
    const char* name = slot.descriptor.name;
    switch (reason) {
    case LeaveQuiet:
        return;
    case LeaveWrongRoute:
        NoticeWithName(TX_3a_x_tkwrng, name);
        return;
    case LeaveRestrictedArea:
        NoticeWithName(TX_3a_x_restra, name);
        return;
    case LeaveFalseStart: {
        char text[128];
        std::snprintf(text, sizeof text, GetText(TX_3a_x_dashdx), name, GetText(TX_3h_falsesta),
                      GetText(TX_3g_caps_spe));
        GetRaceHooks().printNotice(text);
        return;
    }
    default:
        NoticeWithName(TX_3a_x_dnfish, name);
    }
}

void LeaveRace(int connection, int playerId, int reason)
{
    const int index = FindNamedPlayer(playerId);
    if (index < 0)
        return;
    RacePlayer& slot = MutableSession.race->players[index];
    TakePlayerOutOfRace(connection, slot, 1);
    AnnounceLeaving(slot, reason);
    RemovePlayer(*MutableSession.race, index);
}

void ReturnPlayerToPit(InRaceSession* session, int playerId, int withMessage)
{
    const int index = FindNamedPlayer(playerId);
    if (index < 0)
        return;
    if (withMessage)
        NoticeWithName(TX_3h_x_retpit, CurrentRace->players[index].descriptor.name);
    ReturnCarToPit(session, index);
}

void ReturnAllToPit(InRaceSession* session, int withMessage)
{
    const Race* race = CurrentRace;
    if (!race)
        return;
    if (withMessage)
        GetRaceHooks().printNotice(GetText(TX_3a_allretpt));
    for (int i = 0; i < RaceSlotsInUse(*race); ++i)
        ReturnCarToPit(session, i);
}

void ClearCaptions(int playerId)
{
    Race* race = MutableSession.race;
    if (!race)
        return;
    for (int i = 0; i < RaceSlotsInUse(*race); ++i) {
        RacePlayer& slot = race->players[i];
        if (slot.car && (playerId == 0 || slot.descriptor.playerId == playerId))
            ClearCarCaption(*slot.car);
    }
}

} // namespace

void HandleRaceControlPacket(InRaceSession* session, int connection, const uint8_t* packet)
{
    const RaceHooks& hooks = GetRaceHooks();
    hooks.postponeStateCheck(StateCheckPostponeFrames);
    const int playerId = packet[2];
    const int flag = packet[3];
    switch (packet[1]) {
    case RaceControlVoteEnd:
        ToggleConnectionVote(connection, ConnectionVoteEnd, GetText(TX_3a_x_voteex));
        break;
    case RaceControlVoteRestart:
        ToggleConnectionVote(connection, ConnectionVoteRestart, GetText(TX_3a_x_voters));
        CheckRestartVote(connection);
        break;
    case RaceControlVoteQualify:
        ToggleConnectionVote(connection, ConnectionVoteQualify, GetText(TX_3a_x_votequ));
        break;
    case RaceControlReplaySlower:
        if (SessionCars.replay)
            HalveReplaySpeed();
        break;
    case RaceControlReplayFaster:
        if (SessionCars.replay)
            DoubleReplaySpeed();
        break;
    case RaceControlSpectate:
        SpectatePlayer(connection, playerId);
        break;
    case RaceControlVoteCancel:
        hooks.printNotice(GetText(TX_3a_votecanc));
        hooks.clearGameVotes();
        break;
    case RaceControlLeaveRace:
        LeaveRace(connection, playerId, flag);
        break;
    case RaceControlPitReturn:
        ReturnPlayerToPit(session, playerId, flag);
        break;
    case RaceControlAllPitReturn:
        ReturnAllToPit(session, flag);
        break;
    case RaceControlClearCaption:
        ClearCaptions(playerId);
        break;
    default:
        break;
    }
}

void ToggleConnectionVote(int connection, int vote, const char* format)
{
    const RaceHooks& hooks = GetRaceHooks();
    if (hooks.isConnecting())
        return;
    if (hooks.connectionVote(connection) == vote) {
        hooks.setConnectionVote(connection, ConnectionVoteNone);
        return;
    }
    hooks.setConnectionVote(connection, vote);
    const char* name = hooks.connectionDriverName(connection);
    if (connection != 0 && name) {
        char text[128];
        std::snprintf(text, sizeof text, format, name);
        hooks.printNotice(text);
    }
}

void SendVoteRefused(int connection, int number)
{
    const RaceHooks& hooks = GetRaceHooks();
    const uint8_t cancel[RaceControlPacketSize] = {RaceControlPacketType, RaceControlVoteCancel, 0, 0};
    hooks.queueGamePacket(cancel, RaceControlPacketSize);
    uint8_t refusal[VoteRefusalSize] = {VoteRefusalType};
    const char* text = GetMessageTextEnglish(number);
    std::memcpy(refusal + 4, text, strnlen(text, VoteRefusalTextSize - 1));
    hooks.sendToConnection(connection, refusal, VoteRefusalSize);
}
