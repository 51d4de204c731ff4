// Drawing on OpenGL (Mesa's software renderer in a private X server):
// textures of every file kind shown on screen and compared by an
// independent decoder (Pillow), the DDS cache read by Pillow, render
// targets across a device reset, a named mesh seen where its camera says,
// every vertex shader of the drawing code run on the device as on the CPU
// evaluator, and the device's set-up, frames, reset and shut-down.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/local.h"
#include "graphics/services.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/gfx_texture_file.h"
#include "platform/gfx_util.h"
#include "platform/vs11.h"
#include "support/process.h"
#include "support/shader_comparison.h"
#include "support/temp_folder.h"
#include "support/x_server.h"


using namespace platform;

namespace {

const auto* const Server = ::testing::AddGlobalTestEnvironment(new PrivateXServer);

constexpr int Side = 64;

class DrawingGlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(KeptGlSystem(), nullptr) << "no OpenGL back end on the private X server";
        ResetCoreTables();
        ResetGraphicsTables();
        SetGraphicsBackEnd(platform::CreateGlGfxSystem);
        ASSERT_EQ(PreInitDirect3D(1, -1, 0, 0, 0), 0);
        ASSERT_EQ(CreateRenderDevice(nullptr, 0, -1), 0);
        ASSERT_TRUE(MakeFolder("data"));
        ASSERT_TRUE(MakeFolder("data\\pic"));
    }
    void TearDown() override { ResetGraphicsTables(); }

    // Starts a frame cleared to black.
    static void Clear()
    {
        BeginDeviceScene();
        ::ClearTarget(0xFF000000u, 3);
    }

    // A quad of the texture at the pixel position, one texel a pixel:
    // its colour, or its alpha as grey over black.
    static void ShowTexture(TextureRecord* texture, float left, bool alpha)
    {
        Material* material = CreateMaterial(texture, 0, 0, 1, 0, nullptr);
        BeginScreenBatch(material);
        SetRenderStateCached(RsAlphaTestEnable, 0);
        SetRenderStateCached(RsZEnable, 0);
        SetRenderStateCached(RsAlphaBlendEnable, alpha ? 1 : 0);
        SetRenderStateCached(RsSrcBlend, BlendSrcAlpha);
        SetRenderStateCached(RsDestBlend, BlendInvSrcAlpha);
        SetStageStateCached(0, TssMinFilter, FilterPoint);
        SetStageStateCached(0, TssMagFilter, FilterPoint);
        SetStageStateCached(0, TssMipFilter, FilterNone);
        SetStageStateCached(0, TssColourOp, TopSelectArg1);
        SetStageStateCached(0, TssColourArg1, alpha ? TaDiffuse : TaTexture);
        SetStageStateCached(0, TssAlphaOp, TopSelectArg1);
        SetStageStateCached(0, TssAlphaArg1, alpha ? TaTexture : TaDiffuse);
        const float l = left - 0.5f, t = -0.5f, r = l + Side, b = t + Side;
        int i0 = AddScreenVertexPixels(l, t, 0, 0, 0xFFFFFFFF);
        int i1 = AddScreenVertexPixels(r, t, 1, 0, 0xFFFFFFFF);
        int i2 = AddScreenVertexPixels(r, b, 1, 1, 0xFFFFFFFF);
        int i3 = AddScreenVertexPixels(l, b, 0, 1, 0xFFFFFFFF);
        AddBatchQuad(i0, i1, i2, i3);
        EndScreenBatch();
    }

    static void SaveShot(const std::string& name)
    {
        EndDeviceScene();
        GfxSurface* back = nullptr;
        ASSERT_TRUE(GfxSucceeded(Gfx.device->GetBackBuffer(0, &back)));
        ASSERT_TRUE(GfxSucceeded(GfxSaveSurfaceToBmp(name, back)));
        back->Release();
    }

    // The colour of a back-buffer pixel (0xAARRGGBB).
    static uint32_t Pixel(int x, int y)
    {
        GfxSurface* back = nullptr;
        EXPECT_TRUE(GfxSucceeded(Gfx.device->GetBackBuffer(0, &back)));
        GfxSurfaceDesc desc;
        back->GetDesc(desc);
        GfxLockedRect locked;
        EXPECT_TRUE(GfxSucceeded(back->LockRect(locked, nullptr, LockReadOnly)));
        const uint8_t* row = static_cast<const uint8_t*>(locked.bits) + size_t(y) * locked.pitch;
        uint32_t argb = GfxPixelToArgb(desc.format, row + size_t(x) * GfxFormatBytesPerPixel(desc.format));
        back->UnlockRect();
        back->Release();
        return argb;
    }

    ProcessResult Pixels(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> all = {QV_SOURCE_DIR "/tests/graphics/texture_pixels.py"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return RunProcess(QV_DEBIAN_PYTHON, all, folder.Path());
    }

    TempFolder folder;
};

