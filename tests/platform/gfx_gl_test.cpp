// The OpenGL graphics back end, drawn on Mesa's software renderer inside a
// private X server: pixels checked against values computed from the device
// states, the vs.1.1 translation checked against the CPU evaluator, and a
// screenshot read back by an independent BMP parser.
#include <gtest/gtest.h>


#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx.h"
#include "platform/gfx_util.h"
#include "platform/vs11.h"
#include "support/gfx_vertices.h"
#include "support/process.h"
#include "support/shader_comparison.h"
#include "support/temp_folder.h"
#include "support/x_server.h"


using namespace platform;

namespace {

// A private X server on a display it chooses itself, for the whole run.
const auto* const Server = ::testing::AddGlobalTestEnvironment(new PrivateXServer);

constexpr uint32_t Size = 64;

// The two batch layouts: world vertices (position, colour, one coordinate
// pair) and screen vertices (pixels, 1/w, colour, one pair).
constexpr uint32_t WorldFvf = FvfXyz | FvfDiffuse | FvfTex1;
constexpr uint32_t ScreenFvf = FvfXyzRhw | FvfDiffuse | FvfTex1;

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

int Channel(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 255); }

::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, int tolerance = 2)
{
    for (int shift : {16, 8, 0})
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "got %06X, expected %06X", actual & 0xFFFFFF, expected & 0xFFFFFF);
            return ::testing::AssertionFailure() << text;
        }
    return ::testing::AssertionSuccess();
}

class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        system = KeptGlSystem();
        ASSERT_NE(system, nullptr) << "no OpenGL back end on the private X server";
        system->AddRef();
        GfxPresentParams params;
        params.backBufferWidth = params.backBufferHeight = Size;
        params.backBufferFormat = FmtX8R8G8B8;
        params.enableAutoDepthStencil = true;
        params.autoDepthStencilFormat = FmtD24X8;
        ASSERT_EQ(system->CreateDevice(0, DeviceHal, nullptr, CreateHardwareVertexProcessing, params, &device),
                  GfxResult::Ok);
        ASSERT_EQ(device->CreateVertexBuffer(16384 * 28, 0x218, 0, PoolDefault, &vertices), GfxResult::Ok);
        ASSERT_EQ(device->CreateIndexBuffer(16384 * 2, 0x218, FmtIndex16, PoolDefault, &indices), GfxResult::Ok);
        device->SetRenderState(RsLighting, 0);
        device->SetRenderState(RsZEnable, 0);
        device->SetTextureStageState(0, TssColourArg1, TaDiffuse);
        device->SetTextureStageState(0, TssColourOp, TopSelectArg1);
        device->SetTextureStageState(0, TssAlphaArg1, TaDiffuse);
        device->SetTextureStageState(0, TssAlphaOp, TopSelectArg1);
    }
    void TearDown() override
    {
        if (vertices)
            vertices->Release();
        if (indices)
            indices->Release();
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
        }
        if (system)
            system->Release();
    }

    // Draws the vertices with triangles and quads (a quad i0..i3 is the
    // triangles i0 i1 i2 and i2 i3 i0) as the batches do: dynamic buffers
    // locked with DISCARD, then one indexed triangle list.
    template <class Vertex>
    void Draw(uint32_t fvf, const std::vector<Vertex>& list, const std::vector<uint16_t>& triangles,
              const std::vector<uint16_t>& quads = {})
    {
        std::vector<uint16_t> all = triangles;
        for (size_t q = 0; q + 3 < quads.size(); q += 4)
            all.insert(all.end(), {quads[q], quads[q + 1], quads[q + 2], quads[q + 2], quads[q + 3], quads[q]});
        void* data = nullptr;
        ASSERT_EQ(vertices->Lock(0, static_cast<uint32_t>(list.size() * sizeof(Vertex)), &data, LockDiscard),
                  GfxResult::Ok);
        std::memcpy(data, list.data(), list.size() * sizeof(Vertex));
        vertices->Unlock();
        ASSERT_EQ(indices->Lock(0, static_cast<uint32_t>(all.size() * 2), &data, LockDiscard), GfxResult::Ok);
        std::memcpy(data, all.data(), all.size() * 2);
        indices->Unlock();
        device->SetStreamSource(0, vertices, sizeof(Vertex));
        device->SetIndices(indices, 0);
        device->SetVertexShader(fvf);
        ASSERT_EQ(device->DrawIndexedPrimitive(PrimTriangleList, 0, static_cast<uint32_t>(list.size()), 0,
                                               static_cast<uint32_t>(all.size() / 3)),
                  GfxResult::Ok);
    }

    // A screen rectangle from (left, top) to (right, bottom) in pixels.
    void ScreenRect(float left, float top, float right, float bottom, uint32_t colour, float z = 0.0f)
    {
        Draw<ScreenVertex>(ScreenFvf,
                           {{left, top, z, 1, colour, 0, 0},
                            {right, top, z, 1, colour, 1, 0},
                            {right, bottom, z, 1, colour, 1, 1},
                            {left, bottom, z, 1, colour, 0, 1}},
                           {}, {0, 1, 2, 3});
    }

    // The whole surface (default: the back buffer) as 0xAARRGGBB, rows top first.
    std::vector<uint32_t> Pixels(GfxSurface* surface = nullptr)
    {
        bool own = surface == nullptr;
        if (own)
            device->GetBackBuffer(0, &surface);
        GfxSurfaceDesc desc;
        surface->GetDesc(desc);
        GfxLockedRect locked;
        std::vector<uint32_t> out;
        if (GfxSucceeded(surface->LockRect(locked, nullptr, LockReadOnly))) {
            int bytes = GfxFormatBytesPerPixel(desc.format);
            for (uint32_t y = 0; y < desc.height; ++y)
                for (uint32_t x = 0; x < desc.width; ++x)
                    out.push_back(GfxPixelToArgb(desc.format, static_cast<const uint8_t*>(locked.bits) +
                                                                  y * locked.pitch + x * bytes));
            surface->UnlockRect();
        }
        if (own)
            surface->Release();
        return out;
    }
    uint32_t Pixel(int x, int y) { return Pixels()[static_cast<size_t>(y) * Size + x]; }

    GfxSystem* system = nullptr;
    GfxDevice* device = nullptr;
    GfxVertexBuffer* vertices = nullptr;
    GfxIndexBuffer* indices = nullptr;
};

