// Vehicle simulation: the services other subsystems may use.
//
// The vehicle subsystem moves everything physical in a race: rigid bodies
// with contact points (cars, knocked scenery objects, the nodes of figure
// skeletons) and the active set of bodies that one 10 ms step advances. It
// owns the bodies' contact and integration rules and the active set; it
// needs the core's 16.16 and float maths, and asks the loaded world (through
// BodySurroundings) for gravity, wind and the scenery a body meets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/services.h"
#include "vehicle/car_result.h"
#include "vehicle/colour_config.h"

class RigidBody;
class WorldObject;
struct WorldTexture;

// Resets every table this subsystem owns to its start-up state.
void ResetVehicleTables();

// ---------------------------------------------------------------------------
// Rigid bodies and contact points.
//
// Positions are 16.16 fixed point (65536 = 1 m); everything else is in
// single-precision SI units (m, m/s, kg, N, N s). Rotations are row-major
// float matrices taking body-frame vectors to world vectors. z is up.

// One contact query: scenery objects and bodies fill it. A query looks for
// a surface crossed by the segment from queryPosition - queryDirection to
// queryPosition and keeps only the deepest hit.
struct ContactQueryRecord {
    FixedVector queryPosition;   // the point at the predicted pose, world
    FixedVector queryDirection;  // centre of mass to the point, predicted pose
    FixedVector hitPosition;     // where the segment crosses the surface
    Vec3 hitNormal;              // unit, world axes
    WorldTexture* hitSurface = nullptr;  // surface hit; null for bodies and flat ground
    RigidBody* hitBody = nullptr;        // body hit; null otherwise
    Fixed hitDepth;              // 16.16 fraction of queryDirection behind the surface; > 0 on a hit
    std::int32_t areaCode = 0;   // filled by curved surfaces during checkpoint set-up only
};

// A point fixed in a body's frame that meets surfaces.
struct ContactPoint {
    Vec3 local;        // m, body frame
    Vec3 force;        // N, world axes, this sub-step
    Vec3 anchor;       // m, world axes from the body's fixed-point position: friction stick point
    float lastDepth = 0;  // m, penetration in the previous sub-step
    std::uint8_t state = 0;    // 0 free, 1 pressing in, 2 easing out
    std::uint8_t sliding = 0;  // 1 when friction reached its limit in the last sub-step
    std::uint8_t contact = 0;  // 0 none this step, 1 contact, 2 contact with a flagged surface
    ContactQueryRecord query;
    // The contact surface at the start of the step, at its end and now: a
    // point of it (m, from the fixed-point position), its friction factor
    // and its unit normal.
    Vec3 planeStart, planeEnd, plane;
    float frictionStart = 0, frictionEnd = 0, frictionNow = 0;
    Vec3 normalStart, normalEnd, normal;
};

// A triangle of a body that other bodies' points can hit.
struct BodyFace {
    Vec3 localNormal;  // body frame, pointing out of the body
    Vec3 worldNormal;  // at the predicted pose
    ContactPoint* corners[3] = {};  // counter-clockwise seen from outside
};

// Largest numbers of scenery objects one body gathers per step.
constexpr int MaxContactObjects = 64;
constexpr int MaxRadiusObjects = 64;

// The physical body every moving thing shares. Contact is a penalty method:
// each point that found a surface is pushed out by a spring-damper along the
// surface normal and held by a friction spring whose anchor slides at the
// Coulomb limit. Contacts are searched once per 10 ms step at the predicted
// end-of-step pose; forces are integrated in twenty sub-steps.
//
// The operations are virtual in this order (the car overrides all of them).
// There is no virtual destructor: each owner frees its bodies through the
// concrete class.
class RigidBody {
public:
    RigidBody(const RigidBody&) = delete;
    RigidBody& operator=(const RigidBody&) = delete;

    // 0 plain body, 1 car, 2 eight-point body.
    virtual int BodyKind() const = 0;
    // Queries the object's surface for every point whose selector is set:
    // whenAbove for points above the centre of mass, else whenFront for
    // points ahead of it (local y > 0), else whenRear.
    virtual void ContactWorldObject(WorldObject& object, int whenAbove, int whenFront, int whenRear);
    // Tests the points heading towards the other body (offset: other's
    // predicted position less this one's, 16.16) against its faces.
    virtual void CollideWithBody(RigidBody& other, const FixedVector& offset);
    // Contacts with the ground plane z = 0, used when no scenery is near.
    virtual void FlatGroundContacts();
    // Turns the step's query results into contact surfaces.
    virtual void FinishContacts();
    // One step of dt seconds in twenty sub-steps; gravity along z in m/s^2.
    virtual void IntegrateBody(float dt, float gravity);
    // Once per step before the contact pass: collected impulses, predicted
    // pose and the contact queries.
    virtual void PrepareBody(float dt);
    // Folds the step's float displacement into the fixed-point position.
    virtual void CommitBodyMove();

