// The road contact query: where the segment from P - V to P crosses a
// curved surface's solid bands, the normal and the world texture there,
// the checkpoint area code during the checkpoint search, and the road bumps
// a car wheel feels.
#include <algorithm>
#include <cmath>

#include "world/local.h"

namespace {

// A point may lie this far (1 cm) outside an end line and still be tested.
constexpr int32_t EndLineSlack = 655;

float Metres(int32_t v) { return float(v) * (1.0f / 65536.0f); }

// The derivative of a cubic at s, per unit s (16.16); products and sums
// wrap as every 16.16 one does (a damaged file's coefficients may be huge).
int32_t CubicSlope(const Cubic& c, int32_t s)
{
    const int32_t s2 = Mul16(s, s);
    const int32_t a3 = static_cast<int32_t>(3u * static_cast<uint32_t>(c.a));
    const int32_t b2 = static_cast<int32_t>(2u * static_cast<uint32_t>(c.b));
    return (Fixed(Mul16(a3, s2)) + Fixed(Mul16(b2, s)) + Fixed(c.c)).raw;
}

// The along parameter t of the plan point r (from P0) on the quadrilateral
// P0 + t d + s (E0 + t e): the root of (r - t d) x (E0 + t e) = 0 that stays
// finite as the end lines become parallel. False when there is none.
bool SolveAlong(float rx, float ry, float dx, float dy, float ex, float ey, float e0x, float e0y, float& t)
{
    const float a = dx * ey - dy * ex;
    const float b = ry * ex - rx * ey + dx * e0y - dy * e0x;
    const float c = ry * e0x - rx * e0y;
    if (std::fabs(a) < 0.001f) {
        if (std::fabs(b) < 0.001f)
            return false;
        t = -c / b;
        return true;
    }
    const float discriminant = b * b - 4 * a * c;
    if (discriminant < 0.001f)
        return false;
    const float root = std::sqrt(discriminant);
    t = -2 * c / (b + (b < 0 ? -root : root));
    return true;
}

// The bump height under P on the texture, and the wheel's bump state.
void ApplyBumps(const CurvedSurfaceObject& s, const WorldTexture& texture, int32_t t, const FixedVector& p,
                SurfaceBump& bump)
{
    const int kind = texture.bump[0], amplitude = texture.bump[1];
    int scale = std::min<int>(texture.bump[2], 30);
    int32_t value = 0;
    if (kind == 1 || kind == 2) {
        const int64_t k = int64_t(1) << scale;
        const int64_t periods = std::max<int64_t>(1, (int64_t(s.length) + k / 2) / k);
        int32_t phase = static_cast<int32_t>((int64_t(t) * periods) & 0xFFFF);
        if (phase > 32768)
            phase = 65536 - phase;
        value = kind == 1 ? static_cast<int32_t>((int64_t(phase) * 128 * amplitude) / 65536)
                          : s.world->bumpProfile[size_t(phase >> 8)] * amplitude;
    } else {
        scale = std::max(scale, 16);
        const int64_t k = int64_t(1) << scale;
        auto cell = [k](int32_t v) { return size_t((((int64_t(v) % k) + k) % k) * 256 / k); };
        value = s.world->bumpHeights[cell(p.y.raw) * 256 + cell(p.x.raw)] * amplitude;
    }
    uint32_t key = 0;
    for (int i = 0; i < 4; i++)
        key |= uint32_t(texture.bump[i]) << (8 * i);
    if (bump.key == key) {
        bump.height = bump.blend == 0 ? value
                                      : static_cast<int32_t>(value + (int64_t(bump.height) - value) * bump.blend / 65536);
    } else {
        bump.key = key;
        bump.blend = 65536;
    }
}

// A curve's across fraction and height at the section. Left without
// initialisers: LocateSection clears only the surface's own curves, since
// clearing the whole table on every wheel probe cost more than the probe.
struct CurveAt {
    int32_t across, height;
    bool used;
};

// The vertical section of the surface through a query point: its along
// parameter t, the point's across fraction s, the across vector (wx, wy) of
// length w, the segment's run across it, and every used curve there.
struct Section {
    float tf = 0;
    int32_t t = 0, s = 0;
    int32_t dx = 0, dy = 0, ex = 0, ey = 0;
    int32_t wx = 0, wy = 0, w = 0;
    int32_t across = 0;
    CurveAt at[MaxSurfaceCurves];
};

// Finds the section through the point: t from the plan quadrilateral, the
// across and height of every curve a solid band uses, and the point's
// across fraction. False when the point lies off the surface's plan.
bool LocateSection(const CurvedSurfaceObject& surface, const FixedVector& position, const FixedVector& direction,
                   Section& section)
{
    const FixedVector &p0 = surface.p0, &p1 = surface.p1, &e0 = surface.e0, &e1 = surface.e1;
    const int32_t rx = WrapSub(position.x.raw, p0.x.raw), ry = WrapSub(position.y.raw, p0.y.raw);
    const int32_t dx = WrapSub(p1.x.raw, p0.x.raw), dy = WrapSub(p1.y.raw, p0.y.raw);
    const int32_t ex = WrapSub(e1.x.raw, e0.x.raw), ey = WrapSub(e1.y.raw, e0.y.raw);
    float tf = 0;
    if (!SolveAlong(Metres(rx), Metres(ry), Metres(dx), Metres(dy), Metres(ex), Metres(ey), Metres(e0.x.raw),
                    Metres(e0.y.raw), tf))
        return false;
    const int32_t t = RoundToInt32(double(tf) * 65536.0);

    for (size_t i = 0; i < surface.curves.size(); i++)
        section.at[i] = {0, 0, false};
    int32_t smallest = INT32_MAX, largest = INT32_MIN;
    for (const SurfaceBand& band : surface.bands) {
        if (!band.solid)
            continue;
        for (uint8_t index : {band.first, band.second}) {
            CurveAt& c = section.at[index];
            if (c.used)
                continue;
            c.used = true;
            c.across = EvaluateCubic(surface.curves[index].across, t);
            c.height = EvaluateCubic(surface.curves[index].height, t);
            smallest = std::min(smallest, c.across);
            largest = std::max(largest, c.across);
        }
    }
    if (smallest > largest)
        return false;

    // Across: P's across fraction at t, and the across unit there.
    const bool useX = std::abs(int64_t(e0.x.raw)) > std::abs(int64_t(e0.y.raw));
    const float denominator = useX ? Metres(e0.x.raw) + tf * Metres(ex) : Metres(e0.y.raw) + tf * Metres(ey);
    if (std::fabs(denominator) < 0.001f)
        return false;
    const float offAlong = useX ? Metres(rx) - tf * Metres(dx) : Metres(ry) - tf * Metres(dy);
    const int32_t s = RoundToInt32(double(offAlong) * 65536.0 / double(denominator));
    const int32_t wx = (e0.x + Fixed(Mul16(t, ex))).raw, wy = (e0.y + Fixed(Mul16(t, ey))).raw;
    if (surface.length > 0) {
        const int64_t cross = (int64_t(wx) * dy - int64_t(wy) * dx) >> 16;
        const int64_t j = std::abs(int64_t(Div16(cross, surface.length)));
        if (j >= 256) {
            const int64_t metre = (int64_t(1) << 32) / j;
            if (s < smallest - metre || s > largest + metre)
                return false;
        }
    }
    const int32_t w = IntLength2(wx, wy);
    if (w < 256)
        return false;
    section.tf = tf;
    section.t = t;
    section.s = s;
    section.dx = dx;
    section.dy = dy;
    section.ex = ex;
    section.ey = ey;
    section.wx = wx;
    section.wy = wy;
    section.w = w;
    section.across = Div16((int64_t(direction.x.raw) * wx + int64_t(direction.y.raw) * wy) >> 16, w);
    return true;
}

// Each solid band: where the segment crosses the band's line in the
// vertical section through P. Keeps the nearest crossing beyond the
// record's depth; returns the band (-1 none) and its fraction along the band.
int FindBandHit(const CurvedSurfaceObject& surface, const Section& section, int32_t pz, const FixedVector& direction,
                ContactQueryRecord& record, int32_t& hitFraction)
{
    const int32_t w = section.w, s = section.s, across = section.across;
    int hitBand = -1;
    for (size_t i = 0; i < surface.bands.size(); i++) {
        const SurfaceBand& band = surface.bands[i];
        if (!band.solid)
            continue;
        const CurveAt& A = section.at[band.first];
        const CurveAt& B = section.at[band.second];
        // The band's line in the section: across by its width (m), up by
        // its rise; the normal is unit in its larger component. (The same
        // direction as across fractions and rises per width, kept in metres
        // so that no small quotient is cut.)
        const int32_t ds = WrapSub(B.across, A.across);
        const int32_t bAcross = Mul16(ds, w), bUp = WrapSub(B.height, A.height);
        const int64_t m = std::max(std::abs(int64_t(bAcross)), std::abs(int64_t(bUp)));
        if (m == 0)
            continue;
        // v: P's signed distance from the line, b: the segment's approach
        // to it, both along the normal; taken from the line's direction in
        // 64 bits and divided once, so the normal is never rounded.
        const int32_t pAcross = Mul16(WrapSub(s, A.across), w), pUp = WrapSub(pz, A.height);
        const int32_t v = static_cast<int32_t>((-int64_t(bUp) * pAcross + int64_t(bAcross) * pUp) / m);
        if (v >= 0)
            continue;
        const int32_t b = static_cast<int32_t>((-int64_t(bUp) * across + int64_t(bAcross) * direction.z.raw) / m);
        if (!(b < -256 && b < v))
            continue;
        const int32_t depth = Div16(v, b);
        if (!(depth > record.hitDepth.raw))
            continue;
        const int32_t xAcross = pAcross - Mul16(depth, across), xUp = pUp - Mul16(depth, direction.z.raw);
        const int64_t l = std::max(std::abs(int64_t(bAcross)), std::abs(int64_t(bUp)));
        if (l < 256)
            continue;
        const int64_t span = (int64_t(bAcross) * bAcross + int64_t(bUp) * bUp) / l;
        if (span < 256)
            continue;
        const int64_t q = (int64_t(xAcross) * bAcross + int64_t(xUp) * bUp) / l;
        if (q < -128 || q > span + 128)
            continue;
        record.hitDepth = Fixed(depth);
        hitBand = static_cast<int>(i);
        hitFraction = std::clamp<int32_t>(Div16(q, span), 0, 65536);
    }
    return hitBand;
}

// The hit's normal from the blended along tangent and the band's across
// direction, turned to the side the band faces.
Vec3 BandHitNormal(const CurvedSurfaceObject& surface, const Section& section, const SurfaceBand& band,
                   int32_t hitFraction)
{
    const CurveAt& A = section.at[band.first];
    const CurveAt& B = section.at[band.second];
    const int32_t t = section.t, w = section.w, wx = section.wx, wy = section.wy;
    const int32_t dx = section.dx, dy = section.dy, ex = section.ex, ey = section.ey;
    const float f = hitFraction / 65536.0f;
    float tangent[3] = {};
    for (int k = 0; k < 2; k++) {
        const uint8_t index = k == 0 ? band.first : band.second;
        const SurfaceCurve& c = surface.curves[index];
        const float share = k == 0 ? 1 - f : f;
        const float sa = Metres(section.at[index].across), slope = Metres(CubicSlope(c.across, t));
        tangent[0] += share * (Metres(dx) + slope * Metres(wx) + sa * Metres(ex));
        tangent[1] += share * (Metres(dy) + slope * Metres(wy) + sa * Metres(ey));
        tangent[2] += share * Metres(CubicSlope(c.height, t));
    }
    const float spread = Metres(WrapSub(B.across, A.across));
    const float acrossDir[3] = {spread * Metres(wx), spread * Metres(wy), Metres(WrapSub(B.height, A.height))};
    float normal[3] = {tangent[1] * acrossDir[2] - tangent[2] * acrossDir[1],
                       tangent[2] * acrossDir[0] - tangent[0] * acrossDir[2],
                       tangent[0] * acrossDir[1] - tangent[1] * acrossDir[0]};
    const float bandAcross = spread * Metres(w), bandUp = Metres(WrapSub(B.height, A.height));
    const float faceAcross = -bandUp, faceUp = bandAcross;
    const float faces[3] = {faceAcross * Metres(wx) / Metres(w), faceAcross * Metres(wy) / Metres(w), faceUp};
    const float toward = normal[0] * faces[0] + normal[1] * faces[1] + normal[2] * faces[2];
    const float length2 = normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2];
    if (length2 > 0) {
        const float scale = (toward < 0 ? -1.0f : 1.0f) / std::sqrt(length2);
        return {normal[0] * scale, normal[1] * scale, normal[2] * scale};
    } else {
        const float faceLength = std::sqrt(faces[0] * faces[0] + faces[1] * faces[1] + faces[2] * faces[2]);
        return {faces[0] / faceLength, faces[1] / faceLength, faces[2] / faceLength};
    }
}

} // namespace