TEST_F(DrawingGlTest, TexturesOfEveryFileKindShowTheIndependentDecodersPixels)
{
    ProcessResult made = Pixels({"make", folder.Path()});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    struct Case {
        const char* name;     // texture name
        int ddsCache;
        const char* colour;   // what the colour must equal (see texture_pixels.py)
        const char* alpha;
        int worst;            // largest difference a channel may show
        const char* mean;     // largest mean difference
        const char* alphaCheck;
        uint32_t format;      // the texture's format
    };
    // R5G6B5 keeps 5 and 6 bits (8 off at most); DXT1 interpolates two
    // 5:6:5 colours per 4 x 4 block; JPEG decoders may differ by 1 or 2.
    const Case cases[] = {
        {"photo.jpg", 0, "data/pic/photo.jpg", "-", 10, "5", "none", FmtR5G6B5},
        {"photo.jpg", 1, "data/pic/photo.jpg", "-", 24, "4", "none", FmtDxt1},
        {"grey.jbw", 0, "data/pic/grey.jpg", "-", 2, "1", "none", FmtL8},
        {"dxt1.dds", 1, "data/pic/dxt1.dds", "-", 2, "1", "none", FmtDxt1},
        {"argb.dds", 1, "data/pic/argb.dds", "-", 24, "4", "none", FmtDxt1},
        {"RAWPIC", 0, "data/pic/RAWPIC.raw", "-", 8, "5", "none", FmtR5G6B5},
        {"RAWPICATEST.raw", 0, "data/pic/RAWPIC.raw", "data/pic/RAWPICATEST.raw", 8, "5", "bit", FmtA1R5G5B5},
        {"RAWPICALP15.raw", 0, "data/pic/RAWPIC.raw", "data/pic/RAWPICALP15.raw", 8, "5", "bit", FmtA1R5G5B5},
        {"RAWPICALP24.raw", 0, "data/pic/RAWPIC.raw", "data/pic/RAWPICALP24.raw", 1, "1", "1", FmtA8R8G8B8},
        {"RAWPICDUZEZ.raw", 0, "data/pic/RAWPIC.raw", "data/pic/RAWPICDUZEZ.raw", 17, "9", "17", FmtA4R4G4B4},
        {"GLOWAONLY.raw", 0, "white", "data/pic/GLOWAONLY.raw", 0, "0", "17", FmtA4R4G4B4},
        {"RAWPIC", 1, "data/pic/RAWPIC.raw", "-", 24, "4", "none", FmtDxt1},
    };
    SetUseCompressedTextures(1);
    std::ofstream list(folder.Path() + "/cases.txt");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreeAllMaterials(1);
        FreeAllTextures(1);
        MutableTextureLoadSettings.ddsCache = c.ddsCache;
        TextureRecord* texture = LoadNamedTexture(c.name, 0);
        ASSERT_NE(texture, DefaultTexture);
        EXPECT_EQ(texture->format, c.format);
        EXPECT_EQ(texture->width, Side);
        Clear();
        ShowTexture(texture, 0, false);
        ShowTexture(texture, Side, true);
        const std::string shot = "shot" + std::to_string(n++) + ".bmp";
        SaveShot(shot);
        list << shot << ' ' << c.colour << ' ' << c.alpha << ' ' << c.worst << ' ' << c.mean << ' ' << c.alphaCheck
             << '\n';
    }
    list.close();
    ProcessResult checked = Pixels({"check", folder.Path()});
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
    // The last case wrote the DDS cache; Pillow reads it.
    ProcessResult cache = Pixels({"cache", "data/dds/RAWPIC.dds", "data/pic/RAWPIC.raw"});
    EXPECT_EQ(cache.exitCode, 0) << cache.output;
}

