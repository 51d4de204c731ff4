// Tests of the command line: real argv through bash into the driver
// program, car lists, the running copy's answers and the host status file.
#include "app/services.h"
#include "core/services.h"
#include "net/services.h"
#include "ui/services.h"
#include "support/process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

namespace {

std::string DriverPath()
{
    return std::string(QV_BINARY_DIR) + "/bin/command_line_driver";
}

struct ShellCase {
    const char* label;
    std::string arguments;              // as typed after the program's name in bash
    std::vector<std::string> expected;  // lines the driver must print
};

class CommandLineShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.WriteFile("data/file.keep", "");
        folder.WriteFile("host.cfg",
                         "//settings of our host\r\n"
                         "/host=From File\r\n"
                         "//a comment with /port=1 in it\r\n"
                         "/port=7777\r\n"
                         "/pass=  \r\n");
        folder.WriteFile("empty.cfg", "");
        folder.WriteFile("bad.cfg", "host=x\n");
        // Host files that name each other: itself, a ring of two, itself
        // under another spelling, and a chain deeper than files may nest.
        folder.WriteFile("self.cfg", "/cfg=self.cfg\n");
        folder.WriteFile("ring1.cfg", "/cfg=ring2.cfg\n");
        folder.WriteFile("ring2.cfg", "/cfg=ring1.cfg\n");
        folder.WriteFile("case.cfg", "/cfg=CASE.CFG\n");
        for (int i = 0; i < 17; ++i)
            folder.WriteFile("deep" + std::to_string(i) + ".cfg", "/cfg=deep" + std::to_string(i + 1) + ".cfg\n");
        folder.WriteFile("deep17.cfg", "/host=deep\n");
        folder.WriteFile("big.cfg", "/host=h\n//" + std::string(5000, 'x') + "\n");
        // A named pipe would block a reader that opens it.
        mkfifo((folder.Path() + "/pipe.cfg").c_str(), 0644);
    }

    ProcessResult Run(const std::string& arguments)
    {
        std::string script = "'";
        script += DriverPath();
        script += "' ";
        script += arguments;
        return RunProcess("/bin/bash", {"-c", script}, folder.Path());
    }

    TempFolder folder;
};

