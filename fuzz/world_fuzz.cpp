// Fuzz target for the world reader: any bytes become a site's world file,
// which is opened and loaded through every stage; a world that loads must
// answer point queries over its contact grid, select each configuration and
// free cleanly.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "world/services.h"

namespace {

// The loader reads "data/wld/<site>.wld" below the working folder: a folder
// in memory of its own for this process.
bool EnterFuzzFolder()
{
    const std::filesystem::path folder =
        std::filesystem::path("/dev/shm") / ("qv_world_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "data" / "wld");
    std::filesystem::current_path(folder);
    ResetCoreTables();
    ResetVehicleTables();
    ResetWorldTables();
    return true;
}

// Point queries straight down over a 4 x 4 lattice of the contact grid.
void QueryGrid(const World& world)
{
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) {
            const int64_t x = world.gridMinX.raw + (int64_t(world.gridMaxX.raw) - world.gridMinX.raw) * (2 * i + 1) / 8;
            const int64_t y = world.gridMinY.raw + (int64_t(world.gridMaxY.raw) - world.gridMinY.raw) * (2 * j + 1) / 8;
            ContactQueryRecord hit;
            const FixedVector from = MakeFixedVector(int32_t(x), int32_t(y), FixedFromMetres(-20).raw);
            hit.queryPosition = from;
            hit.queryDirection = MakeFixedVector(0, 0, FixedFromMetres(-80).raw);
            WorldPointQuery(world, from, hit.queryDirection, hit);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = EnterFuzzFolder();
    (void)ready;
    const SiteRecord& site = SiteTable[0];
    {
        std::ofstream file(std::string("data/wld/") + site.name + ".wld", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    World world;
    if (!OpenWorld(world, site.name, site.code, 0, 0, 1, 0, 0))
        return 0;
    // Every stage makes progress, so a bounded number of calls ends any load.
    for (int calls = 0; calls < 100000 && !LoadWorldStep(world); calls++) {
    }
    if (!world.ready)
        return 0;
    QueryGrid(world);
    for (int configuration = 1; configuration <= static_cast<int>(world.configs.size()); configuration++) {
        SelectConfig(world, configuration, 0);
        QueryGrid(world);
    }
    return 0;
}
