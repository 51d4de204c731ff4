// The world, view and projection transforms that all 3D drawing sets, the
// bit-run tables of the mesh drawing, and the stage set-up reset. The named
// meshes and light setups join this file's neighbours with the mesh issue.
#include "graphics/local.h"
#include "platform/gfx.h"
#include "platform/gfx_util.h"

using namespace platform;

TransformRecord Transforms;
uint8_t LowestSetBit[256];
uint8_t RunEnd[256];
uint8_t LowRunLength[256];

void SetProjection(float widthFactor, float nearZ, float farZ)
{
    Transforms.widthFactor = widthFactor;
    Transforms.nearZ = nearZ;
    Transforms.farZ = farZ;
    GfxMatrix m;
    m.m[2][2] = farZ / (farZ - nearZ);
    m.m[2][3] = 1.0f;
    m.m[3][2] = -nearZ * farZ / (farZ - nearZ);
    float aspect = Gfx.viewport.height == 0
                       ? 1.0f
                       : static_cast<float>(Gfx.viewport.width) / static_cast<float>(Gfx.viewport.height);
    m.m[0][0] = 2.0f / widthFactor;
    m.m[1][1] = 2.0f * aspect / widthFactor;
    Transforms.projection = m;
    if (Gfx.device)
        Gfx.device->SetTransform(TransformProjection, m);
}

void ResetWorldMatrix()
{
    Transforms.world = Transforms.worldInverse = GfxIdentityMatrix();
    if (Gfx.device)
        Gfx.device->SetTransform(TransformWorld, Transforms.world);
}

void SetWorldMatrix(const GfxMatrix& matrix)
{
    Transforms.world = matrix;
    if (!GfxMatrixInverse(Transforms.worldInverse, nullptr, matrix))
        Transforms.worldInverse = GfxIdentityMatrix();
    if (Gfx.device)
        Gfx.device->SetTransform(TransformWorld, matrix);
}

void ResetViewMatrix()
{
    if (Gfx.device)
        Gfx.device->SetTransform(TransformView, GfxIdentityMatrix());
}

void SetViewMatrix(const GfxMatrix& matrix)
{
    Transforms.view = matrix;
    if (Gfx.device)
        Gfx.device->SetTransform(TransformView, matrix);
}

void BuildBitRunTables()
{
    for (int value = 0; value < 256; ++value) {
        int lowest = 0;
        while (lowest < 8 && !(value & (1 << lowest)))
            ++lowest;
        if (lowest == 8)
            lowest = 0;
        int end = lowest;
        while (end < 8 && (value & (1 << end)))
            ++end;
        int run = 0;
        while (run < 8 && (value & (1 << run)))
            ++run;
        LowestSetBit[value] = static_cast<uint8_t>(lowest);
        RunEnd[value] = static_cast<uint8_t>(end);
        LowRunLength[value] = static_cast<uint8_t>(run);
    }
}

// No named meshes exist until the mesh registry is built.
void FreeAllMeshes() {}

void ResetStageSetup()
{
    for (int stage = 0; stage < 2; ++stage) {
        SetStageStateCached(stage, TssAddressU, AddressWrap);
        SetStageStateCached(stage, TssAddressV, AddressWrap);
    }
    SetStageTexture(1, nullptr);
    SetStageStateCached(0, TssColourOp, TopModulate);
    SetStageStateCached(0, TssColourArg1, TaTexture);
    SetStageStateCached(0, TssColourArg2, TaDiffuse);
    SetStageStateCached(1, TssColourOp, TopDisable);
    SetStageStateCached(1, TssAlphaOp, TopDisable);
    SetRenderStateCached(RsAlphaTestEnable, 0);
    SetRenderStateCached(RsSpecularEnable, 0);
}

// The light setups (and their shader constants) come with the lighting; until
// then no light setup is current and there is nothing to load.
void ResetLightSetup() {}
