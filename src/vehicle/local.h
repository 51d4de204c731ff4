// Declarations shared only inside the vehicle subsystem: float vector
// helpers, the writable globals, and the operations that only the
// subsystem's own files call (the parts of the physics step, the car data
// reader, applying a setup and the car step).
#pragma once

#include <cstring>
#include <numbers>
#include <type_traits>

#include "vehicle/services.h"

// ---------------------------------------------------------------------------
// Float vectors. Single precision, one operation at a time, so that the
// compiler has no freedom that could change a result.

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(float s, const Vec3& a) { return {s * a.x, s * a.y, s * a.z}; }
inline Vec3& operator+=(Vec3& a, const Vec3& b) { a = a + b; return a; }
inline Vec3& operator-=(Vec3& a, const Vec3& b) { a = a - b; return a; }
inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float LengthSquared(const Vec3& a) { return Dot(a, a); }

// Plain comparisons, inline in the step's inner loops.
inline float Smaller(float a, float b) { return b < a ? b : a; }
inline float Larger(float a, float b) { return a < b ? b : a; }
// The value held within low..high (of the value's type); high wins when
// the two cross, and a float that is not a number stays one.
template <typename T>
constexpr T Clamp(T value, std::type_identity_t<T> low, std::type_identity_t<T> high)
{
    const T raised = value < low ? low : value;
    return raised > high ? high : raised;
}

// Whether two texts are the same in their first n characters (or up to
// their end), letters A to Z without regard to case, whatever the locale.
inline bool SameTextNoCase(const char* a, const char* b, int n)
{
    for (int i = 0; i < n; i++) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
        if (!x)
            return true;
    }
    return true;
}

// Steps after a reset before a car counts as settled: gears may be chosen
// and the pit lane serves it from then on.
constexpr uint8_t CarSettledSteps = 100;

