// Curved drivable surfaces: the record, and the geometry Init derives from
// the two end profiles: the end lines, the across vectors, each curve's
// across and height cubics, the levels of detail and the bounds.
#include <algorithm>
#include <cmath>

#include "world/local.h"

namespace {

constexpr int32_t Metre = 65536;
constexpr int CurveBytes = 20;
constexpr int OldCurveBytes = 28;
constexpr int BandBytes = 8;
// Curves leave a profile at most this far from square (radians).
constexpr double CurveAngleLimit = 1.4451327;
// Level distances of a surface's rows: 64 m, 256 m, unlimited.
constexpr int32_t NearLevel = 0x400000, MiddleLevel = 0x1000000, FarLevel = 0x40000000;

bool ReadCurve(SurfaceCurve& c, DataFile& r, int version)
{
    if (version >= 251) {
        c.storedKind = static_cast<uint8_t>(ReadByte(r));
        c.curveFlags = static_cast<uint8_t>(ReadByte(r));
        c.endPoint[0] = static_cast<uint8_t>(ReadByte(r));
        c.endPoint[1] = static_cast<uint8_t>(ReadByte(r));
    } else {
        c.endPoint[0] = static_cast<uint8_t>(ReadInt(r));
        c.endPoint[1] = static_cast<uint8_t>(ReadInt(r));
        c.storedKind = static_cast<uint8_t>(ReadByte(r));
        c.curveFlags = static_cast<uint8_t>(ReadByte(r));
        ReadShort(r);
    }
    c.kind = c.storedKind;
    c.slope[0] = ReadFloat(r);
    c.angle[0] = ReadFloat(r);
    c.slope[1] = ReadFloat(r);
    c.angle[1] = ReadFloat(r);
    return c.storedKind <= CurveStraight;
}

bool ReadBands(CurvedSurfaceObject& s, RecordReading& in, int count)
{
    if (!in.Fits(count, BandBytes))
        return in.Fail("a surface's bands run past the end of the file");
    s.bands.resize(size_t(count));
    for (SurfaceBand& band : s.bands) {
        if (!ReadSurfaceBand(band, in.reader))
            return in.Fail("a surface's bands run past the end of the file");
        if (band.first >= s.curves.size() || band.second >= s.curves.size())
            return in.Fail("a surface band names a curve the surface lacks");
    }
    return true;
}

bool CurveCountFits(RecordReading& in, int count)
{
    if (count < 0 || count > MaxSurfaceCurves) {
        if (in.version < 251)
            WorldPrintError("NumCurves > MAX_V - physics may crash");
        return in.Fail("a surface holds more than 64 curves");
    }
    return true;
}


FixedVector ScaleAxis(const FixedVector& axis, int32_t length)
{
    return MakeFixedVector(Mul16(axis.x.raw, length), Mul16(axis.y.raw, length), 0);
}

FixedVector PlanPoint(const FixedVector& at, const FixedVector& axis, int32_t offset)
{
    return MakeFixedVector(WrapAdd(at.x.raw, Mul16(axis.x.raw, offset)), WrapAdd(at.y.raw, Mul16(axis.y.raw, offset)), 0);
}

int32_t PlanLength(const FixedVector& a, const FixedVector& b)
{
    return IntLength2(WrapSub(b.x.raw, a.x.raw), WrapSub(b.y.raw, a.y.raw));
}

bool OnEdge(const StripObject& end, int direction, int i)
{
    return (end.profileFlags & ProfileAttached) || GetStripPointEdge(end, direction, i) != 0;
}

} // namespace

