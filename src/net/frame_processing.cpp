// The frame clock and frame processing: which frame is due, when the next
// frame may be processed, and the pass of the session that polls, sends and
// processes.
#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"

FrameClockRecord MutableFrameClock;
const FrameClockRecord& FrameClock = MutableFrameClock;

// The frame the game clock has reached: 10 ms per frame from InitTime, 0
// while the clock has not passed it (the clock wraps, so the difference is
// read as signed).
uint32_t FrameDueByClock()
{
    const uint32_t elapsed = GameTime.clockMs - FrameClock.initTime;
    if (static_cast<int32_t>(elapsed) <= 0)
        return 0;
    return elapsed / 10;
}

namespace {

// Whether processing is behind the frame that is due after the delay.
bool IsProcessingBehind()
{
    return static_cast<int64_t>(FrameClock.processedFrame) + FrameClock.processingDelay <
           static_cast<int64_t>(FrameClock.currentFrame);
}

// Connections marked by packet handlers leave after the frame; the loop
// looks again at the slot that the last record moved into.
void RemoveMarkedConnections()
{
    int i = 0;
    while (i < ConnectionTable.count) {
        if (i != ConnectionTable.ownIndex && ConnectionTable.connections[i].remove)
            RemoveConn(i);
        else
            ++i;
    }
}

// Player slots whose connection is gone leave the race; results that became
// due are confirmed.
void CheckRaceAfterFrame()
{
    Race* race = CurrentRace;
    if (!race)
        return;
    for (int i = RaceSlotsInUse(*race) - 1; i >= 0; --i) {
        RacePlayer& slot = race->players[i];
        if (slot.descriptor.connection < ConnectionTable.count)
            continue;
        char text[128];
        std::snprintf(text, sizeof text, GetText(TX_3a_rmvxbadc), PrepareColourText(slot.descriptor.name));
        PrintMessage(text, ColourLightRed);
        RemoveCarFromSession(slot);
        RemovePlayer(*race, i);
    }
    if (race->resultsSendFrame != 0 && static_cast<int32_t>(FrameClock.processedFrame) > race->resultsSendFrame)
        UpdateRaceResults(*race);
    UpdateFastestLapNotice(*race);
}

} // namespace

void UpdateGameFrame()
{
    MutableFrameClock.currentFrame = FrameDueByClock();
}

int IsNextFrameReady()
{
    for (int i = 0; i < ConnectionTable.count; ++i) {
        const Connection& c = ConnectionTable.connections[i];
        if (!c.leaving && c.ring.framesReceived <= FrameClock.processedFrame)
            return 0;
    }
    return 1;
}

void ProcessNextFrame()
{
    if (IsMprRecording()) {
        const int64_t written = static_cast<int64_t>(FrameClock.processedFrame) - FrameClock.raceStartFrame - 100;
        if (written > 0)
            AdvanceMprFrames(static_cast<uint32_t>(written));
    }
    // Only the connections that existed when the frame began take part: one
    // added by this frame's packets starts with the next frame.
    const int count = ConnectionTable.count;
    for (int i = 0; i < count && i < ConnectionTable.count; ++i) {
        if (ConnectionTable.connections[i].ring.framesReceived > FrameClock.processedFrame)
            TakeFrameBundle(i);
    }
    ++MutableFrameClock.processedFrame;
    RemoveMarkedConnections();
    CheckRaceAfterFrame();
}

void NetUpdate(int forced)
{
    PollClientLinks();
    if (MultiplayerMode.host)
        UpdateKickVoteTimer(GameTime.frameStepMs);
    if (FrameClock.sentFrames < FrameClock.currentFrame || forced)
        SendGameBundle(forced);
    if (MultiplayerMode.host) {
        UpdateMasterLink();
    } else {
        CheckHostLink();
        if (FrameClock.hostLost == 1) {
            TellInSimMultiplayer(0);
            MutableFrameClock.hostLost = 0;
            while (ConnectionTable.count > 0)
                RemoveConn(ConnectionTable.count - 1);
            MutableConnectionTable.ownIndex = 0;
            MutableFrameClock.sessionState = SessionEnded;
        }
    }
    PollGameUdp();
}

void ProcessDueFrames(void (*gameStep)())
{
    if (!Online) {
        // Alone, frames are not waited for: each frame due by the clock is
        // sent into the own ring and processed at once.
        const uint32_t due = FrameDueByClock();
        while (FrameClock.sessionState == SessionRunning && FrameClock.processedFrame < due) {
            ++MutableFrameClock.currentFrame;
            if (FrameClock.sentFrames < FrameClock.currentFrame)
                SendGameBundle(1);
            if (FrameClock.sessionState != SessionRunning)
                break;
            ProcessNextFrame();
            if (gameStep)
                gameStep();
        }
        return;
    }
    while (FrameClock.sessionState == SessionRunning && IsProcessingBehind() && IsNextFrameReady()) {
        ProcessNextFrame();
        if (gameStep)
            gameStep();
        SendLagReport();
    }
    if (IsProcessingBehind())
        ++MutableNet.behindCount;
    EmergencyRestart();
}
