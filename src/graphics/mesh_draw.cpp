// Drawing named meshes: blocks are marked as the frame finds them visible,
// then each part draws its marked blocks in runs of consecutive blocks
// (found a byte of the mark set at a time with the bit-run tables), one
// draw call per run, with the stage set-up its material asks for.
#include <algorithm>

#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

namespace {

// Shader kinds of the mesh drawing.
constexpr int ShaderLit = 0;
constexpr int ShaderHemisphere = 5;
constexpr int ShaderHemisphereTextured = 7;
constexpr int ShaderReflective = 8;
constexpr int ShaderLightMap = 9;
constexpr int ShaderReflectTintedLit = 11;
constexpr int ShaderLightMapTextured = 12;
constexpr int ShaderReflectTinted = 13;

// Shader constants of reflective surfaces.
constexpr uint32_t ConstEye = 30;        // c30
constexpr uint32_t ConstReflection = 31; // c31..c34
constexpr uint32_t ConstEnvironment = 35;

// Fog colour modes around the light-mapped additive pass.
constexpr int FogColourOwn = 1;
constexpr int FogColourBlack = 3;

bool BlockBit(const std::vector<uint32_t>& set, int block)
{
    return (set[size_t(block) / 32] >> (block % 32)) & 1u;
}

void SetBlockBit(std::vector<uint32_t>& set, int block) { set[size_t(block) / 32] |= 1u << (block % 32); }

void Select(const Material* material, int kind)
{
    SelectVertexShader(kind, material ? material->prelit : 0, material ? material->doubled : 0);
}

// One draw call for the blocks first..last (inclusive) of a part.
void DrawBlockRun(const MeshPart& part, int first, int last)
{
    const MeshBlockRange& a = part.blocks[size_t(first)];
    const MeshBlockRange& b = part.blocks[size_t(last)];
    if (Gfx.device && b.endIndex > a.firstIndex)
        Gfx.device->DrawIndexedPrimitive(PrimTriangleList, a.firstVertex, b.endVertex - a.firstVertex, a.firstIndex,
                                         (b.endIndex - a.firstIndex) / 3);
}

bool PartDrawable(const MeshPart& part) { return part.vertices && part.indices && part.blockCount > 0; }

void BindPartBuffers(MeshPart& part)
{
    SetStreamVertexBuffer(part.vertices);
    SetIndexBufferSource(part.indices, 0);
}

// The material's own texture on stage 0 (or none, alpha test off); the
// material becomes current.
void BindPartMaterial(const MeshPart& part)
{
    CurrentMaterial = part.material;
    TextureRecord* texture = part.material ? part.material->texture : nullptr;
    if (texture) {
        BindTexture(texture, 0);
    } else {
        SetStageTexture(0, nullptr);
        SetRenderStateCached(RsAlphaTestEnable, 0);
    }
}

// The constants of an environment-mapped surface: the eye in object space
// and the reflection matrix.
void LoadReflectionConstants()
{
    if (!Gfx.device)
        return;
    Matrix44 worldView, inverse;
    MultiplyMatrix44(worldView, Transforms.world, Transforms.viewReset ? IdentityMatrix44() : Transforms.view);
    if (!InvertMatrix44(inverse, worldView))
        inverse = IdentityMatrix44();
    Gfx.device->SetVertexShaderConstant(ConstEye, inverse.m[3], 1);
    Matrix44 w = Transforms.world;
    w.m[3][0] = w.m[3][1] = w.m[3][2] = 0.0f;
    const float a = EnvironmentFactors.a, b = EnvironmentFactors.b;
    Matrix44 r;
    r.m[0][0] = 0.5f * a;
    r.m[0][1] = -0.5f * b;
    r.m[1][0] = 0.5f * b;
    r.m[1][1] = 0.5f * a;
    r.m[3][0] = 0.5f;
    r.m[3][1] = 0.5f;
    r.m[3][3] = 1.0f;
    Matrix44 reflection;
    MultiplyMatrix44(reflection, w, r);
    TransposeMatrix44(reflection);
    Gfx.device->SetVertexShaderConstant(ConstReflection, &reflection.m[0][0], 4);
    const float environment[4] = {1.0f, 1.0f, EnvironmentFactors.k, 1.0f};
    Gfx.device->SetVertexShaderConstant(ConstEnvironment, environment, 1);
}

} // namespace

