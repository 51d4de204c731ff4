// The seven track sites: each site's world file written through the
// world's own writer, then loaded back through the world's own loader in
// every configuration and direction, and checked as a race would use it.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "builder.h"
#include "site_content.h"

namespace {

// The messages the loader gives while the builder checks a world.
std::vector<std::string> LoaderMessages;

void KeepMessage(const char* text, int) { LoaderMessages.emplace_back(text ? text : ""); }
void KeepError(const char* text) { LoaderMessages.emplace_back(text ? text : ""); }

// Whether the ground straight below (x, y) is found, and of what kind.
int GroundKind(const World& world, Fixed x, Fixed y)
{
    ContactQueryRecord hit;
    const FixedVector bottom{x, y, FixedFromMetres(-400)};
    hit.queryPosition = bottom;
    hit.queryDirection = MakeFixedVector(0, 0, FixedFromMetres(-800).raw);
    if (!WorldPointQuery(world, bottom, hit.queryDirection, hit) || !hit.hitSurface)
        return -1;
    return hit.hitSurface->surfaceKind;
}

bool IsRoad(int kind) { return kind >= 0 && kind < SurfaceKindCount && SurfaceKindTable[kind].road; }

// Loads the configuration through every stage and checks what a race
// needs of it; prints what failed.
bool CheckConfiguration(int site, const RoadLoop& loop, int configuration, int reversed)
{
    char subject[64];
    std::snprintf(subject, sizeof subject, "%s %d%s", SiteTable[site].name, configuration, reversed ? "R" : "");
    auto world = std::make_unique<World>();
    if (!LoadSiteConfiguration(*world, site, configuration, reversed))
        return false;
    const Path* path = world->currentPath;
    if (!path || path->nodeCount < 3)
        return BuilderFail("%s : no path", subject);
    for (const PathNode& node : path->nodes)
        if (GroundKind(*world, node.centre.x, node.centre.y) < 0)
            return BuilderFail("%s : a path node finds no ground", subject);
    if (!loop.loose && path->roadFraction < 0.7f)
        return BuilderFail("%s : the path is mostly off the road (%.2f)", subject, double(path->roadFraction));
    if (loop.racing)
        for (int t = 0; t < TimingPointSlots; t++)
            if (path->timingNodes[t] < 0)
                return BuilderFail("%s : timing point %d is not found", subject, t + 1);
    const int places = GetStartPositionCount(*world);
    if (places < MaxStartPlaces)
        return BuilderFail("%s : the start grid has %d places", subject, places);
    for (int slot = 0; slot < places; slot++) {
        FixedVector point;
        float heading;
        GetStartPosition(*world, point, heading, slot);
        if (!IsRoad(GroundKind(*world, point.x, point.y)))
            return BuilderFail("%s : start place %d is not on the road (%.1f, %.1f)", subject, slot + 1,
                               point.x.raw / 65536.0, point.y.raw / 65536.0);
    }
    return true;
}

int BuildSite(int site)
{
    const char* name = SiteTable[site].name;
    SiteDesign design;
    std::string error;
    auto world = std::make_unique<World>();
    if (!DesignSite(site, design, error) || !MakeSiteWorld(design, site, *world, error))
        return BuilderFail("Site %s : %s", name, error.c_str());
    if (!SaveWorldFiles(*world, name, 0))
        return BuilderFail("Could not create file : data\\wld\\%s.wld", name);
    world.reset();
    for (size_t n = 0; n < design.roads.loops.size(); n++) {
        const RoadLoop& loop = design.roads.loops[n];
        for (int reversed = 0; reversed <= (loop.reversible ? 1 : 0); reversed++)
            if (!CheckConfiguration(site, loop, int(n) + 1, reversed))
                return 0;
    }
    return 1;
}

} // namespace

int LoadSiteConfiguration(World& world, int site, int configuration, int reversed)
{
    const char* name = SiteTable[site].name;
    char subject[64];
    std::snprintf(subject, sizeof subject, "%s %d%s", name, configuration, reversed ? "R" : "");
    LoaderMessages.clear();
    WorldMessageHooks hooks{KeepMessage, KeepError};
    SetWorldMessageHooks(hooks);
    if (!OpenWorld(world, name, SiteTable[site].code, 0, 0, configuration, reversed, 0))
        return BuilderFail("%s : the world does not open", subject);
    int calls = 0;
    while (!LoadWorldStep(world))
        if (++calls > 100000)
            return BuilderFail("%s : the loader does not finish", subject);
    if (!world.ready || world.configuration != configuration || world.reversed != reversed)
        return BuilderFail("%s : the world did not load", subject);
    for (const std::string& message : LoaderMessages)
        return BuilderFail("%s : the loader says : %s", subject, message.c_str());
    return 1;
}

int BuildSites()
{
    int built = 1;
    for (int site = 0; site < SiteCount && built; site++)
        built = BuildSite(site);
    ResetWorldTables();
    return built;
}
