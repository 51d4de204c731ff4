// Race session and AI: declarations shared only inside the subsystem.
#pragma once

#include <cstdint>

#include "session/services.h"

// What the session keeps for the whole run and exports read-only under the
// names in its area headers. Set back by ResetSessionTables in one
// assignment, after the race it owns is freed.
struct SessionRecord {
    int gameKind = 1;                       // GameKind
    InRaceSession* session = nullptr;       // CurrentSession
    uint32_t startTime = 0;                 // SessionStartTime
    int racePhase = 0;                      // RacePhase
    Race* race = nullptr;                   // CurrentRace; owned
    int raceLengthSetting = 5;              // RaceLengthSetting
    CarObject* lessonWatchedCar = nullptr;  // LessonWatchedCar
    char programVersion[ProgramVersionSize] = {};  // ProgramVersion
    // When a message command was last let through (system timer, ms), and
    // whether one was at all.
    uint32_t messageCommandMs = 0;
    bool messageCommandSent = false;
    // Which services that are not built yet have said so in the log.
    bool aiDriverInfoNoted = false;
    bool aiDriverCreateNoted = false;
    bool aiKnowledgeNoted = false;
    bool colourFileNoted = false;

    bool operator==(const SessionRecord&) const = default;
};
extern SessionRecord MutableSession;

// The tables of the two user files, exported read-only as DriverNameTable
// and MessageKeyTable (driver_names.cpp, message_keys.cpp).
extern DriverNameEntry MutableDriverNameTable[DriverNameCount];
extern char MutableMessageKeyTable[MessageKeyCount][MessageKeyLength];

// The running session's cars (session_cars.cpp); exported read-only as
// SessionCars.
extern SessionCarState MutableSessionCars;

// The colour file of a car loaded into the block's colours: the named one,
// or the profile's chosen one when colourName is null; 1 when loaded.
// Pending: the colour file reader belongs to the drawing side; logs once
// and answers 0, so the car data's first colour configuration is used.
int LoadChosenCarColours(ColourConfig& colours, const char* carCode, const char* colourName);
// The set-up fields of an AI car's track knowledge copied into a set-up;
// 1 when the knowledge loaded, with its file name in fileName.
// Pending: AI knowledge files are not read yet; logs once and answers 0
// with the name the file would have.
int CopyKnowledgeSetupKey(CarSetup& setup, const char* carCode, char (&fileName)[64]);
// Halves or doubles the replay's time scale.
// Pending: replay time scales are not built; does nothing.
void HalveReplaySpeed();
void DoubleReplaySpeed();

// What the world's start lights and wind need of the race.
struct WorldRaceSettings;
WorldRaceSettings MakeWorldRaceSettings(const Race& race);
// A car leaving the session: the player car and viewed car stop pointing
// at it and it leaves the object set.
void DetachSessionCar(const CarObject& car);
