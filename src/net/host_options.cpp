// The host options that the settings and the command line use, the track
// defaults and the host's welcome text.
#include <cstring>
#include <string>

#include "net/local.h"
#include "platform/files.h"

HostOptionsRecord MutableHostOptions;
const HostOptionsRecord& HostOptions = MutableHostOptions;

void SetHostOptions(const HostOptionsRecord& options) { MutableHostOptions = options; }

void ResetHostOptions() { MutableHostOptions = {}; }

void SetDefaultTrack()
{
    EditSettings([](SettingsRecord& settings) {
        std::strcpy(settings.mapName, "Hollowmere");
        settings.config = 1;
        settings.flip = 0;
        settings.lighting = 0;
    });
}

int LoadWelcomeText(const char* fileName)
{
    std::string text;
    if (!platform::ReadTextFile(fileName, text))
        return 0;
    char* welcome = MutableHostOptions.welcomeText;
    size_t n = text.size() < WelcomeTextSize - 1 ? text.size() : WelcomeTextSize - 1;
    std::memcpy(welcome, text.data(), n);
    welcome[n] = 0;
    return 1;
}
