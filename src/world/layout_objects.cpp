// Layout objects and circles: adding a record to the world (a placed
// object, a route marker or a circle), the edits every participant applies
// in the same order (add, delete, clear), and the questions asked of them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "world/local.h"

namespace {

// The messages of a participant's own refused placement, in light blue.
constexpr int RefusedPlacementColour = 12;

// Whether a plain object may be placed: its kind is a shared model with
// the layout flag.
const SharedModel* PlaceableModel(const World& world, uint8_t kind)
{
    if (kind >= world.sharedModels.size())
        return nullptr;
    const SharedModel& model = world.sharedModels[kind];
    return model.layoutFlag ? &model : nullptr;
}

bool IsRouteChecker(const LayoutCircle& circle) { return !(circle.record.flags & LayoutFlagMarker); }

int CircleRadiusMetres(const LayoutObjectRecord& record) { return record.flags >> LayoutSizeShift & LayoutSizeMask; }

// Whether the circle would lie closer to an existing one than the sum of
// their radii (distance in 1/16 m, rounded).
bool CircleOverlaps(const LayoutObjectRecord& record)
{
    for (int i = 0; i < LayoutState.circleCount; i++) {
        const LayoutObjectRecord& other = LayoutState.circles[size_t(i)].record;
        const double dx = double(record.x) - other.x, dy = double(record.y) - other.y;
        const int distance = RoundToInt32(std::sqrt(dx * dx + dy * dy));
        if (distance < (CircleRadiusMetres(record) + CircleRadiusMetres(other)) * 16)
            return true;
    }
    return false;
}

int AddLayoutCircle(const World& world, const LayoutObjectRecord& record)
{
    if (LayoutState.circleCount >= MaxLayoutCircles || CircleOverlaps(record))
        return 0;
    LayoutCircle circle;
    circle.record = record;
    float height = 0, heading = 0, pitch = 0, roll = 0;
    UnpackLayoutObject(world, record, circle.position, height, heading, pitch, roll);
    if (!IsRouteChecker(circle)) {
        RotationZ(circle.rotation, HeadingToAngle16(heading));
    } else {
        // A new route checker takes its index: the ones at or above it move up.
        bool used = false;
        for (int i = 0; i < LayoutState.circleCount; i++) {
            const LayoutCircle& other = LayoutState.circles[size_t(i)];
            used = used || (IsRouteChecker(other) && other.record.heading == record.heading);
        }
        for (int i = 0; used && i < LayoutState.circleCount; i++) {
            LayoutCircle& other = MutableLayoutState.circles[size_t(i)];
            if (IsRouteChecker(other) && other.record.heading >= record.heading)
                other.record.heading++;
        }
    }
    MutableLayoutState.circles[size_t(MutableLayoutState.circleCount++)] = circle;
    return 1;
}

void ReportRefusedPlacement(const char* reason)
{
    char text[64];
    std::snprintf(text, sizeof text, "Can't add : %s", reason);
    WorldPrintMessage(text, RefusedPlacementColour);
}

// Removes every circle equal to the record (z aside); each route checker
// removed lowers the ones above it.
void DeleteLayoutCircles(const LayoutObjectRecord& record)
{
    LayoutStateRecord& state = MutableLayoutState;
    int removedIndexes[MaxLayoutCircles];
    int removedCount = 0, kept = 0;
    for (int i = 0; i < state.circleCount; i++) {
        const LayoutCircle circle = state.circles[size_t(i)];
        const LayoutObjectRecord& r = circle.record;
        const bool match = r.x == record.x && r.y == record.y && r.flags == record.flags && r.kind == record.kind &&
                           r.heading == record.heading;
        if (!match)
            state.circles[size_t(kept++)] = circle;
        else if (IsRouteChecker(circle))
            removedIndexes[removedCount++] = r.heading;
    }
    std::fill(state.circles.begin() + kept, state.circles.begin() + state.circleCount, LayoutCircle{});
    state.circleCount = kept;
    // Highest first, so that each lowering sees the indexes as they were.
    std::sort(removedIndexes, removedIndexes + removedCount, [](int a, int b) { return a > b; });
    for (int n = 0; n < removedCount; n++)
        for (int i = 0; i < state.circleCount; i++) {
            LayoutCircle& other = state.circles[size_t(i)];
            if (IsRouteChecker(other) && other.record.heading > removedIndexes[n])
                other.record.heading--;
        }
}

// Object cells are built only for a loaded world.
void RebuildCellsAfterChange(World& world)
{
    if (world.ready)
        BuildObjectCells(world);
}

void DeleteLayoutObject(World& world, const LayoutObjectRecord& record)
{
    for (size_t i = size_t(FirstLayoutObject(world)); i < world.objects.size(); i++) {
        LayoutObjectRecord packed;
        PackLayoutObject(packed, static_cast<const SolidObject&>(*world.objects[i]));
        if (packed.x != record.x || packed.y != record.y || packed.flags != record.flags ||
            packed.kind != record.kind || packed.heading != record.heading)
            continue;
        const bool marker = GetRouteMarkerIndex(*world.objects[i]) != RouteIndexNone;
        if (world.ready)
            ClearObjectCells(world);
        delete world.objects[i];
        world.objects.erase(world.objects.begin() + std::ptrdiff_t(i));
        world.layoutObjectCount--;
        RebuildCellsAfterChange(world);
        // A deleted marker leaves the route without its point.
        if (marker)
            UpdateLayoutRoute(world, 0);
        return;
    }
}

} // namespace

