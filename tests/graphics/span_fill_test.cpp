// The software span filler: triangles checked pixel for pixel against an
// independent rasteriser (span_fill_reference.py, with Pillow), a mesh of
// triangles that must cover every pixel exactly once, spans at every
// alignment, and the limits no fill may cross.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "graphics/local.h"
#include "graphics/services.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

constexpr int Side = 40;

struct Triangle {
    int x[3], y[3];
};

class SpanFillTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGraphicsTables(); }
    void TearDown() override { ResetGraphicsTables(); }

    // The image after filling one triangle into a cleared one: 1 filled.
    static std::vector<uint8_t> Fill(const Triangle& t)
    {
        ClearImage16(0);
        FillTriangle16(t.x, t.y, 0xFFFF);
        std::vector<uint8_t> filled(size_t(Side) * Side);
        const uint16_t* pixels = OffscreenImagePixels();
        for (size_t i = 0; i < filled.size(); ++i)
            filled[i] = pixels[i] != 0 ? 1 : 0;
        return filled;
    }
};

// Triangles of every kind: random corners anywhere (also outside the
// image), corners on pixel centres and on pixel corners, flat tops and
// bottoms, slivers, degenerate ones.
std::vector<Triangle> CaseTriangles()
{
    std::vector<Triangle> cases = {
        {{8, 80, 8}, {8, 8, 80}},          // right angle at the top left
        {{2, 42, 22}, {2, 2, 42}},         // corners on pixel centres
        {{0, 40, 40}, {0, 0, 40}},         // corners on pixel corners
        {{10, 150, 60}, {20, 20, 21}},     // nearly flat
        {{60, 61, 62}, {0, 150, 3}},       // a sliver
        {{10, 50, 90}, {10, 50, 90}},      // degenerate: a line
        {{-100, 300, 80}, {-50, 40, 250}}, // beyond every side of the image
        {{30, 30, 30}, {30, 30, 30}},      // a point
    };
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anywhere(-20, 4 * Side + 20), onCentre(0, Side - 1), coin(0, 1);
    for (int i = 0; i < 150; ++i) {
        Triangle t;
        for (int k = 0; k < 3; ++k) {
            if (i % 3 == 0) {  // on centres or corners of pixels, where ties happen
                t.x[k] = 4 * onCentre(random) + 2 * coin(random);
                t.y[k] = 4 * onCentre(random) + 2 * coin(random);
            } else {
                t.x[k] = anywhere(random);
                t.y[k] = anywhere(random);
            }
        }
        cases.push_back(t);
    }
    return cases;
}

TEST_F(SpanFillTest, TrianglesMatchAnIndependentRasteriserPixelForPixel)
{
    BeginOffscreenImage16(Side);
    ASSERT_EQ(OffscreenImageSize(), Side);
    std::vector<Triangle> cases = CaseTriangles();
    TempFolder folder;
    std::string caseText = std::to_string(Side) + " " + std::to_string(Side) + " " + std::to_string(cases.size()) + "\n";
    std::string pictures;
    for (const Triangle& t : cases) {
        char line[96];
        std::snprintf(line, sizeof line, "%d %d %d %d %d %d\n", t.x[0], t.y[0], t.x[1], t.y[1], t.x[2], t.y[2]);
        caseText += line;
        std::vector<uint8_t> filled = Fill(t);
        pictures.append(filled.begin(), filled.end());
    }
    EndOffscreenImage16();
    folder.WriteFile("cases.txt", caseText);
    folder.WriteFile("pictures.bin", pictures);
    ProcessResult result = RunProcess(QV_DEBIAN_PYTHON, {QV_SOURCE_DIR "/tests/graphics/span_fill_reference.py",
                                                         "cases.txt", "pictures.bin"},
                                      folder.Path());
    EXPECT_EQ(result.exitCode, 0) << result.output;
}

// A rectangle cut into triangles around inner points: every pixel inside
// is filled once, none twice, none outside.
TEST_F(SpanFillTest, TrianglesSharingEdgesCoverEveryPixelOnce)
{
    BeginOffscreenImage16(Side);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> jitter(-5, 5);
    // A 5 x 5 grid of points 32 quarter pixels apart, inner ones moved.
    constexpr int Grid = 5, Step = 32, Origin = 6;
    int px[Grid][Grid], py[Grid][Grid];
    for (int j = 0; j < Grid; ++j)
        for (int i = 0; i < Grid; ++i) {
            bool inner = i > 0 && j > 0 && i < Grid - 1 && j < Grid - 1;
            px[j][i] = Origin + i * Step + (inner ? jitter(random) : 0);
            py[j][i] = Origin + j * Step + (inner ? jitter(random) : 0);
        }
    std::vector<int> count(size_t(Side) * Side, 0);
    for (int j = 0; j + 1 < Grid; ++j)
        for (int i = 0; i + 1 < Grid; ++i) {
            // Each cell in two triangles, the diagonal alternating: corners
            // 0 to 3 are the cell's top left, top right, bottom right and
            // bottom left.
            const int corner[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
            const bool flip = (i + j) % 2 != 0;
            const int halves[2][3] = {{0, 1, flip ? 2 : 3}, {flip ? 0 : 1, 2, 3}};
            for (const auto& half : halves) {
                Triangle t;
                for (int k = 0; k < 3; ++k) {
                    t.x[k] = px[corner[half[k]][1]][corner[half[k]][0]];
                    t.y[k] = py[corner[half[k]][1]][corner[half[k]][0]];
                }
                std::vector<uint8_t> filled = Fill(t);
                for (size_t n = 0; n < filled.size(); ++n)
                    count[n] += filled[n];
            }
        }
    EndOffscreenImage16();
    // Inside the rectangle's edges (centres 4 n + 2 from 6 to 134): columns
    // and rows 1 to 32.
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            int centre = 4 * x + 2;
            int cy = 4 * y + 2;
            bool inside = centre >= Origin && centre < Origin + (Grid - 1) * Step && cy >= Origin &&
                          cy < Origin + (Grid - 1) * Step;
            EXPECT_EQ(count[size_t(y) * Side + x], inside ? 1 : 0) << x << "," << y;
        }
}

