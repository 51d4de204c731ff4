// What the multiplayer layer gives the race: the frame road for its game
// packets, the game frame it processes, the connections and their names, and
// the session's votes (each connection's, the decided one, the refusal to
// the voter) and ids. The race's other network hooks keep their offline
// bodies until the parts they reach are built.
#include "net/local.h"
#include "session/services.h"

namespace {

const Connection* ConnectionAt(int c)
{
    return c >= 0 && c < ConnectionTable.count ? &ConnectionTable.connections[c] : nullptr;
}

void ReadVoteWords(GameVoteWords& words)
{
    words.decidedVote = SessionVotes.decidedVote;
    words.votesBlocked = SessionVotes.votesBlocked;
    words.hostVoteSent = SessionVotes.votesSent;
    words.countdown = SessionVotes.countdown;
}

void WriteVoteWords(const GameVoteWords& words)
{
    MutableSessionVotes.decidedVote = words.decidedVote;
    MutableSessionVotes.votesBlocked = words.votesBlocked;
    MutableSessionVotes.votesSent = words.hostVoteSent;
    MutableSessionVotes.countdown = words.countdown;
}

void ClearGameVotes()
{
    for (int c = 0; c < ConnectionTable.count; ++c)
        MutableConnectionTable.connections[c].gameVote = 0;
    MutableSessionVotes.decidedVote = 0;
    MutableSessionVotes.countdown = 0;
    MutableSessionVotes.votesSent = 0;
}

void CarryOutRaceRequest(int request)
{
    switch (request) {
    case 1: RequestJoinRace(); break;
    case 2: RequestEnterPits(); break;
    case 3: RequestSpectate(); break;
    case 4: VoteRestart(); break;
    case 5: VoteQualify(); break;
    case 6: VoteEndRace(); break;
    default: break;
    }
}

int32_t FramesWaiting()
{
    const int64_t waiting = int64_t(FrameDueByClock()) - int64_t(FrameClock.processedFrame);
    return waiting > 0 ? int32_t(waiting) : 0;
}

int32_t OnlineDueStep()
{
    const int64_t due = int64_t(FrameClock.currentFrame) - int64_t(FrameClock.raceStartFrame);
    return due > 0 ? int32_t(due) : 0;
}

} // namespace

void InstallNetSessionHooks()
{
    RaceHooks hooks = GetRaceHooks();
    hooks.queueGamePacket = QueueGamePacket;
    hooks.sendGameBundle = [](int now) {
        if (now)
            SendGameBundle(0);
    };
    hooks.isOnline = [] { return Online; };
    hooks.isHost = [] { return IsMultiplayerHost(); };
    // The race acts while a frame is processed; the processed frame is the
    // same on every computer, the current frame is not.
    hooks.gameFrame = [] { return static_cast<int32_t>(FrameClock.processedFrame); };
    hooks.ownConnection = [] { return ConnectionTable.ownIndex; };
    hooks.connectionCount = [] { return ConnectionTable.count; };
    hooks.connectionDriverName = [](int c) -> const char* {
        const Connection* record = ConnectionAt(c);
        return record ? record->name : nullptr;
    };
    hooks.connectionUserName = [](int c) -> const char* {
        const Connection* record = ConnectionAt(c);
        return record ? record->userName : nullptr;
    };
    hooks.clearEntryVotes = ClearEntryVotes;
    hooks.rememberFreedPlayerId = RememberFreedUcid;
    hooks.isHostOnMaster = IsHostOnMaster;
    hooks.runDueGameFrames = ProcessDueFrames;
    hooks.framesWaiting = FramesWaiting;
    hooks.onlineDueStep = OnlineDueStep;
    hooks.shiftClockOrigin = [](int32_t ms) { MutableFrameClock.initTime += uint32_t(ms); };
    hooks.readVoteWords = ReadVoteWords;
    hooks.writeVoteWords = WriteVoteWords;
    hooks.connectionVote = [](int c) {
        const Connection* record = ConnectionAt(c);
        return record ? int(record->gameVote) : 0;
    };
    hooks.setConnectionVote = [](int c, int vote) {
        if (ConnectionAt(c))
            MutableConnectionTable.connections[c].gameVote = static_cast<uint8_t>(vote);
    };
    hooks.clearGameVotes = ClearGameVotes;
    hooks.hasDecidedVote = [] { return SessionVotes.decidedVote != 0 ? 1 : 0; };
    // A connection whose car left no longer votes on the race.
    hooks.clearConnectionInRace = [](int c) {
        if (ConnectionAt(c))
            MutableConnectionTable.connections[c].gameVote = 0;
    };
    hooks.sendToConnection = [](int c, const uint8_t* bytes, int length) {
        const int link = FindClient(c, nullptr);
        if (link >= 0)
            SendImmediatePacket(link, bytes, length);
    };
    hooks.postponeStateCheck = [](int) { PostponeStateCheck(); };
    hooks.raceRequest = CarryOutRaceRequest;
    SetRaceHooks(hooks);
}
