// The road network of a generated site: sampling the sections into
// profiles, checking the design, and making the world's profiles, surfaces,
// timing points and paths of it.
#include "site_road.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double Pi = 3.14159265358979323846;
// Connectors are measured at this many parameter steps.
constexpr int ArcTableSteps = 2000;
// A band is painted with its corner texture where the road turns tighter
// than this radius.
constexpr double CornerCurvature = 1.0 / 400.0;
// Banking follows the curvature averaged over this distance either side,
// fades in over this distance from a section's ends, and is limited.
constexpr double BankWindow = 20, BankFade = 25, SteepestBank = 0.35;
// Sections must keep this clear of each other, away from their junctions.
constexpr double Clearance = 1.0, JunctionZone = 45;
// In a corner a piece spans at most this many radians of it, and is never
// shorter than this (m).
constexpr double CornerPieceFactor = 0.15, ShortestPiece = 1.5;
// Timing points keep this many pieces from a section's ends.
constexpr int TimingMargin = 1;
// The path's outer limits lie this far beyond the road's edges, and at
// least this far inside a side's outer edge.
constexpr double LimitMargin = 1.5, WallMargin = 0.5;

double Hermite(double p0, double p1, double m0, double m1, double t)
{
    const double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * p0 + (t3 - 2 * t2 + t) * m0 + (-2 * t3 + 3 * t2) * p1 + (t3 - t2) * m1;
}

double HermiteSlope(double p0, double p1, double m0, double m1, double t)
{
    const double t2 = t * t;
    return (6 * t2 - 6 * t) * p0 + (3 * t2 - 4 * t + 1) * m0 + (-6 * t2 + 6 * t) * p1 + (3 * t2 - 2 * t) * m1;
}

void SinCos(double a, double& s, double& c) { ComputeSinCos(a, s, c); }

struct PlanPoint {
    double x, y, heading, curvature;
};

// The connector's plan curve at parameter u: Hermite from one junction to
// the other with tangents of the chord's length.
void ConnectorAt(const RoadPose& a, const RoadPose& b, double u, double& x, double& y, double& dx, double& dy,
                 double& ddx, double& ddy)
{
    const double chord = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
    double sa, ca, sb, cb;
    SinCos(a.heading, sa, ca);
    SinCos(b.heading, sb, cb);
    const double m0x = chord * ca, m0y = chord * sa, m1x = chord * cb, m1y = chord * sb;
    x = Hermite(a.x, b.x, m0x, m1x, u);
    y = Hermite(a.y, b.y, m0y, m1y, u);
    dx = HermiteSlope(a.x, b.x, m0x, m1x, u);
    dy = HermiteSlope(a.y, b.y, m0y, m1y, u);
    const double u6 = 6 * u;
    ddx = (12 * u - 6) * a.x + (u6 - 4) * m0x + (-12 * u + 6) * b.x + (u6 - 2) * m1x;
    ddy = (12 * u - 6) * a.y + (u6 - 4) * m0y + (-12 * u + 6) * b.y + (u6 - 2) * m1y;
}

