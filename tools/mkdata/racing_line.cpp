// The AI's racing line over a path: the minimum-curvature fit inside the
// road and the keys the knowledge file keeps of it.
#include "racing_line.h"

#include <algorithm>
#include <cmath>

namespace {

// Room (m) the fit leaves inside the margins the game holds a line to, for
// the cubics' overshoot between keys.
constexpr float FitSlack = 0.2f;
// The fit runs on ever finer levels of the path's nodes, each level every
// second node of the next: the coarsest level settles the line's sweep
// through whole corners, and each finer level only its detail. The coarsest
// level has at most this many nodes and takes many passes; every other
// level takes a few.
constexpr int CoarsestLevelNodes = 24;
constexpr int CoarsestLevelPasses = 3000;
constexpr int FinerLevelPasses = 150;
// Keys stand this many nodes apart before the checks add more.
constexpr int KeyStride = 8;
// The line rebuilt from the keys may stray this far from the fit (m)...
constexpr float KeyTolerance = 0.05f;
// ... and must stay this far inside the key margin (m).
constexpr float RebuildSlack = 0.05f;
// Each pass of the key check halves the spans it refuses; a span of one
// node has nothing between its keys, so a handful of passes settles.
constexpr int MaxKeyPasses = 12;

bool IsClosedPath(const Path& path) { return (path.flags & PathClosedLoop) != 0; }

int WrapNode(int i, int n) { return ((i % n) + n) % n; }

// A node as the fit sees it: centre and side axis (m), and its bounds.
struct FitNode {
    double cx = 0, cy = 0, sx = 0, sy = 0;
    double low = 0, high = 0;
};

std::vector<FitNode> MakeFitNodes(const Path& path, float halfWidth)
{
    std::vector<FitNode> nodes(path.nodes.size());
    for (size_t i = 0; i < nodes.size(); i++) {
        const PathNode& node = path.nodes[i];
        FitNode& f = nodes[i];
        f.cx = FixedToMetres(node.centre.x);
        f.cy = FixedToMetres(node.centre.y);
        // The side axis as the game lays offsets along it (a little
        // shorter than 1 on a sloping node).
        f.sx = node.direction.y;
        f.sy = -node.direction.x;
        float low, high;
        RacingLineBounds(node, halfWidth, low, high);
        f.low = low;
        f.high = high;
    }
    // An open line starts on its first node's centre.
    if (!IsClosedPath(path) && !nodes.empty())
        nodes[0].low = nodes[0].high = 0;
    return nodes;
}

// The curvature at one node of a level, from the line's points at it and
// its two neighbours: bend = before p[prev] + at p[self] + after p[next],
// and its share of the summed squared curvature is weight x bend^2.
struct Bend {
    int prev = -1, self = -1, next = -1;  // level positions; -1: no bend here
    double before = 0, at = 0, after = 0, weight = 0;
    double x = 0, y = 0;                   // the bend of the current line
};

// The fit on one level: the path nodes at `level` (ascending indexes) move
// across, one at a time, to the offset that bends the line least given
// their neighbours, held within their bounds.
class LevelFit {
public:
    LevelFit(const std::vector<FitNode>& nodes, const std::vector<int>& level, bool closed, std::vector<double>& offsets)
        : nodes_(nodes), level_(level), offsets_(offsets)
    {
        const int m = static_cast<int>(level.size());
        bends_.resize(size_t(m));
        for (int k = 0; k < m; k++) {
            if (!closed && (k == 0 || k == m - 1))
                continue;
            Bend& b = bends_[size_t(k)];
            b.prev = WrapNode(k - 1, m);
            b.self = k;
            b.next = WrapNode(k + 1, m);
            const double l0 = CentreDistance(b.prev, k), l1 = CentreDistance(k, b.next);
            if (!(l0 > 0) || !(l1 > 0)) {
                b.self = -1;
                continue;
            }
            const double scale = 2 / (l0 + l1);
            b.before = scale / l0;
            b.after = scale / l1;
            b.at = -(b.before + b.after);
            b.weight = (l0 + l1) / 2;
            UpdateBend(b);
        }
    }

