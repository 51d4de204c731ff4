// Cloth flags on a pole: the record, its size limits and the cloth at rest.
// The cloth moves with the wind while it is drawn.
#include <algorithm>
#include <cmath>

#include "world/local.h"

namespace {

constexpr float WidestFlag = 4.0f, TallestFlag = 3.0f;
constexpr float NarrowestFlag = 1.0f, LowestFlag = 0.5f;

int32_t Fixed16(double metres) { return RoundToInt32(metres * 65536.0); }

} // namespace

bool FlagObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    flagFlags = ReadInt(r);
    topHeight = ReadFloat(r);
    width = ReadFloat(r);
    height = ReadFloat(r);
    texture = static_cast<int16_t>(ReadShort(r));
    ReadShort(r);
    if (!(width > NarrowestFlag))
        width = NarrowestFlag;
    if (!(height > LowestFlag))
        height = LowestFlag;
    if (width > WidestFlag) {
        height *= WidestFlag / width;
        width = WidestFlag;
    }
    height = std::min(height, TallestFlag);
    return true;
}

void FlagObject::Save(DataFile& writer) const
{
    WriteInt(writer, flagFlags);
    WriteFloat(writer, topHeight);
    WriteFloat(writer, width);
    WriteFloat(writer, height);
    WriteShort(writer, texture);
    WriteShort(writer, 0);
}

void FlagObject::Init()
{
    flags |= ObjectFlagKept;
    SetBoxToPoint(*this);
    centre = MakeFixedVector(x.raw, y.raw, Fixed16(double(topHeight) - height / 2.0));
    radius = Fixed16(std::sqrt(double(width) * width + double(height) * height / 4.0));
    ResetFlagCloth(*this);
}

// The cloth's points at rest beside the pole; their positions wrap as
// every 16.16 sum does (a damaged file's flag may stand at the range's edge).
void ResetFlagCloth(FlagObject& flag)
{
    const double l = flag.width / 4.0, g = flag.height / 3.0;
    const float mass = flag.width * flag.height / 32.0f;
    const Vec3 weight{0, 0, mass * flag.gravity};
    int k = 0;
    for (int i = 0; i < FlagRows; i++) {
        for (int j = 0; j < FlagColumns; j++) {
            FlagPoint& p = flag.points[k++];
            p.free = j == 0 ? 0 : 1;
            p.position = MakeFixedVector(WrapAdd(flag.x.raw, Fixed16(j * l)), flag.y.raw, Fixed16(flag.topHeight - i * g));
        }
    }
    for (int i = 1; i < FlagRows; i++) {
        for (int j = 1; j < FlagColumns; j++) {
            FlagPoint& p = flag.points[k++];
            p.free = 1;
            p.position = MakeFixedVector(WrapAdd(flag.x.raw, Fixed16((j - 0.5) * l)), flag.y.raw,
                                         Fixed16(flag.topHeight - (i - 0.5) * g));
        }
    }
    for (FlagPoint& p : flag.points) {
        p.normal = {0, -1, 0};
        p.velocity = {};
        p.force = weight;
    }
    flag.lastStep = 0;
}
