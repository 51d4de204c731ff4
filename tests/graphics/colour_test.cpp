// Colours: the standard colours, the packings, colour files against an
// independent reader and writer (Python struct), and the vertex lighting
// against the hemisphere and cosine law it stands for.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics_fixture.h"
#include "support/process.h"

using namespace platform;

namespace {

class ColourTest : public GraphicsTest {
protected:
    ProcessResult Reference(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> all = {QV_SOURCE_DIR "/tests/graphics/colour_file_reference.py"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return RunProcess(QV_PYTHON, all, folder.Path());
    }
};

TEST_F(ColourTest, StandardColoursFollowTheCaretBitsAndTheTable)
{
    InitStandardColours();
    for (int i = 0; i < 8; ++i) {
        const ColourRecord caret{uint8_t(i & 1 ? 255 : 0), uint8_t(i & 2 ? 255 : 0), uint8_t(i & 4 ? 255 : 0), 0};
        EXPECT_EQ(StandardColours[i], caret) << i;
    }
    const uint8_t rest[15][3] = {{148, 148, 148}, {250, 140, 120}, {160, 255, 160}, {255, 255, 160}, {160, 160, 255},
                                 {250, 160, 250}, {160, 250, 250}, {255, 160, 60},  {255, 210, 160}, {255, 200, 80},
                                 {200, 200, 200}, {32, 32, 32},    {230, 110, 90},  {100, 220, 60},  {120, 150, 220}};
    for (int i = 8; i < StandardColourCount; ++i) {
        const ColourRecord want{rest[i - 8][0], rest[i - 8][1], rest[i - 8][2], 0};
        EXPECT_EQ(StandardColours[i], want) << i;
    }
}

TEST_F(ColourTest, PackingsKeepTheirTopBits)
{
    EXPECT_EQ(MakeColour(255, 255, 255), 0xFFFFFFFFu);
    EXPECT_EQ(MakeColour(0, 0, 0), 0xFF000000u);
    EXPECT_EQ(MakeColour(ColourRecord{0x12, 0x34, 0x56, 1}), 0xFF123456u);
    for (int r = 0; r < 256; r += 17)
        for (int g = 0; g < 256; g += 13)
            for (int b = 0; b < 256; b += 11) {
                ColourRecord c;
                SetColourRecord(c, r, g, b);
                const ColourRecord top{uint8_t(r & 0xF8), uint8_t(g & 0xF8), uint8_t(b & 0xF8), 0};
                EXPECT_EQ(UnpackColour565(PackColour565(c)), top);
                EXPECT_EQ(UnpackColour555(PackColour555(c)), top);
                EXPECT_EQ(PackColourX888(c), MakeColour(c) & 0xFFFFFFu);
                EXPECT_EQ(PackColour565(c) >> 5 & 63, uint32_t(g >> 2));
            }
}

TEST_F(ColourTest, ColourFilesRoundTripAndDecodeIndependently)
{
    ColourConfig config;
    std::memcpy(config.name, "SIXTEEN LETTERS!", 16); // no room for an end mark
    for (int i = 0; i < 8; ++i)
        config.colours[i] = {uint8_t(30 * i), uint8_t(255 - i), uint8_t(7 * i), uint8_t(i % 2)};
    ASSERT_EQ(SaveColourConfig(config, "mine.col"), 1);
    ColourConfig read;
    ASSERT_EQ(LoadColourConfig(read, "mine.col"), 1);
    EXPECT_EQ(ColourConfigsDiffer(read, config), 0);
    char name[17];
    ColourConfigName(read, name);
    EXPECT_STREQ(name, "SIXTEEN LETTERS!");

    ProcessResult decoded = Reference({"decode", "mine.col"});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.output;
    EXPECT_EQ(decoded.output,
              "SIXTEEN LETTERS!|0,255,0,0;30,254,7,1;60,253,14,0;90,252,21,1;120,251,28,0;150,250,35,1;"
              "180,249,42,0;210,248,49,1\n");

    // A file written by the reference: read with the name cut at its dot.
    ProcessResult written = Reference({"write", "theirs.col", "Team.Blue"});
    ASSERT_EQ(written.exitCode, 0) << written.output;
    ASSERT_EQ(LoadColourConfig(read, "theirs.col"), 1);
    ColourConfigName(read, name);
    EXPECT_STREQ(name, "Team");
    EXPECT_EQ(read.colours[7], (CarColour{70, 27, 243, 1}));
    ColourConfig other = read;
    other.colours[3].extra ^= 1;
    EXPECT_EQ(ColourConfigsDiffer(read, other), 1);

    // A short file changes nothing and is refused.
    folder.WriteFile("short.col", folder.ReadFile("theirs.col").substr(0, 40));
    ColourConfig kept = config;
    EXPECT_EQ(LoadColourConfig(kept, "short.col"), 0);
    EXPECT_EQ(ColourConfigsDiffer(kept, config), 0);
    EXPECT_EQ(LoadColourConfig(kept, "missing.col"), 0);
}

// The lighting model in floats: ambient A plus the sky's share S × h of a
// normal facing up by h, times the colour, plus the cosine law of the sun.
double ReferenceChannel(double ambient, double skyDiff, double h, double d, double level, double colour, bool lit)
{
    const double base = ambient + skyDiff * h;
    double value = base * colour / 256.0;
    if (lit && d > 0)
        value += d * level * colour / 256.0;
    return std::min(value, 255.0);
}

TEST_F(ColourTest, VertexLightingFollowsTheHemisphereAndCosineLaw)
{
    BuildTrigTables();
    InitStandardColours();
    Camera camera;
    InitCamera(camera, MakeFixedVector(0, 0, 0), MakeFixedVector(0, -65536, 0), 65536, 65536,
               MakeFixedVector(20000, -30000, 50000));
    camera.ambient[0] = 60, camera.ambient[1] = 90, camera.ambient[2] = 120;
    camera.sky[0] = 200, camera.sky[1] = 180, camera.sky[2] = 150;
    EditSettings([](SettingsRecord& settings) {
        SetColourRecord(settings.sunColour, 255, 230, 200);
        settings.sunIntensity = 0.8f;
    });
    UpdateCameraLight();
    BuildViewMatrix();
    const ColourRecord colour{200, 150, 100, 0};
    const double level[3] = {255 * 0.8, 230 * 0.8, 200 * 0.8};
    srand(7);
    int worst = 0;
    for (int i = 0; i < 2000; ++i) {
        double v[3] = {rand() / double(RAND_MAX) - 0.5, rand() / double(RAND_MAX) - 0.5, rand() / double(RAND_MAX) - 0.5};
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length < 0.05)
            continue;
        const FixedVector n = MakeFixedVector(int32_t(v[0] / length * 65536), int32_t(v[1] / length * 65536),
                                              int32_t(v[2] / length * 65536));
        auto dot = [](const FixedVector& a, const FixedVector& b) {
            return (double(a.x.raw) * b.x.raw + double(a.y.raw) * b.y.raw + double(a.z.raw) * b.z.raw) / 65536.0 / 65536.0;
        };
        const double h = (dot(n, camera.upCamera) + 1) / 2, d = dot(n, camera.lightCamera);
        const double hw = (n.z.raw / 65536.0 + 1) / 2, dw = dot(n, camera.lightWorld);
        const uint32_t got = LightVertexColour(n, colour), gotWorld = LightWorldVertex(n, colour);
        const uint32_t gotBack = LightVertexColourBack(-n, colour);
        const uint8_t c[3] = {colour.r, colour.g, colour.b};
        for (int k = 0; k < 3; ++k) {
            const double a = std::min(255, camera.ambient[k] * 255 / 200);
            const double s = (camera.sky[k] - camera.ambient[k]) * 255 / 200;
            const int shift = 16 - 8 * k;
            const double want = ReferenceChannel(a, s, h, d, level[k], c[k], true);
            const double wantWorld = ReferenceChannel(a, s, hw, dw, level[k], c[k], true);
            worst = std::max(worst, int(std::fabs(int(got >> shift & 255) - want)));
            worst = std::max(worst, int(std::fabs(int(gotWorld >> shift & 255) - wantWorld)));
            EXPECT_EQ(gotBack, got);
        }
        EXPECT_EQ(got >> 24, 255u);
    }
    EXPECT_LE(worst, 2) << "largest difference from the lighting model";

    // Unlit records keep their colour; the modulate-2x mode halves lit ones.
    const ColourRecord unlit{12, 34, 56, ColourUnlit};
    EXPECT_EQ(LightVertexColour(MakeFixedVector(0, 0, -65536), unlit), 0xFF0C2238u);
    EXPECT_EQ(LightModelVertex(MakeFixedVector(0, 65536, 0), unlit, 2), 0xFF0C2238u);
    camera.ambient[0] = camera.ambient[1] = camera.ambient[2] = 200;
    camera.sky[0] = camera.sky[1] = camera.sky[2] = 200;
    UpdateCameraLight();
    const ColourRecord white{255, 255, 255, 0};
    const FixedVector towardsSun = camera.lightCamera;
    EXPECT_EQ(LightVertexColour(towardsSun, white), 0xFFFFFFFFu);
    ColourShift = 1;
    EXPECT_EQ(LightVertexColour(towardsSun, white), 0xFF7F7F7Fu);
}

} // namespace
