// Solid objects: a placed copy of one of the world's shared models (an
// object model or a revolved shape), its levels of detail and, while it is
// in the world's object cells, its rigid collision body.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "world/local.h"

namespace {

const SharedModel* ModelOf(const SolidObject& solid)
{
    if (!solid.world || solid.model < 0 || size_t(solid.model) >= solid.world->sharedModels.size())
        return nullptr;
    return &solid.world->sharedModels[size_t(solid.model)];
}

int32_t MetresToFixed(float metres) { return RoundToInt32(double(metres) * 65536.0); }

// Levels of an object model: its own distances, limited by 256 times the
// object's level limit, the last always at the limit.
void SetModelLevels(SolidObject& solid, const ObjectModel& model, int32_t limit)
{
    solid.levelCount = static_cast<uint8_t>(std::clamp<int>(model.levelCount, 1, LodLevelCount));
    for (int i = 0; i < solid.levelCount; i++) {
        const int32_t far = limit * 256;
        const bool last = i == solid.levelCount - 1;
        solid.levels[i].distance = last || model.levelDistance[i] > far ? far : model.levelDistance[i];
    }
    solid.distanceLod = 1;
}

// Levels of a revolved shape of n sides: fewer sides further away; level 0
// is always the one drawn.
void SetRevolvedLevels(SolidObject& solid, int n, int32_t limit)
{
    solid.levels[0].detail = static_cast<int16_t>(n);
    solid.levels[0].first = 1;
    solid.levels[0].distance = limit * 32;
    if (n >= 10) {
        solid.levels[1].detail = static_cast<int16_t>(n / 2);
        solid.levels[1].distance = limit * 128;
        solid.levels[2].detail = static_cast<int16_t>(std::max(n / 4, 3));
        solid.levels[2].distance = limit * 256;
        solid.levelCount = 3;
    } else {
        solid.levels[1].detail = static_cast<int16_t>(std::max(n / 4, 3));
        solid.levels[1].distance = limit * 256;
        solid.levelCount = 2;
    }
    solid.distanceLod = 0;
}

// The revolved shape's local bounding centre height and radius (m).
void RevolvedBounds(const RevolvedShape& shape, double& centreHeight, double& radius)
{
    centreHeight = 0;
    radius = 0;
    if (shape.count <= 0)
        return;
    double low = shape.pairs[0].y, high = shape.pairs[0].y;
    for (int i = 1; i < shape.count; i++) {
        low = std::min<double>(low, shape.pairs[i].y);
        high = std::max<double>(high, shape.pairs[i].y);
    }
    centreHeight = (low + high) / 2;
    for (int i = 0; i < shape.count; i++) {
        const double r = shape.pairs[i].x, dz = shape.pairs[i].y - centreHeight;
        radius = std::max(radius, std::sqrt(r * r + dz * dz));
    }
}

} // namespace

SolidObject::SolidObject() = default;

SolidObject::~SolidObject()
{
    FreeSolidCollision(*this);
}

bool SolidObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    heading = ReadFloat(r);
    pitch = ReadFloat(r);
    roll = ReadFloat(r);
    height = ReadFloat(r);
    solidFlags = ReadInt(r);
    model = static_cast<int16_t>(ReadShort(r));
    variantA = static_cast<uint8_t>(ReadByte(r));
    variantB = static_cast<uint8_t>(ReadByte(r));
    return true;
}

void SolidObject::Save(DataFile& writer) const
{
    WriteFloat(writer, heading);
    WriteFloat(writer, pitch);
    WriteFloat(writer, roll);
    WriteFloat(writer, height);
    WriteInt(writer, solidFlags);
    WriteShort(writer, model);
    WriteByte(writer, variantA);
    WriteByte(writer, variantB);
}

void GetSolidTransform(const SolidObject& solid, const SharedModel& model, FixedTransform& out)
{
    FixedMatrix rotation;
    RotationZXY(rotation, HeadingToAngle16(solid.heading), HeadingToAngle16(solid.pitch),
                HeadingToAngle16(solid.roll));
    for (int i = 0; i < 9; i++)
        out.matrix.m[i] = Fixed(RoundToInt32(double(rotation.m[i].raw) * double(model.scale)));
    out.translation = {solid.x, solid.y, Fixed(MetresToFixed(solid.height))};
}

