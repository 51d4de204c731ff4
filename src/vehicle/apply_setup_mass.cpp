// A car's mass model: boxes and bars of mass summed into the car's mass,
// centre of mass and inertia, and the handicaps that add mass or restrict
// the engine.
#include <cmath>

#include "vehicle/local.h"

namespace {

// Mass, first moment and second moment tensor about the car's origin, in
// double so that the order of the many small parts does not matter.
struct MassSums {
    double mass = 0;
    double moment[3] = {};
    double second[9] = {};  // Σ m (|p|² 1 − p pᵀ) plus each part's own inertia

    void AddPoint(double m, double x, double y, double z)
    {
        mass += m;
        moment[0] += m * x;
        moment[1] += m * y;
        moment[2] += m * z;
        const double p[3] = {x, y, z};
        const double r2 = x * x + y * y + z * z;
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                second[i * 3 + j] += m * ((i == j ? r2 : 0) - p[i] * p[j]);
    }
    // A solid box: m/3 × the sum of the other two squared half sizes.
    void AddBox(double m, const Vec3& c, const Vec3& h)
    {
        AddPoint(m, c.x, c.y, c.z);
        const double a = h.x * h.x, b = h.y * h.y, d = h.z * h.z;
        second[0] += m / 3 * (b + d);
        second[4] += m / 3 * (a + d);
        second[8] += m / 3 * (a + b);
    }
    // A thin rod from p to q: m L²/12 (1 − u uᵀ) about its middle.
    void AddRod(double m, const Vec3& p, const Vec3& q)
    {
        const double d[3] = {double(q.x) - p.x, double(q.y) - p.y, double(q.z) - p.z};
        AddPoint(m, (double(p.x) + q.x) / 2, (double(p.y) + q.y) / 2, (double(p.z) + q.z) / 2);
        const double l2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                second[i * 3 + j] += m / 12 * ((i == j ? l2 : 0) - d[i] * d[j]);
    }
};

Vec3 PointOf(const StructurePoint& p)
{
    return {FixedToMetres(Fixed(p.x)), FixedToMetres(Fixed(p.y)), FixedToMetres(Fixed(p.z))};
}

void AddSeat(MassSums& sums, float& seatMass, float x, const Vec3& at, float w)
{
    const float front = 5 * w / 0.2f, back = 10 * w / 0.2f;
    sums.AddBox(front, {x, at.y + 0.05f, at.z + 0.5f}, {w, 0.05f, 0.3f});
    sums.AddBox(back, {x, at.y + 0.3f, at.z + 0.1f}, {w, 0.3f, 0.1f});
    seatMass += front + back;
}

void AddOccupant(MassSums& sums, float& occupantMass, float x, const Vec3& at)
{
    sums.AddBox(35, {x, at.y + 0.2f, at.z + 0.65f}, {0.15f, 0.1f, 0.25f});
    sums.AddBox(35, {x, at.y + 0.5f, at.z + 0.3f}, {0.15f, 0.4f, 0.1f});
    occupantMass += 70;
}

// Mass, centre and inertia of the car from the sums.
void CommitMassSums(CarObject& car, const MassSums& s, int pass)
{
    if (!(s.mass > 0))
        return;
    const double c[3] = {s.moment[0] / s.mass, s.moment[1] / s.mass, s.moment[2] / s.mass};
    if (pass == 1) {
        car.mass = static_cast<float>(s.mass);
        car.centreOfMass = {static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2])};
        return;
    }
    double in[9];
    const double c2 = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            in[i * 3 + j] = s.second[i * 3 + j] - s.mass * ((i == j ? c2 : 0) - c[i] * c[j]);
    const double det = in[0] * (in[4] * in[8] - in[5] * in[7]) - in[1] * (in[3] * in[8] - in[5] * in[6]) +
                       in[2] * (in[3] * in[7] - in[4] * in[6]);
    const double inv[9] = {(in[4] * in[8] - in[5] * in[7]) / det, (in[2] * in[7] - in[1] * in[8]) / det,
                           (in[1] * in[5] - in[2] * in[4]) / det, (in[5] * in[6] - in[3] * in[8]) / det,
                           (in[0] * in[8] - in[2] * in[6]) / det, (in[2] * in[3] - in[0] * in[5]) / det,
                           (in[3] * in[7] - in[4] * in[6]) / det, (in[1] * in[6] - in[0] * in[7]) / det,
                           (in[0] * in[4] - in[1] * in[3]) / det};
    for (int i = 0; i < 9; i++) {
        car.inertia.m[i] = static_cast<float>(in[i]);
        car.inverseInertia.m[i] = det != 0 ? static_cast<float>(inv[i]) : 0.0f;
    }
}

