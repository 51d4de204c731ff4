// The window procedure and what screens receive of the window's events: key
// codes, characters, Alt numbers, mouse events, quitting, and the root
// screen's answers to quit requests and host restarts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/services.h"
#include "core/services.h"
#include "platform/window.h"
#include "session/services.h"
#include "support/temp_folder.h"
#include "ui/services.h"

using platform::WindowEvent;
using platform::WindowEventKind;

namespace {

// A screen that records what its handlers receive.
struct RecordingScreen : Screen {
    std::vector<int> keys;
    std::vector<MouseEvent> mice;
    int frames = 0;
    Screen* openOnT = nullptr;  // made current when the T key arrives
};

void RecordKey(Screen* screen, int code)
{
    auto* self = static_cast<RecordingScreen*>(screen);
    self->keys.push_back(code);
    if (code == 'T' && self->openOnT != nullptr) {
        InitScreen(self->openOnT, self, self->openOnT->frame, RecordKey, self->openOnT->mouse, nullptr, 0);
        OpenChildScreen(self, self->openOnT);
        SetCurrentScreen(self->openOnT);
    }
}

int RecordMouse(Screen* screen, MouseEvent* event)
{
    static_cast<RecordingScreen*>(screen)->mice.push_back(*event);
    return 0;
}

// A menu screen's frame as every screen writes it; the object is the
// test's, so a closed screen only counts and hands over.
Screen* MenuFrame(Screen* screen)
{
    auto* self = static_cast<RecordingScreen*>(screen);
    if (!self->alive)
        return nullptr;
    ++self->frames;
    StepChildScreen(self);
    ScreenFrameBusy(self);
    return self;
}

void MakeScreen(RecordingScreen& screen, Screen* parent, int rawKeys)
{
    InitScreen(&screen, parent, MenuFrame, RecordKey, RecordMouse, nullptr, rawKeys);
}

void Send(WindowEventKind kind, int value = 0)
{
    WindowEvent event;
    event.kind = kind;
    event.key = value;
    event.character = value;
    event.active = static_cast<uint8_t>(value);
    WindowProc(event);
}

// A key as the window system sends it: key-down, its character, key-up.
void Press(int virtualKey, int character = 0)
{
    Send(WindowEventKind::KeyDown, virtualKey);
    if (character != 0)
        Send(WindowEventKind::Char, character);
    Send(WindowEventKind::KeyUp, virtualKey);
}

void WithModifier(int modifier, int virtualKey, int character = 0)
{
    Send(WindowEventKind::KeyDown, modifier);
    Press(virtualKey, character);
    Send(WindowEventKind::KeyUp, modifier);
}

void Mouse(WindowEventKind kind, int x, int y, int button = 0, int wheel = 0, int ctrl = 0, int shift = 0)
{
    WindowEvent event;
    event.kind = kind;
    event.x = x;
    event.y = y;
    event.button = button;
    event.wheel = wheel;
    event.ctrl = static_cast<uint8_t>(ctrl);
    event.shift = static_cast<uint8_t>(shift);
    WindowProc(event);
}

// Game time passing, as the main loop would advance it.
void AdvanceGameTime(uint32_t ms)
{
    GameTimeRecord time = GameTime;
    time.clockMs += ms;
    SetGameTime(time);
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetUiTables();
        ResetAppTables();
        InstallAppCoreHooks();
        SetGameKind(1);
        SetClientSize(800, 600);
        DisplayPassRecord pass;
        pass.pixelScaleX = 2.0f / 800.0f;
        pass.pixelScaleY = 2.0f / 600.0f;
        SetDisplayPass(pass);
    }
    void TearDown() override
    {
        ResetCoreTables();
        ResetCoreHooks();
        ResetAppTables();
        ResetUiTables();
    }
    TempFolder folder;  // the debug log of the messages goes here
};

