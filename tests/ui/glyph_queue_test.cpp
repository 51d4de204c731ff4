// The glyph queues drawn on the null device, read back from its record of
// draws: glyph styles, the two layers around the mark, the limits of the
// untextured quads, a missing texture, and name tags in view space.
#include <cstring>
#include <filesystem>

#include "text_fixture.h"

namespace {

class GlyphQueueTest : public DrawnTextTest {
protected:
    // Screen units to the device's pixels.
    static float PixelY(float y) { return (y + 1) * static_cast<float>(DeviceHeight()) / 2; }
    static float PixelX(float x) { return (x + 1) * static_cast<float>(DeviceWidth()) / 2; }
};

// Style 50 shows a glyph's lower half, -50 its upper half, 127 moves it
// right by the glyph shift: the quad and its texture rectangle alike.
TEST_F(GlyphQueueTest, StylesCutOrShiftTheGlyphAndItsTextureAlike)
{
    const int slot = Slot(0, 'H');
    const GlyphSlot& g = CharacterMap.glyphs[slot];
    SetGlyphShift(0.25f);
    for (int style : {0, 50, -50, 127})
        QueueGlyph(slot, 0, -0.5f, 0.2f, 0.4f, style, 0xFFFFFFFFu, 0xFFFFFFFFu);
    DrawGlyphQueue(FontTextureCount, 0);
    std::vector<std::vector<Vertex>> draws = RecordedDraws();
    ASSERT_EQ(draws.size(), 1u);
    ASSERT_EQ(draws[0].size(), 4u * 6);  // four quads of two triangles
    auto quad = [&](int n) {
        float top = 1e9f, bottom = -1e9f, left = 1e9f, vTop = 1e9f, vBottom = -1e9f;
        for (int k = 0; k < 6; ++k) {
            const Vertex& v = draws[0][size_t(n * 6 + k)];
            top = std::min(top, v.y), bottom = std::max(bottom, v.y), left = std::min(left, v.x);
            vTop = std::min(vTop, v.v), vBottom = std::max(vBottom, v.v);
        }
        return std::array<float, 5>{top, bottom, left, vTop, vBottom};
    };
    const auto plain = quad(0), lower = quad(1), upper = quad(2), shifted = quad(3);
    const float height = PixelY(-0.1f) - PixelY(-0.5f), vHeight = g.vBottom - g.vTop;
    EXPECT_NEAR(plain[0], PixelY(-0.5f), 1e-3);
    EXPECT_NEAR(plain[3], g.vTop, 1e-6);
    EXPECT_NEAR(lower[0], plain[0] + height / 2, 1e-3);
    EXPECT_NEAR(lower[1], plain[1], 1e-3);
    EXPECT_NEAR(lower[3], g.vTop + vHeight / 2, 1e-6);
    EXPECT_NEAR(upper[0], plain[0], 1e-3);
    EXPECT_NEAR(upper[1], plain[0] + height / 2, 1e-3);
    EXPECT_NEAR(upper[4], g.vTop + vHeight / 2, 1e-6);
    EXPECT_NEAR(shifted[2], plain[2] + PixelX(0.25f) - PixelX(0), 1e-3);
    EXPECT_EQ(GlyphQueues.queues[0].count, 0);
}

// Glyphs queued before the mark are drawn by DrawGlyphsToMark, under what
// is drawn next; those after it by DrawGlyphsFromMark, over it.
TEST_F(GlyphQueueTest, TwoLayersLieUnderAndOverWhatIsDrawnBetweenThem)
{
    QueueGlyph(Slot(0, 'A'), -0.5f, 0, 0.1f, 0.2f, 0, 0xFF0000FFu, 0xFF0000FFu);
    MarkGlyphQueue();
    QueueGlyph(Slot(0, 'B'), 0.5f, 0, 0.1f, 0.2f, 0, 0xFFFF0000u, 0xFFFF0000u);
    DrawGlyphsToMark();
    BeginScreenBatch(nullptr);  // a box between the layers
    AddBatchQuad(AddScreenVertex(-1, -1, 0, 0, 0xFF00FF00u), AddScreenVertex(1, -1, 0, 0, 0xFF00FF00u),
                 AddScreenVertex(1, 1, 0, 0, 0xFF00FF00u), AddScreenVertex(-1, 1, 0, 0, 0xFF00FF00u));
    EndScreenBatch();
    DrawGlyphsFromMark();
    std::vector<std::vector<Vertex>> draws = RecordedDraws();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0][0].colour, 0xFF0000FFu);
    EXPECT_EQ(draws[1][0].colour, 0xFF00FF00u);
    EXPECT_EQ(draws[2][0].colour, 0xFFFF0000u);
    EXPECT_EQ(GlyphQueues.queues[0].count, 0);
}

