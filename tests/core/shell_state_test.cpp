// The shell's records that every subsystem reads and the rules of their
// setters: arrows and console mode, the focus lost, the display values of
// a pass; and core's hooks, their least bodies and the installed ones.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/local.h"
#include "core/services.h"
#include "support/temp_folder.h"

namespace {

class ShellStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetCoreHooks();
    }
    void TearDown() override
    {
        ResetCoreTables();
        ResetCoreHooks();
    }
    TempFolder folder;
};

TEST_F(ShellStateTest, ArrowsReachTheGameOnlyOutsideConsoleMode)
{
    SetArrowHeld(1, 1);
    EXPECT_EQ(InputState.arrowHeld[1], 1);
    EXPECT_EQ(InputState.arrowHeldGame[1], 1);
    SetConsoleMode(1);
    SetArrowHeld(2, 1);
    EXPECT_EQ(InputState.arrowHeld[2], 1);
    EXPECT_EQ(InputState.arrowHeldGame[2], 0);
    // A release clears both, in either mode.
    SetArrowHeld(1, 0);
    EXPECT_EQ(InputState.arrowHeld[1], 0);
    EXPECT_EQ(InputState.arrowHeldGame[1], 0);
    // Slots outside the four and keys outside the table are left alone.
    const InputStateRecord before = InputState;
    SetArrowHeld(4, 1);
    SetKeyHeld(256, 1);
    SetKeyHeld(-1, 1);
    SetPageHeld(2, 1);
    SetMouseAxis(2, 5, 0.5f);
    EXPECT_EQ(InputState, before);
}

TEST_F(ShellStateTest, LosingTheFocusLetsGoOfKeysModifiersAndPagesButNotArrows)
{
    SetKeyHeld('W', 1);
    SetKeyHeld(1, 1);
    SetModifierKeys(1, 1, 1);
    SetPageHeld(0, 1);
    SetArrowHeld(0, 1);
    ReleaseHeldKeys();
    InputStateRecord expected;
    expected.arrowHeld[0] = 1;
    expected.arrowHeldGame[0] = 1;
    EXPECT_EQ(InputState, expected);
}

TEST_F(ShellStateTest, DisplayValuesOfThePassFollowTheDrawingArea)
{
    struct Case {
        const char* name;
        int graphics, width, height;
        float xMul, yMul, mainLod;
        int skip;
        float interfaceWidth;  // the width the interface takes (one of three screens)
        float lod;
    };
    const Case cases[] = {
        {"a 4:3 window", 1, 800, 600, 1.0f, 1.0f, 1.0f, 0, 800.0f, 1024.0f / 1920.0f},
        {"scaled axes and a finer LOD", 1, 1280, 1024, 0.5f, 2.0f, 2.0f, 0, 1280.0f, 1024.0f / 3840.0f},
        {"unset axis scales count as 1", 1, 1024, 768, 0.0f, 0.0f, 1.0f, 0, 1024.0f, 1024.0f / 1920.0f},
        {"three screens side by side", 1, 3072, 768, 1.0f, 1.0f, 1.0f, 0, 1024.0f, 1024.0f / 1920.0f},
        {"no drawing area", 1, 0, 0, 1.0f, 1.0f, 1.0f, 1, 0.0f, 1024.0f / 1920.0f},
        {"without graphics", 0, 800, 600, 1.0f, 1.0f, 1.0f, 1, 0.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetCoreTables();
        EditProgramMode([&c](ProgramModeRecord& mode) { mode.graphicsOn = c.graphics; });
        EditSettings([&c](SettingsRecord& settings) {
            settings.screenXmul = c.xMul;
            settings.screenYmul = c.yMul;
            settings.mainLod = c.mainLod;
        });
        SetClientSize(c.width, c.height);
        SetFrameBegun(1);
        BeginDisplayPass();
        EXPECT_EQ(DisplayPass.frameBegun, 0);
        EXPECT_EQ(DisplayPass.skipDrawing, c.skip);
        EXPECT_FLOAT_EQ(DisplayPass.lodFactor, c.lod);
        if (c.skip) {
            EXPECT_EQ(DisplayPass.pixelScaleX, 0.0f);
            continue;
        }
        float height = static_cast<float>(c.height);
        float xMul = c.xMul != 0 ? c.xMul : 1.0f, yMul = c.yMul != 0 ? c.yMul : 1.0f;
        EXPECT_FLOAT_EQ(DisplayPass.aspectWH, c.interfaceWidth / height);
        EXPECT_FLOAT_EQ(DisplayPass.aspectHW, height / c.interfaceWidth);
        EXPECT_FLOAT_EQ(DisplayPass.pixelScaleX, 2.0f / (c.interfaceWidth * xMul));
        EXPECT_FLOAT_EQ(DisplayPass.pixelScaleY, 2.0f / (height * yMul));
        EXPECT_FLOAT_EQ(DisplayPass.aspectFactor, std::fmin(1.0f, std::sqrt(1.333f * height / c.interfaceWidth)));
    }
}

TEST_F(ShellStateTest, WithoutTheShellAQuitRequestOnlyMarksTheQuit)
{
    EXPECT_EQ(RequestQuit(0), 1);
    EXPECT_EQ(ProgramMode.quitState, 1);
    SetQuitState(2);
    EXPECT_EQ(RequestQuit(1), 2);
}

// What the installed settings hooks were given.
float SoundLevels[3] = {};
int KeptSpeedup = -1;

TEST_F(ShellStateTest, SettingsReachTheirOwnersThroughTheHooks)
{
    folder.WriteFile("cfg.txt", "MUSIC 7\r\nBEEPS 3\r\nCAR_V 12\r\nMP Speedup Opt 0\r\n");
    SettingsHooks hooks;
    hooks.setSoundLevels = [](float music, float effects, float carSound) {
        SoundLevels[0] = music;
        SoundLevels[1] = effects;
        SoundLevels[2] = carSound;
    };
    hooks.keptSpeedupOption = [] { return KeptSpeedup; };
    SetSettingsHooks(hooks);

    LoadConfig();
    EXPECT_EQ(SoundLevels[0], 7.0f);
    EXPECT_EQ(SoundLevels[1], 3.0f);
    EXPECT_EQ(SoundLevels[2], 12.0f);

    // Unchanged by an outside program, the option is saved as it stands;
    // changed, the one configured before is saved in its place.
    KeptSpeedup = -1;
    ASSERT_EQ(SaveConfig(), 1);
    EXPECT_NE(folder.ReadFile("cfg.txt").find("\r\nMP Speedup Opt 0\r\n"), std::string::npos);
    KeptSpeedup = 1;
    ASSERT_EQ(SaveConfig(), 1);
    EXPECT_NE(folder.ReadFile("cfg.txt").find("\r\nMP Speedup Opt 1\r\n"), std::string::npos);
}

} // namespace
