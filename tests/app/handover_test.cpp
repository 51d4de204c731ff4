// Tests of the hand-over between copies: two real processes through the
// socket, the file checks and copies of the copy that starts second, and
// the socket protocol's limits.
#include "app/services.h"
#include "core/services.h"
#include "platform/handover.h"
#include "support/process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace {

std::string Driver()
{
    std::string path = "'";
    path += QV_BINARY_DIR;
    path += "/bin/handover_driver'";
    return path;
}

std::string Contains(const std::string& output, const std::string& part)
{
    return output.find(part) != std::string::npos ? "" : "expected \"" + part + "\" in\n" + output;
}

class HandOverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetAppTables();
        folder.WriteFile("run/.keep", "");
        folder.WriteFile("data/spr/.keep", "");
        folder.WriteFile("data/setups/.keep", "");
        folder.WriteFile("in dir/my replay.spr", std::string("QVNSPR\x00\xfb", 8) + "replay bytes");
        folder.WriteFile("in dir/XRT_race.set", std::string("ZKSETT\x00\xfb", 8) + "setup bytes");
        folder.WriteFile("in dir/fake.spr", std::string("QVNMPR\x00\xfb", 8));
        folder.WriteFile("in dir/short.spr", "QVN");
        folder.WriteFile("in dir/" + std::string(48, 'n') + ".spr", std::string("QVNSPR\x00\xfb", 8));
    }

    // Runs a bash script in the test folder with its own runtime folder, so
    // that only the copies of this test find each other.
    ProcessResult Shell(const std::string& script)
    {
        std::string full = "export XDG_RUNTIME_DIR=\"$PWD/run\"\n" + script;
        return RunProcess("/bin/bash", {"-c", full}, folder.Path());
    }

    // A running copy in the given start mode, and a second copy started
    // with the words given; the listener's output follows the sender's.
    ProcessResult TwoCopies(int startMode, const std::string& words)
    {
        return Shell(Driver() + " listen " + std::to_string(startMode) + " 20 > listener.txt 2>&1 &\n"
                     "for i in $(seq 400); do grep -q listening listener.txt 2>/dev/null && break; sleep 0.025; done\n" +
                     Driver() + " " + words + "\n"
                     "wait\n"
                     "echo '--- listener'\n"
                     "cat listener.txt\n");
    }

    TempFolder folder;
};

TEST_F(HandOverTest, ReplayGoesToTheRunningCopy)
{
    ProcessResult result = TwoCopies(1, "\"$PWD/in dir/my replay.spr\"");
    EXPECT_EQ(Contains(result.output, "found=1 result=0"), "");
    EXPECT_EQ(Contains(result.output, "request kind=1 name=my replay answer=1"), "");
    EXPECT_EQ(Contains(result.output, "received=my replay kind=1"), "");
    EXPECT_EQ(folder.ReadFile("data/spr/my replay.spr"), folder.ReadFile("in dir/my replay.spr"));
}

TEST_F(HandOverTest, DedicatedHostRefusesAReplay)
{
    ProcessResult result = TwoCopies(2, "\"in dir/my replay.spr\"");
    EXPECT_EQ(Contains(result.output, "request kind=1 name=my replay answer=3"), "");
    EXPECT_EQ(Contains(result.output, "QVN is not in the entry screen"), "");
    EXPECT_EQ(Contains(result.output, "found=1 result=0"), "");
    EXPECT_EQ(Contains(result.output, "received= kind=0"), "");
}

TEST_F(HandOverTest, SetupIsCopiedAndTheRunningCopyTold)
{
    ProcessResult result = TwoCopies(1, "'in dir/XRT_race.set'");
    EXPECT_EQ(Contains(result.output, "Copied file : data/setups/XRT_race.set"), "");
    EXPECT_EQ(Contains(result.output, "request kind=3 name= answer=0"), "");
    EXPECT_EQ(folder.ReadFile("data/setups/XRT_race.set"), folder.ReadFile("in dir/XRT_race.set"));
}