TEST_F(DrawingGlTest, RenderTargetsAreReleasedAndMadeAgainAcrossAReset)
{
    TextureRecord* mirror = nullptr;
    TextureRecord* clocks = nullptr;
    ASSERT_EQ(CreateNamedTexture("MIRROR~T", 64, 32, FmtX8R8G8B8, 1, 0, 1, 0, &mirror), 0);
    ASSERT_EQ(CreateNamedTexture("CLOCKS~A", 32, 32, FmtX8R8G8B8, 1, 0, 1, 0, &clocks), 0);
    ResetDevice();
    ResetDevice();
    // The device refuses a reset while anything of the default pool is held,
    // so a reset that succeeds proves every target was let go.
    ReleaseDefaultPoolResources();
    EXPECT_EQ(mirror->texture, nullptr);
    EXPECT_TRUE(clocks->flags & TextureFlagReleased);
    FillPresentParams(0);
    ASSERT_EQ(Gfx.device->Reset(Gfx.presentParams), GfxResult::Ok);
    RecreateDefaultPoolResources();
    ASSERT_NE(mirror->texture, nullptr);
    EXPECT_FALSE(mirror->flags & TextureFlagReleased);
    // The new target draws.
    ASSERT_EQ(BeginRenderToTexture(mirror, 0), 1);
    ::ClearTarget(0xFF20C040u, 1);
    EndRenderToTexture();
    GfxLockedRect locked;
    ASSERT_TRUE(GfxSucceeded(mirror->texture->LockRect(0, locked, nullptr, LockReadOnly)));
    const uint32_t texel = GfxPixelToArgb(FmtX8R8G8B8, static_cast<const uint8_t*>(locked.bits) + 4 * 10);
    mirror->texture->UnlockRect(0);
    EXPECT_EQ(texel, 0xFF20C040u);
}

TEST_F(DrawingGlTest, ANamedMeshShowsWhereItsCameraSays)
{
    // Six coloured squares of 1 m side in a row 10 m ahead of the eye.
    const uint32_t colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    Material* material = CreateMaterial(nullptr, 0, 0, 1, 0, nullptr);
    NamedMesh* mesh = GetMesh("Row");
    SetMeshPartCount(mesh, 1, 6);
    SetMeshPartMaterial(mesh, 0, material, MeshVertexTypeOfMaterial);
    auto centreX = [](int block) { return -3.0f + 1.3f * float(block); };
    for (int block = 0; block < 6; ++block) {
        BeginMeshBlock(mesh);
        MeshPart* part = &mesh->parts[0];
        int index[4];
        for (int k = 0; k < 4; ++k) {
            MeshVertex v;
            v.x = centreX(block) + ((k == 1 || k == 2) ? 0.5f : -0.5f);
            v.y = 10.0f;
            v.z = 2.0f + ((k >= 2) ? 0.5f : -0.5f);
            v.diffuse = colours[block];
            index[k] = AddMeshVertex(part, v);
        }
        // Both windings, so that culling cannot hide a square.
        AddMeshTriangle(part, index[0], index[1], index[2]);
        AddMeshTriangle(part, index[2], index[3], index[0]);
        AddMeshTriangle(part, index[2], index[1], index[0]);
        AddMeshTriangle(part, index[0], index[3], index[2]);
        EndMeshBlock(mesh);
    }
    FinishMesh(mesh);

    EditDerivedSettings([](DerivedSettingsRecord& derived) { derived.fovTangent = 2.0f; });
    InitCamera(DefaultCamera, MakeFixedVector(0, 0, 2 * 65536), MakeFixedVector(0, -65536, 0), 65536, 65536,
               MakeFixedVector(0, 0, 65536));
    Clear();
    BuildViewMatrix();
    ResetLightSetup();
    for (int block : {0, 2, 3, 5})
        MarkMeshBlock(mesh, block, 0);
    DrawMarkedBlocks(mesh, 0);
    EndDeviceScene();
    const int width = DeviceWidth(), height = DeviceHeight();
    for (int block = 0; block < 6; ++block) {
        float x = 0, y = 0;
        const FixedVector centre{FixedFromMetres(centreX(block)), FixedFromMetres(10), FixedFromMetres(2)};
        ASSERT_EQ(ProjectToScreen(centre, x, y), 1);
        const int px = int(std::lround((x + 1) * width / 2 - 0.5)), py = int(std::lround((y + 1) * height / 2 - 0.5));
        const bool marked = block == 0 || block == 2 || block == 3 || block == 5;
        EXPECT_EQ(Pixel(px, py), marked ? colours[block] : 0xFF000000u) << "block " << block << " at " << px << ", " << py;
    }
    // Left of the first square and between squares only the clear colour.
    EXPECT_EQ(Pixel(2, height / 2), 0xFF000000u);
}

