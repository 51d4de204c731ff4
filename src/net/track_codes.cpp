// Track codes ("HO1R": two letters of the track, the configuration, "R"
// when reversed) and the words that describe a race's options.
#include <cstdio>
#include <cstring>

#include "net/local.h"
#include "session/services.h"

namespace {

constexpr int TrackPacketNameAt = 4;
constexpr int TrackPacketNameSize = 32;

// The two letters of a track name, upper-cased; "XX" for a name shorter
// than two characters.
void TrackLetters(const char* name, size_t nameSize, char letters[3])
{
    if (strnlen(name, nameSize) < 2) {
        std::strcpy(letters, "XX");
        return;
    }
    for (int i = 0; i < 2; ++i) {
        const char c = name[i];
        letters[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    letters[2] = 0;
}

// The text of none, of one, or of count ("%d") things.
void FormatCountText(char* buffer, int count, TextId none, TextId one, TextId many)
{
    if (count <= 0)
        std::snprintf(buffer, RaceDescriptionSize, "%s", GetText(none));
    else if (count == 1)
        std::snprintf(buffer, RaceDescriptionSize, "%s", GetText(one));
    else
        std::snprintf(buffer, RaceDescriptionSize, GetText(many), count);
}

} // namespace

void FormatTrackCodeTo(char* buffer, const char* letters, int configuration, int reversed)
{
    std::snprintf(buffer, TrackCodeSize, "%.2s%d%s", letters, configuration, reversed ? "R" : "");
}

void FormatTrackCode(char* buffer)
{
    char letters[3];
    TrackLetters(Settings.mapName, sizeof Settings.mapName, letters);
    FormatTrackCodeTo(buffer, letters, Settings.config, Settings.flip);
}

void FormatTrackCodeOfPacket(char* buffer, const uint8_t* trackPacket)
{
    char letters[3];
    TrackLetters(reinterpret_cast<const char*>(trackPacket + TrackPacketNameAt), TrackPacketNameSize, letters);
    FormatTrackCodeTo(buffer, letters, trackPacket[1], trackPacket[2]);
}

void WriteTrackFields(uint8_t* packet)
{
    packet[1] = static_cast<uint8_t>(Settings.config);
    packet[2] = static_cast<uint8_t>(Settings.flip);
    packet[3] = static_cast<uint8_t>(Settings.lighting);
    CopyFixedString(reinterpret_cast<char*>(packet + TrackPacketNameAt), Settings.mapName, TrackPacketNameSize);
}

void FormatQualifyLength(char* buffer, int minutes)
{
    FormatCountText(buffer, minutes, TX_3a_no_quali, TX_3a_qual1min, TX_3a_qualxmin);
}

void FormatRaceLength(char* buffer, int code)
{
    if (code >= FirstHoursCode && code <= MaxRaceLengthCode) {
        FormatCountText(buffer, code - (FirstHoursCode - 1), TX_3a_practice, TX_3a_race1hou, TX_3a_racexhou);
        return;
    }
    // A code past the last hours code stands for no length.
    const int laps = code > MaxRaceLengthCode ? 0 : LapsFromLengthCode(code);
    FormatCountText(buffer, laps, TX_3a_practice, TX_3a_race1lap, TX_3a_racexlap);
}

void FormatWind(char* buffer, int level)
{
    const TextId text = level <= 0 ? TX_3a_zerowind : level == 1 ? TX_3a_low_wind : TX_3a_highwind;
    std::snprintf(buffer, RaceDescriptionSize, "%s", GetText(text));
}