    void RunPasses(int passes)
    {
        const int m = static_cast<int>(level_.size());
        for (int pass = 0; pass < passes; pass++)
            for (int k = 0; k < m; k++)
                MoveNode(k);
    }

private:
    double CentreDistance(int a, int b) const
    {
        const FitNode& p = nodes_[size_t(level_[size_t(a)])];
        const FitNode& q = nodes_[size_t(level_[size_t(b)])];
        return std::sqrt((q.cx - p.cx) * (q.cx - p.cx) + (q.cy - p.cy) * (q.cy - p.cy));
    }

    void PointAt(int k, double& x, double& y) const
    {
        const int i = level_[size_t(k)];
        const FitNode& f = nodes_[size_t(i)];
        x = f.cx + offsets_[size_t(i)] * f.sx;
        y = f.cy + offsets_[size_t(i)] * f.sy;
    }

    void UpdateBend(Bend& b) const
    {
        double x0, y0, x1, y1, x2, y2;
        PointAt(b.prev, x0, y0);
        PointAt(b.self, x1, y1);
        PointAt(b.next, x2, y2);
        b.x = b.before * x0 + b.at * x1 + b.after * x2;
        b.y = b.before * y0 + b.at * y1 + b.after * y2;
    }

    // The bends node k takes part in, with its coefficient in each.
    int BendsOf(int k, Bend* (&bends)[3], double (&coefficients)[3])
    {
        const int m = static_cast<int>(level_.size());
        int count = 0;
        for (int d = -1; d <= 1; d++) {
            Bend& b = bends_[size_t(WrapNode(k + d, m))];
            if (b.self < 0)
                continue;
            const double c = b.prev == k ? b.before : b.self == k ? b.at : b.next == k ? b.after : 0;
            if (c == 0)
                continue;
            bends[count] = &b;
            coefficients[count] = c;
            count++;
        }
        return count;
    }

    // Moves node k to the offset of least bending, within its bounds.
    void MoveNode(int k)
    {
        Bend* bends[3];
        double coefficients[3];
        const int count = BendsOf(k, bends, coefficients);
        const int i = level_[size_t(k)];
        const FitNode& f = nodes_[size_t(i)];
        double slope = 0, stiffness = 0;
        for (int j = 0; j < count; j++) {
            const double c = coefficients[j], w = bends[j]->weight;
            slope += w * c * (f.sx * bends[j]->x + f.sy * bends[j]->y);
            stiffness += w * c * c * (f.sx * f.sx + f.sy * f.sy);
        }
        if (!(stiffness > 0))
            return;
        double& offset = offsets_[size_t(i)];
        const double moved = Clamp(offset - slope / stiffness, f.low, f.high);
        const double change = moved - offset;
        offset = moved;
        for (int j = 0; j < count; j++) {
            bends[j]->x += coefficients[j] * change * f.sx;
            bends[j]->y += coefficients[j] * change * f.sy;
        }
    }

