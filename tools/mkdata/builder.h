// The data builder's steps: each kind of content writes its files under the
// current folder (the game folder) through the game's own writers and
// checks them by reading them back through the game's own readers.
#pragma once

#include <string>

struct EngineRecord;
struct ColourConfig;
struct World;

// Each step returns 1 when its files were written and read back, else 0
// after printing what failed (BuilderFail).
int BuildDataFolders();
int BuildBodyModels();
int BuildFigures();
int BuildSkins();
int BuildEngines();
int BuildCars();
int BuildCharacterMap();
int BuildPictures();
int BuildRaceFiles();
int BuildColourFiles();
int BuildSites();
// The AI's knowledge files of every car on every racing configuration,
// both ways where the site allows (after the track sites).
int BuildKnowledgeFiles();

// Opens a written site's world in a configuration and direction and loads
// it through every stage of the game's loader; 1 when it loaded without a
// message, else 0 after printing what failed. The world is then the loaded
// world of the game.
int LoadSiteConfiguration(World& world, int site, int configuration, int reversed);

// The colour configurations a car's data holds, also written as its colour
// files (colours.cpp).
constexpr int CarColourConfigCount = 3;
void MakeCarColours(int car, ColourConfig (&configs)[CarColourConfigCount]);

// The engine description of a car's default engine (engines.cpp), for the
// engine files and the car data.
struct DefaultEngineSpec {
    int carClass;
    float displacement;  // cm^3
    int cylinders;
    int layout;          // 0 inline, 1 flat, 2 V
    bool turbo;
    float boost;         // bar
    float torqueFactor, revRangeFactor, peakSpeedFactor;
    float maxSpeed;      // rad/s
};
// car: 0 to CarCount - 1.
const DefaultEngineSpec& GetDefaultEngineSpec(int car);
// Fills an engine record with the car's default engine description (no
// waves or sound values).
void FillDefaultEngine(EngineRecord& engine, int car);

// Prints "mkdata : <text>" on stderr and returns 0.
int BuilderFail(const char* format, ...) __attribute__((format(printf, 1, 2)));
