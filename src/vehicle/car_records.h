// The records a car is made of, by lifetime and owner: what the car data
// gives, what the setup derives, the step state, the race's state, remote
// driving, lamps and drawing; and the small records they hold.
#pragma once

#include <cstdint>
#include <numbers>

#include "core/services.h"
#include "vehicle/car_result.h"
#include "vehicle/colour_config.h"
#include "vehicle/setup.h"
#include "vehicle/wheel.h"

struct ObjectModel;       // world: a 3D model
class CarModelTables;     // world: the tables that follow a car's body model
class MeshNode;           // world: a drawable mesh built from a model
struct PathFollower;      // world: a car's place on the current path
struct Path;              // world: a configuration's path of nodes
struct AnimHolder;        // world: a driver-movement animation

// The eighteen words that say what a car's driver does this 10 ms step.
struct CarInputs {
    uint16_t words[18] = {};  // the table of word meanings is with the controls
};

// The 56-byte record that carries a car's damage and tyre state between
// computers.
constexpr int DamageRecordSize = 56;
struct DamageRecord {
    uint8_t bytes[DamageRecordSize] = {};
};

// A body option of the car data: its name and the mask of the body model's
// parts it shows.
struct BodyOption {
    char name[12] = {};
    int32_t value = 0;
};
// The part mask of every part (a car without a body option).
constexpr uint32_t AllBodyParts = 0xFFFFFFFFu;

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

// The car data's flag bits (CarData::dataFlags).
enum : int32_t {
    CarDataFamilyParts = 1 << 0,         // set by the reader for the families that show their parts only near
    CarDataSpareWheel = 1 << 2,          // a spare wheel is carried
    CarDataSameTyres = 1 << 4,           // the rear tyres take the front tyres' sizes
    CarDataTransverseEngine = 1 << 6,    // the engine lies across the car
    CarDataEngineTurnsForward = 1 << 7,  // the engine turns the positive way about its axis
    CarDataFrontPassengerSeat = 1 << 8,
    CarDataLinks = 1 << 9,               // the structure has links to draw (set by the setup)
    CarDataRearSeats = 1 << 10,
    CarDataFrontWheelLinks = 1 << 11,    // links run to the front wheels (set by the setup)
    CarDataRearWheelLinks = 1 << 12,     // links run to the rear wheels (set by the setup)
    CarDataWingsLoadWheels = 1 << 13,    // the wings' downforce goes to the wheels
    CarDataFrontHubLead = 1 << 14,       // the data carries the front hub's lead; the speedometer reads the front wheel
    CarDataNoFrontAntiRoll = 1 << 15,
    CarDataNoRearAntiRoll = 1 << 16,
    CarDataFuelCapacity = 1 << 19,       // the data carries the fuel capacity
    CarDataBumpFromRebound = 1 << 20,    // bump damping is half the rebound damping
    CarDataOpenDifferentials = 1 << 21,  // the axle differentials are always open
    CarDataEvenLocking = 1 << 22,        // coast locking follows power locking
    CarDataOpenRoofDrag = 1 << 23,       // an open roof adds drag
    CarDataPitLimiter = 1 << 30,         // a pit lane speed limiter is fitted
};

// The bike class (car class 0): round tyres, held upright when slow.
constexpr int BikeClass = 0;

