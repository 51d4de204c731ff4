// The layout's route: the start position and the gates (finish line and
// checkpoints) its markers give, rebuilt after every change of markers and
// reported to the driver, and what the race asks of it.
#include <algorithm>
#include <cstdio>

#include "world/local.h"

namespace {

// Report colours: grey for the route's state, light red for a route that
// cannot be timed.
constexpr int RouteNoteColour = 18, RouteFaultColour = 9;
constexpr const char* NotTimed = " - laps will not be timed";

void SetStart(LayoutRoute& route, const SolidObject& marker)
{
    route.start = {marker.x, marker.y, Fixed(RoundToInt32(double(marker.height) * 65536.0))};
    route.startHeading = marker.heading;
    route.startPresent = 1;
}

void SetGate(LayoutGate& gate, const SolidObject& marker)
{
    const int32_t angle = HeadingToAngle16(marker.heading);
    const Fixed sine = SineOf(angle), cosine = CosineOf(angle);
    gate.point = {marker.x, marker.y, Fixed(RoundToInt32(double(marker.height) * 65536.0))};
    gate.directionX = -sine;
    gate.directionY = cosine;
    gate.sideX = cosine;
    gate.sideY = sine;
    gate.halfWidth = Fixed(int32_t(marker.variantB) << 16);
}

void Report(const char* text, int colour, int report)
{
    if (report)
        WorldPrintMessage(text, colour);
}

// Checks the route just built: a route without a finish line, or with a
// checkpoint missing below the highest, cannot be timed (count 0).
void CheckRoute(const World& world, LayoutRoute& route, int report)
{
    const int lesson = 0;  // no lesson brings its own finish or silences the notes yet
    char text[80];
    if (route.count == 0) {
        if (world.timingPointCount == 0) {
            std::snprintf(text, sizeof text, "No checkpoints%s", NotTimed);
            Report(text, RouteNoteColour, report && !lesson);
        }
        return;
    }
    if (route.gates[0].halfWidth.raw == 0) {
        std::snprintf(text, sizeof text, "No finish line%s", NotTimed);
        Report(text, RouteFaultColour, report);
        route.count = 0;
        return;
    }
    if (route.count == 1) {
        Report("Finish line but no checkpoints", RouteFaultColour, report);
        route.count = 0;
        return;
    }
    bool complete = true;
    for (int checkpoint = 1; checkpoint < route.count - 1; checkpoint++) {
        if (route.gates[size_t(checkpoint)].halfWidth.raw != 0)
            continue;
        std::snprintf(text, sizeof text, "Checkpoint %d not found", checkpoint);
        Report(text, RouteFaultColour, report);
        complete = false;
    }
    if (!complete) {
        route.count = 0;
        return;
    }
    if (route.count == 2)
        std::snprintf(text, sizeof text, "Autocross : 1 checkpoint");
    else
        std::snprintf(text, sizeof text, "Autocross : %d checkpoints", route.count - 1);
    Report(text, RouteNoteColour, report && !lesson);
}

} // namespace

void ResetLayoutRoute() { MutableLayoutState.route = {}; }

void UpdateLayoutRoute(const World& world, int report)
{
    ResetLayoutRoute();
    LayoutRoute& route = MutableLayoutState.route;
    for (size_t i = size_t(FirstLayoutObject(world)); i < world.objects.size(); i++) {
        const int index = GetRouteMarkerIndex(*world.objects[i]);
        const auto& marker = static_cast<const SolidObject&>(*world.objects[i]);
        if (index == RouteIndexStart) {
            SetStart(route, marker);
        } else if (index >= RouteIndexFinish && index <= RouteIndexLastCheckpoint) {
            SetGate(route.gates[size_t(index - RouteIndexFinish)], marker);
            route.count = std::max(route.count, index - 1);
        }
    }
    CheckRoute(world, route, report);
}

int HasLayoutStartPosition() { return LayoutState.route.startPresent; }
int HasLayoutFinishLine() { return LayoutState.route.count > 0 ? 1 : 0; }
int GetLayoutCheckpointCount() { return LayoutState.route.count; }

int GetLayoutStartPoint(FixedVector& point)
{
    point = LayoutState.route.start;
    return LayoutState.route.startPresent;
}