TEST_F(HandOverTest, WithoutARunningCopy)
{
    struct {
        const char* label;
        std::string words;
        std::vector<std::string> expected;
    } cases[] = {
        {"a replay is played by this copy", "\"in dir/my replay.spr\"",
         {"found=0 result=1 replay=my replay request=1"}},
        {"a setup is copied", "'in dir/XRT_race.set'",
         {"Copied file", "found=0 result=0"}},
        {"a replay named longer than the replay to open", "'in dir/" + std::string(48, 'n') + ".spr'",
         {"SPR file name is too long", "result=0 replay= request=0"}},
        {"a file of another kind", "'in dir/fake.spr'", {"SPR file of unknown format", "result=0"}},
        {"a file too short", "'in dir/short.spr'", {"SPR file is too short", "result=0"}},
        {"a file that is not there", "'in dir/none.spr'", {"Could not open SPR file", "result=0"}},
        {"options are not a file", "/host=x", {"found=0 result=1"}},
        {"no command line", "", {"found=0 result=1"}},
        {"a name of another kind", "'in dir/notes.txt'", {"found=0 result=1"}},
    };
    for (const auto& c : cases) {
        ProcessResult result = Shell(Driver() + " " + c.words);
        for (const std::string& part : c.expected)
            EXPECT_EQ(Contains(result.output, part), "") << c.label;
    }
    // The second time the setup is there already, unchanged.
    ProcessResult again = Shell(Driver() + " 'in dir/XRT_race.set'");
    EXPECT_EQ(Contains(again.output, "The same file already exists"), "");

    // A different file of that name is kept: nobody can be asked, so the
    // answer to "overwrite?" is no.
    folder.WriteFile("data/setups/XRT_race.set", std::string("ZKSETT\x00\xfb", 8) + "older");
    ProcessResult different = Shell(Driver() + " 'in dir/XRT_race.set'");
    EXPECT_EQ(Contains(different.output, "Overwrite the existing file?"), "");
    EXPECT_EQ(folder.ReadFile("data/setups/XRT_race.set"), std::string("ZKSETT\x00\xfb", 8) + "older");
}

TEST_F(HandOverTest, ACopyThatTakesTheRequestButNeverAnswersIsGivenUpOn)
{
    // A running copy that is stuck: its socket takes connections (the
    // system queues them) and nobody reads or answers.
    std::string runtime = folder.Path() + "/run/quorvan";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    int stuck = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = runtime + "/QVN.1";
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(stuck, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(stuck, 8), 0);
    struct {
        const char* label;
        std::string words;
        std::string outcome;
    } cases[] = {
        {"a replay", "\"in dir/my replay.spr\"", "found=1 result=0"},
        {"a request to close", "/kill", "found=1 ended=0"},
    };
    for (const auto& c : cases) {
        ProcessResult result = Shell(Driver() + " " + c.words);
        EXPECT_EQ(Contains(result.output, "The running copy of QVN does not answer"), "") << c.label;
        EXPECT_EQ(Contains(result.output, c.outcome), "") << c.label;
    }
    close(stuck);
}

TEST_F(HandOverTest, KillWithoutARunningCopySaysSo)
{
    ProcessResult result = Shell(Driver() + " /kill");
    EXPECT_EQ(Contains(result.output, "No running copy of QVN was found"), "");
    EXPECT_EQ(Contains(result.output, "found=0 ended=0"), "");
}

class HandOverSocketTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        saved = old ? old : "";
        hadOld = old != nullptr;
        setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    }
    void TearDown() override
    {
        platform::HandOverClose();
        if (hadOld)
            setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

    TempFolder folder;
    std::string saved;
    bool hadOld = false;
};

int LastKind = -1;
std::string LastName;

int Record(int kind, const char* name)
{
    LastKind = kind;
    LastName = name ? name : "(none)";
    return 42;
}

TEST_F(HandOverSocketTest, RequestsAndAnswersInOneProcess)
{
    std::string runtime = platform::HandOverFolder();
    ASSERT_EQ(runtime, folder.Path() + "/quorvan");
    EXPECT_EQ(std::filesystem::status(runtime).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    // A socket whose copy has gone is removed, and no copy is found.
    std::string stale = runtime + "/QVN.1";
    int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, stale.c_str());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(s);
    platform::HandOverPeer peer;
    EXPECT_EQ(platform::FindRunningCopy(peer), 0);
    EXPECT_FALSE(std::filesystem::exists(stale));

    // Our own socket is not another copy.
    ASSERT_EQ(platform::HandOverListen(), 1);
    EXPECT_EQ(platform::FindRunningCopy(peer), 0);
    EXPECT_EQ(platform::HandOverPoll(Record), 0);  // nothing waits

    // A sender in another thread; this one polls as the main loop would.
    peer.address = runtime + "/QVN." + std::to_string(getpid());
    for (const std::string& name : {std::string("replay"), std::string(63, 'x')}) {
        int answer = 0;
        std::thread sender([&] { answer = platform::SendHandOver(peer, 2, name); });
        int served = 0;
        for (int i = 0; i < 2000 && served == 0; ++i) {
            served = platform::HandOverPoll(Record);
            usleep(1000);
        }
        sender.join();
        EXPECT_EQ(served, 1);
        EXPECT_EQ(answer, 42);
        EXPECT_EQ(LastKind, 2);
        EXPECT_EQ(LastName, name);
    }
    // A name that does not fit a request is not sent.
    EXPECT_EQ(platform::SendHandOver(peer, 1, std::string(64, 'y')), 0);

    platform::HandOverClose();
    EXPECT_FALSE(std::filesystem::exists(peer.address));
    EXPECT_EQ(platform::SendHandOver(peer, 1, "gone"), 0);
}

} // namespace
