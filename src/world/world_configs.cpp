// Configurations of the loaded world: the path links of the current one,
// driving it reversed, switching to another at run time, its name, and what
// the paths and the race ask of the world.
#include <algorithm>

#include "world/local.h"

namespace {

int QueryLoadedWorld(const FixedVector& position, const FixedVector& direction, ContactQueryRecord& result)
{
    return WorldPointQuery(position, direction, result);
}

int KindOfSurface(const WorldTexture& texture) { return texture.surfaceKind; }

// Reverses n entries of a light-map array in place, then rotates them left
// by shift entries of the given size.
template <typename T>
void ReverseAndRotate(std::vector<T>& values, size_t entrySize, size_t shift)
{
    const size_t n = entrySize ? values.size() / entrySize : 0;
    if (n == 0)
        return;
    for (size_t i = 0; i < n / 2; i++)
        for (size_t k = 0; k < entrySize; k++)
            std::swap(values[i * entrySize + k], values[(n - 1 - i) * entrySize + k]);
    std::rotate(values.begin(), values.begin() + std::ptrdiff_t((shift % n) * entrySize), values.end());
}

} // namespace

PathWorld MakePathWorld(World& world)
{
    PathWorld p;
    p.loaded = 1;
    p.currentPath = world.currentPath;
    p.configuration = world.configuration;
    p.reversed = world.reversed;
    p.timingPointCount = world.timingPointCount;
    p.lightSchemeCount = static_cast<int>(world.schemes.size());
    p.firstLayoutObject = static_cast<int>(world.objects.size()) - world.layoutObjectCount;
    p.siteCode = world.siteCode;
    p.pointQuery = QueryLoadedWorld;
    p.surfaceKind = KindOfSurface;
    return p;
}

PathWorld CurrentPathWorld()
{
    return CurrentWorld ? MakePathWorld(*MutableLoadedWorld.world) : PathWorld{};
}

void SetPathLinks(World& world)
{
    world.currentPath = world.pathWithNodes = world.knowledgePath = world.racingPath = nullptr;
    if (world.configuration < 1 || size_t(world.configuration) > world.configs.size())
        return;
    Path& path = world.configs[size_t(world.configuration - 1)].path;
    world.currentPath = &path;
    if (path.nodeCount <= 0)
        return;
    world.pathWithNodes = &path;
    if (!(path.flags & PathRacing))
        return;
    world.racingPath = &path;
    if (path.flags & PathClosedLoop)
        world.knowledgePath = &path;
}

void ReverseConfiguration(World& world)
{
    if (world.configuration < 1 || size_t(world.configuration) > world.configs.size()) {
        world.reversed = 0;
        return;
    }
    WorldConfig& config = world.configs[size_t(world.configuration - 1)];
    Path& path = config.path;
    if (!(path.flags & PathReversible))
        return;
    ReversePath(path.nodes.data(), path.nodeCount);
    ReversePath(path.secondNodes.data(), path.secondCount);
    for (KeyedByteList& list : path.baseLists)
        ReverseKeyedMasks(list);
    world.reversed = !world.reversed;
    const size_t shift = size_t(std::max(0, config.blockA)) * size_t(std::max(0, config.blockB));
    for (LightMapBlock& block : path.lightMaps) {
        ReverseAndRotate(block.values, 1, shift);
        ReverseAndRotate(block.samples, 8, shift);
    }
}

void SelectConfig(World& world, int configuration, int reversed)
{
    const int count = static_cast<int>(world.configs.size());
    if (count == 0)
        return;
    configuration = std::clamp(configuration, 1, count);
    if (configuration == world.configuration && (reversed != 0) == (world.reversed != 0))
        return;
    if (world.reversed)
        ReverseConfiguration(world);
    world.configuration = configuration;
    if (reversed && (world.configs[size_t(configuration - 1)].path.flags & PathReversible))
        ReverseConfiguration(world);
    CountTimingPoints(world);
    for (WorldObject* o : world.objects)
        if (!o->HasLitData())
            o->Init();
    SetupStartObjects(world);
    BuildMapSquares(world);
    if (world.knowledgePath)
        LoadPathKnowledge();
    if (world.currentPath)
        SetupPathCheckpoints(*world.currentPath, MakePathWorld(world));
}

const char* GetConfigDisplayName(const World& world)
{
    if (world.configuration < 1 || size_t(world.configuration) > world.configs.size())
        return "unknown";
    const int site = FindSite(world.name, nullptr);
    if (site >= 0)
        if (const char* name = GetSiteConfigName(site, world.configuration))
            return name;
    return world.configs[size_t(world.configuration - 1)].name;
}

const char* GetLoadedWorldName()
{
    return CurrentWorld ? CurrentWorld->name : "";
}

int GetPathFinishNode(const Path& path)
{
    return path.timingNodes[0];
}

int GetPathCheckpointNode(const Path& path, int index)
{
    return index >= 0 && index + 1 < TimingPointSlots ? path.timingNodes[index + 1] : -1;
}
