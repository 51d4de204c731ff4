// The first run as a new user meets it: the program on the generated data
// folder in a private X server, without a window manager and with one, full
// screen (no cfg.txt) and in a window. The window's close request, SIGTERM
// and SIGINT each end it with exit code 0 and the settings saved; a copy
// started with /kill ends the running one and ends itself (a copy that
// went on to open a window would not). A signal during start-up ends the
// program once it has started.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "game_folder_fixture.h"
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
    static void SetUpTestSuite() { displayFailure = display.Start(ScreenWidth, ScreenHeight); }
    static void TearDownTestSuite() { display.Stop(); }
    void SetUp() override
    {
        ASSERT_EQ(displayFailure, "");
        ASSERT_EQ(CopyGameData(folder.Path()), "");
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
    TempFolder folder;
};
PrivateDisplay FirstRunTest::display;
std::string FirstRunTest::displayFailure;

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

// A signal that comes while the program starts is kept: start-up finishes,
// the first pass reads it, and the program ends as it would later. The
// settings file is a pipe, so that start-up waits in reading it until the
// signal has come.
TEST_F(FirstRunTest, ASignalDuringStartUpEndsTheProgramOnceStarted)
{
    std::string settingsPath = folder.Path() + "/cfg.txt";
    ASSERT_EQ(mkfifo(settingsPath.c_str(), 0600), 0);
    RunningProgram program({QV_PROGRAM}, folder.Path(), folder.Path() + "/said.txt");
    ASSERT_GT(program.pid, 0);
    for (int tenth = 0; tenth < StartSeconds * 10; ++tenth) {
        if (folder.ReadFile("deb.log").find("read config") != std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(program.Wait(0), -1) << "ended before the signal\n" << folder.ReadFile("said.txt");
    ASSERT_GT(program.pid, 0);
    kill(program.pid, SIGTERM);
    // The settings arrive once the program reads them (a program that the
    // signal ended never does).
    int settings = -1;
    for (int tenth = 0; tenth < StartSeconds * 10 && settings < 0; ++tenth) {
        if (program.Wait(0) != -1 || program.pid < 0)
            break;  // it ended
        settings = open(settingsPath.c_str(), O_WRONLY | O_NONBLOCK);
        if (settings < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (settings >= 0) {
        const char text[] = "Start Windowed 1\r\n";
        EXPECT_EQ(write(settings, text, sizeof text - 1), static_cast<ssize_t>(sizeof text - 1));
        close(settings);
    }
    ASSERT_EQ(program.Wait(StartSeconds), 0) << folder.ReadFile("said.txt") << folder.ReadFile("deb.log");
    std::string log = folder.ReadFile("deb.log");
    EXPECT_NE(log.find("end of initialisation"), std::string::npos) << log;
    EXPECT_NE(log.find("save config"), std::string::npos) << log;
    EXPECT_NE(folder.ReadFile("cfg.txt").find("Start Windowed 1"), std::string::npos);
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
    EXPECT_EQ(alone.exitCode, 20) << "a /kill that ends nothing is a failure";
}

} // namespace
