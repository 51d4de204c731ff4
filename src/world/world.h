// The world: the one loaded track site with its configurations and their
// paths, light schemes, world textures, shared models, scenery objects and
// the grids built over them; the staged loader that reads it a frame at a
// time within a time budget; and the writer of the same files.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "world/paths.h"
#include "world/road.h"
#include "world/scenery.h"
#include "world/scenery_kinds.h"

struct SharedModel;

// The world file "data\wld\<site name>.wld", the light file
// "data\wld\<site code>.lgh" and the old path file "data\pth\<code><n>.pth".
constexpr const char* WorldFileMagic = "ZKWORL";
constexpr const char* LightFileMagic = "ZKLGHT";
constexpr const char* OldPathMagic = "ZKPATH";
constexpr int WorldFileVersion = 251;
constexpr int OldestWorldVersion = 250;
constexpr const char* WorldFileTemplate = "data\\wld\\%s.wld";
constexpr const char* LightFileTemplate = "data\\wld\\%s.lgh";
constexpr const char* OldPathTemplate = "data\\pth\\%s%d.pth";

// Table sizes; a file whose count exceeds one is refused (records carry no
// lengths, so a cut table would mis-read everything after it).
constexpr int MaxWorldConfigs = 15;
constexpr int MaxLightSchemes = MaxLightMapBlocks;
// Old files carry default times of day and weathers for this many schemes.
constexpr int OldFileSchemeDefaults = 4;
constexpr int MaxZonePoints = 256;
constexpr int MaxZoneTriangles = 256;
constexpr int MaxSharedModels = 4096;
constexpr int MaxStartPlaces = 32;
constexpr int MaxSpeedZones = 8;
constexpr int MaxLightZones = 16;
constexpr int MaxStartLightObjects = 16;
// Colours flags bit 3: colour map entries are single palette indexes.
constexpr int32_t ColoursOneIndex = 0x08;

// Load stages: 0 idle or loaded; 1..16 the stage the next call runs.
constexpr int LoadStageMeshes = 16;

struct LightScheme {
    uint8_t storedFlag = 0, timeOfDay = 0, weather = 0, fourth = 0;
    char skyName[16] = {};
    ColourRecord ambient, sun;
    float sunLevel = 0, ambientLevel = 0;
    float sunHeading = 0, sunElevation = 0;  // radians, whole degrees
    float lightHeightFactor = 1.0f;
    float fogValue = 0;
    ColourRecord fog;
};

struct WorldConfig {
    char name[16] = {};
    Path path;
    int32_t blockA = 24, blockB = 6;  // the dimensions of the path's light-map blocks
};

struct StartLight {
    ColourRecord off, on;
    ColourRecord* links[4] = {};
};

// The start lights' clock: milliseconds since the race state was reset, the
// time of the next switch and the random part of the last red light's wait.
struct StartLightClock {
    int32_t clockMs = 0;
    int32_t nextSwitchMs = 0;
    int32_t randomDelayMs = 0;
};

// The wind: its base values and the current ones drifting about them.
struct WorldWind {
    float baseDirection = 0, direction = 0;  // rad
    float directionRate = 0;                 // rad/s
    float baseStrength = 0, strength = 0;    // m/s
    float strengthRate = 0;                  // m/s^2
    float rootBaseStrength = 0;              // sqrt of the base strength
};

// What the race tells the world at its start and in each step.
struct WorldRaceSettings {
    int32_t startLightSeconds = 0;  // from the start of the drive to green
    int32_t windSetting = 0;        // 0 none, 1 wind, 2 strong wind
    int32_t raceLength = 0;         // the race length code; 0 practice
    int32_t qualifying = 0;         // a qualifying session
    int32_t online = 0;             // a multiplayer session runs
};

struct ZonePoint {
    Fixed x, y;
};
struct ZoneTriangle {
    int32_t point[3] = {};
    int32_t object = 0;  // a camera object
    float floorHeight = 0;  // m
};

