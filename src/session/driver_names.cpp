// The AI drivers' names file "data\misc\drv.nam".
#include <cstdio>

#include "session/local.h"

DriverNameEntry MutableDriverNameTable[DriverNameCount];
const DriverNameEntry (&DriverNameTable)[DriverNameCount] = MutableDriverNameTable;

void SetDefaultDriverNames()
{
    for (int i = 0; i < DriverNameCount; ++i) {
        DriverNameEntry& entry = MutableDriverNameTable[i];
        entry = {};
        char text[sizeof entry.name];
        std::snprintf(text, sizeof text, "AI %d", i + 1);
        CopyFixedString(entry.name, text, sizeof entry.name);
        CopyFixedString(entry.plate, text, sizeof entry.plate);
    }
}

int ReadDriverNames(DataFile& reader, int /*version*/)
{
    const int count = ReadByte(reader);
    for (int i = 0; i < 3; ++i)
        ReadByte(reader);
    const int entries = count < DriverNameCount ? count : DriverNameCount;
    if (count < 0 || !DataFileHolds(reader, entries, sizeof(DriverNameEntry))) {
        LogPrintf("LoadDriverNames : %d names do not fit the file", count);
        SetDefaultDriverNames();
        return 0;
    }
    if (count < DriverNameCount)
        SetDefaultDriverNames();
    for (int i = 0; i < entries; ++i) {
        DriverNameEntry& entry = MutableDriverNameTable[i];
        ReadBlock(reader, entry.name, sizeof entry.name);
        ReadBlock(reader, entry.plate, sizeof entry.plate);
        entry.name[sizeof entry.name - 1] = 0;
        entry.gender = ReadByte(reader) != 0 ? 1 : 0;
        ReadBlock(reader, entry.extra, sizeof entry.extra);
    }
    return 1;
}

void LoadDriverNames()
{
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, DriverNamesPath, DriverNamesMagic, version, DriverNamesVersion, false);
    if (!reader.IsOpen() || version < OldestDriverNamesVersion) {
        SetDefaultDriverNames();
        return;
    }
    ReadDriverNames(reader, version);
    CloseDataFile(reader);
}

void WriteDriverNames(DataFile& writer)
{
    const uint8_t head[4] = {DriverNameCount, 0, 0, 0};
    WriteBlock(writer, head, sizeof head);
    for (const DriverNameEntry& entry : DriverNameTable) {
        WriteBlock(writer, entry.name, sizeof entry.name);
        WriteBlock(writer, entry.plate, sizeof entry.plate);
        WriteByte(writer, entry.gender);
        WriteBlock(writer, entry.extra, sizeof entry.extra);
    }
}

int SaveDriverNames()
{
    DataFile writer;
    CreateDataFile(writer, nullptr, DriverNamesPath, DriverNamesMagic, DriverNamesVersion);
    if (!writer.IsOpen())
        return 0;
    WriteDriverNames(writer);
    return CloseDataFile(writer);
}

int FindDriverName(const char* name)
{
    for (int i = 0; i < DriverNameCount; ++i)
        if (EqualsNoCase(DriverNameTable[i].name, name))
            return i;
    return 0;
}
