// The first run as a new user meets it: the program on the generated data
// folder in a private X server, without a window manager and with one, full
// screen (no cfg.txt) and in a window. The window's close request, SIGTERM
// and SIGINT each end it with exit code 0 and the settings saved; a copy
// started with /kill ends the running one and ends itself (a copy that
// went on to open a window would not).
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "support/process.h"
#include "support/temp_folder.h"
#include "support/x_display.h"

namespace {

namespace fs = std::filesystem;

constexpr int ScreenWidth = 1280, ScreenHeight = 1024;
// A window's client area is the desktop less room for a frame and a task
// bar (128 x 96).
constexpr int WindowWidth = ScreenWidth - 128, WindowHeight = ScreenHeight - 96;
// Long beyond any real start or end (the sanitizer build on a busy
// machine), short against a program that never ends.
constexpr int StartSeconds = 60, EndSeconds = 20;

class FirstRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        game = std::make_unique<TempFolder>();
        ProcessResult built = RunProcess(QV_MKDATA, {game->Path()}, game->Path());
        if (built.exitCode != 0)
            displayFailure = "the data builder failed: " + built.output;
        else
            displayFailure = display.Start(ScreenWidth, ScreenHeight);
    }
    static void TearDownTestSuite()
    {
        display.Stop();
        game.reset();
    }
    void SetUp() override
    {
        ASSERT_EQ(displayFailure, "");
        fs::copy(game->Path() + "/data", folder.Path() + "/data", fs::copy_options::recursive);
    }

    // Waits until the copy has started and its window shows; where it is.
    WindowPlace WaitUntilShown(RunningProgram& program) const
    {
        auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(StartSeconds)) {
            if (folder.ReadFile("deb.log").find("end of initialisation") != std::string::npos) {
                WindowPlace place = FindWindowOfClass("QVN");
                if (place.id != 0)
                    return place;
            }
            if (program.Wait(0) != -1)
                break;  // it ended
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }

    // Starts the program full screen or in a window, ends it each way and
    // checks that it ended at once with its settings saved.
    void EndEachWay()
    {
        enum class Ender { Close, Terminate, Interrupt };
        struct Case {
            const char* name;
            bool windowed;
            Ender ender;
        };
        const Case cases[] = {
            {"full screen, closed", false, Ender::Close},
            {"full screen, SIGTERM", false, Ender::Terminate},
            {"full screen, SIGINT", false, Ender::Interrupt},
            {"window, closed", true, Ender::Close},
            {"window, SIGTERM", true, Ender::Terminate},
            {"window, SIGINT", true, Ender::Interrupt},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            fs::remove(folder.Path() + "/cfg.txt");
            fs::remove(folder.Path() + "/deb.log");
            if (c.windowed)
                folder.WriteFile("cfg.txt", "Start Windowed 1\r\n");
            RunningProgram program({QV_PROGRAM}, folder.Path(), folder.Path() + "/said.txt");
            ASSERT_GT(program.pid, 0);
            WindowPlace place = WaitUntilShown(program);
            ASSERT_NE(place.id, 0u) << "no window of class QVN\n"
                                    << folder.ReadFile("said.txt") << folder.ReadFile("deb.log");
            if (c.windowed) {
                EXPECT_EQ(place.width, WindowWidth);
                EXPECT_EQ(place.height, WindowHeight);
            } else {
                EXPECT_EQ(place.x, 0);
                EXPECT_EQ(place.y, 0);
                EXPECT_EQ(place.width, ScreenWidth);
                EXPECT_EQ(place.height, ScreenHeight);
            }
            if (c.ender == Ender::Close)
                ASSERT_EQ(SendCloseRequest(place.id), 1);
            else
                kill(program.pid, c.ender == Ender::Terminate ? SIGTERM : SIGINT);
            ASSERT_EQ(program.Wait(EndSeconds), 0) << "did not end with 0\n"
                                                    << folder.ReadFile("said.txt") << folder.ReadFile("deb.log");
            std::string settings = folder.ReadFile("cfg.txt");
            EXPECT_NE(settings.find(c.windowed ? "Start Windowed 1" : "Start Windowed 0"), std::string::npos)
                << settings;
            std::string log = folder.ReadFile("deb.log");
            EXPECT_NE(log.find("save config"), std::string::npos) << log;
        }
    }

    static PrivateDisplay display;
    static std::string displayFailure;
    static std::unique_ptr<TempFolder> game;
    TempFolder folder;
};
PrivateDisplay FirstRunTest::display;
std::string FirstRunTest::displayFailure;
std::unique_ptr<TempFolder> FirstRunTest::game;

TEST_F(FirstRunTest, WithoutAWindowManagerEveryWayOfClosingEndsTheProgram)
{
    EndEachWay();
}

TEST_F(FirstRunTest, WithAWindowManagerEveryWayOfClosingEndsTheProgram)
{
    ASSERT_EQ(display.StartWindowManager("openbox"), "");
    EndEachWay();
    display.StopWindowManager();
}

TEST_F(FirstRunTest, KillEndsTheRunningCopyAndThenItself)
{
    RunningProgram running({QV_PROGRAM}, folder.Path());
    ASSERT_GT(running.pid, 0);
    WindowPlace place = WaitUntilShown(running);
    ASSERT_NE(place.id, 0u) << folder.ReadFile("deb.log");
    // Started in the same folder, as a user would.
    RunningProgram killer({QV_PROGRAM, "/kill"}, folder.Path());
    ASSERT_GT(killer.pid, 0);
    EXPECT_EQ(killer.Wait(EndSeconds), 0);
    EXPECT_EQ(running.Wait(EndSeconds), 0);
    EXPECT_TRUE(fs::exists(folder.Path() + "/cfg.txt"));

    // With nothing left to end, it says so, and still opens no window.
    ProcessResult alone = RunProcess(QV_PROGRAM, {"/kill"}, folder.Path());
    EXPECT_NE(alone.output.find("No running copy of QVN was found"), std::string::npos) << alone.output;
}

} // namespace
