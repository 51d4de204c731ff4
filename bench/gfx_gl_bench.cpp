// Batched triangles per second through the OpenGL back end at 1024 x 768,
// drawn the way the draw batches send them: dynamic buffers filled under
// DISCARD and NOOVERWRITE locks, one indexed triangle list per flush, a
// present per frame. Needs a display: run under xvfb-run (with
// LIBGL_ALWAYS_SOFTWARE=1 for Mesa's software renderer).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "../tests/support/gfx_vertices.h"
#include "platform/gfx.h"
#include "platform/gfx_util.h"

using namespace platform;

namespace {

constexpr uint32_t Width = 1024, Height = 768;
constexpr uint32_t BatchVertices = 16384;
constexpr uint32_t LockVertices = 8192; // one lock of a batch
constexpr uint32_t FlushesPerFrame = 8;


// The device and the two buffers of one batch, for one benchmark.
struct Scene {
    GfxSystem* system = nullptr;
    GfxDevice* device = nullptr;
    GfxVertexBuffer* vertices = nullptr;
    GfxIndexBuffer* indices = nullptr;
    GfxTexture* texture = nullptr;

    bool Open()
    {
        system = CreateGfxSystem(GfxBackEnd::OpenGl);
        if (!system)
            return false;
        GfxPresentParams params;
        params.backBufferWidth = Width;
        params.backBufferHeight = Height;
        params.backBufferFormat = FmtX8R8G8B8;
        params.enableAutoDepthStencil = true;
        params.autoDepthStencilFormat = FmtD24X8;
        params.presentationInterval = PresentIntervalImmediate;
        if (!GfxSucceeded(system->CreateDevice(0, DeviceHal, nullptr, CreateHardwareVertexProcessing, params, &device)))
            return false;
        device->CreateVertexBuffer(BatchVertices * sizeof(ScreenVertex), 0x218, 0, PoolDefault, &vertices);
        device->CreateIndexBuffer(BatchVertices * 2, 0x218, FmtIndex16, PoolDefault, &indices);
        // A small texture sampled with linear filters, as interface glyphs are.
        device->CreateTexture(64, 64, 1, 0, FmtA8R8G8B8, PoolManaged, &texture);
        GfxLockedRect locked;
        texture->LockRect(0, locked, nullptr, 0);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                static_cast<uint32_t*>(locked.bits)[y * (locked.pitch / 4) + x] = ((x ^ y) & 8) ? 0xFFFFFFFF : 0x80C0C0C0;
        texture->UnlockRect(0);
        device->SetTexture(0, texture);
        for (uint32_t stage = 0; stage < 1; ++stage) {
            device->SetTextureStageState(stage, TssMagFilter, FilterLinear);
            device->SetTextureStageState(stage, TssMinFilter, FilterLinear);
        }
        device->SetTextureStageState(0, TssColourOp, TopModulate);
        device->SetTextureStageState(0, TssAlphaOp, TopModulate);
        device->SetTextureStageState(0, TssAlphaArg2, TaDiffuse);
        device->SetRenderState(RsLighting, 0);
        device->SetRenderState(RsAlphaBlendEnable, 1);
        device->SetRenderState(RsSrcBlend, BlendSrcAlpha);
        device->SetRenderState(RsDestBlend, BlendInvSrcAlpha);
        device->SetRenderState(RsAlphaTestEnable, 1);
        device->SetRenderState(RsAlphaRef, 8);
        device->SetRenderState(RsAlphaFunc, CmpGreaterEqual);
        return vertices && indices && texture;
    }

    ~Scene()
    {
        if (device) {
            device->SetTexture(0, nullptr);
            device->SetStreamSource(0, nullptr, 0);
            device->SetIndices(nullptr, 0);
        }
        for (GfxObject* object : std::initializer_list<GfxObject*>{texture, vertices, indices, device, system})
            if (object)
                object->Release();
    }

    // Fills one batch with `quads` quads from `make` and draws it.
    template <class Vertex, class Make>
    void Flush(uint32_t fvf, uint32_t quads, Make make)
    {
        uint32_t vertexCount = quads * 4;
        void* data = nullptr;
        // The first 8192 vertices under DISCARD, the rest behind them.
        uint32_t first = std::min(vertexCount, LockVertices);
        vertices->Lock(0, first * sizeof(Vertex), &data, LockDiscard);
        auto* out = static_cast<Vertex*>(data);
        for (uint32_t q = 0; q < first / 4; ++q)
            make(q, out + q * 4);
        vertices->Unlock();
        if (vertexCount > first) {
            vertices->Lock(first * sizeof(Vertex), (vertexCount - first) * sizeof(Vertex), &data, LockNoOverwrite);
            out = static_cast<Vertex*>(data);
            for (uint32_t q = first / 4; q < quads; ++q)
                make(q, out + (q - first / 4) * 4);
            vertices->Unlock();
        }
        indices->Lock(0, quads * 12, &data, LockDiscard);
        auto* index = static_cast<uint16_t*>(data);
        for (uint32_t q = 0; q < quads; ++q) {
            auto base = static_cast<uint16_t>(q * 4);
            uint16_t quad[6] = {base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2),
                                static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3), base};
            std::memcpy(index + q * 6, quad, sizeof quad);
        }
        indices->Unlock();
        device->SetStreamSource(0, vertices, sizeof(Vertex));
        device->SetIndices(indices, 0);
        device->SetVertexShader(fvf);
        device->DrawIndexedPrimitive(PrimTriangleList, 0, vertexCount, 0, quads * 2);
    }
};