// Every object cell empty; the start lights with their default colours.
constexpr std::array<int32_t, GridSquareCount> EmptyObjectCells()
{
    std::array<int32_t, GridSquareCount> heads{};
    for (int32_t& head : heads)
        head = -1;
    return heads;
}
constexpr std::array<StartLight, 4> DefaultStartLights()
{
    std::array<StartLight, 4> lights{};
    for (int i = 0; i < 4; i++)
        lights[size_t(i)].on = i < 3 ? ColourRecord{255, 30, 30, 1} : ColourRecord{30, 255, 30, 1};
    return lights;
}

struct World {
    // Identity and loading state.
    char name[32] = {};
    char siteCode[4] = {};
    int32_t loadStage = 0;
    int32_t cursor = 0;
    int32_t version = 0;
    int32_t buildMeshes = 0;
    int32_t meshOption = 0;
    DataFile worldReader, lightReader;  // the files, read whole; the light reader closed without a light file
    char progress[64] = {};
    uint8_t failed = 0;
    uint8_t coloursFlagAdded = 0;
    uint8_t ready = 0;        // loaded: the grids are built and the objects answer queries
    float gravity = -9.81f;

    // Configurations.
    int32_t configuration = 1;  // 1-based; 0 none
    int32_t reversed = 0;
    std::vector<WorldConfig> configs;

    // Colours and textures.
    int32_t coloursFlags = 0;
    std::vector<WorldTexture> textures;
    int32_t timingPointCount = 0;
    float crowdDensity = 0.5f;
    Fixed extentX, extentY, extentHalf;
    float duplicatorScale = 0;

    // Start places and race objects.
    StartGridObject* startGrid = nullptr;
    int32_t startPositionCount = 0;
    SolidObject* startPositions[MaxStartPlaces] = {};
    int32_t pitBoxCount = 0;
    SolidObject* pitBoxes[MaxStartPlaces] = {};
    int32_t garageCount = 0;
    SolidObject* garages[MaxStartPlaces] = {};
    FloatMatrix startOrientation{{1, 0, 0, 0, 1, 0, 0, 0, 1}};

    // Light schemes.
    int32_t lightScheme = 0;
    std::vector<LightScheme> schemes;

    // Start lights.
    std::array<StartLight, 4> lights = DefaultStartLights();
    int32_t startLightModel = -1;
    int32_t startLightObjectCount = 0;
    SolidObject* startLightObjects[MaxStartLightObjects] = {};
    int32_t startLightState = 4;  // 0 waiting, 1..3 red lights on, 4 off (green shown)
    StartLightClock startClock;

    // Zones and wind.
    Fixed pitCentreX, pitCentreY;
    float pitRadiusSquared = 0;
    int32_t speedZoneCount = 0;
    SpeedZoneObject* speedZones[MaxSpeedZones] = {};
    int32_t lightZoneCount = 0;
    SpeedZoneObject* lightZones[MaxLightZones] = {};
    WorldWind wind;
    float windX = 0, windY = 0;  // m/s, the wind vector
    // The world's own random value, x = (x * 5 + 1) mod 65536: the start
    // delay, the wind and its drift draw from it, so that every computer
    // that runs the same steps from the same seed gets the same race.
    uint16_t random = 0;

    // Path links of the current configuration.
    Path* currentPath = nullptr;
    Path* pathWithNodes = nullptr;
    Path* knowledgePath = nullptr;
    Path* racingPath = nullptr;

    // The three marshal figures of the world (placed with the world's
    // figures, owned, null while not placed).
    std::array<FigureInstance*, 3> marshals = {};

    // Camera zones.
    std::vector<ZonePoint> zonePoints;
    std::vector<ZoneTriangle> zoneTriangles;

    // Objects: the file's in file order, then the layout objects.
    int32_t objectCountInFile = 0;  // while stage 5 reads them
    int32_t layoutObjectCount = 0;
    std::vector<WorldObject*> objects;  // owned
    std::vector<SharedModel> sharedModels;

