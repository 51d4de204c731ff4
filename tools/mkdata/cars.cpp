// The 20 cars' car data "data\veh\<code>.veh": class, drive, gearbox and
// engine from the shared car and engine tables, built-in setups, colour
// configurations, positions, a structure of mass bars sized to the car's
// weight, wheels, axles, the family's body model with the car's wings,
// and aero factors. Each file is read back through the game's car data
// reader, its car constructed, reset, placed, damaged and repaired, and its
// built-in setups checked against the limits the car derives.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "builder.h"
#include "car_catalogue.h"
#include "core/services.h"
#include "graphics/services.h"
#include "platform/files.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

bool IsRacer(CarKind kind)
{
    return kind == CarKind::GtRacer || kind == CarKind::Formula || kind == CarKind::GrandPrix;
}
bool IsSingleSeater(CarKind kind)
{
    return kind == CarKind::Formula || kind == CarKind::GrandPrix || kind == CarKind::BikeGeared;
}

// Gear ratios as setups store them: (ratio - 0.5) × 65535 / 7.
uint16_t EncodeRatio(double ratio)
{
    return static_cast<uint16_t>(std::lround((ratio - 0.5) * 65535 / 7));
}

// Geometric gear steps from first to top gear.
void SetGears(CarSetup& s, int gears, double first, double top)
{
    for (int g = 0; g < 7; g++) {
        double t = gears > 1 ? static_cast<double>(g < gears ? g : gears - 1) / (gears - 1) : 0;
        s.gears[g] = EncodeRatio(first * std::pow(top / first, t));
    }
}

// The grand prix car's brakes: the most its load allows (the builder holds
// them there), as its carbon brakes stop it in a short distance.
constexpr float StrongestBrakes = 1e5f;

