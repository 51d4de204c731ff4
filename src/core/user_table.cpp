// The user table "data\misc\usr.bin": names of master-server users by their
// numeric user id, kept so that the game list can show names without asking
// the master server again.
#include "core/services.h"

#include <algorithm>
#include <cstring>

// Lives for the whole run; loaded and saved by the game list, emptied by
// ResetCoreTables.
UserList MutableUserTable;
const UserList& UserTable = MutableUserTable;

namespace {

constexpr const char* UserTablePath = "data\\misc\\usr.bin";
constexpr const char* UserTableMagic = "QVNUSR";
constexpr int UserTableVersion = 0;
// Room for new records beyond the loaded ones.
constexpr int UserTableGrowth = 64;

bool IdLess(const UserRecord& first, const UserRecord& second) { return first.userId < second.userId; }

} // namespace

void FreeUserTable() { MutableUserTable = {}; }

void LoadUserTable()
{
    FreeUserTable();
    MutableUserTable.capacity = UserTableGrowth;

    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, UserTablePath, UserTableMagic, version, UserTableVersion, false);
    if (!reader.IsOpen())
        return;
    int count = ReadInt(reader);
    ReadInt(reader);
    // The count comes from the file: it must match the records it holds.
    int64_t available = reader.end - reader.cursor;
    if (reader.Overran() || count < 0 || count > available / static_cast<int64_t>(sizeof(UserRecord))) {
        LogPrintf("LoadUserTable : bad record count %d : %s", count, UserTablePath);
        CloseDataFile(reader);
        return;
    }
    std::vector<UserRecord> records(static_cast<size_t>(count));
    if (count > 0)
        ReadBlock(reader, records.data(), count * static_cast<int>(sizeof(UserRecord)));
    CloseDataFile(reader);

    for (UserRecord& record : records)
        record.name[sizeof record.name - 1] = 0;
    // The file is written in id order; a file that is not keeps FindUser working.
    std::stable_sort(records.begin(), records.end(), IdLess);
    MutableUserTable.records = std::move(records);
    MutableUserTable.capacity = count + UserTableGrowth;
}

int SaveUserTable()
{
    if (MutableUserTable.records.empty() || !MutableUserTable.changed)
        return 0;
    DataFile writer;
    CreateDataFile(writer, nullptr, UserTablePath, UserTableMagic, UserTableVersion);
    if (!writer.IsOpen())
        return 0;
    int count = static_cast<int>(MutableUserTable.records.size());
    WriteInt(writer, count);
    WriteInt(writer, 0);
    WriteBlock(writer, MutableUserTable.records.data(), count * static_cast<int>(sizeof(UserRecord)));
    if (!CloseDataFile(writer))
        return 0;
    MutableUserTable.changed = false;
    return 1;
}

const UserRecord* FindUser(int32_t userId)
{
    UserRecord key;
    key.userId = userId;
    auto& records = MutableUserTable.records;
    auto found = std::lower_bound(records.begin(), records.end(), key, IdLess);
    if (found == records.end() || found->userId != userId)
        return nullptr;
    return &*found;
}

void AddUser(int32_t userId, const char* name)
{
    UserRecord record;
    record.userId = userId;
    CopyFixedString(record.name, name, sizeof record.name);
    auto& records = MutableUserTable.records;
    records.insert(std::upper_bound(records.begin(), records.end(), record, IdLess), record);
    MutableUserTable.changed = true;
    if (static_cast<int>(records.size()) >= MutableUserTable.capacity) {
        // The table grows in memory; the save keeps the file up to date, and
        // a save that fails loses nothing (the table stays marked changed).
        MutableUserTable.capacity = static_cast<int>(records.size()) + UserTableGrowth;
        SaveUserTable();
    }
}
