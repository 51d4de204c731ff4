// Paths: records, their file form, reversal, limit relaxing and
// interpolation between nodes.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "world/hooks.h"
#include "world/local.h"
#include "world/paths.h"

namespace {

// Bytes of a stored node without samples and lists, and of a list entry.
constexpr int NodeFixedBytes = 4 + 12 + 28 + 4;
constexpr int KeyedEntryBytes = 4;
constexpr int LightMapValueBytes = 4 + 8;


// a + round((b - a) t) on a 16.16 component: the difference wraps as the
// 32-bit registers do; the product is rounded to the nearest integer.
int32_t Along(int32_t a, int32_t b, float t)
{
    const double product = static_cast<double>(WrapSub(b, a)) * t;
    const double rounded = std::nearbyint(product);
    const int32_t step = rounded >= 2147483647.0 ? INT32_MAX : rounded <= -2147483648.0 ? INT32_MIN
                                                                                         : static_cast<int32_t>(rounded);
    return WrapAdd(a, step);
}

float Mix(float a, float b, float t) { return a + t * (b - a); }

uint8_t ReverseBits(uint8_t v)
{
    uint8_t r = 0;
    for (int i = 0; i < 8; i++)
        if (v & (1 << i))
            r = static_cast<uint8_t>(r | (0x80 >> i));
    return r;
}

int RefusePath(Path& path, const char* why)
{
    FreePath(path);
    char text[128];
    std::snprintf(text, sizeof text, "ReadPath : %s", why);
    LogLine(text);
    WorldPrintError(text);
    return 0;
}

int ReadNodeList(std::vector<PathNode>& nodes, int count, DataFile& reader, int version, int samples)
{
    nodes.assign(static_cast<size_t>(count), PathNode{});
    for (PathNode& node : nodes)
        if (!ReadPathNode(node, reader, version, samples))
            return 0;
    return 1;
}

} // namespace

void InitPath(Path& path)
{
    path = Path{};
}

void FreePath(Path& path)
{
    path = Path{};
}

int ReadKeyedList(KeyedByteList& list, DataFile& reader)
{
    list.entries.clear();
    const int32_t count = ReadInt(reader);
    if (count < 0 || count > MaxWorldObjects * 8 || !DataFileHolds(reader, count, KeyedEntryBytes))
        return 0;
    list.entries.resize(static_cast<size_t>(count));
    for (KeyedEntry& entry : list.entries) {
        entry.object = ReadShort(reader);
        entry.mask = static_cast<uint8_t>(ReadByte(reader));
        entry.zero = 0;
        ReadByte(reader);
        if (entry.object < 0 || entry.object >= MaxWorldObjects) {
            list.entries.clear();
            return 0;
        }
    }
    return reader.Overran() ? 0 : 1;
}

void WriteKeyedList(const KeyedByteList& list, DataFile& writer)
{
    WriteInt(writer, static_cast<int>(list.entries.size()));
    for (const KeyedEntry& entry : list.entries) {
        WriteShort(writer, entry.object);
        WriteByte(writer, entry.mask);
        WriteByte(writer, 0);
    }
}

int ReadPathNode(PathNode& node, DataFile& reader, int, int withSamples)
{
    node = PathNode{};
    if (!DataFileHolds(reader, 1, NodeFixedBytes + (withSamples ? PathLightSampleBytes : 0) + 12))
        return 0;
    node.kind = static_cast<uint8_t>(ReadByte(reader));
    for (int i = 0; i < 3; i++)
        ReadByte(reader);
    ReadVector(node.centre, reader);
    node.direction.x = ReadFloat(reader);
    node.direction.y = ReadFloat(reader);
    node.direction.z = ReadFloat(reader);
    node.leftEdge = ReadFloat(reader);
    node.rightEdge = ReadFloat(reader);
    node.leftLimit = ReadFloat(reader);
    node.rightLimit = ReadFloat(reader);
    if (withSamples)
        ReadBlock(reader, node.lightSamples, PathLightSampleBytes);
    node.cameraObject = ReadInt(reader);
    for (KeyedByteList& list : node.states)
        if (!ReadKeyedList(list, reader))
            return 0;
    return reader.Overran() ? 0 : 1;
}

void WritePathNode(const PathNode& node, DataFile& writer, int withSamples)
{
    WriteByte(writer, node.kind);
    for (int i = 0; i < 3; i++)
        WriteByte(writer, 0);
    WriteVector(node.centre, writer);
    WriteFloat(writer, node.direction.x);
    WriteFloat(writer, node.direction.y);
    WriteFloat(writer, node.direction.z);
    WriteFloat(writer, node.leftEdge);
    WriteFloat(writer, node.rightEdge);
    WriteFloat(writer, node.leftLimit);
    WriteFloat(writer, node.rightLimit);
    if (withSamples)
        WriteBlock(writer, node.lightSamples, PathLightSampleBytes);
    WriteInt(writer, node.cameraObject);
    for (const KeyedByteList& list : node.states)
        WriteKeyedList(list, writer);
}

