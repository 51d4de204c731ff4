// Drawing on OpenGL (Mesa's software renderer in a private X server):
// textures of every file kind shown on screen and compared by an
// independent decoder (Pillow), the DDS cache read by Pillow, render
// targets across a device reset, a named mesh seen where its camera says,
// every vertex shader of the drawing code run on the device as on the CPU
// evaluator, and the device's set-up, frames, reset and shut-down.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/local.h"
#include "graphics/services.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/gfx.h"
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