// The default setup of a car by its kind; the other built-in setups vary it.
CarSetup MakeSetup(const CarSpec& spec, int variant)
{
    CarSetup s;
    s.flags = SetupCurrentForm | SetupSymmetric;
    s.addedMassPosition = 50;
    s.tcSlip = 60;
    s.tcMinSpeed = 10;
    s.centreDiff = 1;
    s.centreViscous = 8;
    s.frontTorqueSplit = spec.driveAxles == 3 ? 40 : 50;
    float spring = 0, bump = 0, rebound = 0, roll = 0;
    int pressure = 0;
    switch (spec.kind) {
    case CarKind::Road:
    case CarKind::RoadTurbo:
        s.maxBrakeTorque = 1000 + 0.2f * spec.dryMassTarget;
        s.maxLock = 32;
        s.parallelSteer = 40;
        s.brakeBalance = 68;
        SetGears(s, spec.forwardGears, 3.4, spec.forwardGears > 5 ? 0.75 : 0.78);
        s.finalDrive = EncodeRatio(spec.kind == CarKind::RoadTurbo ? 3.9 : 4.2);
        spring = 30000 + 10 * spec.dryMassTarget;
        bump = 2600;
        rebound = 4200;
        roll = 18000;
        pressure = 210;
        break;
    case CarKind::BikeGeared:
        s.maxBrakeTorque = 650;
        s.maxLock = 26;
        s.parallelSteer = 30;
        s.brakeBalance = 60;
        SetGears(s, spec.forwardGears, 3.3, 1.0);
        s.finalDrive = EncodeRatio(5.8);
        spring = 45000;
        bump = 2500;
        rebound = 3500;
        roll = 10000;
        pressure = 150;
        break;
    case CarKind::GtRacer:
        s.maxBrakeTorque = 1600;
        s.rearWing = 8;
        s.maxLock = 25;
        s.parallelSteer = 30;
        s.brakeBalance = 64;
        s.engineBrakeReduction = 20;
        SetGears(s, spec.forwardGears, 2.9, 0.95);
        s.finalDrive = EncodeRatio(3.8);
        spring = 110000;
        bump = 6500;
        rebound = 8000;
        roll = 40000;
        pressure = 160;
        break;
    case CarKind::Formula:
    case CarKind::GrandPrix:
        s.maxBrakeTorque = spec.kind == CarKind::GrandPrix ? StrongestBrakes : 950;
        s.rearWing = 14;
        s.frontWing = 10;
        s.maxLock = 18;
        s.parallelSteer = 10;
        s.brakeBalance = 58;
        s.engineBrakeReduction = 30;
        SetGears(s, spec.forwardGears, 3.0, 1.0);
        s.finalDrive = EncodeRatio(spec.kind == CarKind::GrandPrix ? 4.5 : 4.0);
        spring = spec.kind == CarKind::GrandPrix ? 220000 : 150000;
        bump = 6000;
        rebound = 8000;
        roll = 50000;
        pressure = 140;
        break;
    }
    if (variant == 1) {  // a softer, more forgiving setup
        spring *= 0.85f;
        roll *= 0.7f;
        s.brakeBalance = static_cast<uint8_t>(s.brakeBalance + 3);
    }
    for (int axle = 0; axle < 2; axle++) {
        SetupAxle& a = s.axles[axle];
        const bool front = axle == 1;
        a.rideHeightReduction = IsRacer(spec.kind) ? 0.02f : 0.0f;
        a.spring = spring * (front ? 1.05f : 1.0f);
        a.bumpDamping = bump;
        a.reboundDamping = rebound;
        a.antiRoll = roll * (front ? 1.2f : 0.8f);
        a.toe = static_cast<uint8_t>(front ? 8 : 10);
        a.caster = 0;
        a.tyreType = static_cast<uint8_t>(spec.tyreType);
        a.camberLeft = a.camberRight = static_cast<uint8_t>(IsRacer(spec.kind) ? (front ? 30 : 35) : (front ? 38 : 42));
        const bool driven = (spec.driveAxles & (1 << axle)) != 0;
        if (IsRacer(spec.kind) || spec.kind == CarKind::BikeGeared) {
            a.diffType = driven ? 3 : 0;
            a.preload = driven ? 4 : 0;
            a.powerLocking = driven ? 40 : 10;
            a.coastLocking = driven ? 20 : 10;
        } else {
            a.diffType = driven && spec.driveAxles == 1 ? 2 : 0;
            a.powerLocking = a.coastLocking = 10;
        }
        a.viscousTorque = 10;
        a.pressureLeft = a.pressureRight = static_cast<uint16_t>(pressure);
    }
    return s;
}

// The structure: three stations along the car (rear, middle, front) at two
// or three heights on the right side; bars join them along, up and across
// (a bar from a point to itself crosses to its mirror). Their value is
// chosen so that the bars, mirrored, weigh what the rest leaves of the
// target dry mass.
void MakeStructure(const CarSpec& spec, float barMass, std::vector<StructurePoint>& points,
                   std::vector<StructureBar>& bars)
{
    const float half = spec.track / 2 - (IsSingleSeater(spec.kind) ? 0.35f : 0.1f);
    const float ys[3] = {-spec.wheelbase / 2 - 0.5f, 0.0f, spec.wheelbase / 2 + 0.5f};
    const int levels = IsSingleSeater(spec.kind) ? 2 : 3;
    const float zs[3] = {-0.1f, 0.25f, 0.65f};
    points.clear();
    for (int level = 0; level < levels; level++)
        for (float y : ys) {
            StructurePoint p;
            p.x = FixedFromMetres(half).raw;
            p.y = FixedFromMetres(y).raw;
            p.z = FixedFromMetres(zs[level]).raw;
            points.push_back(p);
        }
    bars.clear();
    auto add = [&](int a, int b) {
        StructureBar bar;
        bar.pointA = static_cast<int16_t>(a);
        bar.pointB = static_cast<int16_t>(b);
        bars.push_back(bar);
    };
    double length = 0;
    auto metres = [&](int a, int b) {
        const StructurePoint &p = points[a], &q = points[b];
        double dx = (a == b ? 2.0 * p.x : double(q.x) - p.x) / 65536, dy = (double(q.y) - p.y) / 65536,
               dz = (double(q.z) - p.z) / 65536;
        return std::sqrt(dx * dx + dy * dy + dz * dz) * (a == b ? 1 : 2);
    };
    for (int level = 0; level < levels; level++)
        for (int i = 0; i < 3; i++) {
            int p = level * 3 + i;
            add(p, p);  // across
            length += metres(p, p);
            if (i < 2) {
                add(p, p + 1);  // along
                length += metres(p, p + 1);
            }
            if (level + 1 < levels) {
                add(p, p + 3);  // up
                length += metres(p, p + 3);
            }
        }
    float value = static_cast<float>(barMass / length);
    for (StructureBar& bar : bars)
        bar.value = value < 0.5f ? 0.5f : value > 40 ? 40 : value;
}