int ReadPath(Path& path, DataFile& reader, int version)
{
    FreePath(path);
    path.flags = ReadInt(reader);
    ReadInt(reader);
    const int count = ReadShort(reader);
    const int second = ReadShort(reader);
    const int samples = (path.flags & PathLightSamples) ? 1 : 0;
    if (count < 0 || !DataFileHolds(reader, count, NodeFixedBytes + 12 + samples * PathLightSampleBytes))
        return RefusePath(path, "node count runs past the end of the file");
    if (!ReadNodeList(path.nodes, count, reader, version, samples))
        return RefusePath(path, "bad path node");
    path.nodeCount = count;
    if (second < 0 || !DataFileHolds(reader, second, NodeFixedBytes + 12))
        return RefusePath(path, "second node count runs past the end of the file");
    if (!ReadNodeList(path.secondNodes, second, reader, version, 0))
        return RefusePath(path, "bad second path node");
    path.secondCount = second;
    for (KeyedByteList& list : path.baseLists)
        if (!ReadKeyedList(list, reader))
            return RefusePath(path, "bad base list");
    const int32_t blocks = ReadInt(reader);
    if (blocks < 0 || blocks > MaxLightMapBlocks || !DataFileHolds(reader, blocks, 8))
        return RefusePath(path, "bad light-map block count");
    path.lightMaps.resize(static_cast<size_t>(blocks));
    for (LightMapBlock& block : path.lightMaps) {
        block.a = ReadInt(reader);
        block.b = ReadInt(reader);
        const int64_t values = int64_t(block.a) * block.b;
        if (block.a < 0 || block.b < 0 || values > MaxLightMapValues ||
            !DataFileHolds(reader, values, LightMapValueBytes))
            return RefusePath(path, "bad light-map block size");
        block.values.resize(static_cast<size_t>(values));
        for (uint32_t& value : block.values)
            value = static_cast<uint32_t>(ReadInt(reader));
        block.samples.resize(static_cast<size_t>(values) * 8);
        if (values > 0)
            ReadBlock(reader, block.samples.data(), static_cast<int>(values * 8));
    }
    if (reader.Overran())
        return RefusePath(path, "path runs past the end of the file");
    RelaxPathLimits(path.nodes.data(), path.nodeCount, 1.0f);
    return 1;
}

void WritePath(const Path& path, DataFile& writer)
{
    const int samples = (path.flags & PathLightSamples) ? 1 : 0;
    WriteInt(writer, path.flags);
    WriteInt(writer, 0);
    WriteShort(writer, path.nodeCount);
    WriteShort(writer, path.secondCount);
    for (int i = 0; i < path.nodeCount; i++)
        WritePathNode(path.nodes[size_t(i)], writer, samples);
    for (int i = 0; i < path.secondCount; i++)
        WritePathNode(path.secondNodes[size_t(i)], writer, 0);
    for (const KeyedByteList& list : path.baseLists)
        WriteKeyedList(list, writer);
    WriteInt(writer, static_cast<int>(path.lightMaps.size()));
    for (const LightMapBlock& block : path.lightMaps) {
        WriteInt(writer, block.a);
        WriteInt(writer, block.b);
        for (uint32_t value : block.values)
            WriteInt(writer, static_cast<int>(value));
        if (!block.samples.empty())
            WriteBlock(writer, block.samples.data(), static_cast<int>(block.samples.size()));
    }
}

void ReverseKeyedMasks(KeyedByteList& list)
{
    for (KeyedEntry& entry : list.entries)
        entry.mask = ReverseBits(entry.mask);
}

void ReversePath(PathNode* nodes, int count)
{
    if (!nodes || count <= 0)
        return;
    for (int k = 0; k < count / 2; k++)
        std::swap(nodes[k], nodes[count - 1 - k]);
    for (int i = 0; i < count; i++) {
        PathNode& node = nodes[i];
        node.direction = {-node.direction.x, -node.direction.y, -node.direction.z};
        const float left = node.leftEdge, leftLimit = node.leftLimit;
        node.leftEdge = -node.rightEdge;
        node.rightEdge = -left;
        node.leftLimit = -node.rightLimit;
        node.rightLimit = -leftLimit;
        for (int s = 0; s < PathLightSampleCount / 2; s++)
            std::swap_ranges(node.lightSamples + s * PathLightSampleSize,
                             node.lightSamples + (s + 1) * PathLightSampleSize,
                             node.lightSamples + (PathLightSampleCount - 1 - s) * PathLightSampleSize);
        for (KeyedByteList& list : node.states)
            ReverseKeyedMasks(list);
    }
}

