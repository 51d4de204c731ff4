// The car's place on the track after each step: it follows the path node
// by node (timing points, wrong-way driving, its place across the road and
// its lane), and a local car with a slot is checked for leaving the world
// and raises and clears the blue and yellow flags.
#include <algorithm>
#include <cmath>

#include "vehicle/local.h"

namespace {

// Heights (m) and speed (m/s) beyond which a car has left the world.
constexpr float LowestHeight = -20, HighestHeight = 80, HighestSpeed = 200;
// A car slower than this (m/s) no longer counts as turning the wrong way.
constexpr float WrongWayTurnSpeed = 1;
// The flags are checked every 32 steps, the yellow flag 16 steps after
// the blue, and the yellow flag only after the first 12 s of the race.
constexpr int32_t FlagPeriodMask = 31, YellowFlagOffset = 16, YellowFlagAfterSteps = 1200;
// The blue flag: a lapping car this many nodes behind in a race (outside a
// race, a racing car behind one that is not), raised when the counter
// reaches BlueRaise and cleared when it falls back to FlagClear.
constexpr int BlueNodesInRace = 8, BlueNodesOutside = 12;
constexpr uint8_t BlueRaise = 5, BlueMost = 7;
constexpr uint8_t YellowRaise = 3, FlagClear = 2;
// A car turned further than 60 degrees from the path (cos 60) is across it;
// its lateral motion is looked 3 s ahead, with the acceleration weighed 1.5.
constexpr float AcrossPathCosine = 0.5f;
constexpr float LookAheadSeconds = 3, AccelerationWeight = 1.5f;
constexpr int LaneCount = 8;
// A local car this far (m) past the end of an open path is put back on it.
constexpr float PlaceBackDistance = 20;

// Metres from a node's cross line, positive ahead of it.
float DistancePastLine(const FixedVector& point, const RoadPlace& road)
{
    const Vec3 d = OffsetFromFixed(point - road.centre);
    return d.x * road.direction.x + d.y * road.direction.y;
}

// Metres across the road from its centre, right positive.
float OffsetAcross(const FixedVector& point, const RoadPlace& road)
{
    const Vec3 d = OffsetFromFixed(point - road.centre);
    return d.x * road.direction.y - d.y * road.direction.x;
}

Vec3 CarForwardAxis(const CarObject& car) { return {car.rotation.m[1], car.rotation.m[4], car.rotation.m[7]}; }

// The node after (step 1) or before (step -1) a node; -1 past the end of a
// path that does not loop.
int StepNode(int node, int step, int count, bool looped)
{
    const int next = node + step;
    if (next >= 0 && next < count)
        return next;
    return looped ? (next + count) % count : -1;
}

// A local car that drove more than 20 m past an end of an open path (its
// last node ahead of it, its first node behind it) is put back on the road
// at that node.
void PlaceBackAtPathEnd(CarObject& car, const RoadPlace& end, bool ahead)
{
    const float past = DistancePastLine(car.position, end);
    if (!car.net.remote && (ahead ? past > PlaceBackDistance : past < -PlaceBackDistance))
        PlaceCarOnPathNode(car, end);
}

void FollowForward(CarObject& car, int node, int count, bool looped)
{
    const CarTimingHooks& hooks = GetCarTimingHooks();
    car.route.wrongWayTurns = 0;
    car.route.wrongWayCount = std::max(0, car.route.wrongWayCount - 1);
    const int next = StepNode(node, 1, count, looped);
    if (next < 0)
        return;
    hooks.moveFollower(*car.follower, next);
    const int timingPoint = hooks.timingPointCount() > 0 && !hooks.hasLayoutStart() ? hooks.timingPointAtNode(next) : 0;
    if (timingPoint > 0)
        CarCrossedTimingPoint(car, timingPoint);
}

void FollowBackward(CarObject& car, int node, const RoadPlace& here, int count, bool looped)
{
    const int previous = StepNode(node, -1, count, looped);
    const CarRaceHooks& race = GetCarRaceHooks();
    if (race.autoKickOn())
        AutoKickWrongWay(car);
    else if (race.isHotLapTimed() && ++car.route.wrongWayCount == WrongWayLimit)
        race.invalidateHotLap(HotLapWrongWay);
    if (previous >= 0)
        GetCarTimingHooks().moveFollower(*car.follower, previous);
    else
        PlaceBackAtPathEnd(car, here, false);
}

// Turning against the path counts while the path is timed; a car that
// almost stands starts afresh.
void CountWrongWayTurn(CarObject& car, const RoadPlace& road)
{
    const CarTimingHooks& hooks = GetCarTimingHooks();
    if (Dot(CarForwardAxis(car), road.direction) < 0 && hooks.timingPointCount() > 0 && !hooks.hasLayoutStart())
        car.route.wrongWayTurns++;
    if (car.step.speed < WrongWayTurnSpeed)
        car.route.wrongWayTurns = 0;
}

// The car within the span from node to the next: its place across the
// road, lane and half road speed; a local car far outside is lost.
void PlaceCarAcrossRoad(CarObject& car, int node, float fraction)
{
    RoadPlace road;
    const float roadSpeed = GetCarTimingHooks().roadBetweenNodes(node, fraction, road);
    const float limit = car.tuning.topSpeed > 0 ? std::min(roadSpeed, car.tuning.topSpeed) : roadSpeed;
    car.step.halfRoadSpeed = limit * 0.5f;
    const float offset = OffsetAcross(car.position, road);
    car.step.lateralOffset = offset;
    const float width = road.rightEdge - road.leftEdge;
    car.step.lane = width > 0 ? std::clamp(int((offset - road.leftEdge) * LaneCount / width), 0, LaneCount - 1) : 0;
    CarRouteState& route = car.route;
    route.onPath = 1;
    route.pathDirection = road.direction;
    route.leftEdge = road.leftEdge;
    route.rightEdge = road.rightEdge;
    route.leftLimit = road.leftLimit;
    route.rightLimit = road.rightLimit;
    if (!car.net.remote && (offset < road.leftLimit - LostOutsideRoad || offset > road.rightLimit + LostOutsideRoad)) {
        MarkCarLost(car);
        route.wrongWayCount = 0;
    }
}

// The node the car's follower is at, the one after it and their roads;
// false without them.
bool ReadSpan(const CarObject& car, int& node, RoadPlace& here, RoadPlace& ahead)
{
    const CarTimingHooks& hooks = GetCarTimingHooks();
    const int count = GetCarPathHooks().pathNodeCount();
    node = count > 0 ? GetCarPathHooks().followerNode(*car.follower) : -1;
    const int next = node >= 0 ? StepNode(node, 1, count, hooks.pathLooped() != 0) : -1;
    return next >= 0 && hooks.pathNodeRoad(node, here) && hooks.pathNodeRoad(next, ahead);
}

// At the last node of an open path there is no span ahead: only the
// place-back is looked at.
void FollowPastLastNode(CarObject& car, int node, int count)
{
    RoadPlace last;
    if (node == count - 1 && GetCarTimingHooks().pathNodeRoad(node, last) && Dot(car.velocity, last.direction) > 0)
        PlaceBackAtPathEnd(car, last, true);
}

// One step along the path: the node passed or stepped back over, then the
// car's place within the node it is at now. After a full step a car that
// stays within its node lays rubber there.
void FollowPath(CarObject& car, bool fullStep)
{
    const int count = GetCarPathHooks().pathNodeCount();
    const bool looped = GetCarTimingHooks().pathLooped() != 0;
    int node = -1;
    RoadPlace here, ahead;
    if (!ReadSpan(car, node, here, ahead)) {
        if (!looped)
            FollowPastLastNode(car, node, count);
        return;
    }
    if (Dot(car.velocity, here.direction) > 0) {
        if (DistancePastLine(car.position, ahead) > 0)
            FollowForward(car, node, count, looped);
        else if (fullStep && car.route.laysRubber && !car.race.result.finished)
            LayRubberOnPathNode(car, node);
    } else {
        CountWrongWayTurn(car, here);
        if (DistancePastLine(car.position, here) < 0)
            FollowBackward(car, node, here, count, looped);
    }
    if (!ReadSpan(car, node, here, ahead))
        return;
    const float pastStart = DistancePastLine(car.position, here);
    const float pastEnd = DistancePastLine(car.position, ahead);
    if (pastEnd <= 0 && pastStart >= 0) {
        const float span = pastStart - pastEnd;
        const float fraction = span > 0.001f ? std::clamp(pastStart / span, 0.0f, 1.0f) : 0.0f;
        PlaceCarAcrossRoad(car, node, fraction);
    } else {
        car.route.wrongWayCount = 0;
    }
}

void QueueFlag(int playerId, uint8_t flag, int otherId)
{
    QueueCarPacket(FlagPacket, playerId, flag, otherId);
}

bool IsOnRoad(const CarObject& car)
{
    return car.route.onPath && car.step.lateralOffset >= car.route.leftEdge &&
           car.step.lateralOffset <= car.route.rightEdge;
}

bool IsRacing(const CarObject& car) { return car.race.timingState > 1 && !car.race.result.finished; }

int NodesBehind(const CarObject& car, const CarObject& other, int count)
{
    const int mine = GetCarPathHooks().followerNode(*car.follower);
    const int theirs = GetCarPathHooks().followerNode(*other.follower);
    if (mine < 0 || theirs < 0 || count <= 0)
        return -1;
    return ((mine - theirs) % count + count) % count;
}

// The nearest car about to lap this one: in a race a car with more laps,
// racing on the road at speed, 1 to 8 nodes behind; outside a race a
// racing car behind one that is not, 1 to 12 nodes behind. Its slot, -1.
int FindLappingCar(const CarObject& car, bool inRace)
{
    CarObject* cars[MaxRaceCars] = {};
    const int slots = std::min(GetCarRaceHooks().raceSlotCars(cars, MaxRaceCars), MaxRaceCars);
    uint8_t order[MaxRaceCars] = {};
    int candidates = 0;
    if (inRace) {
        candidates = std::min(GetCarTimingHooks().runningOrder(order, MaxRaceCars), MaxRaceCars);
    } else {
        for (int i = 0; i < slots; i++)
            order[candidates++] = uint8_t(i);
    }
    const int count = GetCarPathHooks().pathNodeCount();
    const int reach = inRace ? BlueNodesInRace : BlueNodesOutside;
    int best = -1, bestNodes = reach + 1;
    for (int i = 0; i < candidates; i++) {
        const int slot = order[i];
        const CarObject* other = slot < slots ? cars[slot] : nullptr;
        if (!other || other == &car || !other->follower || !IsRacing(*other))
            continue;
        if (inRace && (other->race.lapCount <= car.race.lapCount || !IsOnRoad(*other) ||
                       other->step.speed <= other->step.halfRoadSpeed))
            continue;
        if (!inRace && IsRacing(car))
            continue;
        const int behind = NodesBehind(car, *other, count);
        if (behind >= 1 && behind <= reach && behind < bestNodes) {
            best = slot;
            bestNodes = behind;
        }
    }
    return best;
}

void CheckBlueFlag(CarObject& car, int playerId, bool inRace)
{
    CarRouteState& route = car.route;
    const int lapping = FindLappingCar(car, inRace);
    if (lapping >= 0) {
        const int lappingId = GetPlayerIdOfSlot(lapping);
        route.blueCounter = uint8_t(std::min<int>(route.blueCounter + 1, BlueMost));
        const bool newCar = !route.blueSent || route.blueCarId != uint8_t(lappingId);
        if (route.blueCounter >= BlueRaise && newCar) {
            QueueFlag(playerId, FlagRaised | BlueFlag, lappingId);
            route.blueCarId = uint8_t(lappingId);
            route.blueSent = 1;
        }
        return;
    }
    if (route.blueCounter > 0 && --route.blueCounter == FlagClear && route.blueSent) {
        QueueFlag(playerId, BlueFlag, 0);
        route.blueSent = 0;
    }
}

// Off the road, about to leave it, or across the path.
bool CausesYellowFlag(const CarObject& car)
{
    const CarRouteState& route = car.route;
    if (!route.onPath)
        return false;
    const Vec3 right{route.pathDirection.y, -route.pathDirection.x, 0};
    const float ahead = car.step.lateralOffset +
                        LookAheadSeconds * (Dot(car.velocity, right) +
                                            AccelerationWeight * Dot(car.step.smoothedAcceleration, right));
    const bool leaving = car.step.speed > 0 && (ahead < route.leftEdge || ahead > route.rightEdge);
    const bool across = Dot(CarForwardAxis(car), route.pathDirection) < AcrossPathCosine;
    return !IsOnRoad(car) || leaving || across;
}

void CheckYellowFlag(CarObject& car, int playerId)
{
    CarRouteState& route = car.route;
    if (CausesYellowFlag(car)) {
        if (route.yellowCounter < YellowRaise && ++route.yellowCounter == YellowRaise)
            QueueFlag(playerId, FlagRaised | YellowFlag, 0);
    } else if (route.yellowCounter > 0 && --route.yellowCounter == FlagClear) {
        QueueFlag(playerId, YellowFlag, 0);
    }
}

} // namespace