    // The contact grid and the object cells.
    Fixed gridMinX, gridMinY, gridMaxX, gridMaxY, cellWidth, cellHeight;
    std::array<MapSquare, GridSquareCount> squares{};
    std::vector<WorldObject*> squareEntries;  // every square's surfaces, then every square's posts
    std::array<int32_t, GridSquareCount> cellHeads = EmptyObjectCells();  // -1: empty
    std::vector<CellLink> cellLinks;
    int32_t cellRover = 0;
    std::vector<SolidObject*> celledSolids;

    // The bump map the road bumps read.
    int32_t bumpSeed = 30168, bumpCount = 32, bumpRadius = 48;
    std::array<int8_t, 256 * 256> bumpHeights{};
    std::array<uint8_t, 256> bumpProfile{};

    World() = default;
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    ~World();
};

// The one loaded world; null when none is loaded. Written only by the
// world's loader (OpenWorld sets it, freeing clears it).
extern World* const& CurrentWorld;

// The time budget of a sliced loading stage, in milliseconds (50 at start).
// Lives for the whole run.
int GetWorldLoadBudget();
void SetWorldLoadBudget(int milliseconds);
// The millisecond clock the loader measures its budget with (the
// platform's by default; tests give their own). Null restores it.
void SetWorldLoadClock(uint32_t (*clock)());

// Clears the record to its constructed state.
void ConstructWorld(World& world);
// Frees everything the world holds; the record stays, empty and idle.
void FreeWorld(World& world);
void FreeWorldContents(World& world);
// Opens the site's world file and begins loading (stage 1): 1 when opened,
// 0 (message given, world empty) when the site is unknown or its file is
// missing or too old. The site code is the site table's.
int OpenWorld(World& world, const char* siteName, const char* siteCode, int buildMeshes, int meshOption,
              int configuration, int reversed, int lightScheme);
// Runs the current stage; 1 when loading has finished or failed (stage 0
// afterwards), 0 while more calls are needed.
int LoadWorldStep(World& world);
// True while stages 1 to 15 remain (the mesh build does not count).
int IsWorldLoading(const World& world);
void SetLoadProgress(World& world, const char* text);
void SetLoadProgressPercent(World& world, const char* text, int percent);
void GenerateBumpMap(World& world);
// The configuration's translated name, its own name for a site outside the
// table, "unknown" without a configuration.
const char* GetConfigDisplayName(const World& world);

// The light scheme's name, "<weather> <time of day>" (the other way round
// in languages that put the noun first), in buffer (LightSchemeNameSize
// bytes); an index the world does not have clears the buffer and answers
// null.
constexpr int LightSchemeNameSize = 32;
const char* FormatLightSchemeName(const World& world, char* buffer, int index);
// Makes scheme index (kept within the world's schemes) the selected one;
// a change rebuilds the graphics resources that hold the lighting.
void SelectLightScheme(World& world, int index);

// Race services the loader prepares (stages 9 and 11).
int CountTimingPoints(World& world);
void SetPathLinks(World& world);
void SetupStartObjects(World& world);
void ReverseConfiguration(World& world);
int GetStartPositionCount(const World& world);
// Start place n (0 first): its point and heading; ZeroVector and 0 when
// the place is empty.
void GetStartPosition(const World& world, FixedVector& point, float& heading, int slot);
// The road fraction of the racing path is below 0.7.
bool IsMostlyOffRoad(const World& world);
// The first listed speed zone whose rectangle holds the point; null outside
// the pit area or without one.
SpeedZoneObject* FindSpeedZoneAt(const World& world, Fixed x, Fixed y);
// The pit box of slot n, else its start place, with its heading (pit
// boxes face out of the box along the racing path). With a car and a
// racing path the car's follower is placed there unless keep is set.
void GetPitPosition(const World& world, FixedVector& point, float& heading, int slot, CarObject* car, int keep);
// The smallest speed limit byte over the speed zones (km/h - 1); 255 when
// there is none.
int GetLowestSpeedLimit(const World& world);
// The first light zone whose rectangle holds the point; null when none.
SpeedZoneObject* FindLightZoneAt(const World& world, Fixed x, Fixed y);
// The camera object (an object index) whose zone triangle holds the point
// and has the highest floor below it; -1 when none does.
int FindCameraZone(const World& world, const FixedVector& point);
// Where a trackside camera puts the view: its place, the unit vector from
// the target back to the camera (16.16) and the follow distance (1.0, or
// the distance to the target for a camera that only turns).
struct CameraAim {
    FixedVector position;
    FixedVector back;
    float distance = 1.0f;
};
// Aims the camera object at index on the target. The zoom is always set;
// aim and kind (1 the view stands at the camera, 0 it only turns towards
// the target) change unless the target lies almost straight below a
// following camera. 1 when the aim changed; 0 otherwise, and for an index
// that is not a camera object.
int AimCameraObject(const World& world, const FixedVector& target, int index, CameraAim& aim, float& zoom,
                    int& kind);