int FirstLayoutObject(const World& world) { return int(world.objects.size()) - world.layoutObjectCount; }

int AddLayoutObject(World& world, const LayoutObjectRecord& record, int local, int updateRoute, int& kindFlag,
                    int& startAdded)
{
    if (record.kind < world.sharedModels.size()) {
        if (world.layoutObjectCount >= MaxLayoutObjects || world.objects.size() >= size_t(MaxWorldObjects))
            return 0;
        const bool marker = record.flags & LayoutFlagMarker;
        const SharedModel* model = marker ? nullptr : PlaceableModel(world, record.kind);
        if (!marker && !model)
            return 0;
        FixedVector position;
        float height = 0, heading = 0, pitch = 0, roll = 0;
        const int onGround = UnpackLayoutObject(world, record, position, height, heading, pitch, roll);
        auto* object = new SolidObject;
        AttachObjectToWorld(*object, world);
        object->x = position.x;
        object->y = position.y;
        object->height = height;
        object->heading = heading;
        object->pitch = pitch;
        object->roll = roll;
        if (marker) {
            object->variantA = record.flags & LayoutMarkerTypeMask;
            object->variantB = record.flags >> LayoutSizeShift & LayoutSizeMask;
            object->model = -1;
            object->solidFlags |= object->variantB == 0 ? SolidFlagLayoutStart : SolidFlagLayoutGate;
            if (RouteMarkerExists(world, GetRouteMarkerIndex(*object))) {
                delete object;
                return 0;
            }
            if (object->variantB == 0)
                startAdded = 1;
        } else {
            object->model = record.kind;
            if (model->collisionKind)
                kindFlag = 1;
        }
        object->Init();
        if (!marker && local && !onGround)
            ReportRefusedPlacement("invalid position");
        world.objects.push_back(object);
        world.layoutObjectCount++;
        if (marker && updateRoute)
            UpdateLayoutRoute(world, local);
        return 1;
    }
    if (record.kind == LayoutKindCircle)
        return AddLayoutCircle(world, record);
    return 0;
}

void ApplyLayoutEdit(World& world, int action, const LayoutObjectRecord& record, int local)
{
    switch (action) {
    case LayoutEditAdd: {
        int kindFlag = 0, startAdded = 0;
        if (AddLayoutObject(world, record, local, 1, kindFlag, startAdded) && kindFlag && world.ready)
            RebuildObjectCells(world);
        break;
    }
    case LayoutEditDelete:
        if (record.kind == LayoutKindCircle)
            DeleteLayoutCircles(record);
        else
            DeleteLayoutObject(world, record);
        break;
    case LayoutEditClear:
        RemoveLayoutObjects(world);
        UpdateLayoutRoute(world, 0);
        RebuildCellsAfterChange(world);
        break;
    default: break;
    }
}

void RemoveLayoutObjects(World& world)
{
    if (world.ready)
        ClearObjectCells(world);
    const size_t first = size_t(FirstLayoutObject(world));
    for (size_t i = first; i < world.objects.size(); i++)
        delete world.objects[i];
    world.objects.resize(first);
    world.layoutObjectCount = 0;
    std::fill(MutableLayoutState.circles.begin(), MutableLayoutState.circles.end(), LayoutCircle{});
    MutableLayoutState.circleCount = 0;
}

void ClearLayoutObjects()
{
    if (MutableLoadedWorld.world)
        RemoveLayoutObjects(*MutableLoadedWorld.world);
}

int RouteMarkerExists(const World& world, int index)
{
    for (size_t i = size_t(FirstLayoutObject(world)); i < world.objects.size(); i++)
        if (GetRouteMarkerIndex(*world.objects[i]) == index)
            return 1;
    return 0;
}

int CountRouteCheckers()
{
    int count = 0;
    for (int i = 0; i < LayoutState.circleCount; i++)
        count += IsRouteChecker(LayoutState.circles[size_t(i)]) ? 1 : 0;
    return count;
}

int GetLayoutObjectCount() { return CurrentWorld ? CurrentWorld->layoutObjectCount : 0; }
