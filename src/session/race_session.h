// The running race session as the program shell and the subsystems below
// it see it: which kind of game runs, the session itself, and what the
// world asks of the session's cars and ground. The race session is not
// built yet: no session ever runs, and the temporary bodies
// (race_session_pending.cpp) answer as a program without one would.
#pragma once

#include <cstdint>

#include "core/services.h"

struct InRaceSession;
struct Screen;
struct MouseEvent;

// 1 front end, 2 a race runs (race, lesson, multiplayer replay), 3 a
// single-player replay plays. Read-only outside the session; lives for the
// whole run.
extern const int& GameKind;
void SetGameKind(int kind);
// The running race session; null when none. Read-only outside the session.
// Pending: no session is ever created, so it stays null.
extern InRaceSession* const& CurrentSession;
// Game time at which the running session started. Read-only outside the
// session.
extern const uint32_t& SessionStartTime;
void SetSessionStartTime(uint32_t gameTimeMs);
// 0 practice, 1 race, 2 qualifying. Read-only outside the session.
extern const int& RacePhase;
void SetRacePhase(int phase);

// 1 while the session has no car to show (the loop paces as in menus).
// Pending: no session; answers 1.
int SessionShowsNoCar(const InRaceSession& session);
// Creates the session of a screen: type 0 race or lesson, 1 the entry
// screen's background replay, 2 a replay viewer; connections of a
// multiplayer replay.
// Pending: no session can be created; answers null.
InRaceSession* CreateSession(Screen* owner, int type, int connectionCount);
// One frame of the session; frees it at the end of its exit frame.
// Pending: no session to step; does nothing.
void UpdateSession(InRaceSession* session);
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
class CarObject;
struct Race;
struct PlayerDescriptor;
struct DriverNameEntry;

// The fastest-lap notice's countdown, once per processed frame.
// Pending: no notice is armed until lap times are handled; does nothing.
void UpdateFastestLapNotice(Race& race);
// Ends the running session.
// Pending: none runs yet; does nothing.
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