// The tyre and suspension geometry of the front or rear axle.
CarDataAxle MakeAxle(const CarSpec& spec, bool front)
{
    CarDataAxle axle;
    axle.tyreWidth = front ? spec.frontTyreWidth : spec.rearTyreWidth;
    axle.sidewallRatio = spec.sidewallRatio;
    axle.rimRadius = spec.rimRadius;
    axle.rimWidth = 0.8f * axle.tyreWidth;
    axle.suspensionType = front ? 2 : 1;  // strut in front, slider behind
    axle.maxHeight = IsRacer(spec.kind) ? 0.08f : 0.13f;
    axle.casterAngle = 0.09f;
    axle.kingpinInclination = front ? 0.18f : 0.0f;
    axle.wheelOffset = 0.03f;
    axle.trackWidth = spec.track;
    axle.armLength = 0.4f;
    axle.upperLinkLength = 0.3f;
    axle.kingpinHalfLength = 0.14f;
    return axle;
}

// The flag bits of a car by its kind: closed road cars carry passengers
// and a spare wheel, racers a pit limiter, formula cars put their wings'
// load on the wheels, and front-driven cars have their engine across.
int32_t CarFlags(const CarSpec& spec)
{
    const CarKind kind = spec.kind;
    int32_t flags = CarDataFuelCapacity | CarDataFrontHubLead;
    if (!IsSingleSeater(kind) && kind != CarKind::GtRacer)
        flags |= CarDataFrontPassengerSeat | CarDataRearSeats | CarDataSpareWheel;
    if (IsRacer(kind))
        flags |= CarDataPitLimiter;
    if (kind == CarKind::Formula || kind == CarKind::GrandPrix)
        flags |= CarDataWingsLoadWheels;
    if (spec.driveAxles == 2)
        flags |= CarDataTransverseEngine;
    return flags;
}

// What the builder tunes between its rounds: the built-in setups and the
// mass of the structure's bars.
struct CarData {
    std::vector<NamedSetup> setups;
    float barMass;
};

