// Layout files: the header, the lap count and scale flags, and the 8-byte
// records of the layout objects (in world order) and then the circles. One
// writer serves the program and the data builder.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "world/local.h"

namespace {

constexpr int RecordBytes = 8;
// The lap count and flags bytes after the record count.
constexpr int BodyHeadBytes = 2;
constexpr int MaxLayoutRecords = MaxLayoutObjects + MaxLayoutCircles;

// A layout name becomes part of a path: it must be a plain file name.
bool IsPlainLayoutName(const char* name)
{
    if (!name || !name[0] || std::strlen(name) >= LayoutNameSize || std::strstr(name, ".."))
        return false;
    return std::strpbrk(name, "\\/:") == nullptr;
}

void RememberLayoutName(const char* name)
{
    CopyFixedString(MutableLayoutState.name, name, LayoutNameSize);
    MutableLayoutState.status = 1;
}

void WriteLayoutRecord(DataFile& writer, const LayoutObjectRecord& record)
{
    WriteShort(writer, record.x);
    WriteShort(writer, record.y);
    WriteByte(writer, record.z);
    WriteByte(writer, record.flags);
    WriteByte(writer, record.kind);
    WriteByte(writer, record.heading);
}

// A coordinate of an old-scale file at the current scale.
template <typename T>
T ToCurrentScale(T value)
{
    return static_cast<T>(RoundToInt32(double(float(value) * LayoutOldScale)));
}

} // namespace

void MakeLayoutPath(char* path, int size, const char* name)
{
    std::snprintf(path, size_t(size), DataPaths.layoutFile, name);
}

void WriteLayoutBody(const World& world, DataFile& writer)
{
    WriteShort(writer, world.layoutObjectCount + LayoutState.circleCount);
    WriteByte(writer, LayoutState.lapCount);
    WriteByte(writer, LayoutFlagCurrentScale);
    for (size_t i = size_t(FirstLayoutObject(world)); i < world.objects.size(); i++) {
        LayoutObjectRecord record;
        PackLayoutObject(record, static_cast<const SolidObject&>(*world.objects[i]));
        WriteLayoutRecord(writer, record);
    }
    for (int i = 0; i < LayoutState.circleCount; i++)
        WriteLayoutRecord(writer, LayoutState.circles[size_t(i)].record);
}

int SaveLayout(const World* world, const char* name)
{
    if (!world)
        return 0;
    if (!IsPlainLayoutName(name)) {
        LogPrintf("SaveLayout : not a plain file name : %s", name ? name : "");
        return 0;
    }
    char path[128];
    MakeLayoutPath(path, sizeof path, name);
    DataFile writer;
    CreateDataFile(writer, nullptr, path, LayoutFileMagic, LayoutFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteLayoutBody(*world, writer);
    if (!CloseDataFile(writer))
        return 0;
    RememberLayoutName(name);
    return 1;
}

int WriteEmptyLayout(const char* fileName)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, fileName, LayoutFileMagic, LayoutFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteShort(writer, 0);
    WriteByte(writer, 1);
    WriteByte(writer, LayoutFlagCurrentScale);
    return CloseDataFile(writer);
}

int ReadLayoutRecord(DataFile& reader, LayoutObjectRecord& record)
{
    if (!DataFileHolds(reader, 1, RecordBytes))
        return 0;
    record.x = static_cast<int16_t>(ReadShort(reader));
    record.y = static_cast<int16_t>(ReadShort(reader));
    record.z = static_cast<int8_t>(ReadByte(reader));
    record.flags = static_cast<uint8_t>(ReadByte(reader));
    record.kind = static_cast<uint8_t>(ReadByte(reader));
    record.heading = static_cast<uint8_t>(ReadByte(reader));
    if (LayoutState.oldScale) {
        record.x = ToCurrentScale(record.x);
        record.y = ToCurrentScale(record.y);
        record.z = ToCurrentScale(record.z);
    }
    return 1;
}

int ReadLayoutObjects(World& world, DataFile& reader, int, int takeLapCount, int add)
{
    // The whole body is read and checked before anything is added, so that a
    // damaged file changes nothing.
    const int count = ReadShort(reader);
    if (count < 0 || count > MaxLayoutRecords || !DataFileHolds(reader, int64_t(count) * RecordBytes + BodyHeadBytes, 1)) {
        LogPrintf("ReadLayoutObjects : bad record count %d", count);
        return 0;
    }
    const int laps = ReadByte(reader);
    const int flags = ReadByte(reader);
    MutableLayoutState.oldScale =
        !(flags & LayoutFlagCurrentScale) && SameNameAscii(world.siteCode, OldScaleSiteCode, 2) ? 1 : 0;
    LayoutObjectRecord records[MaxLayoutRecords];
    int read = 0;
    while (read < count && ReadLayoutRecord(reader, records[read]))
        read++;
    MutableLayoutState.oldScale = 0;
    if (read < count)
        return 0;
    if (takeLapCount)
        SetLayoutLapCount(laps);
    for (int i = 0; add && i < count; i++) {
        int kindFlag = 0, startAdded = 0;
        AddLayoutObject(world, records[i], 0, 0, kindFlag, startAdded);
    }
    return 1;
}

int LoadTrainingLayout(World& world, const char* name)
{
    MutableLayoutState.status = 0;
    MutableLayoutState.name[0] = 0;
    if (!IsPlainLayoutName(name))
        return 0;
    char path[128];
    std::snprintf(path, sizeof path, TrainingLayoutTemplate, name);
    DataFile reader;
    int version = 0;
    if (LoadDataFile(reader, nullptr, path, LayoutFileMagic, version, LayoutFileVersion, false))
        return 0;
    if (version < OldestLayoutVersion) {
        LogPrintf("LoadTrainingLayout : version %d too old : %s", version, path);
        CloseDataFile(reader);
        return 0;
    }
    const int loaded = ReadLayoutObjects(world, reader, version, 1, 1);
    CloseDataFile(reader);
    if (loaded)
        RememberLayoutName(name);
    return loaded;
}

void ClearLayoutName()
{
    MutableLayoutState.status = 1;
    MutableLayoutState.name[0] = 0;
}

void SetLayoutLapCount(int laps) { MutableLayoutState.lapCount = static_cast<uint8_t>(std::clamp(laps, 1, MaxLayoutLaps)); }
