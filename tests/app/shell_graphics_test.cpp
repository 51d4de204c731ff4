// The program shell's side of the graphics device: the settings fitted to
// what the device can do, the field of view kept with the drawing area
// through display changes, and the rebuild of the graphics resources.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/services.h"
#include "core/services.h"
#include "graphics/services.h"
#include "platform/clock.h"
#include "platform/gfx_null.h"
#include "platform/window.h"
#include "support/temp_folder.h"
#include "ui/services.h"

namespace {

using namespace platform;

class ShellGraphicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::UseManualClock(0);
        ResetNullGfx();
        ResetCoreTables();
        ResetAppTables();
        ResetGraphicsTables();
        ResetUiTables();
        OpenWindowSystem(WindowBackEnd::Null);
    }
    void TearDown() override
    {
        ResetGraphicsTables();
        ResetNullGfx();
        ResetCoreTables();
        ResetAppTables();
        CloseWindowSystem();
        platform::UseRealClock();
    }

    // The device on the null back end with the first adapter changed as
    // given.
    static void CreateDevice(void (*change)(NullGfxAdapter& adapter))
    {
        NullGfxConfig config = DefaultNullGfxConfig();
        if (change != nullptr)
            change(config.adapters[0]);
        SetNullGfxConfig(config);
        ASSERT_EQ(PreInitDirect3D(1, -1, 0, 0, 0), 0);
        ASSERT_EQ(CreateRenderDevice(nullptr, 0, -1), 0);
    }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::istringstream text(folder.ReadFile("deb.log"));
        std::string line;
        while (std::getline(text, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    TempFolder folder;  // the current folder, where the log goes
};

struct CapsCase {
    const char* name;
    void (*change)(NullGfxAdapter& adapter);
    int mipFilter, shadowMode;  // settings before the report
    // What the device can do, as logged.
    bool shadows, twoTimes, multiTexture, compressed;
    // The settings after it.
    int maxTextureSize, maxAnisotropy, mipFilterAfter, shadowModeAfter, shadowTextureSize, halfTexRes;
};

TEST_F(ShellGraphicsTest, CapsDecideShadowsDoubledAndMultipleTexturesAndTheTextureLimits)
{
    const CapsCase cases[] = {
        {"every capability", nullptr, 16, 1,
         true, true, true, true, 4096, 16, 16, 1, 32, 0},
        {"no destination colour as source factor",
         [](NullGfxAdapter& a) { a.caps.srcBlendCaps &= ~BlendCapsBit(BlendDestColour); }, 16, 1,
         false, false, true, true, 4096, 16, 16, 0, 64, 0},
        {"no source colour as destination factor",
         [](NullGfxAdapter& a) { a.caps.destBlendCaps &= ~BlendCapsBit(BlendSrcColour); }, 16, 2,
         false, false, true, true, 4096, 16, 16, 0, 64, 0},
        {"no clamped addressing", [](NullGfxAdapter& a) { a.caps.textureAddressCaps &= ~TextureAddressCapsClamp; },
         0, 2, false, true, true, true, 4096, 16, 0, 0, 64, 0},
        {"no modulate-2x", [](NullGfxAdapter& a) { a.caps.textureOpCaps &= ~TextureOpCapsModulate2x; }, 0, 2,
         true, false, true, true, 4096, 16, 0, 2, 64, 0},
        {"one texture at a time", [](NullGfxAdapter& a) { a.caps.maxSimultaneousTextures = 1; }, 0, 1,
         true, true, false, true, 4096, 16, 0, 1, 32, 0},
        {"no DXT textures", [](NullGfxAdapter& a) { a.compressedTextures = false; }, 0, 1,
         true, true, true, false, 4096, 16, 0, 1, 32, 1},
        {"small textures, no anisotropy",
         [](NullGfxAdapter& a) {
             a.caps.maxTextureWidth = 2048;
             a.caps.maxTextureHeight = 1024;
             a.caps.maxAnisotropy = 1;
         },
         16, 1, true, true, true, true, 1024, 2, 2, 1, 32, 0},
        {"anisotropy 4 lowers a larger mip filter", [](NullGfxAdapter& a) { a.caps.maxAnisotropy = 4; }, 8, 1,
         true, true, true, true, 4096, 4, 4, 1, 32, 0},
        {"anisotropy 4 keeps a smaller one", [](NullGfxAdapter& a) { a.caps.maxAnisotropy = 4; }, 2, 1,
         true, true, true, true, 4096, 4, 2, 1, 32, 0},
    };
    for (const CapsCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGraphicsTables();
        ResetCoreTables();
        ResetAppTables();
        CreateDevice(c.change);
        std::remove("deb.log");  // the enumeration's lines
        EditSettings([&](SettingsRecord& record) {
            record.mipFilter = c.mipFilter;
            record.shadowMode = c.shadowMode;
            record.halfTexRes = 0;
        });

        ReportGraphicsCaps();

        auto can = [](bool yes) { return std::string(yes ? "can" : "can't"); };
        const std::vector<std::string> expected = {
            "max texture size " + std::to_string(c.maxTextureSize),
            can(c.shadows) + " do shadows",
            can(c.twoTimes) + " use 2x tex",
            can(c.multiTexture) + " do multi tex",
            "can use dynamic tex",
            can(c.compressed) + " use compressed tex",
        };
        EXPECT_EQ(LogLines(), expected);
        EXPECT_EQ(DerivedSettings.maxTextureSize, c.maxTextureSize);
        EXPECT_EQ(DerivedSettings.maxAnisotropy, c.maxAnisotropy);
        EXPECT_EQ(Settings.mipFilter, c.mipFilterAfter);
        EXPECT_EQ(Settings.shadowMode, c.shadowModeAfter);
        EXPECT_EQ(DerivedSettings.shadowTextureSize, c.shadowTextureSize);
        EXPECT_EQ(DerivedSettings.canModulate2x, c.twoTimes ? 1 : 0);
        EXPECT_EQ(DerivedSettings.canMultiTexture, c.multiTexture ? 1 : 0);
        EXPECT_EQ(TextureLoadSettings.compressed, c.compressed ? 1 : 0);
        EXPECT_EQ(Settings.halfTexRes, c.halfTexRes);
    }
}

TEST_F(ShellGraphicsTest, CapsReportWithoutADeviceChangesNothing)
{
    std::remove("deb.log");
    EditSettings([&](SettingsRecord& record) {
        record.shadowMode = 2;
        record.mipFilter = 16;
    });
    ReportGraphicsCaps();
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(Settings.shadowMode, 2);
    EXPECT_EQ(Settings.mipFilter, 16);
    EXPECT_EQ(DerivedSettings.maxTextureSize, 4096);
    EXPECT_EQ(DerivedSettings.canModulate2x, 1);
}

// Creating the device and every later change of the drawing area takes the
// field of view of that area: "Wide FOV" on three screens side by side,
// else "User FOV".
TEST_F(ShellGraphicsTest, DisplayChangesKeepTheFieldOfViewOfTheDrawingArea)
{
    ASSERT_EQ(PreInitDirect3D(1, -1, 0, 0, 0), 0);
    const AdapterRecord* adapter = GetCurrentAdapter();
    int mode1024 = -1;
    for (int i = 0; i < adapter->modeCount; ++i)
        if (adapter->modes[i].width == 1024 && adapter->modes[i].height == 768 && mode1024 < 0)
            mode1024 = i;
    ASSERT_GE(mode1024, 0);
    auto tangent = [](float degrees) { return 2.0 * std::tan(degrees * 3.14159265358979 / 360.0); };
    EditSettings([&](SettingsRecord& record) {
        record.userFov = 90.0f;
        record.wideFov = 150.0f;
    });

    EditSettings([&](SettingsRecord& record) { record.startWindowed = 1; });
    SetClientSize(3072, 768);
    ASSERT_EQ(InitGraphicsDevice(), 1);
    EXPECT_EQ(DerivedSettings.wideScreen, 1);
    EXPECT_NEAR(DerivedSettings.fovTangent, tangent(150.0f), 1e-4);

    ASSERT_EQ(SetFullScreenMode(mode1024), 1);
    EXPECT_EQ(ScreenSize.client.width, 1024);
    EXPECT_EQ(DerivedSettings.wideScreen, 0);
    EXPECT_NEAR(DerivedSettings.fovTangent, tangent(90.0f), 1e-4);

    EditSettings([&](SettingsRecord& record) { record.userFov = 100.0f; });
    ASSERT_EQ(SetWindowedMode(), 1);
    EXPECT_NEAR(DerivedSettings.fovTangent, tangent(100.0f), 1e-4);

    EditSettings([&](SettingsRecord& record) { record.userFov = 60.0f; });
    OnWindowResized();
    EXPECT_NEAR(DerivedSettings.fovTangent, tangent(60.0f), 1e-4);
}

// A screen whose frame rebuilds the graphics resources (as the options do
// after a change of textures or lighting), once.
int RebuildResult = -1;
Screen* RebuildingFrame(Screen* screen)
{
    if (RebuildResult == -1)
        RebuildResult = RebuildGraphicsResources();
    return screen;
}

int PresentCount()
{
    int count = 0;
    for (const GfxCall& call : NullGfxCalls())
        count += call.kind == GfxCallKind::Present ? 1 : 0;
    return count;
}

TEST_F(ShellGraphicsTest, RebuildInAFrameSkipsThatFramesDrawingAndRestoresTexturesAfter)
{
    CreateDevice(nullptr);
    EditProgramMode([&](ProgramModeRecord& record) { record.graphicsOn = 1; });
    SetClientSize(1024, 768);
    Screen screen;
    screen.alive = 1;
    screen.frame = RebuildingFrame;
    Shell.topScreen = &screen;
    RebuildResult = -1;
    // The graphics are freed first, as the callers of the rebuild do.
    FreeAllGraphics(1);
    NullGfxRecord(true);
    NullGfxClearCalls();

    MainLoopPass();
    EXPECT_EQ(RebuildResult, 1);  // no looping sound played
    EXPECT_EQ(PresentCount(), 0);
    EXPECT_EQ(Shell.texturesNeedRestore, 1);

    // The next pass, with no scene open, refills the special textures
    // before it draws, and the request is done.
    MainLoopPass();
    EXPECT_EQ(PresentCount(), 1);
    EXPECT_EQ(Shell.texturesNeedRestore, 0);
    Shell.topScreen = nullptr;
    NullGfxRecord(false);
}

} // namespace