void SetUpPartDraw(MeshPart& part)
{
    const Material* m = part.material;
    part.shadowStages = 0;
    SetStageStateCached(0, TssColourOp, TopModulate);
    if (m && m->lightMapped) {
        // The light map of the current light (none for a plain light) on
        // stage 0, the surface's own texture on stage 1.
        SetStageTexture(0, nullptr);
        if (!m->texture) {
            Select(m, ShaderLightMap);
            SetStageStateCached(0, TssColourArg1, TaTexture);
            SetStageStateCached(0, TssColourArg2, TaDiffuse);
        } else {
            Select(m, ShaderLightMapTextured);
            SetStageTexture(1, m->texture);
            SetStageStateCached(1, TssColourOp, TopModulate);
            SetStageStateCached(1, TssColourArg1, TaCurrent);
            SetStageStateCached(1, TssColourArg2, TaTexture);
            SetStageStateCached(1, TssAlphaOp, TopSelectArg1);
            SetStageStateCached(1, TssAlphaArg1, TaTexture);
        }
    } else if (m && m->reflective) {
        Select(m, ShaderReflective);
        LoadReflectionConstants();
    } else {
        Select(m, ShaderLit);
        const bool doubled = m && m->doubled;
        if (m && m->texture) {
            SetStageStateCached(0, TssColourOp, doubled ? TopModulate2x : TopModulate);
        } else {
            SetStageStateCached(0, TssColourArg1, TaDiffuse);
            SetStageStateCached(0, TssColourArg2, TaDiffuse);
            SetStageStateCached(0, TssColourOp, doubled ? TopAdd : TopSelectArg1);
        }
    }
    FlushStateCache();
}

int DrawMarkedRuns(MeshPart& part, const std::vector<uint32_t>& marks, int first, int last, int withSetup)
{
    if (!PartDrawable(part) || marks.empty())
        return 0;
    first = std::max(first, 0);
    last = std::min(last, part.blockCount - 1);
    int draws = 0;
    int runStart = -1, runEnd = -1; // the open run, blocks runStart .. runEnd - 1
    auto flush = [&]() {
        if (runStart < 0)
            return;
        if (draws == 0) {
            BindPartBuffers(part);
            if (withSetup) {
                BindPartMaterial(part);
                SetUpPartDraw(part);
            }
        }
        DrawBlockRun(part, runStart, runEnd - 1);
        ++draws;
        runStart = -1;
    };
    for (int byte = first / 8; byte <= last / 8; ++byte) {
        const size_t word = size_t(byte) / 4;
        const int shift = (byte % 4) * 8;
        unsigned bits = ((marks[word] & ~part.emptyBlocks[word]) >> shift) & 0xFFu;
        // Blocks outside first..last are not drawn.
        if (byte == first / 8)
            bits &= 0xFFu << (first % 8);
        if (byte == last / 8)
            bits &= 0xFFu >> (7 - last % 8);
        while (bits) {
            const int low = LowestSetBit[bits], end = RunEnd[bits];
            const int start = byte * 8 + low, stop = byte * 8 + end;
            if (runStart >= 0 && runEnd == start) {
                runEnd = stop;
            } else {
                flush();
                runStart = start;
                runEnd = stop;
            }
            bits &= ~((0xFFu >> (8 - end)) & (0xFFu << low));
        }
    }
    flush();
    if (draws > 0 && withSetup)
        ResetStageSetup();
    return draws;
}

void MarkMeshBlock(NamedMesh* mesh, int block, int shadowMask)
{
    if (!mesh || !mesh->finished || block < 0 || block >= mesh->blockCount)
        return;
    mesh->shadowMasks[size_t(block)] = static_cast<uint8_t>(shadowMask);
    if (shadowMask == 0) {
        SetBlockBit(mesh->plainMarks, block);
        mesh->plainFirst = std::min(mesh->plainFirst, block);
        mesh->plainLast = std::max(mesh->plainLast, block);
    } else {
        SetBlockBit(mesh->shadowMarks, block);
        mesh->shadowFirst = std::min(mesh->shadowFirst, block);
        mesh->shadowLast = std::max(mesh->shadowLast, block);
    }
}

