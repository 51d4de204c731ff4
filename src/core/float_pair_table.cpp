// The counted table of float pairs that glyphs, revolved shapes and car
// model tables read from data files and write to them.
#include "core/services.h"

#include <algorithm>
#include <vector>

namespace {
// No table in the data holds more pairs than this; a larger count is a
// damaged file.
constexpr int MaxFloatPairs = 1 << 20;
}

FloatPairTable::~FloatPairTable() { FreeFloatPairTable(*this); }

void FloatPairTable::Free() { FreeFloatPairTable(*this); }

void InitFloatPairTable(FloatPairTable& table)
{
    table.count = 0;
    table.pairs = nullptr;
}

void ClearFloatPairTable(FloatPairTable& table)
{
    table.count = 0;
    table.pairs = nullptr;
}

void FreeFloatPairTable(FloatPairTable& table)
{
    delete[] table.pairs;
    table.pairs = nullptr;
    table.count = 0;
}

int ReadFloatPairTable(FloatPairTable& table, DataFile& reader)
{
    FreeFloatPairTable(table);
    int count = ReadInt(reader);
    if (count < 0 || count > MaxFloatPairs || reader.Overran()) {
        LogPrintf("ReadFloatPairTable : bad pair count : %d", count);
        return 0;
    }
    // Read into a growing local array first, so that a count larger than
    // the file allocates no more than the file holds.
    std::vector<FloatPair> pairs;
    pairs.reserve(static_cast<size_t>(std::min(count, 4096)));
    for (int i = 0; i < count && !reader.Overran(); ++i) {
        FloatPair pair;
        pair.x = ReadFloat(reader);
        pair.y = ReadFloat(reader);
        pairs.push_back(pair);
    }
    if (reader.Overran()) {
        LogPrintf("ReadFloatPairTable : file ends inside the table : %d pairs", count);
        return 0;
    }
    if (count > 0) {
        table.pairs = new FloatPair[static_cast<size_t>(count)];
        std::copy(pairs.begin(), pairs.end(), table.pairs);
    }
    table.count = count;
    return 1;
}

void WriteFloatPairTable(const FloatPairTable& table, DataFile& writer)
{
    WriteInt(writer, table.count);
    for (int i = 0; i < table.count; ++i) {
        WriteFloat(writer, table.pairs[i].x);
        WriteFloat(writer, table.pairs[i].y);
    }
}
