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
    // A driver takes the car over: the follower starts again when the car
    // lies more than 20 m beyond its next node, behind its node or outside
    // the node's road edges, and a follower without a position searches
    // for the car's.
    void (*refreshFollower)(PathFollower& follower, const FixedVector& carPosition) =
        [](PathFollower&, const FixedVector&) {};
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
    // The car a lesson watches (null none) and the lesson's check of it
    // after a hit.
    const CarObject* (*lessonWatchedCar)() = []() -> const CarObject* { return nullptr; };
    void (*checkLessonCarStopped)() = [] {};
    // A car hit something at point; objects within radius hear of it.
    void (*reportCarHitAt)(const FixedVector& point, float radius) = [](const FixedVector&, float) {};
    // The height of the ground under (x, y) below z, 16.16 (flat ground at
    // 0 without a world); a long probe searches further down.
    Fixed (*groundHeight)(Fixed x, Fixed y, Fixed z, int longProbe) = [](Fixed, Fixed, Fixed, int) { return Fixed(0); };

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

    bool operator==(const CarNetHooks&) const = default;
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
void SetCarModelHooks(const CarModelHooks& hooks);
void SetCarPathHooks(const CarPathHooks& hooks);
void SetCarFigureHooks(const CarFigureHooks& hooks);
void SetCarRaceHooks(const CarRaceHooks& hooks);
void SetCarDrawHooks(const CarDrawHooks& hooks);
void SetCarSoundHooks(const CarSoundHooks& hooks);
void SetCarControlHooks(const CarControlHooks& hooks);
void SetCarMessageHooks(const CarMessageHooks& hooks);
void SetCarNetHooks(const CarNetHooks& hooks);
