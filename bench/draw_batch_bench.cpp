// Cost of the drawing layer's own work on the null device: filling the
// screen batch with quads (vertex writes, index writes, relocks, one draw)
// and setting a full object's worth of states through the state cache.
#include <benchmark/benchmark.h>

#include "core/services.h"
#include "graphics/services.h"

namespace {

// A device on the null back end, with a scene begun.
struct NullDevice {
    NullDevice()
    {
        ResetCoreTables();
        ResetGraphicsTables();
        PreInitDirect3D(1, -1, 0, 0, 0);
        CreateRenderDevice(nullptr, 0, -1);
        BeginDeviceScene();
    }
    ~NullDevice() { ResetGraphicsTables(); }
};

void ScreenBatchQuads(benchmark::State& state)
{
    NullDevice device;
    const int quads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        BeginScreenBatch(nullptr);
        for (int i = 0; i < quads; ++i) {
            float x = static_cast<float>(i % 64) * 12.0f, y = static_cast<float>(i / 64) * 12.0f;
            int a = AddScreenVertexPixels(x, y, 0.0f, 0.0f, 0xFFFFFFFF);
            int b = AddScreenVertexPixels(x + 10.0f, y, 1.0f, 0.0f, 0xFFFFFFFF);
            int c = AddScreenVertexPixels(x + 10.0f, y + 10.0f, 1.0f, 1.0f, 0xFFFFFFFF);
            int d = AddScreenVertexPixels(x, y + 10.0f, 0.0f, 1.0f, 0xFFFFFFFF);
            AddBatchQuad(a, b, c, d);
        }
        EndScreenBatch();
    }
    state.SetItemsProcessed(state.iterations() * quads);
}
BENCHMARK(ScreenBatchQuads)->Arg(64)->Arg(4000);

void StateCacheObjectSetUp(benchmark::State& state)
{
    NullDevice device;
    int flip = 0;
    for (auto _ : state) {
        // What one drawn object sets: a blend preset and a few states, of
        // which only the cull mode changes from object to object.
        SetBlendMode(1, 1, 1, 0);
        SetRenderStateCached(22, flip ? 2 : 3);
        SetRenderStateCached(15, 0);
        SetRenderStateCached(29, 0);
        FlushStateCache();
        flip ^= 1;
    }
}
BENCHMARK(StateCacheObjectSetUp);

} // namespace