    std::uint8_t movable = 0;  // runs contact passes and reacts when touched
    std::uint8_t awake = 0;    // moves, is integrated, belongs to the active set
    std::uint8_t touched = 0;  // an awake body hit it this step
    std::uint8_t enabled = 0;  // takes part in contacts at all
    std::int32_t restPeriods = 0;  // 100-step periods a knocked object has been loose
    float radius = 0;  // m, farthest contact point from the origin
    float mass = 0;    // kg
    float maxY = 0, minY = 0, maxX = 0, minX = 0;  // m, horizontal extents, body frame
    Vec3 centreOfMass;          // m, body frame
    FloatMatrix inertia;        // kg m^2, body frame, about the centre of mass
    FloatMatrix inverseInertia;
    FixedVector position;       // 16.16, world: the body origin
    FloatMatrix rotation{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    Vec3 displacement;          // m, moved since the last commit
    Vec3 velocity;              // m/s, world
    Vec3 angularMomentum;       // kg m^2/s, world axes, about the centre of mass
    FixedVector predictedPosition;  // 16.16, the pose expected at the end of the step
    FloatMatrix predictedRotation{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    Vec3 force;           // N, this sub-step
    Vec3 torque;          // N m about the origin, this sub-step
    Vec3 impulse;         // N s, collected from outside between two prepare steps
    Vec3 angularImpulse;  // N m s about the origin, likewise
    float stiffness = 0;  // N/m per contact point
    float friction = 0;   // Coulomb factor
    float damping = 0;    // N s/m per contact point
    std::int32_t pointCount = 0;
    ContactPoint* points = nullptr;  // owned
    std::int32_t faceCount = 0;
    BodyFace* faces = nullptr;       // owned
    WorldObject* owner = nullptr;    // the scenery object whose loose copy this is

protected:
    RigidBody() = default;
    ~RigidBody() = default;
};

// A plain body: loose scenery objects. All operations are the base ones.
class PlainBody : public RigidBody {
public:
    int BodyKind() const override { return 0; }
};

// Sets the two flags and the owner; zeroes mass, centre of mass and inertia.
void InitRigidBody(RigidBody& body, int movable, int awake, WorldObject* owner);
// Zeroes everything of a point but its local position.
void InitContactPoint(ContactPoint& point);
// Empties both arrays without freeing them (for arrays owned elsewhere).
void ClearBodyArrays(RigidBody& body);
// Frees both arrays and empties them; harmless on an empty body.
void FreeBody(RigidBody& body);
// Recomputes the four horizontal extents from the points (the box always
// contains the origin).
void UpdateBodyBounds(RigidBody& body);
// Mass, centre of mass, inertia and radius of a thin shell of uniform
// areal density (kg/m^2) over the faces.
void ComputeMassProperties(RigidBody& body, float density);
// Clears motion, forces, impulses and contact state; enabled 1. The pose
// stays; face normals follow the current rotation.
void ResetBody(RigidBody& body);
// The two sub-step helpers: contact forces of every point, and the pose
// moved by velocity and angular momentum over h seconds.
void SolvePointContacts(RigidBody& body, float h);
void AdvanceBodyPose(RigidBody& body, float h);
// Each touching point's surface for a sub-step: a x its value at the start
// of the step + b x its value at the end.
void BlendContactSurfaces(RigidBody& body, float a, float b);
// The contact pass of one body for one step (dt is not used).
void RunBodyContacts(RigidBody& body, float dt, int recordForCar);
// Segment test of the query (P, D) against the target's faces.
void TestPointAgainstFaces(RigidBody& target, const FixedVector& position,
                           const FixedVector& direction, ContactQueryRecord& record);
// Query against the ground plane z = 0.
void FlatGroundContact(ContactQueryRecord& record);
// Whether the other body's predicted position or points reach every side
// of this body's horizontal box (seen from this body's predicted pose).
bool BodyBoxesOverlap(const RigidBody& body, const RigidBody& other);
// Whether the body could reach (x, y) within a second at its closing speed
// (objectRadius in whole metres).
bool BodyWithinReach(const RigidBody& body, Fixed x, Fixed y, int objectRadius);
// out = matrix × vector.
void MatrixTimesVector(const FloatMatrix& matrix, const Vec3& vector, Vec3& out);

// ---------------------------------------------------------------------------
// Eight-point bodies: the nodes of figure skeletons, and poses of a skeleton.

// A node of a figure skeleton: eight contact points, no faces.
class ObjectBody : public RigidBody {
public:
    int BodyKind() const override { return 2; }
};

constexpr int ObjectBodyPointCount = 8;

// Material 18000 N/m, friction 0.5, 250 N s/m; eight cleared points whose
// local positions the figure code sets.
void ConstructObjectBody(ObjectBody& body);
void DestroyObjectBody(ObjectBody& body);

// The nodes of one skeleton and the figure code's joints.
struct ObjectBodySet {
    std::int32_t nodeCount = 0;
    std::int32_t secondCount = 0;      // kept by the figure code
    ObjectBody* nodes = nullptr;       // owned, nodeCount constructed nodes
    // The figure code's joint records (trivially destructible), in storage
    // it allocates with new std::byte[]; freed with the set.
    std::byte* joints = nullptr;
    std::int32_t figureWords[2] = {};  // set by the figure code
};

// One node's pose: 16.16 rotation (row-major) and position. In memory only.
struct ObjectState {
    FixedMatrix rotation;
    FixedVector position;
};

void InitObjectBodySet(ObjectBodySet& set);
// Destroys the nodes and frees both arrays; harmless when already empty.
void FreeObjectBodySet(ObjectBodySet& set);
// Creates nodes for a set of count nodes (constructed, points cleared).
void CreateObjectBodyNodes(ObjectBodySet& set, int count);
// A new array of nodeCount poses (the caller frees it with delete[]).
ObjectState* SnapshotObjects(const ObjectBodySet& set);
void StoreObjectStates(const ObjectBodySet& set, ObjectState* out);
void RestoreObjectStates(ObjectBodySet& set, const ObjectState* in);
// Every node to the blend of poses a and b (t 0 gives a, 1 gives b); the
// rotations are blended entry by entry and not re-orthonormalised.
void InterpolateObjectStates(ObjectBodySet& set, const ObjectState* a, const ObjectState* b, float t);

// ---------------------------------------------------------------------------
// The active body set and the physics step.

constexpr int MaxObjectSetBodies = 80;

// The bodies the simulation moves, in insertion order; the order is part of
// the simulation's result.
struct ObjectSet {
    std::int32_t reportOverflow = 0;  // 1: the next refusal for lack of room is reported
    std::int32_t count = 0;           // 0..MaxObjectSetBodies
    RigidBody* members[MaxObjectSetBodies] = {};
};

// The set of the running race session; null when none. Set and cleared by
// the session.
extern ObjectSet* CurrentObjectSet;
// The car whose contact pass is running; null outside that pass.
extern RigidBody* ContactingCar;
// 1 while a remote car re-runs its missed steps alone: no body-to-body
// collisions then.
extern std::int32_t ResimulatingCar;

// Length of the physics step, s.
constexpr float PhysicsStepSeconds = 0.01f;

void SetCurrentObjectSet(ObjectSet* set);
void ClearCurrentObjectSet();
void ClearObjectSet(ObjectSet& set);
// The set holds exactly the cars of the occupied player slots, in slot order.
void FillObjectSetWithCars(ObjectSet& set);
// Appends without a duplicate test or a prepare step; false when full.
bool AddToObjectSet(ObjectSet& set, RigidBody& body);
// Removes the body keeping the others' order; false when not a member.
bool RemoveFromObjectSet(ObjectSet& set, RigidBody& body);
// Appends a body that is not yet a member and prepares it; false when it
// is a member already or the set is full ("Too many physics objects" is
// shown once per overflow).
bool WakeObject(ObjectSet& set, RigidBody& body);
// WakeObject of other when the two bodies' spheres and boxes overlap at
// their predicted poses; false otherwise.
bool WakeIfTouching(ObjectSet& set, RigidBody& body, RigidBody& other);
// False when an awake member other than the body overlaps it.
bool IsClearOfAwakeBodies(const ObjectSet& set, const RigidBody& body);
// One 10 ms step of the set. drawnAfter is nonzero for the last step before
// a frame is drawn.
void UpdatePhysicsObjects(ObjectSet& set, int drawnAfter);

// ---------------------------------------------------------------------------
// What bodies meet of the loaded world. The physics step asks these
// questions of the current surroundings; the base answers are those of no
// world loaded (gravity -9.81, no wind, no scenery: flat ground at z = 0).
// A loaded world installs its own answers.

// A scenery object that has been knocked out of its place.
struct KnockedObject {
    WorldObject* object = nullptr;
    RigidBody* body = nullptr;  // its collision body
    Fixed x, y;                 // its own placement
    bool withdrawn = false;     // in its second body state
};

// A scenery object that acts as a vertical post on bodies.
struct RadiusPost {
    Fixed x, y;                      // centre
    std::uint8_t contactRadius = 0;  // units of 655/65536 m
};

class BodySurroundings {
public:
    virtual bool IsWorldLoaded() const { return false; }
    virtual float Gravity() const { return -9.81f; }
    // Horizontal wind, m/s.
    virtual Vec3 Wind() const { return {}; }
    // Up to capacity distinct drivable-surface objects of the map squares
    // that the circle (centre, radius) covers whose bounding box overlaps
    // the square of half-side radius around the centre (strictly).
    virtual int CollectContactObjects(const FixedVector&, Fixed, WorldObject**, int) { return 0; }
    // The object's ContainsPoint and ContactQuery operations.
    virtual bool ObjectContainsPoint(WorldObject&, Fixed, Fixed, Fixed) { return false; }
    virtual void ObjectContactQuery(WorldObject&, const FixedVector&, const FixedVector&,
                                    ContactQueryRecord&) {}
    // Up to capacity distinct radius objects of the map squares that the
    // square of half-side halfSide around the centre covers whose own
    // square overlaps it.
    virtual int CollectRadiusPosts(const FixedVector&, Fixed, RadiusPost*, int) { return 0; }
    // A world texture's flags byte and surface kind.
    virtual int SurfaceFlags(const WorldTexture&) const { return 0; }
    virtual int SurfaceKind(const WorldTexture&) const { return 0; }
    // The collision bodies of solid objects linked in the object cells that
    // the circle covers (may repeat a body).
    virtual int CollectCellBodies(const FixedVector&, float, RigidBody**, int) { return 0; }
    // A scenery body came to rest: link its owner into the object cells at
    // its new place.
    virtual void OnOwnerResting(RigidBody&) {}
    // A scenery body was knocked loose: mark its owner displaced and unlink
    // it from the object cells.
    virtual void OnOwnerKnocked(RigidBody&) {}
    // The celled solid objects that are displaced and have a collision body.
    virtual int KnockedObjectCount() { return 0; }
    virtual bool GetKnockedObject(int, KnockedObject&) { return false; }
    // Rebuild the collision body at the object's placement, link it into the
    // cells, clear its displaced and second body states.
    virtual void RestoreKnockedObject(WorldObject&) {}
    // Second body state on; unlink from the cells when asked.
    virtual void WithdrawKnockedObject(WorldObject&, bool /*unlinkFromCells*/) {}
    // The loaded layout has a start position.
    virtual bool LayoutHasStartPosition() const { return false; }

protected:
    ~BodySurroundings() = default;
};

// The surroundings the physics step asks; never null (the no-world answers
// when nothing else is installed). Lives for the whole run.
BodySurroundings& GetBodySurroundings();
// Installs a world's answers; null restores the no-world answers.
void SetBodySurroundings(BodySurroundings* surroundings);

// ---------------------------------------------------------------------------
// Car classes and the engine (car_class.cpp, engine*.cpp).
//@@ engine
//
// Every car's engine is described by a few numbers (displacement,
// cylinders, boost, tuning factors) from its car data; SetUpEngine derives
// the torque curve, friction, inertia and limits from them and the car's
// class. The engine and clutch are stepped every sub-step. Engine files
// "data\engine\%s.eng" carry the same description and the engine's sound
// (sound values and recorded waves); a car takes only the sound from them.
// Speeds are rad/s, torques N m, powers W, displacement cm^3.

// One row of the class table: what the engine model, the setup limits, the
// mass model, the pits and the engine sound take from the class.
struct CarClass {
    const char* name;
    float wheelDriveMassFactor;  // drive mass per wheel, × engine mass
    int32_t driveOverride;       // drive axles forced on the car; 4 keeps the car's own
    uint8_t rearAxleFixed;       // 1: rear axle locked and straight
    uint8_t frontBrakes;         // 0: all braking at the rear
    uint8_t minGearCount, maxGearCount;  // forward gears + reverse + neutral
    uint8_t altEngineSound;      // the mixer's alternative engine treatment
    uint8_t classFlag;
    uint8_t minCylinders, maxCylinders;
    float minDisplacement, maxDisplacement;  // cm^3
    float speedScale;            // scales the peak-torque speed
    float frictionFactor;        // friction per cm^3 and cm^3 per cylinder
    float inertiaFactor;
    float torquePerCc;           // N m per cm^3 at the peak
    float turboInertiaFactor;
    float refuelRate;
    float tankSizeFactor;
    float idleSpeed;             // rad/s
};
constexpr int CarClassCount = 12;
// Indexed by class number (the car data reader accepts 0 to 11 only).
// Constant for the whole run.
extern const CarClass CarClassTable[CarClassCount];

// The engine's sound definition, copied whole into and out of the
// engine-sound editor.
constexpr int EngineSoundValueCount = 29;
struct EngineSoundParams {
    char name[32] = {};  // the engine file's name; empty for the car's own
    // Exhaust pipe tone, tone variation, silencers, unevenness, exhaust
    // pulse tone, off-power tone and volume, idle volume boost, turbo
    // recorded rpm, turbo volume and muffler, dump valve volume and muffler,
    // gear whine recorded rpm, volume and muffler, air intake volume and
    // muffler, gear shift volume and muffler, starter volume and muffler,
    // exhaust volume, cockpit muffling, wind and skid volume, header,
    // collector and tail mix: in this order (SetDefaultEngineParams).
    float values[EngineSoundValueCount] = {};
    uint8_t extra[4] = {6, 12, 0, 0};  // kept at these values; no file carries them
};

// One recorded sound wave: exhaust pulse 0, turbo 1, gear whine 3, air
// intake 4, dump valve 5, gear shift 6, starter 7 (2 unnamed). Its file
// form and its reading and writing belong to the sound devices
// (ReadWaveShape, WriteWaveShape, FreeWave).
struct EngineWave {
    uint8_t type = 0;
    int32_t count = 0;
    float* samples = nullptr;  // count samples, owned; null when empty
};
constexpr int EngineWaveCount = 8;

// EngineRecord::flags.
enum : int32_t {
    EngineTurbo = 1,          // turbocharged
    EngineAltFiring = 2,      // the other firing order of a V8
    EngineHasRevRange = 4,    // rev-range factor and maximum speed were read
    EngineHasSubVersion = 8,  // the sub-version byte was read
};

// The engine of one car: description, derived curve and limits, running
// state and sound. Lives inside its car; InitEngineData clears it.
struct EngineRecord {
    int32_t flags = 0;
    int32_t soundChannelMask = -1;  // bit n: sound channel n plays
    float frictionCoeff = 0;   // quadratic friction coefficient (derived)
    float inertia = 0;         // kg m^2 (derived)
    float idleSpeed = 0;       // from the class
    float displacement = 0;    // cm^3
    int32_t cylinders = 0;
    int32_t layout = 0;        // 0 inline, 1 flat, 2 V
    float boost = 0;           // bar, 0..3
    float torqueFactor = 0;    // scales the peak torque
    float revRangeFactor = 0;  // scales the width of the torque curve
    float couplingStiffness = 0;  // N m/rad between crank and clutch side (derived)
    float driveRatio = 0;      // total ratio written by the car step; 0 in neutral
    int32_t clutchSlipping = 0;
    float clutchTorque = 0;    // carried this sub-step
    float peakTorque = 0;      // derived
    float maxSpeed = 0;        // rev limit; above it the engine is damaged
    float peakSpeedFactor = 0;
    float inertiaFactor = 0;
    float peakTorqueSpeed = 0;   // derived
    float torqueCurveWidth = 0;  // derived
    float turboPowerRef = 0;     // derived
    float turboInertia = 0;      // derived
    float turboDrag = 0;         // derived
    float maxPower = 0, maxPowerSpeed = 0;    // derived by scanning the curve
    float maxTorque = 0, maxTorqueSpeed = 0;  // derived by scanning the curve
    float clutchCapacity = 0;  // N m (derived)
    float health = 0;          // 1 new; falls with over-revving
    float clutchHeat = 0;      // 0 cold .. 1
    float clutchPedal = 0;     // 0 engaged .. 1 pressed (set by the car step)
    float clutchAngle = 0;     // rad
    float speed = 0;           // rad/s
    float smoothedSpeed = 0;   // filtered at 20 per second
    float throttle = 0;        // air-flow fraction set by the car step
    float crankAngle = 0;      // rad, within ±32π
    int32_t running = 0;
    int32_t spare[2] = {};     // cleared with the running state
    float turboSpeed = 0;      // rad/s
    float manifoldPressure = 0;  // gauge, bar
    float boostNow = 0;        // bar
    uint8_t firingOrder[12] = {};
    EngineSoundParams soundParams;
    EngineWave waves[EngineWaveCount];
};

// Highest engine sub-version read; files are written with it.
constexpr int EngineSubVersion = 12;
// Engine files: magic and version.
constexpr const char* EngineFileMagic = "QVNENG";
constexpr int EngineFileVersion = 251;

// Zeroes the record (wave arrays are forgotten, not freed); channel mask -1.
void InitEngineData(EngineRecord& engine);
// Frees the sample arrays of the eight waves.
void ReleaseEngineSounds(EngineRecord& engine);
// The sound values' defaults (the name is left alone).
void SetDefaultEngineParams(EngineSoundParams& params);
// A 2800 cm^3 four-cylinder engine with default sound, at rest and repaired.
void SetDefaultEngine(EngineRecord& engine);
// Running state to rest; throttle 0.05.
void ResetEngineState(EngineRecord& engine);
// Health 1, clutch cold.
void RepairEngine(EngineRecord& engine);
// Running; a speed below a quarter of idle is raised to it. Returns 1 when
// it raised the speed.
int StartEngine(EngineRecord& engine);
void StartEngineAtIdle(EngineRecord& engine);
void StopEngine(EngineRecord& engine);
// Full-throttle torque and friction torque at an engine speed.
float EngineTorqueAt(const EngineRecord& engine, float speed);
float EngineFrictionAt(const EngineRecord& engine, float speed);
// Derives the curve, limits, clutch and firing order from the description
// and the class; the description is clamped to the class's ranges.
void SetUpEngine(EngineRecord& engine, const CarClass& carClass);
// One sub-step of an engine turning by itself (neutral, or the clutch at
// least half pressed). Returns the net torque; power and revCut are set.
float StepEngineFree(EngineRecord& engine, float dt, float& power, float& revCut);
// One sub-step of an engine locked to the drivetrain, which sets its speed.
void StepEngineCoupled(EngineRecord& engine, float dt, float& power, float& revCut);
// The clutch, every sub-step before the engine step.
void StepClutch(EngineRecord& engine);
// Once per step for cars that are not simulated.
void CoolClutch(EngineRecord& engine);

// Rev counter: top mark, step between numbers and number of marks.
struct RevCounterScale {
    int top = 0, step = 0, marks = 0;
};
void GetRevCounterScale(const EngineRecord& engine, RevCounterScale& scale);
// Outer size of the engine block in m; swapped: the engine lies across.
void GetEngineBlockSize(const EngineRecord& engine, int swapped, Vec3& size);
// kg.
float GetEngineMass(const EngineRecord& engine);

// Reads the engine description (the same header is part of the car data).
// The description goes into engine, the body (waves and sound values) into
// target, unless headerOnly stops after the description of a stream of
// sub-version above 7. Returns 1, or 0 with a message when the stream is
// bad; what was read so far stays.
int ReadEngine(EngineRecord& engine, DataFile& reader, int version, EngineRecord& target,
               int headerOnly);
// Writes the engine description alone (sub-version 12, no waves or sound
// values): the form car data holds and ReadEngine reads with headerOnly.
void WriteEngineHeader(DataFile& writer, const EngineRecord& engine);
// Writes the whole engine file (sub-version 12); waves 1 and 5 are emptied
// first when the engine has no turbo. Returns 1 when saved.
int SaveEngineFile(EngineRecord& engine, const char* path, Screen* screen);
// Opens an engine file and reads it: the description into scratch, the
// sound into target. Returns 1 or 0.
int OpenEngineFile(EngineRecord& scratch, const char* path, Screen* screen, EngineRecord& target);
// The sound of a car's engine: the driver's chosen engine file for the car
// when set and readable (its name then becomes the sound's name; a failed
// one is cleared from the profile), else "data\engine\<code>_default.eng".
// Returns 1 when a file was read.
int LoadEngineFile(EngineRecord& engine, const char* carCode);

// ---------------------------------------------------------------------------
// Grip, car structure records and setups (grip.cpp, car_records.cpp,
// setup*.cpp).
//@@ car-setup
//
// A tyre's grip on a surface comes from its compound and the surface kind.
// A car's mass model is built from the structure points, bars and mass
// boxes its car data carries. A setup is the 120-byte record of everything
// a driver may adjust; the same record lives in setup files
// "data\setups\<code>_<name>.set", in the car data's built-in list, in
// player records and in packets.

constexpr int TyreCompoundCount = 8;
constexpr int SurfaceKindCount = 17;
// The surface kind of a contact that hit no world surface.
constexpr int NoSurfaceKind = 13;
// Friction factor of compound c (0..7, the setup's tyre type) on surface
// kind k (0..16): GripTable[c][k]. Callers keep both in range. Constant
// for the whole run.
extern const float GripTable[TyreCompoundCount][SurfaceKindCount];

// What the tyre model takes from a compound.
struct TyreCompound {
    float stiffnessFactor;   // scales the tyre stiffness with the tyre width
    float optimumTempC;      // optimum tread temperature, degrees C
    float heatingFactor;
    float wearFactor;
};
// Indexed by compound 0..7. Constant for the whole run.
extern const TyreCompound CompoundTable[TyreCompoundCount];

// A point of a car's structure, as the car data stores it (20 bytes).
struct StructurePoint {
    int32_t x = 0, y = 0, z = 0;  // 16.16 m, car frame
    float value = 0;              // the point's size (set by the mass model)
    int16_t kind = 0;
    uint8_t flagA = 0;  // 1, 2, 3: the arm pivot, upper link pivot, swing arm top of an axle
    uint8_t flagB = 0;
};
// A bar of mass between two structure points. Negative indices are
// markers; a bar from a point to itself runs to the point's mirror image.
struct StructureBar {
    int16_t pointA = 0, pointB = 0;
    float value = 0;     // kg/m, held within 0.5..40 (0 when the bar is raw)
    float rawValue = 0;  // the stored value, unchanged, when flag bit 1 is set
    float spare = 0;
    int32_t flags = 0;   // bit 0 marks both points; bit 1 keeps the value raw
};
constexpr int StructureBarRawFlag = 0x2;
// A box of mass; in memory only.
struct MassBox {
    float mass = 0;   // kg
    Vec3 centre;      // m
    Vec3 halfSize;    // m
    int32_t word = 0;
};

void ReadStructurePoint(StructurePoint& point, DataFile& reader);
void ReadStructureBar(StructureBar& bar, DataFile& reader);
// Stores the value held within 0.5..40.
void ClampBarValue(StructureBar& bar, float value);
void InitMassBox(MassBox& box, float mass, const Vec3& centre, const Vec3& halfSize, int32_t word);

// Setups. Ratios (gears, final drive) are stored as v and mean
// 0.5 + 7 v / 65535. Angles: toe (v - 9) / 10 degrees, camber (v - 45) / 10
// degrees, caster v / 10 degrees.
struct SetupAxle {
    float rideHeightReduction = 0;  // m
    float spring = 0;               // N/m
    float bumpDamping = 0;          // N s/m
    float reboundDamping = 0;       // N s/m
    float antiRoll = 0;             // N/m
    float spare = 0;                // always 0
    uint8_t toe = 0;                // 0..18, 9 straight
    uint8_t caster = 0;             // tenths of a degree, 0..240
    uint8_t tyreType = 0;           // 0..7
    uint8_t zero27 = 0;
    uint8_t camberLeft = 0;         // 0..90, 45 upright
    uint8_t camberRight = 0;
    uint8_t zero30 = 0;
    uint8_t preload = 0;            // tens of N m, 0..80
    uint8_t diffType = 0;           // 0 open, 1 locked, 2 viscous, 3 clutch pack
    uint8_t viscousTorque = 0;      // 1..20
    uint8_t powerLocking = 0;       // %, 10..80
    uint8_t coastLocking = 0;       // %, 10..80
    uint16_t pressureLeft = 0;      // kPa above atmospheric
    uint16_t pressureRight = 0;
};
static_assert(sizeof(SetupAxle) == 40);

// CarSetup::flags.
constexpr uint8_t SetupSymmetric = 0x01;  // right-side values follow the left
constexpr uint8_t SetupTcOff = 0x02;      // traction control switched off
constexpr uint8_t SetupCurrentForm = 0x80;

// The 120-byte setup; its memory layout is its stored layout (little-endian).
struct CarSetup {
    uint8_t flags = 0;
    uint8_t carried1 = 0;
    uint8_t addedMassPosition = 0;  // % towards the front, 0..100
    uint8_t carried3 = 0;           // 0..6
    float maxBrakeTorque = 0;       // N m per wheel
    uint8_t rearWing = 0;           // degrees, 0..30
    uint8_t frontWing = 0;
    uint8_t addedMass = 0;          // kg, 0..200
    uint8_t intakeRestriction = 0;  // %, 0..50
    uint8_t maxLock = 0;            // degrees, 9..45
    uint8_t parallelSteer = 0;      // %, 0..100
    uint8_t brakeBalance = 0;       // % front, 5..95
    uint8_t engineBrakeReduction = 0;  // %, 0..100
    uint8_t centreDiff = 0;         // 0 open, 1 viscous
    uint8_t centreViscous = 0;      // 1..20
    uint8_t zero18 = 0;
    uint8_t frontTorqueSplit = 0;   // %, 5..95
    uint16_t gears[7] = {};         // first to seventh
    uint16_t finalDrive = 0;
    uint8_t passengers = 0;         // 2-bit fields: front, rear left, rear middle, rear right
    uint8_t bodyOption = 0;         // index into the car's option list
    uint8_t tcSlip = 0;             // tenths of a %, 20..100
    uint8_t tcMinSpeed = 0;         // m/s, 5..20
    SetupAxle axles[2];             // rear, front
};
static_assert(sizeof(CarSetup) == 120);

// A car has at most this many body options (car data and setups).
constexpr int MaxBodyOptions = 16;

// A built-in setup of a car.
constexpr int SetupNameLength = 16;
struct NamedSetup {
    char name[SetupNameLength] = {};
    CarSetup setup;
};

constexpr const char* SetupFileMagic = "ZKSETT";
constexpr int SetupFileVersion = 251;
// Older files are refused.
constexpr int OldestSetupFileVersion = 248;
// The newest setup sub-version; a higher one is refused.
constexpr int SetupSubVersion = 2;

// The setup chosen by the race setup and garage screens: a built-in index,
// or -1 with the name of a setup file. Live for the whole run; cleared by
// ResetVehicleTables.
extern int32_t ChosenSetupIndex;
extern char ChosenSetupName[32];

// A ratio byte pair decoded: 0.5 + 7 v / 65535.
float DecodeSetupRatio(uint16_t v);
// Applies the limits every loaded setup is held to, then MatchSetupSides
// when the symmetric flag is set.
void ClampSetup(CarSetup& setup);
// In both axle blocks the right camber and pressure take the left ones.
void MatchSetupSides(CarSetup& setup);
// 1 when the 120 bytes differ, else 0.
int SetupsDiffer(const CarSetup& a, const CarSetup& b);
// Axle blocks whose tyre type is 6 or 7 (hybrid, knobbly).
int CountSpecialTyres(const CarSetup& setup);
// Writes a setup file; 1 when saved, 0 otherwise (the old file stays).
int SaveSetup(const CarSetup& setup, const char* path);
// Reads a setup file of version 248 to 251; 1, or 0 with the load-error
// message (the record is then unchanged).
int LoadSetup(CarSetup& setup, const char* path);
// Reads the setup stream of a file or car data of the given version; the
// fields an older form lacks keep what the record held. 1, or 0 when the
// sub-version is unknown or the stream ends early.
int ReadSetup(CarSetup& setup, DataFile& reader, int version);
// The 16-character name, then ReadSetup.
int ReadNamedSetup(NamedSetup& named, DataFile& reader, int version);
// Writes the stream form that ReadSetup reads at the newest version.
void WriteSetup(const CarSetup& setup, DataFile& writer);
void WriteNamedSetup(const NamedSetup& named, DataFile& writer);
// Loads the chosen setup file of the car into setup. Returns 1 when a
// chosen file failed to load (the choice then falls back to built-in
// setup 0), else 0: with a built-in setup chosen, the record is zeroed for
// the caller to fill.
int LoadCarSetupFile(CarSetup& setup, const char* carCode);

// ---------------------------------------------------------------------------
// The car: wheels, axles, aero points, the damage record, the car object,
// car data files and applying a setup (car_object*.cpp, car_data*.cpp,
// apply_setup*.cpp).
//@@ car-object
//
// A car is a rigid body (kind 1) built from its car data "data\veh\<code>.veh":
// class, drive layout, gearbox, engine description, built-in setups and
// colours, the positions of engine, seats, tank and extra mass, a structure
// of mass points and bars, wheels, axles, body model and aero points. The
// current setup turns it into the physical car: axles, wheels, aero points,
// engine and the mass model. Car frame: x right, y forward, z up; axle 0 is
// the rear axle, axle 1 the front axle.

struct ObjectModel;       // world: a 3D model
class CarModelTables;     // world: the tables that follow a car's body model
struct MeshNode;          // world: a drawable mesh built from a model
struct PathFollower;      // world: a car's place on the current path
struct Path;              // world: a configuration's path of nodes
struct AnimHolder;        // world: a driver-movement animation

constexpr int TyreSegmentCount = 16;
// Air pressure the tyre pressures are measured from, Pa.
constexpr float AtmosphericPressure = 101387.56f;

// One of the 16 tread segments round a tyre.
struct TyreSegment {
    float treadDepth[3] = {};   // m: inner, middle, outer strip
    float treadHeat[3] = {};    // J, the bulk of the tread
    float surfaceHeat[3] = {};  // J, the running surface
    float sidewallHeat[2] = {}; // J
    float dirt = 0;             // 0..0.16
};

// What the contact pass found under a wheel (its ground probe) or at its
// side (the rim probe): the car's contact finishing fills it, the tyre model
// reads it. Points are metres from the car's 16.16 position in world axes.
struct WheelContact {
    uint8_t touching = 0;        // the probe met a surface this step
    uint8_t kind = 0;            // side probe: 1 plain, 2 flagged surface
    Vec3 point, previousPoint;   // a point of the contact plane
    Vec3 normal{0, 0, 1}, previousNormal{0, 0, 1};
    float depth = 0, previousDepth = 0;
    FixedVector position;        // 16.16, world: the hit point
    RigidBody* body = nullptr;   // the body hit, or null
    WorldTexture* surface = nullptr;  // the world texture hit, or null
    float grip = 1, previousGrip = 1;
    float frictionFactor = 1;    // side probe: the rim's friction factor
    // Wheel-model fields (tyres): add below.
    // Contact-pass fields (car contacts): add below.
    // The step's found contact; the sub-steps blend point, normal and depth
    // from the previous values towards these.
    Vec3 endPoint;
    Vec3 endNormal{0, 0, 1};
    float endDepth = 0;           // m, how far the probe's end lies behind the surface
};

// The eighteen words that say what a car's driver does this 10 ms step.
struct CarInputs {
    uint16_t words[18] = {};  // the table of word meanings is with the controls
};

// A wheel with its suspension, tyre state and damage. Lives with its car.
struct Wheel {
    float mountHeight = 0;      // m, suspension point height
    float springRate = 0;       // N/m
    float bumpDamping = 0;      // N s/m
    float reboundDamping = 0;   // N s/m
    float wheelInertia = 0;     // kg m^2
    float toe = 0;              // rad, within ±pi/8
    float maxTravel = 0;        // m
    float wheelMass = 0;        // kg, unsprung
    float frictionLimit = 0;    // N
    float side = 0;             // +1 right, -1 left, 0 centre
    float rimHeat = 0, airHeat = 0;  // J
    float coldPressure = 0;     // Pa above atmospheric
    float airMass = 0;          // kg
    TyreSegment segments[TyreSegmentCount];
    float stripLoad[3] = {};
    uint8_t displayTemperature[7] = {};  // 0..63 for 293.15..473.15 K: 3 strips, air, 2 sidewalls, rim
    uint8_t wearLevel[3] = {};           // 0..7, 7 new
    uint8_t dirtLevel = 0;               // 0..7
    int32_t axleIndex = 0;      // 0 rear, 1 front
    int32_t slot = 0;           // axle × 2 + (side == +1)
    Vec3 dataPosition;          // m, from the car data
    Vec3 mountPosition;         // m, the current suspension point
    int32_t suspensionType = 0; // 0..5
    float restArmAngle = 0;     // rad (types 3, 4)
    Vec3 pivotA, pivotB, pivotC;  // m, the axle's mounting points times the side
    Vec3 linkVector;
    Vec2 armDirection;
    float wheelCentreX = 0;     // m
    Vec3 steerAxis, spinAxis, hubOffset, travelAxis, hubPoint;
    float failLoad = 0, failRate = 0, bendLoad = 0, bendRate = 0;
    float travelLoss = 0;       // m, at most 0.03 × tyre radius
    float upperLinkLoss = 0;    // m
    float armLoss = 0;          // m
    float toeLoss = 0;
    uint8_t damageState[4] = {};  // travel, upper link, arm, toe: 0 none, 2 damaged, 3 at the limit
    uint8_t flat = 0;
    uint8_t moreStates[3] = {};
    uint8_t driven = 0;
    int32_t surfaceKind = 0;    // 0..16
    float steerAngle = 0;       // rad
    float spinAngle = 0;        // rad
    float peakSlip = 1, curveSlip = 1;
    float pressure = 0;         // Pa above atmospheric
    float spinRate = 0, spinStep = 0;
    float travel = 0, travelRate = 0;
    float springOffset = 0, wheelTorque = 0;
    float brakeTorque = 0;      // N m, this wheel's maximum
    int32_t stateWord = 0;
    WheelContact ground, rim;   // filled by the car's contact finishing
    // -- Tyre contact state (tyre forces): add fields below.
    Vec3 wheelForce;            // N, world axes: all that acts on the wheel this (sub-)step
    Vec3 contactForward;        // unit, world: rolling direction in the ground plane
    Vec3 contactLateral;        // unit, world: forward x ground normal
    float camber = 0;           // spin axis . ground normal
    Vec3 patchPoint;            // m from the car's position, world axes
    Vec3 patchDisplacement;     // m, world: the patch's deflection from the tread at the last (sub-)step
    Vec3 previousCentre;        // m from the car's position: the tyre's lowest point at the last (sub-)step
    Vec3 dragAnchor;            // m, where a loose surface holds the wheel back
    Vec3 rimAnchor;             // m, the rim contact's friction anchor
    Vec3 rimForce;              // N, world
    float rimDepth = 0;         // m, the rim's penetration at the last (sub-)step
    float load = 0;             // N along the ground normal
    float springLoad = 0;       // N, the inflated carcass's share of the load
    float tyreDeflection = 0;   // m, the tyre pressed in radially
    float longitudinalDeflection = 0, lateralDeflection = 0;  // m, the tread's shear in the patch
    float contactWidth = 0;     // m, 0 off the ground
    float patchLength = 0;      // m, 0 when bottomed out
    float gripFactor = 0;       // temperature, load spread, dirt and pressure together
    float frictionCoefficient = 0;  // the curve's value at the current slip
    float combinedSlip = 0;     // slip ratio and angle together
    float slipDisplay = 0;      // 0..2 peakSlip, what displays, sounds and marks read
    float slide = 0;            // m slid this (sub-)step
    uint8_t touching = 0;       // the tread touches the ground
    uint8_t rimTouching = 0;    // the rim touches a surface
    // -- Drivetrain per wheel (drive torque, anti-roll force...): add below.
    float driveTorque = 0;      // N m, what the differential sends this (sub-)step
    // -- Car step per wheel (probes, skid marks, particles): add below.
    // The ground probe runs down the car's down axis from above the hub;
    // the side probe runs out along the wheel's axle to the rim's side.
    ContactQueryRecord groundProbe, sideProbe;
    float probeReach = 0;         // m, length of the ground probe
    float probeCountdown = 0;     // m, distance left before a wider search
    // Skid mark: 0 ended, 1 ready, 2 running (skidSegment is its last segment).
    uint8_t skidState = 0;
    int32_t skidSegment = -1;
    FixedVector lastMarkPoint;    // 16.16, world
    int32_t particleCounter = 0;  // steps of smoke or dust, 0..4 p
};

// Damage state byte values.
constexpr uint8_t DamageNone = 0, DamageSome = 2, DamageAtLimit = 3;

// Wheel record operations (the tyre forces and heat exchange are the car
// step's).
void InitWheel(Wheel& wheel);
void ResetWheel(Wheel& wheel);
void ResetWheelDamage(Wheel& wheel);
void ReadWheelPosition(Wheel& wheel, DataFile& reader);
void FailSuspension(Wheel& wheel);
// True when flat, or a strip's wear level is at most round((100 - percent) × 0.07).
bool IsTyreWorn(const Wheel& wheel, int percent);

// One axle: the tyre and suspension values both its wheels share.
struct Axle {
    uint8_t present = 0;  // both side wheels exist
    uint8_t solid = 0;    // driven with a locked differential
    Wheel* leftWheel = nullptr;
    Wheel* rightWheel = nullptr;
    float tyreWidth = 0;       // m
    float sidewallRatio = 0;
    float rimRadius = 0;       // m
    float rimWidth = 0;        // m
    int32_t suspensionType = 0;  // 0..5
    float maxHeight = 0;       // m
    float casterAngle = 0;     // rad
    float kingpinInclination = 0;  // rad
    float armAngleOffset = 0;  // rad
    float wheelOffset = 0;     // m
    float trackWidth = 0;      // m
    float armLength = 0;       // m
    float upperLinkLength = 0; // m
    float kingpinHalfLength = 0;  // m
    int32_t tyreType = 0;      // fitted compound 0..7
    float brakeTorque = 0;     // N m, the axle's share
    FixedVector mountA, mountB, mountC;  // 16.16: upper link pivot, arm pivot, swing arm top
    int32_t bikeTyre = 0;
    float tyreRadius = 0;      // m
    float profileRadius = 0;   // m
    float treadWidth = 0;      // m
    int32_t drawRadius = 0, drawWidth = 0;
    float rimVolume = 0;       // m^3
    float airVolume = 0;       // m^3
    float treadHeatFactor = 0; // m^2
    float sidewallHeatFactor = 0;  // m^2
    float pressureStiffness = 0, radialStiffness = 0, tyreDamping = 0;
    void* tyreModels[2] = {};  // drawing's rim models
};

// AeroPoint::flags.
constexpr int32_t AeroPresent = 1;
constexpr int32_t AeroFrontLoadToWheels = 2;
constexpr int32_t AeroRearLoadToWheels = 4;

// A point where the air acts: 0 rear wing, 1 front wing, 2 and 3 body.
// The wake that a car leaves in the air, set by its prepare step; a
// following car inside it finds the slipstream.
struct CarWake {
    Vec3 originVelocity;  // m/s, the car's velocity
    Vec3 trailing;        // unit, along the relative wind behind the car
    float halfWidth = 0;  // m
    float farEnd = 0;     // m, positive, behind the car
    float nearEnd = 0;    // m, negative, ahead of the car
};

struct AeroPoint {
    int32_t flags = 0;
    float wingAngle = 0;     // rad
    float liftFactor = 0, dragFactor = 0, sideDrag = 0;  // from the car data
    float lift = 0, drag = 0;  // current coefficients
    float slipstreamShare = 0;
    Vec3 position;           // m, car frame
    Vec3 force, wheelShare, airVelocity;
};
void ResetAeroPoint(AeroPoint& point);
void ClearAeroPoint(AeroPoint& point);
void SetBodyAeroPoint(AeroPoint& point, const FixedVector& position);
void SetWingAeroPoint(AeroPoint& point, const FixedVector& position, float angleDegrees);

// The 56-byte record that carries a car's damage and tyre state between
// computers.
constexpr int DamageRecordSize = 56;
struct DamageRecord {
    uint8_t bytes[DamageRecordSize] = {};
};

// A body option of the car data: name and a value.
struct BodyOption {
    char name[12] = {};
    int32_t value = 0;
};

// A light switch of a car: its state and the values it writes to up to
// four targets (such as the emissive levels of the lamp materials).
struct CarLightSwitch {
    int32_t state = 0;
    float offValue = 0, onValue = 1;
    float* targets[4] = {};
};
// Switches: brake lights (or a class 10 car's pit limiter lamp), two
// headlight switches, left and right indicators, two spare, reversing lights.
constexpr int CarLightSwitchCount = 8;
constexpr int BrakeLightSwitch = 0, HeadlightSwitch = 1, HeadlightSwitch2 = 2, LeftIndicatorSwitch = 3,
              RightIndicatorSwitch = 4, ReverseLightSwitch = 7;
constexpr int MaxTouchedObjects = 16;
constexpr int SkinNameLength = 16;

// Largest wheel count: the damage record, position packets and wheel slots
// hold four.
constexpr int MaxCarWheels = 4;
constexpr int DashboardLayoutSize = 80;
constexpr int MaxCarImpacts = 16;
constexpr int CarInputCount = 18;
constexpr uint16_t SteeringCentre = 32768;
constexpr uint16_t NoHShifterGear = 255;
// Largest counts a car data file may give (beyond them the file is refused).
constexpr int MaxCarSetups = 64;
constexpr int MaxCarColours = 64;
constexpr int MaxStructurePoints = 4096;
constexpr int MaxStructureBars = 8192;

// A car has twelve light records (lamps).
constexpr int CarLightCount = 12;
// A car's shape before its first impact, kept so that impacts can be
// undone exactly: the contact points, the body model's points and the
// positions of the model's parts.
struct CarShapeCopy {
    int32_t contactCount = 0;
    Vec3* contacts = nullptr;            // owned
    int32_t modelPointCount = 0;
    FixedVector* modelPoints = nullptr;  // owned
    int32_t partCount = 0;
    FixedVector* partOffsets = nullptr;  // owned
};

class CarObject final : public RigidBody {
public:
    CarObject() = default;
    int BodyKind() const override { return 1; }
    // The car's body operations: the wheels' probes join the contact pass,
    // the step is StepCar, the commit keeps the distance and fuel report.
    void ContactWorldObject(WorldObject& object, int whenAbove, int whenFront, int whenRear) override;
    void CollideWithBody(RigidBody& other, const FixedVector& offset) override;
    void FlatGroundContacts() override;
    void FinishContacts() override;
    void IntegrateBody(float dt, float gravity) override;
    void PrepareBody(float dt) override;
    void CommitBodyMove() override;

    // Identity.
    int32_t dataFlags = 0;
    int32_t carClass = 0;       // 0..11
    char familyCode[4] = {};
    char shortCode[4] = {};
    int32_t remote = 0;         // 1 while driven by another computer or a replay
    int32_t plateIndex = -1;
    char plateText[8] = {};
    // Race state.
    int32_t lapTimeState = -1;
    int32_t lapCount = 0;
    float odometer = 0;          // m
    uint8_t tcCopy = 0;
    uint8_t lastCheckpoint = 255;
    uint8_t raceBytes[2] = {255, 255};
    int32_t requestField = 0;
    uint8_t pitCountdown = 3;
    uint8_t freshlyPlaced = 0, held = 0, oneFullStep = 0;
    FixedVector resetPosition;
    CarResultState result;
    // Engine.
    EngineRecord engine;
    // Drive and fuel.
    float fuel = 0;             // litres
    Vec3 fuelTankHalfSize;      // m
    Vec3 enginePosition, driverSeat, rearSeat, fuelTankPosition, extraMassPosition, spareWheelPosition;
    float extraMass = 0;        // kg
    float spareWheelAngle = 0;
    float steeringRatio = 0, steeringValues[2] = {};
    float steeringLimit = 0;    // rad
    float frontHubLead = 0;     // m
    float engineMass = 0, tankMass = 0, fuelCapacity = 0;  // kg, kg, litres
    float structureMass = 0, wheelMassSum = 0, occupantMass = 0, seatMass = 0, wheelDriveMass = 0;
    float dryMass = 0;          // kg
    float gearTimings[3] = {};  // s
    int32_t tractionControl = 0;
    // Dashboard.
    uint8_t dashboardType = 0, dashboardLength = 0, dashboardBytes[2] = {};
    uint8_t dashboardLayout[DashboardLayoutSize] = {};
    // Inputs, aero sums, structure.
    CarInputs inputs;
    float dragSum = 0, liftSum = 0, dragFactorSum = 0, liftFactorSum = 0;
    int32_t structurePointCount = 0;
    StructurePoint* structurePoints = nullptr;  // owned
    int32_t structureBarCount = 0;
    StructureBar* structureBars = nullptr;      // owned
    // Setups and colours.
    int32_t setupCount = 0;
    NamedSetup* setups = nullptr;     // owned
    int32_t setupIndex = 0;           // -1: the setup is held by the caller
    CarSetup* setup = nullptr;        // the current setup
    int32_t colourCount = 0;
    ColourConfig* colours = nullptr;  // owned
    void* ownerRecord = nullptr;
    int32_t colourIndex = 0;
    ColourConfig* colour = nullptr;
    // Body options.
    int32_t optionCount = 1;
    BodyOption options[MaxBodyOptions];
    uint8_t openRoof = 0;
    // Gearbox.
    uint8_t rearAxleFixed = 0;
    int32_t gearboxKind = 0;      // 1..5
    int32_t gearCount = 7;        // forward gears + 2
    float gearRatios[9] = {};     // reverse, neutral, first..seventh
    float frontTorqueSplit = 0;
    float finalDrive = 0;
    float largerHalfWidth = 0;    // m
    // Motion results.
    float speed = 0;              // m/s
    int32_t gear = 1;             // 0 reverse, 1 neutral, 2.. forward
    int32_t gearTarget = 1;
    uint8_t lights[4] = {};
    // Chassis.
    int32_t wheelCount = 0;
    Wheel* wheels = nullptr;      // owned
    uint8_t driveAxles = 3;       // bit 0 rear, bit 1 front
    int32_t drivenWheels = 0;
    float driveEfficiency = 0;
    float torqueShare[2] = {};
    float wheelbase = 0;          // m
    float axleY[2] = {};          // m
    Axle axles[2];                // rear, front
    // Model.
    int32_t modelFlags = 0;
    ObjectModel* bodyModel = nullptr;       // owned, from the car data
    CarModelTables* modelTables = nullptr;  // owned
    // Driver.
    int32_t driverAnimation = -1;  // -1 no driver
    uint8_t mirrorDriver = 0;
    char driverMovement[8] = {};
    Vec3 passengerPositions[4];
    // Wings, aero, handicaps, aids.
    int8_t wingLimits[8] = {};     // rear min, max, base, spare; front likewise (degrees)
    AeroPoint aero[4];
    uint8_t appliedRestriction = 0, appliedMass = 0, appliedMassPosition = 0;
    uint8_t throttleCut = 0, blip = 0, autoGears = 0, autoClutch = 0, brakeHelp = 0;
    // Remote update state: -1 a remote car waiting for its first record
    // (takes no steps), 0 live, 1 frozen (no record for more than 150 steps).
    int32_t remoteState = 0;
    int32_t impactCount = 0;
    uint32_t impacts[MaxCarImpacts] = {};
    // Derived by applying the setup.
    float topSpeed = 0;            // m/s estimate
    float lowestPoint = 0;         // m
    float groundClearance = 0;     // m
    float massScale = 1;           // sqrt(1000 / mass)
    float steerStiffness = 1, steerDamping = 1, steerInertia = 0;
    uint8_t liveBrakeBalance = 0;
    float liveAntiRoll[2] = {};
    float tyreRadiusRatio = 1;     // rear / front
    Vec3 engineAxis;
    float brakeBalance = 0;        // 0..1 front share in use
    // The mass model without added mass, about the car's origin: mass,
    // first moment and second moment tensor (kg m^2), and the dry centre.
    double baseMass = 0, baseMoment[3] = {}, baseSecond[9] = {};
    // Path: the follower (owned) and the car's place across the road (the
    // track position code keeps them).
    PathFollower* follower = nullptr;
    float halfRoadSpeed = 0;       // m/s
    float lateralOffset = 0;       // m, right of the path positive
    int32_t lane = 0;              // 0..7 across the road limits
    // Lamps: the colours of the twelve light records (bit 0 of the flags:
    // drawn unlit, at full brightness).
    ColourRecord lightColours[CarLightCount];
    // The drawn body: the four mesh nodes (owned; built by car drawing, null
    // until then) and the undamaged shape that impacts are undone to.
    MeshNode* meshNodes[4] = {};
    CarShapeCopy undamaged;
    // Driver animations (owned): the steering animation, the animation file
    // it came from, and the four passengers (front, rear left, middle, right).
    AnimHolder* steerAnimation = nullptr;
    AnimHolder* steerFile = nullptr;
    AnimHolder* passengerAnimations[4] = {};

    // -- Controls, gears and drivetrain: add fields below.
    uint8_t upLatch = 0, downLatch = 0;  // a held shift word acts once
    uint8_t autoShiftDelay = 0;    // steps before the automatic gearbox may act again
    float wheelEngineSpeed = 0;    // rad/s, the engine speed the driven wheels imply
    float outputSpeed = 0;         // rad/s, the gearbox output shaft's speed reading
    // -- Car step, forces, lights and contacts: add fields below.
    // Remote driving: the remote update state (remoteState) says whether
    // the car takes steps; a car without a record for more than 150 steps
    // freezes.
    int32_t lastRecordStep = 0;    // step counter when the last record came
    float remoteAge = 0;           // s since the last record, set when frozen
    uint8_t pitHold = 0;           // remote: its record holds the brakes
    int32_t stepCounter = 0;       // the car's clock in steps
    // Lap timing from a layout's start: at the pending start step the lap
    // starts and the line is behind the car (timing state 2; 1 before).
    int32_t raceStartStep = INT32_MIN;  // none pending
    int32_t lapStart = 0, timingState = 1;
    int32_t lapTimeCountdown = 0;  // counts down by 10 per step while above 0
    // Aid timers (s, count down to 0); their durations are the gear timings.
    float clutchHoldTimer = 0, throttleCutTimer = 0, ignitionCutTimer = 0, blipTimer = 0, antiLockTimer = 0;
    uint8_t waitForRevs = 0;       // throttle closed until the engine meets the wheels' speed
    uint8_t pitSpeedLimit = 0;     // km/h, 0 limiter off
    uint8_t tcSwitchedOff = 0;
    float tcFactor = 1;            // 1 no cut; 2 marks a step with a cut
    float engineBrakeFactor = 1;
    float brake = 0, handbrake = 0;  // 0..1
    // Steering: targets from the steering word, the column's angle and rate.
    float steerTargetPrevious = 0, steerTarget = 0;  // rad
    float steerTargetNow = 0, steerTargetRate = 0;   // rad, rad/s: interpolated in the sub-steps
    float steerAngle = 0, steerRate = 0;             // rad, rad/s
    float rollRate = 0;            // bikes: rad/s about the forward axis, last sub-step
    int32_t turnDirection = 0;     // 0 straight, 1 left, 2 right
    float turnRadius = 0;          // m
    uint8_t lastGearSeen = 1, gearChangeCount = 0;
    float totalRatio = 0;          // gear ratio × final drive
    float fuelUsed = 0;            // litres this step
    uint8_t stopped = 0, settleCounter = 0;
    uint8_t pitWork = 0, pitState = 0;
    uint8_t lost = 0;              // 1 left the world, 2 reported
    uint8_t showroom = 0;          // shown in the garage: no rest test, no tyre steps
    uint8_t restCounter = 0;
    uint8_t starterSound = 0;
    int32_t headlightsOn = 0;
    int32_t indicatorMode = 0;     // 0 off, 1 left, 2 right, 3 hazard
    int32_t blinkerTimerMs = 0;
    int32_t brakeLightState = 0, reverseLightState = 0, flashLightState = 0;
    CarLightSwitch lightSwitches[CarLightSwitchCount];
    int32_t inputActivity = 0, activityStep = 0;
    // What the last position packet carried and the budget before the next.
    uint16_t sentSteering = SteeringCentre;
    uint8_t sentThrottle = 0, sentBrake = 0;
    int32_t sendBudget = 0, inputChangeTotal = 0;
    uint8_t flatTyresBefore = 0, flatTyresAfter = 0;
    Vec3 smoothedAcceleration;     // m/s^2, world
    Vec3 gValues;                  // g along the car's right, forward and up axes
    Vec3 smoothedForce;            // N, world
    Vec3 smoothedAngularVelocity;  // rad/s, world
    float airSpeed = 0;            // m/s at the last body aero point
    Vec3 sprungCentre;             // m, body frame: centre of the mass less the wheels
    Vec3 wind;                     // m/s, the world's wind at the car
    Vec3 aeroForce, aeroTorque;    // this step's sums, world axes (torque about the origin)
    Vec3 reactionAxisWorld;        // the engine's reaction axis in world axes, this step
    float alignTorque = 0;         // N m, the tyres' sum in the current sub-step
    float alignTorqueSum = 0;      // N m, summed over the step's sub-steps
    float alignTorqueMean = 0;     // N m, per sub-step over the last step
    float manifoldReading = 0;     // bar, smoothed for the gauge
    float speedometer = 0;         // m/s, the wheels' road speed smoothed
    float throttleBeforeTc = 0;
    uint8_t tcActive = 0;          // traction control may cut the throttle this step
    int32_t runningSuspended = 0;  // the ignition cut holds the engine stopped this step
    int32_t roadLane = 0;          // lane of the road under the car, 0 off the road
    Vec3 slipstream;               // m/s, the air the leaders' wakes move at the last aero point
    uint8_t rebuildDamage = 0;     // a damage packet asks for the shape to be rebuilt
    CarWake wake;                  // left in the air for following cars
    // Distance and fuel not yet reported (16.16 m and 16.16 hundredths of a litre).
    int32_t stepDistance = 0;
    int32_t distanceCounter = 0, fuelCounter = 0;
    uint8_t reportFlag = 0;
    uint8_t lastReport[4] = {};
    int32_t touchedCount = 0;
    WorldObject* touchedObjects[MaxTouchedObjects] = {};
    // The skin names the race checks (SkinNameLength characters, not always
    // ended by a zero).
    char skinName[SkinNameLength] = {}, secondSkinName[SkinNameLength] = {};
    // Stepping alone outside a race: the car's own clock and stepped time.
    uint32_t aloneClockMs = 0, aloneSteppedMs = 0;
};

// The record a player slot or the garage keeps as a car's handicap: a
// minimum added mass (kg) and intake restriction (%), imposed by a host.
struct CarHandicap {
    uint8_t mass = 0, restriction = 0;
};
// Per car of the car name table. Lives for the whole run; emptied by
// ResetVehicleTables.
extern CarHandicap CarHandicapTable[CarCount];

void ConstructCar(CarObject& car);
void DestroyCar(CarObject& car);
// Full driving-state reset and placement at the current position, turned to
// heading (rad) about the vertical.
void ResetCar(CarObject& car, float heading, int careful, int longProbe);
void ResetRaceState(CarObject& car);
void ResetCarRaceBytes(CarObject& car);
void RepairCar(CarObject& car, int wearLimitPercent, int repairEngine);
// Health, clutch heat, fuel and per wheel damage and tyre state.
void MakeDamageRecord(const CarObject& car, DamageRecord& record, int value);
void ApplyDamageRecord(CarObject& car, const DamageRecord& record);
void SetFuelPercent(CarObject& car, float percent);
// Per axle of the current setup: spring + 2 × anti-roll.
void GetSetupAxleSums(const CarObject& car, float& rear, float& front);
bool IsTractionControlOn(const CarObject& car);
int IsNonFormulaClass(const CarObject& car);
void SwitchCarLightsOff(CarObject& car);
// The driver on this computer takes the car, or gives it back to remote
// driving: the tyres switch between one and sixteen tread segments with
// every temperature kept.
void SetCarLocalControl(CarObject& car);
void ClearCarLocalControl(CarObject& car);
void ToLocalTyres(Wheel& wheel);
void ToRemoteTyres(Wheel& wheel);
// The driving aids of a player's flags word (bit 3 automatic gears, bit 6
// brake help, bit 9 automatic clutch) as the car's gearbox kind allows them.
void ApplyPlayerAids(CarObject& car, int32_t aidFlags);
// The wheel's tyre renewed: full tread, not flat, starting temperatures.
void InitTyreHeat(Wheel& wheel, const Axle& axle, int oneSegment);

// Car data files.
constexpr int CarDataVersion = 251;
// Reads the car data stream into a constructed car. setupIndex and
// colourIndex pick a built-in entry, or -1 for the caller's record. Every
// count is checked against its table and the bytes left; a bad file is
// refused (0, one log line) and the caller destroys the car.
int ReadCarData(CarObject& car, DataFile& reader, int version, const char* carName, int mirrorDriver,
                int driverAnimation, int setupIndex, CarSetup* externalSetup, int colourIndex,
                ColourConfig* externalColours, void* owner, const char* plateText, int headerOnly);
// Opens "data\veh\<code>.veh" and reads it whole; 1 or 0 (the car keeps
// what was read and the caller destroys it).
int LoadCarData(CarObject& car, const char* carCode, int driverAnimation, int setupIndex,
                CarSetup* externalSetup, int colourIndex, ColourConfig* externalColours);
// A new car read in header-only form, or null.
CarObject* CreateCarFromVeh(const char* carCode);
void SetDefaultDashboard(CarObject& car);
int ReadCarStructure(CarObject& car, DataFile& reader, int version);

// Applying a setup.
// keepStructure 0: full apply (structure and mass model recomputed).
void ApplySetup(CarObject& car, int keepStructure);
void UpdateCarHandicaps(CarObject& car);
void ApplyAddedMass(CarObject& car, int kg);
void ApplyIntakeRestriction(CarObject& car, int percent);
// Pass 1 mass and centre, pass 2 inertia.
void ComputeCarMassProperties(CarObject& car, int pass);
void UpdateMassScales(CarObject& car);
// Ranges offered for and held on a setup.
void GetTyreTypeRange(const CarObject& car, int& low, int& high);
void GetSetupRangeHalf(const CarObject& car, int axle, int& low, int& high);
void GetSetupRangeCapped(const CarObject& car, int axle, float& low, float& high);
// N: the weight of the car fully loaded (driver, passengers) with the
// downforce of its top speed.
float GetFullLoadWeight(const CarObject& car);
void GetLoadDerivedLimits(const CarObject& car, float& low, float& high);
float RoundUpToStep(float value, float step);
// Springs 0.1 S..S, dampers 0.1 D..D, anti-roll 0..S.
void GetRoundedLoadLimits(const CarObject& car, float& springMax, float& damperMax);

// Impacts and the car's shape. An impact entry is the four bytes contact
// point, strength (0..255 of half the wheelbase) and the direction in the
// car's axes packed in 16 bits (x in bits 11-15, y in 6-10, z in 1-5, each
// a signed 5-bit value v giving the component v / 15), read as one
// little-endian word.
constexpr uint32_t CarImpactEntry(int point, int strength, int packedDirection)
{
    return (static_cast<uint32_t>(point) & 0xFF) | (static_cast<uint32_t>(strength) & 0xFF) << 8 |
           (static_cast<uint32_t>(packedDirection) & 0xFFFF) << 16;
}
// A unit direction in the car's axes as the entry's 16 direction bits
// (components rounded to fifteenths).
uint32_t PackCarImpactDirection(const Vec3& direction);
// Moves the body model's points, its parts, the wheel mounts and the
// contact points by every impact of the list, from the shape they have
// (RestoreCarShape first to rebuild the damage from the undamaged shape).
// The undamaged shape is kept before the first impact moves anything.
void DeformCarMesh(CarObject& car);
// The impact rule every dented thing follows (the body model's points, the
// drawn nodes' vertices, part positions, wheel mounts): the share of an
// impact at p along direction that a point at v takes, full behind p and
// falling to nothing at ahead in front of it and at reach from it; a
// vertex's spread 0.5 to just below 1 from its coordinates, so a dent is not
// perfectly smooth; and a 16.16 point moved by direction x amount (true
// when it moved).
float CarImpactShare(const Vec3& v, const Vec3& p, const Vec3& direction, float reach, float ahead);
float CarImpactSpread(const FixedVector& v);
bool MoveFixedPoint(FixedVector& point, const Vec3& direction, float amount);
// Wheel mounts to their data positions, contact points to their undamaged
// places and, withVertices, the body model's points and parts as well.
void RestoreCarShape(CarObject& car, int withVertices);
// RestoreCarShape with the vertices.
void RestoreCarShape(CarObject& car);
// The car's two part meshes (car drawing's; none without it).
void FreeCarPartMeshes(CarObject& car);
// Frees the copies of the undamaged shape.
void FreeCarVertexCopies(CarObject& car);

// The 24-byte position record of a reset request (game packet 80): byte 0
// the caller's (the type), 1 the player id, 2 the request flag (the car is
// stopped), 3 set when the check moved the reset point, then int32 the path
// node, the lateral offset (a float's four bytes) and the 16.16 x, y, z of
// the reset point, little-endian.
constexpr int CarPosRecordSize = 24;
struct CarPosRecord {
    uint8_t bytes[CarPosRecordSize] = {};
};
void FillCarPosRecord(const CarObject& car, CarPosRecord& record, int playerId);
// Whether the car may be reset where the request asks: 0 safe, 1 it could
// hit another car, 2 a recently reset car, 3 it would cause a yellow flag,
// 4 the path node is not on the current path (also when there is no path).
// The request's reset point is moved onto the road when it lies off it.
int CheckResetPosition(CarObject& car, CarPosRecord& request, int ignoredSlot);
// "Can't reset - <why>" as a notice.
void ShowCantResetMessage(int reason);
// True unless held or moving at 2 m/s or more.
bool IsCarStopped(const CarObject& car);
// N: the present aero points' vertical forces shared between the axles by
// their places along the wheelbase (downforce positive).
void GetDownforceSplit(const CarObject& car, float& rear, float& front);
// Reads the eight lamp colours of the car data into the first eight light
// records; all twelve are drawn unlit.
void ReadCarLightColours(CarObject& car, DataFile& reader, int version);

// Driver animations. Without the driver figures loaded the car's
// animations are freed; otherwise a car with a driver gets its "steer"
// animation and the passengers its setup and car data ask for.
void UpdateDriverAnimations(CarObject& car);
// An animation for figure entry index from "data\move\<name>_<movement>[_F].ban"
// (the figure's rest pose when there is no file); with keep it becomes the
// car's steering animation. Null when the figure entry does not exist.
AnimHolder* LoadDriverAnimation(CarObject& car, int index, const char* name, int keep);
void FreeDriverAnimations(CarObject& car);

// ---------------------------------------------------------------------------
// Tyres: the forces of a wheel's tyre, suspension and rim, and the tyre's
// heat (tyre_forces.cpp, tyre_heat.cpp, suspension_geometry.cpp).
//@@ tyres
//
// A tyre is a carcass spring with a tread patch that sticks while the wheel
// turns slowly and rolls with slip above one turn per second; its grip
// follows the friction curves of the sound devices (TyreCurve), the surface
// kind under it, the tread's temperature, dirt and the spread of load over
// its three strips. The heat of the tread, sidewalls, air and rim is kept
// as energy and exchanged once per step.

// One step of one wheel: load, patch forces, heat and wear of the tread,
// rolling resistance, brake, suspension force and damage, rim contact and
// spin. R is the car's rotation, hubPosition the wheel's hub point
// (R hubPoint plus the car's displacement: metres from the car's 16.16
// position, world axes), brakeTorque in N m. wheelTorque holds the drive
// torque on entry. alignTorque receives the aligning torque about the
// steering axis (front axle); null selects the one-step form of a car
// simulated in one full step. gravity along z (m/s^2). load holds the
// aerodynamic load on entry and receives the tyre's forces with the wheel's
// weight; wheelForce is left holding what the wheel passes to the car
// (world axes). remote: the car is driven elsewhere (its tread does not
// wear, its tyre uses one tread segment).
void ComputeTyreForces(Wheel& wheel, const Axle& axle, const FloatMatrix& R, const Vec3& hubPosition,
                       float brakeTorque, float* alignTorque, float h, float inverseH, float gravity,
                       CarObject& car, Vec3& load, int remote);
// One 10 ms exchange of heat between the tyre's parts, the air inside and
// the outside air (airFlow scales the cooling: 1 at rest); sets the flat
// flag of an overheated tread and the display, wear and dirt bytes.
// oneSegment: the tyre's heat is held in segment 0 alone.
void StepTyre(Wheel& wheel, const Axle& axle, float h, float airFlow, int oneSegment);

// ---------------------------------------------------------------------------
// Drivetrain, gear changes and the player's controls (drivetrain.cpp,
// gears.cpp, car_controls.cpp).
//@@ drivetrain
//
// The clutch's torque goes through gearbox, final drive, centre and axle
// differentials to the wheels; the gear changes follow the shift words, the
// H-shifter word or the automatic gearbox by the car's gearbox kind; the
// local player's controls become the car's input words once per step.

// One sub-step (fullStep 0, dt = step / 20) or one full step (fullStep 1) of
// the drive: axle and wheel torques, anti-roll forces, brake torques,
// steering angles, the tyre model of every wheel, and the driven wheels'
// rotation fed back to the clutch side. Gravity along z, m/s^2.
void DriveWheels(CarObject& car, float dt, int fullStep, float gravity);
// rad/s: the engine speed the road speed implies in the current gear
// (speed x total ratio / rear tyre radius); 0 without a rear tyre radius.
float GetEngineSpeedFromWheels(const CarObject& car);
// The gear selection of a local car, once per step after its pit-lane step.
void SelectGear(CarObject& car);
// The clutch hold, throttle and ignition cut and blip durations
// (gearTimings) from the gearbox kind.
void SetShiftTimings(CarObject& car);

// Fills the player car's input words from the player's controls; n is the
// averaging count of the axis-driven words (1 for the simulation step).
struct PlayerControlState;
void ReadCarControls(PlayerControlState& controls, int n);

// ---------------------------------------------------------------------------
// The car step: driver aids, lights, requests, forces, sub-steps and the
// car's body operations (car_step.cpp, car_forces.cpp, car_body.cpp,
// car_lights.cpp).
//@@ car-step
//
// A car's 10 ms step turns its input words into engine, clutch, brake and
// steering demands through the driver aids, runs engine, drivetrain, tyres
// and body forces in twenty sub-steps (one full step for a remote car
// simulated in one step), commits the move and steps the tyres' heat.

// The car's integrate operation: one step of dt seconds, gravity along z.
void StepCar(CarObject& car, float dt, float gravity);
// A car that is not awake: its clutch and tyres cool.
void StepRestingCar(CarObject& car);
// Words 0, 1, 2, 11 and 12 added, plus 1024 when word 3, 4, 9 or 10 is set.
int GetInputActivity(const CarObject& car);
// 1 when fewer than three wheels stand on surface kind 3 or 4, else 0.
int FewWheelsOffRoad(const CarObject& car);
// The aerodynamic forces of the aero points, once per step.
void ComputeAeroForces(CarObject& car);
// One sub-step of the steering column (dt' = dt / 20).
void StepSteering(CarObject& car, float dt);
// The one-full-step steering: the wheels at the target angle.
void SetSteeringDirect(CarObject& car);
// rad: a steering word as an angle at the set-up's lock (above the centre
// steers right, to a negative angle).
float SteerAngleFromWord(const CarObject& car, int word);
// Indicator and pit limiter lamps, once per step.
void UpdateBlinkers(CarObject& car);
// Sets a light switch and writes its value to its targets.
void SetCarLight(CarObject& car, int lightSwitch, int on);
// The player's request words (ignition, pit limiter, traction control,
// headlights, indicators) of a local car with a player slot.
void HandlePlayerRequests(CarObject& car, int slot);
// Anti-lock brakes: sets the anti-lock timer when an axle locks.
void CheckWheelLock(CarObject& car);

// The impact list: 1 when the entry (point, strength, packed direction)
// was added, 0 when the list is full of stronger ones.
int AddCarImpact(CarObject& car, uint32_t entry);
// Dents from the new hard body-point contacts of a local car with a slot.
void ApplyImpactDamage(CarObject& car, int slot);
void ClearTouchedObjects(CarObject& car);
void AddTouchedObject(CarObject& car, WorldObject& object);
// The 16.16 position and the predicted position.
void SetCarPosition(CarObject& car, const FixedVector& position);
// Steps a car outside a race (garage previews) up to its own clock.
void StepCarAlone(CarObject& car);
// Total mass with the fuel (0.74 kg per litre, a uniform box in the tank),
// centre of mass and inertia about it.
void UpdateCarMassProperties(CarObject& car);
// 1 when name equals (ignoring case) the car's first skin name (which set)
// or its second (which clear).
int CarUsesSkinName(const CarObject& car, int which, const char* name);
// The mass model with the added mass and a load (kg, a uniform box of the
// given centre and half size, car frame): mass, centre, inertia and its
// inverse.
void CommitCarMassWithLoad(CarObject& car, float loadKg, const Vec3& centre, const Vec3& halfSize);

// Player slots and the race hooks of a car (temporary bodies in
// car_step_pending.cpp until the player slots, pit lane, stopped state and
// the car's view and route are built: a car has no slot, is never stopped
// and has no race to report to).

// The player slot driving a local car, -1 when none (no race or world).
int GetPlayerSlotOfCar(const CarObject& car);
// The player id of a slot, as packets carry it.
int GetPlayerIdOfSlot(int slot);
// The stopped flag and settle counter; 1 when the stopped state changed.
int UpdateStoppedState(CarObject& car);
// The pit lane's step of a car with a slot (ends with its gear selection).
void UpdatePitLane(CarObject& car, int slot, float dt, int stoppedChanged);
// The car's view filters and route follower; fullStep 1 after a full step.
void UpdateCarViewAndRoute(CarObject& car, float dt, int fullStep);
// The car's track position checks (lost car, wrong way, path) with a slot.
void CheckTrackPosition(CarObject& car, int slot);
// Sends the car-value packet [17][9][id][value].
void SendCarValue(CarObject& car, int value);
// The timed race messages of a local car's pit lane, before its requests.
void RunTimedRaceMessages(CarObject& car, int slot);

// ---------------------------------------------------------------------------
// Pit lane, pit stops and penalties (temporary body in
// pit_lane_pending.cpp until the pit lane is built: no reset is made).
//@@ pit-lane

// The car reset request of a stopped car; askedByPlayer is 1 when the
// player's reset control asked for it.
void RequestCarReset(CarObject& car, int askedByPlayer);

// ---------------------------------------------------------------------------
// The car's part of the multiplayer state check (temporary body in
// car_checksum_pending.cpp until the car's race logic is built).

// Pending: adds the car to the four running CRC values of the state check
// (car, wheels, engine, race state); until its race logic is built the
// values are left as they are.
void GetCarChecksum(const CarObject& car, uint32_t values[4]);
