// The staged world loader: OpenWorld reads the site's world file whole,
// then each LoadWorldStep call runs one stage, the slow ones (objects,
// textures) sliced by the load budget, until the world is loaded or a stage
// has refused it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "world/local.h"

namespace {

constexpr int HeaderWords = 12;
constexpr int SharedModelHeadBytes = 28;
constexpr int ObjectHeadBytes = 4;
constexpr int ZonePointBytes = 8;
constexpr int ZoneTriangleBytes = 20;
constexpr int StoredSchemeBytes = 68;
constexpr double Pi = 3.14159265358979323846;

// The stage names the loading screen shows (the stage about to run).
const char* const StageNames[LoadStageMeshes + 1] = {
    "FINISHED",      "Paths",          "Colours",          "Duplicators", "Light schemes", "Reading objects",
    "Lighting info", "Bump textures",  "Initialising colours", "Check points", "Extra data", "Start objects",
    "Map squares",   "Path initialisation", "Loading textures", "Path adjustment", "Rebuilding",
};

// Refuses the world: one log line and one error message naming the reason;
// the next call frees what was read.
int Refuse(World& world, const char* reason)
{
    char text[160];
    std::snprintf(text, sizeof text, "LoadWorldStep : %s : %s", reason, world.name);
    LogLine(text);
    WorldPrintError(text);
    world.failed = 1;
    return 0;
}

int Refuse(World& world, RecordReading& in, const char* fallback)
{
    return Refuse(world, in.error ? in.error : fallback);
}

DataFile& PathReader(World& world) { return world.lightReader.IsOpen() ? world.lightReader : world.worldReader; }

void NextStage(World& world)
{
    world.loadStage++;
    SetLoadProgress(world, StageNames[world.loadStage <= LoadStageMeshes ? world.loadStage : 0]);
}

int Finish(World& world)
{
    SetLoadProgress(world, StageNames[0]);
    world.loadStage = 0;
    return 1;
}

bool DeadlinePassed(uint32_t deadline)
{
    return static_cast<int32_t>(WorldLoadNow() - deadline) > 0;
}

// The second node list of an old world's path from its old path file; a
// missing or older file adds nothing.
void ReadOldPathFile(World& world, Path& path, int configuration)
{
    char name[64];
    std::snprintf(name, sizeof name, OldPathTemplate, world.siteCode, configuration);
    DataFile reader;
    int version = 0;
    if (LoadDataFile(reader, nullptr, name, OldPathMagic, version, WorldFileVersion, false) || version < 250)
        return;
    const int32_t flags = ReadInt(reader);
    ReadInt(reader);
    const int count = ReadShort(reader);
    ReadShort(reader);
    std::vector<PathNode> nodes(size_t(std::max(count, 0)));
    for (PathNode& node : nodes) {
        if (!ReadPathNode(node, reader, version, flags & PathLightSamples)) {
            LogPrintf("ReadOldPathFile : node list runs past the end of the file : %s", name);
            return;
        }
    }
    path.secondNodes = std::move(nodes);
    path.secondCount = static_cast<int32_t>(path.secondNodes.size());
}

int StagePaths(World& world)
{
    DataFile& r = world.worldReader;
    for (int i = 0; i < HeaderWords; i++)
        ReadInt(r);
    const int count = ReadShort(r);
    if (count < 0 || count > MaxWorldConfigs)
        return Refuse(world, "the configuration count is out of range");
    const int lightFile = ReadShort(r);
    if (lightFile) {
        char name[64];
        std::snprintf(name, sizeof name, LightFileTemplate, world.siteCode);
        int version = 0;
        if (LoadDataFile(world.lightReader, nullptr, name, LightFileMagic, version, WorldFileVersion, false)) {
            CloseDataFile(world.worldReader);
            WorldPrintError("WLD : MISSING FILE");
            world.failed = 1;
            return 0;
        }
    }
    world.configs.resize(size_t(count));
    for (int i = 0; i < count; i++) {
        WorldConfig& config = world.configs[size_t(i)];
        ReadBlock(r, config.name, sizeof config.name);
        config.name[sizeof config.name - 1] = 0;
        if (!ReadPath(config.path, PathReader(world), world.version))
            return Refuse(world, "a configuration's path is damaged");
        config.blockA = ReadShort(r);
        config.blockB = ReadShort(r);
        if (world.version < 251 && config.path.secondCount == 0)
            ReadOldPathFile(world, config.path, i + 1);
    }
    if (r.Overran())
        return Refuse(world, "the configurations run past the end of the file");
    // Without configurations only configuration 0 exists: nothing to
    // reverse and no path to keep knowledge of.
    if (count == 0) {
        world.configuration = 0;
        world.reversed = 0;
    } else {
        world.configuration = std::clamp(world.configuration, 1, count);
        const bool wanted = world.reversed != 0;
        world.reversed = 0;
        if (wanted && (world.configs[size_t(world.configuration - 1)].path.flags & PathReversible))
            ReverseConfiguration(world);
        SetPathLinks(world);
        if (world.knowledgePath)
            LoadPathKnowledge();
    }
    NextStage(world);
    return 0;
}

int StageColours(World& world)
{
    world.coloursFlags = ReadInt(world.worldReader);
    if (!(world.coloursFlags & ColoursOneIndex)) {
        world.coloursFlags |= ColoursOneIndex;
        world.coloursFlagAdded = 1;
    }
    RecordReading in{world.worldReader, world.version};
    if (!ReadWorldTextureList(world.textures, in))
        return Refuse(world, in, "the world texture list is damaged");
    NextStage(world);
    return 0;
}

int StageSharedModels(World& world)
{
    DataFile& r = world.worldReader;
    const float reference = ReadFloat(r), duplicator = ReadFloat(r);
    world.duplicatorScale = 0;
    if (duplicator != 0 && reference != 0) {
        int p = RoundToInt32(double(duplicator) * 100.0 / double(reference));
        p = p <= 50 ? 50 : p > 98 ? 100 : p;
        world.duplicatorScale = float(p) * 0.01f;
    }
    const int32_t count = ReadInt(r);
    if (count < 0 || count > MaxSharedModels || !DataFileHolds(r, count, SharedModelHeadBytes))
        return Refuse(world, "the shared model count is out of range");
    world.sharedModels.resize(size_t(count));
    for (SharedModel& model : world.sharedModels)
        if (!ReadSharedModel(model, r, world.version))
            return Refuse(world, "a shared model is damaged");
    NextStage(world);
    return 0;
}

float ToWholeDegrees(float radians)
{
    const double degrees = std::nearbyint(double(radians) * 180.0 / Pi);
    return static_cast<float>(degrees * Pi / 180.0);
}

void ReadLightScheme(World& world, LightScheme& s, int index)
{
    DataFile& r = world.worldReader;
    s.storedFlag = static_cast<uint8_t>(ReadByte(r));
    s.timeOfDay = static_cast<uint8_t>(ReadByte(r));
    s.weather = static_cast<uint8_t>(ReadByte(r));
    s.fourth = static_cast<uint8_t>(ReadByte(r));
    uint8_t skipped[16];
    if (s.storedFlag)
        ReadBlock(r, skipped, 12);
    ReadBlock(r, s.skyName, sizeof s.skyName);
    s.skyName[sizeof s.skyName - 1] = 0;
    if (s.storedFlag)
        ReadBlock(r, skipped, 16);
    s.ambient = ReadColourRecord(r);
    ReadInt(r);
    s.sun = ReadColourRecord(r);
    s.sunLevel = ReadFloat(r);
    s.ambientLevel = ReadFloat(r);
    ReadInt(r);
    s.sunHeading = ToWholeDegrees(ReadFloat(r));
    s.sunElevation = ToWholeDegrees(ReadFloat(r));
    s.lightHeightFactor = ReadFloat(r);
    if (world.version <= WorldFileVersion && world.duplicatorScale != 0)
        s.lightHeightFactor = world.duplicatorScale;
    s.fogValue = ReadFloat(r);
    ReadInt(r);
    s.fog = ReadColourRecord(r);
    if (world.version < 251 && s.storedFlag) {
        // Old files: the scheme's time and weather from the site's defaults.
        s.storedFlag = s.fourth = 0;
        s.timeOfDay = 3;
        s.weather = 0;
        for (const SiteRecord& site : SiteTable) {
            if (SameNameAscii(site.code, world.siteCode, 2)) {
                s.timeOfDay = site.defaultTimeOfDay[index];
                s.weather = site.defaultWeather[index];
            }
        }
    }
}

int StageLightSchemes(World& world)
{
    DataFile& r = world.worldReader;
    ReadInt(r);
    const int32_t count = ReadInt(r);
    const int limit = world.version < 251 ? OldFileSchemeDefaults : MaxLightSchemes;
    if (count < 0 || count > limit || !DataFileHolds(r, count, StoredSchemeBytes))
        return Refuse(world, "the light scheme count is out of range");
    world.schemes.resize(size_t(count));
    for (int i = 0; i < count; i++)
        ReadLightScheme(world, world.schemes[size_t(i)], i);
    world.lightScheme = std::clamp(world.lightScheme, 0, std::max(count - 1, 0));
    const int32_t objects = ReadInt(r);
    if (r.Overran())
        return Refuse(world, "the light schemes run past the end of the file");
    if (objects < 0 || objects > MaxWorldObjects || !DataFileHolds(r, objects, ObjectHeadBytes))
        return Refuse(world, "the object count is out of range");
    world.objects.reserve(size_t(objects));
    world.cursor = 0;
    world.objectCountInFile = objects;
    NextStage(world);
    return 0;
}

int StageObjects(World& world, uint32_t deadline)
{
    DataFile& r = world.worldReader;
    MutableLoadedWorld.objectsLoading = 1;
    while (world.cursor < world.objectCountInFile) {
        RecordReading in{r, world.version};
        WorldObject* object = CreateWorldObject(in);
        if (!object) {
            MutableLoadedWorld.objectsLoading = 0;
            return Refuse(world, in, "an object record is damaged");
        }
        AttachObjectToWorld(*object, world);
        world.objects.push_back(object);
        world.cursor++;
        if (DeadlinePassed(deadline))
            break;
    }
    MutableLoadedWorld.objectsLoading = 0;
    if (world.cursor < world.objectCountInFile)
        return 0;
    const int32_t points = ReadInt(r);
    if (points < 0 || points > MaxZonePoints || !DataFileHolds(r, points, ZonePointBytes))
        return Refuse(world, "the camera zone point count is out of range");
    world.zonePoints.resize(size_t(points));
    for (ZonePoint& p : world.zonePoints) {
        p.x = Fixed(ReadInt(r));
        p.y = Fixed(ReadInt(r));
    }
    const int32_t triangles = ReadInt(r);
    if (triangles < 0 || triangles > MaxZoneTriangles || !DataFileHolds(r, triangles, ZoneTriangleBytes))
        return Refuse(world, "the camera zone triangle count is out of range");
    world.zoneTriangles.resize(size_t(triangles));
    for (ZoneTriangle& t : world.zoneTriangles) {
        for (int32_t& p : t.point)
            p = ReadInt(r);
        t.object = ReadInt(r);
        t.floorHeight = ReadFloat(r);
    }
    for (StartLight& light : world.lights) {
        light.on = ReadColourRecord(r);
        light.on.flags |= 1;
    }
    ReadInt(r);
    ReadInt(r);
    world.crowdDensity = ReadFloatClamped(r, 0.0f, 1.0f);
    if (r.Overran())
        return Refuse(world, "the camera zones run past the end of the file");
    NextStage(world);
    return 0;
}

template <typename T>
T* ObjectOfType(World& world, int index, int type)
{
    if (index < 0 || size_t(index) >= world.objects.size() || world.objects[size_t(index)]->GetType() != type)
        return nullptr;
    return static_cast<T*>(world.objects[size_t(index)]);
}

// Every index an object or zone holds must name what it stands for; the
// surfaces' two profile indexes become references.
const char* LinkObjects(World& world)
{
    const size_t textures = world.textures.size();
    const size_t models = world.sharedModels.size();
    for (WorldObject* o : world.objects) {
        switch (o->GetType()) {
        case ObjectTypeSurface: {
            auto* s = static_cast<CurvedSurfaceObject*>(o);
            for (int e = 0; e < 2; e++) {
                s->ends[e] = ObjectOfType<StripObject>(world, s->end[e], ObjectTypeProfile);
                if (!s->ends[e])
                    return "a surface's end does not name a profile";
            }
            for (const SurfaceCurve& c : s->curves)
                if (c.endPoint[0] >= s->ends[0]->points.size() || c.endPoint[1] >= s->ends[1]->points.size())
                    return "a surface curve names a profile point the profile lacks";
            for (const SurfaceBand& band : s->bands)
                if (band.texture < 0 || size_t(band.texture) >= textures)
                    return "a surface band names a texture the world lacks";
            break;
        }
        case ObjectTypeProfile: {
            auto* s = static_cast<StripObject*>(o);
            if (s->texture >= textures && (s->profileFlags & ProfileTextured))
                return "a profile names a texture the world lacks";
            if (s->profileFlags & ProfileAttached)
                for (int e = 0; e < 2; e++)
                    if (!(s->ends[e] = ObjectOfType<StripObject>(world, s->end[e], ObjectTypeProfile)) || s->ends[e] == s)
                        return "an attached profile's end does not name another profile";
            break;
        }
        case ObjectTypeSolid:
            if (static_cast<SolidObject*>(o)->model < -1 || static_cast<SolidObject*>(o)->model >= int(models))
                return "a solid object names a model the world lacks";
            break;
        case ObjectTypeInstance:
            if (static_cast<InstanceObject*>(o)->model < -1 || static_cast<InstanceObject*>(o)->model >= int(models))
                return "an instance names a model the world lacks";
            break;
        case ObjectTypeFlag:
            if (static_cast<FlagObject*>(o)->texture < 0 || size_t(static_cast<FlagObject*>(o)->texture) >= textures)
                return "a flag names a texture the world lacks";
            break;
        default: break;
        }
    }
    for (const ZoneTriangle& t : world.zoneTriangles) {
        for (int32_t p : t.point)
            if (p < 0 || size_t(p) >= world.zonePoints.size())
                return "a camera zone names a point the world lacks";
        if (!ObjectOfType<CameraObject>(world, t.object, ObjectTypeCamera))
            return "a camera zone does not name a camera";
    }
    return nullptr;
}

int StageLighting(World& world)
{
    const size_t schemes = world.schemes.size();
    for (WorldObject* o : world.objects)
        if (o->HasLitData())
            static_cast<LodObject*>(o)->lighting.assign(schemes, LitSchemeRecord{});
    RecordReading in{PathReader(world), world.version};
    for (size_t s = 0; s < schemes; s++)
        for (WorldObject* o : world.objects)
            if (o->HasLitData() && !ReadLitSchemeRecord(static_cast<LodObject*>(o)->lighting[s], in))
                return Refuse(world, in, "the lighting data is damaged");
    CloseDataFile(world.worldReader);
    CloseDataFile(world.lightReader);
    if (const char* fault = LinkObjects(world))
        return Refuse(world, fault);
    world.cursor = 0;
    NextStage(world);
    return 0;
}

void RunQuickStage(World& world)
{
    switch (world.loadStage) {
    case 7: GenerateBumpMap(world); break;
    case 8:
        for (StartLight& light : world.lights)
            for (ColourRecord*& link : light.links)
                link = nullptr;
        ComputeWorldTextureColours(world.textures, world.coloursFlagAdded);
        break;
    case 9: CountTimingPoints(world); break;
    case 10:
        for (WorldObject* o : world.objects)
            o->Init();
        break;
    case 11: SetupStartObjects(world); break;
    case 12: BuildMapSquares(world); break;
    default: break;
    }
    NextStage(world);
}

int StageTextures(World& world, uint32_t deadline)
{
    const int32_t count = static_cast<int32_t>(world.textures.size());
    while (world.cursor < count) {
        LoadWorldTexture(world.textures[size_t(world.cursor)]);
        world.cursor++;
        if (DeadlinePassed(deadline))
            break;
    }
    if (world.cursor < count) {
        SetLoadProgressPercent(world, StageNames[14], RoundToInt32(double(world.cursor) * 100.0 / count));
        return 0;
    }
    NextStage(world);
    return 0;
}

} // namespace

