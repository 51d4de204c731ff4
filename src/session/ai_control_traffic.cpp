// The AI in traffic: cars alongside narrow the room across the road, a
// slower car ahead is passed on a side with room or followed, a car that
// is not slower and close ahead is followed, and the sideways offset from
// the racing line moves toward what the traffic asks.
#include <cmath>

#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

// Other cars farther away (m) are ignored for a while.
constexpr float AiTrafficRange = 100;
// Below this gap (m) a car that is not slower is followed; a slower one is
// judged from this gap on.
constexpr float AiFollowGap = 10;
// A followed or blocking car's speed less this (m/s) caps the AI's speed.
constexpr float AiFollowSpeedMargin = 3;
// The grip (share of g) assumed when judging whether the AI can still brake
// behind a slower car.
constexpr float AiBrakeGrip = 0.6f;
// Other cars more than this many path nodes ahead are not judged.
constexpr int AiTrafficNodes = 20;
// Cars are kept apart sideways by their half widths times this.
constexpr float SideGapFactor = 1.4f;
// Re-examination countdowns (steps): far or behind, near, and at once.
constexpr int32_t IgnoreSteps = 100, RecheckSteps = 10;
// The sideways offset moves this much per step (m): back to the line, and
// out to pass or to make room.
constexpr float LateralRateNormal = 0.01f, LateralRateFast = 0.08f;
// The room kept between a car's edge and the road's edge (m).
constexpr float RoadEdgeMargin = 0.9f;
// A passing manoeuvre is planned over 2 to 12 s; an offset must stay on
// the road for 2 s.
constexpr float MinPassSeconds = 2, MaxPassSeconds = 12, OffsetCheckSeconds = 2;
// The room across the road starts wider than any road.
constexpr float OpenRoom = 256;

// A car alongside that holds the AI off an unsafe offset and is ahead of
// it is let by at this much below its speed (m/s), but never slower than
// this crawl (m/s), so that a car standing alongside is still passed.
constexpr float YieldCrawlSpeed = 5;

// The car that set one of the front limits: its speed (m/s) and whether
// its centre is ahead of the AI's.
struct LimitSetter {
    float speed = 0;
    int ahead = 0;
};

struct TrafficRoom {
    float frontLow = -OpenRoom, frontHigh = OpenRoom;  // for cars alongside the front half
    float wholeLow = -OpenRoom, wholeHigh = OpenRoom;  // for cars alongside the whole car
    LimitSetter frontLowSetter, frontHighSetter;
};

float HalfWidth(const CarObject& car) { return car.tuning.largerHalfWidth; }

int CarNode(const CarObject& car) { return car.follower ? car.follower->position : -1; }

// The other car's sideways place from the racing line at the AI's node.
float OffsetFromLine(const AiDriver& ai, const CarObject& other)
{
    return other.step.lateralOffset - ai.mainKnowledge.nodes[size_t(ai.follower.position)].offset;
}

// A car alongside narrows the room on its side.
void NarrowRoom(const AiDriver& ai, const CarObject& other, TrafficRoom& room)
{
    const CarObject& car = *ai.car;
    const Vec3 delta = OffsetFromFixed(other.position - car.position);
    const Vec3 forward = AiForwardAxis(car);
    const float f = delta.x * forward.x + delta.y * forward.y + delta.z * forward.z;
    const float s = (HalfWidth(car) + HalfWidth(other)) * SideGapFactor;
    const float d = OffsetFromLine(ai, other);
    const bool greater = d > OffsetFromLine(ai, car);
    const bool notAhead = f < car.maxY - other.minY;
    if (f > -other.maxY && notAhead) {
        const LimitSetter setter{AiCarSpeed(other), f > 0 ? 1 : 0};
        if (greater && d - s < room.frontHigh) {
            room.frontHigh = d - s;
            room.frontHighSetter = setter;
        } else if (!greater && d + s > room.frontLow) {
            room.frontLow = d + s;
            room.frontLowSetter = setter;
        }
    }
    if (f > car.minY - other.maxY && notAhead) {
        if (greater)
            room.wholeHigh = std::fmin(room.wholeHigh, d - s);
        else
            room.wholeLow = std::fmax(room.wholeLow, d + s);
    }
}

