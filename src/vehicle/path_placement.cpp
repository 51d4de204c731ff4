// Putting a car back on the road at a path node: where across the road it
// goes, which way it faces, and the reset that places it there.
#include "vehicle/local.h"

namespace {

// Surface kinds a wheel sinks into (gravel and sand): a car standing on
// them is moved onto the road when it is placed.
constexpr int32_t SoftSurfaceA = 4, SoftSurfaceB = 8;

// Share of a quarter turn (0 on the centre line, 1 at the road's edge, 2
// at its outer limit) that a car at the offset is turned towards the edge
// it is nearer. Between the edges it grows with the offset over the edge;
// beyond an edge with the way from the edge to the outer limit. A node
// whose outer limit lies on its edge counts the whole way at once; an
// offset past the outer limit (or not a number) turns no further.
float PlacementTurnShare(const RoadPlace& road, float offset)
{
    if (!(offset == offset))
        return 0;
    const bool left = offset < 0;
    const float edge = left ? road.leftEdge : road.rightEdge;
    const float outer = left ? road.leftLimit : road.rightLimit;
    const bool withinEdge = left ? offset >= edge : offset <= edge;
    float share = 0;
    if (withinEdge) {
        share = edge != 0 ? offset / edge : 0;
    } else {
        const float margin = outer - edge;
        const bool hasMargin = left ? margin < 0 : margin > 0;
        share = 1 + (hasMargin ? (offset - edge) / margin : 1);
    }
    return share < 0 ? 0 : share < 2 ? share : 2;
}

} // namespace

bool KeepOffsetOnRoad(const RoadPlace& road, float halfWidth, bool forced, float& offset)
{
    const bool onRoad = offset >= road.leftEdge + halfWidth && offset <= road.rightEdge - halfWidth;
    if (!forced && onRoad)
        return false;
    const float low = road.leftLimit + halfWidth, high = road.rightLimit - halfWidth;
    // An offset that is not a number goes to the left limit.
    if (!(offset >= low))
        offset = low;
    else if (offset > high)
        offset = high;
    return true;
}

FixedVector RoadPointAtOffset(const RoadPlace& road, float offset)
{
    const double across = offset;
    return {road.centre.x + FixedFromMetres(across * road.direction.y),
            road.centre.y - FixedFromMetres(across * road.direction.x), road.centre.z};
}

float GetPlacementHeading(const RoadPlace& node, float lateralOffset)
{
    const float along = static_cast<float>(ComputeAtan2(-double(node.direction.x), double(node.direction.y)));
    const float turn = PlacementTurnShare(node, lateralOffset) * (Pi / 4);
    // A positive heading turns to the left.
    return lateralOffset < 0 ? along + turn : along - turn;
}

int AnyWheelOnSoftGround(const CarObject& car)
{
    for (int i = 0; i < car.wheelCount; i++) {
        const int32_t kind = car.wheels[i].surfaceKind;
        if (kind == SoftSurfaceA || kind == SoftSurfaceB)
            return 1;
    }
    return 0;
}

void PlaceCarOnPathNode(CarObject& car, const RoadPlace& node)
{
    float offset = car.step.lateralOffset;
    KeepOffsetOnRoad(node, car.tuning.largerHalfWidth, AnyWheelOnSoftGround(car) != 0, offset);
    SetCarPosition(car, RoadPointAtOffset(node, offset));
    ResetCar(car, GetPlacementHeading(node, offset), 1, 0);
    StartEngineAtIdle(car.engine);
}
