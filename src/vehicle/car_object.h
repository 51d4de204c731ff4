// The car object and its operations: construction, reset and repair,
// damage, car data files, applying a setup, dents and the reset check.
#pragma once

#include <array>
#include <cstdint>

#include "core/services.h"
#include "vehicle/car_records.h"
#include "vehicle/race_timing.h"
#include "vehicle/engine.h"
#include "vehicle/pit_lane.h"
#include "vehicle/remote_car.h"
#include "vehicle/rigid_body.h"
#include "vehicle/wheel.h"

// The car: wheels, axles, aero points, the damage record, the car object,
// car data files and applying a setup (car_object*.cpp, car_data*.cpp,
// apply_setup*.cpp).
//
// A car is a rigid body (kind 1) built from its car data "data\veh\<code>.veh":
// class, drive layout, gearbox, engine description, built-in setups and
// colours, the positions of engine, seats, tank and extra mass, a structure
// of mass points and bars, wheels, axles, body model and aero points. The
// current setup turns it into the physical car: axles, wheels, aero points,
// engine and the mass model. Car frame: x right, y forward, z up; axle 0 is
// the rear axle, axle 1 the front axle.

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

    CarData data;
    CarTuning tuning;
    CarStepState step;
    CarRaceState race;
    CarLapTiming lap;
    CarRouteState route;
    CarNetState net;
    CarPitState pit;
    CarRemoteRecordState remoteRecord;
    CarLamps lamps;
    CarDrawing drawing;
    // The parts: engine, wheels, axles (rear, front) and aero points, each
    // holding its car data, what the setup derives and its running state.
    EngineRecord engine;
    int32_t wheelCount = 0;
    Wheel* wheels = nullptr;      // owned
    Axle axles[2];
    AeroPoint aero[4];
    // The driver's input words of this step.
    CarInputs inputs;
    // The car's place on the current path (owned).
    PathFollower* follower = nullptr;
};

// The record a player slot or the garage keeps as a car's handicap: a
// minimum added mass (kg) and intake restriction (%), imposed by a host.
struct CarHandicap {
    uint8_t mass = 0, restriction = 0;

    bool operator==(const CarHandicap&) const = default;
};
// Per car of the car name table. Lives for the whole run; emptied by
// ResetVehicleTables.
extern const std::array<CarHandicap, CarCount>& CarHandicapTable;
// Replaces the handicap table (the host's handicaps packet).
void SetCarHandicapTable(const std::array<CarHandicap, CarCount>& table);

void ConstructCar(CarObject& car);
void DestroyCar(CarObject& car);
// Full driving-state reset and placement at the current position, turned to
// heading (rad) about the vertical.
void ResetCar(CarObject& car, float heading, int careful, int longProbe);
void ResetRaceState(CarObject& car);
void ResetCarRaceBytes(CarObject& car);
// A car that left the world (too low, too high, too fast or far off the
// road): it stops where it is and takes no steps until it is reset.
void MarkCarLost(CarObject& car);
void RepairCar(CarObject& car, int wearLimitPercent, int repairEngine);
// Renews each tyre that IsTyreWorn finds worn with the limit (a flat tyre
// always is), as a pit stop without repair does.
void RenewWornTyres(CarObject& car, int wearLimitPercent);
// Makes the tyres of the axle (0 rear, 1 front) flat, so that the repair
// which follows renews them: a set-up change brought another compound.
void FlagWheelsOfAxle(CarObject& car, int axle);
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
// The driving aids of a player's flags word.
enum : int32_t {
    PlayerAidAutoGears = 1 << 3,
    PlayerAidBrakeHelp = 1 << 6,
    PlayerAidAutoClutch = 1 << 9,
};
// The driving aids of a player's flags word as the car's gearbox kind
// allows them.
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

// Applying a setup.
// keepStructure 0: full apply (structure and mass model recomputed).
void ApplySetup(CarObject& car, int keepStructure);
// 1 when every float of the setup is a finite number.
int IsSetupFinite(const CarSetup& setup);
// Holds a setup from another computer or a file to what the car offers:
// the general limits, the car's tyre types and ride heights and, for a car
// with its load figures, springs 0.1 S..S, dampers 0.1 D..D and anti-roll
// 0..S. The setup's floats must be finite (IsSetupFinite).
void ClampSetupToCar(const CarObject& car, CarSetup& setup);
void UpdateCarHandicaps(CarObject& car);
// Ranges offered for and held on a setup.
void GetTyreTypeRange(const CarObject& car, int& low, int& high);
void GetSetupRangeHalf(const CarObject& car, int axle, int& low, int& high);
void GetSetupRangeCapped(const CarObject& car, int axle, float& low, float& high);
void GetLoadDerivedLimits(const CarObject& car, float& low, float& high);
// Springs 0.1 S..S, dampers 0.1 D..D, anti-roll 0..S.
void GetRoundedLoadLimits(const CarObject& car, float& springMax, float& damperMax);
// The body options the car offers its passengers: a front passenger seat
// (the car data's seat flag and a driver seated more than 0.2 m off the
// centre) and rear seats.
void GetCarBodyOptions(const CarObject& car, bool& frontSeat, bool& rearSeats);
// Stores the skin name (SkinNameLength characters) and the player record
// that owns the car.
void SetCarSkinName(CarObject& car, const char* name, void* owner);
// Rebuilds both axles' tyre profiles from their tyre sizes.
void BuildAxleTyreModels(CarObject& car);

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
// The same per (m/s)^2 of a straight-ahead air speed, from the points'
// lift coefficients (N s^2/m^2): what the car's downforce will be.
void GetDownforceCoefficientSplit(const CarObject& car, float& rear, float& front);

// Driver animations. Without the driver figures loaded the car's
// animations are freed; otherwise a car with a driver gets its "steer"
// animation and the passengers its setup and car data ask for.
void UpdateDriverAnimations(CarObject& car);
// An animation for figure entry index from "data\move\<name>_<movement>[_F].ban"
// (the figure's rest pose when there is no file); with keep it becomes the
// car's steering animation. Null when the figure entry does not exist.
AnimHolder* LoadDriverAnimation(CarObject& car, int index, const char* name, int keep);
void FreeDriverAnimations(CarObject& car);
