// Fuzz target for the race's three file readers: the first byte chooses the
// grid file, the AI names or the message keys, the rest is the file image.
// Whatever the bytes, nothing is read outside the image, and what is read
// fits its tables: at most 32 players of known cars, every text ended
// inside its field, genders 0 or 1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "session/services.h"

namespace {

bool EndsInside(const char* field, size_t size) { return std::memchr(field, 0, size) != nullptr; }

void CheckGrid(const Race& race)
{
    if (race.playerCount < 0 || race.playerCount > MaxRacePlayers)
        std::abort();
    for (int i = 0; i < race.playerCount; ++i) {
        const RacePlayer& slot = race.players[i];
        if (!EndsInside(slot.descriptor.name, PlayerNameSize) ||
            !EndsInside(slot.descriptor.helmetSkin, HelmetSkinSize) ||
            !EndsInside(slot.carBlock.carName, CarFullNameSize) ||
            !EndsInside(slot.carBlock.colours.name, sizeof slot.carBlock.colours.name) ||
            FindCarByName(slot.carBlock.carName) < 0 || slot.car)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Race* race = [] {
        ResetCoreTables();
        ResetSessionTables();
        EditSettings([](SettingsRecord& settings) {
            CopyFixedString(settings.plyName, "Fuzz Driver", sizeof settings.plyName);
        });
        return new Race;
    }();
    if (size < 1)
        return 0;
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data + 1, size - 1, version);
    switch (data[0] % 3) {
    case 0:
        InitRace(*race);
        if (ReadGridForTrack(*race, reader, version, nullptr, data[0] & 4, "Fuzz Track"))
            CheckGrid(*race);
        else if (race->playerCount != 0)
            std::abort();  // a refused grid leaves the race as it was
        break;
    case 1:
        ReadDriverNames(reader, version);
        for (const DriverNameEntry& entry : DriverNameTable)
            if (!EndsInside(entry.name, sizeof entry.name) || entry.gender > 1)
                std::abort();
        break;
    default:
        ReadMessageKeys(reader, version);
        for (const char* text : MessageKeyTable)
            if (!EndsInside(text, MessageKeyLength))
                std::abort();
        break;
    }
    CloseDataFile(reader);
    return 0;
}
