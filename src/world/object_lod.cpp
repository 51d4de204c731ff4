// The lighting data that solid objects and surfaces keep per light scheme:
// stored light values, value lists and triangle splits for each of their
// four levels of detail, as the world file holds them.
#include <algorithm>

#include "world/local.h"

namespace {

// Reads a counted list of 4-byte values into the list, or past it.
bool ReadLitList(RecordReading& in, std::vector<uint32_t>* keep)
{
    const int32_t count = ReadInt(in.reader);
    if (count < 0 || count > MaxLitValues || !in.Fits(count, 4))
        return in.Fail("a lighting list count is out of range");
    if (keep)
        keep->resize(size_t(count));
    for (int32_t i = 0; i < count; i++) {
        const uint32_t v = static_cast<uint32_t>(ReadInt(in.reader));
        if (keep)
            (*keep)[size_t(i)] = v;
    }
    return true;
}

void WriteLitList(DataFile& writer, const std::vector<uint32_t>& list)
{
    WriteInt(writer, static_cast<int32_t>(list.size()));
    for (uint32_t v : list)
        WriteInt(writer, static_cast<int32_t>(v));
}

} // namespace

bool ReadLitSchemeRecord(LitSchemeRecord& record, RecordReading& in)
{
    record = {};
    DataFile& r = in.reader;
    if (!in.Fits(1, 8))
        return false;
    record.flags = ReadInt(r);
    if (record.flags & LitHasBlocks) {
        record.blocks.resize(LodLevelCount);
        bool anything = false;
        for (int level = 0; level < LodLevelCount; level++) {
            LitLodBlock& block = record.blocks[size_t(level)];
            std::vector<uint32_t> dropped;
            if (!ReadLitList(in, &block.listB) || !ReadLitList(in, level == 0 ? &block.listA : &dropped))
                return false;
            anything = anything || !block.listB.empty() || !block.listA.empty() || !dropped.empty();
            const int32_t splits = ReadInt(r);
            if (splits < 0 || splits > MaxLitValues || !in.Fits(splits, 4))
                return in.Fail("a lighting split count is out of range");
            if (splits != 0) {
                block.valueC = ReadInt(r);
                for (int32_t i = 0; i < splits; i++) {
                    const uint32_t v = static_cast<uint32_t>(ReadInt(r));
                    if (level == 0)
                        block.listC.push_back(v);
                }
                if (level != 0)
                    block.valueC = 0;
            }
        }
        if (anything) {
            record.flags |= LitBlocksHeld;
        } else {
            record.blocks.clear();
            record.flags = 0;
        }
    }
    record.value = ReadFloat(r);
    return !r.Overran() || in.Fail("lighting data runs past the end of the file");
}

void WriteLitSchemeRecord(const LitSchemeRecord& record, DataFile& writer)
{
    const bool blocks = (record.flags & LitHasBlocks) && record.blocks.size() == LodLevelCount;
    WriteInt(writer, blocks ? record.flags : 0);
    if (blocks) {
        for (const LitLodBlock& block : record.blocks) {
            WriteLitList(writer, block.listB);
            WriteLitList(writer, block.listA);
            WriteInt(writer, static_cast<int32_t>(block.listC.size()));
            if (!block.listC.empty()) {
                WriteInt(writer, block.valueC);
                for (uint32_t v : block.listC)
                    WriteInt(writer, static_cast<int32_t>(v));
            }
        }
    }
    WriteFloat(writer, record.value);
}

int32_t LodDistanceLimit(int32_t radius)
{
    return std::clamp<int32_t>(radius, 0, 0x400000);
}
