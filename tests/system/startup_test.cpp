// The whole program started on the generated data folder: start-up and
// shut-down in their order (as the debug log and, under strace, the
// kernel's own record show), closing on a signal or a typed command, the
// exit code and message of each kind of start-up failure, and two copies
// sharing one folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
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
#include "game_folder_fixture.h"

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

std::vector<std::string> LogLines(const std::string& folder, const std::string& log = "deb.log")
{
    std::ifstream file(folder + "/" + log, std::ios::binary);
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

// Waits until the debug log (deb.log unless named) holds the line.
bool WaitForLogLine(const std::string& folder, const std::string& wanted, int seconds,
                    const std::string& log = "deb.log")
{
    for (int tenth = 0; tenth < seconds * 10; ++tenth) {
        for (const std::string& line : LogLines(folder, log))
            if (line == wanted)
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Each test runs in a copy of the generated game folder.
class StartupTest : public GameFolderTest {};

TEST_F(StartupTest, InvisibleHostStartsRunsAndShutsDownInOrderOnASignal)
{
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGINT");
        // The last run's log must not be taken for this one's.
        fs::remove(folder.Path() + "/deb.log");
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

// The console host's terminal shows its log, from the version line on
// (written before the console existed) to the last line of shut-down.
TEST_F(StartupTest, ConsoleHostShowsItsLogOnItsTerminalAndEndsOnTheExitCommand)
{
    RunningProgram program({QV_PROGRAM, "/host=Test", "/dedicated=nogfx"}, folder.Path(),
                           folder.Path() + "/terminal.txt");
    ASSERT_GT(program.pid, 0);
    ASSERT_TRUE(WaitForLogLine(folder.Path(), "end of initialisation", 30));
    program.Type("/exit\n");
    EXPECT_EQ(program.Wait(30), 0);
    std::vector<std::string> startup = StartupLines;
    std::vector<std::string> log = LogLines(folder.Path());
    EXPECT_EQ(Announcements(log), Concatenate(startup, ShutdownLines));
    std::vector<std::string> terminal = LogLines(folder.Path(), "terminal.txt");
    EXPECT_EQ(terminal, log);
}

// Each kind of start-up failure ends the program with its own exit code,
// its message (the reason, with paths as this system writes them) and, where
// the user can mend the cause, what to do. Nothing is saved.
TEST_F(StartupTest, FailuresEndWithTheirExitCodeAndSayWhatToDo)
{
    const std::string rebuild = "The data builder makes the data folder: build/bin/mkdata game";
    struct Case {
        const char* label;
        std::vector<std::string> arguments;
        std::function<void(const std::string&)> breakFolder;
        int exitCode;
        std::vector<std::string> said;  // lines of the message, in the output
    };
    auto remove = [](std::initializer_list<const char*> names) {
        std::vector<std::string> kept(names.begin(), names.end());
        return [kept](const std::string& game) {
            for (const std::string& name : kept)
                fs::remove_all(game + "/" + name);
        };
    };
    // Keeps the first bytes of a file only.
    auto cut = [](const char* name, size_t keep) {
        return [name, keep](const std::string& game) { fs::resize_file(game + "/" + name, keep); };
    };
    auto spoilHeader = [](const char* name) {
        return [name](const std::string& game) {
            std::fstream file(game + "/" + name, std::ios::in | std::ios::out | std::ios::binary);
            file.write("XXXXXX", 6);
        };
    };
    auto nothing = [](const std::string&) {};
    const std::vector<std::string> host = {"/host=Test", "/dedicated=invisible"};
    // A replay check runs without graphics but loads the figures.
    const std::vector<std::string> check = {"/hlvc=none"};
    const Case cases[] = {
        {"an unknown option", {"/host=Test", "/wheels=4"}, nothing, 20, {"Parameter 2 is invalid"}},
        {"a file to hand over that is not a replay", {"bad.spr"},
         [](const std::string& game) { std::ofstream(game + "/bad.spr") << "not a replay"; }, 20,
         {"SPR file of unknown format"}},
        {"no data folder", host, remove({"data"}), 21,
         {"Is QVN correctly installed on a hard drive?", "There is no data folder in " + folder.Path(),
          "build/bin/mkdata game"}},
        {"a missing default skin", host, remove({"data/skins/VOG_DEFAULT.jpg", "data/skins_dds/VOG_DEFAULT.dds"}), 22,
         {"Could not open file : data/skins/VOG_DEFAULT.jpg", rebuild}},
        {"a missing engine", host, remove({"data/engine/KTA_default.eng"}), 22,
         {"Could not open file : data/engine/KTA_default.eng", rebuild}},
        {"a damaged font", host, cut("data/abc/qvn.abc", 40), 22,
         {"Could not load font : File is damaged : data/abc/qvn.abc (", rebuild}},
        {"missing figures", check, remove({"data/hmn/hmn.hmn"}), 22,
         {"Could not load humans : Could not open file : data/hmn/hmn.hmn", rebuild}},
        {"damaged figures", check, cut("data/hmn/hmn.hmn", 100), 22,
         {"Could not load humans : File is damaged : data/hmn/hmn.hmn (", rebuild}},
        {"a damaged body model", host, cut("data/veh/WQ.vob", 300), 22,
         {"File is damaged : data/veh/WQ.vob (", rebuild}},
        {"a body model of another kind", host, spoilHeader("data/veh/N1.vob"), 22,
         {"File failed header check : data/veh/N1.vob", rebuild}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder game;
        fs::copy(folder.Path() + "/data", game.Path() + "/data", fs::copy_options::recursive);
        c.breakFolder(game.Path());
        ProcessResult run = RunProcess(QV_PROGRAM, c.arguments, game.Path());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        for (std::string line : c.said) {
            if (line.find("There is no data folder in ") == 0)
                line = "There is no data folder in " + game.Path();
            EXPECT_NE(run.output.find(line), std::string::npos) << line << "\nin:\n" << run.output;
        }
        EXPECT_EQ(run.output.find('\\'), std::string::npos) << "a path with backslashes:\n" << run.output;
        EXPECT_FALSE(fs::exists(game.Path() + "/cfg.txt"));
    }
}

// Without a display a normal start cannot open its window: the message says
// why and how to run without one.
TEST_F(StartupTest, NoDisplayEndsWithTheMachineCodeAndNamesTheWayWithoutGraphics)
{
    ProcessResult run = RunProcess("/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER=x11",
                                                    QV_PROGRAM},
                                   folder.Path());
    EXPECT_EQ(run.exitCode, 23) << run.output;
    EXPECT_NE(run.output.find("Could not pre-initialise D3D"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("No display could be opened"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("/dedicated=nogfx"), std::string::npos) << run.output;
}

// A host configuration file that names itself, or a ring of them, is
// refused instead of being read until the stack runs out.
TEST_F(StartupTest, HostFilesThatNameEachOtherEndWithAMessage)
{
    folder.WriteFile("a.cfg", "/cfg=b.cfg\n");
    folder.WriteFile("b.cfg", "/cfg=a.cfg\n");
    ProcessResult run = RunProcess(QV_PROGRAM, {"/cfg=a.cfg"}, folder.Path());
    EXPECT_EQ(run.exitCode, 20) << run.output;
    EXPECT_NE(run.output.find("Config files form a loop : a.cfg > b.cfg > a.cfg"), std::string::npos) << run.output;
}

// Two copies started in one folder: the second leaves the first one's log
// alone, says so and writes its own; both end normally on a signal.
TEST_F(StartupTest, ASecondCopyInTheFolderKeepsTheFirstOnesLog)
{
    RunningProgram first({QV_PROGRAM, "/host=First", "/dedicated=invisible"}, folder.Path());
    ASSERT_GT(first.pid, 0);
    ASSERT_TRUE(WaitForLogLine(folder.Path(), "end of initialisation", 30));
    RunningProgram second({QV_PROGRAM, "/host=Second", "/dedicated=invisible"}, folder.Path(),
                          folder.Path() + "/second.txt");
    ASSERT_GT(second.pid, 0);
    ASSERT_TRUE(WaitForLogLine(folder.Path(), "end of initialisation", 30, "deb_2.log"));
    EXPECT_NE(folder.ReadFile("second.txt").find("deb.log is written by another running copy of QVN in this "
                                                  "folder: this copy logs to deb_2.log"),
              std::string::npos)
        << folder.ReadFile("second.txt");
    kill(second.pid, SIGTERM);
    EXPECT_EQ(second.Wait(30), 0);
    kill(first.pid, SIGTERM);
    EXPECT_EQ(first.Wait(30), 0);
    for (const char* log : {"deb.log", "deb_2.log"}) {
        SCOPED_TRACE(log);
        std::vector<std::string> lines = LogLines(folder.Path(), log);
        EXPECT_EQ(Announcements(lines), Concatenate(StartupLines, ShutdownLines));
    }
}

// A host starts with a track loaded: the one its command line names (a
// reversed configuration where the site allows it), else the one of its
// settings (Hollowmere's first on a first run); it logs the track.
TEST_F(StartupTest, HostLoadsTheTrackOfItsCommandLineOrSettingsAndLogsIt)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string loaded;
    };
    const Case cases[] = {
        {{"/host=Test", "/dedicated=nogfx", "/track=BN2R"}, "Track loaded : Brennick Club Short reversed"},
        {{"/host=Test", "/dedicated=nogfx", "/track=au3"}, "Track loaded : Autocross Skid Pad"},
        {{"/host=Test", "/dedicated=nogfx"}, "Track loaded : Hollowmere Valley"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loaded);
        fs::remove(folder.Path() + "/deb.log");
        fs::remove(folder.Path() + "/cfg.txt");
        std::vector<std::string> command = {QV_PROGRAM};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        RunningProgram program(command, folder.Path(), folder.Path() + "/terminal.txt");
        ASSERT_GT(program.pid, 0);
        ASSERT_TRUE(WaitForLogLine(folder.Path(), "end of initialisation", 30));
        EXPECT_TRUE(WaitForLogLine(folder.Path(), c.loaded, 30)) << folder.ReadFile("deb.log");
        program.Type("/exit\n");
        EXPECT_EQ(program.Wait(30), 0);
    }
}

// The kernel's record of the program's file operations, in its order.
TEST_F(StartupTest, FileOperationsOfStartUpAndShutDownComeInTheirOrderUnderStrace)
{
    ASSERT_EQ(system("command -v strace >/dev/null 2>&1"), 0) << "strace is missing: scripts/setup.sh installs it";
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
    ASSERT_EQ(system("command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1"), 0)
        << "xvfb-run or xdotool is missing: scripts/setup.sh installs them";
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
    ASSERT_EQ(system("command -v identify >/dev/null 2>&1"), 0)
        << "identify (ImageMagick) is missing: scripts/setup.sh installs it";
    std::string command = "identify -format '%m %w %h' '" + shot + "' > '" + folder.Path() + "/identify.txt'";
    ASSERT_EQ(system(command.c_str()), 0);
    EXPECT_EQ(folder.ReadFile("identify.txt"), "BMP3 1152 928");  // BMP version 3
}

} // namespace
