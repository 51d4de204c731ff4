// The character map: the default map drawn into a picture and looked at,
// damaged files refused, the writer, glyph preparation, curved strokes,
// the texture layout and the choice of code pages.
#include <gtest/gtest.h>

#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_folder.h"
#include "ui/local.h"

namespace {

// ---------------------------------------------------------------------------
// A grey picture that glyph triangles are filled into: a pixel is inside a
// triangle when its centre is (corners in quarter pixels).

struct Picture {
    int width, height;
    std::vector<uint8_t> pixels;  // 0 white .. 255 ink
    Picture(int w, int h) : width(w), height(h), pixels(size_t(w) * h, 0) {}

    void FillTriangle(const int qx[3], const int qy[3], const std::function<void(int, int)>& hit)
    {
        double x[3], y[3];
        for (int i = 0; i < 3; i++)
            x[i] = qx[i] / 4.0, y[i] = qy[i] / 4.0;
        double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
        if (area == 0)
            return;
        int x0 = static_cast<int>(std::floor(std::fmin(x[0], std::fmin(x[1], x[2]))));
        int x1 = static_cast<int>(std::ceil(std::fmax(x[0], std::fmax(x[1], x[2]))));
        int y0 = static_cast<int>(std::floor(std::fmin(y[0], std::fmin(y[1], y[2]))));
        int y1 = static_cast<int>(std::ceil(std::fmax(y[0], std::fmax(y[1], y[2]))));
        for (int py = y0; py <= y1; py++)
            for (int px = x0; px <= x1; px++) {
                double cx = px + 0.5, cy = py + 0.5;
                double w0 = (x[1] - x[0]) * (cy - y[0]) - (cx - x[0]) * (y[1] - y[0]);
                double w1 = (x[2] - x[1]) * (cy - y[1]) - (cx - x[1]) * (y[2] - y[1]);
                double w2 = (x[0] - x[2]) * (cy - y[2]) - (cx - x[2]) * (y[0] - y[2]);
                bool inside = area > 0 ? (w0 >= 0 && w1 >= 0 && w2 >= 0) : (w0 <= 0 && w1 <= 0 && w2 <= 0);
                if (!inside)
                    continue;
                hit(px, py);
                if (px >= 0 && py >= 0 && px < width && py < height)
                    pixels[size_t(py) * width + px] = 255;
            }
    }

    // Written through libpng as an 8-bit grey picture, ink black.
    bool SavePng(const std::string& path) const
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return false;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            png_destroy_write_struct(&png, &info);
            std::fclose(file);
            return false;
        }
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<uint8_t> row(width);
        for (int y = 0; y < height; y++) {
            for (int x = 0; x < width; x++)
                row[x] = static_cast<uint8_t>(255 - pixels[size_t(y) * width + x]);
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        return std::fclose(file) == 0;
    }
};

struct SinkContext {
    Picture* picture;
    std::function<void(int, int)> hit;
};
void SinkIntoPicture(void* context, const int x[3], const int y[3])
{
    auto* c = static_cast<SinkContext*>(context);
    c->picture->FillTriangle(x, y, c->hit);
}

// The default data folder made by the data builder, once per test process
// in a folder of its own (test processes run side by side), removed when
// the process ends.
struct BuiltDataFolder {
    std::string path;
    BuiltDataFolder()
    {
        char pattern[] = "/tmp/qv_ui_data_XXXXXX";
        if (mkdtemp(pattern))
            path = pattern;
    }
    ~BuiltDataFolder()
    {
        std::error_code error;
        if (!path.empty())
            std::filesystem::remove_all(path, error);
    }
};
std::string DefaultDataFolder()
{
    static BuiltDataFolder folder;
    static bool built = false;
    if (!built && !folder.path.empty()) {
        ProcessResult result = RunProcess(std::string(QV_BINARY_DIR) + "/bin/mkdata", {folder.path}, folder.path);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        built = true;
    }
    return folder.path;
}

class CharMapTest : public ::testing::Test {
protected:
    void SetUp() override { ResetUiTables(); }
    void TearDown() override { ResetUiTables(); }
};

