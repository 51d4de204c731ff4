// Textures on the null device: raw images with each alpha companion, the
// alpha-weighted halving, the DDS cache and "Half Tex Res ", files that
// lie about their size, names that would leave the data folder, the
// registry's letter case and LOD, the bind cache and skin numbers.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "graphics_fixture.h"
#include "platform/files.h"
#include "platform/gfx_texture_file.h"

using namespace platform;

namespace {

class TextureTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        ASSERT_TRUE(MakeFolder("data"));
        ASSERT_TRUE(MakeFolder("data\\pic"));
        CreateDevice();
        MutableTextureLoadSettings.ddsCache = 0;
    }

    static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(WriteWholeFile(path, bytes.data(), bytes.size())) << path;
    }

    // A raw colour file of side × side pixels from a pattern (r, g, b).
    static std::vector<uint8_t> WriteColour(const std::string& name, int side,
                                            const std::function<void(int, int, uint8_t*)>& pattern)
    {
        std::vector<uint8_t> bytes(size_t(side) * side * 3);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                pattern(x, y, &bytes[(size_t(y) * side + x) * 3]);
        WriteBytes("data\\pic\\" + name + ".raw", bytes);
        return bytes;
    }
    static std::vector<uint8_t> WriteAlpha(const std::string& fileName, int side, const std::function<uint8_t(int, int)>& pattern)
    {
        std::vector<uint8_t> bytes(size_t(side) * side);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                bytes[size_t(y) * side + x] = pattern(x, y);
        WriteBytes("data\\pic\\" + fileName, bytes);
        return bytes;
    }

    // Level 0 of a texture as an image.
    static GfxImage ReadLevel(TextureRecord* record, uint32_t level = 0)
    {
        GfxImage image;
        GfxSurfaceDesc desc;
        GfxLockedRect locked;
        EXPECT_TRUE(GfxSucceeded(record->texture->GetLevelDesc(level, desc)));
        EXPECT_TRUE(GfxSucceeded(record->texture->LockRect(level, locked, nullptr, LockReadOnly)));
        GfxDecodeImage(desc.format, static_cast<const uint8_t*>(locked.bits), uint32_t(locked.pitch), desc.width,
                       desc.height, image);
        record->texture->UnlockRect(level);
        return image;
    }

    static std::string Log()
    {
        std::vector<uint8_t> bytes;
        ReadWholeFile(DebugLogName(), bytes);
        return std::string(bytes.begin(), bytes.end());
    }
};

void Pattern(int x, int y, uint8_t* rgb)
{
    rgb[0] = uint8_t(x * 8);
    rgb[1] = uint8_t(y * 8);
    rgb[2] = uint8_t(((x ^ y) * 8) & 255);
}

TEST_F(TextureTest, RawImagesWithEachAlphaCompanionLoadInTheirFormats)
{
    struct Case {
        const char* ending;   // of the alpha file ("" none)
        uint32_t format;
        uint8_t alphaRef;
        uint32_t levels;
        int colourBits[3];    // bits kept of r, g, b
        int alphaBits;        // 0: opaque; 32: colour is white
        bool colourFile;
    };
    const Case cases[] = {
        {"", FmtR5G6B5, 0, 6, {5, 6, 5}, 0, true},
        {"ATEST.raw", FmtA1R5G5B5, 128, 6, {5, 5, 5}, 1, true},
        {"ALP15.raw", FmtA1R5G5B5, 0, 6, {5, 5, 5}, 1, true},
        {"ALP24.raw", FmtA8R8G8B8, 0, 1, {8, 8, 8}, 8, true},
        {"DUZEZ.raw", FmtA4R4G4B4, 0, 6, {4, 4, 4}, 4, true},
        {"AONLY.raw", FmtA4R4G4B4, 0, 6, {8, 8, 8}, 32, false},
        {"DUZEZ.raw", FmtA4R4G4B4, 0, 6, {8, 8, 8}, 4, false}, // no colour file: white
    };
    constexpr int Side = 32;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ending) + " case " + std::to_string(n));
        const std::string base = "TEX" + std::to_string(n++);
        std::vector<uint8_t> colour(size_t(Side) * Side * 3, 255);
        if (c.colourFile)
            colour = WriteColour(base, Side, Pattern);
        std::vector<uint8_t> alpha(size_t(Side) * Side, 255);
        std::string name = base + ".raw";
        if (*c.ending) {
            alpha = WriteAlpha(base + c.ending, Side, [](int x, int y) { return uint8_t((x + y) * 4); });
            name = base + c.ending;
        }
        TextureRecord* record = LoadNamedTexture(name.c_str(), 0);
        ASSERT_NE(record, DefaultTexture);
        ASSERT_NE(record->texture, nullptr);
        EXPECT_EQ(record->format, c.format);
        EXPECT_EQ(record->alphaRef, c.alphaRef);
        EXPECT_EQ(record->texture->GetLevelCount(), c.levels);
        EXPECT_EQ(record->width, Side);
        uint64_t sums[3] = {};
        for (size_t i = 0; i < colour.size(); ++i)
            sums[i % 3] += colour[i];
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(record->averageColour[k], sums[k] / (Side * Side));
        GfxImage image = ReadLevel(record);
        int worst = 0;
        for (int i = 0; i < Side * Side; ++i) {
            const uint8_t* got = &image.rgba[size_t(i) * 4];
            for (int k = 0; k < 3; ++k) {
                const int want = c.alphaBits == 32 ? 255 : colour[size_t(i) * 3 + k];
                if (std::abs(got[k] - want) >= (256 >> c.colourBits[k]))
                    worst = std::max(worst, std::abs(got[k] - want));
            }
            const int a = alpha[size_t(i)];
            const int bits = c.alphaBits == 32 ? 4 : c.alphaBits;
            if (bits == 0)
                EXPECT_EQ(got[3], 255);
            else if (bits == 1)
                EXPECT_EQ(got[3], a >= 128 ? 255 : 0) << i;
            else if (std::abs(got[3] - a) >= (256 >> bits))
                worst = std::max(worst, std::abs(got[3] - a));
        }
        EXPECT_EQ(worst, 0) << "a texel off by more than its format keeps";
    }
}

