// Mesh blocks drawn after the cars: each queued with its world matrix,
// light and mirroring, drawn and emptied once the cars are drawn.
#include <cstring>

#include "graphics/local.h"

namespace {

struct QueuedMeshBlock {
    int block = 0;
    int mirrored = 0;
    NamedMesh* mesh = nullptr;
    Matrix44 world;
    LightSetup* light = nullptr;
};
// Lives for one frame.
struct MeshBlockQueueRecord {
    QueuedMeshBlock entries[MaxQueuedMeshBlocks];
    int count = 0;
};
MeshBlockQueueRecord MeshBlockQueue;

} // namespace

void QueueMeshBlockDraw(const float matrix[16], NamedMesh* mesh, int block, int mirrored, LightSetup* light)
{
    if (mesh == nullptr || MeshBlockQueue.count >= MaxQueuedMeshBlocks)
        return;
    QueuedMeshBlock& entry = MeshBlockQueue.entries[MeshBlockQueue.count++];
    entry.block = block;
    entry.mirrored = mirrored;
    entry.mesh = mesh;
    std::memcpy(entry.world.m, matrix, sizeof entry.world.m);
    entry.light = light;
}

void DrawQueuedMeshBlocks()
{
    using namespace platform;
    for (int i = 0; i < MeshBlockQueue.count; ++i) {
        QueuedMeshBlock& entry = MeshBlockQueue.entries[i];
        // A mirrored block's triangles run the other way round.
        if (entry.mirrored)
            SetRenderStateCached(RsCullMode, CullCw);
        SetWorldMatrix(entry.world);
        SetLightSetup(entry.light != nullptr ? entry.light : &DefaultLightSetup);
        MarkMeshBlock(entry.mesh, entry.block, 0);
        DrawMarkedBlocks(entry.mesh, 0);
        if (entry.mirrored)
            SetRenderStateCached(RsCullMode, CullCcw);
    }
    MeshBlockQueue.count = 0;
    ResetWorldMatrix();
}

int QueuedMeshBlockCount() { return MeshBlockQueue.count; }

void ResetMeshBlockQueue() { MeshBlockQueue.count = 0; }