// One code page of the loaded map drawn into a picture, 16 characters a
// row in cells of 56 by 72 pixels (7 by 9 units at 8 pixels a unit). Each
// byte's glyph is drawn with its accent overlay; an overlay raised to the
// line's top may use the line's 3 parts above the glyph's 20. The lead
// bytes of a double-byte page are no characters of their own and stay
// empty.
struct PageDrawing {
    static constexpr int Columns = 16, CellW = 56, CellH = 72;
    static constexpr int RaisedRows = CellH * 3 / 20;
    Picture picture{Columns * CellW, CodePageCharCount / Columns * CellH + RaisedRows};
    int outside = 0;                    // pixels drawn outside their glyph's box
    int leadBytes = 0;
    std::vector<std::vector<uint8_t>> cells;  // each byte's own picture, 32 to 255
    std::vector<int> ink;               // pixels drawn per byte

    static bool IsLead(int b, const CharEntry& entry)
    {
        return b >= 128 && (entry.flags & (CharLeadWithPage | CharLeadWithoutPage)) != 0;
    }

    explicit PageDrawing(int page)
    {
        for (int b = 32; b < 256; b++) {
            const CharEntry& entry = CharacterMap.codePages[page].chars[b - 32];
            std::vector<uint8_t> own(size_t(CellW) * (CellH + RaisedRows), 0);
            if (IsLead(b, entry)) {
                leadBytes++;
                cells.push_back(own);
                ink.push_back(0);
                continue;
            }
            const GlyphSlot& glyph = CharacterMap.glyphs[entry.glyph < GlyphSlotCount ? entry.glyph : 95];
            int left = (b - 32) % Columns * CellW, top = RaisedRows + (b - 32) / Columns * CellH;
            // The glyph's own box: its width across, the 9 units up (and
            // the line's top above them for a raised overlay).
            int right = left + static_cast<int>(std::ceil(CellW * glyph.width / 7));
            const int raise = entry.overlay != 0 && entry.flags != 0 ? RaisedRows : 0;
            int drawn = 0;
            SinkContext context{&picture, [&](int px, int py) {
                                    if (px < left || px > right || py < top - raise || py >= top + CellH)
                                        outside++;
                                    else if (px < left + CellW) {
                                        uint8_t& at = own[size_t(py - top + RaisedRows) * CellW + (px - left)];
                                        drawn += at == 0;
                                        at = 255;
                                    }
                                }};
            auto emit = [&](const GlyphSlot& shape, int shapeTop) {
                float x = 2.0f * left / picture.width - 1, y = 2.0f * shapeTop / picture.height - 1;
                EmitGlyphTriangles(shape, x, y, 2.0f * CellW / picture.width, 2.0f * CellH / picture.height,
                                   picture.width, picture.height, SinkIntoPicture, &context);
            };
            emit(glyph, top);
            if (entry.overlay != 0)
                emit(CharacterMap.glyphs[entry.overlay], top - raise);
            cells.push_back(own);
            ink.push_back(drawn);
        }
    }
};

TEST_F(CharMapTest, DefaultMapDrawsEveryCharacterOfLatin1InsideItsCell)
{
    std::string map = DefaultDataFolder() + "/data/abc/qvn.abc";
    ASSERT_EQ(LoadCharacterMap(map.c_str()), 1);
    ASSERT_EQ(CharacterMap.codePageCount, 11);
    ASSERT_EQ(CharacterMap.codePages[0].number, 1252);

    PageDrawing drawing(0);
    // Pictures by a hash of their pixels, to the first byte drawing it.
    auto hashOf = [](const std::vector<uint8_t>& pixels) {
        uint64_t h = 1469598103934665603u;
        for (uint8_t p : pixels)
            h = (h ^ p) * 1099511628211u;
        return h;
    };
    std::map<uint64_t, int> shapes;
    std::vector<std::pair<int, int>> alike;
    for (int b = 32; b < 256; b++) {
        const CharEntry& entry = CharacterMap.codePages[0].chars[b - 32];
        int ink = drawing.ink[b - 32];
        if (b == ' ' || b == 0xA0) {
            EXPECT_EQ(ink, 0) << "byte " << b;
            continue;
        }
        bool defined = !(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D);
        EXPECT_EQ(entry.glyph == 95, !defined || b == 127) << "byte " << b;
        EXPECT_GT(ink, 8) << "byte " << b << " draws nothing";
        uint64_t hash = hashOf(drawing.cells[b - 32]);
        if (defined && b != 127 && !shapes.emplace(hash, b).second)
            alike.push_back({shapes[hash], b});
    }
    EXPECT_EQ(drawing.outside, 0) << "pixels drawn outside their glyph's cell";
    // Every defined character looks different from every other, but for
    // capital I and small l, one stroke each in this face, and the quotes
    // that are the same marks as the plain apostrophe, grave and comma.
    const std::vector<std::pair<int, int>> sameMarks = {{'I', 'l'}, {',', 0x82}, {'`', 0x91}, {'\'', 0x92}};
    EXPECT_EQ(alike, sameMarks);

    std::string png = std::string(QV_BINARY_DIR) + "/char_map_page0.png";
    ASSERT_TRUE(drawing.picture.SavePng(png));
    std::printf("picture of code page 0: %s\n", png.c_str());
}