// A slower car ahead that the AI closes on: a side with room to pass, or
// follow it.
void JudgeSlowerCar(AiDriver& ai, const Path& route, AiOtherCar& record, const CarObject& other, float speed,
                    float otherSpeed)
{
    const CarObject& car = *ai.car;
    const float s = (HalfWidth(car) + HalfWidth(other)) * SideGapFactor;
    if (std::fabs(other.step.lateralOffset - car.step.lateralOffset) > s) {
        record.countdown = RecheckSteps;
        return;
    }
    const float gap = ai.otherDistance - AiFollowGap;
    const float dv = speed - otherSpeed;
    float urgency = 1;
    if (gap >= 0) {
        const float m = speed * speed * ai.mainKnowledge.aeroRear + AiBrakeGrip * StandardGravity;
        const float u = dv - (dv / m) * other.step.gValues.y * StandardGravity;
        const float closing = std::fabs(u) > 0.001f ? gap / u : gap / dv;
        const float braking = std::fabs(u) > 0.001f ? u / m : dv / m;
        if (braking < closing) {
            record.countdown = RecheckSteps;
            return;
        }
        urgency = 1 - closing / braking;
    }
    const float budget = Clamp(ai.otherDistance / dv, MinPassSeconds, MaxPassSeconds);
    const float otherOffset = OffsetFromLine(ai, other);
    const float ownSide = OffsetFromLine(ai, car) >= otherOffset ? 1.0f : -1.0f;
    for (const float side : {ownSide, -ownSide}) {
        const float offset = otherOffset + side * s;
        if (AiCheckPassingRoom(ai, route, ai.follower.position, offset, speed, budget) == 2) {
            record.avoid = 1;
            record.passOffset = offset;
            record.countdown = 0;
            return;
        }
    }
    record.avoid = 0;
    ai.blocked = 1;
    ai.speedCap = std::fmin(ai.speedCap, otherSpeed - AiFollowSpeedMargin);
    ai.followFactor = std::fmax(ai.followFactor, urgency);
    record.countdown = 0;
}

// Decides whether to follow, pass or ignore one other car.
void AiJudgeOtherCar(AiDriver& ai, const Path& route, AiOtherCar& record, const CarObject& other)
{
    const CarObject& car = *ai.car;
    const int count = route.nodeCount;
    int n = (CarNode(other) - ai.follower.position) % count;
    if (n >= count - count / 2)
        n -= count;
    else if (n < -(count / 2))
        n += count;
    const Vec3& v = car.velocity;
    const float towards = v.x * ai.otherDelta.x + v.y * ai.otherDelta.y + v.z * ai.otherDelta.z;
    if (n < 0 || towards <= 0 || n >= AiTrafficNodes || CarNode(other) < 0) {
        record.avoid = 0;
        record.countdown = IgnoreSteps;
        return;
    }
    const float speed = AiCarSpeed(car), otherSpeed = AiCarSpeed(other);
    if (otherSpeed + 0.001f >= speed) {
        record.avoid = 0;
        if (ai.otherDistance < AiFollowGap) {
            ai.followFactor = 1;
            ai.speedCap = std::fmin(ai.speedCap, otherSpeed - AiFollowSpeedMargin);
            record.countdown = 0;
        } else {
            record.countdown = RecheckSteps;
        }
        return;
    }
    JudgeSlowerCar(ai, route, record, other, speed, otherSpeed);
}

// Every other car: alongside ones narrow the room; when its countdown runs
// out a car is judged (or ignored when far).
void ExamineOtherCars(AiDriver& ai, const AiRaceView& view, const Path& route, TrafficRoom& room)
{
    const CarObject& car = *ai.car;
    const int node = ai.follower.position, count = route.nodeCount;
    for (int slot = 0; slot < view.slotCount; slot++) {
        const CarObject* other = view.cars[slot];
        if (!other || other == &car)
            continue;
        const int otherNode = CarNode(*other);
        if (otherNode >= 0 && (otherNode == node || otherNode == (node + 1) % count ||
                               otherNode == (node + count - 1) % count))
            NarrowRoom(ai, *other, room);
        AiOtherCar& record = ai.others[slot];
        if (--record.countdown >= 1)
            continue;
        ai.otherDelta = OffsetFromFixed(other->position - car.position);
        const Vec3& d = ai.otherDelta;
        ai.otherDistance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        if (ai.otherDistance >= AiTrafficRange) {
            record.avoid = 0;
            record.countdown = IgnoreSteps;
        } else {
            AiJudgeOtherCar(ai, route, record, *other);
        }
    }
}

// The passing offsets of the cars being passed, merged: one side only, the
// farthest out. 1 when the AI is passing.
int MergePassingOffsets(AiDriver& ai, const AiRaceView& view)
{
    int found = 0;
    float merged = 0;
    for (int slot = 0; slot < view.slotCount && !ai.blocked; slot++) {
        const AiOtherCar& record = ai.others[slot];
        if (!record.avoid)
            continue;
        if (!found) {
            merged = record.passOffset;
            found = 1;
        } else if ((merged > 0 && record.passOffset > 0) || (merged < 0 && record.passOffset < 0)) {
            if (std::fabs(record.passOffset) > std::fabs(merged))
                merged = record.passOffset;
        } else {
            ai.blocked = 1;
        }
    }
    if (!found || ai.blocked)
        return 0;
    ai.lateralTarget = merged;
    return 1;
}