// ---------------------------------------------------------------------------
// Clearing and where pre-transformed pixels land.

TEST_F(GlDeviceTest, ClearFillsTheViewportOnlyAndLocksReadRowsTopFirst)
{
    device->Clear(0, nullptr, platform::ClearTarget | ClearZBuffer, 0xFF0000FF, 1.0f, 0);
    device->SetViewport(GfxViewport{8, 4, 16, 20, 0.0f, 1.0f});
    device->Clear(0, nullptr, platform::ClearTarget, 0xFFFF0000, 1.0f, 0);
    std::vector<uint32_t> pixels = Pixels();
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * Size + x] & 0xFFFFFF; };
    EXPECT_EQ(at(8, 4), 0xFF0000u);
    EXPECT_EQ(at(23, 23), 0xFF0000u);
    EXPECT_EQ(at(24, 23), 0x0000FFu);
    EXPECT_EQ(at(8, 24), 0x0000FFu);
    EXPECT_EQ(at(7, 4), 0x0000FFu);
    EXPECT_EQ(at(8, 3), 0x0000FFu);
}

TEST_F(GlDeviceTest, ScreenVerticesLandWithPixelCentresAtIntegers)
{
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
    device->SetRenderState(RsAlphaBlendEnable, 1);
    device->SetRenderState(RsSrcBlend, BlendOne);
    device->SetRenderState(RsDestBlend, BlendOne);
    // Half a pixel outside every edge: each pixel exactly once, the shared
    // diagonal included.
    ScreenRect(-0.5f, -0.5f, Size - 0.5f, Size - 0.5f, 0xFF404040);
    // Corners on pixel centres 10 and 12: the top-left rule takes the
    // pixels 10 and 11 of each axis.
    ScreenRect(10.0f, 10.0f, 12.0f, 12.0f, 0xFF202020);
    std::vector<uint32_t> pixels = Pixels();
    int wrong = 0;
    for (uint32_t y = 0; y < Size; ++y)
        for (uint32_t x = 0; x < Size; ++x) {
            bool inner = x >= 10 && x <= 11 && y >= 10 && y <= 11;
            uint32_t expected = inner ? 0x606060u : 0x404040u;
            if ((pixels[y * Size + x] & 0xFFFFFF) != expected && wrong++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << pixels[y * Size + x];
        }
    EXPECT_EQ(wrong, 0);
}

// ---------------------------------------------------------------------------
// Culling: the winding is judged as the picture is seen (x right, y down).

TEST_F(GlDeviceTest, CullModesRemoveTheWindingTheyName)
{
    struct Case {
        uint32_t cull;
        bool clockwise;
        bool transformed;
        bool drawn;
    } cases[] = {
        {0, false, false, false}, // the device default: counter-clockwise culled
        {0, true, false, true},   {CullCcw, false, true, false}, {CullCcw, true, true, true},
        {CullCw, true, false, false}, {CullCw, false, false, true}, {CullCw, true, true, false},
        {CullNone, true, false, true}, {CullNone, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cull " << c.cull << (c.clockwise ? " clockwise" : " counter-clockwise")
                                        << (c.transformed ? " transformed" : " screen"));
        device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
        if (c.cull)
            device->SetRenderState(RsCullMode, c.cull);
        if (c.transformed) {
            // Identity transforms: clip y is up, so (-1, 1) is the top-left.
            std::vector<WorldVertex> list = {{-1, 1, 0.5f, 0xFFFFFFFF, 0, 0},
                                             {1, 1, 0.5f, 0xFFFFFFFF, 0, 0},
                                             {1, -1, 0.5f, 0xFFFFFFFF, 0, 0}};
            Draw(WorldFvf, list, c.clockwise ? std::vector<uint16_t>{0, 1, 2} : std::vector<uint16_t>{0, 2, 1});
        } else {
            std::vector<ScreenVertex> list = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                                              {64, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                                              {64, 64, 0, 1, 0xFFFFFFFF, 0, 0}};
            Draw(ScreenFvf, list, c.clockwise ? std::vector<uint16_t>{0, 1, 2} : std::vector<uint16_t>{0, 2, 1});
        }
        EXPECT_EQ(Pixel(50, 10) & 0xFFFFFF, c.drawn ? 0xFFFFFFu : 0u);
    }
}

// ---------------------------------------------------------------------------
// Blending, alpha test and fog, against values computed from the states.

float Factor(uint32_t blend, float src, float srcAlpha, float dst)
{
    switch (blend) {
    case BlendZero: return 0.0f;
    case BlendOne: return 1.0f;
    case BlendSrcColour: return src;
    case BlendSrcAlpha: return srcAlpha;
    case BlendInvSrcAlpha: return 1.0f - srcAlpha;
    case BlendDestColour: return dst;
    default: return -1.0f;
    }
}

uint32_t Blend(bool on, uint32_t srcBlend, uint32_t destBlend, uint32_t src, uint32_t dst)
{
    if (!on)
        return src & 0xFFFFFF;
    float alpha = static_cast<float>(src >> 24) / 255.0f;
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        float s = static_cast<float>(Channel(src, shift)) / 255.0f, d = static_cast<float>(Channel(dst, shift)) / 255.0f;
        float value = s * Factor(srcBlend, s, alpha, d) + d * Factor(destBlend, s, alpha, d);
        out |= static_cast<uint32_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)) << shift;
    }
    return out;
}

