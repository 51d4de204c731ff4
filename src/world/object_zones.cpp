// Speed zones (oriented rectangles: pit-lane limits and light zones) and
// start grids (the start places of a configuration, straight back from the
// grid's position or along a curve).
#include <cmath>

#include "world/local.h"

namespace {

int32_t MetresToFixed(double metres) { return RoundToInt32(metres * 65536.0); }

// The derivative of the cubic at s (16.16 product rule), per unit s.
int32_t CubicSlope(const Cubic& c, int32_t s)
{
    const int32_t s2 = Mul16(s, s);
    return Mul16(3 * c.a, s2) + Mul16(2 * c.b, s) + c.c;
}

void SinCos(float radians, double& s, double& c) { ComputeSinCos(double(radians), s, c); }

} // namespace

// ---------------------------------------------------------------------------
// Speed zones.

bool SpeedZoneObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    zoneFlags = ReadInt(r);
    speedLimit = static_cast<uint8_t>(ReadByte(r));
    for (uint8_t& b : kept)
        b = static_cast<uint8_t>(ReadByte(r));
    heading = ReadFloat(r);
    keptFloat = ReadFloat(r);
    halfFirst = ReadFloat(r);
    halfSecond = ReadFloat(r);
    if (zoneFlags & ZoneFlagLightZone) {
        ReadVector(reference, r);
        referenceFloat = ReadFloat(r);
    }
    return true;
}

void SpeedZoneObject::Save(DataFile& writer) const
{
    WriteInt(writer, zoneFlags & ~ZoneFlagListed);
    WriteByte(writer, speedLimit);
    for (uint8_t b : kept)
        WriteByte(writer, b);
    WriteFloat(writer, heading);
    WriteFloat(writer, keptFloat);
    WriteFloat(writer, halfFirst);
    WriteFloat(writer, halfSecond);
    if (zoneFlags & ZoneFlagLightZone) {
        WriteVector(reference, writer);
        WriteFloat(writer, referenceFloat);
    }
}

void SpeedZoneObject::Init()
{
    SetPointBounds(*this);
    double s, c;
    SinCos(heading, s, c);
    sine = static_cast<float>(s);
    cosine = static_cast<float>(c);
    cornerSquared = halfFirst * halfFirst + halfSecond * halfSecond;
}

bool SpeedZoneObject::Holds(Fixed px, Fixed py) const
{
    const float dx = FixedToMetres(px - x), dy = FixedToMetres(py - y);
    return std::fabs(dx * cosine + dy * sine) < halfFirst && std::fabs(dy * cosine - dx * sine) < halfSecond;
}

// ---------------------------------------------------------------------------
// Start grids.

bool StartGridObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    gridFlags = ReadInt(r);
    columns = static_cast<uint8_t>(ReadByte(r));
    rows = static_cast<uint8_t>(ReadByte(r));
    straightRows = static_cast<uint8_t>(ReadByte(r));
    kept = static_cast<uint8_t>(ReadByte(r));
    heading = ReadFloat(r);
    height = ReadFloat(r);
    width = ReadFloat(r);
    spacing = ReadFloat(r);
    stagger = ReadFloat(r);
    endX = endY = Fixed(0);
    endHeading = 0;
    if (gridFlags & GridFlagCurved) {
        endX = Fixed(ReadInt(r));
        endY = Fixed(ReadInt(r));
        endHeading = ReadFloat(r);
    }
    if (columns == 0)
        return in.Fail("a start grid has no columns");
    return true;
}

void StartGridObject::Save(DataFile& writer) const
{
    WriteInt(writer, gridFlags);
    WriteByte(writer, columns);
    WriteByte(writer, rows);
    WriteByte(writer, straightRows);
    WriteByte(writer, kept);
    WriteFloat(writer, heading);
    WriteFloat(writer, height);
    WriteFloat(writer, width);
    WriteFloat(writer, spacing);
    WriteFloat(writer, stagger);
    if (gridFlags & GridFlagCurved) {
        WriteInt(writer, endX.raw);
        WriteInt(writer, endY.raw);
        WriteFloat(writer, endHeading);
    }
}

// The grid's far end and curve from its position; the positions wrap as
// every 16.16 sum does (a damaged file's grid may lie at the range's edge).
void StartGridObject::Init()
{
    SetPointBounds(*this);
    double s, c;
    SinCos(heading, s, c);
    forward = MakeFixedVector(RoundToInt32(-s * 65536.0), RoundToInt32(c * 65536.0), 0);
    if (gridFlags & GridFlagCurved) {
        const double back = double(straightRows) * spacing;
        curveStartX = Fixed(WrapSub(x.raw, MetresToFixed(back * -s)));
        curveStartY = Fixed(WrapSub(y.raw, MetresToFixed(back * c)));
    } else {
        endHeading = heading;
        const double back = double(rows) * spacing;
        endX = Fixed(WrapSub(x.raw, MetresToFixed(back * -s)));
        endY = Fixed(WrapSub(y.raw, MetresToFixed(back * c)));
        curveStartX = x;
        curveStartY = y;
    }
    const int32_t q = IntLength2(WrapSub(curveStartX.raw, endX.raw), WrapSub(curveStartY.raw, endY.raw));
    double es, ec;
    SinCos(endHeading, es, ec);
    const int32_t endForwardX = RoundToInt32(-es * 65536.0), endForwardY = RoundToInt32(ec * 65536.0);
    SetCubic(curveX, endX.raw, curveStartX.raw, Mul16(endForwardX, q), Mul16(forward.x.raw, q));
    SetCubic(curveY, endY.raw, curveStartY.raw, Mul16(endForwardY, q), Mul16(forward.y.raw, q));
}

void GetGridPosition(const StartGridObject& grid, int n, FixedVector& point, float& heading)
{
    const int columns = grid.columns > 0 ? grid.columns : 1;
    const int row = n / columns, column = n % columns;
    double across = 0;
    if (columns > 1) {
        const float e = float(column) / float(columns - 1);
        across = (grid.gridFlags & GridFlagMirrored) ? grid.width * (0.5f - e) : grid.width * (e - 0.5f);
    }
    if ((grid.gridFlags & GridFlagCurved) && row >= grid.straightRows) {
        const double u = FixedDistanceXY({grid.curveStartX, grid.curveStartY, Fixed(0)}, {grid.endX, grid.endY, Fixed(0)});
        const double along = u - double(grid.spacing) * (row - grid.straightRows) - double(column) * grid.stagger;
        const int32_t v = u > 0 ? RoundToInt32(along / u * 65536.0) : 0;
        const double a = ComputeAtan2(-double(CubicSlope(grid.curveX, v)), double(CubicSlope(grid.curveY, v)));
        double s, c;
        ComputeSinCos(a, s, c);
        point = MakeFixedVector(WrapAdd(EvaluateCubic(grid.curveX, v), MetresToFixed(across * c)),
                                WrapAdd(EvaluateCubic(grid.curveY, v), MetresToFixed(across * s)), 0);
        heading = static_cast<float>(a);
        return;
    }
    double s, c;
    SinCos(grid.heading, s, c);
    const double back = -(double(row) * grid.spacing) - double(column) * grid.stagger;
    point = MakeFixedVector(WrapAdd(WrapAdd(grid.x.raw, MetresToFixed(back * -s)), MetresToFixed(across * c)),
                            WrapAdd(WrapAdd(grid.y.raw, MetresToFixed(back * c)), MetresToFixed(across * s)), 0);
    heading = grid.heading;
}
