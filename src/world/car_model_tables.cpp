// The car model tables that follow a car's body model in its car data.
#include "world/services.h"

CarModelTables::~CarModelTables()
{
    delete[] records;
}

void CarModelTables::Free()
{
    FloatPairTable::Free();
    delete[] records;
    records = nullptr;
    recordCount = 0;
    grid = {};
}

int ReadCarModelTables(CarModelTables& tables, DataFile& reader, int /*version*/)
{
    tables.Free();
    if (!ReadFloatPairTable(tables, reader) || !ReadCellGrid(tables.grid, reader)) {
        tables.Free();
        LogLine("ReadCarModelTables : bad pair table or grid");
        return 0;
    }
    int count = ReadInt(reader);
    if (count > MaxCarModelRecords || reader.Overran() || !DataFileHolds(reader, count, 8)) {
        tables.Free();
        LogPrintf("ReadCarModelTables : bad record count %d", count);
        return 0;
    }
    tables.records = new int32_t[count > 0 ? count : 1][4];
    tables.recordCount = count;
    for (int i = 0; i < count; i++)
        for (int j = 0; j < 4; j++)
            tables.records[i][j] = ReadShort(reader);
    if (reader.Overran()) {
        tables.Free();
        LogLine("ReadCarModelTables : tables end early");
        return 0;
    }
    return 1;
}

void WriteCarModelTables(const CarModelTables& tables, DataFile& writer)
{
    WriteFloatPairTable(tables, writer);
    WriteCellGrid(tables.grid, writer);
    WriteInt(writer, tables.recordCount);
    for (int i = 0; i < tables.recordCount; i++)
        for (int j = 0; j < 4; j++)
            WriteShort(writer, tables.records[i][j]);
}