// What the car data gives, and what was chosen when it was read: constant
// after the car is loaded, but for the three marker bits of dataFlags and
// the structure's point values and flags, which applying the setup sets.
struct CarData {
    // Identity and class.
    int32_t dataFlags = 0;      // CarData* flag bits
    int32_t carClass = 0;       // 0..11
    char familyCode[4] = {};
    char shortCode[4] = {};
    int32_t gearboxKind = 0;    // 1..5
    int32_t gearCount = 7;      // forward gears + 2
    float gearTimings[3] = {};  // s: clutch hold, cut and blip of a gear change
    int32_t tractionControl = 0;  // traction control word bits
    // Where the masses sit (m, car frame).
    Vec3 enginePosition{0, 1.5f, 0};
    Vec3 driverSeat, rearSeat;
    Vec3 fuelTankPosition{0, -1.5f, 0};
    Vec3 extraMassPosition;
    Vec3 spareWheelPosition{0, -2, 0};
    float extraMass = 0;        // kg
    float spareWheelAngle = 0;
    float fuelCapacity = 0;     // litres; the tank's size gives it when the car data does not
    // Steering: lock to lock in degrees until the car data gives its own.
    float steeringRatio = 720, steeringValues[2] = {};
    float frontHubLead = 0;     // m
    // Dashboard.
    uint8_t dashboardType = 0, dashboardLength = 0, dashboardBytes[2] = {};
    uint8_t dashboardLayout[DashboardLayoutSize] = {};
    // Structure (points and bars of mass).
    int32_t structurePointCount = 0;
    StructurePoint* structurePoints = nullptr;  // owned
    int32_t structureBarCount = 0;
    StructureBar* structureBars = nullptr;      // owned
    // The built-in setups and colours, and the ones in use.
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
    // Wings: rear min, max, base, spare; front likewise (degrees).
    int8_t wingLimits[8] = {};
    // The body model and the tables that follow it (owned).
    int32_t modelFlags = 0;
    ObjectModel* bodyModel = nullptr;
    CarModelTables* modelTables = nullptr;
    // The driver: which figure (-1 no driver), seated on the mirrored side,
    // and the name of the movement files.
    int32_t driverAnimation = -1;
    uint8_t mirrorDriver = 0;
    char driverMovement[8] = {};
    char plateText[8] = {};
    // The skin names the race checks (SkinNameLength characters, not always
    // ended by a zero).
    char skinName[SkinNameLength] = {}, secondSkinName[SkinNameLength] = {};
};

// What applying the setup derives, with the driver's aids and the host's
// handicaps: constant between two applications of a setup.
struct CarTuning {
    // Drive.
    uint8_t driveAxles = 3;       // bit 0 rear, bit 1 front
    uint8_t rearAxleFixed = 0;
    uint8_t openRoof = 0;
    int32_t drivenWheels = 0;
    float driveEfficiency = 0;
    float torqueShare[2] = {};
    float gearRatios[9] = {};     // reverse, neutral, first..seventh
    float frontTorqueSplit = 0;
    float finalDrive = 0;
    float steeringLimit = std::numbers::pi_v<float> / 4;  // rad
    // Geometry.
    float wheelbase = 0;          // m
    float axleY[2] = {};          // m
    float largerHalfWidth = 0;    // m
    Vec3 passengerPositions[4];   // m, car frame
    // The mass model's parts.
    float engineMass = 0, tankMass = 0;  // kg
    float structureMass = 0, wheelMassSum = 0, occupantMass = 0, seatMass = 0, wheelDriveMass = 0;
    float dryMass = 0;            // kg
    Vec3 fuelTankHalfSize;        // m
    // The mass model without added mass, about the car's origin: mass,
    // first moment and second moment tensor (kg m^2).
    double baseMass = 0, baseMoment[3] = {}, baseSecond[9] = {};
    // Aero sums of the present aero points.
    float dragSum = 0, liftSum = 0, dragFactorSum = 0, liftFactorSum = 0;
    // Handicaps applied, and the driver's aids.
    uint8_t appliedRestriction = 0, appliedMass = 0, appliedMassPosition = 0;
    uint8_t throttleCut = 0, blip = 0, autoGears = 0, autoClutch = 0, brakeHelp = 0;
    uint8_t tcSwitchedOff = 0;    // the driver switched traction control off
    // Derived limits and factors.
    float topSpeed = 0;           // m/s estimate
    float lowestPoint = 0;        // m
    float groundClearance = 0;    // m
    float massScale = 1;          // sqrt(1000 / mass)
    float steerStiffness = 1, steerDamping = 1, steerInertia = 0;
    uint8_t liveBrakeBalance = 0;
    float liveAntiRoll[2] = {};
    float tyreRadiusRatio = 1;    // rear / front
    Vec3 engineAxis;
    float brakeBalance = 0;       // 0..1 front share in use
};

