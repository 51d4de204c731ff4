// Declarations shared only inside the vehicle subsystem about the car: its
// wheels, the car data reader, applying the setup, gears, the controls, the
// drivetrain and the parts of the car step. Included by local.h.
#pragma once

#include "vehicle/services.h"

// ---------------------------------------------------------------------------
// The car's wheels and suspension geometry (car_object_wheel.cpp).

// The hub point and axes of a wheel for its current travel: fixed (type 0),
// sliding along the travel axis (1, 2, 5), swing arm with a strut (3) and
// double wishbone (4). Links that cannot meet leave everything unchanged.
void UpdateSuspensionGeometry(Wheel& wheel, const Axle& axle);
// Display temperature byte of a temperature in kelvin: 0..63 for
// 293.15..473.15 K, held within the 6 bits the damage record packs it in.
uint8_t TemperatureByte(float kelvin);
// The heat capacities of one segment's parts (J/K); inline, as the tyre
// model and the tyre heat step take them for every strip of every segment.
constexpr float RubberHeat = 2000.0f * 910.0f;  // J/(kg K) x kg/m^3
inline float TreadCapacity(const Axle& axle, float treadDepth) { return axle.treadHeatFactor * treadDepth * RubberHeat; }
inline float SurfaceCapacity(const Axle& axle) { return axle.treadHeatFactor * 0.001f * axle.tyreRadius * RubberHeat; }
inline float SidewallCapacity(const Axle& axle) { return 0.015f * axle.tyreRadius * axle.sidewallHeatFactor * RubberHeat; }
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
// A car set on the road at a node (path_placement.cpp): an offset that
// keeps the whole car (halfWidth each side) between the road's edges
// stays, unless forced; otherwise the offset is brought within the outer
// limits narrowed by halfWidth (a NaN to the left one). True when the
// placement took over the offset.
bool KeepOffsetOnRoad(const RoadPlace& road, float halfWidth, bool forced, float& offset);
// The point at a lateral offset (m) across the road's centre (16.16,
// rounded per axis; the centre's height).
FixedVector RoadPointAtOffset(const RoadPlace& road, float offset);
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
// Carries out a change towards the target gear as the gearbox kind allows;
// a change that must wait leaves the target for the next step.
void ShiftGear(CarObject& car);

// ---------------------------------------------------------------------------
// Inside the car step (car_step.cpp, car_forces.cpp).

// The traction control of one (sub-)step: k is the rear over front tyre
// radius in the sub-steps and 1 in a full step.
void ApplyTractionControl(CarObject& car, float k);
// The values of every tyre that hold for a whole step; the sub-steps and
// the full step call it before they drive the wheels.
void PrepareCarTyres(CarObject& car);
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
// Engine brake reduction (when the car data fits it): off the clutch in a
// forward gear and without a traction cut, opens the throttle enough to
// take the set-up's share off the engine's friction torque.
void ReduceEngineBraking(CarObject& car);
// The automatic clutch's demand for the engine speed and throttle word.
float AutoClutchDemand(const CarObject& car);
// A bike below 4 m/s is held upright: the torque (world axes) for this
// sub-step, zero for other cars.
Vec3 BikeBalanceTorque(const CarObject& car);
// One wheel's skid mark after its tyre step (pathNode -1: no path
// position), and its smoke or dust.
void UpdateSkidMark(CarObject& car, Wheel& wheel, int pathNode);
void UpdateTyreParticles(CarObject& car, Wheel& wheel, const Axle& axle);

// ---------------------------------------------------------------------------
// Reading a wheel and placing the aero points (car_object_wheel.cpp,
// car_object_aero.cpp).

void ReadWheelPosition(Wheel& wheel, DataFile& reader);
void ClearAeroPoint(AeroPoint& point);
void SetBodyAeroPoint(AeroPoint& point, const FixedVector& position);
void SetWingAeroPoint(AeroPoint& point, const FixedVector& position, float angleDegrees);

// ---------------------------------------------------------------------------
// Driving the wheels and the gear-change durations (drivetrain.cpp,
// gears.cpp).

// One sub-step (fullStep 0, dt = step / 20) or one full step (fullStep 1) of
// the drive: axle and wheel torques, anti-roll forces, brake torques,
// steering angles, the tyre model of every wheel, and the driven wheels'
// rotation fed back to the clutch side. Gravity along z, m/s^2.
void DriveWheels(CarObject& car, float dt, int fullStep, float gravity);
// The clutch hold, throttle and ignition cut and blip durations
// (gearTimings) from the gearbox kind.
void SetShiftTimings(CarObject& car);

// ---------------------------------------------------------------------------
// Reading the car data and applying the setup (car_data.cpp,
// apply_setup*.cpp, car_object*.cpp).

void ToLocalTyres(Wheel& wheel);
void ToRemoteTyres(Wheel& wheel);
void SetDefaultDashboard(CarObject& car);
int ReadCarStructure(CarObject& car, DataFile& reader, int version);
void ApplyAddedMass(CarObject& car, int kg);
void ApplyIntakeRestriction(CarObject& car, int percent);
// Pass 1 mass and centre, pass 2 inertia.
void ComputeCarMassProperties(CarObject& car, int pass);
void UpdateMassScales(CarObject& car);
// N: the weight of the car fully loaded (driver, passengers) with the
// downforce of its top speed.
float GetFullLoadWeight(const CarObject& car);
float RoundUpToStep(float value, float step);
// Reads the eight lamp colours of the car data into the first eight light
// records; all twelve are drawn unlit.
void ReadCarLightColours(CarObject& car, DataFile& reader, int version);

// ---------------------------------------------------------------------------
// The parts of the car step (car_step.cpp, car_forces.cpp, car_body.cpp,
// car_lights.cpp).

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
// The player's request words (ignition, pit limiter, traction control,
// headlights, indicators) of a local car with a player slot.
void HandlePlayerRequests(CarObject& car, int slot);
// Brake help, after each (sub-)step's tyres: eases the foot brake of an
// axle that slips past its grip's peak and brings it back while it grips.
void CheckWheelLock(CarObject& car, float dt);
// Dents from the new hard body-point contacts of a local car with a slot.
void ApplyImpactDamage(CarObject& car, int slot);
void ClearTouchedObjects(CarObject& car);
void AddTouchedObject(CarObject& car, WorldObject& object);
// The mass model with the added mass and a load (kg, a uniform box of the
// given centre and half size, car frame): mass, centre, inertia and its
// inverse.
void CommitCarMassWithLoad(CarObject& car, float loadKg, const Vec3& centre, const Vec3& halfSize);