bool CurvedSurfaceObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    surfaceFlags = static_cast<uint16_t>(ReadShort(r));
    unused = static_cast<int16_t>(ReadShort(r));
    int curveCount = 0, bandCount = 0;
    if (in.version >= 251) {
        direction[0] = static_cast<int16_t>(ReadShort(r));
        direction[1] = static_cast<int16_t>(ReadShort(r));
        end[0] = static_cast<int16_t>(ReadShort(r));
        end[1] = static_cast<int16_t>(ReadShort(r));
        areaCode = static_cast<uint8_t>(ReadByte(r));
        further = static_cast<uint8_t>(ReadByte(r));
        curveCount = ReadByte(r);
        bandCount = ReadByte(r);
        areaMask = areaCode != 0 ? static_cast<uint32_t>(ReadInt(r)) : 0xFFFFFFFFu;
        if (!CurveCountFits(in, curveCount) || !in.Fits(curveCount, CurveBytes))
            return false;
        curves.resize(size_t(curveCount));
        for (SurfaceCurve& c : curves)
            if (!ReadCurve(c, r, in.version))
                return in.Fail("a surface curve is of an unknown kind");
        if (!ReadBands(*this, in, bandCount))
            return false;
        segmentLength = ReadFloat(r);
        textureLength = ReadFloat(r);
        return true;
    }
    direction[0] = static_cast<int16_t>(ReadInt(r));
    end[0] = static_cast<int16_t>(ReadInt(r));
    direction[1] = static_cast<int16_t>(ReadInt(r));
    end[1] = static_cast<int16_t>(ReadInt(r));
    segmentLength = ReadFloat(r);
    textureLength = ReadFloat(r);
    curveCount = ReadInt(r);
    if (!CurveCountFits(in, curveCount) || !in.Fits(curveCount, OldCurveBytes))
        return false;
    curves.resize(size_t(curveCount));
    for (SurfaceCurve& c : curves)
        if (!ReadCurve(c, r, in.version))
            return in.Fail("a surface curve is of an unknown kind");
    bandCount = ReadInt(r);
    if (bandCount < 0 || bandCount > 255)
        return in.Fail("a surface's band count is out of range");
    if (!ReadBands(*this, in, bandCount))
        return false;
    areaCode = static_cast<uint8_t>(ReadByte(r));
    const int maskFlags = ReadByte(r);
    const uint32_t maskValue = static_cast<uint16_t>(ReadShort(r));
    areaMask = ((maskFlags & 1) ? maskValue : 0) | ((maskFlags & 2) ? maskValue << 16 : 0);
    further = static_cast<uint8_t>(ReadInt(r));
    ReadInt(r);
    return true;
}

void CurvedSurfaceObject::Save(DataFile& writer) const
{
    WriteShort(writer, surfaceFlags);
    WriteShort(writer, unused);
    WriteShort(writer, direction[0]);
    WriteShort(writer, direction[1]);
    WriteShort(writer, end[0]);
    WriteShort(writer, end[1]);
    WriteByte(writer, areaCode);
    WriteByte(writer, further);
    WriteByte(writer, static_cast<int>(curves.size()));
    WriteByte(writer, static_cast<int>(bands.size()));
    if (areaCode != 0)
        WriteInt(writer, static_cast<int32_t>(areaMask));
    for (const SurfaceCurve& c : curves) {
        WriteByte(writer, c.storedKind);
        WriteByte(writer, c.curveFlags & ~CurveOnePoint);
        WriteByte(writer, c.endPoint[0]);
        WriteByte(writer, c.endPoint[1]);
        WriteFloat(writer, c.slope[0]);
        WriteFloat(writer, c.angle[0]);
        WriteFloat(writer, c.slope[1]);
        WriteFloat(writer, c.angle[1]);
    }
    for (const SurfaceBand& band : bands)
        WriteSurfaceBand(band, writer);
    WriteFloat(writer, segmentLength);
    WriteFloat(writer, textureLength);
}

int32_t SideOfLine(Fixed x, Fixed y, const FixedVector& p, const FixedVector& d)
{
    return WrapSub(Mul16(WrapSub(y.raw, p.y.raw), d.x.raw), Mul16(WrapSub(x.raw, p.x.raw), d.y.raw));
}

int CurvedSurfaceObject::ContainsPoint(Fixed px, Fixed py, Fixed margin) const
{
    return SideOfLine(px, py, p1, d1) <= margin.raw && SideOfLine(px, py, p0, -d0) <= margin.raw;
}

