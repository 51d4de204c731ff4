// The loaded world's current path and knowledge path, and the follower
// position that the car step reads.
#include "world/paths.h"
#include "world/services.h"

Path* GetCurrentPath()
{
    return CurrentPathWorld().currentPath;
}

Path* GetKnowledgePath()
{
    Path* path = GetCurrentPath();
    const int32_t loop = PathClosedLoop | PathRacing;
    return path && path->nodeCount > 0 && (path->flags & loop) == loop ? path : nullptr;
}

int GetCarPathNode(const CarObject& car)
{
    return car.follower ? car.follower->position : -1;
}