void AddKeyedEntry(KeyedByteList& list, int object)
{
    if (list.entries.empty())
        return;
    KeyedEntry entry;
    entry.object = static_cast<int16_t>(object);
    list.entries.push_back(entry);
}

void RemoveKeyedEntry(KeyedByteList& list, int object)
{
    for (size_t i = 0; i < list.entries.size();) {
        if (list.entries[i].object == object) {
            list.entries[i] = list.entries.back();
            list.entries.pop_back();
        } else {
            i++;
        }
    }
    if (list.entries.empty())
        list.entries = {};
}

void SwapKeyedKeys(KeyedByteList& list, int a, int b)
{
    for (KeyedEntry& entry : list.entries) {
        if (entry.object == a)
            entry.object = static_cast<int16_t>(b);
        else if (entry.object == b)
            entry.object = static_cast<int16_t>(a);
    }
}

int RelaxPathLimits(PathNode* nodes, int count, float step)
{
    if (!nodes || count <= 0)
        return 0;
    for (int pass = 1; pass <= MaxRelaxPasses; pass++) {
        bool changed = false;
        for (int k = 1; k <= count; k++) {
            const PathNode& node = nodes[k % count];
            const float low = node.leftLimit - step;
            const float high = node.rightLimit + step;
            const int neighbours[2] = {(k - 1) % count, (k + 1) % count};
            for (int j : neighbours) {
                PathNode& other = nodes[j];
                if (other.leftLimit < low) {
                    other.leftLimit = low + 0.001f;
                    changed = true;
                }
                if (other.rightLimit > high) {
                    other.rightLimit = high - 0.001f;
                    changed = true;
                }
            }
        }
        if (!changed)
            return pass;
    }
    char text[96];
    std::snprintf(text, sizeof text, "RelaxPathLimits : limits not settled after %d passes", MaxRelaxPasses);
    LogLine(text);
    WorldPrintMessage(text, 9);
    return MaxRelaxPasses;
}

float InterpolatePathNode(PathNode& out, const PathNode& a, const PathNode& b, float t, int withExtras)
{
    out = PathNode{};
    out.centre = MakeFixedVector(Along(a.centre.x.raw, b.centre.x.raw, t), Along(a.centre.y.raw, b.centre.y.raw, t),
                                 Along(a.centre.z.raw, b.centre.z.raw, t));
    out.direction = {Mix(a.direction.x, b.direction.x, t), Mix(a.direction.y, b.direction.y, t),
                     Mix(a.direction.z, b.direction.z, t)};
    out.leftEdge = Mix(a.leftEdge, b.leftEdge, t);
    out.rightEdge = Mix(a.rightEdge, b.rightEdge, t);
    out.leftLimit = Mix(a.leftLimit, b.leftLimit, t);
    out.rightLimit = Mix(a.rightLimit, b.rightLimit, t);
    if (withExtras) {
        out.cameraObject = -1;
        for (int i = 0; i < PathLightSampleBytes; i++)
            out.lightSamples[i] = static_cast<uint8_t>(std::nearbyint(Mix(a.lightSamples[i], b.lightSamples[i], t)));
    }
    const double dx = static_cast<double>(WrapSub(b.centre.x.raw, a.centre.x.raw));
    const double dy = static_cast<double>(WrapSub(b.centre.y.raw, a.centre.y.raw));
    const double dz = static_cast<double>(WrapSub(b.centre.z.raw, a.centre.z.raw));
    return static_cast<float>(5 * (dx * out.direction.x + dy * out.direction.y + dz * out.direction.z) / 65536);
}

float MakeInterpolatedPathNode(PathNode& out, const PathNode& a, const PathNode& b, float t, int withExtras)
{
    return InterpolatePathNode(out, a, b, t, withExtras);
}

void DestroyPathNode(PathNode& node)
{
    for (KeyedByteList& list : node.states)
        list.entries = {};
}

void GetNodeLateralPoint(const PathNode& node, FixedVector& out, float margin, float offset)
{
    const float low = node.leftLimit + margin + 1.0f;
    const float high = node.rightLimit - margin - 1.0f;
    if (offset < low)
        offset = low;
    else if (offset > high)
        offset = high;
    out = node.centre;
    out.x += FixedFromMetres(static_cast<double>(offset) * node.direction.y);
    out.y -= FixedFromMetres(static_cast<double>(offset) * node.direction.x);
}

int NextPathNode(const Path& path, int i)
{
    return path.nodeCount > 0 ? (i + 1) % path.nodeCount : 0;
}