// Fills everything but the body model of the car's data file.
void MakeCarDataContents(int car, const CarData& data, CarDataContents& c)
{
    const CarSpec& spec = GetCarSpec(car);
    const CarKind kind = spec.kind;
    const bool singleSeater = IsSingleSeater(kind);
    c.flags = CarFlags(spec);
    c.carClass = GetDefaultEngineSpec(car).carClass;
    c.gearboxKind = CarNameTable[car].gearboxKind;
    c.driveAxles = static_cast<uint8_t>(spec.driveAxles);
    FillDefaultEngine(c.engine, car);
    c.setups = data.setups;
    ColourConfig colours[CarColourConfigCount];
    MakeCarColours(car, colours);
    c.colours.assign(colours, colours + CarColourConfigCount);
    // The option's value is the mask of the body model's parts the car
    // shows: a racing version carries the family's wing (part 1).
    BodyOption& option = c.options.emplace_back();
    std::snprintf(option.name, sizeof option.name, "%s", kind == CarKind::BikeGeared ? "OPEN ROOF" : "STANDARD");
    option.value = IsRacer(kind) ? -1 : 1;
    c.enginePosition = Vec3{0, spec.engineY, 0.1f};
    c.driverSeat = Vec3{spec.driverX, singleSeater ? 0.2f : -0.1f, singleSeater ? -0.15f : 0.0f};
    c.rearSeat = Vec3{0, -0.85f, 0.05f};
    c.fuelTankPosition = Vec3{0, -spec.wheelbase / 2 + 0.3f, 0.0f};
    c.extraMassPosition = Vec3{0, 0, -0.1f};
    c.spareWheelPosition = Vec3{0, -spec.wheelbase / 2 - 0.5f, 0.0f};
    c.steeringRatio = singleSeater ? 300.0f : IsRacer(kind) ? 500.0f : 810.0f;  // lock to lock
    c.steeringValues[0] = 0.19f;
    c.frontHubLead = 0.01f;
    c.fuelCapacity = spec.fuelCapacity;
    c.gearTimings[0] = 0.2f;
    c.gearTimings[1] = 0.1f;
    c.gearTimings[2] = 0.2f;
    c.tractionControl = IsRacer(kind) && spec.driveAxles == 1 ? 5 : 0;
    c.dashboardType = 3;  // the default layout
    std::snprintf(c.shortCode, sizeof c.shortCode, "%s", CarNameTable[car].code);
    c.wingLimits[1] = static_cast<int8_t>(IsRacer(kind) ? 30 : 0);
    c.wingLimits[2] = 5;
    c.wingLimits[5] = static_cast<int8_t>(kind == CarKind::Formula || kind == CarKind::GrandPrix ? 20 : 0);
    c.wingLimits[6] = 5;
    c.gearCount = spec.forwardGears + 2;
    c.reverseRatio = 3.3f;
    std::snprintf(c.driverMovement, sizeof c.driverMovement, "%s", singleSeater ? "single" : "saloon");
    for (ColourRecord& lamp : c.lightColours)
        lamp = ColourRecord{0xA0, 0xC0, 0xE0, 0xFF};
    std::snprintf(c.familyCode, sizeof c.familyCode, "%s", spec.family);
    MakeStructure(spec, data.barMass, c.structurePoints, c.structureBars);
    for (float y : {-spec.wheelbase / 2, spec.wheelbase / 2})
        for (float x : {-spec.track / 2, spec.track / 2})
            c.wheelPositions.push_back(Vec3{x, y, 0});
    c.axles[0] = MakeAxle(spec, false);
    c.axles[1] = MakeAxle(spec, true);
    // Aero points: rear wing, front wing, two body points (lift, drag, side).
    const bool formula = kind == CarKind::Formula || kind == CarKind::GrandPrix;
    // The formula cars without a turbo run low-drag wings (a drag area
    // near 1 m², as such cars have); the turbo formula car and the grand
    // prix car have the power for steeper ones.
    const bool lowDragWings = kind == CarKind::Formula && !GetDefaultEngineSpec(car).turbo;
    c.aero[0] = {IsRacer(kind) ? (kind == CarKind::GtRacer ? -0.6f : -1.4f) : 0.0f,
                 IsRacer(kind) ? (lowDragWings ? 0.16f : 0.35f) : 0.0f, 0};
    c.aero[1] = {formula ? -1.0f : 0.0f, lowDragWings ? 0.08f : 0.2f, 0};
    // Road cars have the smoother bodies of their kind (a drag area near
    // 0.57 m²); GT racers carry their aero kit.
    c.aero[3] = {IsRacer(kind) ? -0.08f : 0.05f, singleSeater ? 0.3f : IsRacer(kind) ? 0.38f : 0.35f, 1.2f};
}

