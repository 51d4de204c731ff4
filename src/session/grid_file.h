// Grid files "data\grids\<name>.rac" (the race options and the players of
// a race setup, saved and loaded by name), the 260-byte player entry they
// share with single-player replay headers, and the join record whose set-up
// travels enciphered under a key made from the player's own descriptor.
#pragma once

#include "session/race.h"

struct Screen;

constexpr const char* GridFileMagic = "QVNGSC";
constexpr int GridFileVersion = 251;
constexpr int OldestGridFileVersion = 250;
// The player entry layout a grid file names: 13 is written, 12 read too.
constexpr int GridEntryLayout = 13;
constexpr int OldestGridEntryLayout = 12;
constexpr int PlayerEntrySize = 260;
// Bytes of the player entry before its set-up (skipped by the final write
// of a replay header).
constexpr int PlayerEntrySetupOffset = 92;
// The grid file's bytes after its header and before the entries.
constexpr int GridHeaderBodySize = 48;

// How WritePlayerRecord writes an entry.
enum : int {
    PlayerRecordGrid = 0,          // the whole entry, set-up plain
    PlayerRecordReplayFinal = 1,   // the set-up kept at the first write, enciphered, then the colours
    PlayerRecordReplayFirst = 2,   // the whole entry with a zero set-up; the set-up is kept
};

// Saves the race as "data\grids\<name>.rac"; 1 when saved. A name that is
// empty or would leave the folder is refused.
int SaveGrid(const Race& race, const char* name);
// The options and every slot's entry.
void WriteGridBody(const Race& race, DataFile& writer);
// Loads "data\grids\<name>.rac" into the race (its options too with
// readOptions); 1 on success. Failures show "Race load :" and the reason on
// the screen and leave the race as it was.
int LoadGrid(Race& race, const char* name, Screen* screen, int readOptions);
// Reads a grid body for the loaded world: its name replaces the stored
// track name and its configuration is selected. 1 on success.
int ReadGridBody(Race& race, DataFile& reader, int version, Screen* screen, int readOptions);
// ReadGridBody for a track of the given name without a world to select.
// Every count is checked before a player is read; the race changes only
// when the whole body reads. Entries of unknown cars and AI entries that
// carry this computer's driver name are dropped; a local entry gets the
// local driver's own descriptor with its stored player id.
int ReadGridForTrack(Race& race, DataFile& reader, int version, Screen* screen, int readOptions,
                     const char* trackName);

// Writes a slot's whole 260-byte entry with the given set-up.
void WritePlayerEntry(const RacePlayer& slot, DataFile& writer, const CarSetup& setup);
// Writes a slot's 260-byte entry (or, PlayerRecordReplayFinal, its last 168
// bytes: the writer stands 92 bytes into the entry). key: the set-up key of
// the final replay write, else unused.
void WritePlayerRecord(RacePlayer& slot, DataFile& writer, int mode, const uint32_t key[4]);
// Reads a 260-byte entry into the slot's descriptor and car block; an
// enciphered set-up is deciphered with the key. Every text ends inside its
// field; the set-up is kept as stored (applying it holds it to the car's
// limits).
void ReadPlayerRecord(RacePlayer& slot, DataFile& reader, int version, int entryVersion, int enciphered,
                      const uint32_t key[4]);

// The join record (game packet 5): type, player id, two zero bytes, a
// 32-bit key word, then the car block, whose set-up travels enciphered.
constexpr int JoinRecordSize = 212;
constexpr int JoinRecordBlockOffset = 8;
struct JoinRecord {
    uint8_t bytes[JoinRecordSize] = {};
};
static_assert(JoinRecordBlockOffset + sizeof(PlayerCarBlock) == JoinRecordSize);

// The set-up block's TEA key: the first 16 bytes of the player's name as
// four little-endian words, combined by exclusive or with the record's key
// word, the flags word, the player id and the figure. Built when needed,
// never stored.
void MakePlayerBlockKey(const PlayerDescriptor& player, uint32_t keyWord, uint32_t key[4]);
// Enciphers or deciphers the record's set-up (15 blocks of 8 bytes) in
// place under the slot's key and the record's key word.
void EncipherPlayerBlock(const RacePlayer& slot, JoinRecord& record);
void DecipherPlayerBlock(const RacePlayer& slot, JoinRecord& record);
// The host's copy of a slot for a new guest: player id, car block, then
// enciphered.
void FillJoinRecordBlock(const RacePlayer& slot, JoinRecord& record);
// Deciphers the record and takes its car block into the slot (texts ended
// inside their fields); clears bit 0 of the slot's state.
void SetPlayerFromJoinRecord(RacePlayer& slot, JoinRecord& record);
