// Tyres: the tread segments, the friction curves, the tyre's shape, and
// the forces and heat of a wheel's tyre (tyre_curves.cpp, tyre_shape.cpp,
// tyre_forces.cpp, tyre_heat.cpp).
//
// A tyre is a carcass spring with a tread patch that sticks while the wheel
// turns slowly and rolls with slip above one turn per second; its grip
// follows the friction curves, the surface kind under it, the tread's
// temperature, dirt and the spread of load over its three strips. The heat
// of the tread, sidewalls, air and rim is kept as energy and exchanged once
// per step.
#pragma once

#include <cstdint>

#include "core/services.h"

class CarObject;
class RigidBody;
struct Wheel;
struct Axle;

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

// The friction curves: the normalised friction coefficient of a tyre
// against its normalised slip. Each curve rises from 0 along a cubic to its
// peak at the knee and runs along a second cubic to its end value, flat
// beyond the end.
constexpr int TyreCurveSamples = 64;
struct TyreCurve {
    float knee = 0;        // slip of the peak
    float end = 0;         // slip of the end value; the curve is flat beyond
    float stiffness = 0;   // start tangent x knee: the rise per unit of slip / knee
    float step = 0;        // end / 64, the slip between samples
    float inverseStep = 0; // 1 / step
    float values[TyreCurveSamples] = {};  // at slip step x (i + 1)
};
// Tyre kinds of the curve pairs: hard surfaces and loose ones.
constexpr int HardTyreCurve = 0, LooseTyreCurve = 1;
// The lateral pair (rising to 0.95 on hard surfaces) and the longitudinal
// pair (peaking at 1.15 on hard surfaces), indexed by tyre kind. Built
// before the program starts; constant for the whole run.
extern const TyreCurve LateralTyreCurves[2];
extern const TyreCurve LongitudinalTyreCurves[2];

// The axle's tyre shape: tyre radius, profile radius, tread width and the
// stiffness values the tyre model uses (the drawn profile is car
// drawing's). bikeTyre: a round tread.
void BuildTyreProfile(Axle& axle, int bikeTyre);

// The tyre's values that hold for a whole step: the air pressure (from the
// air's heat, which changes only between steps), the tread's shear
// stiffness at that pressure, and the inverses of radius, wheel inertia
// and tread area the sub-steps multiply by. Call before a step's first
// (sub-)step; the tyre model calls it again when the tread wears through.
void PrepareTyreStep(Wheel& wheel, const Axle& axle);

// The wheel's frame for one (sub-)step: its tyre's lowest point (m from the
// car's position, world axes) and its spin axis, steered about the steering
// axis and leaned by the tread's lateral shear.
struct TyreFrame {
    Vec3 centre, spinAxis;
};
// The frames of up to four wheels, computed side by side in vector lanes
// with the same operations in the same order as one wheel alone, so the
// results are the same bits. hubPositions: each wheel's hub point turned
// into the world's axes plus the car's displacement.
void PlaceTyreFrames(const Wheel* wheels, int count, const FloatMatrix& R, const Vec3* hubPositions,
                     TyreFrame* frames);
// One wheel's frame, computed alone.
TyreFrame PlaceTyreFrame(const Wheel& wheel, const FloatMatrix& R, const Vec3& hubPosition);

// What the car gives its wheel's tyre for one (sub-)step.
struct TyreStepInput {
    // The car's body: its rotation, and the stiffness, damping and friction
    // the rim's contact takes.
    const RigidBody* car = nullptr;
    // The wheel's hub point: R hubPoint plus the car's displacement (m from
    // the car's 16.16 position, world axes).
    Vec3 hubPosition;
    float brakeTorque = 0;         // N m
    // Receives the aligning torque about the steering axis (front axle);
    // null selects the one-step form of a car simulated in one full step.
    float* alignTorque = nullptr;
    float h = 0, inverseH = 0;     // s and 1/s of the (sub-)step
    float gravity = 0;             // m/s^2 along z
    // The car is driven elsewhere: its tread does not wear and its tyre
    // uses one tread segment.
    int remote = 0;
    // The wheel's frame placed beforehand with the other wheels'; null: the
    // tyre model places it.
    const TyreFrame* frame = nullptr;
};

// One step of one wheel: load, patch forces, heat and wear of the tread,
// rolling resistance, brake, suspension force and damage, rim contact and
// spin. wheelTorque holds the drive torque on entry. load holds the
// aerodynamic load on entry and receives the tyre's forces with the wheel's
// weight; wheelForce is left holding what the wheel passes to the car
// (world axes).
void ComputeTyreForces(Wheel& wheel, const Axle& axle, const TyreStepInput& input, Vec3& load);
// One 10 ms exchange of heat between the tyre's parts, the air inside and
// the outside air (airFlow scales the cooling: 1 at rest); sets the flat
// flag of an overheated tread and the display, wear and dirt bytes.
// oneSegment: the tyre's heat is held in segment 0 alone.
void StepTyre(Wheel& wheel, const Axle& axle, float h, float airFlow, int oneSegment);
