// A car's dents: the impact list moves the body model's points, its parts,
// the wheel mounts and the contact points inwards, and the undamaged shape
// kept before the first impact undoes it exactly.
#include <algorithm>
#include <cmath>

#include "vehicle/local.h"

namespace {

// A signed 5-bit field of the packed direction, as a component.
float DirectionComponent(uint32_t packed, int shift)
{
    int v = static_cast<int>((packed >> shift) & 31);
    if (v >= 16)
        v -= 32;
    return static_cast<float>(v) / 15.0f;
}

struct Impact {
    int point = 0;
    float strength = 0;  // m
    Vec3 direction;      // car axes, not of unit length
};

Impact DecodeImpact(uint32_t entry, float reach)
{
    Impact impact;
    impact.point = static_cast<int>(entry & 0xFF);
    impact.strength = static_cast<float>((entry >> 8) & 0xFF) * reach / 255.0f;
    const uint32_t packed = entry >> 16;
    impact.direction = {DirectionComponent(packed, 11), DirectionComponent(packed, 6), DirectionComponent(packed, 1)};
    return impact;
}

// Keeps the undamaged shape, unless the copy already matches the car's
// arrays (a car whose points were rebuilt gets a new copy).
void KeepUndamagedShape(CarObject& car)
{
    const CarModelHooks& model = GetCarModelHooks();
    CarShapeCopy& copy = car.drawing.undamaged;
    const int modelPoints = car.data.bodyModel ? model.modelPointCount(*car.data.bodyModel) : 0;
    const int parts = car.data.bodyModel ? model.modelPartCount(*car.data.bodyModel) : 0;
    if (copy.contacts && copy.contactCount == car.pointCount && copy.modelPointCount == modelPoints &&
        copy.partCount == parts)
        return;
    FreeCarVertexCopies(car);
    copy.contactCount = car.pointCount;
    copy.contacts = new Vec3[car.pointCount > 0 ? car.pointCount : 1];
    for (int i = 0; i < car.pointCount; i++)
        copy.contacts[i] = car.points[i].local;
    copy.modelPointCount = modelPoints;
    copy.modelPoints = new FixedVector[modelPoints > 0 ? modelPoints : 1];
    for (int i = 0; i < modelPoints; i++)
        copy.modelPoints[i] = *model.modelPoint(*car.data.bodyModel, i);
    copy.partCount = parts;
    copy.partOffsets = new FixedVector[parts > 0 ? parts : 1];
    for (int i = 0; i < parts; i++)
        copy.partOffsets[i] = *model.modelPartOffset(*car.data.bodyModel, i);
    for (MeshNode* node : car.drawing.meshNodes)
        if (node)
            model.saveMeshNodeShape(*node);
}

} // namespace

// The share of an impact at p that a point at v takes (before its spread):
// full behind the point, falling to nothing at q ahead of it along the
// direction, and to nothing at r from it. 0 outside.
float CarImpactShare(const Vec3& v, const Vec3& p, const Vec3& direction, float r, float q)
{
    const Vec3 offset = v - p;
    const float d = Dot(offset, direction);
    const float distance2 = LengthSquared(offset);
    const float r2 = r * r;
    if (!(d < q) || !(distance2 < r2))
        return 0;
    return (1 - distance2 / r2) * (d >= 0 ? 1 - d / q : 1);
}

// A vertex's spread: 0.5 to just below 1 by its coordinates, so that a
// dent is not perfectly smooth.
float CarImpactSpread(const FixedVector& v)
{
    const uint32_t sum = static_cast<uint32_t>(v.x.raw) + static_cast<uint32_t>(v.y.raw) +
                         static_cast<uint32_t>(v.z.raw);
    return static_cast<float>((sum & 127) * 256 + 32768) / 65536.0f;
}

// Moves a 16.16 point by direction × amount; true when it moved.
bool MoveFixedPoint(FixedVector& point, const Vec3& direction, float amount)
{
    const FixedVector step = FixedFromOffset(amount * direction);
    if (step.x.raw == 0 && step.y.raw == 0 && step.z.raw == 0)
        return false;
    point = MakeFixedVector(static_cast<int32_t>(static_cast<uint32_t>(point.x.raw) + static_cast<uint32_t>(step.x.raw)),
                            static_cast<int32_t>(static_cast<uint32_t>(point.y.raw) + static_cast<uint32_t>(step.y.raw)),
                            static_cast<int32_t>(static_cast<uint32_t>(point.z.raw) + static_cast<uint32_t>(step.z.raw)));
    return true;
}

