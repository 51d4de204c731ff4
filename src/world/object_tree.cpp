// Trees: a trunk splitting into a binary tree of branches generated from a
// seed, every branch pointing along a point of one crown shell that all
// trees share, and leaf clusters at the branch ends. Here the record, the
// shell at rest and the tree's measure from its seed.
#include <algorithm>
#include <array>
#include <cmath>

#include "world/local.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int ShellPoints = TreeShellRings * TreeShellColumns;
// A tree's nodes: 2 x leaf count - 1.
constexpr int MaxTreeNodes = 2 * MaxTreeLeaves - 1;
// Spreads that keep every branch choice inside the shell and let the
// sibling rule end.
constexpr int SmallestSpread = 2, LargestSpread = 16;
// A second branch of a pair is chosen again at most this often.
constexpr int SiblingTries = 64;
// Leaves of a partly filled last level are drawn this much smaller.
constexpr double PartLevelLeafScale = 0.7937;

// The crown shell: its points' current unit normals (16.16). At rest they
// are the rest positions. Built once at start-up, the same every run.
struct ShellPoint {
    FixedVector rest, current, normal;
};
std::array<ShellPoint, ShellPoints> Shell{};

const FixedVector& ShellNormal(int ring, int column) { return Shell[size_t(ring * TreeShellColumns + column)].normal; }

int32_t Round16(double v) { return RoundToInt32(v); }

uint16_t Step(uint16_t s) { return static_cast<uint16_t>(s * 5u + 1u); }

// The point `length` m from `from` along the unit direction; the sum wraps
// as every 16.16 sum does (a damaged file's tree may reach past the range).
FixedVector Along(const FixedVector& from, double length, const FixedVector& unit)
{
    return from + MakeFixedVector(Round16(length * unit.x.raw), Round16(length * unit.y.raw),
                                  Round16(length * unit.z.raw));
}

int LevelOf(int node)
{
    int level = 0;
    while ((2 << level) - 1 <= node)
        level++;
    return level;
}

} // namespace

void BuildTreeShell()
{
    for (int r = 0; r < TreeShellRings; r++) {
        double sp, cp;
        ComputeSinCos(r * 12.0 * Pi / 180.0, sp, cp);
        for (int c = 0; c < TreeShellColumns; c++) {
            double st, ct;
            ComputeSinCos(c * 15.0 * Pi / 180.0, st, ct);
            ShellPoint& p = Shell[size_t(r * TreeShellColumns + c)];
            p.rest = MakeFixedVector(Round16(sp * ct * 65536.0), Round16(sp * st * 65536.0), Round16(cp * 65536.0));
            p.current = p.normal = p.rest;
        }
    }
}

TreeObject::TreeObject()
{
    StepProgramRandom();
    seed = GameTime.random & 63;
}

bool TreeObject::Load(RecordReading& in)
{
    DataFile& r = in.reader;
    leafTexture = ReadInt(r);
    leafRing = ReadInt(r);
    trunkHeight = ReadFloat(r);
    trunkRadius = ReadFloat(r);
    branchFactor = ReadFloat(r);
    spread = ReadInt(r);
    seed = ReadInt(r);
    leafCount = ReadInt(r);
    leafWidth = ReadFloat(r);
    leafHeight = ReadFloat(r);
    baseHeight = ReadFloat(r);
    unused = ReadInt(r);
    treeFlags = ReadInt(r);
    trunkColour = ReadColourRecord(r);
    leafColour = ReadColourRecord(r);
    // Values outside what the generation and the drawing tables hold are
    // brought inside.
    leafTexture = std::clamp(leafTexture, 0, 3);
    leafRing = std::clamp(leafRing, 0, TreeShellRings - 1);
    leafCount = std::clamp(leafCount, 1, MaxTreeLeaves);
    spread = std::clamp(spread, SmallestSpread, LargestSpread);
    return true;
}

void TreeObject::Save(DataFile& writer) const
{
    WriteInt(writer, leafTexture);
    WriteInt(writer, leafRing);
    WriteFloat(writer, trunkHeight);
    WriteFloat(writer, trunkRadius);
    WriteFloat(writer, branchFactor);
    WriteInt(writer, spread);
    WriteInt(writer, seed);
    WriteInt(writer, leafCount);
    WriteFloat(writer, leafWidth);
    WriteFloat(writer, leafHeight);
    WriteFloat(writer, baseHeight);
    WriteInt(writer, unused);
    WriteInt(writer, treeFlags);
    WriteColourRecord(writer, trunkColour);
    WriteColourRecord(writer, leafColour);
}

