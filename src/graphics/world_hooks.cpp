// What graphics gives the world's drawing: the materials of model textures,
// alpha blending and the world batch. Named meshes, the camera and vertex
// lighting are not given yet (the world's least bodies stay: no mesh is
// made and, without a camera, nothing is in view).
#include "graphics/local.h"
#include "graphics/services.h"
#include "world/services.h"

namespace {

// Alpha blending is render state 27.
constexpr uint32_t AlphaBlendState = 27;

// The material of a model surface's texture: the registered texture of
// that name, or a material without texture when none is registered.
Material* ModelTextureMaterial(const char* name, int, int environment, int, uint8_t* sky)
{
    if (sky)
        *sky = 0;
    return CreateMaterial(name && *name ? FindTexture(name) : nullptr, 0, 0, 0, environment ? 1 : 0, nullptr);
}

void SetBlending(int on) { SetRenderStateCached(AlphaBlendState, on ? 1u : 0u); }

} // namespace

void InstallGraphicsWorldHooks()
{
    WorldDrawHooks hooks{};
    hooks.getMaterialTexture = ModelTextureMaterial;
    hooks.setBlending = SetBlending;
    hooks.beginWorldBatch = BeginWorldBatch;
    hooks.addWorldVertex = AddWorldVertex;
    hooks.addBatchTriangle = AddBatchTriangle;
    hooks.endWorldBatch = EndWorldBatch;
    SetWorldDrawHooks(hooks);
}