TEST_F(DrawingGlTest, EveryShaderOfTheDrawingCodeRunsOnTheDeviceAsOnTheEvaluator)
{
    ShaderComparison comparison(Gfx.device);
    int checked = 0;
    for (int kind = 0; kind < ShaderKindCount; ++kind)
        for (int variant = 0; variant < 4; ++variant)
            for (bool fog : {false, true}) {
                const int prelit = variant & 1, doubled = variant >> 1;
                const std::string text = BuildVertexShaderText(kind, prelit, doubled, fog);
                if (text.empty())
                    continue;
                SCOPED_TRACE(testing::Message() << "kind " << kind << " variant " << variant << " fog " << fog);
                vs11::Program program;
                std::string errors;
                ASSERT_EQ(GfxAssembleShader(text, program, errors), GfxResult::Ok) << errors;
                const int type = ShaderVertexType(kind, prelit);
                const std::vector<GfxVertexElement> declaration = BuildVertexDeclaration(GetVertexFvf(type));
                const uint32_t handle = AssembleVertexShader(text, declaration, type);
                ASSERT_TRUE(GfxIsShaderHandle(handle));
                comparison.ExpectSameOutputs(handle, program, declaration);
                Gfx.device->DeleteVertexShader(handle);
                ++checked;
            }
    EXPECT_GE(checked, 17 * 2);
}

// What a frame begun in each background mode shows, in the screenshot the
// program saves, read back by an independent BMP reader: the screens'
// picture over the whole screen in the picture and busy modes (black when
// the picture is hidden), the camera's ambient colour in mode 4, nothing
// begun in the race-scene and in-car modes (the 3D view begins those with
// the sky), and the sky: the dome on its texture above the horizon, the
// clear colour below it, or with "Sky Res " 0 the camera's sky colour.
class BackgroundGlTest : public DrawingGlTest {
protected:
    void SetUp() override
    {
        DrawingGlTest::SetUp();
        ASSERT_TRUE(MakeFolder("data\\shots"));
        EditProgramMode([](ProgramModeRecord& mode) { mode.graphicsOn = 1; });
    }

    // The screens' picture "bkg_test.jpg": four quarters of plain colours.
    static void WriteQuarteredPicture(const uint8_t colours[4][3])
    {
        platform::GfxImage image;
        image.width = image.height = 256;
        image.rgba.resize(size_t(256) * 256 * 4);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const uint8_t* c = colours[(y >= 128) * 2 + (x >= 128)];
                uint8_t* p = &image.rgba[(size_t(y) * 256 + x) * 4];
                p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
            }
        std::vector<uint8_t> jpeg;
        ASSERT_TRUE(GfxSucceeded(GfxEncodeJpeg(image, 95, jpeg)));
        ASSERT_TRUE(WriteWholeFile("data\\pic\\bkg_test.jpg", jpeg.data(), jpeg.size()));
    }

    // Saves the frame as the program's screenshot and reads the pixels at
    // the places (x, y) back from the file, as 0xRRGGBB.
    std::vector<uint32_t> ShotColours(const std::string& name, const std::vector<std::pair<int, int>>& places)
    {
        EndDeviceScene();
        const std::string file = "data\\shots\\" + name + ".bmp";
        EXPECT_EQ(SaveScreenshot(file.c_str()), 0);
        std::vector<std::string> arguments = {QV_SOURCE_DIR "/tests/support/bmp_reference.py",
                                              folder.Path() + "/data/shots/" + name + ".bmp"};
        for (const auto& [x, y] : places)
            arguments.push_back(std::to_string(x) + "," + std::to_string(y));
        ProcessResult read = RunProcess(QV_DEBIAN_PYTHON, arguments, folder.Path());
        EXPECT_EQ(read.exitCode, 0) << read.output;
        std::istringstream lines(read.output);
        int width = 0, height = 0;
        lines >> width >> height;
        EXPECT_EQ(width, DeviceWidth());
        EXPECT_EQ(height, DeviceHeight());
        std::vector<uint32_t> colours;
        std::string word;
        while (lines >> word)
            colours.push_back(static_cast<uint32_t>(std::stoul(word, nullptr, 16)));
        EXPECT_EQ(colours.size(), places.size()) << read.output;
        colours.resize(places.size());
        return colours;
    }

    // Each channel within the tolerance.
    static bool Near(uint32_t a, uint32_t b, int tolerance)
    {
        for (int shift : {0, 8, 16})
            if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > tolerance)
                return false;
        return true;
    }
};