TEST_F(CommandLineShellTest, OptionsAsTheShellPassesThem)
{
    const std::string long48(48, 'r');
    const std::string long40(40, 'h');
    const std::string long96(96, 'v');
    const ShellCase cases[] = {
        {"host with blanks, empty password, guests and cars",
         "\"/host=My Host\" /pass= /maxguests=8 /carsmax=12",
         {"mode=2\n", "gameName=My Host\n", "gamePass=\n", "maxConns=9\n", "carsInRace=12\n", "error=\n"}},
        {"trailing blanks of a value go", "/host=A \"/admin=se cret  \"", {"gameAdmin=se cret\n"}},
        {"two start options", "/join=x /host=y", {"mode=0\n", "error=Too many start parameters\n"}},
        {"an option before the start option", "/pass=x /host=y",
         {"mode=0\n", "error=Info parameter before start parameter\n"}},
        {"player first, then a start option", "/player=Bob /host=y",
         {"mode=0\n", "error=Too many start parameters\n"}},
        {"insim and player may come first", "/insim=29999 /player=Bob",
         {"mode=1\n", "player=Bob\n", "insim=29999\n", "error=\n"}},
        {"but no start option after them", "/insim=29999 /join=there",
         {"mode=0\n", "error=Too many start parameters\n"}},
        {"a configuration that cannot be reversed", "/host=h /track=HM3R", {"track=Hollowmere 3 0\n"}},
        {"a configuration that can", "/host=h /track=dk2r", {"track=Dockside 2 1\n"}},
        {"configuration above the site's count", "/host=h /track=HM4", {"error=Unknown track config\n"}},
        {"unknown site", "/host=h /track=ZZ1", {"error=Unknown track\n"}},
        {"laps above 100 count tens", "/host=h /laps=150", {"raceLengthCode=105\n"}},
        {"hours", "/host=h /hours=2", {"raceLengthCode=192\n"}},
        {"positions through the master server", "/host=h /pps=12 /usemaster=yes", {"packsPerSec=6\n"}},
        {"positions on a local host", "/host=h /pps=12 /usemaster=no", {"packsPerSec=12\n"}},
        {"all cars but one", "/host=h /cars=ALL-KTA", {"mpRules=524287\n"}},
        {"a two-letter car", "/host=h /cars=WQ", {"error=Invalid cars option\n"}},
        {"a host file takes the place of the rest", "/cfg=host.cfg /port=1234",
         {"mode=2\n", "gameName=From File\n", "gamePort=7777\n", "gamePass=\n", "error=\n"}},
        {"a missing host file", "/cfg=none.cfg", {"error=Config file not found : none.cfg\n"}},
        {"an empty host file", "/cfg=empty.cfg", {"error=Config file is empty\n"}},
        {"a host file without options", "/cfg=bad.cfg", {"error=Config file is not valid\n"}},
        {"a host file that names itself", "/cfg=self.cfg",
         {"mode=0\n", "error=Config files form a loop : self.cfg > self.cfg\n"}},
        {"host files that name each other", "/cfg=ring1.cfg",
         {"mode=0\n", "error=Config files form a loop : ring1.cfg > ring2.cfg > ring1.cfg\n"}},
        {"a host file that names itself in capitals", "/cfg=case.cfg",
         {"error=Config files form a loop : case.cfg > CASE.CFG\n"}},
        {"host files nested too deep", "/cfg=deep0.cfg", {"mode=0\n", "error=Config files nest too deep : deep0.cfg > "}},
        {"a host file too long", "/cfg=big.cfg", {"error=Config file is too long\n"}},
        {"a named pipe is no host file", "/cfg=pipe.cfg", {"error=Config file not found : pipe.cfg\n"}},
        {"a bare kill", "/kill", {"mode=6\n", "error=\n"}},
        {"kill with an equals sign", "/kill=", {"mode=6\n"}},
        {"a number out of bounds", "/host=h /weather=5", {"mode=0\n", "error=Out of bounds : weather\n"}},
        {"weather", "/host=h /weather=2", {"lighting=1\n"}},
        {"dedicated without graphics", "/host=h /dedicated=NoGfx", {"graphics=0\n", "dedicated=2\n"}},
        {"an unknown word", "/host=h /dedicated=maybe", {"error=Unknown dedicated option\n"}},
        {"replay check", "/hlvc=abc", {"mode=4\n", "replay=abc\n", "graphics=0\n"}},
        {"a replay name too long", "/hlvc=" + long48, {"error=Replay name is too long\n"}},
        {"a replay name with a path", "'/hlvc=..\\x'", {"error=Parameter 1 is invalid\n"}},
        {"a player name loses file-name characters", "'/player=a:b*c?' /host=h", {"player=abc\n"}},
        {"a long host name is cut", "/host=" + long40,
         {"gameName=" + long40.substr(0, 31) + "\n", "Host name truncated to 31 chars\n"}},
        {"a percent in a replay folder stays text", "/host=h '/mprdir=my%sdir'",
         {"mprTemplate=data\\my%%sdir\\%s.mpr\n", "error=\n"}},
        {"a replay folder that steps out", "/host=h /mprdir=..", {"error=Parameter 2 is invalid\n"}},
        {"a layout folder", "/host=h /lytdir=lay", {"layoutPattern=data\\lay\\%s_*.lyt\n"}},
        {"a percent in a layout folder stays text", "/host=h '/lytdir=a%db'",
         {"layoutPattern=data\\a%%db\\%s_*.lyt\n"}},
        {"InSim port out of bounds", "/host=h /insim=70000", {"error=InSim port out of bounds\n"}},
        {"an unknown option", "/host=h /bogus=1", {"error=Parameter 2 is invalid\n"}},
        {"host flags", "/host=h /vote=yes /select=no /cruise=yes", {"mpFlags=545\n"}},
        {"admin slots follow the guests", "/host=h /maxguests=3 /adminslots=8",
         {"maxConns=4\n", "adminSlots=2\n"}},
        {"not an option list", "hello", {"mode=0\n", "error=Invalid command line\n"}},
        {"an option without a value", "/host", {"error=Parameter 1 is invalid\n"}},
        {"an empty value", "/host=h /port=", {"error=Parameter 2 contains no info\n"}},
        {"a value too long", "/host=" + long96, {"error=Parameter 1 is too long\n"}},
        {"no command line", "", {"mode=1\n", "line=\n"}},
    };
    for (const ShellCase& c : cases) {
        ProcessResult result = Run(c.arguments);
        ASSERT_EQ(result.exitCode, 0) << c.label << "\n" << result.output;
        for (const std::string& line : c.expected)
            EXPECT_NE(result.output.find(line), std::string::npos)
                << c.label << ": expected \"" << line << "\" in\n" << result.output;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() + "/data/my%sdir"));
}