TEST_F(TextureTest, HalvingWeighsColourByAlpha)
{
    struct Case {
        int duzez;
        uint8_t in[4][4];
        uint8_t out[4];
    };
    const Case cases[] = {
        // Colour weighted by alpha: only the opaque red and grey count.
        {DuzezOneBit, {{200, 0, 0, 255}, {0, 200, 0, 0}, {0, 0, 200, 0}, {100, 100, 100, 255}}, {150, 50, 50, 127}},
        // All transparent: the plain mean.
        {DuzezFourBit, {{200, 0, 0, 0}, {0, 200, 0, 0}, {0, 0, 200, 0}, {100, 100, 100, 0}}, {75, 75, 75, 0}},
        // No alpha: plain means, alpha 0.
        {DuzezNone, {{200, 0, 0, 255}, {0, 200, 0, 0}, {0, 0, 201, 0}, {100, 100, 100, 255}}, {75, 75, 75, 0}},
        // Alpha only: the alpha mean, the colour kept.
        {DuzezAlphaOnly, {{255, 255, 255, 10}, {255, 255, 255, 20}, {255, 255, 255, 30}, {255, 255, 255, 41}},
         {255, 255, 255, 25}},
    };
    for (const Case& c : cases) {
        RawImage image;
        image.side = 2;
        image.duzez = c.duzez;
        for (const auto& p : c.in)
            image.pixels.insert(image.pixels.end(), p, p + 4);
        HalveRawImage(image);
        ASSERT_EQ(image.side, 1);
        EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin(), image.pixels.end()),
                  std::vector<uint8_t>(c.out, c.out + 4))
            << "mode " << c.duzez;
    }
}

TEST_F(TextureTest, Alp24AlphaBesideItsColourGivesOneLevelOf256)
{
    WriteBytes("data\\pic\\GLOW.raw", std::vector<uint8_t>(196608, 90));
    WriteBytes("data\\pic\\GLOWALP24.raw", std::vector<uint8_t>(65536, 200));
    TextureRecord* record = LoadNamedTexture("GLOWALP24.raw", 0);
    ASSERT_NE(record->texture, nullptr);
    EXPECT_EQ(record->format, static_cast<uint32_t>(FmtA8R8G8B8));
    EXPECT_EQ(record->width, 256);
    EXPECT_EQ(record->texture->GetLevelCount(), 1u);
}