TEST_F(BackgroundGlTest, EachModeShowsItsBackgroundInTheScreenshot)
{
    const uint8_t quarters[4][3] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {220, 220, 40}};
    WriteQuarteredPicture(quarters);
    SetEntryBackground("test");
    ASSERT_NE(BuiltinMaterials.background, nullptr);
    ColourRecord ground, sky;
    InitCamera({0, 0, 2}, {0, -1, 0}, SetColourRecord(ground, 100, 150, 50), SetColourRecord(sky, 120, 160, 200));
    const uint32_t ambient =
        MakeColour(CurrentCamera->ambient[0], CurrentCamera->ambient[1], CurrentCamera->ambient[2]) & 0xFFFFFFu;
    ASSERT_NE(ambient, 0u);

    const int w = DeviceWidth(), h = DeviceHeight();
    // The middles of the four quarters.
    const std::vector<std::pair<int, int>> places = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4},
                                                     {3 * w / 4, 3 * h / 4}};
    std::vector<uint32_t> picture;
    for (const auto& c : quarters)
        picture.push_back(uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2]);
    const std::vector<uint32_t> black(4, 0), plainAmbient(4, ambient);
    struct Case {
        const char* name;
        std::vector<int> stack;  // pushed from the bottom
        int hidden;
        bool begun;              // the background begins the frame
        std::vector<uint32_t> shown;
    };
    const Case cases[] = {
        {"empty stack", {}, 0, true, picture},
        {"picture", {0}, 0, true, picture},
        {"busy", {2, 1}, 0, true, picture},
        {"picture hidden", {0}, 1, true, black},
        {"ambient", {0, 4}, 0, true, plainAmbient},
        {"race scene", {2}, 0, false, {}},
        {"in-car views", {0, 3}, 0, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFrameTables();
        for (int mode : c.stack)
            PushBackgroundMode(mode);
        SetEntryBackgroundHidden(c.hidden);
        SetFrameBegun(0);
        DrawBackground();
        EXPECT_EQ(DisplayPass.frameBegun, c.begun ? 1 : 0);
        if (!c.begun)
            continue;
        std::vector<uint32_t> shown = ShotColours(std::string("mode") + std::to_string(&c - cases), places);
        for (size_t i = 0; i < places.size(); ++i)
            EXPECT_TRUE(Near(shown[i], c.shown[i], 16))
                << "quarter " << i << ": " << std::hex << shown[i] << " for " << c.shown[i];
    }
    SetEntryBackgroundHidden(0);
}