PlanPoint PlanAt(const RoadNetwork& net, const RoadSection& section, double s)
{
    const RoadPose& start = net.junctions[size_t(section.from)];
    if (section.steps.empty()) {
        const RoadPose& end = net.junctions[size_t(section.to)];
        const std::vector<double>& table = section.arcTable;
        s = std::clamp(s, 0.0, table.back());
        const size_t i = size_t(std::upper_bound(table.begin(), table.end(), s) - table.begin());
        const size_t hi = std::min(std::max<size_t>(i, 1), table.size() - 1);
        const double span = table[hi] - table[hi - 1];
        const double u = (double(hi - 1) + (span > 0 ? (s - table[hi - 1]) / span : 0)) / ArcTableSteps;
        double x, y, dx, dy, ddx, ddy;
        ConnectorAt(start, end, u, x, y, dx, dy, ddx, ddy);
        const double speed = std::sqrt(dx * dx + dy * dy);
        return {x, y, ComputeAtan2(dy, dx), (dx * ddy - dy * ddx) / (speed * speed * speed)};
    }
    double x = start.x, y = start.y, heading = start.heading;
    for (size_t j = 0; j < section.steps.size(); j++) {
        const RoadStep& step = section.steps[j];
        double sh, ch;
        SinCos(heading, sh, ch);
        if (s <= step.length || j + 1 == section.steps.size()) {
            const double u = std::min(s, step.length);
            if (step.turn == 0)
                return {x + u * ch, y + u * sh, heading, 0};
            const double r = step.length / step.turn;
            const double a = heading + step.turn * (u / step.length);
            double sa, ca;
            SinCos(a, sa, ca);
            return {x + r * (sa - sh), y + r * (ch - ca), a, 1 / r};
        }
        if (step.turn == 0) {
            x += step.length * ch;
            y += step.length * sh;
        } else {
            const double r = step.length / step.turn;
            double se, ce;
            SinCos(heading + step.turn, se, ce);
            x += r * (se - sh);
            y += r * (ch - ce);
            heading += step.turn;
        }
        s -= step.length;
    }
    return {x, y, heading, 0};
}

// Heights along a section: Hermite pieces through the junctions' heights
// (with their grades) and the interior knots (Catmull-Rom slopes).
struct Elevation {
    std::vector<double> s, z, m;

    void At(double at, double& height, double& grade) const
    {
        size_t i = 0;
        while (i + 2 < s.size() && at > s[i + 1])
            i++;
        const double span = s[i + 1] - s[i];
        const double t = span > 0 ? std::clamp((at - s[i]) / span, 0.0, 1.0) : 0;
        height = Hermite(z[i], z[i + 1], m[i] * span, m[i + 1] * span, t);
        grade = span > 0 ? HermiteSlope(z[i], z[i + 1], m[i] * span, m[i + 1] * span, t) / span : 0;
    }
};

Elevation MakeElevation(const RoadNetwork& net, const RoadSection& section)
{
    const RoadPose& a = net.junctions[size_t(section.from)];
    const RoadPose& b = net.junctions[size_t(section.to)];
    Elevation e;
    e.s.push_back(0);
    e.z.push_back(a.z);
    for (const auto& [fraction, z] : section.knots) {
        e.s.push_back(fraction * section.length);
        e.z.push_back(z);
    }
    e.s.push_back(section.length);
    e.z.push_back(b.z);
    e.m.assign(e.s.size(), 0);
    e.m.front() = a.grade;
    e.m.back() = b.grade;
    for (size_t i = 1; i + 1 < e.s.size(); i++)
        e.m[i] = (e.z[i + 1] - e.z[i - 1]) / (e.s[i + 1] - e.s[i - 1]);
    return e;
}

double SmoothedCurvature(const RoadNetwork& net, const RoadSection& section, double s)
{
    double sum = 0;
    int n = 0;
    for (double d = -BankWindow; d <= BankWindow; d += 1.0) {
        const double at = s + d;
        if (at < 0 || at > section.length)
            continue;
        sum += PlanAt(net, section, at).curvature;
        n++;
    }
    return n ? sum / n : 0;
}

double BankAt(const RoadNetwork& net, const RoadSection& section, double s)
{
    if (section.cross.bankFactor == 0)
        return 0;
    const double fade = std::min({1.0, s / BankFade, (section.length - s) / BankFade});
    return std::clamp(section.cross.bankFactor * SmoothedCurvature(net, section, s), -SteepestBank, SteepestBank) *
           std::max(fade, 0.0);
}

// The boundaries across one side, from the road edge outwards: offset,
// height above the road's plane and the texture of the band inside it.
struct Boundary {
    double q, rise;
    int texture;
};

std::vector<Boundary> SideBoundaries(const CrossSection& c, int side, double curvature)
{
    std::vector<Boundary> out;
    const double sign = side == 0 ? -1 : 1;
    double q = c.halfRoad;
    out.push_back({sign * q, 0, c.roadTexture});
    const bool corner = std::fabs(curvature) > CornerCurvature;
    for (const SideBand& band : c.side[side]) {
        q += band.width;
        out.push_back({sign * q, band.rise, corner ? band.texture : band.straightTexture});
    }
    return out;
}