// Every page the program draws with: the other single-byte pages, the
// single bytes of the double-byte pages (their ASCII; their lead bytes
// only begin a character the system's fonts draw) and the symbol page that
// display-list items name by number. Every printable byte draws inside its
// cell; the single-byte pages have their own letters in the upper half.
TEST_F(CharMapTest, DefaultMapDrawsEveryPrintableByteOfEveryPageInsideItsCell)
{
    std::string map = DefaultDataFolder() + "/data/abc/qvn.abc";
    ASSERT_EQ(LoadCharacterMap(map.c_str()), 1);
    ASSERT_EQ(CharacterMap.codePageCount, SearchedCodePages + 1);
    const struct {
        int page;
        int number;
        bool doubleByte;
    } pages[] = {
        {1, 1250, false}, {2, 1254, false}, {3, 1257, false}, {4, 932, true},  {5, 1251, false},
        {6, 1253, false}, {7, 950, true},   {8, 936, true},   {9, 949, true},  {10, 0, false},
    };
    const PageDrawing latin1(0);
    for (const auto& p : pages) {
        SCOPED_TRACE("page " + std::to_string(p.page));
        EXPECT_EQ(CharacterMap.codePages[p.page].number, p.number);
        PageDrawing drawing(p.page);
        EXPECT_EQ(drawing.outside, 0) << "pixels drawn outside their glyph's cell";
        EXPECT_EQ(drawing.leadBytes > 0, p.doubleByte);
        for (int b = 33; b < 256; b++) {
            const CharEntry& entry = CharacterMap.codePages[p.page].chars[b - 32];
            if (b == 0xA0 || PageDrawing::IsLead(b, entry))
                continue;
            EXPECT_GT(drawing.ink[b - 32], 8) << "byte " << b << " draws nothing";
            if (b < 127 && (p.doubleByte || p.page == SearchedCodePages)) {
                EXPECT_EQ(drawing.cells[b - 32], latin1.cells[b - 32]) << "ASCII byte " << b;
            }
        }
        int letters = 0;
        for (int b = 0xC0; b < 256; b++) {
            const CharEntry& entry = CharacterMap.codePages[p.page].chars[b - 32];
            letters += !PageDrawing::IsLead(b, entry) && entry.glyph != 95 && drawing.ink[b - 32] > 8;
        }
        if (!p.doubleByte) {
            EXPECT_GE(letters, 60) << "the letters of the upper half";
        }
        std::string png = std::string(QV_BINARY_DIR) + "/char_map_page" + std::to_string(p.page) + ".png";
        EXPECT_TRUE(drawing.picture.SavePng(png));
    }
}

// ---------------------------------------------------------------------------
// Hand-made character-map files.

struct MapBytes {
    std::string s;
    void Byte(int v) { s.push_back(static_cast<char>(v)); }
    void Short(int v) { Byte(v & 0xFF), Byte((v >> 8) & 0xFF); }
    void Int(uint32_t v)
    {
        for (int i = 0; i < 4; i++)
            Byte((v >> (8 * i)) & 0xFF);
    }
    void Float(float f)
    {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        Int(bits);
    }
};

