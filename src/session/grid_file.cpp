// Grid files: the race options and the players of a race setup, saved and
// loaded by name.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "session/services.h"
#include "world/services.h"

namespace {

// The options as a grid file stores them.
struct GridOptions {
    uint8_t qualifyMinutes = 0, startCountdown = 0, raceLength = 0, aiSkill = 0, wind = 0, hotLapOption = 0;
};

// A grid name becomes part of a path: no folder parts, no characters that
// file names cannot hold.
bool IsPlainGridName(const char* name)
{
    if (!name || !name[0] || std::strstr(name, ".."))
        return false;
    for (const char* c = name; *c; ++c)
        if (CharToEscapeLetter(*c))
            return false;
    return true;
}

std::string GridPath(const char* name) { return std::string("data\\grids\\") + name + ".rac"; }

int RefuseGrid(Screen* screen, TextId reason)
{
    char text[128];
    std::snprintf(text, sizeof text, "%s %s", GetText(TX_3a_raceload), GetText(reason));
    GetRaceHooks().showMessageBox(screen, text);
    return 0;
}

bool IsAiType(int type) { return type == PlayerAi || type == PlayerRemoteAi; }

} // namespace

int SaveGrid(const Race& race, const char* name)
{
    if (!IsPlainGridName(name)) {
        LogPrintf("SaveGrid : %s : %s", GetText(TX_3a_badgridn), name ? name : "");
        return 0;
    }
    DataFile writer;
    CreateDataFile(writer, nullptr, GridPath(name), GridFileMagic, GridFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteGridBody(race, writer);
    return CloseDataFile(writer);
}

void WriteGridBody(const Race& race, DataFile& writer)
{
    const int count = RaceSlotsInUse(race);
    const uint8_t options[8] = {race.qualifyMinutes, race.startCountdown, 0, 0,
                                race.raceLength,     race.aiSkill,        race.wind, race.hotLapOption};
    WriteBlock(writer, options, sizeof options);
    WriteFixedString(writer, race.trackName, TrackNameSize);
    const uint8_t track[8] = {static_cast<uint8_t>(race.configuration), static_cast<uint8_t>(race.reversed),
                              static_cast<uint8_t>(race.lighting), static_cast<uint8_t>(count), 0, 0, 0,
                              GridEntryLayout};
    WriteBlock(writer, track, sizeof track);
    for (int i = 0; i < count; ++i)
        WritePlayerEntry(race.players[i], writer, race.players[i].carBlock.setup);
}

int LoadGrid(Race& race, const char* name, Screen* screen, int readOptions)
{
    if (!IsPlainGridName(name))
        return RefuseGrid(screen, TX_3a_badgridn);
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, screen, GridPath(name), GridFileMagic, version, GridFileVersion, false);
    if (!reader.IsOpen())
        return 0;
    const int result = ReadGridBody(race, reader, version, screen, readOptions);
    CloseDataFile(reader);
    return result;
}

int ReadGridBody(Race& race, DataFile& reader, int version, Screen* screen, int readOptions)
{
    if (version < OldestGridFileVersion)
        return RefuseGrid(screen, TX_3a_wrongver);
    if (!CurrentWorld)
        return RefuseGrid(screen, TX_3a_no_track);
    if (!ReadGridForTrack(race, reader, version, screen, readOptions, GetLoadedWorldName()))
        return 0;
    SelectConfig(*CurrentWorld, race.configuration, race.reversed);
    return 1;
}

int ReadGridForTrack(Race& race, DataFile& reader, int version, Screen* screen, int readOptions,
                     const char* trackName)
{
    if (version < OldestGridFileVersion)
        return RefuseGrid(screen, TX_3a_wrongver);
    GridOptions options;
    options.qualifyMinutes = static_cast<uint8_t>(ReadByte(reader));
    options.startCountdown = static_cast<uint8_t>(ReadByte(reader));
    ReadByte(reader);
    ReadByte(reader);
    options.raceLength = static_cast<uint8_t>(ReadByte(reader));
    options.aiSkill = static_cast<uint8_t>(ReadByte(reader));
    options.wind = static_cast<uint8_t>(ReadByte(reader));
    options.hotLapOption = static_cast<uint8_t>(ReadByte(reader));
    // The stored track and its configuration give way to the loaded world
    // and the session's own settings.
    char storedTrack[TrackNameSize];
    ReadBlock(reader, storedTrack, TrackNameSize);
    for (int i = 0; i < 3; ++i)
        ReadByte(reader);
    const int count = ReadByte(reader);
    for (int i = 0; i < 3; ++i)
        ReadByte(reader);
    const int entryLayout = ReadByte(reader);
    if (reader.Overran() || (entryLayout != GridEntryLayout && entryLayout != OldestGridEntryLayout))
        return RefuseGrid(screen, TX_3a_wrongver);
    if (count > MaxRacePlayers || !DataFileHolds(reader, count, PlayerEntrySize)) {
        LogPrintf("ReadGridBody : %s (%d)", GetText(TX_3a_badplcnt), count);
        return RefuseGrid(screen, TX_3a_badplcnt);
    }

    std::vector<RacePlayer> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        RacePlayer entry;
        ReadPlayerRecord(entry, reader, version, entryLayout, 0, nullptr);
        const PlayerDescriptor& d = entry.descriptor;
        if (FindCarByName(entry.carBlock.carName) < 0)
            continue;
        if (IsAiType(d.type) && EqualsNoCase(d.name, Settings.plyName))
            continue;
        if (d.type == PlayerLocal) {
            const uint8_t playerId = d.playerId;
            FillLocalDriverInfo(entry.descriptor, nullptr);
            entry.descriptor.playerId = playerId;
        }
        entries.push_back(entry);
    }
    if (reader.Overran())
        return RefuseGrid(screen, TX_3a_badplcnt);

    if (readOptions) {
        race.qualifyMinutes = options.qualifyMinutes;
        race.startCountdown = options.startCountdown;
        race.raceLength = options.raceLength;
        race.aiSkill = options.aiSkill;
        race.wind = options.wind;
        race.hotLapOption = options.hotLapOption;
    }
    CopyFixedString(race.trackName, trackName, TrackNameSize);
    race.configuration = Settings.config;
    race.reversed = Settings.flip;
    race.lighting = Settings.lighting;
    FreePlayerCars(race);
    for (RacePlayer& slot : race.players)
        slot = RacePlayer{};
    for (size_t i = 0; i < entries.size(); ++i)
        race.players[i] = entries[i];
    race.playerCount = static_cast<int32_t>(entries.size());
    race.selectedSlot = -1;
    race.selectionTimer = 0;
    race.fromGrid = 1;
    return 1;
}
