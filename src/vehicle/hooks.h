// What the vehicle subsystem asks of the subsystems above it: the world's
// models, paths and figures, the race session, drawing, sound and the
// player's controllers, the interface's messages and the multiplayer layer.
//
// Each record is a set of function pointers whose defaults are the least
// bodies of a program without that subsystem: no world model can be read, no
// path or figure exists, no race runs, nothing is drawn or heard, no control
// is active, messages go to the debug log and the computer is offline. The
// higher subsystem installs its own answers at start-up through its
// Install<Subsystem>VehicleHooks(); tests install fakes. Each record lives
// for the whole run; only its setter writes it and ResetVehicleTables puts
// the least bodies back.
#pragma once

#include <cstdint>

#include "core/services.h"

class CarObject;
struct CarSetup;
class RigidBody;
struct ObjectSet;
struct ObjectModel;       // world: a 3D model
class CarModelTables;     // world: the tables that follow a car's body model
class MeshNode;           // world: a drawable mesh built from a model
struct PathFollower;      // world: a car's place on the current path
struct AnimHolder;        // world: a driver-movement animation
class WorldObject;        // world: a scenery object
struct WorldTexture;      // world: a surface of the world

// ---------------------------------------------------------------------------
// The world: car body models and the meshes drawn from them.

struct CarModelHooks {
    // The body model of the car data stream for the car code, read whole;
    // null when the stream holds no valid model.
    ObjectModel* (*readBodyModel)(DataFile& reader, int version, const char* carCode) =
        [](DataFile&, int, const char*) -> ObjectModel* { return nullptr; };
    void (*freeBodyModel)(ObjectModel* model) = [](ObjectModel*) {};
    // The tables that follow the body model in the stream; null when bad.
    CarModelTables* (*readModelTables)(DataFile& reader, int version) =
        [](DataFile&, int) -> CarModelTables* { return nullptr; };
    void (*freeModelTables)(CarModelTables* tables) = [](CarModelTables*) {};
    // Gives the body the contact points and faces of the model's lowest
    // level of detail for the parts in the mask: 1, or 0 with a log line
    // that says why the body got none.
    int (*buildBodyShell)(ObjectModel& model, RigidBody& body, uint32_t partMask) =
        [](ObjectModel&, RigidBody&, uint32_t) { return 0; };
    // The family body model's parts of kind 10 turned and placed the way
    // the car data of the families that use them expects.
    void (*placeFamilyParts)(ObjectModel& familyModel) = [](ObjectModel&) {};
    // The model's points (16.16, car frame) and its parts: their kind and
    // their place, which dents and the aero points move.
    int (*modelPointCount)(const ObjectModel& model) = [](const ObjectModel&) { return 0; };
    FixedVector* (*modelPoint)(ObjectModel& model, int index) =
        [](ObjectModel&, int) -> FixedVector* { return nullptr; };
    int (*modelPartCount)(const ObjectModel& model) = [](const ObjectModel&) { return 0; };
    int (*modelPartKind)(const ObjectModel& model, int index) = [](const ObjectModel&, int) { return 0; };
    FixedVector* (*modelPartOffset)(ObjectModel& model, int index) =
        [](ObjectModel&, int) -> FixedVector* { return nullptr; };
    // A drawn node's undamaged shape kept, dented by an impact at p along
    // direction (true when a vertex moved), finished after the dents,
    // restored and freed.
    void (*saveMeshNodeShape)(MeshNode& node) = [](MeshNode&) {};
    bool (*deformMeshNode)(MeshNode& node, const Vec3& p, const Vec3& direction, float strength, float reach) =
        [](MeshNode&, const Vec3&, const Vec3&, float, float) { return false; };
    void (*finishMeshNodeDeform)(MeshNode& node) = [](MeshNode&) {};
    void (*restoreMeshNodeShape)(MeshNode& node) = [](MeshNode&) {};
    void (*freeMeshNodeShape)(MeshNode& node) = [](MeshNode&) {};

    bool operator==(const CarModelHooks&) const = default;
};