// Writes the whole car data file through the game's writer; 1 when saved.
int WriteCarData(int car, const CarData& data, const ObjectModel& body, const char* path)
{
    CarDataContents contents;
    MakeCarDataContents(car, data, contents);
    contents.writeBodyModel = [&body](DataFile& w) {
        WriteObjectModel(body, w, 1);
        CarModelTables tables;
        WriteCarModelTables(tables, w);
        return 1;
    };
    int saved = SaveCarData(contents, path);
    ReleaseEngineSounds(contents.engine);
    return saved;
}

// The family's body model with the car's wings as parts of kinds 6 and 7.
int MakeCarBody(int car, ObjectModel& body)
{
    const CarSpec& spec = GetCarSpec(car);
    char path[64];
    std::snprintf(path, sizeof path, "data\\veh\\%s.vob", spec.family);
    InitObjectModel(body);
    if (!LoadObjectModel(body, nullptr, path, 1))
        return BuilderFail("Could not read body model : %s", path);
    if (IsRacer(spec.kind)) {
        ObjectModel& rear = body.subModels.emplace_back();
        InitObjectModel(rear);
        std::snprintf(rear.name, sizeof rear.name, "rearwing");
        rear.kind = 6;
        rear.offset = FixedVector{Fixed(0), FixedFromMetres(-spec.wheelbase / 2 - 0.6f), FixedFromMetres(0.7f)};
    }
    if (spec.kind == CarKind::Formula || spec.kind == CarKind::GrandPrix) {
        ObjectModel& front = body.subModels.emplace_back();
        InitObjectModel(front);
        std::snprintf(front.name, sizeof front.name, "frontwing");
        front.kind = 7;
        front.offset = FixedVector{Fixed(0), FixedFromMetres(spec.wheelbase / 2 + 0.7f), FixedFromMetres(-0.15f)};
    }
    return 1;
}

// Reads the car back as the game does and checks what the builder promises.
int CheckCar(int car, CarObject& carObject)
{
    const char* code = CarNameTable[car].code;
    ConstructCar(carObject);
    if (!LoadCarData(carObject, code, 0, 0, nullptr, 0, nullptr))
        return BuilderFail("Car data does not read back : %s", code);
    const CarSpec& spec = GetCarSpec(car);
    const DefaultEngineSpec& engine = GetDefaultEngineSpec(car);
    if (carObject.data.carClass != engine.carClass || carObject.data.gearboxKind != CarNameTable[car].gearboxKind ||
        carObject.engine.displacement != engine.displacement || carObject.engine.cylinders != engine.cylinders ||
        carObject.wheelCount != 4 || !(carObject.mass > 0) || std::strcmp(carObject.data.shortCode, code))
        return BuilderFail("Car data reads back wrong : %s", code);
    (void)spec;
    return 1;
}

// Every built-in setup must lie inside the limits the car derives.
int CheckSetupLimits(const CarObject& car, const char* code)
{
    float springMax, damperMax, brakeLow, brakeHigh;
    GetRoundedLoadLimits(car, springMax, damperMax);
    GetLoadDerivedLimits(car, brakeLow, brakeHigh);
    int tyreLow, tyreHigh;
    GetTyreTypeRange(car, tyreLow, tyreHigh);
    for (int i = 0; i < car.data.setupCount; i++) {
        const CarSetup& s = car.data.setups[i].setup;
        bool inside = s.maxBrakeTorque >= brakeLow && s.maxBrakeTorque <= brakeHigh &&
                      s.rearWing >= car.data.wingLimits[0] && s.rearWing <= car.data.wingLimits[1] &&
                      s.frontWing >= car.data.wingLimits[4] && s.frontWing <= car.data.wingLimits[5];
        for (const SetupAxle& a : s.axles)
            inside = inside && a.spring >= 0.1f * springMax && a.spring <= springMax &&
                     a.bumpDamping >= 0.1f * damperMax && a.bumpDamping <= damperMax &&
                     a.reboundDamping >= 0.1f * damperMax && a.reboundDamping <= damperMax &&
                     a.antiRoll <= springMax && a.tyreType >= tyreLow && a.tyreType <= tyreHigh;
        if (!inside)
            return BuilderFail("Built-in setup %d outside the car's limits : %s", i, code);
    }
    return 1;
}