TEST_F(GlDeviceTest, BlendPresetsGiveTheirFormula)
{
    struct Case {
        const char* name;
        bool on;
        uint32_t src, dest;
    } cases[] = {
        {"opaque", false, BlendSrcAlpha, BlendInvSrcAlpha},
        {"alpha blended", true, BlendSrcAlpha, BlendInvSrcAlpha},
        {"additive", true, BlendSrcAlpha, BlendOne},
        {"shadow multiply", true, BlendZero, BlendSrcColour},
        {"destination colour", true, BlendDestColour, BlendZero},
    };
    const uint32_t background = 0xFF3080C0, colour = 0x60C06020;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device->Clear(0, nullptr, platform::ClearTarget, background, 1.0f, 0);
        device->SetRenderState(RsAlphaBlendEnable, c.on);
        device->SetRenderState(RsSrcBlend, c.src);
        device->SetRenderState(RsDestBlend, c.dest);
        ScreenRect(-0.5f, -0.5f, 31.5f, 31.5f, colour);
        EXPECT_TRUE(ColourNear(Pixel(10, 10), Blend(c.on, c.src, c.dest, colour, background)));
        EXPECT_EQ(Pixel(40, 40) & 0xFFFFFF, background & 0xFFFFFF);
    }
}

TEST_F(GlDeviceTest, AlphaTestComparesTheAlphaByteWithTheReference)
{
    device->SetRenderState(RsAlphaTestEnable, 1);
    device->SetRenderState(RsAlphaRef, 128);
    device->SetRenderState(RsAlphaFunc, CmpGreaterEqual);
    for (uint32_t alpha : {0u, 127u, 128u, 129u, 255u}) {
        SCOPED_TRACE(alpha);
        device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
        ScreenRect(-0.5f, -0.5f, 31.5f, 31.5f, (alpha << 24) | 0xFFFFFF);
        EXPECT_EQ(Pixel(10, 10) & 0xFFFFFF, alpha >= 128 ? 0xFFFFFFu : 0u);
    }
    // The texture's alpha is tested the same way.
    GfxTexture* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, FmtA8R8G8B8, PoolManaged, &texture), GfxResult::Ok);
    GfxLockedRect locked;
    ASSERT_EQ(texture->LockRect(0, locked, nullptr, 0), GfxResult::Ok);
    uint32_t texels[2] = {0x7FFF0000, 0x8000FF00};
    std::memcpy(locked.bits, texels, sizeof texels);
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, TssColourArg1, TaTexture);
    device->SetTextureStageState(0, TssAlphaArg1, TaTexture);
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
    ScreenRect(-0.5f, -0.5f, 63.5f, 0.5f, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(10, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(Pixel(50, 0) & 0xFFFFFF, 0x00FF00u);
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GlDeviceTest, LinearFogFollowsTheEyeDepth)
{
    const float start = 10.0f, end = 50.0f;
    const uint32_t fogColour = 0x00204080, colour = 0xFFF0C020;
    GfxMatrix projection;
    GfxMatrixOrthoLH(projection, 2.0f, 2.0f, 0.0f, 100.0f);
    device->SetTransform(TransformProjection, projection);
    device->SetRenderState(RsFogEnable, 1);
    device->SetRenderState(RsFogColour, fogColour);
    device->SetRenderState(RsFogVertexMode, FogLinear);
    device->SetRenderState(RsFogStart, FloatBits(start));
    device->SetRenderState(RsFogEnd, FloatBits(end));
    for (float depth : {5.0f, 20.0f, 42.0f, 60.0f}) {
        SCOPED_TRACE(depth);
        device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
        std::vector<WorldVertex> quad = {{-1, 1, depth, colour, 0, 0},
                                         {1, 1, depth, colour, 0, 0},
                                         {1, -1, depth, colour, 0, 0},
                                         {-1, -1, depth, colour, 0, 0}};
        Draw(WorldFvf, quad, {}, {0, 1, 2, 3});
        float f = std::clamp((end - depth) / (end - start), 0.0f, 1.0f);
        uint32_t expected = 0;
        for (int shift : {16, 8, 0})
            expected |= static_cast<uint32_t>(std::lround(f * Channel(colour, shift) +
                                                          (1.0f - f) * Channel(fogColour, shift)))
                        << shift;
        EXPECT_TRUE(ColourNear(Pixel(32, 32), expected));
    }
    // Screen vertices take no fog.
    ScreenRect(-0.5f, -0.5f, 8.5f, 8.5f, colour);
    EXPECT_TRUE(ColourNear(Pixel(4, 4), colour, 0));
}

TEST_F(GlDeviceTest, DepthTestKeepsTheNearerSurface)
{
    device->SetRenderState(RsZEnable, 1);
    device->Clear(0, nullptr, platform::ClearTarget | ClearZBuffer, 0xFF000000, 1.0f, 0);
    ScreenRect(-0.5f, -0.5f, 40.5f, 40.5f, 0xFF00FF00, 0.25f);
    ScreenRect(-0.5f, -0.5f, 63.5f, 63.5f, 0xFFFF0000, 0.5f); // behind: only shows outside
    EXPECT_EQ(Pixel(20, 20) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Pixel(50, 50) & 0xFFFFFF, 0xFF0000u);
}

// ---------------------------------------------------------------------------
// Textures, the world and screen batches, and render targets.

GfxTexture* MakeCheckerTexture(GfxDevice* device, uint32_t format, const uint32_t (&argb)[4])
{
    GfxTexture* texture = nullptr;
    if (!GfxSucceeded(device->CreateTexture(2, 2, 1, 0, format, PoolManaged, &texture)))
        return nullptr;
    GfxLockedRect locked;
    texture->LockRect(0, locked, nullptr, 0);
    int bytes = GfxFormatBytesPerPixel(format);
    for (int i = 0; i < 4; ++i)
        GfxArgbToPixel(format, argb[i],
                       static_cast<uint8_t*>(locked.bits) + (i / 2) * locked.pitch + (i % 2) * bytes);
    texture->UnlockRect(0);
    return texture;
}

TEST_F(GlDeviceTest, BatchesDrawTexturedAndPlainTrianglesAndQuads)
{
    const uint32_t texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (uint32_t format : {FmtA8R8G8B8, FmtR5G6B5, FmtX8R8G8B8}) {
        SCOPED_TRACE(format);
        GfxTexture* texture = MakeCheckerTexture(device, format, texels);
        ASSERT_NE(texture, nullptr);
        device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
        // Screen batch: a textured quad modulated by a grey diffuse, with
        // point sampling, top-left texel at the top-left.
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, TssColourOp, TopModulate);
        device->SetTextureStageState(0, TssColourArg1, TaTexture);
        device->SetTextureStageState(0, TssColourArg2, TaDiffuse);
        ScreenRect(-0.5f, -0.5f, 31.5f, 31.5f, 0xFF808080);
        // World batch: an untextured triangle in the lower right quarter.
        device->SetTexture(0, nullptr);
        device->SetTextureStageState(0, TssColourOp, TopSelectArg2);
        std::vector<WorldVertex> triangle = {{0.1f, -0.1f, 0.5f, 0xFFFFFF00, 0, 0},
                                             {0.9f, -0.1f, 0.5f, 0xFFFFFF00, 0, 0},
                                             {0.9f, -0.9f, 0.5f, 0xFFFFFF00, 0, 0}};
        Draw(WorldFvf, triangle, {0, 1, 2});
        std::vector<uint32_t> pixels = Pixels();
        auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * Size + x]; };
        EXPECT_TRUE(ColourNear(at(8, 8), 0x800000));
        EXPECT_TRUE(ColourNear(at(24, 8), 0x008000));
        EXPECT_TRUE(ColourNear(at(8, 24), 0x000080));
        EXPECT_TRUE(ColourNear(at(24, 24), 0x808080));
        EXPECT_EQ(at(58, 36) & 0xFFFFFF, 0xFFFF00u);
        EXPECT_EQ(at(36, 58) & 0xFFFFFF, 0u);
        device->SetTextureStageState(0, TssColourOp, TopSelectArg1);
        device->SetTextureStageState(0, TssColourArg1, TaDiffuse);
        texture->Release();
    }
}