// ---------------------------------------------------------------------------
// The world: the current path, speed limits and the scenery a car touches.

// The road halfway between a path node and the next, as the reset check
// reads it. Across the road right is positive.
struct RoadPlace {
    FixedVector centre;                   // 16.16 m
    Vec3 direction;                       // unit, along the path
    float leftEdge = 0, rightEdge = 0;    // m, the road's edges
    float leftLimit = 0, rightLimit = 0;  // m, the outer limits where cars are kept
};

// The rubber band laid across a path node: its left edge, its centre line
// and its right edge, each an offset across the node (m, right positive)
// and an intensity (0..1).
struct NodeRubber {
    float offset[3] = {-1, 0, 1};
    float intensity[3] = {};
};

struct CarPathHooks {
    // The follower that keeps a car's place on the current path (owned by
    // the car), and the path node it is at (-1 none).
    PathFollower* (*createFollower)() = []() -> PathFollower* { return nullptr; };
    void (*freeFollower)(PathFollower* follower) = [](PathFollower*) {};
    int (*followerNode)(const PathFollower& follower) = [](const PathFollower&) { return -1; };
    // The path node a car is near, for its skid marks; -1 without a path.
    int (*carPathNode)(const CarObject& car) = [](const CarObject&) { return -1; };
    // The current path's node count (0 without a path), whether it is the
    // closed racing loop the flags are raised along, and the road halfway
    // from a node to the next (false for a node the path does not have).
    int (*pathNodeCount)() = [] { return 0; };
    int (*isFlagPath)() = [] { return 0; };
    bool (*roadPlace)(int node, RoadPlace& place) = [](int, RoadPlace&) { return false; };
    // The lowest speed limit of the world's limit zones, km/h; 0 none.
    int (*lowestSpeedLimit)() = [] { return 0; };
    // The speed-limit zone (pit lane) under (x, y): its index, with its
    // limit byte (the limit in km/h less 1); -1 when the point is in none.
    int (*speedZoneAt)(Fixed x, Fixed y, int& limitByte) = [](Fixed, Fixed, int&) { return -1; };
    // The world's pit boxes (16.16 positions), at most capacity; their count.
    int (*pitBoxes)(FixedVector* boxes, int capacity) = [](FixedVector*, int) { return 0; };
    // A driver takes the car over: the follower starts again when the car
    // lies more than 20 m beyond its next node, behind its node or outside
    // the node's road edges, and a follower without a position searches
    // for the car's.
    void (*refreshFollower)(PathFollower& follower, const FixedVector& carPosition) =
        [](PathFollower&, const FixedVector&) {};
    // A node's rubber band on the current path: read (false for a node the
    // path does not have), and written back, which places its points on
    // the ground again.
    bool (*readNodeRubber)(int node, NodeRubber& rubber) = [](int, NodeRubber&) { return false; };
    void (*writeNodeRubber)(int node, const NodeRubber& rubber) = [](int, const NodeRubber&) {};
    // Whether a car whose top is at belowZ can touch the scenery object.
    bool (*canCarTouchObject)(const WorldObject& object, Fixed belowZ) =
        [](const WorldObject&, Fixed) { return false; };

    bool operator==(const CarPathHooks&) const = default;
};

// ---------------------------------------------------------------------------
// The world: the driver and passenger figures and their animations.

struct CarFigureHooks {
    // Whether the figures are loaded, how many figure entries there are and
    // the skeleton set of an entry (-1 for an entry that does not exist).
    bool (*figuresLoaded)() = [] { return false; };
    int (*figureCount)() = [] { return 0; };
    int (*figureSkeleton)(int figure) = [](int) { return -1; };
    // A new animation for the skeleton set from the movement file at path,
    // or the set's rest pose when path is null or the file cannot be read.
    AnimHolder* (*loadAnimation)(int skeleton, const char* path) =
        [](int, const char*) -> AnimHolder* { return nullptr; };
    AnimHolder* (*copyAnimation)(const AnimHolder& animation) =
        [](const AnimHolder&) -> AnimHolder* { return nullptr; };
    void (*freeAnimation)(AnimHolder* animation) = [](AnimHolder*) {};