void SolidObject::Init()
{
    SetBoxToPoint(*this);
    levelCount = 0;
    for (LodLevel& level : levels)
        level = {};
    const SharedModel* shared = ModelOf(*this);
    radius = 0;
    centre = {x, y, Fixed(0)};
    if (!shared || (shared->kind == 0 && !shared->model) || (shared->kind == 1 && !shared->shape) || shared->kind > 1)
        return;
    FixedTransform transform;
    GetSolidTransform(*this, *shared, transform);
    FixedVector local;
    if (shared->kind == 0) {
        int32_t modelRadius = 0;
        ComputeModelBounds(*shared->model, local, modelRadius);
        radius = RoundToInt32(double(modelRadius) * std::fabs(double(shared->scale)));
        SetModelLevels(*this, *shared->model, LodDistanceLimit(radius));
    } else {
        RevolvedShape& shape = *shared->shape;
        shape.sides = std::max<int32_t>(shape.sides, 5);
        double centreHeight, shapeRadius;
        RevolvedBounds(shape, centreHeight, shapeRadius);
        local = MakeFixedVector(0, 0, shape.count > 0 ? MetresToFixed(float(centreHeight)) : 0);
        radius = RoundToInt32(shapeRadius * std::fabs(double(shared->scale)) * 65536.0);
        SetRevolvedLevels(*this, shape.sides, LodDistanceLimit(radius));
    }
    TransformPoint(transform, local, centre);
}

// ---------------------------------------------------------------------------
// The collision body.

int BuildSolidCollision(SolidObject& solid)
{
    const SharedModel* shared = ModelOf(solid);
    if (!shared || shared->collisionKind == 0 || solid.body)
        return solid.body != nullptr;
    auto* body = new SceneryBody;
    const char* reason = ": No physics - No model";
    if (shared->kind == 0 && shared->model)
        reason = CheckPhysicsLod(*shared->model, *body, RoundToInt32(double(shared->scale) * 65536.0),
                                 AllModelParts);
    else if (shared->kind == 1 && shared->shape)
        reason = BuildRevolvedHull(*shared->shape, *body, shared->scale);
    if (body->faceCount == 0) {
        char text[96];
        const char* name = shared->kind == 0 && shared->model ? shared->model->name
                           : shared->kind == 1 && shared->shape ? shared->shape->name
                                                                : "";
        std::snprintf(text, sizeof text, "%.16s%s", name, reason);
        WorldPrintMessage(text, 9);
        FreeBody(*body);
        delete body;
        return 0;
    }
    InitRigidBody(*body, shared->collisionKind == 2 ? 1 : 0, 0, &solid);
    body->stiffness = shared->material[0];
    body->friction = shared->material[1];
    body->damping = shared->material[2];
    UpdateBodyBounds(*body);
    ComputeMassProperties(*body, shared->mass);
    FloatMatrix turn, tilt;
    FloatRotationZ(turn, solid.heading);
    FloatRotationXY(tilt, solid.pitch, solid.roll);
    MultiplyFloatMatrix(turn, tilt, body->rotation);
    body->predictedRotation = body->rotation;
    body->position = {solid.x, solid.y, Fixed(MetresToFixed(solid.height))};
    body->predictedPosition = body->position;
    ResetBody(*body);
    const FixedVector centreOffset = FixedFromOffset(Rotate(body->rotation, body->centreOfMass));
    for (int i = 0; i < body->pointCount; i++) {
        ContactPoint& point = body->points[i];
        const FixedVector offset = FixedFromOffset(Rotate(body->rotation, point.local));
        point.query.queryPosition = body->position + offset;
        point.query.queryDirection = offset - centreOffset;
    }
    for (int f = 0; f < body->faceCount; f++)
        body->faces[f].worldNormal = Rotate(body->rotation, body->faces[f].localNormal);
    solid.body = body;
    return 1;
}

void FreeSolidCollision(SolidObject& solid)
{
    if (!solid.body)
        return;
    FreeBody(*solid.body);
    delete solid.body;
    solid.body = nullptr;
}