// The parts of a small map that the cases change.
struct SmallMap {
    int version = 251;
    int glyphCount = 3;
    std::vector<std::pair<float, float>> points = {{0, 0}, {2, 0}, {2, 9}, {0, 9}, {1, 4}};
    int edgeFirst = 0, edgeSecond = 3;     // edge 0; edge 1 is 1 to 2
    int trianglePoint = 2;                  // third corner of the triangle
    int ellipseCentre = 4;
    int curveEdgeB = 1;
    float curveAngle = 0;
    float pointX = 0;                       // x of point 0
    int pageCount = 2;
    uint32_t pageCountField = 2;
    int pageGlyph = 1;                      // glyph of byte 'A' in page 1
    int leadFlags = 0x10, leadPage = 0;     // byte 0x81 of page 1
    uint32_t extraCountField = 1;
    int pageNumbers[2] = {1252, 1251};
    bool cut = false;
};

std::string MakeMap(const SmallMap& m)
{
    MapBytes b;
    b.s = "ZKCHAR";
    b.Byte(m.version >> 8), b.Byte(m.version & 0xFF);
    b.Int(m.glyphCount);
    for (int g = 0; g < m.glyphCount; g++) {
        if (g != 1) {  // slots 0 and 2 are empty
            b.Int(0);
            b.Int(0);
            for (int i = 0; i < 100; i++)
                b.Byte(0);
            continue;
        }
        b.Int(static_cast<uint32_t>(m.points.size()));
        for (size_t i = 0; i < m.points.size(); i++) {
            b.Float(i == 0 ? m.pointX : m.points[i].first);
            b.Float(m.points[i].second);
        }
        b.Byte(2), b.Byte(1), b.Byte(1), b.Byte(1);
        b.Byte(m.edgeFirst), b.Byte(m.edgeSecond), b.Short(0);
        b.Byte(1), b.Byte(2), b.Short(0);
        b.Byte(0), b.Byte(1), b.Byte(m.trianglePoint), b.Byte(0);
        b.Byte(m.ellipseCentre), b.Byte(0), b.Byte(15), b.Byte(10);
        b.Byte(0), b.Byte(m.curveEdgeB), b.Byte(1), b.Byte(1);
        b.Float(m.curveAngle), b.Float(0), b.Float(0), b.Float(0);
        for (int i = 0; i < 100; i++)
            b.Byte(i);
    }
    b.Int(m.pageCountField);
    for (int p = 0; p < m.pageCount; p++) {
        b.Int(m.pageNumbers[p]);
        for (int c = 32; c < 256; c++) {
            int glyph = c == 'A' && p == 1 ? m.pageGlyph : 0;
            int flags = c == 0x81 && p == 1 ? m.leadFlags : 0;
            if (c == 0x81 && p == 1)
                glyph = m.leadPage;
            b.Short(glyph), b.Byte(0), b.Byte(flags);
        }
    }
    b.Int(m.extraCountField);
    for (int i = 0; i < 192; i++)
        b.Short(0x3000 + i);
    if (m.cut)
        b.s.resize(b.s.size() - 10);
    return b.s;
}

