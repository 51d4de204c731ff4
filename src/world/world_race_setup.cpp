// What the loader prepares for the race code: the timing point count of the
// configuration, the start places, pit boxes and garages, the speed and
// light zones with the pit area, the start orientation, and the world's
// extent from which the contact grid is laid.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "world/local.h"

namespace {

// The autocross site keeps its pit boxes' own headings.
constexpr const char* AutocrossCode = "AU";

void InsertSpeedZone(World& world, SpeedZoneObject& zone)
{
    if (world.speedZoneCount >= MaxSpeedZones)
        return;
    int at = 0;
    while (at < world.speedZoneCount && world.speedZones[at]->halfSecond > zone.halfSecond)
        at++;
    for (int i = world.speedZoneCount; i > at; i--)
        world.speedZones[i] = world.speedZones[i - 1];
    world.speedZones[at] = &zone;
    world.speedZoneCount++;
}

// A light zone takes the path's light states where its reference point lies.
void ListLightZone(World& world, SpeedZoneObject& zone)
{
    if (world.lightZoneCount >= MaxLightZones || !world.currentPath)
        return;
    PathFollower* follower = CreatePathFollower();
    const PathWorld pathWorld = MakePathWorld(world);
    ResetPathFollower(*follower, pathWorld);
    const int node = FindFollowerPosition(*follower, zone.reference, 1, pathWorld);
    if (node >= 0) {
        world.lightZones[world.lightZoneCount++] = &zone;
        zone.zoneFlags |= ZoneFlagListed;
        zone.lightStates.assign(follower->lightStates[0], follower->lightStates[0] + LightStateTableSize);
        const PathNode& n = world.currentPath->nodes[size_t(node)];
        const float dx = FixedToMetres(zone.reference.x - n.centre.x), dy = FixedToMetres(zone.reference.y - n.centre.y);
        const float q = dx * n.direction.y - dy * n.direction.x;
        const float span = n.rightEdge - n.leftEdge;
        const float sub = span != 0 ? std::trunc(8 * (q - n.leftEdge) / span) : 0;
        zone.subPosition = std::clamp(static_cast<int>(std::clamp(sub, -1.0f, 8.0f)), 0, 7);
    }
    FreePathFollower(follower);
}

// A solid object may be a start place or a pit box (its number in variant
// A), or one of the start lights.
void RegisterStartObject(World& world, SolidObject& solid)
{
    if ((solid.solidFlags & SolidFlagStartLight) && solid.model >= 0) {
        if (world.startLightModel == -2)
            return;
        if (world.startLightObjectCount >= MaxStartLightObjects ||
            (world.startLightModel >= 0 && solid.model != world.startLightModel)) {
            world.startLightModel = -2;
            return;
        }
        world.startLightModel = solid.model;
        world.startLightObjects[world.startLightObjectCount++] = &solid;
        return;
    }
    if (!(solid.solidFlags & SolidFlagStartPlace) || solid.variantA < 1 || solid.variantA > MaxStartPlaces)
        return;
    const int k = solid.variantA - 1;
    if (solid.solidFlags & SolidFlagPitBox) {
        if (world.pitBoxes[k])
            return;
        world.pitBoxes[k] = &solid;
        world.pitBoxCount++;
        if (SameNameAscii(world.siteCode, AutocrossCode, 2))
            solid.solidFlags |= SolidFlagOwnHeading;
    } else if (!world.startPositions[k]) {
        world.startPositions[k] = &solid;
        world.startPositionCount++;
    }
}

void SetPitArea(World& world)
{
    world.pitCentreX = world.pitCentreY = Fixed(0);
    world.pitRadiusSquared = 0;
    const int n = world.speedZoneCount;
    if (n == 0)
        return;
    int32_t cx = 0, cy = 0;
    for (int i = 0; i < n; i++) {
        cx += world.speedZones[i]->x.raw / n;
        cy += world.speedZones[i]->y.raw / n;
    }
    world.pitCentreX = Fixed(cx);
    world.pitCentreY = Fixed(cy);
    for (int i = 0; i < n; i++) {
        const SpeedZoneObject& z = *world.speedZones[i];
        const float d = FixedDistanceXY({z.x, z.y, Fixed(0)}, {world.pitCentreX, world.pitCentreY, Fixed(0)});
        const float reach = d + std::sqrt(z.halfFirst * z.halfFirst + z.halfSecond * z.halfSecond);
        world.pitRadiusSquared = std::max(world.pitRadiusSquared, reach * reach);
    }
}

// Garages stand in the pit zones, ordered along the start grid's direction
// (largest first). Without a grid they are measured from the origin.
void ListGarages(World& world, uint32_t bit)
{
    float a = 0;
    Fixed gx, gy;
    if (world.startGrid) {
        a = world.startGrid->heading;
        gx = world.startGrid->x;
        gy = world.startGrid->y;
    }
    double s, c;
    ComputeSinCos(double(a), s, c);
    float keys[MaxStartPlaces] = {};
    for (WorldObject* o : world.objects) {
        if (o->GetType() != ObjectTypeSolid || !ObjectInConfig(*o, bit) || world.garageCount >= MaxStartPlaces)
            continue;
        auto* solid = static_cast<SolidObject*>(o);
        if (solid->model < 0 || size_t(solid->model) >= world.sharedModels.size() ||
            !world.sharedModels[size_t(solid->model)].garageFlag || !FindSpeedZoneAt(world, solid->x, solid->y))
            continue;
        const float key = FixedToMetres(solid->x - gx) * float(-s) + FixedToMetres(solid->y - gy) * float(c);
        int at = 0;
        while (at < world.garageCount && keys[at] > key)
            at++;
        for (int i = world.garageCount; i > at; i--) {
            world.garages[i] = world.garages[i - 1];
            keys[i] = keys[i - 1];
        }
        world.garages[at] = solid;
        keys[at] = key;
        world.garageCount++;
    }
}

} // namespace

