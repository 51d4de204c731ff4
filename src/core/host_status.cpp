// The host status file that outside tools read: what a host or guest is
// doing, one "key=value" line each, written whenever that changes.
#include "core/services.h"
#include "platform/files.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* UseMasterWords[] = {"no", "yes", "hidden"};
// Race length codes above this count hours.
constexpr int HoursCodeBase = 190;

void AddLine(std::string& text, const char* key, const std::string& value)
{
    text += key;
    text += '=';
    text += value;
    text += '\n';
}

} // namespace

std::string HostStatusFileName(const HostStatus& status)
{
    if (status.guest)
        return "guest.txt";
    // The port text names the file; keep it a plain name.
    std::string port;
    for (const char* p = status.gamePort; *p != 0; ++p) {
        if (CharToEscapeLetter(*p) == 0 && *p != '.')
            port += *p;
    }
    return "host" + port + ".txt";
}

int WriteHostStatus(const HostStatus& status)
{
    if (status.replayPlaying)
        return 0;
    std::string text;
    AddLine(text, "qvn", ProductVersion);
    if (status.guest) {
        AddLine(text, "status", status.inGame ? "ingame" : "online");
        AddLine(text, "joined", status.joinedHost);
    } else if (status.sessionRunning) {
        AddLine(text, "status", status.inGame ? "ingame" : "online");
        AddLine(text, "guests", std::to_string(status.guests));
        AddLine(text, "maxguests", std::to_string(status.maxGuests));
        AddLine(text, "host", status.hostName);
        AddLine(text, "pass", status.password);
        int useMaster = status.useMaster >= 0 && status.useMaster <= 2 ? status.useMaster : 0;
        AddLine(text, "usemaster", UseMasterWords[useMaster]);
        AddLine(text, "trackcfg", status.trackCode);
        std::string cars;
        for (int car = 0; car < CarCount; ++car)
            cars += (status.carsMask >> car) & 1 ? '1' : '0';
        AddLine(text, "cars", cars);
        AddLine(text, "qual", std::to_string(status.qualifyMinutes));
        AddLine(text, status.raceLengthCode > HoursCodeBase ? "hours" : "laps", std::to_string(status.laps));
        for (int i = 0; i < status.connectionCount; ++i)
            AddLine(text, "conn", status.connectionNames[i]);
    } else {
        AddLine(text, "status", "offline");
    }
    std::string name = HostStatusFileName(status);
    if (!platform::WriteWholeFile(name, text.data(), text.size())) {
        LogPrintf("WriteHostStatus : could not write : %s", name.c_str());
        return 0;
    }
    return 1;
}

void DeleteHostStatus(const HostStatus& status)
{
    if (status.replayPlaying)
        return;
    platform::RemoveFile(HostStatusFileName(status));
}