// Spans fill exactly left .. right - 1 whatever the alignment of either
// end, held to the image and the window rows; without an image or outside
// it nothing is written.
TEST_F(SpanFillTest, SpansFillTheirColumnsAtEveryAlignmentAndStayInside)
{
    const struct {
        const char* what;
        int row, left, right;
        int windowTop, windowBottom;
        int firstFilled, endFilled;  // columns filled in the row, end exclusive
    } cases[] = {
        {"even start, even end", 3, 2, 10, 0, 15, 2, 10},
        {"odd start, odd end", 3, 3, 11, 0, 15, 3, 11},
        {"odd start, even end", 3, 5, 8, 0, 15, 5, 8},
        {"one texel", 3, 7, 8, 0, 15, 7, 8},
        {"empty", 3, 9, 9, 0, 15, 0, 0},
        {"reversed", 3, 9, 4, 0, 15, 0, 0},
        {"beyond both sides", 3, -8, 40, 0, 15, 0, 16},
        {"row above the window", 3, 0, 16, 4, 15, 0, 0},
        {"row below the window", 3, 0, 16, 0, 2, 0, 0},
        {"row below the image", 16, 0, 16, 0, 40, 0, 0},
        {"row above the image", -1, 0, 16, -5, 15, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BeginOffscreenImage16(16);
        SetFillWindowRows(c.windowTop, c.windowBottom);
        SetFillColour16(0xABCD);
        SetFillRow(c.row);
        FillSpan16(c.left, c.right);
        const uint16_t* pixels = OffscreenImagePixels();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                bool want = y == c.row && x >= c.firstFilled && x < c.endFilled;
                EXPECT_EQ(pixels[y * 16 + x], want ? 0xABCD : 0) << x << "," << y;
            }
        EndOffscreenImage16();
    }
    // No image: the screen is the target and nothing is filled.
    SetSoftwareTarget(600, nullptr);
    SetFillColour16(1);
    SetFillRow(0);
    FillSpan16(0, 100);
    const int t[3] = {0, 400, 0};
    FillTriangle16(t, t, 1);
    EXPECT_EQ(OffscreenImagePixels(), nullptr);
}

// Corners at the ends of the int range (a far point of a glyph) fill what
// lies in the image and nothing beyond; a window cuts rows off; a second
// begin while an image is open is refused and the first image stays.
TEST_F(SpanFillTest, FarCornersWindowsAndNestedImagesStayInBounds)
{
    BeginOffscreenImage16(Side);
    const int x[3] = {INT_MIN, INT_MAX, 80}, y[3] = {80, 80, INT_MAX};
    FillTriangle16(x, y, 7);
    const uint16_t* pixels = OffscreenImagePixels();
    for (int row = 0; row < Side; ++row)
        for (int column = 0; column < Side; ++column)
            EXPECT_EQ(pixels[row * Side + column], row >= 20 ? 7 : 0) << column << "," << row;

    ClearImage16(0);
    SetFillWindowRows(5, 9);
    const int sx[3] = {0, 160, 0}, sy[3] = {0, 0, 160};
    FillTriangle16(sx, sy, 3);
    int rowsFilled = 0;
    for (int row = 0; row < Side; ++row)
        rowsFilled += pixels[row * Side] == 3 ? 1 : 0;
    EXPECT_EQ(rowsFilled, 5);
    EXPECT_EQ(pixels[4 * Side], 0);
    EXPECT_EQ(pixels[10 * Side], 0);

    BeginOffscreenImage16(8);  // refused: the first image stays the target
    EXPECT_EQ(OffscreenImageSize(), Side);
    EndOffscreenImage16();
    EXPECT_EQ(OffscreenImageSize(), 0);
    EndOffscreenImage16();  // nothing open: nothing happens
    EXPECT_EQ(OffscreenImagePixels(), nullptr);
}

} // namespace