TEST_F(GlDeviceTest, CompressedTexturesSampleTheirBlocks)
{
    // One DXT1 block: colour 0 red, colour 1 blue, the left half of each row
    // index 0 and the right half index 1.
    GfxTexture* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, FmtDxt1, PoolManaged, &texture), GfxResult::Ok);
    GfxLockedRect locked;
    ASSERT_EQ(texture->LockRect(0, locked, nullptr, 0), GfxResult::Ok);
    const uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0x50, 0x50, 0x50, 0x50};
    std::memcpy(locked.bits, block, sizeof block);
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, TssColourArg1, TaTexture);
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
    ScreenRect(-0.5f, -0.5f, 63.5f, 63.5f, 0xFFFFFFFF);
    device->SetTexture(0, nullptr);
    texture->Release();
    EXPECT_EQ(Pixel(8, 40) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Pixel(56, 40) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(GlDeviceTest, LongBatchRelocksWithoutOverwrite)
{
    // 8192 vertices written with DISCARD, then more behind them with
    // NOOVERWRITE, drawn as one list: every quad lands.
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
    std::vector<ScreenVertex> list;
    std::vector<uint16_t> quads;
    for (uint32_t i = 0; i < 2100; ++i) {
        float x = static_cast<float>(i % 64), y = static_cast<float>((i / 64) % 64);
        uint32_t colour = i < 2048 ? 0xFF000040 : 0xFF400000;
        auto base = static_cast<uint16_t>(list.size());
        list.push_back({x - 0.5f, y - 0.5f, 0, 1, colour, 0, 0});
        list.push_back({x + 0.5f, y - 0.5f, 0, 1, colour, 0, 0});
        list.push_back({x + 0.5f, y + 0.5f, 0, 1, colour, 0, 0});
        list.push_back({x - 0.5f, y + 0.5f, 0, 1, colour, 0, 0});
        quads.insert(quads.end(), {base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2),
                                   static_cast<uint16_t>(base + 3)});
    }
    std::vector<uint16_t> all;
    for (size_t q = 0; q < quads.size(); q += 4)
        all.insert(all.end(), {quads[q], quads[q + 1], quads[q + 2], quads[q + 2], quads[q + 3], quads[q]});
    const uint32_t split = 8192;
    void* data = nullptr;
    ASSERT_EQ(vertices->Lock(0, split * sizeof(ScreenVertex), &data, LockDiscard), GfxResult::Ok);
    std::memcpy(data, list.data(), split * sizeof(ScreenVertex));
    vertices->Unlock();
    size_t rest = list.size() - split;
    ASSERT_EQ(vertices->Lock(split * sizeof(ScreenVertex), static_cast<uint32_t>(rest * sizeof(ScreenVertex)), &data,
                             LockNoOverwrite),
              GfxResult::Ok);
    std::memcpy(data, list.data() + split, rest * sizeof(ScreenVertex));
    vertices->Unlock();
    ASSERT_EQ(indices->Lock(0, static_cast<uint32_t>(all.size() * 2), &data, LockDiscard), GfxResult::Ok);
    std::memcpy(data, all.data(), all.size() * 2);
    indices->Unlock();
    device->SetStreamSource(0, vertices, sizeof(ScreenVertex));
    device->SetIndices(indices, 0);
    device->SetVertexShader(ScreenFvf);
    device->SetRenderState(RsAlphaBlendEnable, 1);
    device->SetRenderState(RsSrcBlend, BlendOne);
    device->SetRenderState(RsDestBlend, BlendOne);
    ASSERT_EQ(device->DrawIndexedPrimitive(PrimTriangleList, 0, static_cast<uint32_t>(list.size()), 0,
                                           static_cast<uint32_t>(all.size() / 3)),
              GfxResult::Ok);
    EXPECT_EQ(Pixel(0, 0) & 0xFFFFFF, 0x000040u);
    std::vector<uint32_t> pixels = Pixels();
    EXPECT_EQ(pixels[31 * Size + 63] & 0xFFFFFF, 0x000040u); // vertices 8188..8191
    EXPECT_EQ(pixels[32 * Size + 0] & 0xFFFFFF, 0x400000u);  // vertices 8192.. behind the relock
    EXPECT_EQ(pixels[32 * Size + 51] & 0xFFFFFF, 0x400000u); // the last quad
    EXPECT_EQ(pixels[32 * Size + 52] & 0xFFFFFF, 0u);
}

