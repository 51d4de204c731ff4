// Track and world: declarations shared only inside the subsystem.
#pragma once

#include <cstddef>
#include <cstdint>

#include "world/services.h"

// Bytes a reader can still give before it runs past the end of its image;
// a streaming reader does not know, and answers a very large number.
int64_t DataBytesLeft(const DataFile& reader);

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