template <typename T>
void Hold(T& value, T low, T high)
{
    if (value < low)
        value = low;
    if (value > high)
        value = high;
}

int BuildCar(int car)
{
    const char* code = CarNameTable[car].code;
    const CarSpec& spec = GetCarSpec(car);
    char path[64];
    std::snprintf(path, sizeof path, "data\\veh\\%s.veh", code);
    ObjectModel body;
    if (!MakeCarBody(car, body))
        return 0;
    CarData data;
    for (int variant = 0; variant < 2; variant++) {
        NamedSetup named;
        std::snprintf(named.name, sizeof named.name, variant == 0 ? "default" : "soft");
        named.setup = MakeSetup(spec, variant);
        data.setups.push_back(named);
    }
    // First cut: bars sized with a guess, then corrected by the mass the
    // game's model finds, and the setups pulled inside the limits that the
    // car then derives.
    data.barMass = 0.55f * spec.dryMassTarget;
    for (int round = 0; round < 3; round++) {
        if (!WriteCarData(car, data, body, path)) {
            FreeObjectModel(body);
            return BuilderFail("Could not write : %s", path);
        }
        CarObject probe;
        if (!CheckCar(car, probe)) {
            DestroyCar(probe);
            FreeObjectModel(body);
            return 0;
        }
        data.barMass += spec.dryMassTarget - probe.tuning.dryMass;
        if (data.barMass < 50)
            data.barMass = 50;
        float springMax, damperMax, brakeLow, brakeHigh;
        GetRoundedLoadLimits(probe, springMax, damperMax);
        GetLoadDerivedLimits(probe, brakeLow, brakeHigh);
        for (NamedSetup& named : data.setups) {
            CarSetup& s = named.setup;
            Hold(s.maxBrakeTorque, brakeLow, brakeHigh);
            for (SetupAxle& a : s.axles) {
                Hold(a.spring, 0.12f * springMax, 0.9f * springMax);
                Hold(a.bumpDamping, 0.12f * damperMax, 0.9f * damperMax);
                Hold(a.reboundDamping, 0.12f * damperMax, 0.9f * damperMax);
                Hold(a.antiRoll, 0.0f, 0.9f * springMax);
            }
        }
        DestroyCar(probe);
    }
    int ok = WriteCarData(car, data, body, path);
    FreeObjectModel(body);
    if (!ok)
        return BuilderFail("Could not write : %s", path);

    // The final file: read, construct, reset, place, damage and repair.
    CarObject check;
    ok = CheckCar(car, check) && CheckSetupLimits(check, code);
    if (ok) {
        check.position = MakeFixedVector(0, 0, 5 << 16);
        ResetCar(check, 0.5f, 0, 1);
        DamageRecord record;
        check.wheels[0].travelLoss = 0.003f;
        check.wheels[0].damageState[0] = DamageSome;
        MakeDamageRecord(check, record, 0);
        ApplyDamageRecord(check, record);
        RepairCar(check, 100, 1);
        ok = check.wheels[0].damageState[0] == DamageNone && check.engine.health == 1 &&
             std::fabs(check.tuning.dryMass - spec.dryMassTarget) < 0.05f * spec.dryMassTarget;
        if (!ok)
            BuilderFail("Car fails its reset, damage and repair check : %s (dry mass %.0f kg)", code,
                        check.tuning.dryMass);
    }
    DestroyCar(check);
    return ok;
}

} // namespace

int BuildCars()
{
    for (int car = 0; car < CarCount; car++)
        if (!BuildCar(car))
            return 0;
    return 1;
}
