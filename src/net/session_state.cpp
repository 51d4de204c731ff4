// The multiplayer session as a whole: starting one, the multiplayer mode,
// the race of a new session, the host status file, and the senders of
// immediate packets by role.
#include <cstring>

#include "devices/services.h"
#include "net/local.h"
#include "session/services.h"

MultiplayerModeRecord MutableMultiplayerMode;
const MultiplayerModeRecord& MultiplayerMode = MutableMultiplayerMode;
const int& Online = MutableMultiplayerMode.online;
SessionFlagsRecord MutableSessionFlags;
const SessionFlagsRecord& SessionFlags = MutableSessionFlags;
SessionVotesRecord MutableSessionVotes;
const SessionVotesRecord& SessionVotes = MutableSessionVotes;

namespace {

// A new session's own record is confirmed with the master server within
// this time.
constexpr uint32_t MasterConfirmMs = 240000;

// The host status file's view of the session; names and trackCode hold
// what it points to.
HostStatus SessionStatus(const char** names, char* trackCode)
{
    HostStatus status;
    status.replayPlaying = MultiplayerReplayPlaying != 0;
    status.guest = !MultiplayerMode.host;
    status.inGame = GameKind == 2;
    status.sessionRunning = Online != 0;
    status.joinedHost = Settings.serverName;
    status.gamePort = Settings.gamePort;
    status.guests = ConnectionTable.count - 1;
    status.maxGuests = Settings.maxConns;
    status.hostName = Settings.gameName;
    status.password = Settings.gamePass;
    status.useMaster = Settings.connToMaster;
    FormatTrackCode(trackCode);
    status.trackCode = trackCode;
    status.carsMask = RaceOptions.allowedCars;
    const Race* race = CurrentRace;
    status.qualifyMinutes = race ? race->qualifyMinutes : HostOptions.qualifyMinutes;
    status.raceLengthCode = race ? race->raceLength : HostOptions.raceLengthCode;
    status.laps = status.raceLengthCode > FirstHoursCode - 1 ? status.raceLengthCode - (FirstHoursCode - 1)
                                                             : LapsFromLengthCode(status.raceLengthCode);
    for (int i = 0; i < ConnectionTable.count; ++i)
        names[i] = ConnectionTable.connections[i].name;
    status.connectionNames = names;
    status.connectionCount = ConnectionTable.count;
    return status;
}

} // namespace

void WriteSessionStatus()
{
    // The file describes a multiplayer session; leaving multiplayer deletes
    // it, so nothing writes it outside one.
    if (!Online)
        return;
    const char* names[MaxConnections];
    char trackCode[TrackCodeSize];
    WriteHostStatus(SessionStatus(names, trackCode));
}

void ResetSession(int count, int ownIndex)
{
    ClearVoteState();
    MutableFrameClock = FrameClockRecord{};
    MutableFrameClock.initTime = GameTime.clockMs;
    MutableConnectionTable = ConnectionTableRecord{};
    MutableConnectionTable.count = count < 0 ? 0 : count > MaxConnections ? MaxConnections : count;
    MutableConnectionTable.ownIndex = ownIndex;
    MutableConnectionTable.connections[0].admin = 1;
    MutableSessionFlags = SessionFlagsRecord{};
    MutableSessionVotes = SessionVotesRecord{};
    MutableStateCheck = StateCheckRecord{};
    MutableGameBundle = GameBundleRecord{};
    SetGameKind(1);
}

void SetMultiplayerMode(int on)
{
    on = on ? 1 : 0;
    if (on == MultiplayerMode.online)
        return;
    SetClockNudge(0);
    TellInSimMultiplayer(on);
    MutableMultiplayerMode.online = on;
    MarkHostConsoleStatus();
    if (on) {
        WriteSessionStatus();
    } else {
        const char* names[MaxConnections];
        char trackCode[TrackCodeSize];
        DeleteHostStatus(SessionStatus(names, trackCode));
        ClearHandicaps();
    }
}

void LeaveMultiplayer()
{
    SetMultiplayerMode(0);
    StopNetwork();
    MarkHostConsoleConnections();
    if (ProgramMode.dedicatedMode == 1)
        SetDedicatedMode(0);
}

void CreateMpRace(int settings, int onMaster)
{
    Race& race = CreateCurrentRace();
    ResetSession(1, 0);
    Connection& own = MutableConnectionTable.connections[0];
    CopyFixedString(own.name, Settings.plyName, ConnectionNameSize);
    if (settings)
        ApplyHostRaceSettings(race);
    if (onMaster) {
        own.masterToken = OwnMasterToken();
        own.masterDeadline = GameTime.clockMs + MasterConfirmMs;
        CopyFixedString(own.userName, OwnMasterUserName(), ConnectionUserNameSize);
        ReportToMaster("JOJ", own.masterToken);
    }
}

int IsHostOnMaster()
{
    return Online && MultiplayerMode.host && !MultiplayerReplayPlaying && IsMasterLinkOpen();
}

void SendToHost(const uint8_t* packet, int length)
{
    if (MultiplayerMode.host)
        HandleImmediatePacket(packet, 0, length);
    else
        SendImmediatePacket(0, packet, length);
}

void SendToGuest(const uint8_t* packet, int length, int ucid)
{
    if (!MultiplayerMode.host)
        return;
    if (ucid == 0) {
        HandleImmediatePacket(packet, 0, length);
        return;
    }
    const int link = FindLinkByUcid(ucid);
    if (link >= 0)
        SendImmediatePacket(link, packet, length);
}

void SendToAllGuests(const uint8_t* packet, int length)
{
    if (!MultiplayerMode.host)
        return;
    HandleImmediatePacket(packet, 0, length);
    for (int i = 0; i < ClientLinkTable.linkCount; ++i)
        SendImmediatePacket(i, packet, length);
}

int IsOwnConnection(int index)
{
    return index == ConnectionTable.ownIndex && !MultiplayerReplayPlaying;
}

void PlayOwnSound(int index, int effect)
{
    if (IsOwnConnection(index))
        PlayUiSound(effect);
}
