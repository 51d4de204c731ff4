// The local driver's profile and the table of known master-server users.
#pragma once

#include <cstdint>
#include <vector>

#include "core/car_names.h"
#include "core/records.h"

// The local driver's profile "data\misc\<driver name>.ply" keeps the
// driver's own options, lesson progress, helmet skin, number plate and one
// record per car. It is loaded at start-up when a driver name is set and
// saved with the configuration; the driving-aid flags sent with the
// player's join come from it. The user table "data\misc\usr.bin" keeps the
// names of master-server users by user id.

// A driver's choices for one car (52 bytes, also the file record).
struct CarSettings {
    int32_t colourChoice = 0;  // colour set index; -1: the skin below is used by name
    char skinName[16] = {};    // zero-terminated
    char engineName[32] = {};  // engine sound file under "data\engine\", no extension; empty = the car's own

    constexpr bool operator==(const CarSettings&) const = default;
};
static_assert(sizeof(CarSettings) == 52);

constexpr int LessonProgressSize = 256;

// The local driver's options and number plate (the driver's name is the
// setting "Ply Name").
struct PlayerProfileRecord {
    int reserved = 0;                       // kept as read
    int driverFigure = 32;                  // figure model index
    int horn = 0;                           // horn sound 0..4
    int driverPosition = 0;                 // 0 right, 1 left
    int gearShiftMode = 1;                  // with a controller: 0 auto, 1 sequential, 2 shifter
    int autoGearShift = 1;                  // automatic gears without a controller
    int autoClutchSequential = 1;           // gearbox kinds 2 to 4
    int autoClutchHPatternSequential = 1;   // H-pattern gearbox driven sequentially
    int autoClutchHPatternShifter = 0;      // H-pattern gearbox driven with a shifter
    int brakeHelpKeyboard = 1;              // control type 0
    int brakeHelpController = 0;            // any other control type
    int speedDisplay = 0;                   // 0 mph, 1 km/h
    int pressureDisplay = 0;                // 0 psi, 1 bar
    uint8_t lessonProgress[LessonProgressSize] = {};  // owned by the lessons
    char helmetSkin[16] = "NQ1_NH";
    char numberPlate[8] = {};               // 8 raw characters, not terminated when full
    CarSettings cars[CarCount] = {};        // in car table order

    constexpr bool operator==(const PlayerProfileRecord&) const = default;
};
// Lives for the whole run; loaded per driver, reset by ResetCoreTables.
// Read-only outside core.
extern const PlayerProfileRecord& PlayerProfile;

// Figure, horn, lesson progress, helmet skin, the default car records and
// an empty number plate. The gear, clutch and brake options keep their
// values, so a new driver starts with those of the previous one.
void SetProfileDefaults();
// Driver position, speed and pressure display: 1 (left, km/h, bar) when
// the user's language is not English, else 0.
void SetRegionalDefaults();
// Loads the driver's profile (versions 5 to 7). Returns 1 when loaded; on
// failure 0, with useDefaults after SetProfileDefaults, else the profile
// is unchanged.
int LoadProfile(bool useDefaults);
// Saves the driver's profile when a driver name is set; 1 when written.
int SaveProfile();
// The record of the chosen car ("Selected Car"); nullptr when unknown.
const CarSettings* GetCurrentCarSettings();
// The record of a car by its 3-letter code; nullptr when unknown.
const CarSettings* GetCarSettings(const char* shortCode);
// Clears the colour choice and the skin name of a record.
void ClearCarColourChoice(CarSettings& record);
// Clears the engine sound name of a record.
void ClearCarEngineName(CarSettings& record);
// The driver's engine sound of a car (by its 3-letter code) back to the
// car's own, when the chosen one cannot be used.
void ClearCarEngineChoice(const char* shortCode);
// Replaces the whole profile.
void SetPlayerProfile(const PlayerProfileRecord& profile);
// Changes a copy of the profile and puts it in its place.
template <typename Change>
void EditPlayerProfile(Change change)
{
    EditRecord(PlayerProfile, SetPlayerProfile, change);
}

// Driving-aid flags of the player's join for a gearbox kind (1 H-pattern,
// 2 motorbike, 3 sequential, 4 sequential with ignition cut, 5 paddle).
constexpr int AssistAutoGears = 0x8;
constexpr int AssistHShifter = 0x10;
constexpr int AssistBrakeHelp = 0x40;
constexpr int AssistClutchAxis = 0x80;
constexpr int AssistAutoClutch = 0x200;
constexpr int AssistDriverPosView = 0x2000;
int GetAssistFlags(int gearboxKind);

// One known master-server user (32 bytes, also the file record).
struct UserRecord {
    int32_t userId = 0;     // the sort key, signed
    uint8_t spare[4] = {};
    char name[24] = {};     // zero-terminated; callers cut longer names to 23

    constexpr bool operator==(const UserRecord&) const = default;
};
static_assert(sizeof(UserRecord) == 32);

// The known users in id order. Lives for the whole run; emptied by
// FreeUserTable.
struct UserList {
    std::vector<UserRecord> records;
    int capacity = 0;      // records before the table is saved and grown
    bool changed = false;  // records added since the last load or save

    bool operator==(const UserList&) const = default;
};
extern const UserList& UserTable;

// Frees the table, then loads "data\misc\usr.bin"; a missing or bad file
// gives an empty table.
void LoadUserTable();
// Writes the table when records were added; 1 when written.
int SaveUserTable();
void FreeUserTable();
// The record of a user id; nullptr when unknown.
const UserRecord* FindUser(int32_t userId);
// Inserts a user after any records with the same id. Callers add only ids
// that FindUser did not find.
void AddUser(int32_t userId, const char* name);
