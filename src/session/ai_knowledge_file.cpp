// The knowledge file: its name, its one reader and one writer, the set-up
// key it carries and the storage of the knowledge it fills.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "session/ai_knowledge.h"
#include "session/services.h"
#include "session/local.h"

namespace {

// Shown when a file's node count is not the route's.
constexpr const char* WrongNodeCountText = "Wrong number of nodes";

// The set-up key and figures of the file, read apart from the knowledge so
// that a refused file changes nothing.
struct KnowledgeFileHead {
    uint8_t rearWing = 0, frontWing = 0;
    uint16_t finalDriveCode = 0;
    float fuelPerLap = 0, maxSpeed = 0, lapTime = 0, tankCapacity = 0;
    int nodeCount = 0, keyCount = 0;
};

void ReadKnowledgeHead(KnowledgeFileHead& head, DataFile& reader)
{
    head.rearWing = static_cast<uint8_t>(ReadByte(reader));
    head.frontWing = static_cast<uint8_t>(ReadByte(reader));
    ReadShort(reader);
    head.finalDriveCode = static_cast<uint16_t>(ReadShort(reader));
    ReadShort(reader);
    head.fuelPerLap = ReadFloat(reader);
    head.maxSpeed = ReadFloat(reader);
    head.lapTime = ReadFloat(reader);
    head.tankCapacity = ReadFloat(reader);
    head.nodeCount = ReadShort(reader);
    head.keyCount = ReadShort(reader);
}

// A key that names nodes outside the route or carries no number for its
// end would make the build read outside its nodes or place nothing.
bool IsUsableKey(const KnowledgeSegment& key, int nodeCount)
{
    return key.startNode >= 0 && key.startNode < nodeCount && key.endNode >= 0 && key.endNode < nodeCount &&
           std::isfinite(key.endAngle) && std::isfinite(key.endOffset);
}

int RefuseKnowledgeFile(const char* fileName, const char* reason)
{
    LogPrintf("LoadKnowledge : %s : %s", reason, fileName);
    return 0;
}

} // namespace

void KnowledgeFileNameFor(char* buffer, const char* siteCode, int configuration, int reversed, const char* carCode)
{
    std::snprintf(buffer, KnowledgeFileNameSize, "data\\knw\\%.2s%d%s_%.3s.knw", siteCode ? siteCode : "",
                  configuration, reversed ? "R" : "", carCode ? carCode : "");
}

void KnowledgeFileName(char* buffer, const char* carCode)
{
    const PathWorld world = CurrentPathWorld();
    KnowledgeFileNameFor(buffer, world.siteCode, world.configuration, world.reversed, carCode);
}

int KnowledgeFileForCar(char* buffer, char* codeOut, const char* carName)
{
    const char* code = GetCarCode(carName);
    if (!code) {
        ShowKnowledgeMessage(GetText(TX_3a_cnocolon), carName ? carName : "");
        return 0;
    }
    CopyFixedString(codeOut, code, 4);
    KnowledgeFileName(buffer, codeOut);
    return 1;
}

int LoadKnowledge(AiKnowledge& knowledge, const char* fileName, int pathNodeCount)
{
    DataFile reader;
    int version = 0;
    if (const char* error =
            LoadDataFile(reader, nullptr, fileName, KnowledgeFileMagic, version, KnowledgeFileVersion, false)) {
        ShowKnowledgeMessage(error, fileName);
        return 0;
    }
    if (version < KnowledgeFileVersion)
        return 0;
    KnowledgeFileHead head;
    ReadKnowledgeHead(head, reader);
    if (reader.Overran())
        return RefuseKnowledgeFile(fileName, "file too short");
    if (head.nodeCount != pathNodeCount) {
        GetRaceHooks().printMessage(WrongNodeCountText, 0);
        return 0;
    }
    if (!DataFileHolds(reader, head.keyCount, CubicKeyBytes))
        return RefuseKnowledgeFile(fileName, "bad key segment count");
    std::vector<KnowledgeSegment> keys(static_cast<size_t>(head.keyCount));
    for (KnowledgeSegment& key : keys)
        if (!ReadCubicKey(key, reader) || !IsUsableKey(key, pathNodeCount))
            return RefuseKnowledgeFile(fileName, "bad key segment");

    knowledge.rearWing = head.rearWing;
    knowledge.frontWing = head.frontWing;
    knowledge.finalDriveCode = head.finalDriveCode;
    knowledge.fuelPerLap = head.fuelPerLap;
    knowledge.maxSpeed = head.maxSpeed;
    knowledge.lapTime = head.lapTime;
    knowledge.tankCapacity = head.tankCapacity;
    knowledge.keys = std::move(keys);
    knowledge.keyCount = head.keyCount;
    return 1;
}

int WriteKnowledgeFile(const AiKnowledge& knowledge, const char* fileName)
{
    if (knowledge.nodeCount < 0 || knowledge.nodeCount > MaxPathNodes || knowledge.keyCount < 0 ||
        knowledge.keyCount > MaxPathNodes || size_t(knowledge.keyCount) != knowledge.keys.size()) {
        LogPrintf("WriteKnowledgeFile : %d nodes and %d key segments do not fit the file : %s", knowledge.nodeCount,
                  knowledge.keyCount, fileName);
        return 0;
    }
    DataFile writer;
    CreateDataFile(writer, nullptr, fileName, KnowledgeFileMagic, KnowledgeFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteByte(writer, knowledge.rearWing);
    WriteByte(writer, knowledge.frontWing);
    WriteShort(writer, 0);
    WriteShort(writer, knowledge.finalDriveCode);
    WriteShort(writer, 0);
    WriteFloat(writer, knowledge.fuelPerLap);
    WriteFloat(writer, knowledge.maxSpeed);
    WriteFloat(writer, knowledge.lapTime);
    WriteFloat(writer, knowledge.tankCapacity);
    WriteShort(writer, knowledge.nodeCount);
    WriteShort(writer, knowledge.keyCount);
    for (const KnowledgeSegment& key : knowledge.keys)
        WriteCubicKey(key, writer);
    return CloseDataFile(writer);
}

void CopyKnowledgeSetupKey(const AiKnowledge& knowledge, CarSetup& setup)
{
    setup.rearWing = knowledge.rearWing;
    setup.frontWing = knowledge.frontWing;
    setup.finalDrive = knowledge.finalDriveCode;
}

int KnowledgeMatchesSetup(const AiKnowledge& knowledge, const CarSetup& setup)
{
    return setup.rearWing == knowledge.rearWing && setup.frontWing == knowledge.frontWing &&
           setup.finalDrive == knowledge.finalDriveCode;
}

void AllocKnowledgeNodes(AiKnowledge& knowledge, int count)
{
    knowledge.nodes.assign(static_cast<size_t>(count > 0 ? count : 0), KnowledgeNode{});
    knowledge.nodeCount = static_cast<int32_t>(knowledge.nodes.size());
}

void FreeKnowledge(AiKnowledge& knowledge) { knowledge = AiKnowledge{}; }
