// One frame of the in-race session: deferred requests, the exit, the frame
// time meter, the due game frames with their 10 ms steps, and the
// quick-draw road of a computer that draws nothing.
#include "session/local.h"

namespace {

constexpr int32_t MaxLiveControlMs = 2000;
constexpr int FrameTimeRingSize = 16;

// The request the player made while a connection was being made.
void CarryOutPendingRequest()
{
    const int request = MutableSessionFrame.pendingRaceRequest;
    if (request != 0 && !GetRaceHooks().isConnecting())
        PerformRaceRequest(request, 0);
}

void MeterFrameTime()
{
    SessionFrameRecord& frame = MutableSessionFrame;
    int32_t sum = 0;
    for (int i = 0; i + 1 < FrameTimeRingSize; ++i) {
        frame.frameTimeRing[i] = frame.frameTimeRing[i + 1];
        sum += frame.frameTimeRing[i];
    }
    frame.frameTimeRing[FrameTimeRingSize - 1] = GameTime.realElapsedMs;
    sum += GameTime.realElapsedMs;
    frame.fps = sum > 0 ? float(FrameTimeRingSize) / (float(sum) * 0.001f) : 0.0f;
}

// The physics mode of a step: more follow in this frame, or the last of
// several, or the only one.
int StepMode(int remaining, int stepsBefore)
{
    if (remaining >= 2)
        return StepModeMoreFollow;
    return stepsBefore == 0 ? StepModeOnly : StepModeLast;
}

// After each processed game frame: its votes and, offline, its step.
void StepAfterGameFrame()
{
    InRaceSession* session = CurrentSession;
    if (!session)
        return;
    ProcessVotes(*session);
    if (GetRaceHooks().isOnline() || MutableSessionFrame.stepsStopped)
        return;
    SessionFrameRecord& frame = MutableSessionFrame;
    const int remaining = int(GetRaceHooks().framesWaiting()) + 1;
    if (SimulateStep(*session, StepMode(remaining, frame.stepsThisFrame), remaining))
        frame.stepsStopped = 1;
    ++frame.stepsThisFrame;
}

// Online the steps follow the game frames that have come, ahead of the
// processed ones: local cars move at once, shared packets act when every
// computer has them.
void RunOnlineSteps(InRaceSession& session)
{
    const RaceHooks& hooks = GetRaceHooks();
    SessionFrameRecord& frame = MutableSessionFrame;
    const uint32_t due = uint32_t(hooks.onlineDueStep() < 0 ? 0 : hooks.onlineDueStep());
    while (CurrentRace && GameKind == 2 && !ProgramMode.quitState && CurrentRace->stepCounter < due &&
           !frame.stepsStopped) {
        const int remaining = int(due - CurrentRace->stepCounter);
        if (ProgramMode.dedicatedMode) {
            if (CurrentWorld)
                StepWorld(*CurrentWorld, nullptr);
            AdvanceRaceStep(session);
        } else if (SimulateStep(session, StepMode(remaining, frame.stepsThisFrame), remaining)) {
            frame.stepsStopped = 1;
        }
        ++frame.stepsThisFrame;
    }
}

void RunDueSteps(InRaceSession& session)
{
    SessionFrameRecord& frame = MutableSessionFrame;
    frame.stepsThisFrame = 0;
    frame.stepsStopped = 0;
    const RaceHooks& hooks = GetRaceHooks();
    hooks.runDueGameFrames(StepAfterGameFrame);
    if (hooks.isOnline())
        RunOnlineSteps(session);
}

// A computer that draws nothing (a dedicated host, graphics off, a quit
// pending) takes the quick-draw road. The log says when a frame first takes
// it and when a frame leaves it, not every frame.
bool IsQuickDrawCase() { return ProgramMode.dedicatedMode != 0 || !ProgramMode.graphicsOn || ProgramMode.quitState != 0; }

void NoteQuickDraw(InRaceSession& session, bool quick)
{
    if (quick == (session.quickDrawing != 0))
        return;
    session.quickDrawing = quick ? 1 : 0;
    LogLine(quick ? "Exit : quick draw" : "Exit : return");
}

} // namespace

void UpdateSession(InRaceSession* session)
{
    if (!session)
        return;
    CarryOutPendingRequest();
    if (ProgramMode.quitState)
        RequestSessionExit();
    ChooseViewedCarIfNone(*session);
    if (!session->running) {
        PerformSessionExit(session);
        return;
    }
    session->liveControlMs += GameTime.frameStepMs;
    if (session->liveControlMs > MaxLiveControlMs)
        session->liveControlMs = MaxLiveControlMs;
    MeterFrameTime();
    RunDueSteps(*session);
    if (!session->running)
        return;
    NoteQuickDraw(*session, IsQuickDrawCase());
}