int OpenWorld(World& world, const char* siteName, const char* siteCode, int buildMeshes, int meshOption,
              int configuration, int reversed, int lightScheme)
{
    std::memset(world.siteCode, 0, sizeof world.siteCode);
    std::snprintf(world.siteCode, 3, "%s", siteCode ? siteCode : "");
    std::snprintf(world.name, sizeof world.name, "%s", siteName ? siteName : "");
    if (FindSite(world.name, nullptr) < 0) {
        WorldPrintMessage(GetText(TX_3a_trckunkn), 9);
        return 0;
    }
    CloseDataFile(world.worldReader);
    CloseDataFile(world.lightReader);
    char path[64];
    std::snprintf(path, sizeof path, WorldFileTemplate, world.name);
    int version = 0;
    if (LoadDataFile(world.worldReader, nullptr, path, WorldFileMagic, version, WorldFileVersion, false)) {
        WorldPrintMessage(GetText(TX_3a_trcknofn), 9);
        return 0;
    }
    if (version < OldestWorldVersion) {
        CloseDataFile(world.worldReader);
        WorldPrintMessage(GetText(TX_3a_trckobso), 9);
        return 0;
    }
    FreeWorldContents(world);
    world.version = version;
    world.failed = 0;
    world.coloursFlagAdded = 0;
    world.buildMeshes = ProgramMode.graphicsOn ? buildMeshes : 0;
    world.meshOption = meshOption;
    world.reversed = reversed;
    world.configuration = configuration;
    world.lightScheme = lightScheme;
    MutableLoadedWorld.world = &world;
    InstallWorldSurroundings(&world);
    world.loadStage = 1;
    SetLoadProgress(world, StageNames[1]);
    return 1;
}

