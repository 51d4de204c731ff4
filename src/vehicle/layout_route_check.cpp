// A car on an autocross layout: the circles of the route it touches in
// order (a wrong one or a restricted area costs a time penalty) and the
// gates it drives through, which time its laps and splits.
#include <cstdlib>

#include "vehicle/local.h"

namespace {

constexpr int RouteMessageColour = 9;  // light red
constexpr int RoutePenaltySound = 3;
// The penalty packet of a missed route: 45 seconds, reason byte 2.
constexpr int RoutePenaltySeconds = 45;
constexpr int RoutePenaltyReason = 2;

// 16.16 products summed in 64 bits, shifted once.
int64_t PlanarDot(int32_t ax, int32_t ay, Fixed bx, Fixed by)
{
    return (int64_t(ax) * bx.raw + int64_t(ay) * by.raw) >> 16;
}

void GiveRoutePenalty(CarObject& car, const char* message)
{
    GetCarMessageHooks().printMessage(message, RouteMessageColour);
    GetCarSoundHooks().playInterfaceSound(RoutePenaltySound);
    const int slot = GetPlayerSlotOfCar(car);
    if (slot >= 0 && !GetCarNetHooks().isReplayPlaying())
        QueueCarPacket(TimePenaltyPacket, GetSlotOrders(slot).playerId, RoutePenaltySeconds, RoutePenaltyReason);
}

bool TouchesCircle(const CarObject& car, const RouteCircle& circle)
{
    const int64_t r = int64_t(circle.radiusMetres) << 16;
    const int64_t dx = int64_t(car.position.x.raw) - circle.position.x.raw;
    const int64_t dy = int64_t(car.position.y.raw) - circle.position.y.raw;
    return std::llabs(dx) < r && std::llabs(dy) < r && (dx * dx >> 16) + (dy * dy >> 16) < (r * r >> 16);
}

// The gate the car watches: the one its next timing point names, the
// finish line once every checkpoint is done. -1 when it has none.
int WatchedGate(const CarObject& car, int gateCount)
{
    const int state = car.race.timingState;
    const int gate = state == gateCount + 1 ? 0 : state - 1;
    return gate >= 0 && gate < gateCount ? gate : -1;
}

} // namespace

void CheckRouteCircles(CarObject& car)
{
    if (car.net.remote)
        return;
    const CarTimingHooks& hooks = GetCarTimingHooks();
    CarRouteState& route = car.route;
    RouteCircle circle;
    for (int i = 0; hooks.routeCircle(i, circle); i++) {
        if (i == route.lastTouched || !TouchesCircle(car, circle))
            continue;
        route.lastTouched = static_cast<int16_t>(i);
        if (circle.restricted) {
            GiveRoutePenalty(car, "Restricted area");
        } else if (circle.routeIndex > route.nextGate) {
            GiveRoutePenalty(car, "Wrong route");
        } else if (circle.routeIndex == route.nextGate) {
            route.nextGate++;
        }
    }
}

void CheckRouteGates(CarObject& car)
{
    const CarTimingHooks& hooks = GetCarTimingHooks();
    const int gateCount = hooks.routeGateCount();
    const int watched = WatchedGate(car, gateCount);
    RouteGatePlace gate;
    if (watched < 0 || !hooks.routeGate(watched, gate))
        return;
    const int32_t px = car.position.x.raw - gate.point.x.raw, py = car.position.y.raw - gate.point.y.raw;
    const int64_t d = PlanarDot(px, py, gate.directionX, gate.directionY);
    CarRouteState& route = car.route;
    if (d <= 0) {
        route.behindGate = 1;
        return;
    }
    if (!route.behindGate)
        return;
    route.behindGate = 0;
    const int64_t across = PlanarDot(px, py, gate.sideX, gate.sideY);
    if (d < gate.halfWidth.raw && std::llabs(across) < gate.halfWidth.raw) {
        CarCrossedTimingPoint(car, watched + 1);
        route.gateSpeed = car.step.speed;
    }
    // Behind the gate now watched when the gate just left lies behind it.
    const int next = WatchedGate(car, gateCount);
    RouteGatePlace now;
    if (next < 0 || !hooks.routeGate(next, now))
        return;
    const int32_t gx = gate.point.x.raw - now.point.x.raw, gy = gate.point.y.raw - now.point.y.raw;
    route.behindGate = PlanarDot(gx, gy, now.directionX, now.directionY) <= 0 ? 1 : 0;
}