TEST_F(BackgroundGlTest, TheSkyShowsItsDomeAboveTheHorizonOrTheCamerasSkyColour)
{
    // The eye 2 m up, looking level along y.
    ColourRecord ground, sky;
    InitCamera({0, 0, 2}, {0, -1, 0}, SetColourRecord(ground, 100, 150, 50), SetColourRecord(sky, 120, 160, 200));
    EditDerivedSettings([](DerivedSettingsRecord& derived) { derived.fovTangent = 2.0f; });
    BuildViewMatrix();
    // A sky texture of one colour.
    constexpr uint32_t SkyBlue = 0x3C78DCu, Clear = 0x203010u, Horizon = 0xF0A040u;
    std::vector<uint8_t> rgba(size_t(64) * 64 * 4);
    for (size_t i = 0; i < rgba.size(); i += 4)
        rgba[i] = 0x3C, rgba[i + 1] = 0x78, rgba[i + 2] = 0xDC, rgba[i + 3] = 255;
    Material* texture = GetMaterialFromImage("SKYTEST", rgba.data(), 64, 64, 0);
    ASSERT_NE(texture, nullptr);

    const int w = DeviceWidth(), h = DeviceHeight();
    // High in the sky, just above and well below the horizon (the middle
    // row, the camera looking level).
    const std::vector<std::pair<int, int>> places = {{w / 2, 2}, {w / 2, h / 2 - 1}, {w / 2, h - 3}};
    const uint32_t cameraSky =
        MakeColour(CurrentCamera->sky[0], CurrentCamera->sky[1], CurrentCamera->sky[2]) & 0xFFFFFFu;
    for (int skyRes : {0, 2}) {
        SCOPED_TRACE(skyRes);
        EditSettings([skyRes](SettingsRecord& settings) {
            settings.skyRes = skyRes;
            settings.hazeEffect = 0;
        });
        ResetSky();
        SetFrameBegun(0);
        DrawSky(texture, 0, 4096, 4096, 0xFF000000u | Clear, 0xFF000000u | Horizon, 1);
        EXPECT_EQ(DisplayPass.frameBegun, 1);
        std::vector<uint32_t> shown = ShotColours("sky" + std::to_string(skyRes), places);
        if (skyRes == 0) {
            for (uint32_t colour : shown)
                EXPECT_EQ(colour, cameraSky) << std::hex << colour;
            continue;
        }
        EXPECT_TRUE(Near(shown[0], SkyBlue, 24)) << std::hex << shown[0];
        EXPECT_TRUE(Near(shown[2], Clear, 8)) << std::hex << shown[2];
        EXPECT_FALSE(Near(shown[1], Clear, 8)) << "no horizon band: " << std::hex << shown[1];
    }
}

// The drawing code's own device set-up, a frame of both batches, a device
// reset and the shut-down.
TEST(GlGraphicsLayerTest, DeviceSetUpFrameResetAndShutDownRun)
{
    ResetCoreTables();
    ResetGraphicsTables();
    SetGraphicsBackEnd(platform::CreateGlGfxSystem);
    ASSERT_EQ(PreInitDirect3D(1, -1, 1, 0, 0), 0);
    SetDisplaySettings(320, 240, 1, 0);
    ASSERT_EQ(CreateRenderDevice(nullptr, 1, -1), 0);
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_TRUE(TestDeviceState());
        BeginDeviceScene();
        ::ClearTarget(0xFF000000, 3);
        SetFogRange(0x808080, 10.0f, 100.0f);
        SetBlendMode(1, 0, 1, 0);
        BeginWorldBatch(nullptr);
        int a = AddWorldVertex(0, 0, 20, 0, 0, 0xFFFF0000);
        int b = AddWorldVertex(10, 0, 20, 1, 0, 0xFFFF0000);
        int c = AddWorldVertex(10, 10, 20, 1, 1, 0xFFFF0000);
        AddBatchTriangle(a, b, c);
        SetBlendMode(2, 0, 0, 1);
        BeginScreenBatch(nullptr);
        int q0 = AddScreenVertexPixels(10, 10, 0, 0, 0x80FFFFFF);
        int q1 = AddScreenVertexPixels(50, 10, 1, 0, 0x80FFFFFF);
        int q2 = AddScreenVertexPixels(50, 50, 1, 1, 0x80FFFFFF);
        int q3 = AddScreenVertexPixels(10, 50, 0, 1, 0x80FFFFFF);
        AddBatchQuad(q0, q1, q2, q3);
        EndScreenBatch();
        EndDeviceScene();
        PresentBackBuffer();
        if (frame == 0)
            ResetDevice();
    }
    ShutdownDirect3D();
    SetGraphicsBackEnd(platform::CreateNullGfxSystem);
    ResetGraphicsTables();
}

} // namespace
