// The SDL window in a private X server without a window manager: setting
// the style a window has already makes no window event, and a new size is
// told once. (In full screen SDL answers a size set again by setting the
// display mode again and telling a size change; the program answers a size
// change in full screen by setting the style, so its queue never emptied.)
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/text_codes.h"
#include "platform/window.h"
#include "support/x_display.h"

// The window system's desktop-bus connection keeps a buffer until the
// process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace {

using namespace platform;

constexpr int ScreenWidth = 800, ScreenHeight = 600;

class WindowSdlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { failure = display.Start(ScreenWidth, ScreenHeight); }
    static void TearDownTestSuite() { display.Stop(); }
    void SetUp() override
    {
        ASSERT_EQ(failure, "");
        ASSERT_EQ(OpenWindowSystem(WindowBackEnd::Sdl), 1);
        MainWindowParams params;
        params.clientWidth = 640;
        params.clientHeight = 480;
        ASSERT_EQ(OpenMainWindow(params), 1);
    }
    void TearDown() override { CloseWindowSystem(); }

    // The size changes told until the window system has been quiet for a
    // while (the X server answers on its own time).
    static std::vector<std::pair<int, int>> SizesToldUntilQuiet()
    {
        std::vector<std::pair<int, int>> sizes;
        auto quietSince = std::chrono::steady_clock::now();
        auto start = quietSince;
        while (std::chrono::steady_clock::now() - quietSince < std::chrono::milliseconds(400) &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
            WindowEvent event;
            if (PollEvent(event)) {
                if (event.kind == WindowEventKind::Resize)
                    sizes.emplace_back(event.width, event.height);
                quietSince = std::chrono::steady_clock::now();
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return sizes;
    }

    static PrivateDisplay display;
    static std::string failure;
};
PrivateDisplay WindowSdlTest::display;
std::string WindowSdlTest::failure;

TEST_F(WindowSdlTest, StyleSetAgainMakesNoEventAndANewSizeIsToldOnce)
{
    using Sizes = std::vector<std::pair<int, int>>;
    struct Case {
        const char* name;
        bool fullScreen;        // the device has put the window into a full-screen mode
        int windowed, width, height;
        Sizes told;
    };
    const Case cases[] = {
        {"full screen, style set again", true, 0, ScreenWidth, ScreenHeight, {}},
        {"window, same style and size", false, 1, 640, 480, {}},
        {"window, new size", false, 1, 500, 400, {{500, 400}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        auto* window = static_cast<SDL_Window*>(MainWindowHandle());
        ASSERT_NE(window, nullptr);
        if (c.fullScreen) {
            ASSERT_EQ(SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN), 0) << SDL_GetError();
        }
        SizesToldUntilQuiet();
        if (c.fullScreen) {
            int width = 0, height = 0;
            GetClientSize(width, height);
            ASSERT_EQ(width, ScreenWidth);
            ASSERT_EQ(height, ScreenHeight);
        }
        for (int again = 0; again < 3; ++again)
            SetWindowStyle(c.windowed, c.width, c.height);
        EXPECT_EQ(SizesToldUntilQuiet(), c.told);
    }
}

TEST_F(WindowSdlTest, TextEditingAndTextInputArriveInTheKeyboardsCodePage)
{
    ClearEvents();
    SetKeyboardCodePageNumber(932);
    SDL_Event editing {};
    editing.type = SDL_TEXTEDITING;
    std::snprintf(editing.edit.text, sizeof editing.edit.text, "%s", "\xE3\x81\xAB\xE3\x81\xBB");  // "にほ"
    editing.edit.start = 1;
    ASSERT_EQ(SDL_PushEvent(&editing), 1);
    SDL_Event ended {};
    ended.type = SDL_TEXTEDITING;
    ASSERT_EQ(SDL_PushEvent(&ended), 1);
    SDL_Event input {};
    input.type = SDL_TEXTINPUT;
    std::snprintf(input.text.text, sizeof input.text.text, "%s", "\xE6\x97\xA5" "a\x01");  // "日a" and a control
    ASSERT_EQ(SDL_PushEvent(&input), 1);
    GatherEvents();

    std::vector<WindowEvent> events;
    for (WindowEvent event; PollEvent(event);) {
        if (event.kind == WindowEventKind::TextEditing || event.kind == WindowEventKind::Char)
            events.push_back(event);
    }
    SetKeyboardCodePageNumber(1252);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, WindowEventKind::TextEditing);
    EXPECT_STREQ(events[0].text, "\xE3\x81\xAB\xE3\x81\xBB");
    EXPECT_EQ(events[0].editCursor, 1);
    EXPECT_EQ(events[1].kind, WindowEventKind::TextEditing);
    EXPECT_STREQ(events[1].text, "") << "the composition ended";
    const int bytes[] = {0x93, 0xFA, 'a'};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(events[2 + i].kind, WindowEventKind::Char);
        EXPECT_EQ(events[2 + i].character, bytes[i]);
    }
}

} // namespace
