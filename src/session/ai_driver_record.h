// The AI driver's record, what it sees of the world and the race in a step,
// and the operations its states, driving control and pit stops share
// (ai_driver*.cpp, ai_control*.cpp, ai_pit*.cpp).
#pragma once

#include <cstdint>

#include "session/ai_driver.h"
#include "session/ai_knowledge.h"
#include "session/race.h"
#include "vehicle/services.h"
#include "world/services.h"

// States of an AI driver.
enum : int32_t {
    AiWaitingOnGrid = 1,
    AiWaitingInPit = 2,
    AiRacing = 3,
    AiEndOfRun = 4,       // a closed path's run is over: on, slowly, to the garage or the stop
    AiStopping = 5,       // stop at the track's edge
    AiReversing = 6,      // backing away from an obstacle
    AiStandingStill = 7,  // no knowledge, end of an open path, or stopped
};

// What the driver means to do in the pit lane.
enum : uint8_t {
    AiPitNone = 0,
    AiPitDriveThrough = 1,  // a drive-through, or the rest of the lane after a stop
    AiPitStopGo = 2,        // stop in the box and wait
    AiPitService = 3,       // stop in the box for fuel, tyres and repairs
    AiPitGarage = 4,        // to the garage place when the run is over
};

// Phases of the box manoeuvre.
enum : uint8_t {
    AiBoxApproach = 1, AiBoxTurnIn = 2, AiBoxArrive = 3, AiBoxStopping = 4, AiBoxWaiting = 5,
    AiBoxPullOut = 6, AiBoxRejoin = 7,
};

// The input words an AI driver writes.
enum : int {
    AiSteerWord = 0, AiThrottleWord = 1, AiBrakeWord = 2, AiShiftUpWord = 3, AiShiftDownWord = 4,
    AiIgnitionWord = 5, AiHandbrakeWord = 12, AiPitLimiterWord = 16,
};

// Gear numbers of the car step: reverse, neutral, first.
constexpr int32_t AiReverseGear = 0, AiNeutralGear = 1, AiFirstGear = 2;

// What the driver keeps of each other race slot's car.
struct AiOtherCar {
    int32_t countdown = 0;        // steps until the car is judged again
    int32_t avoid = 0;            // 1 while passing it
    float passOffset = 0;         // m from the line, wanted to pass it
};

// One AI driver: created with its car, freed with it. The driver only reads
// the car and writes the car's input words.
struct AiDriver {
    CarObject* car = nullptr;     // not owned
    int32_t state = AiStandingStill;
    int32_t reversePhase = 0;     // state 6: 0 backing away, 1 pointing along the line
    int32_t knowledgeConfig = -1, knowledgeReversed = -1;  // what the knowledge was loaded for
    int32_t knowledgeNodes = -1;
    PathFollower follower;        // node: the AI's node on the racing line; -1 not placed
    AiKnowledge mainKnowledge;    // the racing line round the path
    AiKnowledge pitKnowledge;     // racing line -> pit lane -> racing line
    float throttleTarget = 0;     // 0..1
    float steerTarget = 0;        // -1..1 in the steering word's sense
    float brakeTarget = 0;        // 0..1
    Vec3 lineDir;                 // unit, the line followed this step
    FixedVector trail[4];         // 16.16 recent positions, oldest first
    int32_t trailSteps = 0;       // steps until the trail takes the next position
    FixedVector reverseStart;     // 16.16, where the last backing away began
    uint8_t reverseTried = 0;     // 1 once the car has backed away since its start or reset
    uint8_t wedged = 0;           // 1 while stuck both ways where the backing away began
    float lookAhead = 0.1f;       // s of prediction
    uint8_t skill = 0;            // 0..4
    uint8_t hasPitLine = 0, onPitLine = 0;
    uint8_t pitIntention = AiPitNone;
    uint8_t shiftHold = 0;        // steps before another gear change may be asked
    uint8_t shiftTargetGear = 0;  // the gear a shift-up aims at
    uint8_t shiftCut = 0;         // throttle cut until the engine meets the new gear
    uint8_t pitBoxIndex = 0;
    uint8_t keySegment = 0;
    uint8_t stopSideChosen = 0, stopSide = 0;  // state 5: 0 first edge, 1 second edge
    uint8_t pitPhase = 0;         // AiBox*
    uint16_t runStartLap = 0;     // the lap the current run counts from
    FixedVector pitTarget;        // 16.16, where the box manoeuvre aims
    Vec3 pitTargetDir;
    int32_t pitLineIndex = 0;
    int32_t pitEntryNode = -1, pitExitNode = -1;  // racing-line nodes where the pit line leaves and joins
    int32_t countdown = 0;        // steps
    float maxSteerRate = 0;       // full locks per second
    float turnRadius = 0;         // m
    float axleOffset = 0;         // m
    float pitSpeedLimit = 0;      // m/s
    float lateralTarget = 0, lateralOffset = 0;  // m from the racing line
    int32_t blocked = 0, offsetUnsafe = 0;
    float followFactor = 0;
    float speedCap = 200;         // m/s
    Vec3 otherDelta;              // m, to the last other car judged
    float otherDistance = 0;      // m
    AiOtherCar others[MaxRacePlayers];
};

