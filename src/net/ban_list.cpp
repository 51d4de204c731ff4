// The host's ban list and its file.
#include "net/ban_list.h"

#include <cstring>

#include "net/local.h"
#include "platform/clock.h"

namespace {

BanListRecord MutableBanList;

// 100 ns units from 1601-01-01 to 1970-01-01, and in a second and an hour.
constexpr uint64_t FileTimeAtUnixEpoch = 116444736000000000ull;
constexpr uint64_t FileTimePerSecond = 10000000ull;
constexpr int64_t FileTimePerHour = 36000000000ll;
constexpr int HoursPerDay = 24;

void ReportCorruptBanFile()
{
    ReportLine(ColourLightRed, "%s %s", GetText(TX_3g_filecorr), BanFileName);
    LogPrintf("LoadBans : File is corrupted : %s", BanFileName);
}

int FindBan(const BanListRecord& list, const char* userName)
{
    for (int i = 0; i < list.count; i++)
        if (EqualsNoCase(list.entries[size_t(i)].userName, userName))
            return i;
    return -1;
}

void RemoveFrom(BanListRecord& list, int index)
{
    for (int i = index; i + 1 < list.count; i++)
        list.entries[size_t(i)] = list.entries[size_t(i + 1)];
    list.entries[size_t(list.count - 1)] = {};
    list.count--;
}

// Reads the list after the header into list; false when the file is
// corrupted.
bool ReadBanRecords(DataFile& reader, BanListRecord& list)
{
    const int legacy = ReadInt(reader);
    if (legacy < 0 || legacy > MaxLegacyBans || !DataFileHolds(reader, legacy, LegacyBanSize))
        return false;
    for (int i = 0; i < legacy * LegacyBanSize; i++)
        ReadByte(reader);
    const int stored = ReadInt(reader);
    const int count = stored > MaxBans ? MaxBans : stored;
    if (reader.Overran() || count < 0 || !DataFileHolds(reader, count, BanEntrySize))
        return false;
    for (int i = 0; i < count; i++) {
        BanEntry& entry = list.entries[size_t(i)];
        ReadBytes(reader, entry.userName, BanNameSize);
        entry.userName[BanNameSize - 1] = 0;
        const uint32_t low = uint32_t(ReadInt(reader));
        const uint32_t high = uint32_t(ReadInt(reader));
        entry.bannedAt = uint64_t(high) << 32 | low;
        entry.hours = ReadInt(reader);
        entry.unused = ReadInt(reader);
    }
    list.count = count;
    return !reader.Overran();
}

} // namespace

const BanListRecord& BanList = MutableBanList;

void ResetBanList() { MutableBanList = {}; }

uint64_t GetSystemFileTime()
{
    return FileTimeAtUnixEpoch + uint64_t(platform::NowUnixSeconds()) * FileTimePerSecond;
}

void LoadBans()
{
    if (!FileExists(BanFileName))
        return;
    DataFile reader;
    int version = 0;
    BanListRecord list;
    if (OpenDataFile(reader, nullptr, BanFileName, BanFileMagic, version, BanFileVersion) ||
        !ReadBanRecords(reader, list)) {
        CloseDataFile(reader);
        MutableBanList = {};
        ReportCorruptBanFile();
        return;
    }
    CloseDataFile(reader);
    MutableBanList = list;
    ExpireBans();
}

int SaveBans()
{
    DataFile writer;
    CreateDataFile(writer, nullptr, BanFileName, BanFileMagic, BanFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteInt(writer, 0);
    WriteInt(writer, BanList.count);
    for (int i = 0; i < BanList.count; i++) {
        const BanEntry& entry = BanList.entries[size_t(i)];
        WriteBlock(writer, entry.userName, BanNameSize);
        WriteInt(writer, int32_t(uint32_t(entry.bannedAt)));
        WriteInt(writer, int32_t(uint32_t(entry.bannedAt >> 32)));
        WriteInt(writer, entry.hours);
        WriteInt(writer, entry.unused);
    }
    return CloseDataFile(writer);
}

void ExpireBans()
{
    const int64_t now = int64_t(GetSystemFileTime());
    for (int i = BanList.count - 1; i >= 0; i--) {
        const BanEntry& entry = BanList.entries[size_t(i)];
        if (now - int64_t(entry.bannedAt) > int64_t(entry.hours) * FileTimePerHour)
            RemoveFrom(MutableBanList, i);
    }
}

void AddBan(const char* userName, int days)
{
    ExpireBans();
    BanListRecord& list = MutableBanList;
    const int hours = days == 0 ? ShortBanHours : days * HoursPerDay;
    int index = FindBan(list, userName);
    if (index < 0) {
        if (list.count == MaxBans)
            RemoveFrom(list, 0);
        index = list.count++;
        list.entries[size_t(index)] = {};
        std::strncpy(list.entries[size_t(index)].userName, userName, BanNameSize - 1);
    }
    list.entries[size_t(index)].bannedAt = GetSystemFileTime();
    list.entries[size_t(index)].hours = hours;
    SaveBans();
}

void RemoveBanAt(int index)
{
    if (index >= 0 && index < BanList.count)
        RemoveFrom(MutableBanList, index);
}

void Unban(const char* userName)
{
    LoadBans();
    for (int i = BanList.count - 1; i >= 0; i--)
        if (EqualsNoCase(BanList.entries[size_t(i)].userName, userName))
            RemoveFrom(MutableBanList, i);
    SaveBans();
}

int IsBanned(const char* userName)
{
    LoadBans();
    return FindBan(BanList, userName) >= 0 ? 1 : 0;
}