    const std::vector<FitNode>& nodes_;
    const std::vector<int>& level_;
    std::vector<double>& offsets_;
    std::vector<Bend> bends_;
};

// The path nodes of the level of the given stride: every stride-th node,
// and an open path's last.
std::vector<int> LevelNodes(int nodeCount, int stride, bool closed)
{
    std::vector<int> level;
    for (int i = 0; i < nodeCount; i += stride)
        level.push_back(i);
    if (!closed && level.back() != nodeCount - 1)
        level.push_back(nodeCount - 1);
    return level;
}

// Gives the nodes between a coarser level's nodes the offsets on the
// straight between their neighbours' (by node count), within their bounds.
void SpreadToFinerLevel(const std::vector<FitNode>& nodes, const std::vector<int>& coarse, bool closed,
                        std::vector<double>& offsets)
{
    const int n = static_cast<int>(nodes.size());
    const size_t pairs = closed ? coarse.size() : coarse.size() - 1;
    for (size_t k = 0; k < pairs; k++) {
        const int a = coarse[k];
        const int b = k + 1 < coarse.size() ? coarse[k + 1] : coarse[0] + n;
        const double from = offsets[size_t(a)], to = offsets[size_t(WrapNode(b, n))];
        for (int i = a + 1; i < b; i++) {
            const int node = WrapNode(i, n);
            const double t = double(i - a) / double(b - a);
            offsets[size_t(node)] = Clamp(from + (to - from) * t, nodes[size_t(node)].low, nodes[size_t(node)].high);
        }
    }
}

// The fitted line's point (m) at node i.
void LinePoint(const Path& path, const std::vector<float>& offsets, int i, double& x, double& y)
{
    const PathNode& node = path.nodes[size_t(i)];
    x = FixedToMetres(node.centre.x) + double(offsets[size_t(i)]) * node.direction.y;
    y = FixedToMetres(node.centre.y) - double(offsets[size_t(i)]) * node.direction.x;
}

// The line's heading at node i relative to the node's direction (radians,
// left positive), from its points at the neighbouring nodes.
float LineAngleAt(const Path& path, const std::vector<float>& offsets, int i)
{
    const int n = path.nodeCount;
    const bool closed = IsClosedPath(path);
    const int before = closed ? WrapNode(i - 1, n) : std::max(i - 1, 0);
    const int after = closed ? WrapNode(i + 1, n) : std::min(i + 1, n - 1);
    double x0, y0, x1, y1;
    LinePoint(path, offsets, before, x0, y0);
    LinePoint(path, offsets, after, x1, y1);
    const double lx = x1 - x0, ly = y1 - y0;
    const double dx = path.nodes[size_t(i)].direction.x, dy = path.nodes[size_t(i)].direction.y;
    return float(ComputeAtan2(dx * ly - dy * lx, dx * lx + dy * ly));
}

// The keys ending at the given nodes (ascending), each taking the fitted
// line's offset and heading there.
std::vector<RacingLineKey> MakeKeys(const Path& path, const std::vector<float>& offsets, const std::vector<int>& ends)
{
    const bool closed = IsClosedPath(path);
    std::vector<RacingLineKey> keys(ends.size());
    for (size_t k = 0; k < ends.size(); k++) {
        RacingLineKey& key = keys[k];
        key.startNode = k > 0 ? ends[k - 1] : closed ? ends.back() : 0;
        key.endNode = ends[k];
        key.endOffset = offsets[size_t(key.endNode)];
        key.endAngle = LineAngleAt(path, offsets, key.endNode);
    }
    return keys;
}

// The first key ends: every KeyStride nodes, from node 0 round a closed
// path and to the last node of an open one.
std::vector<int> FirstKeyEnds(int nodeCount, bool closed)
{
    std::vector<int> ends;
    for (int i = closed ? 0 : KeyStride; i < nodeCount; i += KeyStride)
        ends.push_back(i);
    if (!closed && (ends.empty() || ends.back() != nodeCount - 1))
        ends.push_back(nodeCount - 1);
    return ends;
}

// Whether the rebuilt line keeps to the fit and inside the key margin on
// every node strictly inside the key's span.
bool KeySpanHolds(const Path& path, const RacingLineKey& key, const std::vector<float>& fitted,
                  const std::vector<float>& rebuilt, float halfWidth)
{
    const int n = path.nodeCount;
    for (int i = WrapNode(key.startNode + 1, n); i != key.endNode; i = WrapNode(i + 1, n)) {
        const PathNode& node = path.nodes[size_t(i)];
        const float r = rebuilt[size_t(i)];
        if (std::fabs(r - fitted[size_t(i)]) > KeyTolerance)
            return false;
        if (r < node.leftEdge + halfWidth + KnowledgeNodeMargin + RebuildSlack ||
            r > node.rightEdge - halfWidth - KnowledgeNodeMargin - RebuildSlack)
            return false;
    }
    return true;
}

} // namespace

void RacingLineBounds(const PathNode& node, float halfWidth, float& low, float& high)
{
    low = node.leftEdge + halfWidth + KnowledgeKeyMargin + FitSlack;
    high = node.rightEdge - halfWidth - KnowledgeKeyMargin - FitSlack;
    if (low > high)
        low = high = (low + high) / 2;
}

