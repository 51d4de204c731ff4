// The screen machine's own rules (what screens receive of the window's
// events is tested with the program shell, in tests/app).
#include <gtest/gtest.h>

#include "core/services.h"
#include "ui/services.h"

namespace {

Screen* StayingFrame(Screen* screen) { return screen; }

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetUiTables();
    }
    void TearDown() override { ResetCoreTables(); }
};

TEST_F(ScreenTest, WithoutGraphicsEveryScreenTakesCharacters)
{
    ProgramModeRecord mode = ProgramMode;
    mode.graphicsOn = 0;
    SetProgramMode(mode);
    Screen screen;
    InitScreen(&screen, nullptr, StayingFrame, nullptr, nullptr, nullptr, 1);
    EXPECT_EQ(screen.rawKeys, 0);
}

} // namespace
