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

    bool operator==(const SessionRecord&) const = default;
};
extern SessionRecord MutableSession;

// The tables of the two user files, exported read-only as DriverNameTable
// and MessageKeyTable (driver_names.cpp, message_keys.cpp).
extern DriverNameEntry MutableDriverNameTable[DriverNameCount];
extern char MutableMessageKeyTable[MessageKeyCount][MessageKeyLength];