void SampleProfile(const RoadNetwork& net, const RoadSection& section, const Elevation& elevation, double s,
                   ProfileSample& out)
{
    const PlanPoint p = PlanAt(net, section, s);
    out.s = s;
    out.x = p.x;
    out.y = p.y;
    out.heading = p.heading;
    out.curvature = p.curvature;
    elevation.At(s, out.z, out.grade);
    out.bank = BankAt(net, section, s);
    const double bankSlope = (BankAt(net, section, std::min(s + 0.5, section.length)) -
                              BankAt(net, section, std::max(s - 0.5, 0.0))) /
                             (std::min(s + 0.5, section.length) - std::max(s - 0.5, 0.0));
    double sh, ch;
    SinCos(p.heading, sh, ch);
    const CrossSection& c = section.cross;
    // Left to right; each point carries the texture of the band to its right.
    std::vector<ProfilePoint> points;
    auto add = [&](double q, double rise, int texture, uint8_t edge) {
        ProfilePoint point;
        point.q = q;
        point.x = p.x + q * sh;
        point.y = p.y - q * ch;
        point.h = out.z + q * out.bank + rise;
        point.gradient = (out.grade + q * bankSlope) / (1 + p.curvature * q);
        point.edge = edge;
        point.texture = texture;
        points.push_back(point);
    };
    const std::vector<Boundary> left = SideBoundaries(c, 0, p.curvature);
    const std::vector<Boundary> right = SideBoundaries(c, 1, p.curvature);
    if (c.wall[0])
        add(left.back().q, left.back().rise + c.wallHeight, c.wallTexture, EdgeLeft);
    for (size_t i = left.size(); i-- > 0;)
        add(left[i].q, left[i].rise, i > 0 ? left[i].texture : c.roadTexture,
            i + 1 == left.size() && !c.wall[0] ? EdgeLeft : 0);
    for (size_t i = 0; i < right.size(); i++) {
        const int texture = i + 1 < right.size() ? right[i + 1].texture : c.wallTexture;
        add(right[i].q, right[i].rise, texture, i + 1 == right.size() && !c.wall[1] ? EdgeRight : 0);
    }
    if (c.wall[1])
        add(right.back().q, right.back().rise + c.wallHeight, c.wallTexture, EdgeRight);
    out.points = std::move(points);
}

// Where a section's profiles stand: a piece length apart, closer in tight
// corners (so that the polygon of the road follows the corner's arc), the
// last at the section's end.
std::vector<double> ProfilePlaces(const RoadNetwork& net, const RoadSection& section)
{
    std::vector<double> at{0};
    double s = 0;
    while (s < section.length) {
        double tightest = 0;
        for (double d = 0; d <= section.pieceLength; d += 0.5)
            tightest = std::max(tightest, std::fabs(PlanAt(net, section, std::min(s + d, section.length)).curvature));
        const double step = tightest > 0 ? std::clamp(CornerPieceFactor / tightest, ShortestPiece, section.pieceLength)
                                         : section.pieceLength;
        s += step;
        at.push_back(s);
    }
    // Stretched evenly so that the last profile is the section's end.
    const double scale = section.length / at.back();
    for (double& place : at)
        place *= scale;
    return at;
}

double HalfExtent(const CrossSection& c, int side)
{
    return c.Extent(side);
}

bool NearJunction(const RoadSection& s, double at) { return at < JunctionZone || at > s.length - JunctionZone; }