// What the car's 10 ms step carries from one step to the next: a reset
// starts it afresh, as a newly loaded car has it.
struct CarStepState {
    // Motion and gears.
    float speed = 0;              // m/s
    int32_t gear = 1;             // 0 reverse, 1 neutral, 2.. forward
    int32_t gearTarget = 1;
    float totalRatio = 0;         // gear ratio × final drive
    uint8_t lastGearSeen = 1, gearChangeCount = 0;
    uint8_t upLatch = 0, downLatch = 0;  // a held shift word acts once
    uint8_t autoShiftDelay = 0;   // steps before the automatic gearbox may act again
    float wheelEngineSpeed = 0;   // rad/s, the engine speed the driven wheels imply
    float outputSpeed = 0;        // rad/s, the gearbox output shaft's speed reading
    // Placement.
    uint8_t freshlyPlaced = 0, held = 0;
    FixedVector resetPosition;    // 16.16, where the last reset placed the car
    uint8_t lost = 0;             // 1 left the world, 2 reported
    uint8_t settleCounter = 0, restCounter = 0;
    int32_t inputActivity = 0, activityStep = 0;
    // The car's place across the road (the track position code keeps it).
    float halfRoadSpeed = 0;      // m/s
    float lateralOffset = 0;      // m, right of the path positive
    int32_t lane = 0;             // 0..7 across the road limits
    int32_t roadLane = 0;         // lane of the road under the car, 0 off the road
    // Aid timers (s, count down to 0); their durations are the gear timings.
    float clutchHoldTimer = 0, throttleCutTimer = 0, ignitionCutTimer = 0, blipTimer = 0, antiLockTimer = 0;
    uint8_t waitForRevs = 0;      // throttle closed until the engine meets the wheels' speed
    float tcFactor = 1;           // 1 no cut; 2 marks a step with a cut
    float engineBrakeFactor = 1;
    float throttleBeforeTc = 0;
    uint8_t tcActive = 0;         // traction control may cut the throttle this step
    int32_t runningSuspended = 0; // the ignition cut holds the engine stopped this step
    uint8_t starterSound = 0;
    float brake = 0, handbrake = 0;  // 0..1
    // The share of the foot brake the brake help lets through to each
    // axle (rear, front), 1/3..1; eased in the sub-steps while the axle locks.
    float brakeHelpShare[2] = {1, 1};
    // Steering: targets from the steering word, the column's angle and rate.
    float steerTargetPrevious = 0, steerTarget = 0;  // rad
    float steerTargetNow = 0, steerTargetRate = 0;   // rad, rad/s: interpolated in the sub-steps
    float steerAngle = 0, steerRate = 0;             // rad, rad/s
    float rollRate = 0;           // bikes: rad/s about the forward axis, last sub-step
    int32_t turnDirection = 0;    // 0 straight, 1 left, 2 right
    float turnRadius = 0;         // m
    // Forces and smoothed motion.
    float fuelUsed = 0;           // litres this step
    uint8_t flatTyresBefore = 0, flatTyresAfter = 0;
    Vec3 smoothedAcceleration;    // m/s^2, world
    Vec3 gValues;                 // g along the car's right, forward and up axes
    Vec3 smoothedForce;           // N, world
    Vec3 smoothedAngularVelocity; // rad/s, world
    float airSpeed = 0;           // m/s at the last body aero point
    Vec3 sprungCentre;            // m, body frame: centre of the mass less the wheels
    Vec3 wind;                    // m/s, the world's wind at the car
    Vec3 aeroForce, aeroTorque;   // this step's sums, world axes (torque about the origin)
    Vec3 reactionAxisWorld;       // the engine's reaction axis in world axes, this step
    float alignTorque = 0;        // N m, the tyres' sum in the current sub-step
    float alignTorqueSum = 0;     // N m, summed over the step's sub-steps
    float alignTorqueMean = 0;    // N m, per sub-step over the last step
    float manifoldReading = 0;    // bar, smoothed for the gauge
    float speedometer = 0;        // m/s, the wheels' road speed smoothed
    Vec3 slipstream;              // m/s, the air the leaders' wakes move at the last aero point
    CarWake wake;                 // left in the air for following cars
    int32_t stepDistance = 0;     // 16.16 m moved this step, not yet reported
    // Dents: the impact list (point, strength, direction; see CarImpactEntry).
    int32_t impactCount = 0;
    uint32_t impacts[MaxCarImpacts] = {};
    // The scenery objects the contact pass met this step.
    int32_t touchedCount = 0;
    WorldObject* touchedObjects[MaxTouchedObjects] = {};

    bool operator==(const CarStepState&) const = default;
};