void EvaluateSurfaceRow(const CurvedSurfaceObject& s, int32_t t, std::vector<FixedVector>& points)
{
    points.resize(s.curves.size());
    const FixedVector d = s.p1 - s.p0, e = s.e1 - s.e0;
    const int32_t baseX = WrapAdd(s.p0.x.raw, Mul16(t, d.x.raw)), baseY = WrapAdd(s.p0.y.raw, Mul16(t, d.y.raw));
    const int32_t wx = WrapAdd(s.e0.x.raw, Mul16(t, e.x.raw)), wy = WrapAdd(s.e0.y.raw, Mul16(t, e.y.raw));
    for (size_t i = 0; i < s.curves.size(); i++) {
        const int32_t across = EvaluateCubic(s.curves[i].across, t);
        points[i] = MakeFixedVector(WrapAdd(baseX, Mul16(across, wx)), WrapAdd(baseY, Mul16(across, wy)),
                                    EvaluateCubic(s.curves[i].height, t));
    }
}

namespace {

// A point's offset on the far end profile, which faces the other way; it
// wraps as every 16.16 difference does (a damaged file's profile may reach
// the range's edge).
int32_t FarEndOffset(const StripObject& end, int direction, int i)
{
    return WrapSub(0, GetStripPointOffset(end, direction, i));
}

// The end widths: the offsets the curves reach at each end (lo and hi per
// end), widened by a metre on a side whose outermost curve may bulge.
void MeasureEndWidths(const CurvedSurfaceObject& surface, const StripObject& a, const StripObject& b, int32_t lo[2],
                      int32_t hi[2])
{
    const std::vector<SurfaceCurve>& curves = surface.curves;
    const int dir0 = surface.direction[0], dir1 = surface.direction[1];
    if (!curves.empty()) {
        lo[0] = lo[1] = INT32_MAX;
        hi[0] = hi[1] = INT32_MIN;
        for (const SurfaceCurve& c : curves) {
            const int32_t o0 = GetStripPointOffset(a, dir0, c.endPoint[0]), o1 = FarEndOffset(b, dir1, c.endPoint[1]);
            lo[0] = std::min(lo[0], o0);
            hi[0] = std::max(hi[0], o0);
            lo[1] = std::min(lo[1], o1);
            hi[1] = std::max(hi[1], o1);
        }
        bool straightHi = false, straightLo = false;
        for (const SurfaceCurve& c : curves) {
            if (c.storedKind != CurveStraight)
                continue;
            const int32_t o0 = GetStripPointOffset(a, dir0, c.endPoint[0]), o1 = FarEndOffset(b, dir1, c.endPoint[1]);
            straightHi = straightHi || (o0 == hi[0] && o1 == hi[1]);
            straightLo = straightLo || (o0 == lo[0] && o1 == lo[1]);
        }
        for (int j = 0; j < 2; j++) {
            if (!straightHi)
                hi[j] = WrapAdd(hi[j], Metre);
            if (!straightLo)
                lo[j] = WrapSub(lo[j], Metre);
            if (lo[j] == hi[j]) {
                lo[j] = WrapSub(lo[j], Metre);
                hi[j] = WrapAdd(hi[j], Metre);
            }
        }
    }
}

// Fits one curve between its two strip points: its across fraction and
// height as cubics of the along parameter (straight along an edge, smooth
// in plan when its kind asks).
void FitSurfaceCurve(const CurvedSurfaceObject& s, SurfaceCurve& c, const StripObject& a, const StripObject& b,
                     const int32_t reference[2], const int32_t width[2])
{
    const int dir0 = s.direction[0], dir1 = s.direction[1];
    const int i0 = c.endPoint[0], i1 = c.endPoint[1];
    c.kind = c.storedKind;
    c.curveFlags = static_cast<uint8_t>(c.curveFlags & ~CurveOnePoint);
    if (OnEdge(a, dir0, i0) && OnEdge(b, dir1, i1)) {
        c.kind = CurveStraight;
        FixedVector w0, w1;
        GetStripPointWorld(a, dir0, i0, w0);
        GetStripPointWorld(b, dir1, i1, w1);
        if (w0 == w1)
            c.curveFlags |= CurveOnePoint;
    }
    const int32_t o0 = GetStripPointOffset(a, dir0, i0), o1 = FarEndOffset(b, dir1, i1);
    const int32_t s0 = Div16(int64_t(o0) - reference[0], width[0]), s1 = Div16(int64_t(o1) - reference[1], width[1]);
    const FixedVector from = PlanPoint(s.p0, s.e0, s0), to = PlanPoint(s.p1, s.e1, s1);
    if (c.kind != CurveSmoothPlan) {
        SetLinear(c.across, s0, s1);
    } else {
        const FixedVector chord = to - from;
        const int32_t along0 = WrapAdd(Mul16(chord.x.raw, s.d0.x.raw), Mul16(chord.y.raw, s.d0.y.raw));
        const int32_t along1 = WrapSub(0, WrapAdd(Mul16(chord.x.raw, s.d1.x.raw), Mul16(chord.y.raw, s.d1.y.raw)));
        const int32_t chordLength = PlanLength(from, to);
        const double theta0 = std::clamp(double(GetStripPointAngle(a, dir0, i0)) + c.angle[0], -CurveAngleLimit, CurveAngleLimit);
        const double theta1 = std::clamp(double(GetStripPointAngle(b, dir1, i1)) + c.angle[1], -CurveAngleLimit, CurveAngleLimit);
        const int64_t turn0 = RoundToInt32(chordLength * WorldTan(theta0));
        const int64_t turn1 = RoundToInt32(chordLength * WorldTan(theta1));
        SetCubic(c.across, s0, s1, Div16(-(int64_t(along0) + turn0), width[0]), Div16(int64_t(along1) - turn1, width[1]));
    }
    const int32_t h0 = GetStripPointHeight(a, dir0, i0), h1 = GetStripPointHeight(b, dir1, i1);
    if (c.kind == CurveStraight) {
        SetLinear(c.height, h0, h1);
    } else {
        FixedVector w0, w1;
        GetStripPointWorld(a, dir0, i0, w0);
        GetStripPointWorld(b, dir1, i1, w1);
        const double l = PlanLength(w0, w1);
        const double g0 = double(GetStripPointGradient(a, dir0, i0)) + c.slope[0];
        const double g1 = double(c.slope[1]) - GetStripPointGradient(b, dir1, i1);
        SetCubic(c.height, h0, h1, RoundToInt32(l * g0), RoundToInt32(l * g1));
    }
}

// Levels of detail: rows of about the segment length.
void SetSurfaceLevels(CurvedSurfaceObject& surface)
{
    const double rowsWanted = surface.segmentLength > 0 ? (surface.length / 65536.0) / surface.segmentLength : 1.0;
    const int n = std::clamp<int>(RoundToInt32(rowsWanted), 1, 4096);
    surface.levels[0].detail = static_cast<int16_t>(n);
    surface.levels[0].first = 1;
    surface.levelCount = 1;
    surface.levels[0].distance = FarLevel;
    if (n > 2) {
        surface.levels[0].distance = NearLevel;
        if (n / 2 > 2) {
            surface.levels[surface.levelCount].detail = static_cast<int16_t>(n / 2);
            surface.levels[surface.levelCount++].distance = MiddleLevel;
        }
        surface.levels[surface.levelCount].detail = static_cast<int16_t>(std::max(n / 4, 1));
        surface.levels[surface.levelCount++].distance = FarLevel;
    }
    surface.distanceLod = 0;
}

} // namespace