TEST_F(GlDeviceTest, RenderedTexturesReadAndSampleUpright)
{
    GfxTexture* target = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 16, 1, UsageRenderTarget, FmtA8R8G8B8, PoolDefault, &target), GfxResult::Ok);
    GfxSurface* level = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), GfxResult::Ok);
    GfxSurface* backBuffer = nullptr;
    GfxSurface* depthSurface = nullptr;
    device->GetBackBuffer(0, &backBuffer);
    device->GetDepthStencilSurface(&depthSurface);
    ASSERT_EQ(device->SetRenderTarget(level, nullptr), GfxResult::Ok);
    GfxViewport viewport;
    device->GetViewport(viewport);
    EXPECT_EQ(viewport.width, 16u);
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF00FF00, 1.0f, 0);
    ScreenRect(-0.5f, -0.5f, 15.5f, 7.5f, 0xFFFF0000); // the top half
    std::vector<uint32_t> texels = Pixels(level);
    EXPECT_EQ(texels[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(texels[15 * 16] & 0xFFFFFF, 0x00FF00u);

    ASSERT_EQ(device->SetRenderTarget(backBuffer, depthSurface), GfxResult::Ok);
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
    device->SetTexture(0, target);
    device->SetTextureStageState(0, TssColourArg1, TaTexture);
    ScreenRect(-0.5f, -0.5f, 63.5f, 63.5f, 0xFFFFFFFF);
    device->SetTexture(0, nullptr);
    EXPECT_EQ(Pixel(32, 8) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Pixel(32, 56) & 0xFFFFFF, 0x00FF00u);

    // A reset waits until every default-pool resource is gone.
    GfxPresentParams params;
    params.backBufferWidth = params.backBufferHeight = 32;
    params.backBufferFormat = FmtX8R8G8B8;
    backBuffer->Release();
    depthSurface->Release();
    level->Release();
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
    vertices->Release();
    vertices = nullptr;
    indices->Release();
    indices = nullptr;
    EXPECT_EQ(device->Reset(params), GfxResult::InvalidCall);
    target->Release();
    EXPECT_EQ(device->Reset(params), GfxResult::Ok);
    device->GetBackBuffer(0, &backBuffer);
    GfxSurfaceDesc desc;
    backBuffer->GetDesc(desc);
    EXPECT_EQ(desc.width, 32u);
    backBuffer->Release();
    uint32_t cull = 0;
    device->GetRenderState(RsCullMode, cull);
    EXPECT_EQ(cull, static_cast<uint32_t>(CullCcw));
}

TEST_F(GlDeviceTest, SmallRenderTargetsInSixteenBitsReadBack)
{
    GfxSurface* target = nullptr;
    ASSERT_EQ(device->CreateRenderTarget(2, 2, FmtR5G6B5, MultiSampleNone, true, &target), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderTarget(target, nullptr), GfxResult::Ok);
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF0000FF, 1.0f, 0);
    ScreenRect(0.5f, -0.5f, 1.5f, 0.5f, 0xFFFF0000); // the top right pixel
    std::vector<uint32_t> pixels = Pixels(target);
    ASSERT_EQ(pixels.size(), 4u);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(pixels[1] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[3] & 0xFFFFFF, 0x0000FFu);
    GfxSurface* backBuffer = nullptr;
    device->GetBackBuffer(0, &backBuffer);
    device->SetRenderTarget(backBuffer, nullptr);
    backBuffer->Release();
    target->Release();
}