bool CheckSection(const RoadSection& section, int index, std::string& error)
{
    for (size_t k = 0; k + 1 < section.profiles.size(); k++) {
        const ProfileSample& a = section.profiles[k];
        const ProfileSample& b = section.profiles[k + 1];
        double sh, ch;
        SinCos((a.heading + b.heading) / 2, sh, ch);
        for (size_t i = 0; i < a.points.size(); i++) {
            const double along = (b.points[i].x - a.points[i].x) * ch + (b.points[i].y - a.points[i].y) * sh;
            if (along <= 0.05) {
                char text[160];
                std::snprintf(text, sizeof text, "section %d folds at %.0f m: a corner too tight for its cross-section",
                              index, a.s);
                error = text;
                return false;
            }
        }
    }
    return true;
}

bool CheckClearance(const RoadNetwork& net, std::string& error)
{
    for (size_t a = 0; a < net.sections.size(); a++) {
        const RoadSection& A = net.sections[a];
        if (!A.surfaced)
            continue;
        const double reachA = std::max(HalfExtent(A.cross, 0), HalfExtent(A.cross, 1));
        for (size_t b = a; b < net.sections.size(); b++) {
            const RoadSection& B = net.sections[b];
            // Sections of different configurations never meet.
            if (!B.surfaced || !(A.mask & B.mask))
                continue;
            const double reachB = std::max(HalfExtent(B.cross, 0), HalfExtent(B.cross, 1));
            const double limit = reachA + reachB + Clearance;
            const bool shareJunction = A.from == B.from || A.from == B.to || A.to == B.from || A.to == B.to;
            for (const ProfileSample& pa : A.profiles) {
                for (const ProfileSample& pb : B.profiles) {
                    if (a == b && std::fabs(pa.s - pb.s) < 2 * limit + 10)
                        continue;
                    if (a != b && shareJunction && (NearJunction(A, pa.s) || NearJunction(B, pb.s)))
                        continue;
                    const double dx = pa.x - pb.x, dy = pa.y - pb.y;
                    if (dx * dx + dy * dy < limit * limit) {
                        char text[160];
                        std::snprintf(text, sizeof text, "sections %d and %d come within %.1f m (at %.0f m and %.0f m)",
                                      int(a), int(b), std::sqrt(dx * dx + dy * dy), pa.s, pb.s);
                        error = text;
                        return false;
                    }
                }
            }
        }
    }
    return true;
}

uint32_t LoopBits(const RoadLoop& loop, int configuration)
{
    return (1u << configuration) | (loop.reversible ? 1u << (configuration + 16) : 0u);
}

int32_t ToFixed(double metres) { return FixedFromMetres(metres).raw; }

} // namespace

double CrossSection::Extent(int s) const
{
    double q = halfRoad;
    for (const SideBand& band : side[s])
        q += band.width;
    return q;
}

int RoadNetwork::AddJunction(const RoadPose& pose)
{
    junctions.push_back(pose);
    return static_cast<int>(junctions.size()) - 1;
}

namespace {

// A section of steps from a junction, its end still open.
RoadSection& AddStepSection(RoadNetwork& net, int from, const std::vector<RoadStep>& steps, const CrossSection& cross,
                            const std::vector<std::pair<double, double>>& knots)
{
    RoadSection section;
    section.from = from;
    section.steps = steps;
    section.cross = cross;
    section.knots = knots;
    for (const RoadStep& step : steps)
        section.length += step.length;
    net.sections.push_back(section);
    return net.sections.back();
}

} // namespace

int RoadNetwork::AddSteps(int from, const std::vector<RoadStep>& steps, double endZ, const CrossSection& cross,
                          double endGrade, const std::vector<std::pair<double, double>>& knots)
{
    RoadSection& section = AddStepSection(*this, from, steps, cross, knots);
    const PlanPoint end = PlanAt(*this, section, section.length);
    RoadPose pose;
    pose.x = end.x;
    pose.y = end.y;
    pose.z = endZ;
    pose.heading = end.heading;
    pose.grade = endGrade;
    const int to = AddJunction(pose);
    sections.back().to = to;
    return static_cast<int>(sections.size()) - 1;
}

