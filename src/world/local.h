// Track and world: declarations shared only inside the subsystem.
#pragma once

#include <cstddef>
#include <cstdint>

#include "world/services.h"

// ---------------------------------------------------------------------------
// The world's global records. Each lives as its comment says and is set
// back by ResetWorldTables with one assignment.

// What lives with the loaded world.
struct LoadedWorldRecord {
    World* world = nullptr;  // exported read-only as CurrentWorld
    World* owned = nullptr;  // the world the program's own functions made (LoadSiteNow)
    int32_t objectsLoading = 0;  // set while the object stage creates objects
    WorldLightValues light;  // set by the world drawing and the mesh build
    // The curved surfaces report their checkpoint number to the point query
    // only while this holds their configuration's bit (during
    // SetupPathCheckpoints); 0 otherwise.
    uint32_t checkpointSearchBit = 0;

    bool operator==(const LoadedWorldRecord&) const = default;
};
extern LoadedWorldRecord MutableLoadedWorld;

// What the model readers and the mesh builder keep for the whole run.
struct WorldRunRecord {
    // The car code that car-specific texture names are prefixed with while
    // a car's body model is read (SetModelCarCode).
    char modelCarCode[4] = {};
    // The "SUB%d" named meshes made so far (the number of the next one).
    int subMeshCount = 0;
    // The time budget of a sliced loading stage, and the millisecond clock
    // it is measured with (null: the platform's clock; tests give their own).
    int32_t loadBudgetMs = 50;
    uint32_t (*loadClock)() = nullptr;
    // The missing world mesh build has been logged.
    bool meshBuildNoted = false;

    bool operator==(const WorldRunRecord&) const = default;
};
extern WorldRunRecord MutableWorldRun;

// The program's layout, exported read-only as LayoutState (its circles
// and route; the placed objects are the world's). Lives for the whole run.
extern LayoutStateRecord MutableLayoutState;

// The program's figures, exported read-only as Humans (human_system.cpp).
extern HumanSystem MutableHumans;

// Reading state of one file's records: the reader, the file's version and
// the first fault found, which the loader reports when it refuses the file.
struct RecordReading {
    DataFile& reader;
    int version;
    const char* error = nullptr;

    bool Fail(const char* why)
    {
        if (!error)
            error = why;
        return false;
    }
    // Whether count records of size bytes can still be read.
    bool Fits(int64_t count, int64_t size)
    {
        if (!DataFileHolds(reader, count, size))
            return Fail("count runs past the end of the file");
        return true;
    }
};

// Case-insensitive comparison of ASCII names (letters A to Z only), over at
// most n characters: the C-locale rule every name look-up here uses.
bool SameNameAscii(const char* a, const char* b, size_t n = 64);
// Whether the name starts with the prefix, ignoring the case of letters.
bool StartsWithAscii(const char* name, const char* prefix);
// Whether the name's last characters equal the suffix, ignoring case.
bool EndsWithAscii(const char* name, const char* suffix);

// Reads one model record (used by the figure file and shared models too):
// depth counts the nesting of sub-models. On failure the model is left
// cleared and the reason is stored in error.
int ReadObjectModelRecord(ObjectModel& model, DataFile& reader, int version, int topLevel,
                          int withPartNames, int depth, const char*& error);

class WorldObject;

// Gives an object that reads the world's tables (shared models, textures,
// the bump map, the other objects) the world it belongs to.
void AttachObjectToWorld(WorldObject& object, World& world);
// The loaded world's answers to the physics; installed while a world is
// current, removed when it is freed.
void InstallWorldSurroundings(World* world);

// One step of the world's shared 16-bit random value: x = x * 5 + 1 mod
// 65536 (a full period: every value comes once in 65536 steps).
inline uint16_t StepRandomValue(uint16_t& value)
{
    value = uint16_t(value * 5u + 1u);
    return value;
}
// The 16-bit angle of a heading in radians (x 10430, truncated).
int32_t HeadingToAngle16(float radians);
// 16.16 sums and differences that wrap as the fixed-point type does (a
// damaged file's values may reach past the range).
inline int32_t WrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapSub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
// a x b >> 16 in 64 bits (16.16 products of the road and grids).
inline int32_t Mul16(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>((int64_t(a) * b) >> 16)));
}
// a x 65536 / b in 64 bits, held to the 32-bit range; 0 when b is 0.
int32_t Div16(int64_t a, int64_t b);
// The loader's millisecond clock (the one tests may replace).
uint32_t WorldLoadNow();
// What the paths ask of a world: its current path, configuration, timing
// points and ground (CurrentPathWorld answers it for the loaded world).
PathWorld MakePathWorld(World& world);
// A colour record's four bytes (r, g, b, flags) as the world's files hold them.
ColourRecord ReadColourRecord(DataFile& reader);
void WriteColourRecord(DataFile& writer, const ColourRecord& colour);