    bool operator==(const CarFigureHooks&) const = default;
};

// ---------------------------------------------------------------------------
// The race session.

// What a race's player slot asks of its car's pit stops and sanctions.
struct CarSlotOrders {
    int playerId = 0;             // as packets carry it
    uint8_t repair = 0;           // repair the car at a pit stop
    uint8_t tyreWearLimit = 0;    // %, tyres worn beyond it are renewed
    uint8_t refuelPercent = 0;    // % of the tank added at a pit stop
    uint8_t aiDriver = 0;         // driven by the computer
    const CarSetup* pitSetup = nullptr;  // the set-up the pit crew fits; null none
};

// What the session shows, which decides how closely remote cars are
// simulated.
struct CarViewState {
    int noSimulation = 0;         // the session simulates no car
    int freeCamera = 0;           // the layout editor's free camera
    int editorAllCars = 0;        // the editor asks for every car simulated
    int everyCarSimulated = 0;    // a view mode that shows every car closely
    const CarObject* viewedCar = nullptr;  // null: none
};
// How the session shows a car (bits of carViewRank).
enum : int {
    CarShownInDetail = 1, CarAmongNearest = 2, CarKeptSimulated = 4,
};

struct CarRaceHooks {
    // Whether a race runs; the cars of its player slots in slot order (null
    // for an empty slot), returning the slot count (0 without a race); the
    // race's step counter.
    bool (*raceRunning)() = [] { return false; };
    int (*raceSlotCars)(CarObject** slots, int capacity) = [](CarObject**, int) { return 0; };
    int32_t (*raceStepCounter)() = [] { return int32_t(0); };
    // A timed hot lap runs, and is made invalid for a reason (0 off the
    // ground, 1 a wall, 2 an object).
    int (*isHotLapTimed)() = [] { return 0; };
    void (*invalidateHotLap)(int reason) = [](int) {};
    // The host watches for wrong-way driving to sanction it: it hosts a
    // live race on a path with "Auto Kick" on and no layout route.
    int (*autoKickOn)() = [] { return 0; };
    // The car a lesson watches (null none) and the lesson's check of it
    // after a hit.
    const CarObject* (*lessonWatchedCar)() = []() -> const CarObject* { return nullptr; };
    void (*checkLessonCarStopped)() = [] {};
    // A car hit something at point; objects within radius hear of it.
    void (*reportCarHitAt)(const FixedVector& point, float radius) = [](const FixedVector&, float) {};
    // The height of the ground under (x, y) below z, 16.16 (flat ground at
    // 0 without a world); a long probe searches further down.
    Fixed (*groundHeight)(Fixed x, Fixed y, Fixed z, int longProbe) = [](Fixed, Fixed, Fixed, int) { return Fixed(0); };
    // The orders of a race's player slot; false for a slot that is empty or
    // does not exist.
    bool (*slotOrders)(int slot, CarSlotOrders& orders) = [](int, CarSlotOrders&) { return false; };
    // The lap count of a race session run over laps, 0 otherwise; the
    // race's start offset (s) from its first step.
    int (*raceLapCount)() = [] { return 0; };
    int32_t (*raceStartOffset)() = [] { return int32_t(0); };
    // A lesson runs; the car is the one the player drives on this computer.
    int (*isLessonRunning)() = [] { return 0; };
    bool (*isPlayerCar)(const CarObject& car) = [](const CarObject&) { return false; };
    // What the session shows, and how it shows a car (CarShownInDetail...).
    CarViewState (*viewState)() = [] { return CarViewState{}; };
    int (*carViewRank)(const CarObject& car) = [](const CarObject&) { return 0; };

    bool operator==(const CarRaceHooks&) const = default;
};

// ---------------------------------------------------------------------------
// Drawing: plates, skins, part meshes, skid marks, particles and the view.

