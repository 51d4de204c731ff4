// The contact grid: 16 x 16 map squares over the world's grid rectangle,
// each listing the drivable surfaces and the posts (objects with a contact
// radius) that reach into it, and the point query that finds the ground.
#include <algorithm>

#include "world/local.h"

namespace {

constexpr int32_t Metre = 65536;
// The grid reaches this far beyond the current path's road edges.
constexpr double PathMargin = 20.0;
// Squares are never smaller than this.
constexpr int32_t SmallestCell = 10 * Metre;

// The squares a closed interval [low, high] touches along one axis: square
// c spans [origin + c size, origin + (c + 1) size], edges included.
bool SquareSpan(int64_t low, int64_t high, int64_t origin, int64_t size, int& first, int& last)
{
    if (size <= 0)
        return false;
    auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    auto ceilDiv = [](int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); };
    const int64_t f = ceilDiv(low - origin, size) - 1;
    const int64_t l = floorDiv(high - origin, size);
    if (l < 0 || f > GridSide - 1 || f > l)
        return false;
    first = static_cast<int>(std::max<int64_t>(f, 0));
    last = static_cast<int>(std::min<int64_t>(l, GridSide - 1));
    return true;
}

// The box an object occupies in the squares: its bounding box for a
// surface, the square of its contact radius for a post.
struct SquareRange {
    int c0 = 0, c1 = -1, r0 = 0, r1 = -1;
};

SquareRange RangeOf(const World& world, int64_t minX, int64_t maxX, int64_t minY, int64_t maxY)
{
    SquareRange r;
    if (!SquareSpan(minX, maxX, world.gridMinX.raw, world.cellWidth.raw, r.c0, r.c1) ||
        !SquareSpan(minY, maxY, world.gridMinY.raw, world.cellHeight.raw, r.r0, r.r1))
        return SquareRange{};
    return r;
}

SquareRange SurfaceRange(const World& world, const WorldObject& o)
{
    return RangeOf(world, o.boxMinX, o.boxMaxX, o.boxMinY, o.boxMaxY);
}

SquareRange PostRange(const World& world, const WorldObject& o)
{
    const int64_t half = int64_t(o.contactRadius) * ContactRadiusUnit;
    return RangeOf(world, o.x.raw - half, o.x.raw + half, o.y.raw - half, o.y.raw + half);
}

template <typename Visit>
void ForSquares(const SquareRange& r, Visit visit)
{
    for (int row = r.r0; row <= r.r1; row++)
        for (int column = r.c0; column <= r.c1; column++)
            visit(row * GridSide + column);
}

} // namespace

uint32_t CurrentConfigBit(const World& world)
{
    const int bit = world.configuration + (world.reversed ? 16 : 0);
    return bit >= 0 && bit < 32 ? 1u << bit : 0;
}

void SetGridRectangle(World& world, int32_t surfaceMinX, int32_t surfaceMaxX, int32_t surfaceMinY, int32_t surfaceMaxY)
{
    int64_t minX = surfaceMinX, maxX = surfaceMaxX, minY = surfaceMinY, maxY = surfaceMaxY;
    const Path* path = world.configuration > 0 ? world.currentPath : nullptr;
    if (path && path->nodeCount > 0) {
        int64_t pMinX = INT64_MAX, pMaxX = INT64_MIN, pMinY = INT64_MAX, pMaxY = INT64_MIN;
        for (const PathNode& node : path->nodes) {
            for (double offset : {double(node.leftEdge) - PathMargin, double(node.rightEdge) + PathMargin}) {
                const int64_t px = int64_t(node.centre.x.raw) + RoundToInt32(offset * node.direction.y * 65536.0);
                const int64_t py = int64_t(node.centre.y.raw) - RoundToInt32(offset * node.direction.x * 65536.0);
                pMinX = std::min(pMinX, px);
                pMaxX = std::max(pMaxX, px);
                pMinY = std::min(pMinY, py);
                pMaxY = std::max(pMaxY, py);
            }
        }
        minX = std::max(minX, pMinX);
        minY = std::max(minY, pMinY);
        maxX = std::min(maxX, pMaxX);
        maxY = std::min(maxY, pMaxY);
    }
    auto clamp32 = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
    world.gridMinX = Fixed(clamp32(minX));
    world.gridMinY = Fixed(clamp32(minY));
    // A damaged file's objects may lie far past the range: a cell is at
    // most a grid's share of it, so the grid's far edge stays in range.
    auto cell = [](int64_t span) {
        return Fixed(static_cast<int32_t>(std::clamp<int64_t>(span / GridSide, SmallestCell, INT32_MAX / GridSide)));
    };
    world.cellWidth = cell(maxX - minX);
    world.cellHeight = cell(maxY - minY);
    world.gridMaxX = Fixed(clamp32(int64_t(world.gridMinX.raw) + int64_t(GridSide) * world.cellWidth.raw));
    world.gridMaxY = Fixed(clamp32(int64_t(world.gridMinY.raw) + int64_t(GridSide) * world.cellHeight.raw));
}

