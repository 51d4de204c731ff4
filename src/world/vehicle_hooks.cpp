// What the world gives the cars: body models read from the car data and
// the meshes drawn from them, the current path, speed limits, the scenery
// a car touches and the driver figures.
#include <algorithm>
#include <cstring>

#include "world/services.h"

namespace {

ObjectModel* ReadCarBodyModel(DataFile& reader, int version, const char* carCode)
{
    SetModelCarCode(carCode);
    auto* model = new ObjectModel;
    InitObjectModel(*model);
    if (ReadObjectModel(*model, reader, version, 1, 1))
        return model;
    FreeObjectModel(*model);
    delete model;
    return nullptr;
}

void FreeCarBodyModel(ObjectModel* model)
{
    if (!model)
        return;
    FreeObjectModel(*model);
    delete model;
}

CarModelTables* ReadCarTables(DataFile& reader, int version)
{
    auto* tables = new CarModelTables;
    if (ReadCarModelTables(*tables, reader, version))
        return tables;
    delete tables;
    return nullptr;
}

// The car scale: the model's 16.16 points are the car's metres.
constexpr int32_t CarModelScale = 65536;

int BuildCarBodyShell(ObjectModel& model, RigidBody& body, uint32_t partMask)
{
    const char* result = CheckPhysicsLod(model, body, CarModelScale, partMask);
    if (std::strcmp(result, ": OK") == 0)
        return 1;
    LogPrintf("%.16s%s", model.name, result);
    return 0;
}

// Kind 10 parts sit turned at 1280 of 65536 per turn, and two of their
// stored places move to where these families' bodies need them.
void PlaceFamilyParts(ObjectModel& model)
{
    for (ObjectModel& part : model.subModels) {
        if (part.kind != 10)
            continue;
        part.pitch = part.heading = 1280;
        if (part.offset.y.raw == 8700 && part.offset.z.raw == 60749)
            part.offset = MakeFixedVector(part.offset.x.raw, 11780, 60740);
        else if (part.offset.y.raw == 16641 && part.offset.z.raw == 70125)
            part.offset = MakeFixedVector(part.offset.x.raw, 25000, 70000);
    }
}

// The current path when it has the node; null otherwise.
const Path* PathWithNode(int node)
{
    const Path* path = GetCurrentPath();
    return path && node >= 0 && node < path->nodeCount && size_t(node) < path->nodes.size() ? path : nullptr;
}

// The road a node gives a car: its place, direction, edges and limits.
void CopyRoad(const PathNode& node, RoadPlace& place)
{
    place.centre = node.centre;
    place.direction = node.direction;
    place.leftEdge = node.leftEdge;
    place.rightEdge = node.rightEdge;
    place.leftLimit = node.leftLimit;
    place.rightLimit = node.rightLimit;
}

// The road a fraction f of the way from a node to the next, and the
// path's speed there (m/s); 0 and nothing filled for a node the path does
// not have.
float RoadBetweenNodes(int node, float f, RoadPlace& place)
{
    const Path* path = PathWithNode(node);
    if (!path)
        return 0.0f;
    PathNode between;
    const float speed =
        InterpolatePathNode(between, path->nodes[size_t(node)], path->nodes[size_t(NextPathNode(*path, node))], f);
    CopyRoad(between, place);
    return speed;
}

bool RoadHalfwayFrom(int node, RoadPlace& place)
{
    if (!PathWithNode(node))
        return false;
    RoadBetweenNodes(node, 0.5f, place);
    return true;
}

bool ReadNodeRubber(int node, NodeRubber& rubber)
{
    const Path* path = PathWithNode(node);
    if (!path)
        return false;
    const PathNode& from = path->nodes[size_t(node)];
    for (int k = 0; k < RubberPointCount; k++) {
        rubber.offset[k] = from.rubber[k].offset;
        rubber.intensity[k] = from.rubber[k].intensity;
    }
    return true;
}

// The node's rubber points take the band and are placed on the ground.
void WriteNodeRubber(int node, const NodeRubber& rubber)
{
    if (!PathWithNode(node))
        return;
    PathNode& to = GetCurrentPath()->nodes[size_t(node)];
    for (int k = 0; k < RubberPointCount; k++) {
        to.rubber[k].offset = rubber.offset[k];
        to.rubber[k].intensity = rubber.intensity[k];
    }
    FindCheckpointUnderNode(to, nullptr);
}

int CurrentPathNodeCount()
{
    const Path* path = GetCurrentPath();
    return path && !path->nodes.empty() && path->nodeCount > 0 ? path->nodeCount : 0;
}

int IsFlagPath()
{
    const Path* path = GetCurrentPath();
    constexpr int32_t FlagPath = PathClosedLoop | PathRacing;
    return path && (path->flags & FlagPath) == FlagPath ? 1 : 0;
}

int FigureSkeleton(int figure)
{
    if (figure < 0 || figure >= static_cast<int>(Humans.variants.size()))
        return -1;
    const int set = Humans.variants[figure].skeletonSet;
    return set >= 0 && set < static_cast<int>(Humans.built.size()) ? set : -1;
}

AnimHolder* LoadFigureAnimation(int skeleton, const char* path)
{
    const BuiltSkeleton& built = Humans.built[skeleton];
    auto* animation = new AnimHolder;
    InitAnimHolder(*animation);
    if (!path || !LoadAnimation(*animation, nullptr, path, built.BodyCount()))
        MakeAnimHolder(*animation, built);
    return animation;
}

AnimHolder* CopyFigureAnimation(const AnimHolder& from)
{
    auto* animation = new AnimHolder;
    InitAnimHolder(*animation);
    *animation = from;
    return animation;
}

void FreeFigureAnimation(AnimHolder* animation)
{
    FreeAnimHolder(*animation);
    delete animation;
}

int WorldStartLightState() { return CurrentWorld ? CurrentWorld->startLightState : 4; }
int WorldTimingPointCount() { return CurrentWorld ? GetCheckpointCount(*CurrentWorld) : 0; }
int WorldHasSpeedZones() { return CurrentWorld && CurrentWorld->speedZoneCount > 0 ? 1 : 0; }

bool PathNodeRoad(int node, RoadPlace& place)
{
    const Path* path = PathWithNode(node);
    if (!path)
        return false;
    CopyRoad(path->nodes[size_t(node)], place);
    return true;
}

// The timing point that begins at the node: the finish line is 1, the
// checkpoints follow.
int TimingPointAtNode(int node)
{
    const Path* path = GetCurrentPath();
    if (!path || node < 0)
        return 0;
    for (int i = 0; i < TimingPointSlots; i++)
        if (path->timingNodes[i] == node)
            return i + 1;
    return 0;
}

void MoveFollower(PathFollower& follower, int node)
{
    follower.position = node;
    ApplyNodeLightChanges(follower, node);
}

// The speed-limit zone under (x, y): its index in the world's zones, with
// its limit byte; -1 when none.
int SpeedZoneAt(Fixed x, Fixed y, int& limitByte)
{
    if (!CurrentWorld)
        return -1;
    const SpeedZoneObject* zone = FindSpeedZoneAt(*CurrentWorld, x, y);
    for (int i = 0; zone && i < CurrentWorld->speedZoneCount; i++) {
        if (CurrentWorld->speedZones[i] == zone) {
            limitByte = zone->speedLimit;
            return i;
        }
    }
    return -1;
}

// The positions of the world's pit boxes, at most capacity.
int PitBoxPositions(FixedVector* boxes, int capacity)
{
    if (!CurrentWorld)
        return 0;
    const int count = std::min(CurrentWorld->pitBoxCount, capacity);
    for (int i = 0; i < count; i++) {
        float heading = 0;
        CurrentWorld->pitBoxes[i]->GetPosition(boxes[i], heading);
    }
    return count;
}

bool LayoutRouteCircle(int index, RouteCircle& circle)
{
    if (index < 0 || index >= LayoutState.circleCount)
        return false;
    const LayoutCircle& from = LayoutState.circles[size_t(index)];
    circle.position = from.position;
    circle.radiusMetres = from.record.flags >> LayoutSizeShift & LayoutSizeMask;
    circle.restricted = (from.record.flags & LayoutFlagMarker) ? 1 : 0;
    circle.routeIndex = from.record.heading;
    return true;
}

bool LayoutRouteGate(int index, RouteGatePlace& gate)
{
    if (index < 0 || index >= std::min(LayoutState.route.count, LayoutGateCount))
        return false;
    const LayoutGate& from = LayoutState.route.gates[size_t(index)];
    gate.point = from.point;
    gate.directionX = from.directionX;
    gate.directionY = from.directionY;
    gate.sideX = from.sideX;
    gate.sideY = from.sideY;
    gate.halfWidth = from.halfWidth;
    return true;
}

} // namespace