TEST_F(TextureTest, FilesThatLieAboutTheirSizeGiveTheDefaultTextureAndAMessage)
{
    StartDebugLog();
    GfxImage picture;
    picture.width = picture.height = 16;
    picture.rgba.assign(16 * 16 * 4, 128);
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(GfxSucceeded(GfxEncodeJpeg(picture, 90, jpeg)));
    std::vector<uint8_t> dxt1(8 * 16, 0x55);
    std::vector<uint8_t> dds;
    ASSERT_TRUE(GfxSucceeded(GfxBuildDds(FmtDxt1, 16, 16, {dxt1}, dds)));
    auto withField = [&dds](int offset, uint32_t value, int offset2 = -1, uint32_t value2 = 0) {
        std::vector<uint8_t> bytes = dds;
        std::memcpy(&bytes[size_t(offset)], &value, 4);
        if (offset2 >= 0)
            std::memcpy(&bytes[size_t(offset2)], &value2, 4);
        return bytes;
    };
    struct Case {
        const char* name;  // texture name
        const char* file;  // file under data\pic
        std::vector<uint8_t> bytes;
        const char* companion = nullptr; // a second file (the colour of an alpha file)
        std::vector<uint8_t> companionBytes = {};
    };
    const Case cases[] = {
        {"BADSIZE", "BADSIZE.raw", std::vector<uint8_t>(1000, 7)},
        // The colour file says 32 x 32, the alpha file holds half of that.
        {"LIEATEST.raw", "LIEATEST.raw", std::vector<uint8_t>(512, 255), "LIE.raw", std::vector<uint8_t>(3072, 9)},
        {"SHORT.jpg", "SHORT.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2))},
        {"NOTAPICTURE.jpg", "NOTAPICTURE.jpg", std::vector<uint8_t>(300, 0x41)},
        {"CUT.dds", "CUT.dds", std::vector<uint8_t>(dds.begin(), dds.end() - 1)},
        // Claims 5 levels (count and flag) but holds one.
        {"LEVELS.dds", "LEVELS.dds", withField(4 + 24, 5, 4 + 4, 0x1007 | 0x20000)},
        {"WIDE.dds", "WIDE.dds", withField(4 + 12, 0x40000000)},    // width 2^30
        {"HEADER.dds", "HEADER.dds", withField(4, 100)},             // header size 100
        {"TINY.dds", "TINY.dds", std::vector<uint8_t>(dds.begin(), dds.begin() + 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(std::string("data\\pic\\") + c.file, c.bytes);
        if (c.companion)
            WriteBytes(std::string("data\\pic\\") + c.companion, c.companionBytes);
        EXPECT_EQ(LoadNamedTexture(c.name, 0), DefaultTexture);
        EXPECT_EQ(FindTexture(c.name), nullptr);
        EXPECT_NE(Log().find(c.file), std::string::npos) << Log();
    }
}

TEST_F(TextureTest, NamesThatWouldLeaveTheDataFolderAreRefused)
{
    StartDebugLog();
    WriteBytes("secret.raw", std::vector<uint8_t>(48, 1)); // a 4 x 4 picture outside the data folder
    ASSERT_TRUE(MakeFolder("data\\pic\\sub"));
    WriteBytes("data\\pic\\sub\\x.raw", std::vector<uint8_t>(48, 1));
    for (const char* name : {"..\\..\\secret", "../../secret", "sub\\x", "sub/x", "C:\\secret", "a..b"}) {
        EXPECT_EQ(LoadNamedTexture(name, 0), DefaultTexture) << name;
        EXPECT_NE(Log().find(std::string("name refused : ") + name), std::string::npos) << name;
    }
    // A name of 35 characters does not fit the registry.
    EXPECT_EQ(LoadNamedTexture(std::string(35, 'A').c_str(), 0), DefaultTexture);
}

TEST_F(TextureTest, OneRecordForANameInAnyCaseWithItsLodRaised)
{
    WriteColour("Stone", 4, Pattern);
    TextureRecord* first = FindOrLoadTexture("stone", 1);
    ASSERT_NE(first, DefaultTexture);
    EXPECT_EQ(FindOrLoadTexture("STONE", 3), first);
    EXPECT_EQ(first->lodIndex, 3);
    EXPECT_EQ(FindOrLoadTexture("Stone", 2), first);
    EXPECT_EQ(first->lodIndex, 3);
    EXPECT_EQ(FindTexture("sToNe"), first);
}

TEST_F(TextureTest, RawImagesAreCachedCompressedAndLoadFromTheCache)
{
    MutableTextureLoadSettings.ddsCache = 1;
    SetUseCompressedTextures(1);
    std::vector<uint8_t> colour = WriteColour("SIGN", 32, Pattern);
    WriteAlpha("SIGNDUZEZ.raw", 32, [](int x, int) { return uint8_t(x * 8); });
    WriteColour("ROAD", 32, Pattern);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "from the raw files" : "from the cache");
        TextureRecord* sign = LoadNamedTexture("SIGNDUZEZ.raw", 0);
        TextureRecord* road = LoadNamedTexture("ROAD", 0);
        ASSERT_NE(sign->texture, nullptr);
        ASSERT_NE(road->texture, nullptr);
        EXPECT_EQ(sign->format, static_cast<uint32_t>(FmtDxt3));
        EXPECT_EQ(road->format, static_cast<uint32_t>(FmtDxt1));
        GfxImage image = ReadLevel(road);
        uint64_t error = 0;
        for (size_t i = 0; i < colour.size(); ++i)
            error += std::abs(image.rgba[i / 3 * 4 + i % 3] - colour[i]);
        EXPECT_LT(double(error) / double(colour.size()), 8.0) << "mean error of the DXT1 cache (a noisy pattern)";
        // Both caches are DDS files of their compressed format.
        GfxDdsLayout layout;
        std::string reason;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile("data\\dds\\SIGNDUZEZ.raw.dds", bytes));
        ASSERT_TRUE(GfxSucceeded(GfxParseDds(bytes.data(), bytes.size(), layout, reason))) << reason;
        EXPECT_EQ(layout.format, static_cast<uint32_t>(FmtDxt3));
        ASSERT_TRUE(ReadWholeFile("data\\dds\\ROAD.dds", bytes));
        ASSERT_TRUE(GfxSucceeded(GfxParseDds(bytes.data(), bytes.size(), layout, reason))) << reason;
        EXPECT_EQ(layout.format, static_cast<uint32_t>(FmtDxt1));
        // The next run has only the caches.
        FreeAllTextures(1);
        RemoveFile("data\\pic\\SIGN.raw");
        RemoveFile("data\\pic\\SIGNDUZEZ.raw");
        RemoveFile("data\\pic\\ROAD.raw");
    }
}