namespace {

// The additive light pass of a light-mapped part's block: type 2 a plain
// surface, 3 a textured one (1 the plain pass alone).
void DrawLitAddPass(MeshPart& part, int block, int type)
{
    const Material* m = part.material;
    if (type == 0 || !m)
        return;
    auto drawOnce = [&](int kind) {
        Select(m, kind);
        FlushStateCache();
        DrawBlockRun(part, block, block);
    };
    auto firstTextureDraw = [&]() {
        if (m->texture) {
            SetStageStateCached(0, TssColourOp, TopModulate);
            SetStageStateCached(0, TssColourArg1, TaTexture);
            SetStageStateCached(0, TssColourArg2, TaDiffuse);
            drawOnce(ShaderHemisphereTextured);
        } else {
            SetStageStateCached(0, TssColourOp, TopSelectArg1);
            SetStageStateCached(0, TssColourArg1, TaDiffuse);
            drawOnce(ShaderHemisphere);
        }
    };
    SetStageTexture(0, m->texture);
    if (!m->secondTexture || type == 1) {
        firstTextureDraw();
        return;
    }
    if (m->texture)
        firstTextureDraw();
    SetStageTexture(0, m->secondTexture);
    SetStageTexture(1, nullptr);
    SetStageStateCached(0, TssColourOp, TopModulate);
    SetStageStateCached(0, TssColourArg1, TaTexture);
    SetStageStateCached(0, TssColourArg2, TaDiffuse);
    SetStageStateCached(1, TssColourOp, TopDisable);
    if (type == 2)
        SetRenderStateCached(RsSpecularEnable, 1);
    drawOnce(type == 2 ? ShaderReflectTintedLit : ShaderReflectTinted);
    SetRenderStateCached(RsSpecularEnable, 0);
}

} // namespace

void DrawMarkedBlocks(NamedMesh* mesh, int keepBlend)
{
    if (!mesh || !mesh->finished)
        return;
    mesh->worldMatrix = Transforms.world;
    bool lightMapped = false;
    for (MeshPart& part : mesh->parts) {
        DrawMarkedRuns(part, mesh->plainMarks, mesh->plainFirst, mesh->plainLast, 1);
        lightMapped = lightMapped || (part.material && part.material->lightMapped && PartDrawable(part));
    }
    if (lightMapped && mesh->plainFirst <= mesh->plainLast) {
        // The light added over the light-mapped surfaces.
        if (!keepBlend)
            SetRenderStateCached(RsAlphaBlendEnable, 1);
        SetRenderStateCached(RsDestBlend, BlendOne);
        if (FogState.on)
            SetFogColourMode(FogColourBlack);
        for (int block = mesh->plainFirst; block <= mesh->plainLast; ++block) {
            if (!BlockBit(mesh->plainMarks, block))
                continue;
            for (MeshPart& part : mesh->parts) {
                if (!part.material || !part.material->lightMapped || !PartDrawable(part) ||
                    BlockBit(part.emptyBlocks, block))
                    continue;
                BindPartBuffers(part);
                DrawLitAddPass(part, block, part.material->texture ? 3 : 2);
            }
        }
        ResetStageSetup();
        if (!keepBlend)
            SetRenderStateCached(RsAlphaBlendEnable, 0);
        SetRenderStateCached(RsDestBlend, BlendInvSrcAlpha);
        if (FogState.on)
            SetFogColourMode(FogColourOwn);
    }
    std::fill(mesh->plainMarks.begin(), mesh->plainMarks.end(), 0u);
    mesh->plainFirst = mesh->blockCount;
    mesh->plainLast = 0;
}

void DrawPartBlock(MeshPart* part, int block, int withSetup, int /*shadowA*/, int /*shadowB*/, int /*passLimit*/)
{
    if (!part || !PartDrawable(*part) || block < 0 || block >= part->blockCount || BlockBit(part->emptyBlocks, block))
        return;
    BindPartBuffers(*part);
    if (withSetup) {
        BindPartMaterial(*part);
        SetUpPartDraw(*part);
    }
    DrawBlockRun(*part, block, block);
    if (withSetup)
        ResetStageSetup();
}
