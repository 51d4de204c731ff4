// The session's cars: starting a drive, loading a player's car and placing
// it on its start or pit place, cars joining and leaving a running race,
// the race-control packet with its votes and pit returns, and car hits.
// The session frame calls StartDrive, LoadPlayerCar and PlaceCar; the game
// packet handlers call AddCarToSession, RemoveCarFromSession and
// HandleRaceControlPacket.
#pragma once

#include <cstdint>

#include "session/race.h"

struct InRaceSession;

// The views a drive start or a leaving car chooses between; the others
// belong to the view cycling.
constexpr int SessionViewDriver = 0;  // the driver's own in-car view
constexpr int SessionViewCam = 2;     // the external "cam" view

// Which car the running session drives and shows, and the words a drive
// start sets for the rest of the session. Lives for one session; ResetSessionCars
// empties it when a session is created and when it ends.
struct SessionCarState {
    uint8_t running = 0;              // 1 from the session's creation to its exit
    CarObject* playerCar = nullptr;   // the car this computer drives; null none
    CarObject* viewedCar = nullptr;   // the car the view follows; null none
    int32_t viewMode = SessionViewCam;
    uint8_t replay = 0;               // 1 while the session shows a replay
    uint8_t seeking = 0;              // 1 while a replay seek runs
    uint8_t seekViewedPlayerId = 0;   // the player viewed before the seek began
    uint8_t restartingReplay = 0;     // 1 while a replay restarts from its start
    uint8_t testDriveRequested = 0;   // the local slot drives as "Test Drive"
    uint8_t layoutRoute = 0;          // 1 while an autocross layout route is active
    uint8_t lessonRunning = 0;        // 1 while a lesson is driven
    uint8_t hotLapping = 0;           // hot-lapping mode: a joining car votes for a restart
    uint8_t autoKickOn = 0;           // the host sanctions wrong-way driving in this drive
    int32_t startCountdown = 0;       // s from the start of the drive to the start of timing
    int32_t startWords[2] = {};       // cleared by every drive start
    uint8_t startFlags[4] = {};       // set to 1 by every drive start
    int32_t stepCount = 0;            // steps of this drive
    uint32_t nextCarCheckTime = 0;    // game time (ms) of the next car-change check

    bool operator==(const SessionCarState&) const = default;
};
// The running session's cars. Read-only outside the session.
extern const SessionCarState& SessionCars;
// The session's creation begins the record (running, nothing chosen yet);
// its exit, and the subsystem's reset, empty it.
void BeginSessionCars();
void ResetSessionCars();
// The replay and seek words that the session's replay handling keeps.
void SetSessionReplayState(int replay, int seeking, int seekViewedPlayerId);

// --- Drive start, car loading and placement.

// The start countdown (s) a drive gets: 6 with a layout route, 3 for
// qualifying or without a race length, else half the players (rounded
// down) + 12 online or + 8 offline.
int GetStartCountdown(int layoutRoute, int qualifyingOrNoLength, int playerCount, int online);
// Starts a drive of the current race: progress, votes and counters reset,
// the countdown chosen, every car placed, the player car, viewed car and
// view chosen. sprPlayback: a single-player replay plays; joinRunning:
// this computer joins a race already running at startStep (results and
// start position indexes are kept).
void StartDrive(InRaceSession* session, int sprPlayback, int joinRunning, uint32_t startStep);
// Creates the slot's car from "data\veh\<code>.veh" with the slot's set-up
// and colours; 1 when the slot has its car. A failure tells the player
// "Could not load %s^8's car" and leaves the slot without one.
int LoadPlayerCar(RacePlayer& slot);
// Puts the slot's car on its pit place (inPit) or start place for its
// start position index and resets it for the drive.
void PlaceCar(InRaceSession* session, int slotIndex, int inPit, int joinRunning);
// Sends the slot's car back to its pit place and restarts its lap timing.
void ReturnCarToPit(InRaceSession* session, int slotIndex);
// Start place `number` (0..31) as the race uses it: recorded in the race's
// start table, the one hot-lap place when the race asks for it; with a car
// on a path (not joining) the car's follower is placed there.
void GetCarStartPosition(InRaceSession* session, FixedVector& position, float& heading, int number,
                         CarObject* car, int joinRunning);
// The world's pit place for a number, the car's follower placed there.
void GetCarPitPosition(InRaceSession* session, FixedVector& position, float& heading, int number,
                       CarObject* car, int joinRunning);
// Grid place `number` on the current path: 10 nodes per place behind the
// start node (wrapping), moved across the road by a quarter of (left +
// right edge), heading along the node. 1 when the world has a path with a
// start node; 0 leaves position and heading untouched.
int GetPathGridPosition(FixedVector& position, float& heading, int number);

// --- Cars joining and leaving.

// Loads and places the car of a slot the multiplayer layer just filled;
// 1 when the car was placed in the pit lane, 0 on the grid or without a car.
int AddCarToSession(RacePlayer& slot);
// Detaches and frees the slot's car (the slot itself is the caller's to
// remove); the session's player and viewed car never point at it after.
void RemoveCarFromSession(RacePlayer& slot);
// Driver swap: this computer gives up its car, or takes the slot's car.
void ReleasePlayerCar();
void TakeOverPlayerCar(RacePlayer& slot);

// --- The race-control packet.

constexpr uint8_t RaceControlPacketType = 17;
constexpr int RaceControlPacketSize = 4;
// Sub-types of the race-control packet [17][sub-type][player id][reason or flag].
enum : uint8_t {
    RaceControlVoteEnd = 0,
    RaceControlVoteRestart = 1,
    RaceControlVoteQualify = 2,
    RaceControlReplaySlower = 5,
    RaceControlReplayFaster = 6,
    RaceControlSpectate = 7,
    RaceControlVoteCancel = 8,
    RaceControlLeaveRace = 9,
    RaceControlPitReturn = 10,
    RaceControlAllPitReturn = 11,
    RaceControlClearCaption = 12,
};
// Reasons of a leaving player (RaceControlLeaveRace).
enum : uint8_t {
    LeaveQuiet = 0,
    LeaveWrongRoute = 2,
    LeaveRestrictedArea = 3,
    LeaveFalseStart = 4,
};
// Connection votes.
enum : int { ConnectionVoteNone = 0, ConnectionVoteEnd = 1, ConnectionVoteRestart = 2, ConnectionVoteQualify = 3 };
// Applies a received race-control packet from a connection. A sub-type
// that names a player who is not in the race is ignored.
void HandleRaceControlPacket(InRaceSession* session, int connection, const uint8_t* packet);
// Sets the connection's vote, or withdraws it when it holds that vote
// already; the notice is made from the format and the connection's name.
void ToggleConnectionVote(int connection, int vote, const char* format);
// Cancels the vote in progress and tells the voter why (shared message
// `number`).
void SendVoteRefused(int connection, int number);

// --- Car hits.

// A received car-hit packet: a sound when the car is the viewed one.
void OnCarHitPacket(const CarObject& car, int kind);