void TreeObject::Init()
{
    SetBoxToPoint(*this);
    levels = 0;
    for (int n = leafCount; n > 1; n /= 2)
        levels++;
    if (contactRadius != 0)
        contactRadius = static_cast<uint8_t>(std::clamp(RoundToInt32(double(trunkRadius) * 100.0), 1, 255));
    GenerateTreeBranches(*this, 0);
    GenerateTreeBranches(*this, 1);
}

void GenerateTreeBranches(TreeObject& tree, int mode)
{
    struct Node {
        FixedVector position;
        int ring = 0, column = 0;
    };
    std::array<Node, MaxTreeNodes> nodes{};
    uint16_t s = static_cast<uint16_t>(tree.seed);
    const FixedVector base = MakeFixedVector(tree.x.raw, tree.y.raw, Round16(double(tree.baseHeight) * 65536.0));
    nodes[0].position = Along(base, tree.trunkHeight, ShellNormal(0, 0));
    const int count = 2 * tree.leafCount - 1;
    const int choices = 2 * tree.spread + 1;
    for (int i = 1; i < count; i++) {
        const int level = LevelOf(i);
        const Node& parent = nodes[size_t((i - 1) / 2)];
        double length = tree.trunkHeight;
        for (int k = 0; k < level; k++)
            length *= tree.branchFactor;
        if (tree.treeFlags & 2) {
            s = Step(s);
            length *= double((s & 7) + 7) / 14.0;
        }
        Node& node = nodes[size_t(i)];
        const bool second = (i % 2) == 0;
        for (int tries = 0; tries < SiblingTries; tries++) {
            s = Step(s);
            int column = s % choices + parent.column - tree.spread;
            s = Step(s);
            int ring = s % choices + parent.ring - tree.spread;
            if (ring < 0 || ring > TreeShellRings - 1) {
                ring = ring < 0 ? -ring : 31 - ring;
                column += 12;
            }
            node.ring = std::clamp(ring, 0, TreeShellRings - 1);
            node.column = ((column % TreeShellColumns) + TreeShellColumns) % TreeShellColumns;
            if (!second)
                break;
            const Node& sibling = nodes[size_t(i - 1)];
            const int dc = std::abs(node.column - sibling.column);
            if (std::abs(node.ring - sibling.ring) > 1 || (dc > 1 && dc != TreeShellColumns - 1))
                break;
        }
        node.position = Along(parent.position, length, ShellNormal(node.ring, node.column));
    }
    // Leaf clusters: the last leaf-count nodes.
    int64_t low[3] = {base.x.raw, base.y.raw, base.z.raw}, high[3] = {base.x.raw, base.y.raw, base.z.raw};
    int32_t largest = 0;
    const int32_t fullWidth = Round16(double(tree.leafWidth) * 65536.0);
    const int32_t fullHalf = Round16(double(tree.leafHeight) * 32768.0);
    for (int i = tree.leafCount - 1; i < count; i++) {
        int32_t width = fullWidth, half = fullHalf;
        if (LevelOf(i) > tree.levels) {
            width = Round16(width * PartLevelLeafScale);
            half = Round16(half * PartLevelLeafScale);
        }
        const int ring = (tree.treeFlags & 1) ? tree.leafRing : nodes[size_t(i)].ring;
        const FixedVector centre = Along(nodes[size_t(i)].position, width / 2 / 65536.0, ShellNormal(ring, nodes[size_t(i)].column));
        const int32_t r = IntLength2(half, width / 2);
        largest = std::max(largest, r);
        for (int a = 0; a < 3; a++) {
            low[a] = std::min<int64_t>(low[a], int64_t(centre[a].raw) - r);
            high[a] = std::max<int64_t>(high[a], int64_t(centre[a].raw) + r);
        }
    }
    if (mode == 0) {
        tree.centre = MakeFixedVector(static_cast<int32_t>((low[0] + high[0]) / 2), static_cast<int32_t>((low[1] + high[1]) / 2),
                                      static_cast<int32_t>((low[2] + high[2]) / 2));
        return;
    }
    const FixedVector toBase = base - tree.centre;
    // A damaged file's tree may reach past the range: its radius stops at
    // the largest there is.
    tree.radius = static_cast<int32_t>(
        std::min<int64_t>(int64_t(IntLength3(toBase.x.raw, toBase.y.raw, toBase.z.raw)) + largest, INT32_MAX));
}