// A frame holds 256 coloured and 8 flat quads; more are ignored. Both are
// emptied when drawn.
TEST_F(GlyphQueueTest, UntexturedQuadsStopAtTheirLimits)
{
    // The needle-centre picture of flat quads, from the default data.
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(DefaultGame());
    ASSERT_NE(GetMaterial("NDLCTRALPHA", 0, 0, 1, 0, 0, nullptr)->texture, nullptr);
    std::filesystem::current_path(here);
    platform::NullGfxClearCalls();
    for (int i = 0; i < 257; ++i)
        QueueColouredQuad(0, 0, 0.1f, 0, 0.1f, 0.1f, 0, 0.1f, 0xFF112233u);
    for (int i = 0; i < 9; ++i)
        QueueFlatQuad(0, 0, 0.1f, 0.1f, 0xFF445566u);
    DrawGlyphQueue(FontTextureCount, 0);
    std::vector<std::vector<Vertex>> draws = RecordedDraws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].size(), 256u * 6);
    EXPECT_EQ(draws[0][0].colour, 0xFF112233u);
    EXPECT_EQ(draws[1].size(), 8u * 6);
    EXPECT_EQ(draws[1][0].colour, 0xFF445566u);
    DrawGlyphQueue(FontTextureCount, 0);
    EXPECT_TRUE(RecordedDraws().empty());
}

// A texture that does not exist leaves its glyphs undrawn; the others are
// drawn, and the queue is emptied all the same (it would otherwise fill up
// and stop all text).
TEST_F(GlyphQueueTest, AMissingTextureDropsOnlyItsGlyphsAndTheQueueEmpties)
{
    QueueGlyph(Slot(0, 'A'), 0, 0, 0.1f, 0.2f, 0, 0xFFFFFFFFu, 0xFFFFFFFFu);
    GlyphQuad orphan;
    orphan.texture = FirstCacheTexture + 3;  // a cache that does not exist
    orphan.glyph = 3 * CacheCellCount;
    ASSERT_TRUE(QueueDoubleByteGlyph(orphan));
    QueueGlyph(Slot(0, 'B'), 0.2f, 0, 0.1f, 0.2f, 0, 0xFFFFFFFFu, 0xFFFFFFFFu);
    DrawGlyphQueue(FirstCacheTexture + 4, 0);
    std::vector<std::vector<Vertex>> draws = RecordedDraws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].size(), 2u * 6);
    EXPECT_EQ(GlyphQueues.queues[0].count, 0);
}

// A name tag in view space: y up, running right to left when mirrored with
// its quads wound the other way.
TEST_F(GlyphQueueTest, NameTagsRunRightToLeftWhenMirrored)
{
    DrawWorldText("AB", 1, 2, 5, 0.7f, 0.23f, 0xFFFFFFFFu, 0, 0);
    std::vector<std::vector<Vertex>> plain = RecordedDraws();
    DrawWorldText("AB", 1, 2, 5, 0.7f, 0.23f, 0xFFFFFFFFu, 1, 0);
    std::vector<std::vector<Vertex>> mirrored = RecordedDraws();
    ASSERT_EQ(plain.size(), 1u);
    ASSERT_EQ(mirrored.size(), 1u);
    ASSERT_EQ(plain[0].size(), 12u);
    const float advanceA = (CharacterMap.glyphs[Slot(0, 'A')].width / 7 + 0.1f) * 0.7f;
    // Corners of A's first triangle: top left, top right, bottom right.
    EXPECT_FLOAT_EQ(plain[0][0].x, 1);
    EXPECT_FLOAT_EQ(plain[0][1].x, 1 + advanceA);
    EXPECT_FLOAT_EQ(plain[0][0].y, 2 - 0.03f);
    EXPECT_FLOAT_EQ(plain[0][2].y, 2 - 0.03f - 0.2f);
    EXPECT_FLOAT_EQ(plain[0][0].z, 5);
    // Mirrored: bottom left, bottom right, top right.
    EXPECT_FLOAT_EQ(mirrored[0][0].x, 1);
    EXPECT_FLOAT_EQ(mirrored[0][1].x, 1 - advanceA);
    EXPECT_FLOAT_EQ(mirrored[0][0].y, 2 - 0.03f - 0.2f);
    EXPECT_FLOAT_EQ(mirrored[0][2].y, 2 - 0.03f);
    EXPECT_EQ(GlyphQueues.queues[2].count, 0);
}

} // namespace
