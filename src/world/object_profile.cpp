// Profiles: an upright row of points along a heading, drawn as a panel and
// used as the cross-section a curved surface spans from; an attached
// profile takes its points from the edges of two others.
#include <algorithm>
#include <cstring>

#include "world/local.h"

namespace {

constexpr int PointBytes = 20;
constexpr int TriangleBytes = 4;
constexpr uint8_t FlagsInitSets = ProfileTransparent | ProfileFacesLeft | ProfileFacesRight;

int Index(const StripObject& strip, int direction, int i)
{
    return direction == 1 ? i : static_cast<int>(strip.points.size()) - 1 - i;
}

// The world position of a point of an end profile at its offset; the sum
// wraps as every 16.16 sum does (a damaged file's profile may reach past
// the range).
FixedVector EndPoint(const StripObject& end, const StripPoint& point)
{
    const FixedVector axis = HeadingAxis(end.heading);
    return MakeFixedVector(end.x.raw, end.y.raw, 0) +
           MakeFixedVector(Mul16(point.offset, axis.x.raw), Mul16(point.offset, axis.y.raw), point.height);
}

// The points an attached profile takes from its ends, in order: the first
// end's points with the first selector's edge code, then the second's.
void ListAttachedPoints(const StripObject& strip, std::vector<FixedVector>& out)
{
    out.clear();
    for (int e = 0; e < 2; e++) {
        if (!strip.ends[e])
            continue;
        for (const StripPoint& p : strip.ends[e]->points)
            if (p.edge == strip.selector[e])
                out.push_back(EndPoint(*strip.ends[e], p));
    }
}

void InitAttached(StripObject& strip)
{
    FixedVector anchor[2];
    size_t next = 0;
    size_t firstCount = 0;
    for (int e = 0; e < 2; e++) {
        if (!strip.ends[e])
            return;
        for (const StripPoint& p : strip.ends[e]->points) {
            if (p.edge != strip.selector[e])
                continue;
            anchor[e] = EndPoint(*strip.ends[e], p);
            if (next < strip.points.size())
                strip.points[next++].height = p.height;
        }
        if (e == 0)
            firstCount = next;
    }
    strip.x = Fixed(static_cast<int32_t>((int64_t(anchor[0].x.raw) + anchor[1].x.raw) / 2));
    strip.y = Fixed(static_cast<int32_t>((int64_t(anchor[0].y.raw) + anchor[1].y.raw) / 2));
    const int32_t dx = WrapSub(anchor[1].x.raw, anchor[0].x.raw), dy = WrapSub(anchor[1].y.raw, anchor[0].y.raw);
    strip.heading = static_cast<float>(ComputeAtan2(dy, dx));
    const int32_t w = IntLength2(dx, dy);
    for (size_t i = 0; i < next; i++)
        strip.points[i].offset = i < firstCount ? -(w / 2) : w / 2;
}

} // namespace

FixedVector HeadingAxis(float heading)
{
    const int32_t a = HeadingToAngle16(heading);
    return {CosineOf(a), SineOf(a), Fixed(0)};
}

