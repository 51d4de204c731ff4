// The 4 x 4 matrix helpers, the world, view and projection transforms
// that all 3D drawing sets, the bit-run tables of the mesh drawing, and the
// stage set-up reset.
#include <utility>

#include "graphics/local.h"
#include "platform/gfx.h"
#include "platform/gfx_util.h"

using namespace platform;

TransformRecord Transforms;
uint8_t LowestSetBit[256];
uint8_t RunEnd[256];
uint8_t LowRunLength[256];

Matrix44 IdentityMatrix44() { return GfxIdentityMatrix(); }

void MultiplyMatrix44(Matrix44& out, const Matrix44& a, const Matrix44& b) { GfxMatrixMultiply(out, a, b); }

Matrix44 ScaleMatrix44(float sx, float sy, float sz)
{
    Matrix44 m;
    m.m[0][0] = sx;
    m.m[1][1] = sy;
    m.m[2][2] = sz;
    m.m[3][3] = 1.0f;
    return m;
}

void ScaleMatrixColumns(Matrix44& m, float sx, float sy, float sz)
{
    for (auto& row : m.m) {
        row[0] *= sx;
        row[1] *= sy;
        row[2] *= sz;
    }
}

void TranslateMatrix44(Matrix44& m, float x, float y, float z)
{
    for (auto& row : m.m) {
        row[0] += row[3] * x;
        row[1] += row[3] * y;
        row[2] += row[3] * z;
    }
}

void TransposeMatrix44(Matrix44& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = r + 1; c < 4; ++c)
            std::swap(m.m[r][c], m.m[c][r]);
}

bool InvertMatrix44(Matrix44& out, const Matrix44& m) { return GfxMatrixInverse(out, nullptr, m); }

Matrix44 PerspectiveDepthMatrix(float nearZ, float farZ)
{
    Matrix44 m;
    m.m[2][2] = farZ / (farZ - nearZ);
    m.m[2][3] = 1.0f;
    m.m[3][2] = -nearZ * farZ / (farZ - nearZ);
    return m;
}

void TransformPoint44(const Matrix44& m, const float in[3], float out[4])
{
    for (int c = 0; c < 4; ++c)
        out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + m.m[3][c];
}

void SetProjection(float widthFactor, float nearZ, float farZ)
{
    Transforms.widthFactor = widthFactor;
    Transforms.nearZ = nearZ;
    Transforms.farZ = farZ;
    GfxMatrix m = PerspectiveDepthMatrix(nearZ, farZ);
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
    Transforms.viewReset = true;
    if (Gfx.device)
        Gfx.device->SetTransform(TransformView, GfxIdentityMatrix());
}

void SetViewMatrix(const GfxMatrix& matrix)
{
    Transforms.view = matrix;
    Transforms.viewReset = false;
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

