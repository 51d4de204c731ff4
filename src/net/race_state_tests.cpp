// The small tests of the multiplayer state that screens, keys and commands
// ask, and the refusals shown while a guest connects or the track changes.
#include <cstdio>
#include <cstring>

#include "devices/services.h"
#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

namespace {

// A decided vote takes effect after its countdown; requests that would
// change the race stop this many frames before.
constexpr int32_t VoteFinalFrames = 200;
// Cars closer than this to a layout's start point block a join (16.16 m).
constexpr int64_t StartBlockRadius = 6 * 65536;
// The start countdown text shows for this many seconds of a race.
constexpr uint32_t StartCountdownSeconds = 12;
constexpr int SystemMessageSound = 2;
constexpr int GameKindRacing = 2;

// Shows a refusal: a light-grey notice with the system message sound.
void ShowRefusal(TextId text, const char* word)
{
    char line[128];
    std::snprintf(line, sizeof line, GetText(text), word);
    PrintMessage(line, ColourLightGrey);
    PlayUiSound(SystemMessageSound);
}

bool IsOwnRequest(int connection) { return connection == -1 || connection == ConnectionTable.ownIndex; }

} // namespace

int IsMultiplayerHost() { return Online && MultiplayerMode.host; }
int IsHostingLive() { return IsMultiplayerHost() && !MultiplayerReplayPlaying; }
int IsHostNotReplaying() { return MultiplayerMode.host && !MultiplayerReplayPlaying; }

int GetOwnAdminFlag()
{
    if (!Online || MultiplayerReplayPlaying)
        return 0;
    return ConnectionTable.connections[ConnectionTable.ownIndex].admin;
}

int IsTrackChanging()
{
    return IsLayoutTransferRunning() || SessionFlags.trackChanging || IsWorldLoading();
}

int IsTrackLoadedEverywhere()
{
    if (IsWorldLoading())
        return 0;
    for (int i = 1; i < ConnectionTable.count; ++i) {
        if (!ConnectionTable.connections[i].trackLoaded)
            return 0;
    }
    return 1;
}

int OutsideVoteFinalCountdown()
{
    return !(SessionVotes.decidedVote && SessionVotes.countdown < VoteFinalFrames);
}

int IsStartBlocked()
{
    FixedVector start;
    if (!CurrentRace || !HasLayoutStartPosition() || !GetLayoutStartPoint(start))
        return 0;
    for (int i = 0; i < RaceSlotsInUse(*CurrentRace); ++i) {
        const CarObject* car = CurrentRace->players[i].car;
        if (!car)
            continue;
        const int64_t dx = static_cast<int64_t>(car->position.x.raw) - start.x.raw;
        const int64_t dy = static_cast<int64_t>(car->position.y.raw) - start.y.raw;
        if (dx * dx + dy * dy < StartBlockRadius * StartBlockRadius)
            return 1;
    }
    return 0;
}

int WorldDiffersFromTrack()
{
    return !CurrentWorld || !EqualsNoCase(GetLoadedWorldName(), Settings.mapName);
}

int IsChosenCarAllowed()
{
    const int car = FindCarByName(Settings.selectedCar);
    if (!ProgramMode.dedicatedMode && car >= 0 && (RaceOptions.allowedCars >> car & 1))
        return 1;
    EditSettings([](SettingsRecord& settings) { settings.selectedCar[0] = 0; });
    return 0;
}

int IsNameUsedByConnection(const char* name, int ownIndex)
{
    for (int i = 0; i < ConnectionTable.count; ++i) {
        if (i != ownIndex && EqualsPlainText(ConnectionTable.connections[i].name, name))
            return 1;
    }
    return 0;
}

int FormatStartCountdown(char* output, int size, const char* text)
{
    if (!Online || GameKind != GameKindRacing || !CurrentWorld || HasLayoutStartPosition() ||
        MultiplayerReplayPlaying)
        return 0;
    const uint32_t elapsedMs = GameTime.clockMs - SessionStartTime;
    if (static_cast<int32_t>(elapsedMs) < 0 || elapsedMs / 1000 >= StartCountdownSeconds)
        return 0;
    std::snprintf(output, static_cast<size_t>(size), "%s (%u)", text, StartCountdownSeconds - elapsedMs / 1000);
    return 1;
}

void SetControlTag(const RacePlayer& slot)
{
    const PlayerDescriptor& d = slot.descriptor;
    if ((d.type != PlayerLocal && d.type != PlayerRemote) || d.connection >= ConnectionTable.count)
        return;
    const char* tag = d.flags & PlayerMouseSteer           ? "M"
                      : d.flags & PlayerKeyboardSteer      ? "Kn"
                      : d.flags & PlayerKeyboardSteerHelp  ? "Ks"
                                                           : "W";
    CopyFixedString(MutableConnectionTable.connections[d.connection].controlTag, tag, ControlTagSize);
}

void RefuseCantQualify(const char* reason) { ShowRefusal(TX_3a_noqual_x, reason); }

void RefuseGuestConnecting(const char* action, int connection)
{
    if (IsOwnRequest(connection))
        ShowRefusal(TX_3a_no_x_plc, action);
}

void RefuseTrackChanging(const char* action, int connection)
{
    if (IsOwnRequest(connection))
        ShowRefusal(TX_3a_no_x_cht, action);
}

int RefuseIfBusy(const char* action)
{
    if (SessionFlags.guestConnecting) {
        RefuseGuestConnecting(action, -1);
        return 1;
    }
    if (IsTrackChanging()) {
        RefuseTrackChanging(action, -1);
        return 1;
    }
    return 0;
}
