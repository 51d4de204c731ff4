// What the text tests share: the default data folder the data builder
// makes (its character map loaded in SetUp), and the glyphs a drawn text
// queued.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/services.h"
#include "platform/gfx_null.h"
#include "support/built_game.h"
#include "ui/local.h"

// The default data folder, built once per test process.
inline const std::string& DefaultGame()
{
    static BuiltGame game("/tmp/qv_ui_text_");
    return game.path;
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetUiTables();
        ASSERT_FALSE(DefaultGame().empty()) << "the data builder failed";
        ASSERT_EQ(LoadCharacterMap((DefaultGame() + "/data/abc/qvn.abc").c_str()), 1);
        SelectGlyphQueue(0);
    }
    void TearDown() override { ResetUiTables(); }

    // The glyph slot of a byte in a page.
    static int Slot(int page, int byte) { return CharacterMap.codePages[page].chars[byte - 32].glyph; }

    // The quads of queue 0 after drawing the text alone.
    static std::vector<GlyphQuad> Queued(const char* text, int caret = CaretNone, int page = 0,
                                         uint32_t colour = 0xFF808080u)
    {
        EmptyGlyphQueues();
        DrawTextAt(text, 0, 0, 0.1f, 0.2f, 0, colour, colour, caret, page);
        const GlyphQueue& queue = GlyphQueues.queues[0];
        return {queue.glyphs.begin(), queue.glyphs.begin() + queue.count};
    }
};

// A vertex of the screen batch as the null device recorded it.
struct Vertex {
    float x, y, z, w;
    uint32_t colour;
    float u, v;
};

// Each draw of the record as its triangles' corners, in index order.
inline std::vector<std::vector<Vertex>> RecordedDraws()
{
    std::vector<std::vector<Vertex>> draws;
    for (const platform::GfxCall& call : platform::NullGfxCalls()) {
        if (call.kind != platform::GfxCallKind::DrawIndexedPrimitive)
            continue;
        std::vector<Vertex> corners;
        for (uint32_t index : call.indices) {
            Vertex v{};
            const size_t at = size_t(index - call.args[1]) * call.stride;  // minus the first vertex used
            std::memcpy(&v, call.vertexBytes.data() + at, sizeof v < call.stride ? sizeof v : call.stride);
            corners.push_back(v);
        }
        draws.push_back(corners);
    }
    platform::NullGfxClearCalls();
    return draws;
}

// The same with a device of the null back end recording its draws, its
// scene begun, and the font textures made.
class DrawnTextTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        ResetGraphicsTables();
        platform::ResetNullGfx();
        ASSERT_EQ(PreInitDirect3D(1, -1, 0, 0, 0), 0);
        ASSERT_EQ(CreateRenderDevice(nullptr, 0, -1), 0);
        ASSERT_EQ(CreateFontTextures(), FontTextureCount);
        SetScreenScale(0, 0, 0, 1, 1);
        BeginDeviceScene();
        platform::NullGfxRecord(true);
        platform::NullGfxClearCalls();
    }
    void TearDown() override
    {
        platform::ResetNullGfx();
        ResetUiTables();
        ResetGraphicsTables();
    }
};
