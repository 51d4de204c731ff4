// The AI on its pit line: entering it, the speed profiles of the line and
// the pit line, and the manoeuvre into the pit box (or onto the garage
// place), the wait there and the way out.
#include <cmath>

#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

// One over 0.7071 g: the turning radius (m) per (m/s)^2 at 0.7071 g.
constexpr float RadiusPerSpeedSq = 0.14416178f;
// The pit line runs at this share of the driver's grip.
constexpr float PitLineGripShare = 0.8f;
// Deceleration (m/s^2) toward the box: 0.7071 g.
constexpr float BoxDecel = 6.936651f;
// Distances (m): the box's stopping margin and how close a target counts
// as reached.
constexpr float BoxMargin = 1.5f;
// The speed (m/s) the car creeps at near the box and on the pit line.
constexpr float CreepSpeed = 3;
// A stop-go stop lasts more than this many steps from the stop's start.
constexpr int32_t StopGoSteps = 1000;
// A pit-line direction within 45 degrees of the start grid's heading.
constexpr float SameWayCosine = 0.7071f;

// The point's signed distance across the line through target along dir
// (right positive), and how far it lies along it.
float AcrossLine(const FixedVector& p, const FixedVector& target, const Vec3& dir)
{
    const Vec3 d = OffsetFromFixed(p - target);
    return d.x * dir.y - d.y * dir.x;
}
float AlongLine(const FixedVector& p, const FixedVector& target, const Vec3& dir)
{
    const Vec3 d = OffsetFromFixed(p - target);
    return d.x * dir.x + d.y * dir.y;
}

// dir turned by angle (rad, anticlockwise) in the plane.
Vec3 Turned(const Vec3& dir, float angle)
{
    double s = 0, c = 0;
    ComputeSinCos(double(angle), s, c);
    return {dir.x * float(c) - dir.y * float(s), dir.x * float(s) + dir.y * float(c), 0};
}

void BrakeForBox(AiDriver& ai)
{
    ai.throttleTarget = 0;
    const float full = ai.mainKnowledge.fullBrakeDecel;
    ai.brakeTarget = full > 0 ? std::fmin(1.0f, BoxDecel / full) : 1.0f;
}

// Slowing to the box: braking above creeping speed, a little throttle
// below it.
void SlowToBox(AiDriver& ai, float speed)
{
    if (speed > CreepSpeed) {
        BrakeForBox(ai);
    } else if (speed > 1) {
        ai.brakeTarget = 0;
        ai.throttleTarget *= CreepSpeed - speed;
    }
}

// Plain following of the pit line: straight across toward it when far off,
// else along it with the throttle eased while off it.
void FollowPitNode(AiDriver& ai, float& errorOut, float e, const KnowledgeNode& n, float speed)
{
    const float radius = ai.turnRadius;
    if (std::fabs(e) >= radius) {
        const Vec3 side = {n.dir.y, -n.dir.x, 0};
        ai.lineDir = e > 0 ? Vec3{-side.x, -side.y, 0} : side;
        if (speed > 1)
            ai.throttleTarget *= std::fmax(0.0f, CreepSpeed - speed);
        return;
    }
    ai.lineDir = n.dir;
    errorOut = e;
    if (speed > 1 && std::fabs(e) > 0.1f && radius > 0.1f) {
        const float blend = (std::fabs(e) - 0.1f) / (radius - 0.1f);
        const float eased = ai.throttleTarget * std::fmax(0.0f, CreepSpeed - speed);
        ai.throttleTarget += (eased - ai.throttleTarget) * blend;
    }
}

// The garage place at the end of a run: 1 while the manoeuvre steers.
int DriveToGarage(AiDriver& ai, float& errorOut, const FixedVector& p, float speed, float k)
{
    const CarObject& car = *ai.car;
    const Vec3 forward = AiForwardAxis(car);
    const FixedVector reference = p - FixedFromOffset({forward.x * ai.axleOffset, forward.y * ai.axleOffset, 0});
    const float s = AcrossLine(reference, ai.pitTarget, ai.pitTargetDir);
    const float w = std::fmax(0.5f, 1 - (forward.x * ai.pitTargetDir.x + forward.y * ai.pitTargetDir.y));
    if (std::fabs(s) >= (speed + CreepSpeed) * k * 0.5f + w * ai.turnRadius)
        return 0;
    SlowToBox(ai, speed);
    if (std::fabs(s) >= w * ai.turnRadius)
        return 0;
    errorOut = s;
    if (AlongLine(reference, ai.pitTarget, ai.pitTargetDir) > -ai.axleOffset)
        SetAiState(ai, AiStandingStill);
    ai.lineDir = ai.pitTargetDir;
    return 1;
}