void InstallWorldVehicleHooks()
{
    CarModelHooks model = GetCarModelHooks();
    model.readBodyModel = ReadCarBodyModel;
    model.freeBodyModel = FreeCarBodyModel;
    model.readModelTables = ReadCarTables;
    model.freeModelTables = [](CarModelTables* tables) { delete tables; };
    model.buildBodyShell = BuildCarBodyShell;
    model.placeFamilyParts = PlaceFamilyParts;
    model.modelPointCount = [](const ObjectModel& m) { return static_cast<int>(m.points.size()); };
    model.modelPoint = [](ObjectModel& m, int i) { return &m.points[size_t(i)].position; };
    model.modelPartCount = [](const ObjectModel& m) { return static_cast<int>(m.subModels.size()); };
    model.modelPartKind = [](const ObjectModel& m, int i) { return static_cast<int>(m.subModels[size_t(i)].kind); };
    model.modelPartOffset = [](ObjectModel& m, int i) { return &m.subModels[size_t(i)].offset; };
    model.saveMeshNodeShape = SaveMeshNodeShape;
    model.deformMeshNode = [](MeshNode& node, const Vec3& p, const Vec3& direction, float strength, float reach) {
        return DeformMeshNode(node, p, direction, strength, reach) != 0;
    };
    model.finishMeshNodeDeform = FinishMeshNodeDeform;
    model.restoreMeshNodeShape = RestoreMeshNodeShape;
    model.freeMeshNodeShape = FreeMeshNodeShape;
    SetCarModelHooks(model);

    CarPathHooks path = GetCarPathHooks();
    path.createFollower = CreatePathFollower;
    path.freeFollower = FreePathFollower;
    path.followerNode = [](const PathFollower& follower) { return static_cast<int>(follower.position); };
    path.carPathNode = GetCarPathNode;
    path.pathNodeCount = CurrentPathNodeCount;
    path.isFlagPath = IsFlagPath;
    path.roadPlace = RoadHalfwayFrom;
    path.lowestSpeedLimit = GetLowestSpeedLimit;
    path.speedZoneAt = SpeedZoneAt;
    path.pitBoxes = PitBoxPositions;
    path.refreshFollower = RefreshFollowerAtPoint;
    path.readNodeRubber = ReadNodeRubber;
    path.writeNodeRubber = WriteNodeRubber;
    path.canCarTouchObject = CanCarTouchObject;
    SetCarPathHooks(path);

    CarTimingHooks timing = GetCarTimingHooks();
    timing.startLightState = WorldStartLightState;
    timing.timingPointCount = WorldTimingPointCount;
    timing.hasSpeedZones = WorldHasSpeedZones;
    timing.hasLayoutStart = HasLayoutStartPosition;
    timing.pathLooped = [] {
        const Path* path = GetCurrentPath();
        return path && (path->flags & PathClosedLoop) ? 1 : 0;
    };
    timing.pathNodeRoad = PathNodeRoad;
    timing.timingPointAtNode = TimingPointAtNode;
    timing.roadBetweenNodes = RoadBetweenNodes;
    timing.moveFollower = MoveFollower;
    timing.routeCircle = LayoutRouteCircle;
    timing.routeGateCount = [] { return LayoutState.route.count; };
    timing.routeGate = LayoutRouteGate;
    SetCarTimingHooks(timing);

    CarFigureHooks figures = GetCarFigureHooks();
    figures.figuresLoaded = [] { return Humans.loaded != 0; };
    figures.figureCount = [] { return static_cast<int>(Humans.variants.size()); };
    figures.figureSkeleton = FigureSkeleton;
    figures.loadAnimation = LoadFigureAnimation;
    figures.copyAnimation = CopyFigureAnimation;
    figures.freeAnimation = FreeFigureAnimation;
    SetCarFigureHooks(figures);
}