TEST_F(GlDeviceTest, BackBufferSavesAsABmpAStandardReaderAccepts)
{
    TempFolder folder;
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF102030, 1.0f, 0);
    ScreenRect(0.5f, -0.5f, 1.5f, 0.5f, 0xFFFF8000); // pixel (1, 0), the top row
    ASSERT_EQ(device->Present(), GfxResult::Ok);
    GfxSurface* backBuffer = nullptr;
    device->GetBackBuffer(0, &backBuffer);
    ASSERT_EQ(GfxSaveSurfaceToBmp("shot.bmp", backBuffer), GfxResult::Ok);
    backBuffer->Release();
    const char* script =
        "import struct,sys\n"
        "d=open('shot.bmp','rb').read()\n"
        "assert d[:2]==b'BM'\n"
        "size,off=struct.unpack('<I4xI',d[2:14])\n"
        "hs,w,h,planes,bpp,comp=struct.unpack('<IiiHHI',d[14:34])\n"
        "assert size==len(d) and hs==40 and planes==1 and comp==0\n"
        "row=(w*bpp//8+3)&~3\n"
        "def px(x,y):\n"
        " p=off+(h-1-y)*row+x*3\n"
        " return '%02x%02x%02x'%(d[p+2],d[p+1],d[p])\n"
        "print(w,h,bpp,px(1,0),px(0,0),px(1,1))\n";
    folder.WriteFile("check.py", script);
    ProcessResult result = RunProcess(QV_PYTHON, {"check.py"}, folder.Path());
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "64 64 24 ff8000 102030 102030\n");
}

TEST(GlSystemTest, DeviceDrawsIntoAWindowItIsGiven)
{
    ASSERT_NE(KeptGlSystem(), nullptr);
    WindowHandle window = GfxGlOpenWindow("Quorvan test", 320, 240, true);
    ASSERT_NE(window, nullptr);
    GfxPresentParams params;
    params.backBufferWidth = 160;
    params.backBufferHeight = 120;
    params.deviceWindow = window;
    GfxDevice* device = nullptr;
    ASSERT_EQ(KeptGlSystem()->CreateDevice(0, DeviceHal, window, CreateHardwareVertexProcessing, params, &device),
              GfxResult::Ok);
    EXPECT_EQ(params.backBufferFormat, static_cast<uint32_t>(FmtX8R8G8B8)); // the desktop's
    device->Clear(0, nullptr, platform::ClearTarget, 0xFF336699, 1.0f, 0);
    EXPECT_EQ(device->BeginScene(), GfxResult::Ok);
    EXPECT_EQ(device->Present(), GfxResult::InvalidCall); // not inside a scene
    EXPECT_EQ(device->EndScene(), GfxResult::Ok);
    EXPECT_EQ(device->Present(), GfxResult::Ok);
    EXPECT_EQ(device->TestCooperativeLevel(), GfxResult::Ok);
    EXPECT_EQ(device->Release(), 0u);
    GfxGlCloseWindow(window);
}