// Screen batch: interface-sized quads of `side` pixels spread over the screen.
void ScreenBatchTriangles(benchmark::State& state)
{
    Scene scene;
    if (!scene.Open()) {
        state.SkipWithError("no OpenGL display: run under xvfb-run");
        return;
    }
    const auto side = static_cast<float>(state.range(0));
    const uint32_t quads = BatchVertices / 4 / 2;
    const uint32_t columns = Width / 16;
    int64_t triangles = 0;
    auto frame = [&] {
        scene.device->BeginScene();
        scene.device->Clear(0, nullptr, ClearTarget | ClearZBuffer, 0xFF203040, 1.0f, 0);
        for (uint32_t flush = 0; flush < FlushesPerFrame; ++flush) {
            scene.Flush<ScreenVertex>(FvfXyzRhw | FvfDiffuse | FvfTex1, quads, [&](uint32_t q, ScreenVertex* v) {
                uint32_t n = q + flush * 7;
                float x = static_cast<float>((n % columns) * 16), y = static_cast<float>((n / columns * 13) % Height);
                uint32_t colour = 0xC0000000u | (n * 2654435761u & 0xFFFFFF);
                v[0] = {x, y, 0, 1, colour, 0, 0};
                v[1] = {x + side, y, 0, 1, colour, 1, 0};
                v[2] = {x + side, y + side, 0, 1, colour, 1, 1};
                v[3] = {x, y + side, 0, 1, colour, 0, 1};
            });
            triangles += quads * 2;
        }
        scene.device->EndScene();
        scene.device->Present();
    };
    // The first frame builds the renderer's programs: not counted.
    frame();
    triangles = 0;
    for (auto _ : state)
        frame();
    state.counters["triangles"] = benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsRate);
}
BENCHMARK(ScreenBatchTriangles)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

// World batch: small 3D quads through the transforms with depth and fog.
void WorldBatchTriangles(benchmark::State& state)
{
    Scene scene;
    if (!scene.Open()) {
        state.SkipWithError("no OpenGL display: run under xvfb-run");
        return;
    }
    GfxMatrix projection;
    GfxMatrixOrthoLH(projection, static_cast<float>(Width), static_cast<float>(Height), 0.0f, 1000.0f);
    scene.device->SetTransform(TransformProjection, projection);
    scene.device->SetRenderState(RsZEnable, 1);
    scene.device->SetRenderState(RsFogEnable, 1);
    scene.device->SetRenderState(RsFogColour, 0x8090A0);
    scene.device->SetRenderState(RsFogVertexMode, FogLinear);
    float start = 100.0f, end = 900.0f;
    uint32_t bits;
    std::memcpy(&bits, &start, 4);
    scene.device->SetRenderState(RsFogStart, bits);
    std::memcpy(&bits, &end, 4);
    scene.device->SetRenderState(RsFogEnd, bits);
    const float side = 8.0f;
    const uint32_t quads = BatchVertices / 4 / 2;
    int64_t triangles = 0;
    auto frame = [&] {
        scene.device->BeginScene();
        scene.device->Clear(0, nullptr, ClearTarget | ClearZBuffer, 0xFF203040, 1.0f, 0);
        for (uint32_t flush = 0; flush < FlushesPerFrame; ++flush) {
            scene.Flush<WorldVertex>(FvfXyz | FvfDiffuse | FvfTex1, quads, [&](uint32_t q, WorldVertex* v) {
                uint32_t n = q * 2654435761u + flush;
                float x = static_cast<float>(n % Width) - Width / 2.0f;
                float y = static_cast<float>((n >> 10) % Height) - Height / 2.0f;
                float z = static_cast<float>((n >> 4) % 1000);
                uint32_t colour = 0xE0000000u | (n & 0xFFFFFF);
                v[0] = {x, y + side, z, colour, 0, 0};
                v[1] = {x + side, y + side, z, colour, 1, 0};
                v[2] = {x + side, y, z, colour, 1, 1};
                v[3] = {x, y, z, colour, 0, 1};
            });
            triangles += quads * 2;
        }
        scene.device->EndScene();
        scene.device->Present();
    };
    // The first frame builds the renderer's programs: not counted.
    frame();
    triangles = 0;
    for (auto _ : state)
        frame();
    state.counters["triangles"] = benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsRate);
}
BENCHMARK(WorldBatchTriangles)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