int RoadNetwork::AddStepsTo(int from, int to, const std::vector<RoadStep>& steps, const CrossSection& cross,
                            const std::vector<std::pair<double, double>>& knots)
{
    RoadSection& section = AddStepSection(*this, from, steps, cross, knots);
    section.to = to;
    const PlanPoint end = PlanAt(*this, section, section.length);
    const RoadPose& target = junctions[size_t(to)];
    const double turn = std::remainder(end.heading - target.heading, 2 * Pi);
    section.closingError = std::max(std::hypot(end.x - target.x, end.y - target.y), std::fabs(turn) * 1000);
    return static_cast<int>(sections.size()) - 1;
}

int RoadNetwork::AddConnector(int from, int to, const CrossSection& cross,
                              const std::vector<std::pair<double, double>>& knots)
{
    RoadSection& section = AddStepSection(*this, from, {}, cross, knots);
    section.to = to;
    const RoadPose& a = junctions[size_t(from)];
    const RoadPose& b = junctions[size_t(to)];
    section.arcTable.assign(ArcTableSteps + 1, 0.0);
    double px = a.x, py = a.y;
    for (int i = 1; i <= ArcTableSteps; i++) {
        double x, y, dx, dy, ddx, ddy;
        ConnectorAt(a, b, double(i) / ArcTableSteps, x, y, dx, dy, ddx, ddy);
        section.arcTable[size_t(i)] = section.arcTable[size_t(i - 1)] + std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
        px = x;
        py = y;
    }
    section.length = section.arcTable.back();
    return static_cast<int>(sections.size()) - 1;
}

bool RoadNetwork::Prepare(std::string& error)
{
    for (size_t i = 0; i < sections.size(); i++) {
        RoadSection& section = sections[i];
        const Elevation elevation = MakeElevation(*this, section);
        const std::vector<double> at = ProfilePlaces(*this, section);
        section.profiles.assign(at.size(), ProfileSample{});
        for (size_t k = 0; k < at.size(); k++)
            SampleProfile(*this, section, elevation, at[k], section.profiles[k]);
        if (!CheckSection(section, int(i), error))
            return false;
        if (section.closingError > 0.1) {
            error = "section " + std::to_string(i) + " does not end on its junction";
            return false;
        }
    }
    for (size_t n = 0; n < loops.size(); n++) {
        const RoadLoop& loop = loops[n];
        const size_t joins = loop.closed ? loop.sections.size() : loop.sections.size() - 1;
        for (size_t i = 0; i < joins; i++) {
            const int next = loop.sections[(i + 1) % loop.sections.size()];
            if (sections[size_t(loop.sections[i])].to != sections[size_t(next)].from) {
                error = "configuration " + std::to_string(n + 1) + " does not join up";
                return false;
            }
        }
    }
    for (RoadSection& section : sections)
        section.mask = 0;
    for (size_t n = 0; n < loops.size(); n++) {
        const uint32_t bits = LoopBits(loops[n], int(n) + 1);
        for (int index : loops[n].sections)
            sections[size_t(index)].mask |= bits;
        for (int index : loops[n].extraSections)
            sections[size_t(index)].mask |= bits;
    }
    return CheckClearance(*this, error);
}

double RoadNetwork::CentreLineLength(int loop) const
{
    double total = 0;
    for (int index : loops[size_t(loop)].sections) {
        const RoadSection& section = sections[size_t(index)];
        const Elevation elevation = MakeElevation(*this, section);
        const int steps = std::max(2, int(section.length / 0.25) & ~1);
        const double h = section.length / steps;
        auto f = [&](double s) {
            double z, g;
            elevation.At(s, z, g);
            return std::sqrt(1 + g * g);
        };
        double sum = f(0) + f(section.length);
        for (int i = 1; i < steps; i++)
            sum += (i % 2 ? 4 : 2) * f(i * h);
        total += sum * h / 3;
    }
    return total;
}