void BuildMapSquares(World& world)
{
    world.squareEntries.clear();
    world.squares = {};
    const uint32_t bit = CurrentConfigBit(world);
    // Counting pass: how many of each list every square gets.
    std::array<int32_t, GridSquareCount> surfaces{}, posts{};
    for (const WorldObject* o : world.objects) {
        if (!ObjectInConfig(*o, bit))
            continue;
        if (o->IsSurface())
            ForSquares(SurfaceRange(world, *o), [&](int s) { surfaces[size_t(s)]++; });
        if (o->contactRadius != 0)
            ForSquares(PostRange(world, *o), [&](int s) { posts[size_t(s)]++; });
    }
    int64_t total = 0;
    for (int s = 0; s < GridSquareCount; s++) {
        world.squares[size_t(s)].surfaceFirst = static_cast<int32_t>(total);
        total += surfaces[size_t(s)];
    }
    for (int s = 0; s < GridSquareCount; s++) {
        world.squares[size_t(s)].radiusFirst = static_cast<int32_t>(total);
        total += posts[size_t(s)];
    }
    if (total == 0)
        return;
    // Filling pass, in object table order.
    world.squareEntries.assign(size_t(total), nullptr);
    for (WorldObject* o : world.objects) {
        if (!ObjectInConfig(*o, bit))
            continue;
        if (o->IsSurface())
            ForSquares(SurfaceRange(world, *o), [&](int s) {
                MapSquare& q = world.squares[size_t(s)];
                world.squareEntries[size_t(q.surfaceFirst + q.surfaceCount++)] = o;
            });
        if (o->contactRadius != 0)
            ForSquares(PostRange(world, *o), [&](int s) {
                MapSquare& q = world.squares[size_t(s)];
                world.squareEntries[size_t(q.radiusFirst + q.radiusCount++)] = o;
            });
    }
}

bool GetCellRange(const World& world, CellRange& range, Fixed x, Fixed y, int32_t radius)
{
    const int64_t w = world.cellWidth.raw, h = world.cellHeight.raw;
    if (w <= 0 || h <= 0)
        return false;
    // Divisions truncate toward zero.
    const int64_t c0 = (int64_t(x.raw) - radius - world.gridMinX.raw) / w;
    const int64_t c1 = (int64_t(x.raw) + radius - world.gridMinX.raw) / w;
    const int64_t r0 = (int64_t(y.raw) - radius - world.gridMinY.raw) / h;
    const int64_t r1 = (int64_t(y.raw) + radius - world.gridMinY.raw) / h;
    if (c0 > GridSide - 1 || c1 < 0 || r0 > GridSide - 1 || r1 < 0)
        return false;
    range.firstColumn = static_cast<int>(std::clamp<int64_t>(c0, 0, GridSide - 1));
    range.lastColumn = static_cast<int>(std::clamp<int64_t>(c1, 0, GridSide - 1));
    range.firstRow = static_cast<int>(std::clamp<int64_t>(r0, 0, GridSide - 1));
    range.lastRow = static_cast<int>(std::clamp<int64_t>(r1, 0, GridSide - 1));
    return true;
}

int WorldPointQuery(const World& world, const FixedVector& position, const FixedVector& direction,
                    ContactQueryRecord& result)
{
    if (position.x < world.gridMinX || position.x >= world.gridMaxX || position.y < world.gridMinY ||
        position.y >= world.gridMaxY || world.squareEntries.empty())
        return 0;
    const int column = static_cast<int>((int64_t(position.x.raw) - world.gridMinX.raw) / world.cellWidth.raw);
    const int row = static_cast<int>((int64_t(position.y.raw) - world.gridMinY.raw) / world.cellHeight.raw);
    const MapSquare& square = world.squares[size_t(row * GridSide + column)];
    int hit = 0;
    for (int i = 0; i < square.surfaceCount; i++) {
        WorldObject* o = world.squareEntries[size_t(square.surfaceFirst + i)];
        if (o->boxMinX < position.x.raw && position.x.raw < o->boxMaxX && o->boxMinY < position.y.raw &&
            position.y.raw < o->boxMaxY)
            hit |= o->ContactQuery(position, direction, result, nullptr);
    }
    return hit;
}

int WorldPointQuery(const FixedVector& position, const FixedVector& direction, ContactQueryRecord& result)
{
    return CurrentWorld ? WorldPointQuery(*CurrentWorld, position, direction, result) : 0;
}
