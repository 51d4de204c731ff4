// Race session and AI: the services other subsystems may use.
#pragma once

#include "core/services.h"

// Resets every table this subsystem owns to its start-up state.
void ResetSessionTables();

// ---------------------------------------------------------------------------
// The race object, its player slots, results and files, the AI names and
// message keys, and the hooks the subsystems above install.
#include "session/driver_names.h"
#include "session/grid_file.h"
#include "session/hooks.h"
#include "session/player_info.h"
#include "session/race.h"
#include "session/race_slots.h"
#include "session/results.h"

// The program version text ("0.5Z"), written by FormatVersion at start-up
// (program_version.cpp). Lives for the whole run.
constexpr int ProgramVersionSize = 8;
extern char ProgramVersion[ProgramVersionSize];
void FormatVersion();

// A scenery body started moving at the point: the car nearest it within
// radius (m) plus its own radius is reported as having hit an object
// (car_hit_pending.cpp until cars joining the session are built: no car is
// reported).
void ReportCarHitAt(const FixedVector& point, float radius);

// The lesson's watch on a car and its view of the results
// (lesson_watch_pending.cpp until lessons are built: no lesson runs, so no
// car is watched). Lives with the lesson.
// The car a running lesson watches; null when none.
extern CarObject* LessonWatchedCar;
// The lesson's check whether its watched car stopped, run when a body's
// contact touches a car and either car is the watched one.
void CheckLessonCarStopped();
// A result row of the slot was confirmed at the index.
void OnLessonRaceResult(int slot, int row);

// ---------------------------------------------------------------------------
// What the program shell uses of the race session and the commands
// (temporary bodies in shell_pending.cpp until those are built: no session
// ever runs, no command but "/exit" does anything).

struct InRaceSession;
struct Screen;
struct MouseEvent;

// 1 front end, 2 a race runs (race, lesson, multiplayer replay), 3 a
// single-player replay plays. Lives for the whole run.
extern int GameKind;
// The running race session; null when none.
extern InRaceSession* CurrentSession;
// 1 while the session has no car to show (the loop paces as in menus).
int SessionShowsNoCar(const InRaceSession& session);
// Game time at which the running session started.
extern uint32_t SessionStartTime;
// 0 practice, 1 race, 2 qualifying.
extern int RacePhase;
// Creates the session of a screen: type 0 race or lesson, 1 the entry
// screen's background replay, 2 a replay viewer; connections of a
// multiplayer replay.
InRaceSession* CreateSession(Screen* owner, int type, int connectionCount);
// One frame of the session; frees it at the end of its exit frame.
void UpdateSession(InRaceSession* session);
void HandleSessionKey(InRaceSession* session, int code);
int HandleSessionMouse(InRaceSession* session, MouseEvent* event);
// 1 when the session is a replay viewer whose screen has no child.
int IsViewerSessionIdle();
// 1 while the layout editor's free camera runs.
int IsFreeCameraActive();
// Polls the controller buttons while no session runs.
void PollControlsWithoutSession();
// Snaps a time scale near 1 to 1 and shows the scale for 4 s.
void ShowTimeScaleText();
// Starts the head tracker's data.
void StartHeadTracking();

// 1 when the line may be sent now (the flood limit).
int MaySendText(const char* line, int flags);
// Runs a typed or received line: "/" lines are commands, others chat.
void ExecuteCommand(void* connection, const char* line, int flags);
// Runs "data\script\<name>.qvn" line by line as commands.
void RunScript(const char* name);
// The training screen (the lesson list).
Screen* OpenTrainingScreen(Screen* parent);
// After the graphics resources were rebuilt: the running lesson's picture
// loads again, and every session car's drawing data is built again.
void ShowLessonPictureIfAny();
void RebuildSessionGraphics();

// ---------------------------------------------------------------------------
// Ground under a point (ground_stub.cpp until the race session is built: no
// session exists, so the answer is always 0).

// The 16.16 height at which the world's point query finds ground below
// (x, y, z): the short probe from 2 m above to 2 m below the point, the
// long probe from 60 m down to -20 m. 0 when no race session exists or
// nothing is hit.
Fixed GetGroundHeight(Fixed x, Fixed y, Fixed z, int longProbe);

// ---------------------------------------------------------------------------
// The player's control state: what turning the local player's controls into
// the player car's input words keeps from step to step (ReadCarControls).
// The session holds one (there is one local driven car) and fills the three
// session values before each step. Lives with the session.

class CarObject;
struct PlayerControlState {
    // Filled by the session.
    CarObject* playerCar = nullptr;        // the local driven car; null when none
    const CarObject* viewedCar = nullptr;  // the car the session views
    uint8_t screenOpen = 0;                // a screen is open over the race (the session's screen has a child)
    // Kept by the controls.
    float keyboardSteer = 0;   // rad, left positive: the angle keyboard steering moves
    float smoothedSteer = 0;   // -1..1, memory of the "Steer Smooth" filter
    float throttle = 0, brake = 0, clutch = 0, handbrake = 0;  // 0..1, the pedal ramps
    int32_t shiftUpTimer = 0, shiftDownTimer = 0;  // ms, shift debounce
    uint8_t sentHorn = 0, sentFlash = 0;   // the horn word and flash state last sent
    uint8_t hornSent = 0, flashSent = 0;   // 1 when that packet went in the last step
    uint8_t headlightRequest = 0;          // set by the key handler; copied into word 7, then cleared
    uint8_t indicatorRequest = 0;          // 1 off, 2 left, 3 right, 4 hazard; word 13, then cleared
    uint8_t noControl = 0;                 // steering centred, pedals and shifts 0
    // Whether the reset, pit limiter, traction control and ignition controls
    // were active in the last step (each acts on the step it becomes active).
    uint8_t resetHeld = 0, pitLimiterHeld = 0, tractionHeld = 0, ignitionHeld = 0;
    int32_t keyFlag = 1;                   // lets keyboard keys count for the shift and request controls
};

// ---------------------------------------------------------------------------
// What the multiplayer layer asks of the race session (temporary bodies in
// net_queries_pending.cpp until the in-race session, its recording, drive
// starts and the AI drivers are built).

// Pending: detaches a player's car from the running session before the
// player leaves; no session runs yet, so nothing is detached and the car
// stays with its slot for RemovePlayer to free.
void RemoveCarFromSession(CarObject& car);
// Pending: the fastest-lap notice's countdown, once per processed frame; no
// notice is armed until lap times are handled.
void UpdateFastestLapNotice(Race& race);
// Pending: ends the running session; none runs yet.
void RequestSessionExit();
// Pending: ends the single-player replay recording of the running race;
// none is recorded yet.
void StopSessionRecordingIfAny();
// Pending: the state of a running session (4 lets guests join); 0 until the
// session is built.
int GetSessionRunState(const InRaceSession& session);
// Pending: whether the race flagged a false start; 0 until drive starts
// are built.
int IsFalseStartState();
// Pending: fills an AI driver's descriptor from its name entry, skill and
// car, loading its track knowledge; 0 (the knowledge could not be loaded)
// until the AI drivers are built.
int FillAiDriverInfo(PlayerDescriptor& descriptor, const DriverNameEntry& entry, int skill, const char* carName);
