// The object cells: 16 x 16 lists of the solid objects whose collision
// bodies reach into each square, linked from one pool sized once when the
// cells are built, so that a knocked object moving between cells never
// allocates.
#include <algorithm>
#include <cmath>

#include "world/local.h"

namespace {

int32_t BodyRadius(const SolidObject& solid) { return RoundToInt32(double(solid.body->radius) * 65536.0); }

bool BodyRange(const World& world, const SolidObject& solid, CellRange& range)
{
    return solid.body && GetCellRange(world, range, solid.body->position.x, solid.body->position.y, BodyRadius(solid));
}

// A free link: from the rover on, the first that holds no object; -1 when
// every link of the pool is in use.
int32_t TakeLink(World& world)
{
    const int32_t size = static_cast<int32_t>(world.cellLinks.size());
    for (int32_t tries = 0; tries < size; tries++) {
        if (!world.cellLinks[size_t(world.cellRover)].object)
            return world.cellRover;
        world.cellRover = world.cellRover + 1 < size ? world.cellRover + 1 : 0;
    }
    return -1;
}

} // namespace

bool AddObjectToCells(World& world, WorldObject& object)
{
    if (object.GetType() != ObjectTypeSolid)
        return false;
    SolidObject& solid = static_cast<SolidObject&>(object);
    CellRange range;
    if (!BodyRange(world, solid, range))
        return true;
    for (int row = range.firstRow; row <= range.lastRow; row++) {
        for (int column = range.firstColumn; column <= range.lastColumn; column++) {
            const int32_t link = TakeLink(world);
            if (link < 0) {
                LogPrintf("AddObjectToCells : link pool full (%d)", static_cast<int>(world.cellLinks.size()));
                return false;
            }
            int32_t& head = world.cellHeads[size_t(row * GridSide + column)];
            world.cellLinks[size_t(link)] = {head, &object};
            head = link;
        }
    }
    return true;
}

void RemoveObjectFromCells(World& world, WorldObject& object)
{
    // Every cell is searched, so that no link is left behind wherever the
    // body has moved since it was linked.
    for (int32_t& head : world.cellHeads) {
        int32_t* at = &head;
        while (*at >= 0) {
            CellLink& link = world.cellLinks[size_t(*at)];
            if (link.object == &object) {
                const int32_t next = link.next;
                link = {};
                *at = next;
            } else {
                at = &link.next;
            }
        }
    }
}

void ClearObjectCells(World& world)
{
    for (WorldObject* o : world.objects) {
        if (!o->HasLitData())
            continue;
        LodObject* lod = static_cast<LodObject*>(o);
        lod->displaced = lod->withdrawn = 0;
        if (o->GetType() == ObjectTypeSolid)
            FreeSolidCollision(*static_cast<SolidObject*>(o));
    }
    world.celledSolids.clear();
    world.cellLinks.clear();
    world.cellRover = 0;
    world.cellHeads.fill(-1);
}

void BuildObjectCells(World& world)
{
    if (ProgramMode.dedicatedMode != 0)
        return;
    const uint32_t bit = CurrentConfigBit(world);
    int64_t poolSize = 0;
    for (WorldObject* o : world.objects) {
        if (!ObjectInConfig(*o, bit) || !o->HasLitData() || o->GetType() != ObjectTypeSolid)
            continue;
        SolidObject& solid = *static_cast<SolidObject*>(o);
        if (!BuildSolidCollision(solid))
            continue;
        CellRange range;
        if (!BodyRange(world, solid, range)) {
            FreeSolidCollision(solid);
            continue;
        }
        world.celledSolids.push_back(&solid);
        const int64_t d = 2 * int64_t(BodyRadius(solid));
        poolSize += (d / world.cellHeight.raw + 2) * (d / world.cellWidth.raw + 2);
    }
    if (world.celledSolids.empty())
        return;
    world.cellLinks.assign(size_t(poolSize), CellLink{});
    world.cellRover = 0;
    for (SolidObject* solid : world.celledSolids)
        AddObjectToCells(world, *solid);
}

void RebuildObjectCells(World& world)
{
    ClearObjectCells(world);
    if (PhysicsStep.currentSet)
        ClearObjectSet(*PhysicsStep.currentSet);
    BuildObjectCells(world);
    if (PhysicsStep.currentSet)
        FillObjectSetWithCars(*PhysicsStep.currentSet);
}