struct CarDrawHooks {
    // A cached number plate with a reference added (-1 none), and its
    // release.
    int (*numberPlate)(const char* plateText) = [](const char*) { return -1; };
    void (*releaseNumberPlate)(int index) = [](int) {};
    // The car's skin names and textures for its family's body model.
    void (*loadCarSkins)(CarObject& car, ObjectModel* familyModel) = [](CarObject&, ObjectModel*) {};
    // Frees the car's two part meshes.
    void (*freeCarPartMeshes)(CarObject& car) = [](CarObject&) {};
    // A skid mark segment between the two edges (world 16.16) of strength
    // 0..1, joined to the running segment (-1 starts a new mark), near the
    // path node: the new segment's index, -1 when none was added.
    int (*addSkidMark)(const FixedVector& leftEdge, const FixedVector& rightEdge, float strength,
                       int runningSegment, int pathNode) =
        [](const FixedVector&, const FixedVector&, float, int, int) { return -1; };
    // Clears the open flag of a mark's last segment.
    void (*closeSkidMark)(int segment) = [](int) {};
    // A smoke or dust particle at point (world 16.16) moving at velocity
    // (m/s), growing from startSize to endSize (m), colour 0xAABBGGRR,
    // living lifeMs.
    void (*addParticle)(const FixedVector& point, const Vec3& velocity, float startSize, float endSize,
                        uint32_t colour, int lifeMs) =
        [](const FixedVector&, const Vec3&, float, float, uint32_t, int) {};
    // The draw colour of a world surface (0x00BBGGRR).
    uint32_t (*surfaceDrawColour)(const WorldTexture& texture) = [](const WorldTexture&) { return uint32_t(0x808080); };
    // The driver view's look angle (rad, left positive) and its two look
    // thresholds, low < high: straight ahead without a view.
    void (*driverLookState)(float& angle, float& lowThreshold, float& highThreshold) =
        [](float& angle, float& low, float& high) {
            angle = 0;
            low = 0.5f;
            high = 1.0f;
        };

    bool operator==(const CarDrawHooks&) const = default;
};

// ---------------------------------------------------------------------------
// Sound.

struct CarSoundHooks {
    // Whether the game sound runs.
    int (*isSoundRunning)() = [] { return 0; };
    // The game-sound stream's block for the step of the set just run.
    void (*feedGameSound)(ObjectSet* set, int drawnAfter) = [](ObjectSet*, int) {};
    // An interface sound (3 an invalid key).
    void (*playInterfaceSound)(int effect) = [](int) {};

    bool operator==(const CarSoundHooks&) const = default;
};

// ---------------------------------------------------------------------------
// The player's controllers and keys.

// The controller axes the player's controls read.
enum : int {
    SteerAxis = 0, ThrottleAxis = 1, BrakeAxis = 2, ClutchAxis = 3, HandbrakeAxis = 4,
};

// The controls file's choices that the car's controls read.
struct CarControlSettings {
    float wheelTurn = 270;      // degrees, lock to lock of the steering controller
    int pedalMode = 1;          // 2: throttle and brake share one axis
    int handbrakeOnButton = 0;  // the handbrake comes from its control, not its axis
    int clutchOnButton = 1;     // the clutch comes from its control, not its axis
};

struct CarControlHooks {
    // 1 when the control function's controller button is held or, with
    // alsoKey set, its keyboard key is down.
    int (*isControlActive)(int control, int alsoKey) = [](int, int) { return 0; };
    // A controller axis this frame: steering -1..1 (right positive), the
    // pedals 0..1.
    float (*controllerAxis)(int axis) = [](int) { return 0.0f; };
    CarControlSettings (*controlSettings)() = [] { return CarControlSettings{}; };

    bool operator==(const CarControlHooks&) const = default;
};

// ---------------------------------------------------------------------------
// The interface's messages.

struct CarMessageHooks {
    // A line of the message list in a standard colour; an error line; a
    // light-grey notice; a file's load error; a line of the network debug
    // list.
    void (*printMessage)(const char* text, int colour) = [](const char* text, int) { LogLine(text); };
    void (*printError)(const char* text) = [](const char* text) { LogLine(text); };
    void (*printNotice)(const char* text) = [](const char* text) { LogLine(text); };
    void (*printLoadError)(const char* path) = [](const char* path) { LogPrintf("Load error : %s", path); };
    void (*printNetDebug)(const char* text, int colour) = [](const char* text, int) { LogLine(text); };