// One race's state of the car: its clock and lap timing, the pit lane, the
// fuel and the result.
struct CarRaceState {
    int32_t stepCounter = 0;      // the car's clock in steps
    int32_t lapTimeState = -1;
    int32_t lapCount = 0;
    float odometer = 0;           // m
    uint8_t tcCopy = 0;
    uint8_t lastCheckpoint = 255;
    uint8_t raceBytes[2] = {255, 255};
    int32_t requestField = 0;
    uint8_t pitCountdown = 3;
    // Lap timing from a layout's start: at the pending start step the lap
    // starts and the line is behind the car (timing state 2; 1 before).
    int32_t raceStartStep = INT32_MIN;  // none pending
    int32_t lapStart = 0, timingState = 1;
    int32_t lapTimeCountdown = 0; // counts down by 10 per step while above 0
    uint8_t pitSpeedLimit = 0;    // km/h, 0 limiter off
    uint8_t controlChange = 0;    // 4 once the driver changed hands (taken over or given back)
    uint8_t pitWork = 0, pitState = 0;
    uint8_t stopped = 0;
    int32_t stopStep = 0;         // step counter when the car last stopped outside pit work
    uint8_t showroom = 0;         // shown in the garage: no rest test, no tyre steps
    float fuel = 0;               // litres
    CarResultState result;
    // Stepping alone outside a race: the car's own clock and stepped time.
    uint32_t aloneClockMs = 0, aloneSteppedMs = 0;
};

// Driving by another computer or a replay, and what goes to the others.
struct CarNetState {
    int32_t remote = 0;           // 1 while driven by another computer or a replay
    uint8_t handedBack = 0;       // 1 once the local driver gave the car back to remote driving
    uint8_t oneFullStep = 0;      // the step runs as one full step, not twenty sub-steps
    // Remote update state: -1 a remote car waiting for its first record
    // (takes no steps), 0 live, 1 frozen (no record for more than 150 steps).
    int32_t remoteState = 0;
    int32_t lastRecordStep = 0;   // step counter when the last record came
    float remoteAge = 0;          // s since the last record, set when frozen
    uint8_t pitHold = 0;          // remote: its record holds the brakes
    uint8_t rebuildDamage = 0;    // a damage packet asks for the shape to be rebuilt
    // What the last position packet carried and the budget before the next.
    uint16_t sentSteering = SteeringCentre;
    uint8_t sentThrottle = 0, sentBrake = 0;
    int32_t sendBudget = 0, inputChangeTotal = 0;
    // Distance and fuel not yet reported (16.16 m and 16.16 hundredths of a
    // litre), and the last report.
    int32_t distanceCounter = 0, fuelCounter = 0;
    uint8_t reportFlag = 0;
    uint8_t lastReport[4] = {};
    // What the game packets of players and cars keep in the car, alike on
    // every computer.
    uint8_t horn = 0;              // 0 off, else the driver's horn + 1, at most 5
    uint8_t flash = 0;             // 0 or 1
    uint8_t flagBits = 0;          // bit 0 blue flag, bit 1 yellow flag, bits 2 and 3 the car code's
    uint8_t takeOverRequest = 0;   // id of the connection that asked to take the car, 0 none
    uint8_t takeOverOffer = 0;     // id of the connection the car is offered to, 0 none
    uint8_t viewByte = 255;        // the owner's camera view while it views its own car, else 255
    uint8_t helmetReload = 0;      // the helmet skin changed: its picture is loaded again
    char message[64] = {};         // the car message text, ends in a zero
};

// The car's lamps: the light bytes, the switches and their targets, the
// driver's headlights and indicators, and the colours of the twelve light
// records (bit 0 of the flags: drawn unlit, at full brightness).
struct CarLamps {
    uint8_t lights[4] = {};
    int32_t headlightsOn = 0;
    int32_t indicatorMode = 0;    // 0 off, 1 left, 2 right, 3 hazard
    int32_t blinkerTimerMs = 0;
    int32_t brakeLightState = 0, reverseLightState = 0, flashLightState = 0;
    CarLightSwitch lightSwitches[CarLightSwitchCount];
    ColourRecord lightColours[CarLightCount];
};

// What drawing keeps of the car (owned): the number plate, the four mesh
// nodes (built by car drawing, null until then), the undamaged shape that
// impacts are undone to, and the driver animations (the steering animation,
// the animation file it came from, and the four passengers: front, rear
// left, middle, right).
struct CarDrawing {
    int32_t plateIndex = -1;
    MeshNode* meshNodes[4] = {};
    CarShapeCopy undamaged;
    AnimHolder* steerAnimation = nullptr;
    AnimHolder* steerFile = nullptr;
    AnimHolder* passengerAnimations[4] = {};
};