// The seats a car has: the driver's side (mirrored when the driver sits on
// the other side), a front passenger seat beside a driver off the centre,
// a rear bench and its half width.
struct SeatLayout {
    float driverX = 0;   // m
    bool frontSeat = false, rearSeats = false;
    float benchHalf = 0;  // m
};

SeatLayout CarSeats(const CarObject& car)
{
    SeatLayout seats;
    const Vec3& seat = car.data.driverSeat;
    seats.driverX = car.data.mirrorDriver ? -seat.x : seat.x;
    seats.frontSeat = (car.data.dataFlags & CarDataFrontPassengerSeat) && std::fabs(seat.x) > 0.2f;
    seats.rearSeats = (car.data.dataFlags & CarDataRearSeats) != 0;
    seats.benchHalf = std::fabs(seat.x) + 0.2f;
    return seats;
}

// The structure's bars, each once as stored and once mirrored in x (a bar
// from a point to itself runs across to its mirror image).
void AddStructureMass(CarObject& car, MassSums& sums)
{
    const CarData& data = car.data;
    for (int i = 0; i < data.structureBarCount; i++) {
        const StructureBar& bar = data.structureBars[i];
        if (bar.pointA < 0 || bar.pointB < 0 || bar.pointA >= data.structurePointCount ||
            bar.pointB >= data.structurePointCount)
            continue;
        Vec3 a = PointOf(data.structurePoints[bar.pointA]), b = PointOf(data.structurePoints[bar.pointB]);
        if (bar.pointA == bar.pointB) {
            Vec3 m = {-a.x, a.y, a.z};
            float m0 = std::sqrt(LengthSquared(m - a)) * bar.value;
            sums.AddRod(m0, a, m);
            car.tuning.structureMass += m0;
        } else {
            float m0 = std::sqrt(LengthSquared(b - a)) * bar.value;
            sums.AddRod(m0, a, b);
            sums.AddRod(m0, {-a.x, a.y, a.z}, {-b.x, b.y, b.z});
            car.tuning.structureMass += 2 * m0;
        }
    }
}

// The engine block, and the fuel tank: a cube of the car data's capacity,
// or a box by the engine's size and the class whose volume gives the
// capacity.
void AddEngineAndTank(CarObject& car, MassSums& sums)
{
    CarTuning& tuning = car.tuning;
    tuning.engineMass = GetEngineMass(car.engine);
    Vec3 block;
    GetEngineBlockSize(car.engine, (car.data.dataFlags & CarDataTransverseEngine) ? 1 : 0, block);
    sums.AddBox(tuning.engineMass, car.data.enginePosition, 0.5f * block);
    tuning.tankMass = 0.3f * tuning.engineMass;
    if (car.data.dataFlags & CarDataFuelCapacity) {
        float side = static_cast<float>(std::cbrt(0.002 * car.data.fuelCapacity) * 0.5);
        tuning.fuelTankHalfSize = {side, side, side / 2};
    } else {
        const CarClass& row = CarClassTable[car.data.carClass];
        float s = (block.x + block.y + block.z) * row.tankSizeFactor * 0.33f;
        tuning.fuelTankHalfSize = {1.1f * s, 0.7f * s, 0.5f * s};
        car.data.fuelCapacity =
            8000 * tuning.fuelTankHalfSize.x * tuning.fuelTankHalfSize.y * tuning.fuelTankHalfSize.z;
    }
    sums.AddBox(tuning.tankMass, car.data.fuelTankPosition, tuning.fuelTankHalfSize);
}