void UpdateCarViewAndRoute(CarObject& car, float, int fullStep)
{
    if (!GetBodySurroundings().IsWorldLoaded())
        return;
    CheckRouteCircles(car);
    if (car.follower)
        FollowPath(car, fullStep != 0);
    CheckRouteGates(car);
}

void CheckTrackPosition(CarObject& car, int slot)
{
    const float height = FixedToMetres(car.position.z);
    if (height < LowestHeight || height > HighestHeight || car.step.speed >= HighestSpeed) {
        MarkCarLost(car);
        return;
    }
    if (!GetBodySurroundings().IsWorldLoaded() || GetCarPathHooks().pathNodeCount() <= 0 || !car.follower)
        return;
    const CarTimingHooks& hooks = GetCarTimingHooks();
    RaceTimingFacts facts;
    hooks.raceFacts(facts);
    const int32_t step = car.race.stepCounter;
    const int playerId = GetPlayerIdOfSlot(slot);
    int zoneLimit = 0;
    const bool inZone = GetCarPathHooks().speedZoneAt(car.position.x, car.position.y, zoneLimit) >= 0;
    if ((step & FlagPeriodMask) == 0 && GetCarNetHooks().outsideVoteFinalCountdown() && !inZone &&
        IsOnRoad(car) && car.step.speed > car.step.halfRoadSpeed)
        CheckBlueFlag(car, playerId, facts.isRace != 0);
    if ((step & FlagPeriodMask) == YellowFlagOffset && facts.raceClock > YellowFlagAfterSteps && !inZone)
        CheckYellowFlag(car, playerId);
}