int CurvedSurfaceObject::ContactQuery(const FixedVector& position, const FixedVector& direction,
                                      ContactQueryRecord& record, SurfaceBump* bump)
{
    if (curves.empty() || !world)
        return 0;
    if (SideOfLine(position.x, position.y, p1, d1) > EndLineSlack ||
        SideOfLine(position.x, position.y, p0, -d0) > EndLineSlack)
        return 0;
    Section section;
    if (!LocateSection(*this, position, direction, section))
        return 0;
    const int32_t pz = WrapSub(position.z.raw, bump ? bump->height : 0);
    int32_t hitFraction = 0;
    const int hitBand = FindBandHit(*this, section, pz, direction, record, hitFraction);
    if (hitBand < 0)
        return 0;
    const SurfaceBand& band = bands[size_t(hitBand)];
    record.hitNormal = BandHitNormal(*this, section, band, hitFraction);
    const int32_t depth = record.hitDepth.raw;
    record.hitPosition = MakeFixedVector(WrapSub(position.x.raw, Mul16(depth, direction.x.raw)),
                                         WrapSub(position.y.raw, Mul16(depth, direction.y.raw)),
                                         WrapSub(position.z.raw, Mul16(depth, direction.z.raw)));
    WorldTexture* texture = band.texture >= 0 && size_t(band.texture) < world->textures.size()
                                ? &world->textures[size_t(band.texture)]
                                : nullptr;
    record.hitSurface = texture;
    record.hitBody = nullptr;
    if (areaCode != 0 && (areaMask & MutableLoadedWorld.checkpointSearchBit))
        record.areaCode = areaCode;
    if (bump && texture)
        ApplyBumps(*this, *texture, section.t, position, *bump);
    return 1;
}
