// The AI driver's life cycle, its states and the per-step update: waiting
// for the start, stuck detection, reversing away, standing still, gear
// change requests and the rate-limited writing of the car's input words.
#include <cmath>
#include <numbers>

#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
// Steps a gear change request holds before the next may be asked.
constexpr uint8_t ShiftUpHoldSteps = 100, ShiftDownHoldSteps = 20;
// A pit-lane start waits this many steps at least.
constexpr int32_t PitStartDelaySteps = 100;
// The trail's first points: an eighth of a metre apart, so a fresh trail
// never reads as stuck.
constexpr int32_t TrailSpacing = 8192;
// Pedal words move at most this much of their range per second.
constexpr float PedalRatePerSecond = 10;
// The steering rate of a 1500 kg car, in full locks per second.
constexpr float ReferenceSteerRate = 0.8f * Pi;
constexpr float ReferenceMass = 1500;
// A car counts as upright with its up axis at least this high.
constexpr float UprightUpComponent = 0.5f;
// Speeds (m/s) below which the reversing car steers straight and the
// standing car holds its handbrake.
constexpr float ReverseSteerSpeed = 0.5f, StandStillSpeed = 0.1f;
// A car backing away from a wall or a car reverses for this many steps at
// least before it may turn to the line again: a car that stopped against a
// wall at a shallow angle already points along the line, and without room
// between it and the wall it would drive straight back into it.
constexpr int32_t LeastReverseSteps = 150;
// A car that backed away less than this (m) in the least reversing time
// found no way out backward; one stuck again within the larger distance
// (m) of where it last began to back away found no way round the obstacle
// forward either. Either car is stuck both ways.
constexpr float NoWayBackMetres = 1, NoWayRoundMetres = 3;
// Deceleration (m/s^2) of a car coming to a stand.
constexpr float StandStillDecel = 5;

bool IsUpright(const CarObject& car) { return car.rotation.m[8] >= UprightUpComponent; }

uint16_t PedalWordOf(float value) { return uint16_t(std::lrint(Clamp(value, 0.0f, 1.0f) * 65535.0f)); }

float MoveToward(float value, float target, float step)
{
    if (value < target)
        return value + step < target ? value + step : target;
    return value - step > target ? value - step : target;
}

// The holding engine speed for the start-light phase: none before the
// lights, the lower start speed while two red lights show, the launch
// speed from the third.
float HoldingEngineSpeed(const CarObject& car, int phase)
{
    if (phase <= 0)
        return 0;
    return phase <= 2 ? AiClutchBiteSpeed(car.engine) : AiLaunchSpeed(car.engine);
}

// The throttle that holds the engine at speed: its friction over its full
// torque there.
float HoldingThrottle(const CarObject& car, float speed)
{
    if (speed <= 1)
        return 0;
    const float torque = EngineTorqueAt(car.engine, speed);
    if (torque <= 0)
        return 0;
    return std::fabs(EngineFrictionAt(car.engine, speed) / torque);
}

// State 1: on the grid with the handbrake on and the engine held ready; the
// car leaves after its reaction time once the lights go.
void AiWaitForStart(AiDriver& ai, const AiRaceView& view)
{
    CarObject& car = *ai.car;
    car.inputs.words[AiHandbrakeWord] = 65535;
    ai.throttleTarget = HoldingThrottle(car, HoldingEngineSpeed(car, view.startLightPhase));
    if (ai.countdown != 0) {
        if (--ai.countdown == 0)
            SetAiState(ai, AiRacing);
    } else if (view.raceSession && view.startLightPhase >= 4 && view.drawRandom) {
        const int r = view.drawRandom();
        ai.countdown = ((r >> 8) + 100) / 10;
    }
}

