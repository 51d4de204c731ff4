// Paths as the cars see them, until the world loader builds them: no world
// is loaded, so there is no current path. Interpolating between two nodes
// is already the path's own rule.
#include <cmath>

#include "world/services.h"

Path* GetCurrentPath() { return nullptr; }
Path* GetKnowledgePath() { return nullptr; }

int NextPathNode(const Path& path, int i)
{
    return path.nodeCount > 0 ? (i + 1) % path.nodeCount : 0;
}

float InterpolatePathNode(PathNode& out, const PathNode& a, const PathNode& b, float t)
{
    out = {};
    auto along = [t](int32_t from, int32_t to) {
        const int32_t difference = static_cast<int32_t>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
        return static_cast<int32_t>(static_cast<uint32_t>(from) +
                                    static_cast<uint32_t>(static_cast<int32_t>(std::nearbyint(static_cast<double>(difference) * t))));
    };
    out.centre = MakeFixedVector(along(a.centre.x.raw, b.centre.x.raw), along(a.centre.y.raw, b.centre.y.raw),
                                 along(a.centre.z.raw, b.centre.z.raw));
    auto mix = [t](float from, float to) { return from + t * (to - from); };
    out.direction = {mix(a.direction.x, b.direction.x), mix(a.direction.y, b.direction.y),
                     mix(a.direction.z, b.direction.z)};
    out.leftEdge = mix(a.leftEdge, b.leftEdge);
    out.rightEdge = mix(a.rightEdge, b.rightEdge);
    out.leftLimit = mix(a.leftLimit, b.leftLimit);
    out.rightLimit = mix(a.rightLimit, b.rightLimit);
    const double dx = static_cast<double>(b.centre.x.raw) - a.centre.x.raw;
    const double dy = static_cast<double>(b.centre.y.raw) - a.centre.y.raw;
    const double dz = static_cast<double>(b.centre.z.raw) - a.centre.z.raw;
    return static_cast<float>(5 * (dx * out.direction.x + dy * out.direction.y + dz * out.direction.z) / 65536);
}

PathFollower* CreatePathFollower() { return new PathFollower; }
void FreePathFollower(PathFollower* follower) { delete follower; }
