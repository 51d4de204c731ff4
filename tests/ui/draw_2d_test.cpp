// The 2D layer drawn on the null device and read back from its record of
// draws: the border a box gets by its size and where it meets the screen's
// edge, slider thumbs kept inside their box, the quad batch's limit, and
// nothing drawn while quitting.
#include <algorithm>
#include <cmath>
#include <set>

#include "text_fixture.h"

namespace {

class Draw2DTest : public DrawnTextTest {
protected:
    void SetUp() override
    {
        DrawnTextTest::SetUp();
        DisplayPassRecord pass;
        pass.aspectHW = static_cast<float>(DeviceHeight()) / static_cast<float>(DeviceWidth());
        SetDisplayPass(pass);
    }
    static float PixelX(float x) { return (x + 1) * static_cast<float>(DeviceWidth()) / 2; }
    static float PixelY(float y) { return (y + 1) * static_cast<float>(DeviceHeight()) / 2; }

    // The distinct x (or y) positions of every corner drawn, in pixels.
    static std::vector<float> Lines(const std::vector<std::vector<Vertex>>& draws, bool alongX)
    {
        std::set<float> lines;
        for (const std::vector<Vertex>& draw : draws)
            for (const Vertex& v : draw)
                lines.insert(std::round((alongX ? v.x : v.y) * 4) / 4);
        return {lines.begin(), lines.end()};
    }
    static void ExpectLines(const std::vector<float>& lines, const std::vector<float>& expected)
    {
        ASSERT_EQ(lines.size(), expected.size());
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_NEAR(lines[i], expected[i], 0.6f) << "line " << i;
    }
};

// Boxes lower than 0.099 take the small texture's border of 0.008, others
// 0.016; horizontal borders are as many pixels as the vertical ones.
TEST_F(Draw2DTest, ABoxsBorderFollowsItsSize)
{
    struct Case {
        float y1, y2, border;
    };
    for (const Case& c : std::vector<Case>{{-0.5f, -0.45f, 0.008f}, {-0.5f, -0.3f, 0.016f}}) {
        SCOPED_TRACE(c.y2 - c.y1);
        DrawBox(ColourRecord{200, 200, 200, 0}, 0, -0.5f, c.y1, 0.5f, c.y2, 0, 0);
        FlushQuadBatch();
        const std::vector<std::vector<Vertex>> draws = RecordedDraws();
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].size(), 9u * 6) << "a nine-patch";
        ExpectLines(Lines(draws, false), {PixelY(c.y1), PixelY(c.y1 + c.border), PixelY(c.y2 - c.border), PixelY(c.y2)});
        const float borderPixels = PixelY(c.y1 + c.border) - PixelY(c.y1);
        ExpectLines(Lines(draws, true),
                    {PixelX(-0.5f), PixelX(-0.5f) + borderPixels, PixelX(0.5f) - borderPixels, PixelX(0.5f)});
    }
}

TEST_F(Draw2DTest, ABoxOnTheScreensEdgeHasNoBorderThereAndALowBoxIsOneQuad)
{
    DrawBox(ColourRecord{}, 0, -1.0f, -0.5f, 0.5f, -0.3f, 0, 0);
    FlushQuadBatch();
    std::vector<std::vector<Vertex>> draws = RecordedDraws();
    ASSERT_EQ(draws.size(), 1u);
    const std::vector<float> xs = Lines(draws, true);
    EXPECT_NEAR(xs.front(), 0.0f, 0.01f) << "reaches the screen's left edge";
    EXPECT_EQ(xs.size(), 3u) << "the left border has no width";
    for (const Vertex& v : draws[0]) {
        if (v.x < 0.5f) {
            EXPECT_NEAR(v.u, 0.49f, 1e-6f) << "the edge shows the texture's middle";
        }
    }

    DrawBox(ColourRecord{}, 0, -0.5f, -0.5f, 0.5f, -0.49f, 0, 0);
    FlushQuadBatch();
    draws = RecordedDraws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].size(), 6u) << "too low for borders: one quad";
}

// The thumb's middle is where the value lies between the limits, kept 0.01
// inside the box; equal limits put it at the low end.
TEST_F(Draw2DTest, SliderThumbsStayInsideTheirBox)
{
    struct Case {
        float value, minimum, maximum, thumbX;
    };
    for (const Case& c : std::vector<Case>{{-5, 0, 10, -0.49f}, {5, 0, 10, 0.0f}, {50, 0, 10, 0.49f}, {3, 2, 2, -0.49f}}) {
        SCOPED_TRACE(c.value);
        ClearDisplayList();
        float value = c.value;
        AddUiItem(nullptr, -0.5f, -0.1f, 0.5f, 0.1f, UiWord(&value), UiWord(c.minimum), UiWord(c.maximum),
                  UiWord("%.1f"), UiFloatSlider, nullptr, nullptr);
        DrawUiItemBoxes(0);
        const std::vector<std::vector<Vertex>> draws = RecordedDraws();
        ASSERT_FALSE(draws.empty());
        // The thumb is the last draw: three bands across its width, as it is
        // narrower than its borders.
        const std::vector<Vertex>& last = draws.back();
        ASSERT_GE(last.size(), 6u);
        float left = 1e9f, right = -1e9f;
        for (size_t i = last.size() - 6; i < last.size(); ++i) {
            left = std::min(left, last[i].x);
            right = std::max(right, last[i].x);
        }
        EXPECT_NEAR((left + right) / 2, PixelX(c.thumbX), 0.6f);
    }
}

TEST_F(Draw2DTest, ManyBoxesAreDrawnInBatchesOf128)
{
    for (int i = 0; i < 200; ++i)
        AddUiItem(nullptr, -0.5f, -0.5f, 0.5f, -0.3f, UiWord(0), UiWord(""), UiWord(0), UiWord(), UiParamButton,
                  nullptr, nullptr);
    DrawUiItemBoxes(0);
    const std::vector<std::vector<Vertex>> draws = RecordedDraws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].size(), 128u * 9 * 6);
    EXPECT_EQ(draws[1].size(), 72u * 9 * 6);
}

TEST_F(Draw2DTest, NothingIsDrawnWhileQuitting)
{
    AddUiItem(nullptr, -0.5f, -0.5f, 0.5f, -0.3f, UiWord(0), UiWord("quit"), UiWord(0), UiWord(), UiParamButton,
              nullptr, nullptr);
    SetQuitState(1);
    Draw2DLayer();
    EXPECT_TRUE(RecordedDraws().empty());
    SetQuitState(0);
    Draw2DLayer();
    EXPECT_FALSE(RecordedDraws().empty());
}

} // namespace