    bool operator==(const CarMessageHooks&) const = default;
};

// ---------------------------------------------------------------------------
// The multiplayer layer.

struct CarNetHooks {
    // A multiplayer game runs; a multiplayer replay plays; the host's rules
    // (bit 7: resets allowed); the network holds the race.
    int (*isOnline)() = [] { return 0; };
    int (*isReplayPlaying)() = [] { return 0; };
    uint32_t (*hostRules)() = [] { return uint32_t(0); };
    int (*isNetworkHold)() = [] { return 0; };
    // 1 outside the final countdown of a vote (always without one).
    int (*outsideVoteFinalCountdown)() = [] { return 1; };
    // A game packet for the current frame's bundle; a packet to the host.
    void (*queueGamePacket)(const uint8_t* bytes, int length) = [](const uint8_t*, int) {};
    void (*sendToHost)(const uint8_t* bytes, int length) = [](const uint8_t*, int) {};
    // A game packet kept in the replay being recorded as well, and the
    // frame's bundle sent at once.
    void (*queueRecordedGamePacket)(const uint8_t* bytes, int length) = [](const uint8_t*, int) {};
    void (*sendGameBundle)() = [] {};
    // An immediate packet to every guest; to the connection of a player
    // (the host itself for its own players).
    void (*sendToAllGuests)(const uint8_t* bytes, int length) = [](const uint8_t*, int) {};
    void (*sendToPlayer)(int playerId, const uint8_t* bytes, int length) = [](int, const uint8_t*, int) {};
    // Removes a human player's connection for driving the wrong way: action
    // 1 kicks, 2 kicks and bans the user for 12 hours. A protected or
    // missing connection is left alone.
    void (*sanctionPlayer)(int playerId, int action) = [](int, int) {};

    bool operator==(const CarNetHooks&) const = default;
};

// ---------------------------------------------------------------------------
// The race and the track as the car's lap timing, route and flags read
// them: the race session installs the race's part, the world the track's.

// The race's values the lap timing reads, at one moment.
struct RaceTimingFacts {
    int32_t raceClock = 0;          // the race's step counter
    int32_t startOffsetSeconds = 0; // the race's timing starts this late
    int32_t suppressTimingStart = 0;
    int32_t isRace = 0;             // a race (neither practice nor qualifying)
    int32_t qualifying = 0;
    int32_t qualifyingOver = 0;
    int32_t hotLapTracked = 0;      // the drive is timed as a hot lap
    int32_t lapClean = 0;           // the current lap: 0 untimed, 1 clean, 2 not clean
    int32_t raceLapNumber = 0;      // the race's lap counter
    int32_t raceLaps = 0;           // laps of the race (1 for a race in hours)
    int32_t raceEnded = 0;          // every car finishes at its next line
    int32_t codePage = 0;           // of the current language, for status tags
    // The best hot lap so far: its split count, lap number and split times.
    int32_t bestSplitCount = 0, bestLapNumber = 0;
    int32_t bestSplits[4] = {};
};

// A circle of the layout's route as the car's route check reads it: its
// ground place, radius, whether it is a restricted area, and its route
// index.
struct RouteCircle {
    FixedVector position;
    int32_t radiusMetres = 0;
    uint8_t restricted = 0;
    uint8_t routeIndex = 0;
};
// A gate of the layout's route (the finish line is gate 0, the checkpoints
// follow): its point, forward and side unit vectors (16.16) and half-width.
struct RouteGatePlace {
    FixedVector point;
    Fixed directionX, directionY, sideX, sideY;
    Fixed halfWidth;
};

