// The whole program started on the generated data folder: start-up and
// shut-down in their order (as the debug log and, under strace, the
// kernel's own record show), closing on a signal or a typed command, and
// start-up ending on a missing default skin.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/process.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The announcement lines of start-up and shut-down, in their order, for a
// dedicated host without graphics.
const std::vector<std::string> StartupLines = {
    "QVN : 0.5Z",     "timer resolution 1 ms", "read config",     "get command line",
    "load bans",      "load font",             "create english file", "initialisations",
    "tables",         "load objects",          "start intro",     "end of initialisation",
};
const std::vector<std::string> ShutdownLines = {
    "shutting down",  "free objects", "free languages", "free controllers", "clear light map",
    "close sound",    "free humans",  "free font",      "free helmet",      "free host list",
    "kill graphics",  "save controls", "save config",   "free mouse",       "EXIT",
};

std::vector<std::string> LogLines(const std::string& folder)
{
    std::ifstream file(folder + "/deb.log", std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The log's announcement lines only (other lines are the subsystems' own).
std::vector<std::string> Announcements(const std::vector<std::string>& lines)
{
    std::set<std::string> known(StartupLines.begin(), StartupLines.end());
    known.insert(ShutdownLines.begin(), ShutdownLines.end());
    for (const char* more : {"preinit d3d", "human system", "helmet", "controllers", "default light map",
                             "load language", "close TrackIR", "save calibrations"})
        known.insert(more);
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (known.count(line))
            kept.push_back(line);
    return kept;
}

std::vector<std::string> Concatenate(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Waits until the debug log holds the line.
bool WaitForLogLine(const std::string& folder, const std::string& wanted, int seconds)
{
    for (int tenth = 0; tenth < seconds * 10; ++tenth) {
        for (const std::string& line : LogLines(folder))
            if (line == wanted)
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

class StartupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        built = std::make_unique<TempFolder>();
        ProcessResult result = RunProcess(QV_MKDATA, {built->Path()}, built->Path());
        ASSERT_EQ(result.exitCode, 0) << result.output;
    }
    static void TearDownTestSuite() { built.reset(); }
    // Each test runs in a copy of the generated game folder.
    void SetUp() override
    {
        fs::copy(built->Path() + "/data", folder.Path() + "/data", fs::copy_options::recursive);
    }

    static std::unique_ptr<TempFolder> built;
    TempFolder folder;
};
std::unique_ptr<TempFolder> StartupTest::built;

TEST_F(StartupTest, InvisibleHostStartsRunsAndShutsDownInOrderOnASignal)
{
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGINT");
        RunningProgram program({QV_PROGRAM, "/host=Test", "/dedicated=invisible"}, folder.Path());
        ASSERT_GT(program.pid, 0);
        ASSERT_TRUE(WaitForLogLine(folder.Path(), "end of initialisation", 30));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // some passes of the loop
        kill(program.pid, signal);
        EXPECT_EQ(program.Wait(30), 0);
        std::vector<std::string> lines = LogLines(folder.Path());
        EXPECT_EQ(Announcements(lines), Concatenate(StartupLines, ShutdownLines));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "QVN : 0.5Z");
        EXPECT_EQ(lines.back(), "EXIT");
        EXPECT_TRUE(fs::exists(folder.Path() + "/cfg.txt"));
        EXPECT_FALSE(fs::exists(folder.Path() + "/data/file.fl"));
    }
}

TEST_F(StartupTest, ConsoleHostEndsOnTheExitCommandTypedOnItsTerminal)
{
    RunningProgram program({QV_PROGRAM, "/host=Test", "/dedicated=nogfx"}, folder.Path());
    ASSERT_GT(program.pid, 0);
    ASSERT_TRUE(WaitForLogLine(folder.Path(), "end of initialisation", 30));
    program.Type("/exit\n");
    EXPECT_EQ(program.Wait(30), 0);
    std::vector<std::string> startup = StartupLines;
    EXPECT_EQ(Announcements(LogLines(folder.Path())), Concatenate(startup, ShutdownLines));
}

TEST_F(StartupTest, AMissingDefaultSkinEndsStartUpWithItsPath)
{
    fs::remove(folder.Path() + "/data/skins/VOG_DEFAULT.jpg");
    fs::remove(folder.Path() + "/data/skins_dds/VOG_DEFAULT.dds");
    ProcessResult run = RunProcess(QV_PROGRAM, {"/host=Test", "/dedicated=invisible"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0);
    const std::string message = "Could not open file : data\\skins\\VOG_DEFAULT.jpg";
    EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    std::vector<std::string> lines = LogLines(folder.Path());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), message);
    EXPECT_EQ(Announcements(lines),
              (std::vector<std::string>{"QVN : 0.5Z", "timer resolution 1 ms", "read config", "get command line"}));
}