// The box manoeuvre for a stop: the approach on a circle, the arrival, the
// stop and the wait, and the way out. 1 while the manoeuvre steers.
int DriveToBox(AiDriver& ai, const AiRaceView& view, float& errorOut, const FixedVector& p, const KnowledgeNode& n,
               float e, float speed, float k)
{
    CarObject& car = *ai.car;
    if (view.pitBoxCount <= 0)
        return 0;
    const FixedVector& box = view.pitBoxes[ai.pitBoxIndex % view.pitBoxCount];
    const Vec3 d = OffsetFromFixed(p - box);
    const float r = ai.pitSpeedLimit * ai.pitSpeedLimit * RadiusPerSpeedSq;
    const float dist = std::sqrt(d.x * d.x + d.y * d.y) - BoxMargin;
    bool set = false;
    switch (ai.pitPhase) {
    case AiBoxApproach: {
        if (dist >= 2 * r)
            return 0;
        const float c = d.x * n.dir.y - d.y * n.dir.x;
        const float h = std::fabs(c / 2);
        const float q = 2 * h * r - h * h;
        if (q < 0 || r <= 0) {
            ai.pitIntention = AiPitDriveThrough;
            return 0;
        }
        const float s = std::sqrt(q);
        if (2 * s > std::fabs(d.x * n.dir.x + d.y * n.dir.y)) {
            const Vec3 half = OffsetFromFixed(box - p);
            ai.pitTarget = p + FixedFromOffset({half.x * 0.5f, half.y * 0.5f, half.z * 0.5f});
            const float toward = c > 0 ? 1.0f : -1.0f;
            ai.pitTargetDir = Turned(n.dir, toward * AiArcSine(s / r));
            ai.pitPhase = AiBoxTurnIn;
            errorOut = AcrossLine(p, ai.pitTarget, ai.pitTargetDir);
            set = true;
        }
        break;
    }
    case AiBoxTurnIn:
        if (AlongLine(p, ai.pitTarget, ai.pitTargetDir) > -BoxMargin) {
            ai.pitTarget = box;
            ai.pitTargetDir = n.dir;
            ai.pitPhase = AiBoxArrive;
        }
        errorOut = AcrossLine(p, ai.pitTarget, ai.pitTargetDir);
        set = true;
        break;
    case AiBoxArrive:
        if (AlongLine(p, box, ai.pitTargetDir) > -BoxMargin)
            ai.pitPhase = AiBoxStopping;
        errorOut = AcrossLine(p, ai.pitTarget, ai.pitTargetDir);
        set = true;
        break;
    case AiBoxStopping:
        BrakeForBox(ai);
        // The car marks a penalty stop done as soon as it stands in the
        // box: a stop-go still waits out its time before pulling out.
        if (car.race.pitState == PitWorking || car.race.pitState == PitDone)
            ai.pitPhase = car.race.pitState == PitDone && ai.pitIntention != AiPitStopGo ? AiBoxPullOut : AiBoxWaiting;
        errorOut = AcrossLine(p, ai.pitTarget, ai.pitTargetDir);
        ai.lineDir = ai.pitTargetDir;
        return 1;
    case AiBoxWaiting: {
        BrakeForBox(ai);
        const bool served = ai.pitIntention == AiPitStopGo
                                ? car.race.stepCounter - car.race.stopStep > StopGoSteps
                                : car.race.pitState == PitDone;
        if (served)
            ai.pitPhase = AiBoxPullOut;
        return 0;
    }
    case AiBoxPullOut: {
        AiUpdatePitProfile(ai);
        const float h = std::fabs(e) / 2;
        const float q = 2 * h * r - h * h;
        if (q < 0 || r <= 0) {
            ai.pitIntention = AiPitDriveThrough;
            return 0;
        }
        const float s = std::sqrt(q);
        const Vec3 side = {n.dir.y, -n.dir.x, 0};
        ai.pitTarget = p + FixedFromOffset({n.dir.x * s - side.x * e / 2, n.dir.y * s - side.y * e / 2, 0});
        ai.pitTargetDir = Turned(n.dir, (e > 0 ? 1.0f : -1.0f) * AiArcSine(s / r));
        ai.pitPhase = AiBoxRejoin;
        errorOut = e / 2;
        ai.lineDir = ai.pitTargetDir;
        return 1;
    }
    case AiBoxRejoin:
        if (AlongLine(p, ai.pitTarget, ai.pitTargetDir) > -BoxMargin) {
            ai.pitIntention = AiPitDriveThrough;
            return 0;
        }
        errorOut = AcrossLine(p, ai.pitTarget, ai.pitTargetDir);
        ai.lineDir = ai.pitTargetDir;
        return 1;
    default:
        return 0;
    }
    if (dist < (speed + CreepSpeed) * k * 0.5f)
        SlowToBox(ai, speed);
    if (!set)
        return 0;
    ai.lineDir = ai.pitTargetDir;
    return 1;
}

