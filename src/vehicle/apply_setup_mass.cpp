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

} // namespace

void ComputeCarMassProperties(CarObject& car, int pass)
{
    if (pass != 1 && pass != 2)
        return;  // pass 0 draws the boxes: nothing to draw without car drawing
    MassSums sums;
    car.structureMass = car.seatMass = car.occupantMass = car.wheelDriveMass = car.wheelMassSum = 0;
    const bool mirror = car.mirrorDriver != 0;
    // Structure bars, each once as stored and once mirrored in x.
    for (int i = 0; i < car.structureBarCount; i++) {
        const StructureBar& bar = car.structureBars[i];
        if (bar.pointA < 0 || bar.pointB < 0 || bar.pointA >= car.structurePointCount ||
            bar.pointB >= car.structurePointCount)
            continue;
        Vec3 a = PointOf(car.structurePoints[bar.pointA]), b = PointOf(car.structurePoints[bar.pointB]);
        if (bar.pointA == bar.pointB) {
            Vec3 m = {-a.x, a.y, a.z};
            float m0 = std::sqrt(LengthSquared(m - a)) * bar.value;
            sums.AddRod(m0, a, m);
            car.structureMass += m0;
        } else {
            float m0 = std::sqrt(LengthSquared(b - a)) * bar.value;
            sums.AddRod(m0, a, b);
            sums.AddRod(m0, {-a.x, a.y, a.z}, {-b.x, b.y, b.z});
            car.structureMass += 2 * m0;
        }
    }
    // Engine block.
    car.engineMass = GetEngineMass(car.engine);
    Vec3 block;
    GetEngineBlockSize(car.engine, (car.dataFlags & (1 << 6)) ? 1 : 0, block);
    sums.AddBox(car.engineMass, car.enginePosition, 0.5f * block);
    // Fuel tank.
    car.tankMass = 0.3f * car.engineMass;
    if (car.dataFlags & (1 << 19)) {
        float side = static_cast<float>(std::cbrt(0.002 * car.fuelCapacity) * 0.5);
        car.fuelTankHalfSize = {side, side, side / 2};
    } else {
        const CarClass& row = CarClassTable[car.carClass];
        float s = (block.x + block.y + block.z) * row.tankSizeFactor * 0.33f;
        car.fuelTankHalfSize = {1.1f * s, 0.7f * s, 0.5f * s};
        car.fuelCapacity = 8000 * car.fuelTankHalfSize.x * car.fuelTankHalfSize.y * car.fuelTankHalfSize.z;
    }
    sums.AddBox(car.tankMass, car.fuelTankPosition, car.fuelTankHalfSize);
    // Seats.
    const float driverX = mirror ? -car.driverSeat.x : car.driverSeat.x;
    AddSeat(sums, car.seatMass, driverX, car.driverSeat, 0.2f);
    const bool frontSeat = (car.dataFlags & (1 << 8)) && std::fabs(car.driverSeat.x) > 0.2f;
    const bool rearSeats = (car.dataFlags & (1 << 10)) != 0;
    const float benchHalf = std::fabs(car.driverSeat.x) + 0.2f;
    if (frontSeat)
        AddSeat(sums, car.seatMass, -driverX, car.driverSeat, 0.2f);
    if (rearSeats)
        AddSeat(sums, car.seatMass, car.rearSeat.x, car.rearSeat, benchHalf);
    // Extra mass.
    if (car.extraMass > 0) {
        float side = static_cast<float>(std::cbrt(0.0004 * car.extraMass));
        Vec3 at = car.extraMassPosition;
        if (mirror)
            at.x = -at.x;
        sums.AddBox(car.extraMass, at, {side / 2, side / 2, side / 2});
    }
    // Spare wheel.
    if ((car.dataFlags & (1 << 2)) && car.wheelCount > 0) {
        const Axle& axle = car.axles[car.wheels[0].axleIndex];
        sums.AddBox(car.wheels[0].wheelMass, car.spareWheelPosition,
                    {axle.tyreWidth / 2, axle.tyreRadius, axle.tyreRadius});
    }
    // Drive masses inboard of the wheels.
    const float driveMass = CarClassTable[car.carClass].wheelDriveMassFactor * car.engineMass;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& w = car.wheels[i];
        const Axle& axle = car.axles[w.axleIndex];
        float h = w.springRate * 0.0000005f;
        car.wheelDriveMass += driveMass;
        sums.AddBox(driveMass, {w.wheelCentreX - w.side * (axle.tyreWidth / 2 + h), w.mountPosition.y, w.mountHeight},
                    {h, h, 0.2f});
    }
    if (pass == 1)
        car.dryMass = static_cast<float>(sums.mass);
    // Driver and passengers.
    if (car.driverAnimation != -1) {
        AddOccupant(sums, car.occupantMass, driverX, car.driverSeat);
        const uint8_t p = car.setup ? car.setup->passengers : 0;
        if ((p & 3) && frontSeat) {
            AddOccupant(sums, car.occupantMass, -driverX, car.driverSeat);
            car.passengerPositions[0] = {-driverX, car.driverSeat.y, car.driverSeat.z};
        }
        if (rearSeats) {
            const float side = std::fabs(car.driverSeat.x);
            if (p & 0x0C) {
                AddOccupant(sums, car.occupantMass, car.rearSeat.x - side, car.rearSeat);
                car.passengerPositions[1] = {car.rearSeat.x - side, car.rearSeat.y, car.rearSeat.z};
            }
            if ((p & 0x30) && benchHalf >= 0.35f) {
                AddOccupant(sums, car.occupantMass, car.rearSeat.x, car.rearSeat);
                car.passengerPositions[2] = car.rearSeat;
            }
            if (p & 0xC0) {
                AddOccupant(sums, car.occupantMass, car.rearSeat.x + side, car.rearSeat);
                car.passengerPositions[3] = {car.rearSeat.x + side, car.rearSeat.y, car.rearSeat.z};
            }
        }
    }
    // Wheels.
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& w = car.wheels[i];
        const Axle& axle = car.axles[w.axleIndex];
        sums.AddBox(w.wheelMass, w.hubPoint + w.hubOffset, {axle.tyreWidth / 2, axle.tyreRadius, axle.tyreRadius});
        car.wheelMassSum += w.wheelMass;
    }
    if (pass == 1)
        car.dryMass += car.wheelMassSum;
    // The base the added mass starts from.
    car.baseMass = sums.mass;
    for (int i = 0; i < 3; i++)
        car.baseMoment[i] = sums.moment[i];
    for (int i = 0; i < 9; i++)
        car.baseSecond[i] = sums.second[i];
    CommitMassSums(car, sums, pass);
}

