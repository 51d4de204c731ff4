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

    bool operator==(const WorldRunRecord&) const = default;
};
extern WorldRunRecord MutableWorldRun;

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
