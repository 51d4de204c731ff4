// Whether a car may be reset where its request asks: the reset point is
// put on the road, then every other car of the race is asked whether it
// could hit the car there, or whether the reset would bring out a yellow
// flag in front of it. Also the request record itself.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "vehicle/local.h"

namespace {

// Horizontal offset from a to b in metres.
void HorizontalOffset(const FixedVector& a, const FixedVector& b, double& dx, double& dy)
{
    dx = (static_cast<double>(b.x.raw) - a.x.raw) / 65536.0;
    dy = (static_cast<double>(b.y.raw) - a.y.raw) / 65536.0;
}

// Places across the road tried on each side for a standing car's reset.
constexpr int MaxResetShifts = 8;

} // namespace

bool IsCarStopped(const CarObject& car)
{
    return !car.step.held && car.step.speed < 2;
}

void FillCarPosRecord(const CarObject& car, CarPosRecord& record, int playerId)
{
    uint8_t* b = record.bytes;
    b[1] = static_cast<uint8_t>(playerId);
    b[2] = IsCarStopped(car) ? 1 : 0;
    b[3] = 0;
    PutInt(b + 4, car.follower ? GetCarPathHooks().followerNode(*car.follower) : -1);
    PutFloat(b + 8, car.step.lateralOffset);
    PutInt(b + 12, car.position.x.raw);
    PutInt(b + 16, car.position.y.raw);
    PutInt(b + 20, car.position.z.raw);
}

namespace {

// What the other cars say of a reset at the point: 0 clear, 1 a car could
// hit it, 2 a car was just reset next to it, 3 it would bring out a yellow
// flag in front of a car; the last finding in slot order stands.
int JudgeResetPoint(const CarObject& car, const FixedVector& point, int node, int ignoredSlot,
                    CarObject* const* slotCars, int slotCount)
{
    const CarPathHooks& paths = GetCarPathHooks();
    const int nodeCount = paths.pathNodeCount();
    // A closed racing loop is the path the flags are raised along.
    const bool knowledgePath = paths.isFlagPath() != 0;
    int result = 0;
    for (int slot = 0; slot < slotCount; slot++) {
        const CarObject* other = slotCars[slot];
        if (!other || slot == ignoredSlot)
            continue;
        double dx, dy;
        HorizontalOffset(other->position, point, dx, dy);
        const double d = std::sqrt(dx * dx + dy * dy);
        const double closing = d > 0.1 ? (other->velocity.x * dx + other->velocity.y * dy) / d : 0.0;
        const double radii = static_cast<double>(car.radius) + other->radius;
        if (d < radii + (closing > 0 ? 4 * closing : 0)) {
            result = 1;
        } else if (other->step.freshlyPlaced) {
            double rx, ry;
            HorizontalOffset(other->step.resetPosition, point, rx, ry);
            if (std::sqrt(rx * rx + ry * ry) < radii + 1)
                result = 2;
        }
        if (knowledgePath && other->step.speed > other->step.halfRoadSpeed && other->follower) {
            const int otherNode = paths.followerNode(*other->follower);
            if (otherNode >= 0 && otherNode < nodeCount) {
                const int ahead = ((node - otherNode) % nodeCount + nodeCount) % nodeCount;
                if (ahead >= 1 && ahead <= 30)
                    result = 3;
            }
        }
    }
    return result;
}

void PutResetPoint(CarPosRecord& request, const RoadPlace& road, float lateral)
{
    uint8_t* b = request.bytes;
    PutFloat(b + 8, lateral);
    b[3] = 1;
    const FixedVector placed = RoadPointAtOffset(road, lateral);
    PutInt(b + 12, placed.x.raw);
    PutInt(b + 16, placed.y.raw);
    PutInt(b + 20, placed.z.raw);
}

} // namespace

int CheckResetPlace(CarObject& car, CarPosRecord& request, int ignoredSlot, CarObject* const* slotCars,
                    int slotCount)
{
    const CarPathHooks& paths = GetCarPathHooks();
    uint8_t* b = request.bytes;
    // The node must lie on the path.
    const int node = GetInt(b + 4);
    const int nodeCount = paths.pathNodeCount();
    RoadPlace middle;
    if (nodeCount <= 0 || node < 0 || node >= nodeCount || !paths.roadPlace(node, middle))
        return 4;
    // Halfway to the next node; a point off the road (or one the
    // request asks to be placed) goes onto the road within the limits. A
    // lateral position that is not a number is off the road.
    const bool forced = b[2] != 0;
    const float halfWidth = car.tuning.largerHalfWidth;
    float lateral = GetFloat(b + 8);
    if (KeepOffsetOnRoad(middle, halfWidth, forced, lateral))
        PutResetPoint(request, middle, lateral);
    const FixedVector point = MakeFixedVector(GetInt(b + 12), GetInt(b + 16), GetInt(b + 20));
    const int result = JudgeResetPoint(car, point, node, ignoredSlot, slotCars, slotCount);
    if ((result != 1 && result != 2) || !forced)
        return result;
    // A standing car placed across the road: where another car stands or
    // was just put on its own place (two cars wedged side by side would
    // otherwise refuse each other's reset for ever), the places one car
    // width apart across the road, nearest first, left before right; the
    // first clear one is taken.
    const float step = 2 * halfWidth;
    const float low = middle.leftLimit + halfWidth, high = middle.rightLimit - halfWidth;
    for (int k = 1; step > 0 && k <= MaxResetShifts; k++) {
        for (const float side : {-1.0f, 1.0f}) {
            const float shifted = lateral + side * float(k) * step;
            if (!(shifted >= low && shifted <= high))
                continue;
            const FixedVector across = RoadPointAtOffset(middle, shifted);
            if (JudgeResetPoint(car, across, node, ignoredSlot, slotCars, slotCount) == 0) {
                PutResetPoint(request, middle, shifted);
                return 0;
            }
        }
    }
    return result;
}

int CheckResetPosition(CarObject& car, CarPosRecord& request, int ignoredSlot)
{
    CarObject* slotCars[MaxRaceCars] = {};
    const int slotCount = GetCarRaceHooks().raceSlotCars(slotCars, MaxRaceCars);
    return CheckResetPlace(car, request, ignoredSlot, slotCars, slotCount);
}

void ShowCantResetMessage(int reason)
{
    const char* why = reason == 1   ? GetText(TX_3g_could_ha)
                      : reason == 2 ? GetText(TX_3g_could_hr)
                      : reason == 3 ? GetText(TX_3g_would_ye)
                                    : GetText(TX_3g_too_dang);
    char text[80];
    std::snprintf(text, sizeof text, GetText(TX_3g_cant_res), why);
    GetCarMessageHooks().printNotice(text);
}