bool StripObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    profileFlags = static_cast<uint8_t>(ReadByte(r));
    second = static_cast<uint8_t>(ReadByte(r));
    texture = static_cast<uint16_t>(ReadShort(r));
    if (profileFlags & ProfileSpareFloat)
        ReadFloat(r);
    heading = ReadFloat(r);
    const int n = ReadByte(r), m = ReadByte(r);
    selector[0] = static_cast<uint8_t>(ReadByte(r));
    selector[1] = static_cast<uint8_t>(ReadByte(r));
    if (profileFlags & ProfileAttached) {
        end[0] = static_cast<uint16_t>(ReadShort(r));
        end[1] = static_cast<uint16_t>(ReadShort(r));
    }
    if (n < 0 || m < 0 || n > MaxProfilePoints)
        return in.Fail("a profile holds more than 64 points");
    if (!in.Fits(n, PointBytes) || !in.Fits(int64_t(n) * PointBytes + int64_t(m) * TriangleBytes, 1))
        return in.Fail("a profile runs past the end of the file");
    points.resize(size_t(n));
    for (StripPoint& p : points) {
        p.height = ReadInt(r);
        p.offset = ReadInt(r);
        p.gradient = ReadFloat(r);
        p.angle = ReadFloat(r);
        p.edge = static_cast<uint8_t>(ReadByte(r));
        for (uint8_t& b : p.kept)
            b = static_cast<uint8_t>(ReadByte(r));
    }
    triangles.resize(size_t(m));
    for (StripTriangle& t : triangles) {
        for (uint8_t& p : t.point)
            p = static_cast<uint8_t>(ReadByte(r));
        t.flags = static_cast<uint8_t>(ReadByte(r));
        if (t.point[0] >= n || t.point[1] >= n || t.point[2] >= n)
            return in.Fail("a profile triangle names a point the profile lacks");
    }
    return true;
}

void StripObject::Save(DataFile& writer) const
{
    WriteByte(writer, profileFlags);
    WriteByte(writer, second);
    WriteShort(writer, texture);
    if (profileFlags & ProfileSpareFloat)
        WriteFloat(writer, 0);
    WriteFloat(writer, heading);
    WriteByte(writer, static_cast<int>(points.size()));
    WriteByte(writer, static_cast<int>(triangles.size()));
    WriteByte(writer, selector[0]);
    WriteByte(writer, selector[1]);
    if (profileFlags & ProfileAttached) {
        WriteShort(writer, end[0]);
        WriteShort(writer, end[1]);
    }
    for (const StripPoint& p : points) {
        WriteInt(writer, p.height);
        WriteInt(writer, p.offset);
        WriteFloat(writer, p.gradient);
        WriteFloat(writer, p.angle);
        WriteByte(writer, p.edge);
        for (uint8_t b : p.kept)
            WriteByte(writer, b);
    }
    for (const StripTriangle& t : triangles) {
        for (uint8_t p : t.point)
            WriteByte(writer, p);
        WriteByte(writer, t.flags);
    }
}