TEST_F(CharMapTest, SmallMapLoadsAndPreparesItsGlyphs)
{
    TempFolder folder;
    folder.WriteFile("map.abc", MakeMap(SmallMap{}));
    ASSERT_EQ(LoadCharacterMap("map.abc"), 1);
    const GlyphSlot& g = CharacterMap.glyphs[1];
    EXPECT_EQ(g.count, 5);
    // The ellipse reaches to 1 + 1.5 across, beyond every point.
    EXPECT_FLOAT_EQ(g.width, 2.5f);
    EXPECT_EQ(g.consoleWidth, 3);  // round(9 × 2.5 / 7)
    EXPECT_FLOAT_EQ(g.edges[0].angle, static_cast<float>(std::atan2(9.0, 0.0)));
    // Empty slots: up to 95 one unit wide, later ones like slot 95.
    EXPECT_EQ(CharacterMap.glyphs[0].width, 1);
    EXPECT_EQ(CharacterMap.glyphs[300].width, CharacterMap.glyphs[95].width);
    EXPECT_EQ(CharacterMap.codePages[1].chars['A' - 32].glyph, 1);
    EXPECT_EQ(CharacterMap.extraPages[0].owner, &CharacterMap.codePages[1]);
    EXPECT_EQ(CharacterMap.extraPages[0].chars[5].unicode, 0x3005);
    EXPECT_EQ(CharacterMap.extraPages[0].chars[5].cacheCell, -1);

    // The curved stroke runs from edge A's ends to edge B's ends.
    const GlyphCurve& c = g.curves[0];
    for (int side = 0; side < 2; side++) {
        Vec2 start = CurveSidePoint(g, c, side, 0), end = CurveSidePoint(g, c, side, 1);
        // Flag A set: side 0 starts at A's first point (0, 0); flag B set:
        // side 0 ends at B's second point (2, 9).
        Vec2 wantStart = side == 0 ? Vec2{0, 0} : Vec2{0, 9};
        Vec2 wantEnd = side == 0 ? Vec2{2, 9} : Vec2{2, 0};
        EXPECT_NEAR(start.x, wantStart.x, 1e-4) << side;
        EXPECT_NEAR(start.y, wantStart.y, 1e-4) << side;
        EXPECT_NEAR(end.x, wantEnd.x, 1e-4) << side;
        EXPECT_NEAR(end.y, wantEnd.y, 1e-4) << side;
    }

    // Shapes: one triangle, a fan of 24 for the ellipse, 2 × 7 for the curve.
    int triangles = 0;
    double ellipseArea = 0;
    auto count = [](void* context, const int x[3], const int y[3]) {
        auto* n = static_cast<std::pair<int*, double*>*>(context);
        (*n->first)++;
        *n->second += 0.5 * std::fabs(double(x[1] - x[0]) * (y[2] - y[0]) - double(x[2] - x[0]) * (y[1] - y[0]));
    };
    std::pair<int*, double*> counter{&triangles, &ellipseArea};
    GlyphSlot ellipseOnly;
    ellipseOnly.count = 1;
    ellipseOnly.pairs = new FloatPair[1]{{3.5f, 4.5f}};
    ellipseOnly.ellipseCount = 1;
    ellipseOnly.ellipses = new GlyphEllipse[1]{{0, 30, 20}};
    EmitGlyphTriangles(ellipseOnly, -1, -1, 2, 2, 700, 900, count, &counter);
    EXPECT_EQ(triangles, 24);
    // 24 triangles of the inscribed polygon: ½·24·rx·ry·sin(π/12), with
    // 100 pixels a unit, in quarter pixels squared.
    double want = 0.5 * 24 * 300 * 200 * std::sin(M_PI / 12) * 16;
    EXPECT_NEAR(ellipseArea, want, want * 0.01);
    triangles = 0;
    EmitGlyphTriangles(g, -1, -1, 2, 2, 700, 900, count, &counter);
    EXPECT_EQ(triangles, 1 + 24 + 14);
}

