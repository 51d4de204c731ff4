// The writer of the world's files: the world file, the light file that can
// hold the paths and the lighting data instead, and old path files; each
// written in the form the loader reads.
#include <cstdio>

#include "world/local.h"

namespace {

void WriteLightingData(const World& world, DataFile& writer)
{
    for (size_t s = 0; s < world.schemes.size(); s++) {
        for (const WorldObject* o : world.objects) {
            if (!o->HasLitData())
                continue;
            const LodObject& lod = *static_cast<const LodObject*>(o);
            WriteLitSchemeRecord(s < lod.lighting.size() ? lod.lighting[s] : LitSchemeRecord{}, writer);
        }
    }
}

int SaveLightFile(const World& world)
{
    char name[64];
    std::snprintf(name, sizeof name, LightFileTemplate, world.siteCode);
    DataFile writer;
    CreateDataFile(writer, nullptr, name, LightFileMagic, WorldFileVersion);
    if (!writer.IsOpen())
        return 0;
    for (const WorldConfig& config : world.configs)
        WritePath(config.path, writer);
    WriteLightingData(world, writer);
    return CloseDataFile(writer);
}

} // namespace

void WriteSharedModel(const SharedModel& model, DataFile& writer)
{
    WriteByte(writer, model.kind);
    for (uint8_t b : model.header)
        WriteByte(writer, b);
    WriteFloat(writer, model.scale);
    for (float m : model.material)
        WriteFloat(writer, m);
    WriteFloat(writer, model.mass);
    WriteByte(writer, model.objectByte);
    WriteByte(writer, model.collisionKind);
    WriteByte(writer, model.layoutFlag);
    WriteByte(writer, model.garageFlag);
    if (model.kind == 0 && model.model)
        WriteObjectModel(*model.model, writer, 1);
    else if (model.kind == 1 && model.shape)
        WriteRevolvedShape(*model.shape, writer);
}

void WriteLightScheme(const LightScheme& s, DataFile& writer)
{
    // The stored flag's two extra blocks are not kept, so none is written.
    WriteByte(writer, 0);
    WriteByte(writer, s.timeOfDay);
    WriteByte(writer, s.weather);
    WriteByte(writer, s.fourth);
    WriteFixedString(writer, s.skyName, sizeof s.skyName);
    WriteColourRecord(writer, s.ambient);
    WriteInt(writer, 0);
    WriteColourRecord(writer, s.sun);
    WriteFloat(writer, s.sunLevel);
    WriteFloat(writer, s.ambientLevel);
    WriteInt(writer, 0);
    WriteFloat(writer, s.sunHeading);
    WriteFloat(writer, s.sunElevation);
    WriteFloat(writer, s.lightHeightFactor);
    WriteFloat(writer, s.fogValue);
    WriteInt(writer, 0);
    WriteColourRecord(writer, s.fog);
}

int SaveWorldFiles(const World& world, const char* siteName, int lightFile)
{
    char name[64];
    std::snprintf(name, sizeof name, WorldFileTemplate, siteName);
    DataFile writer;
    CreateDataFile(writer, nullptr, name, WorldFileMagic, WorldFileVersion);
    if (!writer.IsOpen())
        return 0;
    WritePadding(writer, 48);
    WriteShort(writer, static_cast<int>(world.configs.size()));
    WriteShort(writer, lightFile ? 1 : 0);
    for (const WorldConfig& config : world.configs) {
        WriteFixedString(writer, config.name, sizeof config.name);
        if (!lightFile)
            WritePath(config.path, writer);
        WriteShort(writer, config.blockA);
        WriteShort(writer, config.blockB);
    }
    WriteInt(writer, world.coloursFlags | ColoursOneIndex);
    WriteWorldTextureList(world.textures, writer);
    WriteFloat(writer, 1.0f);
    WriteFloat(writer, world.duplicatorScale);
    WriteInt(writer, static_cast<int32_t>(world.sharedModels.size()));
    for (const SharedModel& model : world.sharedModels)
        WriteSharedModel(model, writer);
    WriteInt(writer, 0);
    WriteInt(writer, static_cast<int32_t>(world.schemes.size()));
    for (const LightScheme& scheme : world.schemes)
        WriteLightScheme(scheme, writer);
    WriteInt(writer, static_cast<int32_t>(world.objects.size()));
    for (const WorldObject* o : world.objects)
        WriteWorldObject(*o, writer);
    WriteInt(writer, static_cast<int32_t>(world.zonePoints.size()));
    for (const ZonePoint& p : world.zonePoints) {
        WriteInt(writer, p.x.raw);
        WriteInt(writer, p.y.raw);
    }
    WriteInt(writer, static_cast<int32_t>(world.zoneTriangles.size()));
    for (const ZoneTriangle& t : world.zoneTriangles) {
        for (int32_t p : t.point)
            WriteInt(writer, p);
        WriteInt(writer, t.object);
        WriteFloat(writer, t.floorHeight);
    }
    for (const StartLight& light : world.lights)
        WriteColourRecord(writer, light.on);
    WriteInt(writer, 0);
    WriteInt(writer, 0);
    WriteFloat(writer, world.crowdDensity);
    if (!lightFile)
        WriteLightingData(world, writer);
    if (!CloseDataFile(writer))
        return 0;
    return lightFile ? SaveLightFile(world) : 1;
}

int SaveOldPathFile(const std::vector<PathNode>& nodes, int withSamples, const char* fileName)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, fileName, OldPathMagic, WorldFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteInt(writer, withSamples ? PathLightSamples : 0);
    WriteInt(writer, 0);
    WriteShort(writer, static_cast<int>(nodes.size()));
    WriteShort(writer, 0);
    for (const PathNode& node : nodes)
        WritePathNode(node, writer, withSamples);
    return CloseDataFile(writer);
}