TEST_F(TextureTest, HalfTexResHalvesSquareCachesOnly)
{
    MutableTextureLoadSettings.ddsCache = 1;
    SetUseCompressedTextures(1);
    EditSettings([](SettingsRecord& settings) { settings.halfTexRes = 1; });
    ASSERT_TRUE(MakeFolder("data\\dds"));
    auto cache = [this](const char* name, uint32_t w, uint32_t h) {
        std::vector<std::vector<uint8_t>> levels{std::vector<uint8_t>(GfxFormatLevelSize(FmtDxt1, w, h), 0x33)};
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(GfxSucceeded(GfxBuildDds(FmtDxt1, w, h, levels, bytes)));
        WriteBytes(std::string("data\\dds\\") + name + ".dds", bytes);
    };
    cache("BIG", 512, 512);
    cache("SMALL", 16, 16);
    cache("FLAT", 64, 32);
    WriteColour("FLAT", 32, Pattern);
    EXPECT_EQ(LoadNamedTexture("BIG", 0)->width, 256);
    EXPECT_EQ(LoadNamedTexture("SMALL", 0)->width, 16);
    TextureRecord* flat = LoadNamedTexture("FLAT", 0);
    EXPECT_EQ(flat->width, 32);  // rebuilt from the raw file
    EXPECT_EQ(flat->height, 32);
}

TEST_F(TextureTest, BindingTheBoundTextureSendsNothing)
{
    TextureRecord* record = nullptr;
    ASSERT_EQ(CreateNamedTexture("PLAIN", 8, 8, FmtR5G6B5, 0, 2, 1, 0, &record), 0);
    NullGfxClearCalls();
    BindTexture(record, 0);
    BindTexture(record, 0);
    EXPECT_EQ(Count(GfxCallKind::SetTexture), 1);
    UnbindTexture(record);
    EXPECT_EQ(DeviceState().textures[0], 0u);
}

TEST_F(TextureTest, SkinNumbersStartAgainAfter65534)
{
    EXPECT_EQ(NextSkinTextureId(), 1);
    TextureStages.skinTextureCounter = 65533;
    EXPECT_EQ(NextSkinTextureId(), 65534);
    EXPECT_EQ(NextSkinTextureId(), 1);
    FreeAllTextures(1);
    EXPECT_EQ(NextSkinTextureId(), 1);
}

TEST_F(TextureTest, ImagesInMemoryBecomeAlphaOnlyTextures)
{
    std::vector<uint8_t> rgba(16 * 16 * 4, 0);
    rgba[3] = 255;
    Material* material = GetMaterialFromImage("GLYPHSAONLY", rgba.data(), 16, 16, 1);
    ASSERT_NE(material, nullptr);
    ASSERT_NE(material->texture, nullptr);
    EXPECT_EQ(material->texture->format, static_cast<uint32_t>(FmtA4R4G4B4));
    GfxImage image = ReadLevel(material->texture);
    EXPECT_EQ(image.rgba[3], 255);
    EXPECT_EQ(image.rgba[7], 0);
    EXPECT_EQ(image.rgba[4], 255); // white
    EXPECT_FALSE(platform::FileExists("data\\pic\\GLYPHSAONLY.raw"));
    EXPECT_EQ(GetMaterialFromImage("GLYPHS", rgba.data(), 16, 16, 1), nullptr); // alpha only needs the ending
    EXPECT_GT(TotalTextureMemory(), 16 * 16 * 2 - 1);
}

} // namespace