// The world's figures for a session (world_figures.cpp): every crowd and
// figure object builds its figures and the three marshals are posed, when
// the figure data is loaded; the world's random value is left as it was,
// so that a computer without figures runs the same race. Freeing drops
// them all; both are harmless when nothing is placed.
void PlaceWorldFigures(World& world);
void FreeWorldFigures(World& world);
// The layout route's timing points when the layout has a route, else the
// world's (the finish line and the checkpoints).
int GetCheckpointCount(const World& world);

// The race state: the start lights and the wind (race_services.cpp).
// With a race (not null) the lights wait for the race's start and the
// wind is drawn when the race asks for it; without one the lights are off
// (green shown) and there is no wind. The loader resets without a race.
void ResetWorldRaceState(World& world);
void ResetWorldRaceState(World& world, const WorldRaceSettings* race);
// One 10 ms step of the wind's drift and the start lights.
void StepWorld(World& world, const WorldRaceSettings* race);
// The world's random value: seeded at the reset (from the program's value
// offline; a multiplayer start gives every computer the same seed).
void SeedWorldRandom(World& world, uint16_t seed);
uint16_t StepWorldRandom(World& world);
// Base and current wind from the given strength (m/s) and direction (rad),
// no drift.
void SetWind(World& world, float strength, float direction);
// A random wind for the race's wind setting (1: 1 to 6.67 m/s, 2: 6.67 to
// 13.33 m/s) from any direction.
void RandomWind(World& world, int windSetting, float& strength, float& direction);
// Makes the last red light wait up to 3 s longer in a race that starts
// from the lights.
void RandomStartDelay(World& world, const WorldRaceSettings* race);
// A start light's linked colours to its on or off colour.
void SetStartLight(World& world, int light, int on);
// The start-light models show the lights' colours.
void ApplyStartLights(World& world);
// Green: every red light off, the green light on; with a race the lap
// timing of every car in a slot starts.
void StartLightsGreen(World& world, const WorldRaceSettings* race);

// The tangent, computed with our own double arithmetic so the result is
// the same bits on every machine (the world's geometry feeds the
// simulation); angles of points come from ComputeAtan2 of core.
double WorldTan(double angle);

// ---------------------------------------------------------------------------
// The writer of the world's files: what the loader reads, from a world held
// in memory (objects, paths, textures, models and schemes as the loader
// leaves them). With lightFile set the paths and the lighting data go to
// the light file instead. 1 when every file was saved.
int SaveWorldFiles(const World& world, const char* siteName, int lightFile);
// Writes one configuration's path nodes as an old path file (version 250).
int SaveOldPathFile(const std::vector<PathNode>& nodes, int withSamples, const char* fileName);
// Writes a shared model record (header and model or shape).
void WriteSharedModel(const SharedModel& model, DataFile& writer);
void WriteLightScheme(const LightScheme& scheme, DataFile& writer);

// ---------------------------------------------------------------------------
// The program's world: the site the program loads from its settings or
// command line.

// Opens the site and configuration named (the site's name, not its code)
// and runs the loader to its end; the track is logged. 1 when it loaded.
int LoadSiteNow(const char* siteName, int configuration, int reversed);
