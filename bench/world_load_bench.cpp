// Speed of the loaded world: the whole load of each of the seven sites the
// data builder writes (first configuration, every stage, no meshes), and
// WorldPointQuery calls per second straight down at random points of a
// loaded site's contact grid.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../tests/support/built_game.h"
#include "world/services.h"

namespace {

// A data folder the builder makes once for the run; the benchmarks run in it.
struct SiteFolder {
    BuiltGame game{std::filesystem::temp_directory_path().string() + "/world_load_bench_"};

    SiteFolder()
    {
        ResetCoreTables();
        ResetVehicleTables();
        ResetWorldTables();
        EditProgramMode([](ProgramModeRecord& mode) { mode.graphicsOn = 0; });
        if (!game.path.empty())
            std::filesystem::current_path(game.path);
    }
};

SiteFolder& Folder()
{
    static SiteFolder folder;
    return folder;
}

// Loads the site's first configuration through every stage; false when it
// is refused.
bool LoadWholeSite(World& world, int site)
{
    if (!OpenWorld(world, SiteTable[site].name, SiteTable[site].code, 0, 0, 1, 0, 0))
        return false;
    while (!LoadWorldStep(world)) {
    }
    return world.ready != 0;
}

void BM_LoadSite(benchmark::State& state)
{
    if (Folder().game.path.empty()) {
        state.SkipWithError("the data builder failed");
        return;
    }
    const int site = static_cast<int>(state.range(0));
    state.SetLabel(SiteTable[site].name);
    SetWorldLoadBudget(1 << 30);  // one call per stage: the load's own cost
    for (auto _ : state) {
        auto world = std::make_unique<World>();
        if (!LoadWholeSite(*world, site)) {
            state.SkipWithError("the site was refused");
            return;
        }
        benchmark::DoNotOptimize(world->objects.size());
    }
}
BENCHMARK(BM_LoadSite)->DenseRange(0, SiteCount - 1)->Unit(benchmark::kMillisecond);

void BM_WorldPointQuery(benchmark::State& state)
{
    if (Folder().game.path.empty()) {
        state.SkipWithError("the data builder failed");
        return;
    }
    const int site = static_cast<int>(state.range(0));
    state.SetLabel(SiteTable[site].name);
    auto world = std::make_unique<World>();
    if (!LoadWholeSite(*world, site)) {
        state.SkipWithError("the site was refused");
        return;
    }
    // Probes of a wheel's reach (2 m down from 1 m above the ground's
    // range) at random points of the grid, made before the timing.
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> px(world->gridMinX.raw, world->gridMaxX.raw - 1);
    std::uniform_int_distribution<int32_t> py(world->gridMinY.raw, world->gridMaxY.raw - 1);
    std::vector<FixedVector> points(4096);
    for (FixedVector& p : points)
        p = MakeFixedVector(px(random), py(random), FixedFromMetres(1).raw);
    const FixedVector down = MakeFixedVector(0, 0, FixedFromMetres(-200).raw);
    size_t next = 0, hits = 0;
    for (auto _ : state) {
        ContactQueryRecord hit;
        const FixedVector from = points[next++ & 4095];
        hit.queryPosition = from;
        hit.queryDirection = down;
        hits += WorldPointQuery(*world, from, down, hit) != 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["hit share"] = benchmark::Counter(double(hits) / double(state.iterations()));
}
BENCHMARK(BM_WorldPointQuery)->Arg(0)->Arg(4);

} // namespace
