// Collision hulls of the body models. The hull is the intersection of
// planes that touch the model from outside (each at the model's farthest
// point along its normal, pushed 0.5 mm out so that rounding to 16.16 never
// cuts a point off): a box first, then, one at a time, the plane (or the
// mirrored pair of planes) of a fixed set of directions that takes off the
// most volume while the shape keeps at most 24 corners and 42 triangles.
#include "model_hull.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Margin = 0.0005;
constexpr double Tolerance = 1e-7;
constexpr size_t MaxCorners = MaxPhysicsPoints;
constexpr size_t MaxTriangles = MaxPhysicsFaces;

struct Plane {
    HullPoint n;  // unit, outward
    double h;     // n . p <= h inside
};

double Dot(const HullPoint& a, const HullPoint& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
HullPoint Sub(const HullPoint& a, const HullPoint& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
HullPoint Cross(const HullPoint& a, const HullPoint& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct Hull {
    std::vector<HullPoint> corners;
    std::vector<int> triangles;  // three corners each, counter-clockwise from outside
    double volume = 0;
};

// The corners and triangles of the intersection of the planes.
Hull BuildHull(const std::vector<Plane>& planes)
{
    Hull hull;
    const size_t n = planes.size();
    for (size_t i = 0; i < n; i++)
        for (size_t j = i + 1; j < n; j++)
            for (size_t k = j + 1; k < n; k++) {
                const HullPoint& a = planes[i].n;
                const HullPoint& b = planes[j].n;
                const HullPoint& c = planes[k].n;
                const HullPoint bc = Cross(b, c);
                const double det = Dot(a, bc);
                if (std::fabs(det) < 1e-9)
                    continue;
                const HullPoint ca = Cross(c, a), ab = Cross(a, b);
                const HullPoint p = {(planes[i].h * bc.x + planes[j].h * ca.x + planes[k].h * ab.x) / det,
                                     (planes[i].h * bc.y + planes[j].h * ca.y + planes[k].h * ab.y) / det,
                                     (planes[i].h * bc.z + planes[j].h * ca.z + planes[k].h * ab.z) / det};
                bool inside = true;
                for (const Plane& q : planes)
                    inside = inside && Dot(q.n, p) <= q.h + Tolerance;
                if (!inside)
                    continue;
                bool known = false;
                for (const HullPoint& c2 : hull.corners)
                    known = known || (std::fabs(c2.x - p.x) < 1e-6 && std::fabs(c2.y - p.y) < 1e-6 &&
                                      std::fabs(c2.z - p.z) < 1e-6);
                if (!known)
                    hull.corners.push_back(p);
            }
    for (const Plane& plane : planes) {
        std::vector<int> on;
        for (size_t c = 0; c < hull.corners.size(); c++)
            if (std::fabs(Dot(plane.n, hull.corners[c]) - plane.h) < 1e-6)
                on.push_back(static_cast<int>(c));
        if (on.size() < 3)
            continue;
        HullPoint centre{0, 0, 0};
        for (int c : on)
            centre = {centre.x + hull.corners[size_t(c)].x, centre.y + hull.corners[size_t(c)].y,
                      centre.z + hull.corners[size_t(c)].z};
        centre = {centre.x / on.size(), centre.y / on.size(), centre.z / on.size()};
        // Two axes in the plane; corners ordered counter-clockwise about n.
        const HullPoint helper = std::fabs(plane.n.x) < 0.9 ? HullPoint{1, 0, 0} : HullPoint{0, 1, 0};
        HullPoint u = Cross(plane.n, helper);
        const double ul = std::sqrt(Dot(u, u));
        u = {u.x / ul, u.y / ul, u.z / ul};
        const HullPoint v = Cross(plane.n, u);
        std::sort(on.begin(), on.end(), [&](int a, int b) {
            const HullPoint da = Sub(hull.corners[size_t(a)], centre), db = Sub(hull.corners[size_t(b)], centre);
            return std::atan2(Dot(da, v), Dot(da, u)) < std::atan2(Dot(db, v), Dot(db, u));
        });
        for (size_t t = 1; t + 1 < on.size(); t++) {
            hull.triangles.push_back(on[0]);
            hull.triangles.push_back(on[t]);
            hull.triangles.push_back(on[t + 1]);
        }
    }
    for (size_t t = 0; t < hull.triangles.size(); t += 3) {
        const HullPoint& a = hull.corners[size_t(hull.triangles[t])];
        const HullPoint& b = hull.corners[size_t(hull.triangles[t + 1])];
        const HullPoint& c = hull.corners[size_t(hull.triangles[t + 2])];
        hull.volume += Dot(a, Cross(b, c)) / 6.0;
    }
    return hull;
}

Plane Touching(const std::vector<HullPoint>& points, HullPoint n)
{
    const double length = std::sqrt(Dot(n, n));
    n = {n.x / length, n.y / length, n.z / length};
    double h = -1e300;
    for (const HullPoint& p : points)
        h = std::max(h, Dot(n, p));
    return {n, h + Margin};
}

// A thin triangle's normal is tilted by the rounding of its corners to
// 16.16 in proportion to the shape's size over the triangle's height: a
// shape whose every triangle is at least this share of the shape's size
// high keeps the tilt far below the half millimetre the planes are pushed
// out by.
constexpr double ThinnestTriangle = 0.06;

bool Fits(const Hull& hull, double size)
{
    if (hull.corners.size() > MaxCorners || hull.triangles.size() / 3 > MaxTriangles)
        return false;
    for (size_t t = 0; t < hull.triangles.size(); t += 3) {
        const HullPoint& a = hull.corners[size_t(hull.triangles[t])];
        const HullPoint& b = hull.corners[size_t(hull.triangles[t + 1])];
        const HullPoint& c = hull.corners[size_t(hull.triangles[t + 2])];
        const HullPoint n = Cross(Sub(b, a), Sub(c, a));
        double longest = 0;
        for (const HullPoint& e : {Sub(b, a), Sub(c, b), Sub(a, c)})
            longest = std::max(longest, std::sqrt(Dot(e, e)));
        if (!(std::sqrt(Dot(n, n)) / longest >= ThinnestTriangle * size))
            return false;
    }
    return true;
}

void AddCandidate(std::vector<std::vector<HullPoint>>& groups, HullPoint d)
{
    std::vector<HullPoint> group{d};
    if (std::fabs(d.x) > 1e-9)
        group.push_back({-d.x, d.y, d.z});
    groups.push_back(group);
}

} // namespace

std::vector<HullPoint> CollectModelPoints(const ObjectModel& model)
{
    std::vector<HullPoint> points;
    auto take = [&](const ObjectModel& m, const FixedVector& offset) {
        for (const ModelPoint& p : m.points) {
            const double x = FixedToMetres(p.position.x + offset.x), y = FixedToMetres(p.position.y + offset.y),
                         z = FixedToMetres(p.position.z + offset.z);
            points.push_back({x, y, z});
            if (p.flags & PointFlagTwin)
                points.push_back({FixedToMetres(-p.position.x + offset.x), y, z});
        }
    };
    take(model, ZeroVector);
    for (const ObjectModel& sub : model.subModels)
        take(sub, sub.offset);
    return points;
}

double AddEnclosingHull(ModelMaker& maker, const std::vector<HullPoint>& points, int column, int level)
{
    if (points.empty())
        return 0;
    std::vector<Plane> planes;
    const HullPoint axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const HullPoint& a : axes)
        planes.push_back(Touching(points, a));
    // Directions tilted from the axes in the three axis planes, and the
    // corners' diagonals; each with its mirror in x.
    std::vector<std::vector<HullPoint>> groups;
    for (int step = 1; step < 6; step++) {
        const double a = step * Pi / 12, c = std::cos(a), s = std::sin(a);
        for (int sy = -1; sy <= 1; sy += 2)
            for (int sz = -1; sz <= 1; sz += 2) {
                AddCandidate(groups, {0, sy * c, sz * s});
                AddCandidate(groups, {c, 0, sz * s});
                AddCandidate(groups, {c, sy * s, 0});
                AddCandidate(groups, {c, sy * s, sz * s});
            }
    }
    Hull best = BuildHull(planes);
    double size = 0;
    for (const HullPoint& c : best.corners)
        for (const HullPoint& d : best.corners)
            size = std::max(size, std::sqrt(Dot(Sub(c, d), Sub(c, d))));
    std::vector<bool> used(groups.size(), false);
    for (;;) {
        int chosen = -1;
        Hull chosenHull;
        for (size_t g = 0; g < groups.size(); g++) {
            if (used[g])
                continue;
            std::vector<Plane> trial = planes;
            for (const HullPoint& d : groups[g])
                trial.push_back(Touching(points, d));
            Hull hull = BuildHull(trial);
            if (!Fits(hull, size) || !(hull.volume < best.volume - 1e-6))
                continue;
            if (chosen < 0 || hull.volume < chosenHull.volume) {
                chosen = static_cast<int>(g);
                chosenHull = hull;
            }
        }
        if (chosen < 0)
            break;
        used[size_t(chosen)] = true;
        for (const HullPoint& d : groups[size_t(chosen)])
            planes.push_back(Touching(points, d));
        best = chosenHull;
    }
    std::vector<int> index;
    for (const HullPoint& c : best.corners)
        index.push_back(maker.AddPoint(c.x, c.y, c.z));
    for (size_t t = 0; t < best.triangles.size(); t += 3)
        maker.AddTriangle(index[size_t(best.triangles[t])], index[size_t(best.triangles[t + 1])],
                          index[size_t(best.triangles[t + 2])], column, level, 0, false, 0);
    return best.volume;
}
