// Track and world: declarations shared only inside the subsystem.
#pragma once

#include <cstddef>
#include <cstdint>

#include "world/services.h"

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
