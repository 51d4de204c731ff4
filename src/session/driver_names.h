// The AI drivers' names, number plates and genders ("data\misc\drv.nam") and
// the 32 texts the function keys send ("data\misc\fkeys.msg"): two small
// user files that the options screen edits, read at start-up and written
// when the options close.
#pragma once

#include "core/services.h"

constexpr const char* DriverNamesMagic = "ZKAINM";
constexpr const char* DriverNamesPath = "data\\misc\\drv.nam";
constexpr int DriverNamesVersion = 247;
constexpr int OldestDriverNamesVersion = 246;
constexpr int DriverNameCount = 20;

// One AI driver (36 bytes, also the file record).
struct DriverNameEntry {
    char name[24] = {};   // ends in a zero
    char plate[8] = {};   // number-plate text, not ended when full
    uint8_t gender = 0;   // 0 male, 1 female: chooses the driver's figure
    uint8_t extra[3] = {};  // kept as read
};
static_assert(sizeof(DriverNameEntry) == 36);
// Read-only outside the session. Lives for the whole run; read at start-up.
extern const DriverNameEntry (&DriverNameTable)[DriverNameCount];

// The table zeroed, then entry i named and plated "AI <i+1>".
void SetDefaultDriverNames();
// Reads "data\misc\drv.nam" (version 246 or 247); a missing, old or bad
// file gives the defaults.
void LoadDriverNames();
// Writes the table; 1 when saved.
int SaveDriverNames();
// The file body after its header: a count, three zero bytes, the entries.
// Reading checks the count against the bytes left: a bad body gives the
// defaults and 0. Fewer than 20 entries keep the defaults after them.
int ReadDriverNames(DataFile& reader, int version);
void WriteDriverNames(DataFile& writer);
// Index of the first entry with that name (case ignored); 0 when none.
int FindDriverName(const char* name);

constexpr const char* MessageKeysMagic = "ZKAINM";
constexpr const char* MessageKeysPath = "data\\misc\\fkeys.msg";
constexpr int MessageKeysVersion = 250;
constexpr int OldestMessageKeysVersion = 248;
// Texts 0..7 for F1..F8, 8..19 for Ctrl+F1..F12, 20..31 for Alt+F1..F12.
constexpr int MessageKeyCount = 32;
constexpr int MessageKeyLength = 64;
constexpr int DefaultMessageKeyCount = 24;
// Read-only outside the session. Lives for the whole run; read at start-up.
extern const char (&MessageKeyTable)[MessageKeyCount][MessageKeyLength];

// The 24 default texts, the rest empty.
void SetDefaultMessageKeys();
// Reads "data\misc\fkeys.msg": version 250 holds all 32 texts; 249 the
// first 20 and 248 the first 16 over the defaults; anything else (or a bad
// file) gives the defaults.
void LoadMessageKeys();
int SaveMessageKeys();
// The file body of a version: 0 and the defaults when it cannot hold its texts.
int ReadMessageKeys(DataFile& reader, int version);
void WriteMessageKeys(DataFile& writer);