TEST(GlSystemTest, AdaptersComeFromTheDisplayAndTheRenderer)
{
    GfxSystem* system = CreateGfxSystem(GfxBackEnd::OpenGl);
    ASSERT_NE(system, nullptr);
    ASSERT_GE(system->GetAdapterCount(), 1u);
    GfxAdapterIdentifier identifier;
    ASSERT_EQ(system->GetAdapterIdentifier(0, 0, identifier), GfxResult::Ok);
    EXPECT_NE(std::string(identifier.description).find("llvmpipe"), std::string::npos) << identifier.description;
    GfxDisplayMode desktop;
    ASSERT_EQ(system->GetAdapterDisplayMode(0, desktop), GfxResult::Ok);
    EXPECT_EQ(desktop.width, 1024u);
    EXPECT_EQ(desktop.height, 768u);
    EXPECT_EQ(desktop.format, static_cast<uint32_t>(FmtX8R8G8B8));
    ASSERT_GE(system->GetAdapterModeCount(0), 1u);
    GfxDisplayMode mode;
    EXPECT_EQ(system->EnumAdapterModes(0, 0, mode), GfxResult::Ok);
    EXPECT_EQ(system->EnumAdapterModes(0, system->GetAdapterModeCount(0), mode), GfxResult::InvalidCall);
    GfxCaps caps;
    ASSERT_EQ(system->GetDeviceCaps(0, DeviceHal, caps), GfxResult::Ok);
    EXPECT_EQ(caps.vertexShaderVersion, VertexShaderVersion(1, 1));
    EXPECT_NE(caps.devCaps & DevCapsHwTransformAndLight, 0u);
    EXPECT_EQ(caps.maxTextureWidth, 4096u);
    EXPECT_EQ(system->CheckDeviceType(0, DeviceHal, FmtX8R8G8B8, FmtX8R8G8B8, false), GfxResult::Ok);
    EXPECT_EQ(system->CheckDeviceType(0, DeviceHal, FmtX8R8G8B8, FmtR5G6B5, false), GfxResult::NotAvailable);
    struct FormatCase {
        uint32_t usage, format;
        GfxResult expected;
    } formats[] = {
        {UsageDepthStencil, FmtD16, GfxResult::Ok},       {UsageDepthStencil, FmtD24S8, GfxResult::Ok},
        {UsageDepthStencil, FmtD15S1, GfxResult::NotAvailable}, {0, FmtDxt1, GfxResult::Ok},
        {0, FmtL8, GfxResult::Ok},                        {0, FmtR8G8B8, GfxResult::NotAvailable},
        {UsageRenderTarget, FmtR5G6B5, GfxResult::Ok},
    };
    for (const FormatCase& f : formats)
        EXPECT_EQ(system->CheckDeviceFormat(0, DeviceHal, FmtX8R8G8B8, f.usage, ResourceSurface, f.format), f.expected)
            << f.format;
    EXPECT_EQ(system->CheckDepthStencilMatch(0, DeviceHal, FmtX8R8G8B8, FmtX8R8G8B8, FmtD24X8), GfxResult::Ok);
    system->Release();
}

// ---------------------------------------------------------------------------
// vs.1.1 through the GL translation against the CPU evaluator.

