// What the physics meets of the loaded world: its gravity and wind, the
// drivable surfaces and posts of the map squares around a body, and the
// collision bodies of the solid objects in the object cells, which bodies
// knock loose and which come back to their places.
#include <cmath>

#include "world/local.h"

namespace {

bool Holds(WorldObject* const* list, int count, const WorldObject* object)
{
    for (int i = 0; i < count; i++)
        if (list[i] == object)
            return true;
    return false;
}

SolidObject* SolidOf(WorldObject* object)
{
    return object && object->GetType() == ObjectTypeSolid ? static_cast<SolidObject*>(object) : nullptr;
}

class WorldSurroundings final : public BodySurroundings {
public:
    World* world = nullptr;

    bool IsWorldLoaded() const override { return world && world->ready; }
    float Gravity() const override { return world ? world->gravity : -9.81f; }
    Vec3 Wind() const override { return world ? Vec3{world->windX, world->windY, 0} : Vec3{}; }

    int CollectContactObjects(const FixedVector& centre, Fixed reach, WorldObject** out, int capacity) override
    {
        CellRange range;
        if (!world || !GetCellRange(*world, range, centre.x, centre.y, reach.raw))
            return 0;
        const int64_t r = reach.raw;
        int count = 0;
        for (int row = range.firstRow; row <= range.lastRow; row++) {
            for (int column = range.firstColumn; column <= range.lastColumn; column++) {
                const MapSquare& square = world->squares[size_t(row * GridSide + column)];
                for (int i = 0; i < square.surfaceCount; i++) {
                    WorldObject* o = world->squareEntries[size_t(square.surfaceFirst + i)];
                    if (!(centre.x.raw + r > o->boxMinX && centre.x.raw - r < o->boxMaxX &&
                          centre.y.raw + r > o->boxMinY && centre.y.raw - r < o->boxMaxY))
                        continue;
                    if (Holds(out, count, o))
                        continue;
                    if (count >= capacity)
                        return count;
                    out[count++] = o;
                }
            }
        }
        return count;
    }

    bool ObjectContainsPoint(WorldObject& object, Fixed x, Fixed y, Fixed margin) override
    {
        return object.ContainsPoint(x, y, margin) != 0;
    }

    void ObjectContactQuery(WorldObject& object, const FixedVector& position, const FixedVector& direction,
                            ContactQueryRecord& record) override
    {
        object.ContactQuery(position, direction, record, nullptr);
    }

    int CollectRadiusPosts(const FixedVector& centre, Fixed halfSide, RadiusPost* posts, int capacity) override
    {
        CellRange range;
        if (!world || !GetCellRange(*world, range, centre.x, centre.y, halfSide.raw))
            return 0;
        WorldObject* seen[MaxRadiusObjects];
        int count = 0;
        for (int row = range.firstRow; row <= range.lastRow; row++) {
            for (int column = range.firstColumn; column <= range.lastColumn; column++) {
                const MapSquare& square = world->squares[size_t(row * GridSide + column)];
                for (int i = 0; i < square.radiusCount; i++) {
                    WorldObject* o = world->squareEntries[size_t(square.radiusFirst + i)];
                    const int64_t half = int64_t(o->contactRadius) * ContactRadiusUnit + halfSide.raw;
                    if (std::abs(int64_t(o->x.raw) - centre.x.raw) >= half ||
                        std::abs(int64_t(o->y.raw) - centre.y.raw) >= half)
                        continue;
                    if (Holds(seen, count, o))
                        continue;
                    if (count >= capacity || count >= MaxRadiusObjects)
                        return count;
                    seen[count] = o;
                    posts[count++] = {o->x, o->y, o->contactRadius};
                }
            }
        }
        return count;
    }

    int SurfaceFlags(const WorldTexture& texture) const override { return texture.flags; }
    int SurfaceKind(const WorldTexture& texture) const override { return texture.surfaceKind; }

    int CollectCellBodies(const FixedVector& centre, float radius, RigidBody** bodies, int capacity) override
    {
        CellRange range;
        if (!world || world->cellLinks.empty() ||
            !GetCellRange(*world, range, centre.x, centre.y, RoundToInt32(double(radius) * 65536.0)))
            return 0;
        int count = 0;
        for (int row = range.firstRow; row <= range.lastRow; row++) {
            for (int column = range.firstColumn; column <= range.lastColumn; column++) {
                for (int32_t at = world->cellHeads[size_t(row * GridSide + column)]; at >= 0;
                     at = world->cellLinks[size_t(at)].next) {
                    SolidObject* solid = SolidOf(world->cellLinks[size_t(at)].object);
                    if (!solid || !solid->body)
                        continue;
                    if (count >= capacity)
                        return count;
                    bodies[count++] = solid->body;
                }
            }
        }
        return count;
    }

    void OnOwnerResting(RigidBody& body) override
    {
        if (SolidObject* solid = SolidOf(body.owner); solid && world)
            AddObjectToCells(*world, *solid);
    }

    void OnOwnerKnocked(RigidBody& body) override
    {
        if (SolidObject* solid = SolidOf(body.owner); solid && world) {
            solid->displaced = 1;
            RemoveObjectFromCells(*world, *solid);
        }
    }

    int KnockedObjectCount() override { return world ? static_cast<int>(world->celledSolids.size()) : 0; }

    bool GetKnockedObject(int index, KnockedObject& out) override
    {
        if (!world || index < 0 || size_t(index) >= world->celledSolids.size())
            return false;
        SolidObject* solid = world->celledSolids[size_t(index)];
        if (!solid->displaced || !solid->body)
            return false;
        out.object = solid;
        out.body = solid->body;
        out.x = solid->x;
        out.y = solid->y;
        out.withdrawn = solid->withdrawn != 0;
        return true;
    }

    void RestoreKnockedObject(WorldObject& object) override
    {
        SolidObject* solid = SolidOf(&object);
        if (!solid || !world)
            return;
        RemoveObjectFromCells(*world, *solid);
        FreeSolidCollision(*solid);
        if (BuildSolidCollision(*solid))
            AddObjectToCells(*world, *solid);
        solid->displaced = solid->withdrawn = 0;
    }

    void WithdrawKnockedObject(WorldObject& object, bool unlinkFromCells) override
    {
        SolidObject* solid = SolidOf(&object);
        if (!solid || !world)
            return;
        solid->withdrawn = 1;
        if (unlinkFromCells)
            RemoveObjectFromCells(*world, *solid);
    }
};

// Lives for the whole run; answers for the current world while one is set.
WorldSurroundings Surroundings;

} // namespace

void InstallWorldSurroundings(World* world)
{
    Surroundings.world = world;
    SetBodySurroundings(world ? &Surroundings : nullptr);
}