void CurvedSurfaceObject::Init()
{
    lowest = highest = 0;
    levelCount = 0;
    for (LodLevel& level : levels)
        level = {};
    if (!ends[0] || !ends[1]) {
        SetBoxToPoint(*this);
        return;
    }
    StripObject& a = *ends[0];
    StripObject& b = *ends[1];
    // A shared profile: the second end takes the first's heading and points.
    if (surfaceFlags & SurfaceSharedProfile) {
        if (b.profileFlags & ProfileAttached) {
            surfaceFlags = static_cast<uint16_t>(surfaceFlags & ~SurfaceSharedProfile);
        } else if (b.points.size() == a.points.size()) {
            b.heading = a.heading;
            b.points = a.points;
        }
    }
    const int dir0 = direction[0], dir1 = direction[1];
    x = Fixed(static_cast<int32_t>((int64_t(a.x.raw) + b.x.raw) / 2));
    y = Fixed(static_cast<int32_t>((int64_t(a.y.raw) + b.y.raw) / 2));
    const FixedVector axis0 = HeadingAxis(a.heading), axis1 = HeadingAxis(b.heading);
    d0 = dir0 == 1 ? axis0 : -axis0;
    d1 = dir1 == 1 ? -axis1 : axis1;

    int32_t lo[2] = {}, hi[2] = {};
    if (!curves.empty())
        MeasureEndWidths(*this, a, b, lo, hi);

    // The two side lines; the shorter is the reference the across values count from.
    const FixedVector pos0{a.x, a.y, Fixed(0)}, pos1{b.x, b.y, Fixed(0)};
    const FixedVector lo0 = PlanPoint(pos0, d0, lo[0]), lo1 = PlanPoint(pos1, d1, lo[1]);
    const FixedVector hi0 = PlanPoint(pos0, d0, hi[0]), hi1 = PlanPoint(pos1, d1, hi[1]);
    const int32_t loLength = PlanLength(lo0, lo1), hiLength = PlanLength(hi0, hi1);
    length = static_cast<int32_t>((int64_t(loLength) + hiLength) / 2);
    const bool loReference = loLength < hiLength;
    p0 = loReference ? lo0 : hi0;
    p1 = loReference ? lo1 : hi1;
    const int32_t reference[2] = {loReference ? lo[0] : hi[0], loReference ? lo[1] : hi[1]};
    // Widths wrap as every 16.16 difference does: a damaged file's profile
    // may span more than the 32-bit range.
    const int32_t width[2] = {WrapSub(hi[0], lo[0]), WrapSub(hi[1], lo[1])};
    e0 = ScaleAxis(d0, width[0]);
    e1 = ScaleAxis(d1, width[1]);

    for (SurfaceCurve& c : curves)
        FitSurfaceCurve(*this, c, a, b, reference, width);
    SetSurfaceLevels(*this);

    // Bounds from the rows of the first level.
    radius = 0;
    if (curves.empty()) {
        SetBoxToPoint(*this);
        centre = {x, y, Fixed(0)};
        return;
    }
    std::vector<FixedVector> row;
    std::vector<FixedVector> all;
    const int n = levels[0].detail;
    all.reserve(size_t(n + 1) * curves.size());
    for (int i = 0; i <= n; i++) {
        EvaluateSurfaceRow(*this, Div16(i, n), row);
        all.insert(all.end(), row.begin(), row.end());
    }
    boxMinX = boxMaxX = all[0].x.raw;
    boxMinY = boxMaxY = all[0].y.raw;
    lowest = highest = all[0].z.raw;
    for (const FixedVector& p : all) {
        boxMinX = std::min(boxMinX, p.x.raw);
        boxMaxX = std::max(boxMaxX, p.x.raw);
        boxMinY = std::min(boxMinY, p.y.raw);
        boxMaxY = std::max(boxMaxY, p.y.raw);
        lowest = std::min(lowest, p.z.raw);
        highest = std::max(highest, p.z.raw);
    }
    centre = MakeFixedVector(static_cast<int32_t>((int64_t(boxMinX) + boxMaxX) / 2),
                             static_cast<int32_t>((int64_t(boxMinY) + boxMaxY) / 2),
                             static_cast<int32_t>((int64_t(lowest) + highest) / 2));
    // Each square is below 2^62 (a point lies within half the range of the
    // centre on each axis), so the sum of three fits 64 bits unsigned.
    uint64_t largest = 0;
    for (const FixedVector& p : all) {
        const int64_t dx = int64_t(p.x.raw) - centre.x.raw, dy = int64_t(p.y.raw) - centre.y.raw,
                      dz = int64_t(p.z.raw) - centre.z.raw;
        largest = std::max(largest, uint64_t(dx * dx) + uint64_t(dy * dy) + uint64_t(dz * dz));
    }
    radius = RoundToInt32(std::sqrt(double(largest)));
}