// The seats, the car data's extra mass (mirrored with the driver) and the
// spare wheel.
void AddSeatsAndExtras(CarObject& car, MassSums& sums, const SeatLayout& seats)
{
    const CarData& data = car.data;
    AddSeat(sums, car.tuning.seatMass, seats.driverX, data.driverSeat, 0.2f);
    if (seats.frontSeat)
        AddSeat(sums, car.tuning.seatMass, -seats.driverX, data.driverSeat, 0.2f);
    if (seats.rearSeats)
        AddSeat(sums, car.tuning.seatMass, data.rearSeat.x, data.rearSeat, seats.benchHalf);
    if (data.extraMass > 0) {
        float side = static_cast<float>(std::cbrt(0.0004 * data.extraMass));
        Vec3 at = data.extraMassPosition;
        if (data.mirrorDriver)
            at.x = -at.x;
        sums.AddBox(data.extraMass, at, {side / 2, side / 2, side / 2});
    }
    if ((data.dataFlags & CarDataSpareWheel) && car.wheelCount > 0) {
        const Axle& axle = car.axles[car.wheels[0].axleIndex];
        sums.AddBox(car.wheels[0].wheelMass, data.spareWheelPosition,
                    {axle.tyreWidth / 2, axle.tyreRadius, axle.tyreRadius});
    }
}

// The drive masses inboard of the wheels (the class's share of the
// engine's mass each).
void AddDriveMasses(CarObject& car, MassSums& sums)
{
    const float driveMass = CarClassTable[car.data.carClass].wheelDriveMassFactor * car.tuning.engineMass;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& w = car.wheels[i];
        const Axle& axle = car.axles[w.axleIndex];
        float h = w.springRate * 0.0000005f;
        car.tuning.wheelDriveMass += driveMass;
        sums.AddBox(driveMass, {w.wheelCentreX - w.side * (axle.tyreWidth / 2 + h), w.mountPosition.y, w.mountHeight},
                    {h, h, 0.2f});
    }
}

// The driver, and the passengers the setup seats where the car has seats
// (a rear middle passenger needs a bench of 0.35 m half width).
void AddOccupants(CarObject& car, MassSums& sums, const SeatLayout& seats)
{
    if (car.data.driverAnimation == -1)
        return;
    const Vec3& seat = car.data.driverSeat;
    const Vec3& rear = car.data.rearSeat;
    Vec3* places = car.tuning.passengerPositions;
    float& occupants = car.tuning.occupantMass;
    AddOccupant(sums, occupants, seats.driverX, seat);
    const uint8_t p = car.data.setup ? car.data.setup->passengers : 0;
    if ((p & 3) && seats.frontSeat) {
        AddOccupant(sums, occupants, -seats.driverX, seat);
        places[0] = {-seats.driverX, seat.y, seat.z};
    }
    if (!seats.rearSeats)
        return;
    const float side = std::fabs(seat.x);
    if (p & 0x0C) {
        AddOccupant(sums, occupants, rear.x - side, rear);
        places[1] = {rear.x - side, rear.y, rear.z};
    }
    if ((p & 0x30) && seats.benchHalf >= 0.35f) {
        AddOccupant(sums, occupants, rear.x, rear);
        places[2] = rear;
    }
    if (p & 0xC0) {
        AddOccupant(sums, occupants, rear.x + side, rear);
        places[3] = {rear.x + side, rear.y, rear.z};
    }
}

// The wheels, each a box of its mass at its centre.
void AddWheelMasses(CarObject& car, MassSums& sums)
{
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& w = car.wheels[i];
        const Axle& axle = car.axles[w.axleIndex];
        sums.AddBox(w.wheelMass, w.hubPoint + w.hubOffset, {axle.tyreWidth / 2, axle.tyreRadius, axle.tyreRadius});
        car.tuning.wheelMassSum += w.wheelMass;
    }
}

} // namespace

void ComputeCarMassProperties(CarObject& car, int pass)
{
    if (pass != 1 && pass != 2)
        return;  // pass 0 draws the boxes: nothing to draw without car drawing
    MassSums sums;
    CarTuning& tuning = car.tuning;
    tuning.structureMass = tuning.seatMass = tuning.occupantMass = tuning.wheelDriveMass = tuning.wheelMassSum = 0;
    const SeatLayout seats = CarSeats(car);
    AddStructureMass(car, sums);
    AddEngineAndTank(car, sums);
    AddSeatsAndExtras(car, sums, seats);
    AddDriveMasses(car, sums);
    if (pass == 1)
        tuning.dryMass = static_cast<float>(sums.mass);
    AddOccupants(car, sums, seats);
    AddWheelMasses(car, sums);
    if (pass == 1)
        tuning.dryMass += tuning.wheelMassSum;
    // The base the added mass starts from.
    tuning.baseMass = sums.mass;
    for (int i = 0; i < 3; i++)
        tuning.baseMoment[i] = sums.moment[i];
    for (int i = 0; i < 9; i++)
        tuning.baseSecond[i] = sums.second[i];
    CommitMassSums(car, sums, pass);
}

