// Temporary bodies of the host options and services that the settings and
// the command line use, until the multiplayer session and InSim are built.
#include "net/services.h"

#include "platform/files.h"

#include <cstring>
#include <string>

int InSimKeptSpeedupOpt = -1;
int RaceLengthCode = 0;
int QualifyMinutes = 0;
int WindLevel = 0;
int RestartMinSeconds = 0;
int RestartEndSeconds = 0;
uint32_t RaceCarsMask = 0xFFFFF;
char TracksFileName[HostFileNameSize] = "";
char AccountPassword[AccountPasswordSize] = "";
char WelcomeText[WelcomeTextSize] = "";
char InSimPortText[InSimPortTextSize] = "0";

int LoadWelcomeText(const char* fileName)
{
    std::string text;
    if (!platform::ReadTextFile(fileName, text))
        return 0;
    size_t n = text.size() < WelcomeTextSize - 1 ? text.size() : WelcomeTextSize - 1;
    std::memcpy(WelcomeText, text.data(), n);
    WelcomeText[n] = 0;
    return 1;
}

// InSim is not built yet: nothing listens.
int OpenInSim()
{
    LogPrintf("OpenInSim : not available : port %s", InSimPortText);
    return 0;
}

void ResetHostOptions()
{
    InSimKeptSpeedupOpt = -1;
    RaceLengthCode = 0;
    QualifyMinutes = 0;
    WindLevel = 0;
    RestartMinSeconds = 0;
    RestartEndSeconds = 0;
    RaceCarsMask = 0xFFFFF;
    TracksFileName[0] = 0;
    AccountPassword[0] = 0;
    WelcomeText[0] = 0;
    std::strcpy(InSimPortText, "0");
}
