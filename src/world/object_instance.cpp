// Instance objects: one of the world's object models at full detail,
// turned to the wind, its first sub-model spinning with it (windmills,
// wind indicators). Here the record and its bounds.
#include "world/local.h"

bool InstanceObject::Load(RecordReading& in)
{
    height = ReadFloat(in.reader);
    value = ReadInt(in.reader);
    model = ReadInt(in.reader);
    return true;
}

void InstanceObject::Save(DataFile& writer) const
{
    WriteFloat(writer, height);
    WriteInt(writer, value);
    WriteInt(writer, model);
}

void InstanceObject::Init()
{
    SetBoxToPoint(*this);
    radius = 0;
    centre = {x, y, Fixed(0)};
    if (!world || model < 0 || size_t(model) >= world->sharedModels.size())
        return;
    SharedModel& shared = world->sharedModels[size_t(model)];
    if (shared.kind != 0 || !shared.model)
        return;
    MakeTransform(transform, IdentityMatrix, MakeFixedVector(x.raw, y.raw, RoundToInt32(double(height) * 65536.0)));
    FixedVector local;
    ComputeModelBounds(*shared.model, local, radius);
    TransformPoint(transform, local, centre);
    StepProgramRandom();
    spin = GameTime.random;
}