// What an AI driver sees of the world and the race in one step. The race
// gathers it from the loaded world and the current race (GatherAiRaceView);
// tests fill their own.
struct AiRaceView {
    // The world. The AI route is pathWorld.currentPath (null: none).
    PathWorld pathWorld;
    int configuration = 0, reversed = 0;
    int startLightPhase = 4;      // 0 none, 1..3 the red lights, 4 go
    int timingPointCount = 0;     // the finish line and the checkpoints
    float pitSpeedLimit = 0;      // m/s, the lowest speed-zone limit less 1 km/h; 0 without zones
    int pitBoxCount = 0;
    FixedVector pitBoxes[MaxRacePlayers];
    int hasStartGrid = 0;
    float startGridHeading = 0;   // rad
    // The race.
    int paused = 0;
    int raceLengthCode = 0;       // 0 practice, then laps, then hours
    int raceSession = 0, qualifying = 0;
    int raceLaps = 0;             // laps of a race run over laps, else 0
    int resetsAllowed = 0;
    int pitStopRequired = 0;
    int slotCount = 0;
    CarObject* cars[MaxRacePlayers] = {};   // by race slot; null empty
    int orderLength = 0;
    uint8_t runningOrder[MaxRacePlayers] = {};  // slot indexes, leader first
    // The garage place of a car's race slot and its heading (rad); false
    // when it has none.
    bool (*pitPlace)(const CarObject& car, FixedVector& place, float& heading) = nullptr;
    // The simulation's random value, drawn once: x = x * 5 + 1 mod 65536.
    uint16_t (*drawRandom)() = nullptr;
};

// The view of the loaded world and the current race.
AiRaceView GatherAiRaceView();

// The driver's knowledge for the world the view shows (ai_knowledge_load.cpp,
// ai_pit_line.cpp): its car's file read, the line built over the route and
// profiled, and the pit line where the route has a pit lane; 0 when there
// is no usable knowledge.
int LoadAiKnowledge(AiDriver& ai, const AiRaceView& view);
int BuildAiPitLine(AiDriver& ai, const AiRaceView& view);