namespace {

// The car's base mass sums with the applied added mass, a point between
// the axles at its set position.
MassSums BaseSumsWithAddedMass(const CarObject& car)
{
    MassSums sums;
    sums.mass = car.baseMass;
    for (int i = 0; i < 3; i++)
        sums.moment[i] = car.baseMoment[i];
    for (int i = 0; i < 9; i++)
        sums.second[i] = car.baseSecond[i];
    if (car.appliedMass > 0) {
        const float share = car.appliedMassPosition * 0.01f;
        const float y = car.axleY[0] + share * (car.axleY[1] - car.axleY[0]);
        const float z = car.axles[0].maxHeight + share * (car.axles[1].maxHeight - car.axles[0].maxHeight);
        sums.AddPoint(car.appliedMass, 0, y, z);
    }
    return sums;
}

} // namespace

void ApplyAddedMass(CarObject& car, int kg)
{
    car.appliedMass = static_cast<uint8_t>(kg < 0 ? 0 : kg > 255 ? 255 : kg);
    car.appliedMassPosition = car.setup ? car.setup->addedMassPosition : 50;
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
    car.appliedRestriction = static_cast<uint8_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
    const float kept = car.engine.torqueFactor;
    car.engine.torqueFactor = kept * (1 - car.appliedRestriction / 100.0f);
    SetUpEngine(car.engine, CarClassTable[car.carClass]);
    car.engine.torqueFactor = kept;
}

void UpdateCarHandicaps(CarObject& car)
{
    int mass = car.setup ? car.setup->addedMass : 0;
    int restriction = car.setup ? car.setup->intakeRestriction : 0;
    // At most 2% of the dry mass in tens of kg, and never more than 200 kg;
    // a dry mass far out of range (or not a number) gives 0 or 200, never
    // an undefined conversion.
    int tens = RoundToInt32(car.dryMass * 0.02f);
    tens = tens < 0 ? 0 : tens > 20 ? 20 : tens;
    int limit = 10 * tens;
    if (mass > limit)
        mass = limit;
    const int car_index = FindCarByCode(car.shortCode);
    if (car_index >= 0) {
        if (mass < CarHandicapTable[car_index].mass)
            mass = CarHandicapTable[car_index].mass;
        if (restriction < CarHandicapTable[car_index].restriction)
            restriction = CarHandicapTable[car_index].restriction;
    }
    const uint8_t position = car.setup ? car.setup->addedMassPosition : 50;
    if (mass != car.appliedMass || position != car.appliedMassPosition)
        ApplyAddedMass(car, mass);
    if (restriction != car.appliedRestriction)
        ApplyIntakeRestriction(car, restriction);
}

void UpdateMassScales(CarObject& car)
{
    car.massScale = car.mass > 0 ? std::sqrt(1000.0f / car.mass) : 1.0f;
    car.steerStiffness = 20000 / car.massScale;
    car.steerDamping = 200 / car.massScale;
}
