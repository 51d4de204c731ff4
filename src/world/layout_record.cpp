// Layout records: the 8-byte form of a placed layout object, as files and
// packets carry it, and its placement on the world's ground.
#include <cmath>

#include "world/local.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
// x and y keep 1/16 m of a 16.16 position, z 1/4 m.
constexpr int PlanarShift = 12, HeightShift = 14;
// The ground is looked for from 2 m above the stored height down to 4 m
// below it, then down to 8 m below.
constexpr int32_t GroundSearchDrop = 4 * 65536;
constexpr int32_t GroundSearchNear = -6 * 65536, GroundSearchFar = -10 * 65536;
// A marker is drawn this far (16.16, 1/8 m) above the ground.
constexpr int32_t MarkerLift = 8192;

int32_t SignedShiftLeft(int32_t value, int shift) { return static_cast<int32_t>(static_cast<uint32_t>(value) << shift); }

// The ground under a point: a point query from 2 m above it down to the
// given depth. 1 on a hit.
int FindGround(const World& world, const FixedVector& point, int32_t depth, ContactQueryRecord& hit)
{
    FixedVector query = point;
    query.z.raw = WrapSub(query.z.raw, GroundSearchDrop);
    hit.queryPosition = query;
    hit.queryDirection = MakeFixedVector(0, 0, depth);
    return WorldPointQuery(world, query, hit.queryDirection, hit);
}

double ArcSine(double s)
{
    s = s < -1 ? -1 : s > 1 ? 1 : s;
    return ComputeAtan2(s, std::sqrt(1.0 - s * s));
}

} // namespace

uint8_t LayoutHeadingByte(float heading)
{
    return static_cast<uint8_t>(RoundToInt32((double(heading) + Pi) * 256.0 / (2.0 * Pi)) & 0xFF);
}

float LayoutHeadingFromByte(uint8_t byte) { return float(double(byte) * (2.0 * Pi) / 256.0 - Pi); }

void PackLayoutObject(LayoutObjectRecord& record, const SolidObject& object)
{
    record.x = static_cast<int16_t>(object.x.raw >> PlanarShift);
    record.y = static_cast<int16_t>(object.y.raw >> PlanarShift);
    record.z = static_cast<int8_t>(RoundToInt32(double(object.height) * 65536.0) >> HeightShift);
    if (object.solidFlags & (SolidFlagLayoutStart | SolidFlagLayoutGate)) {
        record.flags = static_cast<uint8_t>(LayoutFlagMarker | (object.variantB & LayoutSizeMask) << LayoutSizeShift |
                                            (object.variantA & LayoutMarkerTypeMask));
        record.kind = LayoutKindMarker;
    } else {
        record.flags = 0;
        record.kind = static_cast<uint8_t>(object.model);
    }
    record.heading = LayoutHeadingByte(object.heading);
}

int UnpackLayoutObject(const World& world, const LayoutObjectRecord& record, FixedVector& position, float& height,
                       float& heading, float& pitch, float& roll)
{
    position = MakeFixedVector(SignedShiftLeft(record.x, PlanarShift), SignedShiftLeft(record.y, PlanarShift),
                               SignedShiftLeft(record.z, HeightShift));
    height = FixedToMetres(position.z);
    heading = LayoutHeadingFromByte(record.heading);
    pitch = roll = 0;
    if (ProgramMode.dedicatedMode >= 2)
        return 1;
    ContactQueryRecord hit;
    if (!FindGround(world, position, GroundSearchNear, hit) && !FindGround(world, position, GroundSearchFar, hit))
        return 0;
    position.z = hit.hitPosition.z;
    height = FixedToMetres(position.z);
    // The ground's normal in the object's own frame (turned back by its
    // heading) gives its tilt.
    double sine, cosine;
    ComputeSinCos(double(heading), sine, cosine);
    const double nx = double(hit.hitNormal.x), ny = double(hit.hitNormal.y);
    const double localX = nx * cosine + ny * sine;
    const double localY = -nx * sine + ny * cosine;
    pitch = float(ArcSine(-localY));
    roll = float(ArcSine(localX));
    return 1;
}

int GetLayoutObjectPlacement(const World& world, const LayoutObjectRecord& record, FixedVector& position,
                             float& heading)
{
    float height = 0, pitch = 0, roll = 0;
    const int onGround = UnpackLayoutObject(world, record, position, height, heading, pitch, roll);
    position.z = Fixed(RoundToInt32(double(height) * 65536.0) + MarkerLift);
    return onGround;
}

int GetRouteMarkerIndex(const WorldObject& object)
{
    if (object.GetType() != ObjectTypeSolid)
        return RouteIndexNone;
    const auto& solid = static_cast<const SolidObject&>(object);
    if (solid.solidFlags & SolidFlagLayoutStart)
        return RouteIndexStart;
    if (solid.solidFlags & SolidFlagLayoutGate)
        return RouteIndexFinish + (solid.variantA & LayoutMarkerTypeMask);
    return RouteIndexNone;
}
