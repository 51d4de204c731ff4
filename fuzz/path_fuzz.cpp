// Fuzz target for the path reader: any bytes after a data-file header are
// read as one path record; a path that is accepted must survive reversal
// twice, limit relaxing, the checkpoint set-up and a follower search, and
// write back to the bytes it was read from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "world/services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        ResetCoreTables();
        ResetWorldTables();
        return true;
    }();
    (void)ready;
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data, size, version);
    Path path;
    if (!ReadPath(path, reader, version))
        return 0;
    ReversePath(path.nodes.data(), path.nodeCount);
    ReversePath(path.nodes.data(), path.nodeCount);
    RelaxPathLimits(path.nodes.data(), path.nodeCount, 0.5f);
    PathWorld world;
    world.loaded = 1;
    world.currentPath = &path;
    world.configuration = 1;
    world.timingPointCount = 4;
    world.lightSchemeCount = static_cast<int>(path.lightMaps.size());
    SetupPathCheckpoints(path, world);
    static PathFollower follower;
    const FixedVector point = path.nodeCount > 0 ? path.nodes[0].centre : ZeroVector;
    FindFollowerPosition(follower, point, 1, world);
    for (int i = 0; i < path.nodeCount; i++)
        ApplyNodeLightChanges(follower, i);
    PathNode middle;
    if (path.nodeCount > 1)
        InterpolatePathNode(middle, path.nodes[0], path.nodes[1], 0.5f, 1);
    return 0;
}
