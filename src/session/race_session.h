// The running race session as the program shell and the subsystems below
// it see it: which kind of game runs, the session itself, and what the
// world asks of the session's cars and ground. The race session is not
// built yet: no session ever runs, and the temporary bodies
// (race_session_pending.cpp) answer as a program without one would.
#pragma once

#include <cstdint>

#include "core/services.h"

class CarObject;
struct InRaceSession;
struct ObjectSet;
struct Screen;
struct MouseEvent;

// 1 front end, 2 a race runs (race, lesson, multiplayer replay), 3 a
// single-player replay plays. Read-only outside the session; lives for the
// whole run.
extern const int& GameKind;
void SetGameKind(int kind);
// The running race session; null when none. Read-only outside the session.
extern InRaceSession* const& CurrentSession;
// Game time at which the running session started. Read-only outside the
// session.
extern const uint32_t& SessionStartTime;
void SetSessionStartTime(uint32_t gameTimeMs);
// 0 practice, 1 race, 2 qualifying. Read-only outside the session.
extern const int& RacePhase;
void SetRacePhase(int phase);

// 1 while the session has no car to show (the loop paces as in menus).
int SessionShowsNoCar(const InRaceSession& session);
// Creates the session of a screen: type 0 race or lesson, 1 the entry
// screen's background replay, 2 a replay viewer; joinRunning 1 when this
// computer joins a race already running. Callers set GameKind first.
// Loads and places the race's cars; the session becomes CurrentSession.
InRaceSession* CreateSession(Screen* owner, int type, int joinRunning);
// One frame of the session: deferred requests, the due game frames and
// 10 ms steps, and the exit in the frame after the running flag was
// cleared (the session is freed and CurrentSession is null afterwards).
void UpdateSession(InRaceSession* session);
// The player car and the car the cameras follow; null when none.
CarObject* GetSessionPlayerCar(const InRaceSession& session);
CarObject* GetSessionViewedCar(const InRaceSession& session);
// The session's active bodies.
ObjectSet& GetSessionObjectSet(InRaceSession& session);

// One 10 ms step: the AI, the player's controls, the world's wind and
// lights, the physics of the active bodies and the race step. mode 0 when
// at least two more steps follow in the frame, 1 the last of several, 2
// the only one; remaining: steps still due, this one included. 1 when the
// session is leaving (the frame's steps stop), else 0.
int SimulateStep(InRaceSession& session, int mode, int remaining);
// Drivers outside the program (a test harness's robots) that write the
// input words of the cars without an AI driver of their own: called in
// every step at the AI drivers' place, so that their words are the same
// however the steps fall into frames. Null removes them.
void SetSessionStepDrivers(void (*driveCars)(Race& race));
// The race's counters of one step (a dedicated host calls it alone): the
// step counters, the HUD's flag timers, the running order every 128 steps.
void AdvanceRaceStep(InRaceSession& session);
// The game votes, once per processed game frame.
void ProcessVotes(InRaceSession& session);
// The vote that the connections with drivers decide: the highest kind (1
// end, 2 restart, 3 qualify) that at least half of them, rounded up, hold;
// 0 none. votes holds one byte per such connection.
int DecideGameVote(const uint8_t* votes, int connectionCount);
// A race request of the local player (1 join, 2 enter pits, 3 spectate, 4
// vote restart, 5 vote qualify, 6 vote end race); a rate-limited one is
// ignored within 1000 ms of the last; while a connection is made it is kept
// for a later frame.
void PerformRaceRequest(int request, int rateLimited);
// Clears the session's running flag only (the entry screen's background
// replay).
void ClearSessionRunFlag(InRaceSession& session);
// The text of the kind of session: practice, qualifying or race.
const char* GetSessionKindText();
// 1 without a session or race, offline, or when every local car is quiet.
int AreLocalCarsIdle();
// Pending: no session takes keys or the mouse; the mouse answers 0.
void HandleSessionKey(InRaceSession* session, int code);
int HandleSessionMouse(InRaceSession* session, MouseEvent* event);
// 1 when the session is a replay viewer whose screen has no child.
// Pending: no viewer; answers 0.
int IsViewerSessionIdle();
// 1 while the layout editor's free camera runs.
// Pending: no layout editor; answers 0.
int IsFreeCameraActive();
// Polls the controller buttons while no session runs.
// Pending: no controller polling; does nothing.
void PollControlsWithoutSession();
// Snaps a time scale near 1 to 1 and shows the scale for 4 s.
// Pending: no time scale; does nothing.
void ShowTimeScaleText();
// Starts the head tracker's data.
// Pending: no head tracking in a session; does nothing.
void StartHeadTracking();
// After the graphics resources were rebuilt: every session car's drawing
// data is built again.
// Pending: no session cars; does nothing.
void RebuildSessionGraphics();

// The 16.16 height at which the loaded world's point query finds ground
// below (x, y, z): the short probe from 2 m above to 2 m below the point,
// the long probe from 60 m down to -20 m at (x, y). The highest ground the
// probe crosses counts; 0 when no world is loaded or nothing is hit.
Fixed GetGroundHeight(Fixed x, Fixed y, Fixed z, int longProbe);
// A scenery body started moving at the point: the car nearest it within
// radius (m) plus its own radius, when this computer drives it, is
// reported as having hit an object.
void ReportCarHitAt(const FixedVector& point, float radius);

// What the multiplayer layer asks of the running session and its race.
struct Race;
struct PlayerDescriptor;
struct DriverNameEntry;

// The fastest-lap notice's countdown, once per processed frame.
// Pending: no notice is armed until lap times are handled; does nothing.
void UpdateFastestLapNotice(Race& race);
// Ends the running session: practice phase, the front end, and the
// running flag cleared (the next frame exits).
void RequestSessionExit();
// Ends the single-player replay recording of the running race.
// Pending: none is recorded yet; does nothing.
void StopSessionRecordingIfAny();
// The state of a running session (4 lets guests join).
// Pending: answers 0 until the session is built.
int GetSessionRunState(const InRaceSession& session);
// Whether the race flagged a false start.
// Pending: answers 0 until drive starts are built.
int IsFalseStartState();
