// What the world gives the cars: body models read from the car data and
// the meshes drawn from them, the current path, speed limits, the scenery
// a car touches and the driver figures.
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

bool RoadHalfwayFrom(int node, RoadPlace& place)
{
    const Path* path = GetCurrentPath();
    if (!path || path->nodes.empty() || node < 0 || node >= path->nodeCount)
        return false;
    PathNode middle;
    InterpolatePathNode(middle, path->nodes[node], path->nodes[NextPathNode(*path, node)], 0.5f);
    place.centre = middle.centre;
    place.direction = middle.direction;
    place.leftEdge = middle.leftEdge;
    place.rightEdge = middle.rightEdge;
    place.leftLimit = middle.leftLimit;
    place.rightLimit = middle.rightLimit;
    return true;
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
    path.refreshFollower = RefreshFollowerAtPoint;
    path.canCarTouchObject = CanCarTouchObject;
    SetCarPathHooks(path);

    CarFigureHooks figures = GetCarFigureHooks();
    figures.figuresLoaded = [] { return Humans.loaded != 0; };
    figures.figureCount = [] { return static_cast<int>(Humans.variants.size()); };
    figures.figureSkeleton = FigureSkeleton;
    figures.loadAnimation = LoadFigureAnimation;
    figures.copyAnimation = CopyFigureAnimation;
    figures.freeAnimation = FreeFigureAnimation;
    SetCarFigureHooks(figures);
}
