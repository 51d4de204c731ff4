// Speed of text on the screen: the start-up cost of rasterising the vector
// font into its four textures, and glyphs queued and drawn per second for
// menu-sized lines, on the null device so that the figures are the game's
// own work and not the graphics card's.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "../tests/support/built_game.h"
#include "graphics/services.h"
#include "ui/services.h"

namespace {

// The default data folder, built once for the run, its character map
// loaded and a null device made; false when any of it failed.
struct LoadedFont {
    BuiltGame game{std::filesystem::temp_directory_path().string() + "/text_bench_"};
    bool ready = false;

    LoadedFont()
    {
        ResetCoreTables();
        ResetUiTables();
        ResetGraphicsTables();
        if (game.path.empty() || LoadCharacterMap((game.path + "/data/abc/qvn.abc").c_str()) != 1)
            return;
        if (PreInitDirect3D(1, -1, 0, 0, 0) != 0 || CreateRenderDevice(nullptr, 0, -1) != 0)
            return;
        SetScreenScale(0, 0, 0, 1, 1);
        ready = CreateFontTextures() == FontTextureCount;
    }
    ~LoadedFont()
    {
        ResetUiTables();
        ResetGraphicsTables();
    }
};

LoadedFont& Font()
{
    static LoadedFont font;
    return font;
}

// Making the four font textures, as start-up and every graphics rebuild do.
void BM_CreateFontTextures(benchmark::State& state)
{
    if (!Font().ready) {
        state.SkipWithError("the data builder, the character map or the device failed");
        return;
    }
    for (auto _ : state) {
        ResetFontTextures();
        benchmark::DoNotOptimize(CreateFontTextures());
    }
}
BENCHMARK(BM_CreateFontTextures)->Unit(benchmark::kMillisecond);

// Twenty menu lines of 40 characters with colour codes, measured, queued
// and drawn by texture, as a menu screen's frame does.
void BM_DrawMenuText(benchmark::State& state)
{
    if (!Font().ready) {
        state.SkipWithError("the data builder, the character map or the device failed");
        return;
    }
    constexpr int Lines = 20;
    const char* line = "^7Start a ^3single player^7 race: 0123456789";
    BeginDeviceScene();
    int64_t glyphs = 0;
    for (auto _ : state) {
        SelectGlyphQueue(0);
        for (int i = 0; i < Lines; ++i) {
            const float width = GetTextWidth(line, 0.025f, 0);
            DrawPlainText(line, -width / 2, -0.9f + 0.09f * static_cast<float>(i), 0.025f, 0.05f, 0xFFFFFFFFu,
                          CaretNone, 0);
        }
        glyphs += GlyphQueues.queues[0].count;
        MarkGlyphQueue();
        DrawGlyphsToMark();
        DrawGlyphsFromMark();
    }
    EndDeviceScene();
    state.counters["glyphs/s"] = benchmark::Counter(static_cast<double>(glyphs), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawMenuText);

} // namespace