TEST_F(StartupTest, AnUnknownOptionEndsStartUpWithItsMessage)
{
    ProcessResult run = RunProcess(QV_PROGRAM, {"/host=Test", "/wheels=4"}, folder.Path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("Parameter 2 is invalid"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(folder.Path() + "/cfg.txt"));
}

// The kernel's record of the program's file operations, in its order.
TEST_F(StartupTest, FileOperationsOfStartUpAndShutDownComeInTheirOrderUnderStrace)
{
    if (system("command -v strace >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    std::string trace = folder.Path() + "/trace.txt";
    // The leak checker of the sanitizer build cannot run under a tracer.
    const char* options = getenv("ASAN_OPTIONS");
    std::string savedOptions = options != nullptr ? options : "";
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    RunningProgram program({"strace", "-f", "-qq", "-o", trace, "-e",
                            "trace=openat,open,creat,mkdir,unlink,unlinkat,rename,renameat,stat,newfstatat,access",
                            QV_PROGRAM, "/host=Test", "/dedicated=nogfx"},
                           folder.Path());
    if (options != nullptr)
        setenv("ASAN_OPTIONS", savedOptions.c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
    ASSERT_GT(program.pid, 0);
    ASSERT_TRUE(WaitForLogLine(folder.Path(), "end of initialisation", 60));
    program.Type("/exit\n");
    ASSERT_EQ(program.Wait(60), 0);
    std::ifstream file(trace);
    std::stringstream text;
    text << file.rdbuf();
    std::string record = text.str();
    // Each step's first file, in the order start-up and shut-down take them.
    const std::vector<std::string> steps = {
        "\"data/file.fl\"",               // the write test
        "data/skins/HEL_DEFAULT",         // the default skins and engines
        "data/engine/WQG_default.eng",
        "data/skins/KTA_DEFAULT",
        "\"data/spr/file.fl\"",           // the data folders
        "\"data/grids/file.fl\"",
        "data/abc/qvn.abc",               // the font
        "data/language/English.txt",      // the English file
        "data/veh/WQ.vob",                // the body models, in table order
        "data/veh/KT.vob",
        "cfg.txt",                        // saved at shut-down
    };
    size_t at = 0;
    for (const std::string& step : steps) {
        size_t found = record.find(step, at);
        ASSERT_NE(found, std::string::npos) << step << " missing after position " << at;
        at = found;
    }
}


// Sends the window the close request that a window manager sends when the
// user closes it (a WM_PROTOCOLS message naming WM_DELETE_WINDOW).
const char* const CloseWindowScript = R"(import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]
display = x.XOpenDisplay(None)
event = ClientMessage()
event.type = 33
event.window = int(sys.argv[1])
event.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.format = 32
event.l[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, event.window, 0, 0, ctypes.byref(event))
x.XFlush(display)
)";

// Runs in the virtual display: starts the program, finds its window by
// its class, types keys into it and closes it as a window manager would.
const char* const WindowSessionScript = R"(program="$1"
timeout 180 "$program" > program.out 2>&1 &
pid=$!
for i in $(seq 1 1200); do
  grep -q "end of initialisation" deb.log 2>/dev/null && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
# The main window is the visible one (the graphics layer's probe windows
# are hidden and gone by now).
window=$(xdotool search --onlyvisible --classname QVN 2>/dev/null | tail -1)
[ -n "$window" ] || window=$(xdotool search --classname QVN 2>/dev/null | tail -1)
echo "window=$window" > session.txt
if [ -n "$window" ]; then
  sleep 1
  for keys in ctrl+s shift+F8 ctrl+Tab; do
    xdotool key --window "$window" $keys
    sleep 0.5
  done
  sleep 1
  python3 close_window.py "$window"
fi
wait $pid
echo "exit=$?" >> session.txt
)";

TEST_F(StartupTest, WindowOfClassQvnTakesKeysAndClosesFromTheWindowManager)
{
    if (system("command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run or xdotool is not installed";
    folder.WriteFile("cfg.txt", "Start Windowed 1\r\n");
    folder.WriteFile("close_window.py", CloseWindowScript);
    folder.WriteFile("session.sh", WindowSessionScript);
    ProcessResult run = RunProcess("/usr/bin/xvfb-run",
                                   {"-a", "-s", "-screen 0 1280x1024x24", "bash", "session.sh", QV_PROGRAM},
                                   folder.Path());
    std::string session = folder.ReadFile("session.txt");
    ASSERT_EQ(session.find("window=\n"), std::string::npos) << "no window of class QVN\n"
                                                             << run.output << folder.ReadFile("program.out")
                                                             << folder.ReadFile("deb.log");
    EXPECT_NE(session.find("exit=0"), std::string::npos) << session << folder.ReadFile("program.out");
    std::vector<std::string> lines = LogLines(folder.Path());
    auto has = [&](const std::string& wanted) {
        for (const std::string& line : lines)
            if (line == wanted)
                return true;
        return false;
    };
    // The OpenGL device reports every blend factor, clamped addressing,
    // modulate-2x and several textures at once: shadows and doubled
    // textures stay available.
    for (const char* line : {"can do shadows", "can use 2x tex", "can do multi tex"})
        EXPECT_TRUE(has(line)) << line;
    // Shift+F8 and Ctrl+Tab show their messages; closing runs the shut-down.
    EXPECT_TRUE(has("SHIFT + F8 - network debug - On"));
    EXPECT_TRUE(has("CTRL + TAB - show results : auto"));
    EXPECT_TRUE(has("shutting down"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "EXIT");
    // Ctrl+S saved the frame as a BMP file that a standard decoder reads.
    std::string shot = folder.Path() + "/data/shots/qvn_00000001.bmp";
    ASSERT_TRUE(fs::exists(shot));
    EXPECT_EQ(folder.ReadFile("data/shots/qvn_00000001.bmp").substr(0, 2), "BM");
    if (system("command -v identify >/dev/null 2>&1") == 0) {
        std::string command = "identify -format '%m %w %h' '" + shot + "' > '" + folder.Path() + "/identify.txt'";
        ASSERT_EQ(system(command.c_str()), 0);
        EXPECT_EQ(folder.ReadFile("identify.txt"), "BMP3 1152 928");  // BMP version 3
    }
}

} // namespace
