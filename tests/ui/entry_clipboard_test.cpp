// The entry line's copy and paste with another X client (xclip) through
// the SDL2 window system in a private X server: the line's copy reaches
// the other program as UTF-8, and text the other program holds is pasted
// in the keyboard's code page, cleaned of control characters.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/text_codes.h"
#include "platform/window.h"
#include "support/process.h"
#include "support/temp_folder.h"
#include "support/x_display.h"
#include "ui/local.h"

// The window system's desktop-bus connection keeps a buffer until the
// process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace {

class EntryClipboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { failure = display.Start(320, 240); }
    static void TearDownTestSuite() { display.Stop(); }
    void SetUp() override
    {
        ASSERT_EQ(failure, "");
        ResetCoreTables();
        ResetUiTables();
        platform::SetKeyboardCodePageNumber(1252);
        ASSERT_EQ(platform::OpenWindowSystem(platform::WindowBackEnd::Sdl), 1);
        platform::MainWindowParams params;
        params.clientWidth = 64;
        params.clientHeight = 64;
        ASSERT_EQ(platform::OpenMainWindow(params), 1);
    }
    void TearDown() override
    {
        platform::CloseMainWindow();
        platform::CloseWindowSystem();
        ResetUiTables();
    }

    // Runs xclip and keeps the window system answering while it asks us
    // for the clipboard; its exit code.
    int RunXclip(const std::vector<std::string>& words, const std::string& output)
    {
        RunningProgram xclip(words, folder.Path(), output);
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
            platform::GatherEvents();
            platform::ClearEvents();
            const int code = xclip.Wait(0);
            if (code != -1 || xclip.pid < 0)
                return code;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    std::string ReadOutput(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    static PrivateDisplay display;
    static std::string failure;
    TempFolder folder;
};
PrivateDisplay EntryClipboardTest::display;
std::string EntryClipboardTest::failure;

TEST_F(EntryClipboardTest, ACopiedLineReachesAnotherProgramAsUtf8)
{
    BeginTextEntry(EntryLineSize, "^1Gr\xFC\xDF" "e ^9\x80 5", 0, EntryModeFree);
    HandleEntryKey(KeyCodeCopy);
    const std::string output = folder.Path() + "/out.txt";
    ASSERT_EQ(RunXclip({"xclip", "-selection", "clipboard", "-o"}, output), 0);
    EXPECT_EQ(ReadOutput(output), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC 5");
}

TEST_F(EntryClipboardTest, AnotherProgramsTextIsPastedCleaned)
{
    // xclip keeps serving the selection from a child of its own, which may
    // take the clipboard only after the parent has ended: read it back with
    // another xclip until it is there.
    const std::string held = "caf\xC3\xA9\t\x1B[1m b\xE2\x82\xAC";
    ASSERT_EQ(RunXclip({"sh", "-c", "printf 'caf\\303\\251\\t\\033[1m b\\342\\202\\254' | xclip -selection clipboard -i"},
                       "/dev/null"),
              0);
    const std::string check = folder.Path() + "/held.txt";
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (RunXclip({"xclip", "-selection", "clipboard", "-o"}, check) == 0 && ReadOutput(check) == held)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(ReadOutput(check), held);
    BeginTextEntry(EntryLineSize, nullptr, 0, EntryModeFree);
    HandleEntryKey(KeyCodePaste);
    EXPECT_STREQ(EntryLine.text, "caf\xE9[1m b\x80");
}

} // namespace