namespace {

// The car's base mass sums with the applied added mass, a point between
// the axles at its set position.
MassSums BaseSumsWithAddedMass(const CarObject& car)
{
    MassSums sums;
    sums.mass = car.tuning.baseMass;
    for (int i = 0; i < 3; i++)
        sums.moment[i] = car.tuning.baseMoment[i];
    for (int i = 0; i < 9; i++)
        sums.second[i] = car.tuning.baseSecond[i];
    if (car.tuning.appliedMass > 0) {
        const float share = car.tuning.appliedMassPosition * 0.01f;
        const float y = car.tuning.axleY[0] + share * (car.tuning.axleY[1] - car.tuning.axleY[0]);
        const float z = car.axles[0].maxHeight + share * (car.axles[1].maxHeight - car.axles[0].maxHeight);
        sums.AddPoint(car.tuning.appliedMass, 0, y, z);
    }
    return sums;
}

} // namespace

void ApplyAddedMass(CarObject& car, int kg)
{
    car.tuning.appliedMass = static_cast<uint8_t>(Clamp(kg, 0, 255));
    car.tuning.appliedMassPosition = car.data.setup ? car.data.setup->addedMassPosition : 50;
    MassSums sums = BaseSumsWithAddedMass(car);
    CommitMassSums(car, sums, 1);
    CommitMassSums(car, sums, 2);
    UpdateMassScales(car);
}

void CommitCarMassWithLoad(CarObject& car, float loadKg, const Vec3& centre, const Vec3& halfSize)
{
    MassSums sums = BaseSumsWithAddedMass(car);
    if (loadKg > 0)
        sums.AddBox(loadKg, centre, halfSize);
    CommitMassSums(car, sums, 1);
    CommitMassSums(car, sums, 2);
}

void ApplyIntakeRestriction(CarObject& car, int percent)
{
    car.tuning.appliedRestriction = static_cast<uint8_t>(Clamp(percent, 0, 100));
    const float kept = car.engine.torqueFactor;
    car.engine.torqueFactor = kept * (1 - car.tuning.appliedRestriction / 100.0f);
    SetUpEngine(car.engine, CarClassTable[car.data.carClass]);
    car.engine.torqueFactor = kept;
}

void UpdateCarHandicaps(CarObject& car)
{
    int mass = car.data.setup ? car.data.setup->addedMass : 0;
    int restriction = car.data.setup ? car.data.setup->intakeRestriction : 0;
    // At most 2% of the dry mass in tens of kg, and never more than 200 kg;
    // a dry mass far out of range (or not a number) gives 0 or 200, never
    // an undefined conversion.
    int tens = RoundToInt32(car.tuning.dryMass * 0.02f);
    tens = Clamp(tens, 0, 20);
    int limit = 10 * tens;
    if (mass > limit)
        mass = limit;
    const int car_index = FindCarByCode(car.data.shortCode);
    if (car_index >= 0) {
        if (mass < CarHandicapTable[car_index].mass)
            mass = CarHandicapTable[car_index].mass;
        if (restriction < CarHandicapTable[car_index].restriction)
            restriction = CarHandicapTable[car_index].restriction;
    }
    const uint8_t position = car.data.setup ? car.data.setup->addedMassPosition : 50;
    if (mass != car.tuning.appliedMass || position != car.tuning.appliedMassPosition)
        ApplyAddedMass(car, mass);
    if (restriction != car.tuning.appliedRestriction)
        ApplyIntakeRestriction(car, restriction);
}

void UpdateMassScales(CarObject& car)
{
    car.tuning.massScale = car.mass > 0 ? std::sqrt(1000.0f / car.mass) : 1.0f;
    car.tuning.steerStiffness = 20000 / car.tuning.massScale;
    car.tuning.steerDamping = 200 / car.tuning.massScale;
}