void RoadNetwork::RoadPoint(int sectionIndex, int piece, double t, double f, double& x, double& y, double& z) const
{
    const RoadSection& section = sections[size_t(sectionIndex)];
    const ProfileSample& a = section.profiles[size_t(piece)];
    const ProfileSample& b = section.profiles[size_t(piece + 1)];
    size_t left = 0;
    while (left < a.points.size() && a.points[left].q != -section.cross.halfRoad)
        left++;
    const size_t right = left + 1;
    double px[2], py[2], pz[2];
    for (int k = 0; k < 2; k++) {
        const ProfilePoint& p0 = a.points[k == 0 ? left : right];
        const ProfilePoint& p1 = b.points[k == 0 ? left : right];
        const double length = std::sqrt((p1.x - p0.x) * (p1.x - p0.x) + (p1.y - p0.y) * (p1.y - p0.y));
        px[k] = p0.x + t * (p1.x - p0.x);
        py[k] = p0.y + t * (p1.y - p0.y);
        pz[k] = Hermite(p0.h, p1.h, length * p0.gradient, length * p1.gradient, t);
    }
    x = px[0] + f * (px[1] - px[0]);
    y = py[0] + f * (py[1] - py[0]);
    z = pz[0] + f * (pz[1] - pz[0]);
}

RoadPose RoadNetwork::LoopPose(int loopIndex, double s) const
{
    const RoadLoop& loop = loops[size_t(loopIndex)];
    for (size_t i = 0;; i = (i + 1) % loop.sections.size()) {
        const RoadSection& section = sections[size_t(loop.sections[i])];
        if (s <= section.length || (i + 1 == loop.sections.size() && s <= section.length + 1e-6)) {
            const PlanPoint p = PlanAt(*this, section, s);
            RoadPose pose;
            pose.x = p.x;
            pose.y = p.y;
            pose.heading = p.heading;
            MakeElevation(*this, section).At(s, pose.z, pose.grade);
            return pose;
        }
        s -= section.length;
    }
}

// ---------------------------------------------------------------------------
// The world's objects.

