// Test driver for the hand-over between two processes:
//   handover_driver listen <start mode> <seconds>
//     listens as a running copy, prints "listening", serves requests with
//     the program's own answer until one is served or the time is up, and
//     prints what it received;
//   handover_driver <command line words...>
//     starts as a second copy would: finds the running copy and hands the
//     file named by its command line over, or asks it to close when the
//     line is "/kill", then prints the outcome.
#include "app/services.h"
#include "core/services.h"
#include "net/services.h"
#include "platform/clock.h"
#include "platform/handover.h"
#include "ui/services.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Answers = 0;

int Answer(int kind, const char* name)
{
    int answer = OnHandOverRequest(kind, name);
    std::printf("request kind=%d name=%s answer=%d\n", kind, name ? name : "(none)", answer);
    ++Answers;
    return answer;
}

int Listen(int startMode, int seconds)
{
    // A copy without graphics at its root screen, nothing open.
    EditProgramMode([&](ProgramModeRecord& record) { record.graphicsOn = 0; });
    Screen* root = CreateRootScreen(nullptr);
    SetStartMode(startMode);
    if (!platform::HandOverListen()) {
        std::printf("could not listen\n");
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    uint32_t start = platform::NowMs();
    while (Answers == 0 && platform::NowMs() - start < static_cast<uint32_t>(seconds) * 1000u) {
        platform::HandOverPoll(Answer);
        platform::SleepMs(5);
    }
    std::printf("received=%s kind=%d\n", CommandLine.replayToOpen, CommandLine.replayOpenRequest);
    platform::HandOverClose();
    CloseScreen(root);
    root->frame(root);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    ResetCoreTables();
    ResetAppTables();
    ResetNetTables();
    if (argc == 4 && std::strcmp(argv[1], "listen") == 0)
        return Listen(std::atoi(argv[2]), std::atoi(argv[3]));

    platform::HandOverPeer peer;
    bool found = platform::FindRunningCopy(peer) != 0;
    std::string line = JoinCommandLine(argc, argv);
    if (line == "/kill") {
        std::printf("found=%d ended=%d\n", found ? 1 : 0, EndRunningCopy(found ? &peer : nullptr));
        return 0;
    }
    int result = HandOverFile(found ? &peer : nullptr, line.c_str());
    std::printf("found=%d result=%d replay=%s request=%d\n", found ? 1 : 0, result, CommandLine.replayToOpen,
                CommandLine.replayOpenRequest);
    return 0;
}