TEST_F(ScreenTest, RawKeyScreensGetKeyCodesCharacterScreensGetCharactersBothGetSpecialCodes)
{
    using namespace platform;
    struct Case {
        const char* name;
        void (*typing)();
        std::vector<int> raw;        // what a raw-key screen receives
        std::vector<int> character;  // what a character screen receives
    };
    const Case cases[] = {
        {"a letter", [] { Press('A', 'a'); }, {'A'}, {'a'}},
        {"Tab and Enter", [] { Press(VkTab, 9); Press(VkReturn, 13); }, {VkTab, VkReturn}, {9, 13}},
        {"arrows and paging",
         [] { Press(VkUp); Press(VkDown); Press(VkRight); Press(VkLeft); Press(VkPrior); Press(VkNext); },
         {256, 257, 258, 259, 260, 261}, {256, 257, 258, 259, 260, 261}},
        {"Home, End, Delete, Insert", [] { Press(VkHome); Press(VkEnd); Press(VkDelete); Press(VkInsert); },
         {264, 265, 262, 270}, {264, 265, 262, 270}},
        {"copy and paste",
         [] { WithModifier(VkControl, VkInsert); WithModifier(VkShift, VkInsert); WithModifier(VkControl, 'V'); },
         {263, 266, 266}, {263, 266, 266}},
        {"Shift with F1 to F3", [] { WithModifier(VkShift, VkF1); WithModifier(VkShift, VkF1 + 2); },
         {267, 269}, {267, 269}},
        {"Backspace arrives only as a character", [] { Press(VkBack, 8); }, {}, {8}},
        {"Ctrl with digits 0 to 8 reaches character screens",
         [] { WithModifier(VkControl, '5'); WithModifier(VkControl, VkNumpad0 + 3); WithModifier(VkControl, '9'); },
         {}, {'5', VkNumpad0 + 3}},
        {"Ctrl with a letter reaches no screen", [] { WithModifier(VkControl, 'K'); }, {}, {}},
        {"an unknown character is dropped", [] { Send(WindowEventKind::Char, 300); }, {}, {}},
        {"Alt with 1, 2, 3 is the character 123",
         [] {
             Send(WindowEventKind::KeyDown, VkMenu);
             for (int digit : {'1', '2', '3'})
                 Press(digit, digit);
             Send(WindowEventKind::KeyUp, VkMenu);
         },
         {123}, {123}},
        {"a fourth Alt digit is dropped",
         [] {
             Send(WindowEventKind::KeyDown, VkMenu);
             for (int digit : {'2', '5', '5', '7'})
                 Press(digit, digit);
             Send(WindowEventKind::KeyUp, VkMenu);
         },
         {255}, {255}},
        {"an Alt number that is not typable is dropped",
         [] {
             Send(WindowEventKind::KeyDown, VkMenu);
             Press('3', '3');
             Press('1', '1');
             Send(WindowEventKind::KeyUp, VkMenu);
         },
         {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int raw = 0; raw <= 1; ++raw) {
            RecordingScreen screen;
            MakeScreen(screen, nullptr, raw);
            SetCurrentScreen(&screen);
            c.typing();
            EXPECT_EQ(screen.keys, raw ? c.raw : c.character) << (raw ? "raw-key screen" : "character screen");
            EXPECT_EQ(InputState.shiftHeld + InputState.ctrlHeld + InputState.altHeld, 0);
        }
    }
}

TEST_F(ScreenTest, ACharacterScreenOpenedByARawKeySwallowsThatKeystrokesCharacter)
{
    RecordingScreen menu, entry;
    entry.frame = MenuFrame;
    entry.mouse = RecordMouse;
    menu.openOnT = &entry;
    MakeScreen(menu, nullptr, 1);
    SetCurrentScreen(&menu);
    Press('T', 't');
    Press('X', 'x');
    EXPECT_EQ(menu.keys, std::vector<int>{'T'});
    EXPECT_EQ(entry.keys, std::vector<int>{'x'});
}

TEST_F(ScreenTest, LosingTheFocusReleasesEveryHeldKey)
{
    RecordingScreen screen;
    MakeScreen(screen, nullptr, 1);
    SetCurrentScreen(&screen);
    Send(WindowEventKind::KeyDown, platform::VkShift);
    Send(WindowEventKind::KeyDown, platform::VkControl);
    Send(WindowEventKind::KeyDown, 'W');
    Send(WindowEventKind::KeyDown, platform::VkDelete);
    EXPECT_EQ(InputState.keyState[platform::VkDelete], 1);
    Send(WindowEventKind::Activate, 0);
    EXPECT_EQ(InputState.shiftHeld + InputState.ctrlHeld + InputState.altHeld, 0);
    for (int key = 0; key < 256; ++key)
        EXPECT_EQ(InputState.keyState[key], 0) << "key " << key;
    EXPECT_EQ(InputState.appInactive, 1);
    Send(WindowEventKind::Activate, 1);
    EXPECT_EQ(InputState.appInactive, 0);
}

TEST_F(ScreenTest, MouseEventsCarryMovementWithinTheClientAreaAndPressCodes)
{
    RecordingScreen screen;
    MakeScreen(screen, nullptr, 1);
    SetCurrentScreen(&screen);
    struct Step {
        const char* name;
        WindowEventKind kind;
        int x, y, button, wheel, ctrl, shift;
        bool delivered;
        MouseEvent expect;
    };
    using K = WindowEventKind;
    const Step steps[] = {
        {"move", K::MouseMove, 100, 50, 0, 0, 0, 0, true, {100, 50, 0, 0, 0, 0, 0}},
        {"move", K::MouseMove, 110, 45, 0, 0, 0, 0, true, {10, -5, 0, 0, 0, 0, 0}},
        {"outside on x", K::MouseMove, 900, 55, 0, 0, 0, 0, true, {0, 10, 0, 0, 0, 0, 0}},
        {"left press", K::MouseDown, 110, 55, 1, 0, 0, 0, true, {0, 0, 1, 0, 1, 0, 0}},
        {"left release", K::MouseUp, 110, 55, 1, 0, 0, 0, true, {0, 0, 0, 0, 0, 0, 1}},
        {"left press with Ctrl and Shift", K::MouseDown, 110, 55, 1, 0, 1, 1, true, {0, 0, 1, 0, 13, 0, 0}},
        {"right press with Ctrl and Shift", K::MouseDown, 110, 55, 2, 0, 1, 1, true, {0, 0, 1, 1, 14, 0, 0}},
        {"wheel up has no movement", K::MouseWheel, 300, 300, 0, 120, 0, 0, true, {0, 0, 1, 1, 0, 1, 0}},
        {"wheel down", K::MouseWheel, 300, 300, 0, -120, 0, 0, true, {0, 0, 1, 1, 0, 2, 0}},
        {"wheel without movement", K::MouseWheel, 300, 300, 0, 0, 0, 0, false, {}},
        {"middle button", K::MouseDown, 110, 55, 3, 0, 0, 0, false, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        size_t before = screen.mice.size();
        Mouse(step.kind, step.x, step.y, step.button, step.wheel, step.ctrl, step.shift);
        ASSERT_EQ(screen.mice.size(), before + (step.delivered ? 1 : 0));
        if (!step.delivered)
            continue;
        const MouseEvent& got = screen.mice.back();
        EXPECT_EQ(got.dx, step.expect.dx);
        EXPECT_EQ(got.dy, step.expect.dy);
        EXPECT_EQ(got.leftHeld, step.expect.leftHeld);
        EXPECT_EQ(got.rightHeld, step.expect.rightHeld);
        EXPECT_EQ(got.press, step.expect.press);
        EXPECT_EQ(got.wheel, step.expect.wheel);
        EXPECT_EQ(got.release, step.expect.release);
    }
    EXPECT_EQ(InputState.keyState[3], 1);
    EXPECT_EQ(InputState.keyState[4], 1);
    EXPECT_EQ(InputState.keyState[5], 1);
}

// Esc during a slider drag on a menu screen (which takes raw keys) puts
// the value back, and the screen does not see the key: it would close
// itself with the drag still pointing into it.
TEST_F(ScreenTest, AKeyDuringASliderDragOnlyEndsTheDrag)
{
    using namespace platform;
    RecordingScreen screen;
    MakeScreen(screen, nullptr, 1);
    screen.mouse = DefaultScreenMouse;
    SetCurrentScreen(&screen);
    float value = 0.25f;
    ClearDisplayList();
    SelectColumnLayout(5);  // values from -0.25 to 0.25, rows 0.06 high
    AddSliderRow(&screen, "%.2f", 0.0f, &value, 0.0f, 1.0f, nullptr);
    // The slider runs from -0.22 to 0.22: 176 of the client's 800 pixels.
    const int y = 309, startX = 400;
    Mouse(WindowEventKind::MouseMove, startX, y);
    Mouse(WindowEventKind::MouseDown, startX, y, 1);
    Mouse(WindowEventKind::MouseMove, startX + 88, y);
    ASSERT_FLOAT_EQ(value, 0.75f) << "half the slider's width is half its range";
    Press(VkControl, 0);
    EXPECT_FLOAT_EQ(value, 0.75f) << "Ctrl alone keeps the drag";
    Press(VkEscape, 27);
    EXPECT_FLOAT_EQ(value, 0.25f);
    EXPECT_TRUE(screen.keys.empty());
    Mouse(WindowEventKind::MouseMove, startX + 44, y);
    Mouse(WindowEventKind::MouseUp, startX + 44, y, 1);
    EXPECT_FLOAT_EQ(value, 0.25f) << "the drag has ended";
    Press(VkEscape, 27);
    EXPECT_EQ(screen.keys, std::vector<int>{27}) << "without a drag the key arrives";
}

TEST_F(ScreenTest, AQuitEmptiesTheChainOneLevelPerPassAndDropsKeys)
{
    RecordingScreen top, middle, bottom;
    MakeScreen(top, nullptr, 1);
    MakeScreen(middle, &top, 1);
    MakeScreen(bottom, &middle, 1);
    OpenChildScreen(&top, &middle);
    OpenChildScreen(&middle, &bottom);
    SetCurrentScreen(&bottom);
    EXPECT_EQ(RequestQuit(0), 1);
    EXPECT_EQ(RequestQuit(0), 1);  // once only
    Press('A', 'a');
    EXPECT_TRUE(bottom.keys.empty());
    int passes = 0;
    Screen* next = &top;
    while (next != nullptr && passes < 10) {
        next = next->frame(next);
        ++passes;
    }
    // Bottom closes in pass 1, middle in 2, top in 3; pass 4 ends the chain.
    EXPECT_EQ(passes, 4);
    EXPECT_EQ(bottom.frames, 1);
    EXPECT_EQ(middle.frames, 2);
    EXPECT_EQ(top.frames, 3);
    EXPECT_EQ(CurrentScreen, nullptr);
}

// Runs the root screen's frame until it returns another screen or passes
// run out; returns the passes taken.
int RunRoot(Screen*& root, int passes)
{
    for (int pass = 1; pass <= passes; ++pass) {
        Screen* next = root->frame(root);
        if (next != root) {
            root = next;
            return pass;
        }
    }
    return 0;
}

TEST_F(ScreenTest, RootScreenEndsTheProgramOrCancelsAQuitWhenIdle)
{
    struct Case {
        const char* name;
        int graphics;
        int dedicated;
        int target;
        int endsAfter;  // passes until the chain ends; 0: the root stays
    };
    const Case cases[] = {
        {"closing the window while idle ends without credits", 1, 0, 0, 2},
        {"a quit with a return-to target is cancelled", 1, 0, 1, 0},
        {"a host without graphics ends on a quit", 0, 2, 0, 2},
        {"an invisible host ends on a quit", 0, 3, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetCoreTables();
        ResetAppTables();
        EditProgramMode([&c](ProgramModeRecord& mode) {
            mode.graphicsOn = c.graphics;
            mode.dedicatedMode = c.dedicated;
        });
        Screen* root = CreateRootScreen(nullptr);
        EXPECT_EQ(RunRoot(root, 3), 0) << "the idle root stays";
        RequestQuit(c.target);
        int passes = RunRoot(root, 5);
        EXPECT_EQ(passes, c.endsAfter);
        if (c.endsAfter != 0) {
            EXPECT_EQ(root, nullptr);
            EXPECT_EQ(RootState.screen, nullptr);
            EXPECT_EQ(RootState.quitDecision, -1);
        } else {
            EXPECT_EQ(ProgramMode.quitState, 0);
            EXPECT_EQ(CurrentScreen, root);
            CloseScreen(root);
            root->frame(root);
        }
    }
}

TEST_F(ScreenTest, RootScreenRestartsAHostThreeSecondsOfGameTimeLater)
{
    EditProgramMode([](ProgramModeRecord& mode) {
        mode.graphicsOn = 0;
        mode.dedicatedMode = 2;
        mode.startMode = 2;
    });
    Screen* root = CreateRootScreen(nullptr);
    RootState.quitDecision = 4;
    SetStartMode(1);
    root->frame(root);
    EXPECT_EQ(RootState.quitDecision, 3);
    for (int pass = 0; pass < 5; ++pass) {
        AdvanceGameTime(500);
        root->frame(root);
    }
    EXPECT_EQ(ProgramMode.startMode, 1);  // 2500 ms: not yet
    AdvanceGameTime(500);
    root->frame(root);
    EXPECT_EQ(ProgramMode.startMode, 2);
    EXPECT_EQ(RootState.quitDecision, 0);
    std::string log = folder.ReadFile("deb.log");
    size_t first = log.find("Host will restart in 3 seconds");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("Host will restart in 3 seconds", first + 1), std::string::npos);
    CloseScreen(root);
    EXPECT_EQ(root->frame(root), nullptr);
}

} // namespace