int LoadWorldStep(World& world)
{
    if (world.failed) {
        FreeWorldContents(world);
        CloseDataFile(world.worldReader);
        CloseDataFile(world.lightReader);
        world.failed = 0;
        return 1;
    }
    const uint32_t deadline = WorldLoadNow() + static_cast<uint32_t>(MutableWorldRun.loadBudgetMs);
    switch (world.loadStage) {
    case 1: return StagePaths(world);
    case 2: return StageColours(world);
    case 3: return StageSharedModels(world);
    case 4: return StageLightSchemes(world);
    case 5: return StageObjects(world, deadline);
    case 6: return StageLighting(world);
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12: RunQuickStage(world); return 0;
    case 13:
        ResetWorldRaceState(world);
        SetLoadProgressPercent(world, StageNames[14], 0);
        world.cursor = 0;
        world.loadStage = 14;
        return 0;
    case 14: return StageTextures(world, deadline);
    case 15:
        if (world.currentPath && world.configuration > 0)
            SetupPathCheckpoints(*world.currentPath, MakePathWorld(world));
        world.ready = 1;
        if (world.buildMeshes && BeginWorldMeshes(world))
            return 0;
        return Finish(world);
    default: return Finish(world);
    }
}

int IsWorldLoading(const World& world)
{
    return world.loadStage >= 1 && world.loadStage < LoadStageMeshes;
}