// Life cycle and states (ai_driver.cpp).
void InitAiDriver(AiDriver& ai, int skill);
void FreeAiKnowledge(AiDriver& ai);
void ResetAiDriver(AiDriver& ai, int startKind, uint16_t (*drawRandom)());
void ResetAiTrail(AiDriver& ai);
void UnloadAiKnowledge(AiDriver& ai);
void SetAiState(AiDriver& ai, int state);
// One step of the driver with the race as the view shows it.
void StepAiDriver(AiDriver& ai, const AiRaceView& view, float dt);
// The trail takes the car's position once in this many steps, so a car
// counts as stuck when it has not moved an eighth of a metre in three
// seconds (a car just pulling away is not).
constexpr int32_t AiTrailSampleSteps = 100;
// Once per AiTrailSampleSteps: 1 when the car has not moved an eighth of a
// metre over the last four positions (the trail then starts again).
int AiTrackRecentPositions(AiDriver& ai, const FixedVector& position);
// The reaction to a stuck car while racing: reverse, reset or stand still.
void AiHandleStuck(AiDriver& ai, const AiRaceView& view);
// 1 when the car stands within metres of where its last backing away
// began: it moved neither forward nor backward.
int AiStuckBothWays(const AiDriver& ai, float metres);
// A car found stuck both ways (within metres of where it began to back
// away) is wedged: while it stays within 3 m of there, it asks
// to be put back on the road where the race allows it (the request itself
// is made at most once in 2 s, and refused while other cars come near).
void AiCheckWedged(AiDriver& ai, const AiRaceView& view, float metres);
void AiAskResetWhileWedged(AiDriver& ai, const AiRaceView& view);
void AiBeginReverse(AiDriver& ai);
void AiResumeRacing(AiDriver& ai);
void AiShiftUp(AiDriver& ai);
void AiShiftDown(AiDriver& ai);
// Moves the input words toward the targets within their rate limits.
void AiApplyInputs(AiDriver& ai, float dt);
// The engine's two start speeds (rad/s): the launch speed a car leaves
// the line at, halfway from idle to peak torque, and the lower speed just
// above idle where the clutch bites.
float AiLaunchSpeed(const EngineRecord& engine);
float AiClutchBiteSpeed(const EngineRecord& engine);
// 0.6 to 1.0 by skill.
float AiSkillFactor(const AiDriver& ai);
// The car's speed (m/s).
float AiCarSpeed(const CarObject& car);
// The car's forward and side axes in the world (unit).
Vec3 AiForwardAxis(const CarObject& car);
Vec3 AiSideAxis(const CarObject& car);
// Arc sine and arc tangent with the same bits on every machine; the arc
// sine of a value outside -1..1 is 0.
float AiArcSine(float x);
float AiArcTangent(float x);
// The main speed profile recomputed for the car's condition.
void AiUpdateMainProfile(AiDriver& ai, const AiRaceView& view);

// Driving control (ai_control*.cpp).
void DriveAiCar(AiDriver& ai, const AiRaceView& view, float dt);
void AiUpdateTraffic(AiDriver& ai, const AiRaceView& view);
// Walks the line from the node after node with the car at offset m from
// it: 1 as soon as the car would not fit the road, else passResult once
// seconds of driving at speed are covered.
int AiWalkLine(const AiDriver& ai, const Path& route, int node, float offset, float speed, float seconds,
               int passResult);
// AiWalkLine answering 2 (room to pass) and 3 (the line is clear).
int AiCheckPassingRoom(const AiDriver& ai, const Path& route, int node, float offset, float speed, float seconds);
int AiCheckLineClear(const AiDriver& ai, const Path& route, int node, float offset, float speed, float seconds);

// Pit stops and fuel (ai_pit*.cpp).
int AiAssessCarCondition(const AiDriver& ai, float* gripOut);
void AiDecidePitStop(AiDriver& ai, const AiRaceView& view, int splitIndex, int splitNode);
void AiOnLapCompleted(AiDriver& ai, const AiRaceView& view);
// The pit line's lateral error (m) and line direction for the box
// manoeuvre; may change the throttle and brake targets. errorOut is set
// unless the manoeuvre left it.
void AiDrivePitLine(AiDriver& ai, const AiRaceView& view, float& errorOut, const FixedVector& predicted,
                    const KnowledgeNode& node);
// The start fuel in percent of the tank for a race or qualifying, with the
// stint count it needs in stints (unchanged when the result is 1).
int EstimateStartFuel(const AiKnowledge& knowledge, const AiRaceView& view, int qualifying, int& stints);
void AiEnterPitLine(AiDriver& ai, const AiRaceView& view);
void AiUpdatePitProfile(AiDriver& ai);

// Knowledge made ready for a race (ai_knowledge_take.cpp).
// The car's figures the box and garage manoeuvres steer by: the turning
// radius at full lock (the wheelbase over the sine of the set-up's lock),
// the first axle's distance from the car's centre and the pit lane's speed
// limit less 1 km/h (0 without speed zones).
void AiSetCarFigures(AiDriver& ai, const AiRaceView& view);
// Once the lines are built: the racing line's and the pit line's speed
// profiles for the car, its condition and the driver's skill, and the
// car's figures.
void AiPrepareKnowledge(AiDriver& ai, const AiRaceView& view);
