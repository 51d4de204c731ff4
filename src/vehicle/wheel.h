// Wheels, axles and aero points: what the contact pass finds under a wheel,
// the wheel with its suspension, tyre state and damage, the axle's shared
// tyre and suspension values, and the points where the air acts.
#pragma once

#include <cstdint>

#include "vehicle/rigid_body.h"
#include "vehicle/tyre.h"

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
    // The step's found contact; the sub-steps blend point, normal and depth
    // from the previous values towards these.
    Vec3 endPoint;
    Vec3 endNormal{0, 0, 1};
    float endDepth = 0;           // m, how far the probe's end lies behind the surface
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
    Vec3 hubTurned;             // m, hubPoint in the world's axes, as the drive of the (sub-)step placed it
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
    // What holds for a whole 10 ms step, set by PrepareTyreStep before the
    // step's first sub-step (and again when the tyre goes flat mid-step).
    float treadStiffness = 0;        // N/m, the tread's lateral shear stiffness at this pressure
    float inverseTreadStiffness = 0; // m/N, 0 without stiffness
    float inverseTyreRadius = 0;     // 1/m, 0 without a tyre
    float inverseWheelInertia = 0;   // 1/(kg m^2), 0 without inertia
    float inverseTreadHeatFactor = 0;  // 0 without tread area
    float tyreSidewall = 0;          // m, tyre radius less rim radius
    float nominalTread = 0, minimumTread = 0;  // m, a new tread's depth and a worn-through tread's
    float bottomingDeflection = 0;   // m, the deflection at which the rim presses the tread
    float carcassRoundness = 0;      // m^2, the profile's term in the carcass pressure law
    float shearForceCap = 0;         // N, the largest shear force the sidewall carries
    float spinRate = 0, spinStep = 0;
    float travel = 0, travelRate = 0;
    float springOffset = 0, wheelTorque = 0;
    float brakeTorque = 0;      // N m, this wheel's maximum
    int32_t stateWord = 0;
    WheelContact ground, rim;   // filled by the car's contact finishing
    // The tyre's contact state (tyre forces).
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
    // The drivetrain's share.
    float driveTorque = 0;      // N m, what the differential sends this (sub-)step
    // The car step's probes, skid mark and particles.
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
void FailSuspension(Wheel& wheel);
// True when flat, or a strip's wear level is at most round((100 - percent) × 0.07).
bool IsTyreWorn(const Wheel& wheel, int percent);

// One axle's tyre and suspension geometry: the 64-byte block the car data
// holds for each axle, in the file's order. ReadCarDataAxle and
// WriteCarDataAxle are its only reader and writer.
struct CarDataAxle {
    float tyreWidth = 0;           // m
    float sidewallRatio = 0;       // sidewall height over tyre width
    float rimRadius = 0;           // m
    float rimWidth = 0;            // m
    int32_t suspensionType = 0;    // 0..5
    float maxHeight = 0;           // m
    float casterAngle = 0;         // rad
    float unusedA = 0;             // a spare float of the block, kept as read
    float kingpinInclination = 0;  // rad
    float armAngleOffset = 0;      // rad
    float wheelOffset = 0;         // m
    float trackWidth = 0;          // m
    float unusedB = 0;             // a spare float of the block, kept as read
    float armLength = 0;           // m
    float upperLinkLength = 0;     // m
    float kingpinHalfLength = 0;   // m
};

// One axle: the car data's geometry and the tyre and suspension values
// both its wheels share.
struct Axle : CarDataAxle {
    uint8_t present = 0;  // both side wheels exist
    uint8_t solid = 0;    // driven with a locked differential
    Wheel* leftWheel = nullptr;
    Wheel* rightWheel = nullptr;
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
    bool operator==(const CarWake&) const = default;
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
