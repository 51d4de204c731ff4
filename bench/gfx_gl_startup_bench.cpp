// What the OpenGL back end costs the program's start-up: making the
// graphics system (which learns what the machine offers), the questions
// the adapter enumeration asks of it, and a device on a hidden window.
// Needs a display: run under xvfb-run (with LIBGL_ALWAYS_SOFTWARE=1 for
// Mesa's software renderer).
#include <benchmark/benchmark.h>

#include "platform/gfx.h"

using namespace platform;

namespace {

// The questions the adapter enumeration and the depth-format choice ask of
// every display format: the device type, then each depth candidate.
void AskEnumerationQuestions(GfxSystem* system)
{
    GfxDisplayMode desktop;
    system->GetAdapterDisplayMode(0, desktop);
    GfxCaps caps;
    system->GetDeviceCaps(0, DeviceHal, caps);
    benchmark::DoNotOptimize(system->CheckDeviceType(0, DeviceHal, desktop.format, desktop.format, false));
    for (uint32_t depth : {FmtD24X8, FmtD24S8, FmtD24X4S4, FmtD32, FmtD16, FmtD15S1}) {
        benchmark::DoNotOptimize(system->CheckDeviceFormat(0, DeviceHal, desktop.format, UsageDepthStencil,
                                                           ResourceSurface, depth));
        benchmark::DoNotOptimize(system->CheckDepthStencilMatch(0, DeviceHal, desktop.format, desktop.format, depth));
    }
}

// The graphics system as the start-up makes it, with the enumeration's
// questions answered.
void BM_GlSystemAndEnumeration(benchmark::State& state)
{
    for (auto _ : state) {
        GfxSystem* system = CreateGfxSystem(GfxBackEnd::OpenGl);
        if (!system) {
            state.SkipWithError("no OpenGL display");
            return;
        }
        AskEnumerationQuestions(system);
        system->Release();
    }
}
BENCHMARK(BM_GlSystemAndEnumeration)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(10);

// The above and then a 1024 x 768 device with a depth buffer, as the
// start-up creates it, and its release.
void BM_GlSystemAndDevice(benchmark::State& state)
{
    for (auto _ : state) {
        GfxSystem* system = CreateGfxSystem(GfxBackEnd::OpenGl);
        if (!system) {
            state.SkipWithError("no OpenGL display");
            return;
        }
        AskEnumerationQuestions(system);
        GfxPresentParams params;
        params.backBufferWidth = 1024;
        params.backBufferHeight = 768;
        params.backBufferFormat = FmtX8R8G8B8;
        params.enableAutoDepthStencil = true;
        params.autoDepthStencilFormat = FmtD24X8;
        GfxDevice* device = nullptr;
        if (!GfxSucceeded(system->CreateDevice(0, DeviceHal, nullptr, CreateMixedVertexProcessing, params, &device))) {
            system->Release();
            state.SkipWithError("no device");
            return;
        }
        device->Release();
        system->Release();
    }
}
BENCHMARK(BM_GlSystemAndDevice)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(10);

} // namespace