int CountTimingPoints(World& world)
{
    int count = 0;
    if (world.configuration > 0) {
        const uint32_t bit = 1u << (world.configuration & 31);
        for (const WorldObject* o : world.objects)
            if (o->GetType() == ObjectTypeSurface && ObjectInConfig(*o, bit))
                count = std::max<int>(count, static_cast<const CurvedSurfaceObject*>(o)->areaCode);
    }
    world.timingPointCount = count;
    return count;
}

void SetupStartObjects(World& world)
{
    const uint32_t bit = CurrentConfigBit(world);
    const bool selected = world.configuration > 0;
    if (selected)
        SetPathLinks(world);
    world.startLightModel = -1;
    world.startLightObjectCount = world.speedZoneCount = world.lightZoneCount = 0;
    world.startGrid = nullptr;
    world.startPositionCount = world.pitBoxCount = world.garageCount = 0;
    for (int i = 0; i < MaxStartPlaces; i++)
        world.startPositions[i] = world.pitBoxes[i] = world.garages[i] = nullptr;
    int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    const bool pathNodes = world.currentPath && world.currentPath->nodeCount > 0;
    for (WorldObject* o : world.objects) {
        if (o->IsSurface()) {
            minX = std::min(minX, o->boxMinX);
            maxX = std::max(maxX, o->boxMaxX);
            minY = std::min(minY, o->boxMinY);
            maxY = std::max(maxY, o->boxMaxY);
        }
        if (!selected || !ObjectInConfig(*o, bit))
            continue;
        switch (o->GetType()) {
        case ObjectTypeSolid: RegisterStartObject(world, *static_cast<SolidObject*>(o)); break;
        case ObjectTypeSpeedZone: {
            if (!pathNodes)
                break;
            auto* zone = static_cast<SpeedZoneObject*>(o);
            zone->zoneFlags &= ~ZoneFlagListed;
            if (zone->speedLimit != 0)
                InsertSpeedZone(world, *zone);
            if (zone->zoneFlags & ZoneFlagLightZone)
                ListLightZone(world, *zone);
            break;
        }
        case ObjectTypeStartGrid:
            if (!world.startGrid)
                world.startGrid = static_cast<StartGridObject*>(o);
            break;
        default: break;
        }
    }
    FixedVector place;
    float heading = 0;
    GetStartPosition(world, place, heading, 0);
    double s, c;
    ComputeSinCos(double(heading), s, c);
    world.startOrientation = {{float(c), float(-s), 0, float(s), float(c), 0, 0, 0, 1}};
    SetPitArea(world);
    ListGarages(world, bit);
    world.extentX = Fixed(static_cast<int32_t>((int64_t(minX) + maxX) / 2));
    world.extentY = Fixed(static_cast<int32_t>((int64_t(minY) + maxY) / 2));
    int64_t half = 0;
    for (int64_t v : {int64_t(minX), int64_t(maxX), int64_t(minY), int64_t(maxY)})
        half = std::max<int64_t>(half, v < 0 ? -v : v);
    world.extentHalf = Fixed(static_cast<int32_t>(std::min<int64_t>(half, INT32_MAX)));
    SetGridRectangle(world, minX, maxX, minY, maxY);
    ApplyStartLights(world);
}

SpeedZoneObject* FindSpeedZoneAt(const World& world, Fixed x, Fixed y)
{
    const float dx = FixedToMetres(x - world.pitCentreX), dy = FixedToMetres(y - world.pitCentreY);
    if (dx * dx + dy * dy > world.pitRadiusSquared)
        return nullptr;
    for (int i = 0; i < world.speedZoneCount; i++)
        if (world.speedZones[i]->Holds(x, y))
            return world.speedZones[i];
    return nullptr;
}

int GetStartPositionCount(const World& world)
{
    if (world.startGrid)
        return std::min(world.startGrid->rows * world.startGrid->columns, MaxStartPlaces);
    return std::clamp<int>(world.startPositionCount, 1, MaxStartPlaces);
}

void GetStartPosition(const World& world, FixedVector& point, float& heading, int slot)
{
    point = ZeroVector;
    heading = 0;
    if (world.startGrid) {
        if (slot >= 0 && slot < world.startGrid->rows * world.startGrid->columns)
            GetGridPosition(*world.startGrid, slot, point, heading);
        return;
    }
    if (slot < 0 || slot >= MaxStartPlaces || !world.startPositions[slot])
        return;
    const SolidObject& place = *world.startPositions[slot];
    point = {place.x, place.y, Fixed(0)};
    heading = place.heading;
}

bool IsMostlyOffRoad(const World& world)
{
    return world.racingPath && world.racingPath->roadFraction < 0.7f;
}
