// The game votes of a running race (end, restart, qualify): counted once
// per processed game frame and, after their countdown, carried out; and the
// local player's race requests, which the multiplayer layer carries out.
#include "session/ai_driver.h"
#include "session/local.h"

namespace {

enum : int { VoteNone = 0, VoteEnd = 1, VoteRestart = 2, VoteQualify = 3 };
constexpr int VoteKinds = 3;
// Game frames a decided vote waits: online with one connection or
// several; offline for a restart or qualifying (an end acts at once).
constexpr int32_t OnlineSingleCountdown = 100;
constexpr int32_t OnlineCountdown = 300;
constexpr int32_t OfflineCountdown = 100;
// A rate-limited race request waits this long after the last one.
constexpr uint32_t RaceRequestIntervalMs = 1000;
constexpr int MaxConnections = 48;
// The host's vote packet: [85][1][vote][4] and 48 zero bytes.
constexpr uint8_t VotesPacketType = 85;
constexpr int VotesPacketSize = 52;

// The vote of every connection that owns at least one slot of the race, in
// connection order; their number.
int CollectDriverVotes(const Race& race, uint8_t* votes)
{
    const RaceHooks& hooks = GetRaceHooks();
    const int connections = hooks.connectionCount() < 1 ? 1 : hooks.connectionCount();
    int count = 0;
    for (int c = 0; c < connections && c < MaxConnections; ++c) {
        bool drives = false;
        for (int slot = 0; slot < RaceSlotsInUse(race) && !drives; ++slot)
            drives = race.players[slot].descriptor.connection == c;
        if (drives)
            votes[count++] = uint8_t(hooks.connectionVote(c));
    }
    return count;
}

int32_t CountdownFor(int vote)
{
    const RaceHooks& hooks = GetRaceHooks();
    if (hooks.isOnline())
        return hooks.connectionCount() > 1 ? OnlineCountdown : OnlineSingleCountdown;
    return vote == VoteEnd ? 0 : OfflineCountdown;
}

// The race ends: the active set holds the slots' cars, the session leaves
// at its next frame and the votes are cleared.
void CarryOutEndVote(InRaceSession& session)
{
    StopSessionRecordingIfAny();
    FillObjectSetWithCars(session.objectSet);
    MutableSession.racePhase = 0;
    MutableSession.gameKind = 1;
    session.running = 0;
    GetRaceHooks().clearGameVotes();
}

// A restart or qualifying: the drive starts again in the new phase.
void CarryOutRestartVote(InRaceSession& session, int vote)
{
    StopSessionRecordingIfAny();
    MutableSession.racePhase = vote == VoteQualify ? 2 : 1;
    if (CurrentRace) {
        CurrentRace->fromGrid = 1;
        for (int i = 0; i < RaceSlotsInUse(*CurrentRace); ++i)
            if (RacePlayer& slot = CurrentRace->players[i]; slot.ai)
                PlanAiFuel(*slot.ai, slot, vote == VoteQualify);
    }
    RestartSessionDrive(session);
}

// A decided vote counts down; at its end it acts. 1 while a decided vote
// exists (nothing more is counted then).
bool RunDecidedVote(InRaceSession& session, GameVoteWords& words)
{
    if (words.decidedVote == VoteNone)
        return false;
    if (--words.countdown > 0) {
        GetRaceHooks().writeVoteWords(words);
        return true;
    }
    const int vote = words.decidedVote;
    words.decidedVote = VoteNone;
    words.countdown = 0;
    GetRaceHooks().writeVoteWords(words);
    if (vote == VoteEnd)
        CarryOutEndVote(session);
    else
        CarryOutRestartVote(session, vote);
    return true;
}

// The host's own vote decides; otherwise the drivers' connections count.
void CountVotes(const Race& race, GameVoteWords& words)
{
    const RaceHooks& hooks = GetRaceHooks();
    int vote = hooks.connectionVote(0);
    if (vote == VoteNone) {
        uint8_t votes[MaxConnections] = {};
        const int count = CollectDriverVotes(race, votes);
        vote = DecideGameVote(votes, count);
    }
    if (vote == VoteNone)
        return;
    words.decidedVote = uint8_t(vote);
    words.countdown = CountdownFor(vote);
    hooks.writeVoteWords(words);
}

// A host whose race has no drivers sends its own vote to the guests once.
void SendHostVote(GameVoteWords& words)
{
    const RaceHooks& hooks = GetRaceHooks();
    const int vote = hooks.connectionVote(0);
    if (vote == VoteNone || words.hostVoteSent || !hooks.isHost())
        return;
    uint8_t packet[VotesPacketSize] = {VotesPacketType, 1, uint8_t(vote), 4};
    hooks.queueGamePacket(packet, VotesPacketSize);
    hooks.sendGameBundle(1);
    words.hostVoteSent = 1;
    hooks.writeVoteWords(words);
}

} // namespace

int DecideGameVote(const uint8_t* votes, int connectionCount)
{
    if (connectionCount <= 0)
        return VoteNone;
    int counts[VoteKinds + 1] = {};
    for (int c = 0; c < connectionCount; ++c)
        if (votes[c] >= VoteEnd && votes[c] <= VoteKinds)
            ++counts[votes[c]];
    const int needed = (connectionCount + 1) / 2;
    for (int vote = VoteKinds; vote >= VoteEnd; --vote)
        if (counts[vote] >= needed)
            return vote;
    return VoteNone;
}

void ProcessVotes(InRaceSession& session)
{
    if (GameKind == 1)
        return;
    const RaceHooks& hooks = GetRaceHooks();
    GameVoteWords words;
    hooks.readVoteWords(words);
    const bool hasPlayers = CurrentRace && RaceSlotsInUse(*CurrentRace) > 0;
    if (!hasPlayers && !hooks.isConnecting() && hooks.connectionCount() < 2 && words.decidedVote == VoteNone) {
        // The last driver of an offline race has left: it ends.
        words.decidedVote = VoteEnd;
        words.countdown = 0;
        hooks.writeVoteWords(words);
    }
    if (words.votesBlocked || RunDecidedVote(session, words))
        return;
    if (hasPlayers)
        CountVotes(*CurrentRace, words);
    else
        SendHostVote(words);
}

void PerformRaceRequest(int request, int rateLimited)
{
    SessionFrameRecord& frame = MutableSessionFrame;
    if (rateLimited) {
        if (frame.lastRaceRequestMs != 0 && GameTime.clockMs - frame.lastRaceRequestMs < RaceRequestIntervalMs)
            return;
        frame.lastRaceRequestMs = GameTime.clockMs;
    }
    const RaceHooks& hooks = GetRaceHooks();
    if (hooks.isConnecting()) {
        frame.pendingRaceRequest = request;
        return;
    }
    frame.pendingRaceRequest = 0;
    if (request >= 1 && request <= 6)
        hooks.raceRequest(request);
}