// The "log" option makes a file the debug log, emptied: only a log of ours
// in the program's folder, never a file of the user's.
TEST_F(CommandLineShellTest, LogOptionNeverEmptiesAFileOfTheUsers)
{
    const std::string settings = "Version 0.5Z\r\nGame Name my host\r\n";
    folder.WriteFile("cfg.txt", settings);
    folder.WriteFile("data/misc/x.log", "QVN : 0.5Z\r\n");
    folder.WriteFile("notes.log", "my notes\n");
    folder.WriteFile("old.log", "QVN : 0.5Y\r\nan old run\r\n");
    folder.WriteFile("empty.log", "");
    std::filesystem::create_symlink("cfg.txt", folder.Path() + "/link.log");
    const std::string refused = "error=Log file error : ";
    struct {
        const char* label;
        const char* name;
        std::string said;      // the driver's error line (start)
        const char* file;      // a file to look at afterwards
        std::string contents;  // what it holds then
    } cases[] = {
        {"the settings file", "cfg.txt", refused + "cfg.txt is not a file name ending in .log in the program's folder",
         "cfg.txt", settings},
        {"a file in another folder", "data\\misc\\x.log", refused + "data\\misc\\x.log is not a file name ending in .log",
         "data/misc/x.log", "QVN : 0.5Z\r\n"},
        {"a user's file named .log", "notes.log", refused + "notes.log is not a debug log of QVN and is kept",
         "notes.log", "my notes\n"},
        {"a link to the settings", "link.log", refused + "link.log is not a debug log of QVN and is kept", "cfg.txt",
         settings},
        {"a log of an earlier run", "old.log", "error=\n", "old.log", "QVN : 0.5Z\r\n"},
        {"an empty log", "EMPTY.LOG", "error=\n", "empty.log", "QVN : 0.5Z\r\n"},
        {"a new log", "new.log", "error=\n", "new.log", "QVN : 0.5Z\r\n"},
        {"a folder step", "..", refused + ".. is not a file name", "cfg.txt", settings},
    };
    for (const auto& c : cases) {
        ProcessResult result = Run(std::string("/host=h '/log=") + c.name + "'");
        EXPECT_NE(result.output.find(c.said), std::string::npos) << c.label << "\n" << result.output;
        EXPECT_EQ(folder.ReadFile(c.file), c.contents) << c.label;
    }
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetAppTables();
        ResetNetTables();
    }
    TempFolder folder;
};


TEST_F(CommandLineTest, FindInListIgnoresCaseOnly)
{
    const char* words[] = {"no", "kick", "ban", "spec"};
    EXPECT_EQ(FindInList("BAN", words, 4), 2);
    EXPECT_EQ(FindInList("ban ", words, 4), -1);
    EXPECT_EQ(FindInList("", words, 4), -1);
    EXPECT_EQ(FindInList("KILL", OptionTable, OptionCount), 4);
    EXPECT_EQ(FindInList("lytdir", OptionTable, OptionCount), OptionCount - 1);
}

TEST_F(CommandLineTest, MakeDataFolder)
{
    folder.WriteFile("data/spr/old.spr", "x");
    EXPECT_EQ(MakeDataFolder("spr"), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/data/spr/file.fl"));
    EXPECT_EQ(MakeDataFolder("grids"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() + "/data/grids"));
    EXPECT_EQ(MakeDataFolder("no\\such\\depth"), -1);
}

TEST_F(CommandLineTest, RunningCopyAnswers)
{
    struct {
        const char* label;
        int startMode;
        int kind;
        const char* name;
        int answer;
        const char* replay;  // CommandLine.replayToOpen afterwards
        bool idle = true;    // the root screen shows nothing else
    } cases[] = {
        {"a replay while idle", 1, 1, "race one", 1, "race one"},
        {"a multiplayer replay", 1, 2, "mp", 1, "mp"},
        {"a dedicated host will not open it", 2, 1, "race", 3, ""},
        {"a guest neither", 3, 2, "race", 3, ""},
        {"a copy busy elsewhere than its root screen", 1, 2, "race", 3, "", false},
        {"the longest name", 1, 1, "12345678901234567890123456789012345678901234567", 1,
         "12345678901234567890123456789012345678901234567"},
        {"a name one too long", 1, 1, "123456789012345678901234567890123456789012345678", 4, ""},
        {"a name that does not fit the request", 1, 1, nullptr, 4, ""},
        {"a name with a path", 1, 1, "..\\cfg", 4, ""},
        {"a setup", 1, 3, "", 0, ""},
        {"a layout", 1, 4, "", 0, ""},
        {"no kind", 1, 0, "", 0, ""},
    };
    for (const auto& c : cases) {
        ResetCoreTables();
        ResetAppTables();
        SetStartMode(c.startMode);
        // The copy shows its root screen with nothing open.
        EditProgramMode([&](ProgramModeRecord& record) { record.graphicsOn = 0; });
        Screen* root = c.idle ? CreateRootScreen(nullptr) : nullptr;
        EXPECT_EQ(IsRootIdle(), c.idle ? 1 : 0);
        EXPECT_EQ(OnFileRequest(c.kind, c.name), c.answer) << c.label;
        if (root != nullptr) {
            CloseScreen(root);
            root->frame(root);
        }
        EXPECT_STREQ(CommandLine.replayToOpen, c.replay) << c.label;
        EXPECT_EQ(CommandLine.replayOpenRequest, c.answer == 1 ? c.kind : 0) << c.label;
    }
}


} // namespace