void StripObject::Init()
{
    if (profileFlags & ProfileAttached)
        InitAttached(*this);
    SetBoxToPoint(*this);
    radius = 0;
    if (!points.empty()) {
        int32_t lo = points[0].offset, hi = points[0].offset;
        for (const StripPoint& p : points) {
            lo = std::min(lo, p.offset);
            hi = std::max(hi, p.offset);
        }
        for (StripPoint& p : points) {
            if (p.edge == EdgeLeft && p.offset > lo)
                p.offset = lo;
            if (p.edge == EdgeRight && p.offset < hi)
                p.offset = hi;
            p.u = p.v = 0;
        }
    }
    profileFlags = static_cast<uint8_t>(profileFlags & ~FlagsInitSets);
    centre = {x, y, Fixed(0)};
    if (triangles.empty())
        return;
    int32_t lowOffset = INT32_MAX, highOffset = INT32_MIN, lowHeight = INT32_MAX, highHeight = INT32_MIN;
    for (StripTriangle& t : triangles) {
        const StripPoint& a = points[t.point[0]];
        const StripPoint& b = points[t.point[1]];
        const StripPoint& c = points[t.point[2]];
        const int64_t cross = (int64_t(WrapSub(b.offset, a.offset)) * WrapSub(c.height, a.height) -
                               int64_t(WrapSub(b.height, a.height)) * WrapSub(c.offset, a.offset)) >> 16;
        const uint8_t side = cross < 0 ? ProfileFacesLeft : ProfileFacesRight;
        t.flags = static_cast<uint8_t>((t.flags & ~(ProfileFacesLeft | ProfileFacesRight)) | side);
        profileFlags |= side;
        for (const StripPoint* p : {&a, &b, &c}) {
            lowOffset = std::min(lowOffset, p->offset);
            highOffset = std::max(highOffset, p->offset);
            lowHeight = std::min(lowHeight, p->height);
            highHeight = std::max(highHeight, p->height);
        }
    }
    // The spans are exact in 64 bits: a damaged file's profile may be wider
    // or taller than the 16.16 range, and its centre still lies between its
    // extremes; the centre's world position wraps as every 16.16 sum does.
    const int64_t offsetSpan = int64_t(highOffset) - lowOffset, heightSpan = int64_t(highHeight) - lowHeight;
    const int32_t halfOffset = static_cast<int32_t>(offsetSpan / 2), halfHeight = static_cast<int32_t>(heightSpan / 2);
    radius = IntLength2(halfOffset, halfHeight);
    const FixedVector axis = HeadingAxis(heading);
    const int32_t mid = lowOffset + halfOffset;
    centre = MakeFixedVector(WrapAdd(x.raw, Mul16(mid, axis.x.raw)), WrapAdd(y.raw, Mul16(mid, axis.y.raw)),
                             lowHeight + halfHeight);
    if (!(profileFlags & ProfileTextured) || offsetSpan == 0 || heightSpan == 0 || !world ||
        texture >= world->textures.size())
        return;
    const WorldTexture& t = world->textures[texture];
    const char* name = t.textureName;
    if (std::strlen(name) > 5 && (EndsWithAscii(name, "DUZEZ") || EndsWithAscii(name, "ALP15") ||
                                  EndsWithAscii(name, "ALP24") || EndsWithAscii(name, "ATEST")))
        profileFlags |= ProfileTransparent;
    const TextureOrientation& o = TextureOrientations[t.orientation & 7];
    for (StripPoint& p : points) {
        const float s =
            float(int64_t(p.offset) - lowOffset) * (t.scaleS / 64.0f) / float(offsetSpan) + t.offsetS / 64.0f;
        const float v = (1.0f - t.offsetT / 64.0f) -
                        float(int64_t(p.height) - lowHeight) * (t.scaleT / 64.0f) / float(heightSpan);
        p.u = static_cast<uint16_t>(RoundToInt32((o.a * s + o.b * v + o.e) * 65535.0f));
        p.v = static_cast<uint16_t>(RoundToInt32((o.c * s + o.d * v + o.f) * 65535.0f));
    }
}

// ---------------------------------------------------------------------------
// Point accessors.

int32_t GetStripPointHeight(const StripObject& strip, int direction, int i)
{
    return strip.points[size_t(Index(strip, direction, i))].height;
}

int32_t GetStripPointOffset(const StripObject& strip, int direction, int i)
{
    const int32_t offset = strip.points[size_t(Index(strip, direction, i))].offset;
    return direction == 1 ? offset : WrapSub(0, offset);
}

float GetStripPointGradient(const StripObject& strip, int direction, int i)
{
    const float g = strip.points[size_t(Index(strip, direction, i))].gradient;
    return direction == 1 ? g : -g;
}

float GetStripPointAngle(const StripObject& strip, int direction, int i)
{
    return strip.points[size_t(Index(strip, direction, i))].angle;
}

uint8_t GetStripPointEdge(const StripObject& strip, int direction, int i)
{
    return strip.points[size_t(Index(strip, direction, i))].edge;
}

void GetStripPointWorld(const StripObject& strip, int direction, int i, FixedVector& out)
{
    const int index = Index(strip, direction, i);
    if (strip.profileFlags & ProfileAttached) {
        std::vector<FixedVector> attached;
        ListAttachedPoints(strip, attached);
        out = size_t(index) < attached.size() ? attached[size_t(index)] : FixedVector{strip.x, strip.y, Fixed(0)};
        return;
    }
    out = EndPoint(strip, strip.points[size_t(index)]);
}
