// The host's ban list: user names banned for a number of hours, kept in the
// file "data\misc\bans.ban" and read again before every check, so that a
// list edited by another copy of the program is honoured. Bans expire by
// themselves.
#pragma once

#include <array>
#include <cstdint>

constexpr const char* BanFileName = "data\\misc\\bans.ban";
constexpr const char* BanFileMagic = "QVNBAN";
constexpr int BanFileVersion = 246;
constexpr int MaxBans = 400;
// Records of an older layout that a file may still carry before its list
// (16 bytes each, skipped); more than this and the file is corrupted.
constexpr int MaxLegacyBans = 50;
constexpr int LegacyBanSize = 16;
constexpr int BanNameSize = 24;
constexpr int BanEntrySize = 40;
// A ban of 0 days lasts this many hours.
constexpr int ShortBanHours = 12;

// One ban, as the file holds it (40 bytes).
struct BanEntry {
    char userName[BanNameSize] = {};  // zero-terminated, compared without regard to case
    uint64_t bannedAt = 0;            // Windows file time: 100 ns units since 1601-01-01 UTC
    int32_t hours = 0;                // length of the ban
    int32_t unused = 0;

    bool operator==(const BanEntry&) const = default;
};

// The bans, oldest first. Lives for the whole run; read from the file by
// LoadBans, emptied by ResetNetTables.
struct BanListRecord {
    std::array<BanEntry, MaxBans> entries{};
    int count = 0;

    bool operator==(const BanListRecord&) const = default;
};
extern const BanListRecord& BanList;

// Reads the ban file, then drops the bans that have run out. A missing
// file leaves the list as it is; a corrupted one (a bad count, a file
// shorter than its counts, a bad header) says "File is corrupted :" with
// the file's name and empties the list. A count above 400 keeps the first
// 400 entries.
void LoadBans();
// Writes the whole list to the ban file; 1 when saved (a failed save keeps
// the old file).
int SaveBans();
// Drops every ban whose hours have passed since it was imposed.
void ExpireBans();
// Bans the user for days (0: 12 hours), renewing a ban of the same name;
// with the list full the oldest ban makes room. The file is saved.
void AddBan(const char* userName, int days);
// Removes the ban at index (oldest first); nothing for a bad index.
void RemoveBanAt(int index);
// Removes every ban of the user, reading the file first and saving it after.
void Unban(const char* userName);
// Whether the user is banned, after reading the file again.
int IsBanned(const char* userName);
// Now as a Windows file time (100 ns units since 1601-01-01 UTC).
uint64_t GetSystemFileTime();
