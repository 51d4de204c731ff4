// Race session and AI: declarations shared only inside the subsystem.
#pragma once

#include <cstdint>

#include "session/race_car.h"
#include "session/services.h"
#include "world/services.h"

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
// The set-up fields of an AI car's track knowledge for the loaded world
// copied into a set-up; 1 when the knowledge loaded, with its file name in
// fileName either way (ai_knowledge_load.cpp).
int CopyKnowledgeSetupKey(CarSetup& setup, const char* carCode, char (&fileName)[KnowledgeFileNameSize]);
// "<text> <subject>" on the message list: what the knowledge's loaders say
// of a file they could not use.
void ShowKnowledgeMessage(const char* text, const char* subject);
// Halves or doubles the replay's time scale.
// Pending: replay time scales are not built; does nothing.
void HalveReplaySpeed();
void DoubleReplaySpeed();

// What the world's start lights and wind need of the race; without a race
// only whether the session is online.
struct WorldRaceSettings;
WorldRaceSettings MakeWorldRaceSettings(const Race* race);
// A car leaving the session: the player car and viewed car stop pointing
// at it and it leaves the object set.
void DetachSessionCar(const CarObject& car);
// The running session (one at a time, made by CreateSession and freed by
// the frame after its running flag is cleared). Value-initialised, so a new
// session starts from zero in every field.
struct InRaceSession {
    Screen* owner = nullptr;        // the screen that created the session
    int32_t running = 0;            // 1 while it runs; the frame after it is 0 exits
    int32_t backgroundReplay = 0;   // kind 1: the entry screen's background replay
    int32_t replayViewer = 0;       // kind 2: a replay opened from the root screen
    int32_t exitAtReplayEnd = 0;    // a replay that ends leaves the session
    ObjectSet objectSet;            // the bodies of this race; the current set while the session lives
    PlayerControlState controls;    // the player controls' memory between steps
    int32_t controlsActive = 0;     // no child over the race and Shift not held
    int32_t liveControlMs = 0;      // 0..2000, since the player's controls became live
    float lookTarget = 0;           // rad, head turn the in-car view aims at
    float lookAngle = 0;            // rad
    float lookSpeed = 0;            // rad/s
    int32_t lookState = 0;          // 0 none, 1 both look keys, 2 left, 3 right, 4 look back
    int32_t previousLookState = 0;
    int32_t rearMirrorRequest = 0;
    uint8_t keepControls = 0;       // a child opened from the race keeps the car controls
    uint8_t freeCamera = 0;         // the layout editor's free camera
    uint8_t busyBackground = 0;     // the busy background mode is pushed by this session
    uint8_t quickDrawing = 0;       // the last frame took the quick-draw road
    char temporaryReplay[32] = {};  // a single-player replay deleted at exit; "" none
};

// Step modes handed to the physics step: more steps follow in this frame,
// the last of several, the only one.
enum : int { StepModeMoreFollow = 0, StepModeLast = 1, StepModeOnly = 2 };

// What the frame and the step keep between frames. Lives for the whole
// run; the exit frame and ResetSessionTables set it back.
struct SessionFrameRecord {
    int32_t frameTimeRing[16] = {};  // ms of the last 16 passes, oldest first
    float fps = 0;                   // 16 over their sum in seconds
    int32_t pendingRaceRequest = 0;  // kept while a connection is made
    uint32_t lastRaceRequestMs = 0;  // game clock of the last accepted rate-limited request
    int32_t seekStop = 0;            // a replay reader could not go on
    int32_t yellowFlagSteps = 0;     // HUD flag timers, counted down per step
    int32_t blueFlagSteps = 0;
    int32_t lessonState = 0;         // 0 none, 1 set up, 2 ended early, 3 its replay plays
    // The frame's step loop: the step count of this pass and whether a step
    // asked the loop to stop (leaving, or the replay ended).
    int32_t stepsThisFrame = 0;
    int32_t stepsStopped = 0;

    bool operator==(const SessionFrameRecord&) const = default;
};
extern SessionFrameRecord MutableSessionFrame;

// Online every computer moves its clock origin by this much per loaded car,
// whatever its own loading took, so that all start their steps alike.
constexpr int32_t OnlineLoadAllowanceMs = 250;
// A stopped local car counts as idle this many steps after it stopped.
constexpr int32_t IdleAfterStopSteps = 800;

// The frame's parts (session_create.cpp, session_frame.cpp, session_exit.cpp, session_step.cpp).
void PerformSessionExit(InRaceSession* session);
void SmoothViewTurn(InRaceSession& session);
void ChooseViewedCarIfNone(InRaceSession& session);
// A restart or qualifying vote starts the drive again in the new phase.
void RestartSessionDrive(InRaceSession& session);
