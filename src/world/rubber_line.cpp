// The rubber line file "data\knw\<code>.trs": the three rubber points of
// every node of the knowledge path, kept per configuration and direction.
#include <cstdio>
#include <cstring>

#include "world/hooks.h"
#include "world/paths.h"

namespace {
// Bytes per node: three pairs of offset and intensity.
constexpr int RubberNodeBytes = RubberPointCount * 8;
} // namespace

void MakeKnowledgeFileName(const char* siteCode, int configuration, int reversed, char* output)
{
    std::snprintf(output, KnowledgeFileNameSize, "data\\knw\\%.2s%d%s.trs", siteCode ? siteCode : "",
                  configuration, reversed ? "R" : "");
}

void ResetRubberLine(Path& path)
{
    for (PathNode& node : path.nodes) {
        for (int k = 0; k < RubberPointCount; k++) {
            node.rubber[k].offset = static_cast<float>(k - 1);
            node.rubber[k].intensity = 0;
        }
    }
}

int LoadRubberLine(Path& path, const char* fileName)
{
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, fileName, RubberLineMagic, version, RubberLineVersion, false);
    if (reader.IsOpen()) {
        const int32_t count = ReadInt(reader);
        // The whole line is checked before any of it is taken, so a short
        // file leaves the default line, not half of one.
        if (count == path.nodeCount && DataFileHolds(reader, count, RubberNodeBytes) && !reader.Overran()) {
            for (PathNode& node : path.nodes) {
                for (RubberPoint& point : node.rubber) {
                    point.offset = ReadFloat(reader);
                    point.intensity = ReadFloat(reader);
                }
            }
            CloseDataFile(reader);
            return 1;
        }
        WorldPrintMessage(count == path.nodeCount ? "Path info damaged" : "Path info changed", 18);
        CloseDataFile(reader);
    }
    ResetRubberLine(path);
    return 0;
}

int SaveRubberLine(const Path& path, const char* fileName)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, fileName, RubberLineMagic, RubberLineVersion);
    if (!writer.IsOpen()) {
        WorldPrintError(fileName);
        return 0;
    }
    WriteInt(writer, path.nodeCount);
    for (const PathNode& node : path.nodes) {
        for (const RubberPoint& point : node.rubber) {
            WriteFloat(writer, point.offset);
            WriteFloat(writer, point.intensity);
        }
    }
    if (!CloseDataFile(writer)) {
        WorldPrintError(fileName);
        return 0;
    }
    return 1;
}

void LoadPathKnowledge()
{
    const PathWorld world = CurrentPathWorld();
    Path* path = GetKnowledgePath();
    if (world.configuration == 0 || !path)
        return;
    char name[KnowledgeFileNameSize];
    MakeKnowledgeFileName(world.siteCode, world.configuration, world.reversed, name);
    LoadRubberLine(*path, name);
}

void SavePathKnowledge()
{
    const PathWorld world = CurrentPathWorld();
    Path* path = GetKnowledgePath();
    if (world.configuration == 0 || !path)
        return;
    char name[KnowledgeFileNameSize];
    MakeKnowledgeFileName(world.siteCode, world.configuration, world.reversed, name);
    SaveRubberLine(*path, name);
}