namespace {

StripObject* MakeProfile(const ProfileSample& sample, uint32_t mask)
{
    auto* strip = new StripObject;
    strip->x = FixedFromMetres(sample.x);
    strip->y = FixedFromMetres(sample.y);
    strip->configMask = mask;
    strip->heading = static_cast<float>(sample.heading - Pi / 2);
    for (const ProfilePoint& p : sample.points) {
        StripPoint point;
        point.height = ToFixed(p.h);
        point.offset = ToFixed(p.q);
        point.gradient = static_cast<float>(p.gradient);
        point.edge = p.edge;
        strip->points.push_back(point);
    }
    return strip;
}

CurvedSurfaceObject* MakeSurface(const RoadSection& section, int piece, int firstEnd, uint32_t mask)
{
    auto* surface = new CurvedSurfaceObject;
    surface->configMask = mask;
    surface->surfaceFlags = SurfaceDrivable;
    surface->direction[0] = 1;
    surface->direction[1] = -1;
    surface->end[0] = static_cast<int16_t>(firstEnd);
    surface->end[1] = static_cast<int16_t>(firstEnd + 1);
    const ProfileSample& a = section.profiles[size_t(piece)];
    const int n = static_cast<int>(a.points.size());
    for (int i = 0; i < n; i++) {
        SurfaceCurve curve;
        curve.storedKind = curve.kind = (i == 0 || i == n - 1) ? CurveStraight : CurveStraightPlan;
        curve.endPoint[0] = static_cast<uint8_t>(i);
        curve.endPoint[1] = static_cast<uint8_t>(n - 1 - i);
        surface->curves.push_back(curve);
    }
    // The bands of a piece are painted by the curvature in its middle.
    const double curvature = (a.curvature + section.profiles[size_t(piece + 1)].curvature) / 2;
    const std::vector<Boundary> left = SideBoundaries(section.cross, 0, curvature);
    const std::vector<Boundary> right = SideBoundaries(section.cross, 1, curvature);
    std::vector<int> textures;
    if (section.cross.wall[0])
        textures.push_back(section.cross.wallTexture);
    for (size_t i = left.size(); i-- > 1;)
        textures.push_back(left[i].texture);
    textures.push_back(section.cross.roadTexture);
    for (size_t i = 1; i < right.size(); i++)
        textures.push_back(right[i].texture);
    if (section.cross.wall[1])
        textures.push_back(section.cross.wallTexture);
    for (int i = 0; i + 1 < n; i++) {
        SurfaceBand band;
        band.texture = static_cast<int16_t>(textures[size_t(i)]);
        band.solid = 1;
        band.first = static_cast<uint8_t>(i);
        band.second = static_cast<uint8_t>(i + 1);
        surface->bands.push_back(band);
    }
    surface->segmentLength = static_cast<float>(section.length / (section.profiles.size() - 1));
    surface->textureLength = 8.0f;
    return surface;
}

// The pieces of a loop in driving order, each with its distance from the
// loop's start.
struct LoopPiece {
    int section, piece;
    double start;
};

std::vector<LoopPiece> LoopPieces(const RoadNetwork& net, const RoadLoop& loop)
{
    std::vector<LoopPiece> pieces;
    double at = 0;
    for (int index : loop.sections) {
        const RoadSection& section = net.sections[size_t(index)];
        for (size_t k = 0; k + 1 < section.profiles.size(); k++)
            pieces.push_back({index, int(k), at + section.profiles[k].s});
        at += section.length;
    }
    return pieces;
}

// The world object of the surface under a piece: the piece's own, or for
// a course marked on other ground, the piece of a surfaced section of its
// configurations whose road holds the piece's middle; -1 when none does.
int SurfaceUnder(const RoadNetwork& net, const RoadSection& section, int piece)
{
    if (section.surfaced)
        return section.firstSurface + piece;
    const ProfileSample& a = section.profiles[size_t(piece)];
    const ProfileSample& b = section.profiles[size_t(piece + 1)];
    const double x = (a.x + b.x) / 2, y = (a.y + b.y) / 2;
    for (const RoadSection& ground : net.sections) {
        if (!ground.surfaced || !(ground.mask & section.mask))
            continue;
        for (size_t k = 0; k + 1 < ground.profiles.size(); k++) {
            const ProfileSample& p = ground.profiles[k];
            const ProfileSample& q = ground.profiles[k + 1];
            double sh, ch;
            SinCos(p.heading, sh, ch);
            const double along = (x - p.x) * ch + (y - p.y) * sh;
            const double span = (q.x - p.x) * ch + (q.y - p.y) * sh;
            const double across = (x - p.x) * sh - (y - p.y) * ch;
            if (along > 0 && along < span && across > -ground.cross.halfRoad && across < ground.cross.halfRoad)
                return ground.firstSurface + int(k);
        }
    }
    return -1;
}

bool PlaceTiming(RoadNetwork& net, World& world, int loopIndex, std::string& error)
{
    RoadLoop& loop = net.loops[size_t(loopIndex)];
    const std::vector<LoopPiece> pieces = LoopPieces(net, loop);
    double finishAt = 0;
    for (int index : loop.sections) {
        if (index == loop.finishSection)
            break;
        finishAt += net.sections[size_t(index)].length;
    }
    finishAt += loop.finishAt;
    double lap = 0;
    for (int index : loop.sections)
        lap += net.SectionLength(index);
    const uint32_t bits = LoopBits(loop, loopIndex + 1);
    for (int code = 1; code <= 4; code++) {
        const double wanted = std::fmod(finishAt + lap * (code - 1) / 4.0, lap);
        size_t i = 0;
        while (i + 1 < pieces.size() && pieces[i + 1].start <= wanted)
            i++;
        bool placed = false;
        for (size_t tries = 0; tries < pieces.size() && !placed; tries++, i = (i + 1) % pieces.size()) {
            const LoopPiece& p = pieces[i];
            const RoadSection& section = net.sections[size_t(p.section)];
            const int pieceCount = int(section.profiles.size()) - 1;
            if (p.piece < TimingMargin || p.piece >= pieceCount - TimingMargin)
                continue;
            const int object = SurfaceUnder(net, section, p.piece);
            if (object < 0)
                continue;
            auto* surface = static_cast<CurvedSurfaceObject*>(world.objects[size_t(object)]);
            if (surface->areaCode != 0 && surface->areaCode != code)
                continue;
            const bool fresh = surface->areaCode == 0;
            surface->areaCode = static_cast<uint8_t>(code);
            surface->areaMask = (fresh ? 0u : surface->areaMask) | bits;
            loop.timing[code - 1] = {p.section, p.piece};
            placed = true;
        }
        if (!placed) {
            error = "configuration " + std::to_string(loopIndex + 1) + " has no room for timing point " + std::to_string(code);
            return false;
        }
    }
    return true;
}

} // namespace