// The pit-line node nearest the car (least squared flat distance; the
// first of equals).
int NearestPitLineNode(const AiDriver& ai)
{
    const AiKnowledge& pit = ai.pitKnowledge;
    int best = 0;
    double bestDistance = 0;
    for (int i = 0; i < pit.nodeCount; i++) {
        const double dx = FixedToMetres(pit.nodes[i].x - ai.car->position.x);
        const double dy = FixedToMetres(pit.nodes[i].y - ai.car->position.y);
        const double d = dx * dx + dy * dy;
        if (i == 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// State 2: waits in the pit lane, then leaves along the pit line.
void AiWaitInPit(AiDriver& ai)
{
    if (ai.countdown > 0 && --ai.countdown > 0)
        return;
    SetAiState(ai, AiRacing);
    if (ai.hasPitLine) {
        ai.onPitLine = 1;
        ai.pitLineIndex = NearestPitLineNode(ai);
    }
}

// State 6: backs away at half throttle until the car points along the
// line, then brakes and races on.
void AiReverseOut(AiDriver& ai, const AiRaceView& view)
{
    CarObject& car = *ai.car;
    if (ai.follower.position < 0)
        AiResumeRacing(ai);
    if (car.step.gear > AiReverseGear) {
        AiShiftDown(ai);
        return;
    }
    if (!view.paused) {
        AiAskResetWhileWedged(ai, view);
        // Stuck while backing away as well: the car is wedged, and is put
        // back on the road where the race allows it.
        if (AiTrackRecentPositions(ai, car.position)) {
            if (view.resetsAllowed)
                RequestCarReset(car, 0);
            AiResumeRacing(ai);
        }
        const Vec3 f = AiForwardAxis(car);
        const float dot = f.x * ai.lineDir.x + f.y * ai.lineDir.y;
        const float lengths = std::sqrt(f.x * f.x + f.y * f.y) *
                              std::sqrt(ai.lineDir.x * ai.lineDir.x + ai.lineDir.y * ai.lineDir.y +
                                        ai.lineDir.z * ai.lineDir.z);
        if (ai.countdown > 0) {
            // Still where it began to back away when the least reversing
            // time is over: no way out backward either.
            if (--ai.countdown == 0 && AiStuckBothWays(ai, NoWayBackMetres)) {
                AiCheckWedged(ai, view, NoWayBackMetres);
                AiResumeRacing(ai);
                return;
            }
        } else if (dot > 0.01f && lengths > 0 && dot / lengths > 0.5f)
            ai.reversePhase = 1;
    }
    ai.brakeTarget = ai.reversePhase ? 1.0f : 0.0f;
    ai.throttleTarget = ai.reversePhase ? 0.0f : 0.5f;
    const Vec3& v = car.velocity;
    const float speed = AiCarSpeed(car);
    if (speed >= ReverseSteerSpeed) {
        const float lockRad = float(car.data.setup ? car.data.setup->maxLock : 0) * (Pi / 180);
        const float across = ai.lineDir.y * v.x / speed - ai.lineDir.x * v.y / speed;
        ai.steerTarget = lockRad > 0 ? Clamp(across / -lockRad, -1.0f, 1.0f) : 0.0f;
    } else {
        ai.steerTarget = 0;
        if (ai.reversePhase) {
            // The car came to a stand where it began to back away: it
            // moved neither way and asks to be put back on the road.
            AiCheckWedged(ai, view, NoWayBackMetres);
            AiResumeRacing(ai);
        }
    }
}

// State 7: the car is brought to a stand in first gear (or neutral for a
// gearbox of kind 2); with stop set, a standing car holds its handbrake
// and its engine is switched off.
void AiStandStill(AiDriver& ai, int stop)
{
    CarObject& car = *ai.car;
    const float speed = car.step.speed;
    if (car.data.gearboxKind == 2) {
        if (speed < 2) {
            if (car.step.gear == AiFirstGear)
                AiShiftUp(ai);
            else if (car.step.gear > AiFirstGear)
                AiShiftDown(ai);
        }
    } else if (speed < 5) {
        if (car.step.gear == AiReverseGear)
            AiShiftUp(ai);
        else if (car.step.gear > AiNeutralGear)
            AiShiftDown(ai);
    }
    ai.throttleTarget = 0;
    if (stop && speed < StandStillSpeed) {
        ai.brakeTarget = 0;
        car.inputs.words[AiHandbrakeWord] = 65535;
        if (car.engine.running)
            car.inputs.words[AiIgnitionWord] = 1;
    } else {
        const float full = ai.mainKnowledge.fullBrakeDecel;
        ai.brakeTarget = ai.mainKnowledge.nodeCount > 0 && full > 0 ? std::fmin(1.0f, StandStillDecel / full) : 1.0f;
    }
}

// The key segment whose span holds the node; 0 when none does.
int KeySegmentOfNode(const AiKnowledge& knowledge, int node)
{
    for (int k = 0; k < knowledge.keyCount; k++) {
        const KnowledgeSegment& key = knowledge.keys[k];
        const bool wraps = key.endNode < key.startNode;
        if (wraps ? (node >= key.startNode || node < key.endNode) : (node >= key.startNode && node < key.endNode))
            return k;
    }
    return 0;
}

// Places the driver on the racing line when it has no node yet: the
// knowledge (re)loaded for the world's configuration, the follower placed
// at the car, the key segment found and the driver's sideways offset taken
// from where the car stands. 0 when it could not be placed.
int PlaceAiDriver(AiDriver& ai, const AiRaceView& view)
{
    const Path* route = view.pathWorld.currentPath;
    if (!route) {
        ai.follower.failed = 1;
        UnloadAiKnowledge(ai);
        return 0;
    }
    int justLoaded = 0;
    if (ai.knowledgeConfig != view.configuration || ai.knowledgeReversed != view.reversed ||
        ai.knowledgeNodes != route->nodeCount) {
        if (!LoadAiKnowledge(ai, view)) {
            UnloadAiKnowledge(ai);
            return 0;
        }
        justLoaded = 1;
    }
    if (ai.follower.failed || FindFollowerPosition(ai.follower, ai.car->position, 0, view.pathWorld) < 0 ||
        ai.follower.position >= ai.mainKnowledge.nodeCount) {
        UnloadAiKnowledge(ai);
        return 0;
    }
    ai.keySegment = uint8_t(KeySegmentOfNode(ai.mainKnowledge, ai.follower.position));
    if (!justLoaded)
        AiUpdateMainProfile(ai, view);
    const KnowledgeNode& node = ai.mainKnowledge.nodes[ai.follower.position];
    const Vec3 d = OffsetFromFixed(ai.car->position - FixedVector{node.x, node.y, node.z});
    const float side = d.x * node.dir.y - d.y * node.dir.x;
    ai.lateralOffset = ai.lateralTarget = side;
    return 1;
}

} // namespace

float AiLaunchSpeed(const EngineRecord& engine) { return 0.5f * (engine.idleSpeed + engine.maxTorqueSpeed); }

float AiClutchBiteSpeed(const EngineRecord& engine) { return 1.25f * engine.idleSpeed; }

float AiSkillFactor(const AiDriver& ai) { return 0.6f + 0.1f * float(ai.skill > 4 ? 4 : ai.skill); }

float AiCarSpeed(const CarObject& car)
{
    const Vec3& v = car.velocity;
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vec3 AiForwardAxis(const CarObject& car) { return {car.rotation.m[1], car.rotation.m[4], car.rotation.m[7]}; }

Vec3 AiSideAxis(const CarObject& car) { return {car.rotation.m[0], car.rotation.m[3], car.rotation.m[6]}; }

float AiArcSine(float x)
{
    if (!(x >= -1 && x <= 1))
        return 0;
    return float(ComputeAtan2(double(x), std::sqrt(1.0 - double(x) * double(x))));
}

float AiArcTangent(float x) { return float(ComputeAtan2(double(x), 1.0)); }

void InitAiDriver(AiDriver& ai, int skill)
{
    ai = AiDriver{};
    InitPathFollower(ai.follower);
    ai.skill = uint8_t(skill < 0 ? 0 : skill > 4 ? 4 : skill);
}

AiDriver* CreateAiDriver(CarObject& car, int skill)
{
    AiDriver* ai = new AiDriver;
    InitAiDriver(*ai, skill);
    ai->car = &car;
    return ai;
}

void FreeAiKnowledge(AiDriver& ai)
{
    FreeKnowledge(ai.mainKnowledge);
    FreeKnowledge(ai.pitKnowledge);
}

void FreeAiDriver(AiDriver* ai)
{
    if (!ai)
        return;
    FreeAiKnowledge(*ai);
    delete ai;
}

void UnloadAiKnowledge(AiDriver& ai)
{
    FreeAiKnowledge(ai);
    ai.knowledgeConfig = ai.knowledgeReversed = ai.knowledgeNodes = -1;
    ai.hasPitLine = 0;
    SetAiState(ai, AiStandingStill);
}

void SetAiState(AiDriver& ai, int state)
{
    ai.state = state;
    ai.reversePhase = 0;
    ai.stopSideChosen = ai.stopSide = 0;
}

void ResetAiTrail(AiDriver& ai)
{
    for (int i = 0; i < 4; i++)
        ai.trail[i] = {Fixed(i * TrailSpacing), Fixed(0), Fixed(0)};
    ai.trailSteps = AiTrailSampleSteps;
}

void ResetAiDriver(AiDriver& ai, int startKind, uint16_t (*drawRandom)())
{
    SetAiState(ai, startKind ? AiWaitingInPit : AiWaitingOnGrid);
    ai.follower.position = -1;
    ai.follower.failed = 0;
    ai.keySegment = ai.pitPhase = 0;
    ai.runStartLap = 0;
    ai.throttleTarget = ai.steerTarget = ai.brakeTarget = 0;
    ai.lineDir = {};
    ai.onPitLine = 0;
    ai.pitIntention = AiPitNone;
    ai.pitLineIndex = 0;
    ai.shiftTargetGear = ai.shiftCut = ai.shiftHold = 0;
    ai.car->inputs.words[AiShiftUpWord] = ai.car->inputs.words[AiShiftDownWord] = 0;
    if (startKind == AiStartPit)
        ai.countdown = PitStartDelaySteps;
    else if (startKind != 0 && drawRandom)
        ai.countdown = (drawRandom() >> 1) / 10 + PitStartDelaySteps;
    else
        ai.countdown = startKind ? PitStartDelaySteps : 0;
    ResetAiTrail(ai);
    ai.reverseTried = ai.wedged = 0;
    ai.lateralTarget = ai.lateralOffset = 0;
    for (AiOtherCar& other : ai.others)
        other = {};
    ai.lookAhead = 0.1f;
    const float mass = ai.car->mass > 0 ? ai.car->mass : ReferenceMass;
    ai.maxSteerRate = ReferenceSteerRate * std::sqrt(ReferenceMass / mass);
}

void ResetAiDriverForStart(AiDriver& ai, int startKind)
{
    const AiRaceView view = GatherAiRaceView();
    ResetAiDriver(ai, startKind, view.drawRandom);
}

int AiTrackRecentPositions(AiDriver& ai, const FixedVector& position)
{
    if (--ai.trailSteps > 0)
        return 0;
    ai.trailSteps = AiTrailSampleSteps;
    for (int i = 0; i < 3; i++)
        ai.trail[i] = ai.trail[i + 1];
    ai.trail[3] = position;
    for (int i = 0; i < 3; i++) {
        const int64_t dx = int64_t(ai.trail[i].x.raw) - position.x.raw;
        const int64_t dy = int64_t(ai.trail[i].y.raw) - position.y.raw;
        const int64_t dz = int64_t(ai.trail[i].z.raw) - position.z.raw;
        if (dx * dx + dy * dy + dz * dz >= int64_t(TrailSpacing) * TrailSpacing)
            return 0;
    }
    ResetAiTrail(ai);
    return 1;
}

void AiHandleStuck(AiDriver& ai, const AiRaceView& view)
{
    CarObject& car = *ai.car;
    // A car standing in its box is not stuck: its pit work runs from the
    // stop until it moves off, a stop-go's wait included.
    if (car.race.pitWork != 0 || car.race.pitState == PitWorking)
        return;
    AiAskResetWhileWedged(ai, view);
    if (!AiTrackRecentPositions(ai, car.position))
        return;
    if (car.follower && car.follower->position >= 0 && car.follower->position < ai.mainKnowledge.nodeCount)
        ai.follower.position = car.follower->position;
    if (IsUpright(car) && car.data.gearboxKind != 2) {
        if (!car.engine.running)
            return;
        // Stuck where the last backing away began: neither way freed the
        // car (a wall behind, a car alongside). It asks to be put back on
        // the road where the race allows it, and backs away meanwhile, as
        // the request may be refused while other cars are near.
        AiCheckWedged(ai, view, NoWayRoundMetres);
        AiBeginReverse(ai);
    } else if (view.resetsAllowed) {
        RequestCarReset(car, 0);
    } else {
        SetAiState(ai, AiStandingStill);
    }
}

int AiStuckBothWays(const AiDriver& ai, float metres)
{
    if (!ai.reverseTried)
        return 0;
    const Vec3 moved = OffsetFromFixed(ai.car->position - ai.reverseStart);
    return moved.x * moved.x + moved.y * moved.y + moved.z * moved.z < metres * metres;
}

void AiCheckWedged(AiDriver& ai, const AiRaceView& view, float metres)
{
    if (AiStuckBothWays(ai, metres))
        ai.wedged = 1;
    AiAskResetWhileWedged(ai, view);
}

void AiAskResetWhileWedged(AiDriver& ai, const AiRaceView& view)
{
    if (!ai.wedged)
        return;
    if (!AiStuckBothWays(ai, NoWayRoundMetres))
        ai.wedged = 0;
    else if (view.resetsAllowed)
        RequestCarReset(*ai.car, 0);
}

void AiBeginReverse(AiDriver& ai)
{
    SetAiState(ai, AiReversing);
    ai.reverseStart = ai.car->position;
    ai.reverseTried = 1;
    ai.countdown = LeastReverseSteps;
    ai.throttleTarget = ai.steerTarget = ai.lateralTarget = 0;
    if (ai.car->step.gear > AiReverseGear)
        AiShiftDown(ai);
}

void AiResumeRacing(AiDriver& ai)
{
    SetAiState(ai, AiRacing);
    ai.throttleTarget = ai.steerTarget = ai.lateralTarget = 0;
    if (ai.car->step.gear < AiFirstGear)
        AiShiftUp(ai);
}

void AiShiftUp(AiDriver& ai)
{
    CarObject& car = *ai.car;
    if (ai.shiftHold != 0 || car.step.upLatch)
        return;
    car.inputs.words[AiShiftUpWord] = 1;
    ai.shiftHold = ShiftUpHoldSteps;
    if (car.step.gear > AiNeutralGear)
        ai.shiftCut = 1;
    ai.shiftTargetGear = uint8_t(car.step.gear + 1);
}

void AiShiftDown(AiDriver& ai)
{
    CarObject& car = *ai.car;
    if (ai.shiftHold != 0 || car.step.downLatch)
        return;
    car.inputs.words[AiShiftDownWord] = 1;
    ai.shiftHold = ShiftDownHoldSteps;
}

void AiApplyInputs(AiDriver& ai, float dt)
{
    CarObject& car = *ai.car;
    uint16_t* words = car.inputs.words;
    if (ai.shiftHold != 0 && words[AiShiftUpWord] != 0) {
        if (car.data.gearboxKind == 1 && ai.shiftCut) {
            if (GetEngineSpeedFromWheels(car) >= car.engine.speed)
                ai.shiftCut = 0;
            else
                ai.throttleTarget = 0;
        } else if ((car.data.gearboxKind == 2 || car.data.gearboxKind == 3) && car.step.gear != ai.shiftTargetGear) {
            ai.throttleTarget = 0;
        }
    }
    const float pedalStep = PedalRatePerSecond * dt;
    if (words[AiBrakeWord] == 0) {
        const float throttle = float(words[AiThrottleWord]) / 65535.0f;
        words[AiThrottleWord] = PedalWordOf(MoveToward(throttle, Clamp(ai.throttleTarget, 0.0f, 1.0f), pedalStep));
    }
    if (words[AiThrottleWord] == 0) {
        const float brake = float(words[AiBrakeWord]) / 65535.0f;
        words[AiBrakeWord] = PedalWordOf(MoveToward(brake, Clamp(ai.brakeTarget, 0.0f, 1.0f), pedalStep));
    }
    const float steer = (float(words[AiSteerWord]) - 32768.0f) / 32767.0f;
    const float next = Clamp(MoveToward(steer, Clamp(ai.steerTarget, -1.0f, 1.0f), dt * ai.maxSteerRate), -1.0f, 1.0f);
    words[AiSteerWord] = uint16_t(std::lrint(next * 32767.0f) + 32768);
}

void StepAiDriver(AiDriver& ai, const AiRaceView& view, float dt)
{
    CarObject& car = *ai.car;
    if (ai.state != AiStandingStill && ai.follower.position < 0)
        PlaceAiDriver(ai, view);
    if (ai.shiftHold != 0 && --ai.shiftHold == 0) {
        car.inputs.words[AiShiftUpWord] = car.inputs.words[AiShiftDownWord] = 0;
        ai.shiftCut = 0;
    }
    switch (ai.state) {
    case AiWaitingOnGrid:
        AiWaitForStart(ai, view);
        break;
    case AiWaitingInPit:
        AiWaitInPit(ai);
        break;
    case AiRacing:
    case AiEndOfRun:
    case AiStopping:
        DriveAiCar(ai, view, dt);
        break;
    case AiReversing:
        AiReverseOut(ai, view);
        break;
    default:
        AiStandStill(ai, 1);
        break;
    }
    AiApplyInputs(ai, dt);
}

void UpdateAiDriver(AiDriver& ai, float dt, int)
{
    const AiRaceView view = GatherAiRaceView();
    StepAiDriver(ai, view, dt);
}