// A point far outside the cell (the file holds any finite number, and a
// stroke's end angles can throw its sides anywhere) lands at the edge of
// the int range, never past it; the console width stays 9 at most.
TEST_F(CharMapTest, PointsFarOutsideTheCellAreHeldToTheIntRange)
{
    // An image of 1000 by 1000 pixels and a cell of 2000 quarter pixels at
    // (2000, 2000): the cell's centre (3.5, 4.5) maps to (3000, 3000).
    const struct {
        const char* what;
        FloatPair point;
        int x, y;
    } cases[] = {
        {"far right", {1e30f, 4.5f}, INT32_MAX, 3000},
        {"far left", {-1e30f, 4.5f}, INT32_MIN, 3000},
        {"far below", {3.5f, -1e30f}, 3000, INT32_MAX},
        {"far above", {3.5f, 1e30f}, 3000, INT32_MIN},
        {"inside the range until the origin is added", {7516192.0f, 4.5f}, INT32_MAX, 3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GlyphSlot g[1];
        g[0].count = 3;
        g[0].pairs = new FloatPair[3]{c.point, {0, 0}, {7, 9}};
        g[0].triangleCount = 1;
        g[0].triangles = new GlyphTriangle[1]{{{0, 1, 2}}};
        int corner[2] = {};
        auto first = [](void* context, const int x[3], const int y[3]) {
            static_cast<int*>(context)[0] = x[0];
            static_cast<int*>(context)[1] = y[0];
        };
        EmitGlyphTriangles(g[0], 0, 0, 1, 1, 1000, 1000, first, corner);
        EXPECT_EQ(corner[0], c.x);
        EXPECT_EQ(corner[1], c.y);
        PrepareGlyphSlot(g, 0);
        EXPECT_EQ(g[0].consoleWidth, 9);  // at least 7 units wide
    }
}

TEST_F(CharMapTest, DamagedFilesAreRefusedAndKeepTheLoadedMap)
{
    TempFolder folder;
    folder.WriteFile("good.abc", MakeMap(SmallMap{}));
    struct Case {
        const char* what;
        std::function<void(SmallMap&)> change;
    };
    const Case cases[] = {
        {"an old version", [](SmallMap& m) { m.version = 250; }},
        {"more glyphs than slots", [](SmallMap& m) { m.glyphCount = 545; }},
        {"a negative glyph count", [](SmallMap& m) { m.glyphCount = -1; }},
        {"an edge to a missing point", [](SmallMap& m) { m.edgeSecond = 5; }},
        {"a triangle corner beyond the points", [](SmallMap& m) { m.trianglePoint = 200; }},
        {"an ellipse centre beyond the points", [](SmallMap& m) { m.ellipseCentre = 9; }},
        {"a curve on a missing edge", [](SmallMap& m) { m.curveEdgeB = 2; }},
        {"a curve on an edge of no length", [](SmallMap& m) { m.edgeSecond = 0; }},
        {"an end angle that is not a number", [](SmallMap& m) { m.curveAngle = std::nanf(""); }},
        {"an endless end angle", [](SmallMap& m) { m.curveAngle = INFINITY; }},
        {"a point that is not a number", [](SmallMap& m) { m.pointX = std::nanf(""); }},
        {"a byte naming glyph slot 544", [](SmallMap& m) { m.pageGlyph = 544; }},
        {"a lead byte naming a missing extra page", [](SmallMap& m) { m.leadPage = 1; }},
        {"a page count beyond the file", [](SmallMap& m) { m.pageCountField = 0x7FFFFFFF; }},
        {"a negative page count", [](SmallMap& m) { m.pageCountField = 0xFFFFFFFF; }},
        {"an extra page count beyond the file", [](SmallMap& m) { m.extraCountField = 2; }},
        {"a file cut short", [](SmallMap& m) { m.cut = true; }},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(LoadCharacterMap("good.abc"), 1);
        SmallMap m;
        c.change(m);
        folder.WriteFile("bad.abc", MakeMap(m));
        EXPECT_EQ(LoadCharacterMap("bad.abc"), 0) << c.what;
        EXPECT_EQ(CharacterMap.glyphs[1].count, 5) << c.what;
        EXPECT_EQ(CharacterMap.codePageCount, 2) << c.what;
    }
    EXPECT_EQ(LoadCharacterMap("missing.abc"), 0);
}

TEST_F(CharMapTest, CodePagesByNumberAndFromTheLanguage)
{
    TempFolder folder;
    SmallMap m;
    m.pageNumbers[0] = 1251;  // two pages of one number: the later wins
    folder.WriteFile("map.abc", MakeMap(m));
    ASSERT_EQ(LoadCharacterMap("map.abc"), 1);

    const char* saved = GetText(TX_tx_codepage);
    struct Case {
        const char* number;
        int want;
    };
    for (Case c : {Case{"1251", 1}, Case{"1252", 0}, Case{"866", 0}}) {
        OverrideText(TX_tx_codepage, c.number);
        SelectTranslationCodePage();
        EXPECT_EQ(TextCodePage, c.want) << c.number;
        EXPECT_EQ(CurrentCodePage, &CharacterMap.codePages[c.want]) << c.number;
    }
    OverrideText(TX_tx_codepage, saved);

    SelectCodePage(1);
    EXPECT_EQ(CurrentCodePage, &CharacterMap.codePages[1]);
    SelectCodePage(10);  // not loaded: page 0
    EXPECT_EQ(CurrentCodePage, &CharacterMap.codePages[0]);

    const char* savedOrder = GetText(TX_tx_noun_adj);
    OverrideText(TX_tx_noun_adj, "NA");
    SelectTranslationCodePage();
    EXPECT_EQ(NounFirst, 1);
    OverrideText(TX_tx_noun_adj, savedOrder);
    SelectTranslationCodePage();
    EXPECT_EQ(NounFirst, 0);
}

TEST_F(CharMapTest, FontTextureCellsOfTheDefaultMap)
{
    std::string map = DefaultDataFolder() + "/data/abc/qvn.abc";
    ASSERT_EQ(LoadCharacterMap(map.c_str()), 1);
    CreateFontTextures();
    EXPECT_FLOAT_EQ(CharacterMap.glyphSpacing, 0.1f);
    const GlyphSlot* glyphs = CharacterMap.glyphs;
    EXPECT_EQ(glyphs[0].texture, 0);
    EXPECT_FLOAT_EQ(glyphs[0].uLeft, 0.00390625f);
    EXPECT_FLOAT_EQ(glyphs[0].vTop, 0);
    EXPECT_FLOAT_EQ(glyphs[0].vBottom, 0.115f);
    for (int i = 0; i < GlyphSlotCount; i++) {
        const GlyphSlot& g = glyphs[i];
        ASSERT_LT(g.texture, FontTextureCount) << i;
        EXPECT_LT(g.uLeft, g.uRight) << i;
        EXPECT_LE(g.uRight, 1.0f) << i;
        EXPECT_LT(g.vBottom, 1.0f) << i;
        if (i > 95 && g.count == 0) {
            EXPECT_EQ(g.texture, glyphs[95].texture);
            EXPECT_EQ(g.uLeft, glyphs[95].uLeft);
        }
    }
}

// The writer against the hand-made bytes of the small map: the same
// glyphs and pages written through it give the same file, and a map with
// more glyphs than slots is refused and leaves the old file.
TEST_F(CharMapTest, WriterGivesTheBytesOfTheHandMadeMap)
{
    TempFolder folder;
    const SmallMap m;
    GlyphSlot glyphs[3];
    GlyphSlot& g = glyphs[1];
    g.count = static_cast<int>(m.points.size());
    g.pairs = new FloatPair[m.points.size()];
    for (size_t i = 0; i < m.points.size(); i++)
        g.pairs[i] = {m.points[i].first, m.points[i].second};
    g.edgeCount = 2;
    g.edges = new GlyphEdge[2];
    g.edges[0].first = static_cast<uint8_t>(m.edgeFirst);
    g.edges[0].second = static_cast<uint8_t>(m.edgeSecond);
    g.edges[1].first = 1;
    g.edges[1].second = 2;
    g.triangleCount = 1;
    g.triangles = new GlyphTriangle[1]{{{0, 1, static_cast<uint8_t>(m.trianglePoint)}}};
    g.ellipseCount = 1;
    g.ellipses = new GlyphEllipse[1]{{static_cast<uint8_t>(m.ellipseCentre), 15, 10}};
    g.curveCount = 1;
    g.curves = new GlyphCurve[1];
    g.curves[0].edgeB = static_cast<uint8_t>(m.curveEdgeB);
    g.curves[0].flagA = g.curves[0].flagB = 1;
    for (int i = 0; i < 100; i++)
        g.console[i] = static_cast<uint8_t>(i);
    std::vector<CodePage> pages(2);
    for (int p = 0; p < 2; p++)
        pages[p].number = static_cast<uint16_t>(m.pageNumbers[p]);
    pages[1].chars['A' - 32].glyph = static_cast<uint16_t>(m.pageGlyph);
    pages[1].chars[0x81 - 32] = {static_cast<uint16_t>(m.leadPage), 0, static_cast<uint8_t>(m.leadFlags)};
    std::vector<ExtraPage> extras(1);
    for (int i = 0; i < ExtraPageCharCount; i++)
        extras[0].chars[i].unicode = static_cast<uint16_t>(0x3000 + i);

    CharacterMapContents contents;
    contents.glyphs = glyphs;
    contents.pages = pages;
    contents.extraPages = extras;
    ASSERT_EQ(SaveCharacterMap(contents, "written.abc"), 1);
    EXPECT_EQ(folder.ReadFile("written.abc"), MakeMap(m));

    std::vector<GlyphSlot> tooMany(GlyphSlotCount + 1);
    contents.glyphs = tooMany;
    EXPECT_EQ(SaveCharacterMap(contents, "written.abc"), 0);
    EXPECT_EQ(folder.ReadFile("written.abc"), MakeMap(m));
}

} // namespace