bool AddRoadsToWorld(RoadNetwork& net, World& world, int lightSchemes, std::string& error)
{
    for (RoadSection& section : net.sections) {
        if (section.mask == 0 || !section.surfaced)
            continue;
        section.firstProfile = static_cast<int>(world.objects.size());
        for (const ProfileSample& sample : section.profiles)
            world.objects.push_back(MakeProfile(sample, section.mask));
        section.firstSurface = static_cast<int>(world.objects.size());
        for (size_t k = 0; k + 1 < section.profiles.size(); k++)
            world.objects.push_back(MakeSurface(section, int(k), section.firstProfile + int(k), section.mask));
    }
    for (size_t n = 0; n < net.loops.size(); n++)
        if (net.loops[n].racing && !PlaceTiming(net, world, int(n), error))
            return false;
    for (size_t n = 0; n < net.loops.size(); n++) {
        const RoadLoop& loop = net.loops[n];
        WorldConfig config;
        Path& path = config.path;
        path.flags = (loop.closed ? PathClosedLoop : 0) | (loop.racing ? PathRacing : 0) |
                     (loop.reversible ? PathReversible : 0);
        for (size_t i = 0; i < loop.sections.size(); i++) {
            const int index = loop.sections[i];
            const RoadSection& section = net.sections[size_t(index)];
            const CrossSection& c = section.cross;
            auto addNode = [&](double x, double y, double z, double heading, double grade) {
                PathNode node;
                node.centre = MakeFixedVector(ToFixed(x), ToFixed(y), ToFixed(z));
                const double level = 1 / std::sqrt(1 + grade * grade);
                double sh, ch;
                SinCos(heading, sh, ch);
                node.direction = {float(ch * level), float(sh * level), float(grade * level)};
                node.leftEdge = float(-c.halfRoad);
                node.rightEdge = float(c.halfRoad);
                node.leftLimit = float(-std::min(c.halfRoad + LimitMargin, std::max(c.halfRoad, c.Extent(0) - WallMargin)));
                node.rightLimit = float(std::min(c.halfRoad + LimitMargin, std::max(c.halfRoad, c.Extent(1) - WallMargin)));
                path.nodes.push_back(node);
            };
            if (section.surfaced) {
                // A node in the middle of every piece: each lies on one
                // surface, never on the line two surfaces share.
                for (size_t k = 0; k + 1 < section.profiles.size(); k++) {
                    const ProfileSample& a = section.profiles[k];
                    const ProfileSample& b = section.profiles[k + 1];
                    double x, y, z;
                    net.RoadPoint(index, int(k), 0.5, 0.5, x, y, z);
                    const double heading = a.heading + std::remainder(b.heading - a.heading, 2 * Pi) / 2;
                    addNode(x, y, z, heading, (a.grade + b.grade) / 2);
                }
                continue;
            }
            // A course marked on other ground: a node at every profile, and
            // an open course's very last one.
            const size_t count = !loop.closed && i + 1 == loop.sections.size() ? section.profiles.size()
                                                                                 : section.profiles.size() - 1;
            for (size_t k = 0; k < count; k++) {
                const ProfileSample& p = section.profiles[k];
                addNode(p.x, p.y, p.z, p.heading, p.grade);
            }
        }
        path.nodeCount = static_cast<int32_t>(path.nodes.size());
        path.lightMaps.assign(size_t(lightSchemes), LightMapBlock{});
        world.configs.push_back(std::move(config));
    }
    return true;
}