// Little-endian values in packet bytes.
inline int32_t GetInt(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
inline void PutInt(uint8_t* p, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline int GetShort(const uint8_t* p) { return p[0] | p[1] << 8; }
inline void PutShort(uint8_t* p, int value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}
inline float GetFloat(const uint8_t* p)
{
    const uint32_t bits = static_cast<uint32_t>(GetInt(p));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
inline void PutFloat(uint8_t* p, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt(p, static_cast<int32_t>(bits));
}

// Pi and a whole turn in radians, single precision.
constexpr float Pi = std::numbers::pi_v<float>;
constexpr float TwoPi = 2 * Pi;

// Angular velocity of a body: R (I^-1 (R^T L)) for the given rotation.
inline Vec3 AngularVelocity(const RigidBody& body, const FloatMatrix& rotation)
{
    return Rotate(rotation, Rotate(body.inverseInertia, RotateByTranspose(rotation, body.angularMomentum)));
}

// ---------------------------------------------------------------------------
// The vehicle's globals that only it writes; other subsystems read them
// through the const names of the door (or call the setters there). Each
// lives for the whole run and ResetVehicleTables gives back its default.

extern PhysicsStepState MutablePhysicsStep;                       // object_set.cpp
extern ChosenSetupRecord MutableChosenSetup;                      // setup.cpp
extern std::array<CarHandicap, CarCount> MutableCarHandicapTable;  // car_object.cpp

// Every hook record, as installed (hooks.cpp).
struct VehicleHooks {
    CarModelHooks model;
    CarPathHooks path;
    CarFigureHooks figures;
    CarRaceHooks race;
    CarDrawHooks draw;
    CarSoundHooks sound;
    CarControlHooks controls;
    CarMessageHooks messages;
    CarNetHooks net;
    CarTimingHooks timing;

    bool operator==(const VehicleHooks&) const = default;
};
extern VehicleHooks MutableVehicleHooks;

// ---------------------------------------------------------------------------
// Engine waves as engine files hold them (engine_wave.cpp).

// Reads one wave: a count byte, a spare byte, a storage kind and the type.
// Kinds 0 and 1 (old forms) are skipped, kind 2 is empty, kind 3 holds an
// int32 sample count and the samples, which replace the wave's array.
// Returns 1, or 0 with "Could not read wave" for an unknown kind or a
// sample count the file cannot hold.
int ReadWaveShape(EngineWave& wave, DataFile& reader, int version);
// Writes the wave in storage kind 3.
void WriteWaveShape(const EngineWave& wave, DataFile& writer);
// Frees the samples; with clear set the count and pointer become 0.
void FreeWave(EngineWave& wave, int clear);

// ---------------------------------------------------------------------------
// The car's part in the physics step (car_set_hooks.cpp). The bodies passed
// are cars (BodyKind 1).

constexpr int MaxRaceCars = 32;

// The cars of the occupied player slots of the current race, in slot
// order; returns their number (0 without a race).
int ListRaceCars(RigidBody** cars);
// Whether a sleeping car stays asleep this step: ignition request 0, speed
// and engine speed exactly zero, input activity within 512 of the stored.
bool CarMayStayAsleep(RigidBody& car);
// A car woken by the step: its rest counter starts again.
void ClearCarRestCounter(RigidBody& car);
// Adds the slipstream of every other race car (without a race: of every
// other car of the current set) to the follower's aero points (before its
// step).
void GatherCarSlipstream(RigidBody& follower);
// Counts the car's step tick up by one, and starts its lap timing when the
// layout has a start position and the tick reaches its pending start step.
void CountCarStepTick(RigidBody& car, bool layoutStart);
// A car that stayed asleep: blinkers, and for a local car its requests and
// resting tyres and clutch.
void StepSleepingCar(RigidBody& car);
// The player slot of a car driven on this computer while a world is
// loaded; -1 for a remote car, without a world or without a slot.
int GetLocalPlayerSlot(const CarObject& car);
// A body's point hit a car while a car's contact pass runs: the lesson's
// stopped-car check when either car is the watched one.
void NoteCarHitByBody(RigidBody& hitCar);

// The car's list of scenery objects near it, kept for the frame drawn
// after the step: emptied, then offered each object its contact pass meets.
void ClearCarNearbyObjects(RigidBody& car);
void OfferCarNearbyObject(RigidBody& car, WorldObject& object);

// How deep the follower sits in the leader's wake: 1 - B with B the
// follower's elliptic distance from the wake's axis, 0 outside the wake or
// when the wake is not close to level. Positions are the predicted ones.
float SlipstreamDepth(const CarWake& wake, const FixedVector& leaderPosition,
                      const FixedVector& followerPosition);

// ---------------------------------------------------------------------------
// The rigid bodies' step (rigid_body.cpp, body_contacts.cpp,
// body_integration.cpp).

// Empties both arrays without freeing them (for arrays owned elsewhere).
void ClearBodyArrays(RigidBody& body);
// The two sub-step helpers: contact forces of every point, and the pose
// moved by velocity and angular momentum over h seconds. A point without
// contact this step carries no force in any sub-step; placeIdlePoints asks
// for its cleared state and its anchor at the point (the first sub-step
// clears what the last step left, the last leaves the anchor where a
// contact of the next step starts from); in the sub-steps between, such
// points are not touched.
void SolvePointContacts(RigidBody& body, float h, bool placeIdlePoints = true);
// Whether sub-step k of a step places the points without contact.
inline bool PlacesIdlePoints(int k, int subSteps) { return k == 0 || k == subSteps - 1; }
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
// Making and sampling the friction curves (tyre_curves.cpp).

// A curve from its start tangent, knee, slope at the knee, peak, end and
// end value.
TyreCurve MakeTyreCurve(float startTangent, float knee, float kneeSlope, float peak, float end,
                        float endValue);
// The curve's value at slip x >= 0: linear from 0 to the first sample,
// between samples, and the last sample from the end on. Inline: every
// tyre samples two curves each sub-step.
inline float SampleTyreCurve(const TyreCurve& curve, float x)
{
    const float u = x * curve.inverseStep;
    if (u <= 1)
        return u * curve.values[0];
    if (!(u < TyreCurveSamples))
        return curve.values[TyreCurveSamples - 1];
    const int i = static_cast<int>(u);
    return curve.values[i - 1] + (u - static_cast<float>(i)) * (curve.values[i] - curve.values[i - 1]);
}

// ---------------------------------------------------------------------------
// The car data's axle block (car_data_axle.cpp).

// Reads the 64-byte axle block (tyre, rim and suspension geometry).
void ReadCarDataAxle(CarDataAxle& axle, DataFile& reader);
// Writes it, field for field as the reader takes it.
void WriteCarDataAxle(DataFile& writer, const CarDataAxle& axle);

// ---------------------------------------------------------------------------
// Reading the structure and the mass boxes (car_records.cpp).

void ReadStructurePoint(StructurePoint& point, DataFile& reader);
void ReadStructureBar(StructureBar& bar, DataFile& reader);
// Stores the value held within 0.5..40.
void ClampBarValue(StructureBar& bar, float value);
void InitMassBox(MassBox& box, float mass, const Vec3& centre, const Vec3& halfSize, int32_t word);

// ---------------------------------------------------------------------------
// The engine's sub-step (engine.cpp).

// One sub-step of an engine turning by itself (neutral, or the clutch at
// least half pressed). Returns the net torque; power and revCut are set.
float StepEngineFree(EngineRecord& engine, float dt, float& power, float& revCut);
// One sub-step of an engine locked to the drivetrain, which sets its speed.
void StepEngineCoupled(EngineRecord& engine, float dt, float& power, float& revCut);
// The clutch, every sub-step before the engine step.
void StepClutch(EngineRecord& engine);
// Once per step for cars that are not simulated.
void CoolClutch(EngineRecord& engine);

#include "vehicle/car_local.h"

// ---------------------------------------------------------------------------
// The pit lane's parts (pit_lane.cpp, pit_stop.cpp, race_messages.cpp).

// A four-byte game packet [type][a][b][c]; recorded ones are kept in the
// replay being recorded as well.
void QueueCarPacket(uint8_t type, int a, int b, int c, bool recorded = false);
// The slot's orders, or the orders of no slot (no repair, no refuelling).
// The layout's route checks of a car's step (layout_route_check.cpp): the
// circles it touches (a local car's wrong route or restricted area is
// penalised) and the gate it watches, whose crossing times the car.
void CheckRouteCircles(CarObject& car);
void CheckRouteGates(CarObject& car);
CarSlotOrders GetSlotOrders(int slot);
// The car stopped in a pit box on this step: the stop starts, with work
// or (a penalty to serve, or passing through) without.
void StartPitStop(CarObject& car, const CarSlotOrders& orders);
// The running pit work of one step: the current item, or refuelling.
void RunPitWork(CarObject& car, const CarSlotOrders& orders, float dt);
// The car moved off after its stop: the stop's time is reported, and a
// stop-go is served or given again.
void LeavePitBox(CarObject& car, const CarSlotOrders& orders);
// The penalty code a speeding code (drive-through 1, stop-go 3, 30 s 5,
// 45 s 6) gives from the car's penalty state; 0 none.
int SpeedingPenalty(int code, int penaltyState);
// Whether the car stands within reach of one of the world's pit boxes.
bool IsCarInPitBox(const CarObject& car);

// ---------------------------------------------------------------------------
// Remote cars (car_state_record.cpp, remote_car.cpp).

// The state record's scaled words as rad/s.
float StateEngineSpeedValue(int word);
float StateTurboSpeedValue(int word);
float StateWheelSpinValue(int word);
// A remote car without a record for more than 150 steps freezes: not
// simulated, its age kept. True when it froze (or was frozen).
bool FreezeStaleRemoteCar(CarObject& car);
// The car moved one 10 ms step along its velocity (16.16, rounded per
// axis), its predicted position with it, and its stopped state updated.
void MoveRemoteCarOneStep(CarObject& car);