void DeformCarMesh(CarObject& car)
{
    const float reach = car.tuning.wheelbase * 0.5f;
    const int count = car.step.impactCount < MaxCarImpacts ? car.step.impactCount : MaxCarImpacts;
    if (count <= 0 || !(reach > 0))
        return;
    KeepUndamagedShape(car);
    const CarModelHooks& model = GetCarModelHooks();
    const int modelPoints = car.data.bodyModel ? model.modelPointCount(*car.data.bodyModel) : 0;
    const int parts = car.data.bodyModel ? model.modelPartCount(*car.data.bodyModel) : 0;
    const float ahead = 0.333f * reach;
    bool moved = false;
    for (int k = 0; k < count; k++) {
        const Impact impact = DecodeImpact(car.step.impacts[k], reach);
        // Entries come from other computers too: one naming a point the car
        // does not have is passed over.
        if (impact.point >= car.pointCount || impact.strength == 0)
            continue;
        ContactPoint& point = car.points[impact.point];
        const Vec3 p = point.local;
        const Vec3& dir = impact.direction;
        for (int i = 0; i < modelPoints; i++) {
            FixedVector& vertex = *model.modelPoint(*car.data.bodyModel, i);
            const float share = CarImpactShare(OffsetFromFixed(vertex), p, dir, reach, ahead);
            if (share != 0 && MoveFixedPoint(vertex, dir, share * impact.strength * CarImpactSpread(vertex)))
                moved = true;
        }
        for (int i = 0; i < parts; i++) {
            FixedVector& offset = *model.modelPartOffset(*car.data.bodyModel, i);
            const float share = CarImpactShare(OffsetFromFixed(offset), p, dir, reach, ahead);
            if (share != 0)
                MoveFixedPoint(offset, dir, share * impact.strength);
        }
        for (MeshNode* node : car.drawing.meshNodes)
            if (node && model.deformMeshNode(*node, p, dir, impact.strength, reach))
                moved = true;
        for (int i = 0; i < car.wheelCount; i++) {
            Wheel& wheel = car.wheels[i];
            const float share = CarImpactShare(wheel.mountPosition, p, dir, reach, ahead);
            if (share != 0)
                wheel.mountPosition += (share * impact.strength) * dir;
        }
        point.local += impact.strength * dir;
    }
    if (moved)
        for (MeshNode* node : car.drawing.meshNodes)
            if (node)
                model.finishMeshNodeDeform(*node);
}

void RestoreCarShape(CarObject& car, int withVertices)
{
    for (int i = 0; i < car.wheelCount; i++)
        car.wheels[i].mountPosition = car.wheels[i].dataPosition;
    const CarShapeCopy& copy = car.drawing.undamaged;
    if (!copy.contacts)
        return;  // never dented
    const int contacts = copy.contactCount < car.pointCount ? copy.contactCount : car.pointCount;
    for (int i = 0; i < contacts; i++)
        car.points[i].local = copy.contacts[i];
    if (!withVertices)
        return;
    const CarModelHooks& model = GetCarModelHooks();
    if (car.data.bodyModel) {
        const int points = std::min(copy.modelPointCount, model.modelPointCount(*car.data.bodyModel));
        for (int i = 0; i < points; i++)
            *model.modelPoint(*car.data.bodyModel, i) = copy.modelPoints[i];
        const int parts = std::min(copy.partCount, model.modelPartCount(*car.data.bodyModel));
        for (int i = 0; i < parts; i++)
            *model.modelPartOffset(*car.data.bodyModel, i) = copy.partOffsets[i];
    }
    for (MeshNode* node : car.drawing.meshNodes)
        if (node)
            model.restoreMeshNodeShape(*node);
}

void FreeCarVertexCopies(CarObject& car)
{
    CarShapeCopy& copy = car.drawing.undamaged;
    delete[] copy.contacts;
    delete[] copy.modelPoints;
    delete[] copy.partOffsets;
    copy = {};
    for (MeshNode* node : car.drawing.meshNodes)
        if (node)
            GetCarModelHooks().freeMeshNodeShape(*node);
}

void RestoreCarShape(CarObject& car)
{
    RestoreCarShape(car, 1);
}

uint32_t PackCarImpactDirection(const Vec3& direction)
{
    auto field = [](float component) {
        int v = static_cast<int>(std::nearbyint(component * 15.0f));
        v = Clamp(v, -15, 15);
        return static_cast<uint32_t>(v) & 31;
    };
    return field(direction.x) << 11 | field(direction.y) << 6 | field(direction.z) << 1;
}