std::vector<float> FitRacingLine(const Path& path, float halfWidth)
{
    const int n = path.nodeCount;
    if (n < 3)
        return std::vector<float>(size_t(std::max(n, 0)), 0.0f);
    const bool closed = IsClosedPath(path);
    const std::vector<FitNode> nodes = MakeFitNodes(path, halfWidth);
    std::vector<double> offsets(size_t(n), 0.0);
    for (int i = 0; i < n; i++)
        offsets[size_t(i)] = Clamp(0.0, nodes[size_t(i)].low, nodes[size_t(i)].high);
    int stride = 1;
    while (n / stride > CoarsestLevelNodes)
        stride *= 2;
    std::vector<int> coarser;
    for (; stride >= 1; stride /= 2) {
        const std::vector<int> level = LevelNodes(n, stride, closed);
        if (!coarser.empty())
            SpreadToFinerLevel(nodes, coarser, closed, offsets);
        LevelFit fit(nodes, level, closed, offsets);
        fit.RunPasses(coarser.empty() ? CoarsestLevelPasses : FinerLevelPasses);
        coarser = level;
    }
    return std::vector<float>(offsets.begin(), offsets.end());
}

std::vector<RacingLineKey> ChooseRacingLineKeys(const Path& path, const std::vector<float>& offsets, float halfWidth)
{
    const int n = path.nodeCount;
    const bool centreLine = std::all_of(offsets.begin(), offsets.end(), [](float o) { return std::fabs(o) < 0.001f; });
    if (n < 3 || centreLine)
        return {};
    std::vector<int> ends = FirstKeyEnds(n, IsClosedPath(path));
    std::vector<RacingLineKey> keys = MakeKeys(path, offsets, ends);
    for (int pass = 0; pass < MaxKeyPasses; pass++) {
        const std::vector<float> rebuilt = RebuildRacingLine(path, keys, halfWidth);
        std::vector<int> split;
        for (const RacingLineKey& key : keys) {
            const int span = WrapNode(key.endNode - key.startNode, n);
            if (span >= 2 && !KeySpanHolds(path, key, offsets, rebuilt, halfWidth))
                split.push_back(WrapNode(key.startNode + span / 2, n));
        }
        if (split.empty())
            break;
        ends.insert(ends.end(), split.begin(), split.end());
        std::sort(ends.begin(), ends.end());
        keys = MakeKeys(path, offsets, ends);
    }
    return keys;
}

std::vector<float> RebuildRacingLine(const Path& path, const std::vector<RacingLineKey>& keys, float halfWidth)
{
    AiKnowledge line;
    line.keys.resize(keys.size());
    for (size_t k = 0; k < keys.size(); k++) {
        line.keys[k].startNode = keys[k].startNode;
        line.keys[k].endNode = keys[k].endNode;
        line.keys[k].endAngle = keys[k].endAngle;
        line.keys[k].endOffset = keys[k].endOffset;
    }
    line.keyCount = static_cast<int32_t>(line.keys.size());
    // Only the offsets are read: they are sampled before the line is put
    // on the ground, which fails at the first node too near an edge.
    BuildKnowledge(line, path, halfWidth, PathWorld{});
    std::vector<float> offsets(line.nodes.size());
    for (size_t i = 0; i < line.nodes.size(); i++)
        offsets[i] = line.nodes[i].offset;
    return offsets;
}

double RacingLineBending(const Path& path, const std::vector<float>& offsets)
{
    const int n = path.nodeCount;
    const bool closed = IsClosedPath(path);
    double sum = 0;
    for (int i = closed ? 0 : 1; i < (closed ? n : n - 1); i++) {
        double x0, y0, x1, y1, x2, y2;
        LinePoint(path, offsets, WrapNode(i - 1, n), x0, y0);
        LinePoint(path, offsets, i, x1, y1);
        LinePoint(path, offsets, WrapNode(i + 1, n), x2, y2);
        const double ux = x1 - x0, uy = y1 - y0, vx = x2 - x1, vy = y2 - y1;
        const double turn = ComputeAtan2(ux * vy - uy * vx, ux * vx + uy * vy);
        const double length = (std::sqrt(ux * ux + uy * uy) + std::sqrt(vx * vx + vy * vy)) / 2;
        if (length > 0)
            sum += turn * turn / length;
    }
    return sum;
}