struct CarTimingHooks {
    // Race: its timing values (false without a race), the player id of a
    // slot (-1 none), the running order (slot indexes, leader first; the
    // count), the lap's clean state to come and its commit, the new best
    // lap, the race's finish rule and its penalty report.
    bool (*raceFacts)(RaceTimingFacts& facts) = [](RaceTimingFacts&) { return false; };
    int (*playerIdOfSlot)(int slot) = [](int) { return -1; };
    int (*runningOrder)(uint8_t* slots, int capacity) = [](uint8_t*, int) { return 0; };
    void (*noteLapClean)(int clean) = [](int) {};
    void (*commitLapClean)() = [] {};
    void (*setBestLap)(int splitCount, int lapNumber, const int32_t splits[4]) = [](int, int, const int32_t*) {};
    int (*finishRuleMet)(int lapsDone, int32_t totalTime) = [](int, int32_t) { return 0; };
    void (*notePenaltyReport)() = [] {};
    // A car counted a timing point (FinishLine after its lap count rose,
    // then the checkpoints): its AI driver, if any, decides on a pit stop
    // or the end of its run.
    void (*carCountedTimingPoint)(CarObject& car, int timingPoint) = [](CarObject&, int) {};
    // Track: the start lights (0..3 waiting and red, 4 the start is given),
    // the timing points (finish line and checkpoints), whether it has
    // speed zones (the path hooks tell the zone at a point), and whether
    // the layout gives its own start.
    int (*startLightState)() = [] { return 4; };
    int (*timingPointCount)() = [] { return 0; };
    int (*hasSpeedZones)() = [] { return 0; };
    int (*hasLayoutStart)() = [] { return 0; };
    // The current path: whether it loops, a node's own road (false for a
    // node it does not have), the timing point that begins at a node (1
    // the finish line, 2.. the checkpoints, 0 none), the road a fraction f
    // from a node to the next with the path's speed there (m/s), and a
    // follower moved to a node with that node's light changes applied.
    int (*pathLooped)() = [] { return 0; };
    bool (*pathNodeRoad)(int node, RoadPlace& place) = [](int, RoadPlace&) { return false; };
    int (*timingPointAtNode)(int node) = [](int) { return 0; };
    float (*roadBetweenNodes)(int node, float f, RoadPlace& place) = [](int, float, RoadPlace&) { return 0.0f; };
    void (*moveFollower)(PathFollower& follower, int node) = [](PathFollower&, int) {};
    // The layout's route: its circles (false past the last) and its gates
    // (the count is 0 when the layout has no usable route).
    bool (*routeCircle)(int index, RouteCircle& circle) = [](int, RouteCircle&) { return false; };
    int (*routeGateCount)() = [] { return 0; };
    bool (*routeGate)(int index, RouteGatePlace& gate) = [](int, RouteGatePlace&) { return false; };

    bool operator==(const CarTimingHooks&) const = default;
};

// The installed hooks, and their setters (each replaces the whole record:
// start from the installed one and change what the caller serves).
const CarModelHooks& GetCarModelHooks();
const CarPathHooks& GetCarPathHooks();
const CarFigureHooks& GetCarFigureHooks();
const CarRaceHooks& GetCarRaceHooks();
const CarDrawHooks& GetCarDrawHooks();
const CarSoundHooks& GetCarSoundHooks();
const CarControlHooks& GetCarControlHooks();
const CarMessageHooks& GetCarMessageHooks();
const CarNetHooks& GetCarNetHooks();
const CarTimingHooks& GetCarTimingHooks();
void SetCarModelHooks(const CarModelHooks& hooks);
void SetCarPathHooks(const CarPathHooks& hooks);
void SetCarFigureHooks(const CarFigureHooks& hooks);
void SetCarRaceHooks(const CarRaceHooks& hooks);
void SetCarDrawHooks(const CarDrawHooks& hooks);
void SetCarSoundHooks(const CarSoundHooks& hooks);
void SetCarControlHooks(const CarControlHooks& hooks);
void SetCarMessageHooks(const CarMessageHooks& hooks);
void SetCarNetHooks(const CarNetHooks& hooks);
void SetCarTimingHooks(const CarTimingHooks& hooks);