// Whether the box manoeuvre applies here: in the pit lane, or on a pit line
// running the start grid's way.
bool BoxManoeuvreApplies(const AiDriver& ai, const AiRaceView& view, const KnowledgeNode& n)
{
    if (ai.pitIntention < AiPitStopGo)
        return false;
    if (ai.car->pit.speedZone >= 0)
        return true;
    if (!view.hasStartGrid)
        return false;
    double s = 0, c = 0;
    ComputeSinCos(double(view.startGridHeading), s, c);
    return n.dir.x * float(-s) + n.dir.y * float(c) >= SameWayCosine;
}

} // namespace

void AiUpdateMainProfile(AiDriver& ai, const AiRaceView& view)
{
    float grip = 1;
    AiAssessCarCondition(ai, &grip);
    const Path* route = view.pathWorld.currentPath;
    ai.mainKnowledge.car = ai.car;
    ComputeCarCapability(ai.mainKnowledge);
    UpdateKnowledge(ai.mainKnowledge, 0, grip * AiSkillFactor(ai), -1, route && (route->flags & PathClosedLoop),
                    nullptr);
}

void AiUpdatePitProfile(AiDriver& ai)
{
    float grip = 1;
    AiAssessCarCondition(ai, &grip);
    ai.pitKnowledge.car = ai.car;
    ComputeCarCapability(ai.pitKnowledge);
    UpdateKnowledge(ai.pitKnowledge, 0, grip * PitLineGripShare * AiSkillFactor(ai), ai.pitExitNode, 0,
                    ai.mainKnowledge.nodes.data());
}

void AiEnterPitLine(AiDriver& ai, const AiRaceView& view)
{
    ai.onPitLine = 1;
    ai.pitLineIndex = 0;
    AiUpdatePitProfile(ai);
    if (ai.pitIntention != AiPitStopGo && ai.pitIntention != AiPitService)
        return;
    ai.pitPhase = AiBoxApproach;
    int place = -1;
    for (int i = 0; i < view.orderLength; i++)
        if (view.runningOrder[i] < view.slotCount && view.cars[view.runningOrder[i]] == ai.car)
            place = i;
    if (place < 0)
        for (int i = 0; i < view.slotCount; i++)
            if (view.cars[i] == ai.car)
                place = i;
    ai.pitBoxIndex = uint8_t(view.pitBoxCount > 0 && place >= 0 ? place % view.pitBoxCount : 0);
}

void AiDrivePitLine(AiDriver& ai, const AiRaceView& view, float& errorOut, const FixedVector& predicted,
                    const KnowledgeNode& node)
{
    const float speed = AiCarSpeed(*ai.car);
    const float e = AcrossLine(predicted, FixedVector{node.x, node.y, node.z}, node.dir);
    const float k = (speed - CreepSpeed) * RadiusPerSpeedSq;
    if (BoxManoeuvreApplies(ai, view, node)) {
        const int steering = ai.pitIntention == AiPitGarage
                                 ? DriveToGarage(ai, errorOut, predicted, speed, k)
                                 : DriveToBox(ai, view, errorOut, predicted, node, e, speed, k);
        if (steering)
            return;
    }
    FollowPitNode(ai, errorOut, e, node, speed);
}
