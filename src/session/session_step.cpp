// The session's fixed 10 ms step: the drivers, the world's wind and start
// lights, the physics of the active bodies and the race's counters; and the
// in-car view's head turn that follows the step.
#include <cfenv>
#include <numbers>

#include "session/local.h"

namespace {

constexpr float StepSeconds = 0.01f;
constexpr float Pi = std::numbers::pi_v<float>;
// The head turn is a damped spring: stiffness 500 /s^2 and damping 40 /s
// (about 0.89 of critical), so it settles within half a second with a
// barely visible overshoot.
constexpr float LookStiffness = 500.0f;
constexpr float LookDamping = 40.0f;
// The running order is rebuilt this often (steps, a power of two).
constexpr uint32_t RunningOrderMask = 127;

// Drivers from outside the program that write the input words of cars
// without an AI driver of their own; null when none. Lives for the whole
// run.
void (*StepDrivers)(Race& race) = nullptr;

bool IsMultiplayerReplayPlaying() { return GetCarNetHooks().isReplayPlaying() != 0; }

// The drivers of the step: the AI drivers (and the outside drivers in
// their place), unless a replay drives the cars.
void DriveCars()
{
    if (!CurrentRace || GameKind == 3 || IsMultiplayerReplayPlaying())
        return;
    UpdateAiDrivers(*CurrentRace, nullptr);
    if (StepDrivers)
        StepDrivers(*CurrentRace);
}

float LookTargetAngle(const InRaceSession& session, const CarObject& viewed)
{
    const float buttonLook = Pi * Settings.buttonLook / 180.0f;
    switch (session.lookState) {
    case 1:
        return session.lookTarget < 0 ? -Pi / 2 : Pi / 2;
    case 2:
        return buttonLook;
    case 3:
        return -buttonLook;
    case 4:
        return 0;
    default:
        return Settings.steerLook == 1 ? Settings.steerLookAmount * ViewRaceCar(viewed).steering : 0.0f;
    }
}

} // namespace

void SetSessionStepDrivers(void (*driveCars)(Race& race)) { StepDrivers = driveCars; }

void SmoothViewTurn(InRaceSession& session)
{
    const CarObject* viewed = SessionCars.viewedCar;
    if (!viewed)
        return;
    session.lookTarget = LookTargetAngle(session, *viewed);
    const bool followsSteering = Settings.steerLook == 1 && session.lookState == 0 && session.previousLookState == 0;
    if (Settings.instantLook && !followsSteering) {
        session.lookAngle = session.lookTarget;
        session.lookSpeed = 0;
    } else {
        session.lookSpeed += ((session.lookTarget - session.lookAngle) * LookStiffness - session.lookSpeed * LookDamping) *
                             StepSeconds;
        session.lookAngle += session.lookSpeed * StepSeconds;
    }
    session.previousLookState = session.lookState;
}

void AdvanceRaceStep(InRaceSession&)
{
    ++MutableSessionCars.stepCount;
    SessionFrameRecord& frame = MutableSessionFrame;
    if (frame.yellowFlagSteps > 0)
        --frame.yellowFlagSteps;
    if (frame.blueFlagSteps > 0)
        --frame.blueFlagSteps;
    if (!CurrentRace)
        return;
    Race& race = *CurrentRace;
    ++race.stepCounter;
    if ((race.stepCounter & RunningOrderMask) == 0)
        UpdateRunningOrder(race);
}

int SimulateStep(InRaceSession& session, int mode, int remaining)
{
    if (GameKind == 1)
        return 1;
    // Every step starts from the same rounding and exception state, so
    // that nothing a previous frame left behind can change a result.
    std::fesetenv(FE_DFL_ENV);
    DriveCars();
    if (SessionCars.playerCar) {
        session.controls.playerCar = SessionCars.playerCar;
        session.controls.viewedCar = SessionCars.viewedCar;
        ReadCarControls(session.controls, remaining);
    }
    if (MutableSessionFrame.seekStop)
        return 0;
    if (CurrentWorld) {
        const WorldRaceSettings settings = MakeWorldRaceSettings(CurrentRace);
        StepWorld(*CurrentWorld, &settings);
    }
    if (!session.running) {
        if (CurrentRace)
            ++CurrentRace->stepCounter;
        return 0;
    }
    UpdatePhysicsObjects(session.objectSet, mode != StepModeMoreFollow ? 1 : 0);
    SmoothViewTurn(session);
    AdvanceRaceStep(session);
    return 0;
}
