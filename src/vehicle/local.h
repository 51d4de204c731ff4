// Declarations shared only inside the vehicle subsystem: float vector
// helpers of the physics and the car's part in the physics step.
#pragma once

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
inline float Clamp(float value, float low, float high) { return value < low ? low : value > high ? high : value; }

// m × v and transpose(m) × v.
inline Vec3 Rotate(const FloatMatrix& m, const Vec3& v)
{
    return {m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z,
            m.m[3] * v.x + m.m[4] * v.y + m.m[5] * v.z,
            m.m[6] * v.x + m.m[7] * v.y + m.m[8] * v.z};
}
inline Vec3 RotateByTranspose(const FloatMatrix& m, const Vec3& v)
{
    return {m.m[0] * v.x + m.m[3] * v.y + m.m[6] * v.z,
            m.m[1] * v.x + m.m[4] * v.y + m.m[7] * v.z,
            m.m[2] * v.x + m.m[5] * v.y + m.m[8] * v.z};
}

// A float offset in metres as a 16.16 vector (each axis × 65536, nearest).
inline FixedVector FixedFromOffset(const Vec3& metres)
{
    return {FixedFromMetres(metres.x), FixedFromMetres(metres.y), FixedFromMetres(metres.z)};
}
// A 16.16 difference in metres.
inline Vec3 OffsetFromFixed(const FixedVector& v)
{
    return {FixedToMetres(v.x), FixedToMetres(v.y), FixedToMetres(v.z)};
}

// Angular velocity of a body: R (I^-1 (R^T L)) for the given rotation.
inline Vec3 AngularVelocity(const RigidBody& body, const FloatMatrix& rotation)
{
    return Rotate(rotation, Rotate(body.inverseInertia, RotateByTranspose(rotation, body.angularMomentum)));
}

// The least bodies back in every hook record (hooks.cpp).
void ResetVehicleHooks();

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
// The car's wheels and suspension geometry (car_object_wheel.cpp).

// The hub point and axes of a wheel for its current travel: fixed (type 0),
// sliding along the travel axis (1, 2, 5), swing arm with a strut (3) and
// double wishbone (4). Links that cannot meet leave everything unchanged.
void UpdateSuspensionGeometry(Wheel& wheel, const Axle& axle);
// Display temperature byte of a temperature in kelvin: 0..63 for
// 293.15..473.15 K, held within the 6 bits the damage record packs it in.
uint8_t TemperatureByte(float kelvin);
// The heat capacities of one segment's parts (J/K).
float TreadCapacity(const Axle& axle, float treadDepth);
float SurfaceCapacity(const Axle& axle);
float SidewallCapacity(const Axle& axle);
float RimCapacity(const Axle& axle);

// The setup's springs, dampers and anti-roll bars onto the wheels, held
// within the car's limits (a wheel whose suspension failed gets zeros).
void CopySuspensionToWheels(CarObject& car);

// ---------------------------------------------------------------------------
// The car object's own helpers.

// CheckResetPosition against the current path and the given cars of the
// race's slots in slot order (null for an empty slot).
int CheckResetPlace(CarObject& car, CarPosRecord& request, int ignoredSlot, CarObject* const* slotCars,
                    int slotCount);
// The corner probes of a car's placement: the query from the car's centre
// to a corner against the world's drivable surfaces near the corner (the
// flat ground when no world is loaded). True on a hit.
bool ProbePlacementSegment(ContactQueryRecord& query);

// ---------------------------------------------------------------------------
// Gear changes (gears.cpp).

// The three gear-change durations in CarObject::gearTimings.
constexpr int ClutchHoldTiming = 0, CutTiming = 1, BlipTiming = 2;

// The automatic gearbox: ChooseAutoGear at the larger of the wheels' and
// the engine's speed, then the new target and the wait before the next.
void AutoShift(CarObject& car);
// At engine speed w (rad/s): 0 keep the gear, 1 change down, 2 change up.
int ChooseAutoGear(const CarObject& car, float w);
// Carries out a change towards the target gear as the gearbox kind allows;
// a change that must wait leaves the target for the next step.
void ShiftGear(CarObject& car);

// ---------------------------------------------------------------------------
// Inside the car step (car_step.cpp, car_forces.cpp).

// The traction control of one (sub-)step: k is the rear over front tyre
// radius in the sub-steps and 1 in a full step.
void ApplyTractionControl(CarObject& car, float k);
// The twenty sub-steps of a step, and the one full step of a remote car.
void RunCarSubSteps(CarObject& car, float dt, float gravity);
void RunCarFullStep(CarObject& car, float dt, float gravity);
// The centre of the car's mass less its wheels (body frame), once per step.
void UpdateSprungCentre(CarObject& car);
// Skid marks, smoke and dust of every wheel after its tyre step.
void UpdateWheelMarks(CarObject& car);
// The change of a local online car's inputs since its last position
// packet, taken off its send budget.
void AccumulateInputChange(CarObject& car);
// A lost car: reported to a host that forbids resets, else reset.
void HandleLostCar(CarObject& car);

// ---------------------------------------------------------------------------
// The player's controls (car_controls.cpp). Each filter returns its word
// from the control state and the word's old value; n averages the
// axis-driven words over n steps.

struct PlayerControlState;
uint16_t FilterSteerInput(PlayerControlState& controls, int n, uint16_t old);
uint16_t FilterThrottleInput(PlayerControlState& controls, int n, uint16_t old);
uint16_t FilterBrakeInput(PlayerControlState& controls, int n, uint16_t old);
uint16_t FilterClutchInput(PlayerControlState& controls, int n, uint16_t old);
uint16_t FilterHandbrakeInput(PlayerControlState& controls, int n, uint16_t old);
// Word 14: 255 without an H-pattern shifter on an H-pattern car, else the
// gear of the first active gear control (1 neutral when none).
uint16_t GetShifterGear(const PlayerControlState& controls);
// Word 15: the look code of the driver's view of the player car.
uint16_t GetLookCode(const PlayerControlState& controls);
int IsHornActive(const PlayerControlState& controls);
int IsFlashActive(const PlayerControlState& controls);

// ---------------------------------------------------------------------------
// The drivetrain (drivetrain.cpp).

// rad, left positive: the Ackermann angle of a front wheel for the car's
// turn direction and radius (0 driving straight).
float AckermannAngle(const CarObject& car, const Wheel& wheel);
// The driver aids of a step: clutch and throttle from the clutch demand
// (the clutch word and hold timer), the brake with the anti-lock brakes.
void StepThrottleAndClutch(CarObject& car, float clutchDemand, float dt);
void StepBrakes(CarObject& car, float dt);
// The automatic clutch's demand for the engine speed and throttle word.
float AutoClutchDemand(const CarObject& car);
// A bike below 4 m/s is held upright: the torque (world axes) for this
// sub-step, zero for other cars.
Vec3 BikeBalanceTorque(const CarObject& car);
// One wheel's skid mark after its tyre step (pathNode -1: no path
// position), and its smoke or dust.
void UpdateSkidMark(CarObject& car, Wheel& wheel, int pathNode);
void UpdateTyreParticles(CarObject& car, Wheel& wheel, const Axle& axle);