TEST_F(GlDeviceTest, ShaderTranslationMatchesTheEvaluator)
{
    // Inputs of every width and both colours, v15 among them, so that the
    // read-back places its vertices through another free register.
    const std::vector<GfxVertexElement> declaration = {
        {0, 0, GfxElementType::Float3}, {0, 1, GfxElementType::Float4}, {0, 2, GfxElementType::Float1},
        {0, 3, GfxElementType::Float3}, {0, 5, GfxElementType::Colour}, {0, 6, GfxElementType::Colour},
        {0, 8, GfxElementType::Float2}, {0, 15, GfxElementType::Float2},
    };
    struct Case {
        const char* what;
        const char* text;
    };
    const Case cases[] = {
        {"every opcode, write masks and partly written outputs",
         "vs.1.1\n"
         "m4x4 oPos,v0,c0\n"
         "add r0,v1,c4\n"
         "sub r1,v1,-c5.yxwz\n"
         "mul r2,r0,r1\n"
         "mad r3,r2,c6,v3.xyzz\n"
         "dp3 r4.x,v3,c7\n"
         "dp4 r4.y,v1,c8\n"
         "min r4.z,r4.x,r4.y\n"
         "max r4.w,r4.x,r4.y\n"
         "rsq r5.x,r4.x\n"
         "rcp r5.yzw,r4.y\n"
         "mov oT0,r3\n"
         "mov oT1,r4\n"
         "mov oT2,r5\n"
         "mov oT3.xz,r2\n"
         "mov oT4.yw,-r0.wzyx\n"},
        {"swizzles of narrow inputs, clamped colours, fog and a missing input",
         "vs.1.1\n"
         "m4x4 r1,v1,c10\n"
         "mov oPos,r1\n"
         "mul oD0,v5,v6.zyxw\n"
         "sub oD1.xyz,v5,-v2.x\n"
         "mov oD1.w,v6.w\n"
         "mad oFog,v8.y,c20.x,c20.y\n"
         "mov oT5,v15\n"
         "mov oT6,v8.yx\n"
         "add oT7,v4,v3.zzyx\n"},
        {"only the position: the other outputs keep their defaults", "vs.1.1\nmov oPos,v1\n"},
    };
    ShaderComparison comparison(device);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vs11::Program program;
        std::string errors;
        ASSERT_EQ(GfxAssembleShader(c.text, program, errors), GfxResult::Ok) << errors;
        uint32_t handle = 0;
        ASSERT_EQ(device->CreateVertexShader(declaration.data(), static_cast<uint32_t>(declaration.size()), program,
                                             &handle, 0),
                  GfxResult::Ok);
        comparison.ExpectSameOutputs(handle, program, declaration);
        device->DeleteVertexShader(handle);
    }
}

TEST_F(GlDeviceTest, ShaderDrawsLandWhereTheirPositionsSayAndTakeTheirFog)
{
    // The flat-colour shader of shadow casters, with fog: position through
    // c80..c83, colour from c84, the fog factor from c95.x.
    vs11::Program program;
    std::string errors;
    ASSERT_EQ(GfxAssembleShader("vs.1.1\nm4x4 oPos,v0,c80\nmov oFog,c95.x\nmov oT0,c95\nmov oD0,c84\n", program,
                                errors),
              GfxResult::Ok)
        << errors;
    GfxVertexElement declaration[] = {{0, 0, GfxElementType::Float3}, {0, 5, GfxElementType::Colour},
                                      {0, 8, GfxElementType::Float2}};
    uint32_t handle = 0;
    ASSERT_EQ(device->CreateVertexShader(declaration, 3, program, &handle, 0), GfxResult::Ok);
    // The transposed matrix with a half-scale x: the quad covers the middle columns.
    float matrix[4][4] = {{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    float colour[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    float fog[4] = {0.25f, 0.25f, 0.25f, 0.25f};
    device->SetVertexShaderConstant(80, &matrix[0][0], 4);
    device->SetVertexShaderConstant(84, colour, 1);
    device->SetVertexShaderConstant(95, fog, 1);
    std::vector<WorldVertex> quad = {{-1, 1, 0.5f, 0, 0, 0}, {1, 1, 0.5f, 0, 0, 0}, {1, -1, 0.5f, 0, 0, 0},
                                     {-1, -1, 0.5f, 0, 0, 0}};
    void* data = nullptr;
    vertices->Lock(0, sizeof(WorldVertex) * 4, &data, LockDiscard);
    std::memcpy(data, quad.data(), sizeof(WorldVertex) * 4);
    vertices->Unlock();
    uint16_t list[] = {0, 1, 2, 2, 3, 0};
    indices->Lock(0, sizeof list, &data, LockDiscard);
    std::memcpy(data, list, sizeof list);
    indices->Unlock();
    device->SetStreamSource(0, vertices, sizeof(WorldVertex));
    device->SetIndices(indices, 0);
    ASSERT_EQ(device->SetVertexShader(handle), GfxResult::Ok);
    for (bool fogOn : {false, true}) {
        SCOPED_TRACE(fogOn ? "fog" : "no fog");
        device->SetRenderState(RsFogEnable, fogOn);
        device->SetRenderState(RsFogColour, 0x0000FF);
        device->Clear(0, nullptr, platform::ClearTarget, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(device->DrawIndexedPrimitive(PrimTriangleList, 0, 4, 0, 2), GfxResult::Ok);
        std::vector<uint32_t> pixels = Pixels();
        uint32_t inside = fogOn ? 0x0040BF : 0x00FF00; // f x green + (1 - f) x blue, f = 0.25
        EXPECT_EQ(pixels[32 * Size + 15] & 0xFFFFFF, 0u);
        EXPECT_TRUE(ColourNear(pixels[32 * Size + 16], inside));
        EXPECT_TRUE(ColourNear(pixels[32 * Size + 47], inside));
        EXPECT_EQ(pixels[32 * Size + 48] & 0xFFFFFF, 0u);
        EXPECT_TRUE(ColourNear(pixels[0 * Size + 32], inside));
    }
    device->SetVertexShader(ScreenFvf);
    device->DeleteVertexShader(handle);
}

} // namespace
