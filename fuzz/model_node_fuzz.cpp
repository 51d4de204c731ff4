// Fuzz target for the model-node builder: any bytes after a model file's
// header are read as one record with part names; a record that is accepted
// is built into a mesh node tree with its children, a lit mesh and a
// physics body, and its bounds computed.
#include <cstddef>
#include <cstdint>

#include "world/services.h"

namespace {
// Materials for the fuzzed surfaces: distinct addresses, never used as
// graphics materials.
char MaterialTokens[256];
Material* TokenMaterial(const char*, int mode, int, int, uint8_t* sky)
{
    *sky = 0;
    return reinterpret_cast<Material*>(&MaterialTokens[mode & 255]);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        ResetCoreTables();
        ResetWorldTables();
        WorldDrawHooks hooks{};
        hooks.getMaterialTexture = TokenMaterial;
        SetWorldDrawHooks(hooks);
        return true;
    }();
    (void)ready;
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data, size, version);
    ObjectModel model;
    if (!ReadObjectModel(model, reader, version, 1, 1))
        return 0;
    LoadModelTextures(model, 0, 1, 0, AllModelParts);
    MeshNode node;
    node.ResetNode();
    BuildModelMeshNode(model, node, 0, 2, 1, 65536, 65536, AllModelParts);
    PruneSceneNodes(node);
    BuildLathe(node, 3);
    DestroySceneNodeTree(node);
    LitMesh lit;
    BuildSolidModel(model, lit, IdentityTransform, IdentityMatrix, model.levelCount - 1, 0);
    PlainBody body;
    CheckPhysicsLod(model, body, 65536, AllModelParts);
    FreeBody(body);
    FixedVector centre;
    int32_t radius;
    ComputeModelBounds(model, centre, radius);
    FreeObjectModel(model);
    return 0;
}
