// Writes the seed of the world reader's fuzzing into a folder: the smallest
// stadium circuit as the first site's world file, data\wld\<site>.wld, with
// every kind of record the loader reads (paths, textures, shared models,
// light schemes, surfaces, pit lane, start grid, timing and scenery) at a
// small fraction of a real site's size, so that each fuzzing run is cheap.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/files.h"
#include "site_content.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: world_seed <folder>\n");
        return 2;
    }
    std::error_code error;
    if (!platform::MakeFolder(argv[1]) || (std::filesystem::current_path(argv[1], error), error)) {
        std::fprintf(stderr, "world_seed : Could not create folder : %s\n", argv[1]);
        return 1;
    }
    ResetCoreTables();
    ResetWorldTables();
    // Straights just long enough for the pit boxes, the grid and the timing
    // line, joined by tight half circles.
    SiteDesign design = StadiumDesign(60, 25);
    std::string reason;
    auto world = std::make_unique<World>();
    if (!design.roads.Prepare(reason) || !MakeSiteWorld(design, 0, *world, reason)) {
        std::fprintf(stderr, "world_seed : %s\n", reason.c_str());
        return 1;
    }
    if (!platform::MakeFolder("data") || !platform::MakeFolder("data\\wld") ||
        !SaveWorldFiles(*world, SiteTable[0].name, 0)) {
        std::fprintf(stderr, "world_seed : Could not create file : data\\wld\\%s.wld\n", SiteTable[0].name);
        return 1;
    }
    return 0;
}