// An offset that would leave the road within the next seconds is given up.
void CheckOffsetSafe(AiDriver& ai, const AiRaceView& view, const Path& route)
{
    const float speed = AiCarSpeed(*ai.car);
    if (AiCheckLineClear(ai, route, ai.follower.position, ai.lateralOffset, speed, OffsetCheckSeconds) != 1)
        return;
    ai.offsetUnsafe = 1;
    for (int slot = 0; slot < view.slotCount; slot++) {
        if (ai.others[slot].avoid)
            ai.blocked = 1;
        ai.others[slot].avoid = 0;
    }
}

// An offset that leaves the road, with a car alongside that keeps the AI
// from the line: the AI holds the room the car leaves it. Of two cars side
// by side the one behind lets the other by, down to a crawl, and the one
// ahead drives on; were both to stop for each other, neither would ever
// move again.
void HoldOffAlongside(AiDriver& ai, float room, const LimitSetter& setter)
{
    ai.lateralTarget = room;
    ai.blocked = 1;
    ai.followFactor = 1;
    if (setter.ahead)
        ai.speedCap = std::fmin(ai.speedCap, std::fmax(setter.speed - AiFollowSpeedMargin, YieldCrawlSpeed));
}

// The wanted sideways offset and how fast the car moves toward it.
float ChooseLateralTarget(AiDriver& ai, const TrafficRoom& room, int passing)
{
    if (ai.offsetUnsafe) {
        if (room.frontLow > 0)
            HoldOffAlongside(ai, room.frontLow, room.frontLowSetter);
        else if (room.frontHigh < 0)
            HoldOffAlongside(ai, room.frontHigh, room.frontHighSetter);
        else
            ai.lateralTarget = 0;
        return LateralRateFast;
    }
    if (passing)
        return LateralRateFast;
    if (ai.state != AiRacing)
        return LateralRateNormal;
    if (room.wholeLow > 0) {
        ai.lateralTarget = room.wholeLow;
        return LateralRateFast;
    }
    if (room.wholeHigh < 0) {
        ai.lateralTarget = room.wholeHigh;
        return LateralRateFast;
    }
    ai.lateralTarget = 0;
    return LateralRateNormal;
}

} // namespace

int AiWalkLine(const AiDriver& ai, const Path& route, int node, float offset, float speed, float seconds,
               int passResult)
{
    const int count = route.nodeCount;
    if (count <= 0 || node < 0 || node >= count || ai.mainKnowledge.nodeCount != count)
        return 1;
    const float half = HalfWidth(*ai.car) + RoadEdgeMargin;
    const float pace = speed > 1 ? speed : 1;
    float time = 0;
    for (int step = 0; step < count; step++) {
        const int previous = node;
        node = node + 1 >= count ? 0 : node + 1;
        if (node == 0 && !(route.flags & PathClosedLoop))
            return passResult;
        const PathNode& road = route.nodes[size_t(node)];
        const float centre = offset + ai.mainKnowledge.nodes[size_t(node)].offset;
        if (centre - half < road.leftEdge || centre + half > road.rightEdge)
            return 1;
        time += ai.mainKnowledge.nodes[size_t(previous)].length / pace;
        if (time > seconds)
            return passResult;
    }
    return passResult;
}

int AiCheckPassingRoom(const AiDriver& ai, const Path& route, int node, float offset, float speed, float seconds)
{
    return AiWalkLine(ai, route, node, offset, speed, seconds, 2);
}

int AiCheckLineClear(const AiDriver& ai, const Path& route, int node, float offset, float speed, float seconds)
{
    return AiWalkLine(ai, route, node, offset, speed, seconds, 3);
}

void AiUpdateTraffic(AiDriver& ai, const AiRaceView& view)
{
    const Path& route = *view.pathWorld.currentPath;
    TrafficRoom room;
    ExamineOtherCars(ai, view, route, room);
    const int passing = ai.state == AiRacing && !ai.blocked ? MergePassingOffsets(ai, view) : 0;
    if (ai.state != AiStopping && ai.lateralOffset != 0)
        CheckOffsetSafe(ai, view, route);
    const float rate = ChooseLateralTarget(ai, room, passing);
    const float difference = ai.lateralTarget - ai.lateralOffset;
    ai.lateralOffset += Clamp(difference, -rate, rate);
}
