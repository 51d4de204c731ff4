// Speed of the world's building blocks: the drawable nodes (every level of
// detail) and the physics hull built from each of the 13 body models and
// the helmet the data builder writes, reported per model; and path
// followers on a closed loop of 1000 nodes, a full search with its light
// tables rebuilt and a step from span to span.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../tests/support/built_game.h"
#include "graphics/services.h"
#include "world/services.h"

namespace {

// The models of a data folder the builder makes once for the run: the body
// models in table order, then the helmet; their textures resolved once, so
// that a build is the welding, normals, parts and hull alone.
struct BuiltModels {
    BuiltGame game{std::filesystem::temp_directory_path().string() + "/world_build_bench_"};
    std::vector<std::unique_ptr<ObjectModel>> models;
    std::vector<std::string> names;

    BuiltModels()
    {
        ResetCoreTables();
        ResetWorldTables();
        ResetGraphicsTables();
        InstallGraphicsWorldHooks();
        if (game.path.empty())
            return;
        std::vector<std::string> files;
        for (int i = 0; i < BodyCodeCount; i++) {
            files.push_back(game.path + "/data/veh/" + BodyCodeTable[i] + ".vob");
            names.push_back(BodyCodeTable[i]);
        }
        files.push_back(game.path + "/data/hmn/helmet.zke");
        names.push_back("helmet");
        for (const std::string& file : files) {
            auto model = std::make_unique<ObjectModel>();
            if (LoadObjectModel(*model, nullptr, file.c_str(), 1) != 1) {
                models.clear();
                return;
            }
            LoadModelTextures(*model, 0, 1, 0, AllModelParts);
            models.push_back(std::move(model));
        }
    }
    ~BuiltModels()
    {
        for (auto& model : models)
            FreeObjectModel(*model);
        ResetWorldTables();
        ResetGraphicsTables();
    }
};

BuiltModels& Models()
{
    static BuiltModels built;
    return built;
}

// The model of the benchmark's argument, or null (and the run skipped)
// when the data builder failed.
ObjectModel* ModelOf(benchmark::State& state)
{
    BuiltModels& built = Models();
    const size_t index = static_cast<size_t>(state.range(0));
    if (index >= built.models.size()) {
        state.SkipWithError("the data builder or a model failed");
        return nullptr;
    }
    state.SetLabel(built.names[index]);
    return built.models[index].get();
}

// Every level of detail of the model built into a drawable node (with the
// car's child nodes for its parts), then freed.
void ModelNodes(benchmark::State& state)
{
    ObjectModel* model = ModelOf(state);
    if (!model)
        return;
    int vertices = 0, faces = 0;
    for (auto _ : state) {
        vertices = faces = 0;
        for (int level = 0; level < model->levelCount; level++) {
            MeshNode node;
            node.ResetNode();
            BuildModelMeshNode(*model, node, level, 2, 0, 65536, 65536, AllModelParts);
            vertices += node.GetVertexCount();
            faces += node.GetFaceCount();
            DestroySceneNodeTree(node);
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["vertices"] = vertices;
    state.counters["faces"] = faces;
}
BENCHMARK(ModelNodes)->DenseRange(0, BodyCodeCount)->Unit(benchmark::kMicrosecond);

// The lowest level of detail made a rigid body's contact points and faces.
void ModelHull(benchmark::State& state)
{
    ObjectModel* model = ModelOf(state);
    if (!model)
        return;
    int points = 0, faces = 0;
    for (auto _ : state) {
        PlainBody body;
        if (std::string(CheckPhysicsLod(*model, body, 65536, AllModelParts)) != ": OK") {
            state.SkipWithError("the model has no physics hull");
            FreeBody(body);
            return;
        }
        points = body.pointCount;
        faces = body.faceCount;
        FreeBody(body);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["points"] = points;
    state.counters["faces"] = faces;
}
BENCHMARK(ModelHull)->DenseRange(0, BodyCodeCount)->Unit(benchmark::kMicrosecond);

// A closed racing loop of 1000 nodes round a circle of 1 km radius, road
// edges ±5 m, each node with a change list of four objects spread over the
// three tables, and base lists; one light scheme, 2000 world objects.
constexpr int LoopNodes = 1000;
constexpr int LoopObjects = 2000;

struct Loop {
    Path path;
    PathWorld world;

    Loop()
    {
        InitPath(path);
        path.flags = PathClosedLoop | PathRacing;
        path.nodes.resize(LoopNodes);
        path.nodeCount = LoopNodes;
        BuildTrigTables();
        for (int i = 0; i < LoopNodes; i++) {
            PathNode& node = path.nodes[size_t(i)];
            const int32_t angle = i * 65536 / LoopNodes;
            const double c = CosineOf(angle).raw / 65536.0, s = SineOf(angle).raw / 65536.0;
            node.centre = MakeFixedVector(FixedFromMetres(1000 * c).raw, FixedFromMetres(1000 * s).raw, 0);
            node.direction = {static_cast<float>(-s), static_cast<float>(c), 0};
            node.leftEdge = -5;
            node.rightEdge = 5;
            node.leftLimit = -8;
            node.rightLimit = 8;
            for (int k = 0; k < 4; k++)
                node.states[k % LightStateTableCount].entries.push_back(
                    {static_cast<int16_t>((i * 7 + k * 131) % LoopObjects), static_cast<uint8_t>(1 << (k + i % 4)), 0});
        }
        for (int k = 0; k < LightStateTableCount; k++)
            for (int o = 0; o < 50; o++)
                path.baseLists[k].entries.push_back({static_cast<int16_t>(o * 37 % LoopObjects), 0x0F, 0});
        path.lightMaps.resize(1);
        world.loaded = 1;
        world.currentPath = &path;
        world.configuration = 1;
        world.lightSchemeCount = 1;
        world.firstLayoutObject = LoopObjects;
    }
    ~Loop() { FreePath(path); }

    // A point halfway along span i, 1 m right of the centre line.
    FixedVector PointInSpan(int i)
    {
        PathNode middle;
        InterpolatePathNode(middle, path.nodes[size_t(i)], path.nodes[size_t((i + 1) % LoopNodes)], 0.5f);
        FixedVector point;
        GetNodeLateralPoint(middle, point, 0, 1.0f);
        DestroyPathNode(middle);
        return point;
    }
};

// A search from scratch with the tables rebuilt, as when a car is placed:
// spans drawn at random, so that the search runs half the loop on average.
void FollowerSearch(benchmark::State& state)
{
    Loop loop;
    std::vector<FixedVector> points;
    std::mt19937 random(7);
    for (int i = 0; i < 64; i++)
        points.push_back(loop.PointInSpan(static_cast<int>(random() % LoopNodes)));
    auto follower = std::make_unique<PathFollower>();
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindFollowerPosition(*follower, points[next], 1, loop.world));
        next = (next + 1) % points.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FollowerSearch)->Unit(benchmark::kMicrosecond);

// A car driving on: each update moves the follower into the next span and
// applies that node's changes to its tables.
void FollowerStep(benchmark::State& state)
{
    Loop loop;
    auto follower = std::make_unique<PathFollower>();
    if (FindFollowerPosition(*follower, loop.PointInSpan(0), 1, loop.world) != 0) {
        state.SkipWithError("the follower did not find the first span");
        return;
    }
    for (auto _ : state) {
        const int next = NextFollowerNode(*follower);
        ApplyNodeLightChanges(*follower, next);
        follower->position = next;
    }
    benchmark::DoNotOptimize(follower->lightStates[0][0]);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FollowerStep);

} // namespace
