// The software drawing target and its span filler: spans, rectangles and
// triangles filled into a 16-bit image in memory, two texels to a 32-bit
// store, with every write held inside the image.
#include <cstdlib>
#include <cstring>

#include "graphics/local.h"

SoftwareTargetRecord SoftwareTarget;

namespace {

// The target saved by BeginOffscreenImage16, and whether one is saved.
// Live while an offscreen image is the target.
SoftwareTargetRecord SavedTarget;
bool OffscreenOpen = false;

bool CanFill() { return SoftwareTarget.pixels != nullptr && SoftwareTarget.depth == 16; }

// Fills columns left .. right - 1 of one row, already held to the image.
void FillRowSpan(uint16_t* row, int left, int right)
{
    if (left >= right)
        return;
    uint16_t* p = row + left;
    uint16_t* end = row + right;
    if (reinterpret_cast<uintptr_t>(p) & 2)
        *p++ = SoftwareTarget.fillColour;
    const uint32_t pair = SoftwareTarget.fillPair;
    for (; end - p >= 2; p += 2)
        std::memcpy(p, &pair, sizeof pair);
    if (p < end)
        *p = SoftwareTarget.fillColour;
}

// The rows fills may touch: the window rows within the image.
int FirstFillRow() { return SoftwareTarget.windowTop > 0 ? SoftwareTarget.windowTop : 0; }
int LastFillRow()
{
    int last = SoftwareTarget.height - 1;
    return SoftwareTarget.windowBottom < last ? SoftwareTarget.windowBottom : last;
}

void FillClippedSpan(int row, int left, int right)
{
    if (row < FirstFillRow() || row > LastFillRow())
        return;
    if (left < 0)
        left = 0;
    if (right > SoftwareTarget.width)
        right = SoftwareTarget.width;
    uint16_t* pixels = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(SoftwareTarget.pixels) +
                                                   size_t(row) * size_t(SoftwareTarget.pitch));
    FillRowSpan(pixels, left, right);
}

int64_t FloorDiv(__int128 n, int64_t d)
{
    __int128 q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0)))
        --q;
    return static_cast<int64_t>(q);
}

// One edge walked down the rows: the first pixel column whose centre lies
// at or right of the edge, as a quotient and a remainder that each row
// steps. Corners in quarter pixels; the edge runs downwards (dy > 0).
struct EdgeWalk {
    int64_t column = 0;       // floor of (x - 2) / 4 at the current row's centre
    int64_t remainder = 0;    // 0 <= remainder < divisor
    int64_t divisor = 1;      // 4 dy
    int64_t columnStep = 0;   // per row: 4 dx = columnStep × divisor + remainderStep
    int64_t remainderStep = 0;

    // At the centre of row `row` (quarter y = 4 row + 2).
    void Start(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t row)
    {
        const int64_t dx = x1 - x0, dy = y1 - y0;
        divisor = 4 * dy;
        const __int128 numerator = __int128(x0 - 2) * dy + __int128(4 * row + 2 - y0) * dx;
        column = FloorDiv(numerator, divisor);
        remainder = static_cast<int64_t>(numerator - __int128(column) * divisor);
        columnStep = FloorDiv(__int128(4) * dx, divisor);
        remainderStep = 4 * dx - columnStep * divisor;
    }
    void Step()
    {
        column += columnStep;
        remainder += remainderStep;
        if (remainder >= divisor) {
            remainder -= divisor;
            ++column;
        }
    }
    // The first column whose centre is not left of the edge.
    int64_t FirstColumn() const { return column + (remainder > 0 ? 1 : 0); }
};

// Smallest row whose centre (4 row + 2) is at or below quarter y.
int64_t FirstRowAtOrBelow(int64_t y) { return FloorDiv(__int128(y - 2) + 3, 4); }

int ClampColumn(int64_t column)
{
    if (column < -1)
        return -1;
    if (column > SoftwareTarget.width + 1)
        return SoftwareTarget.width + 1;
    return static_cast<int>(column);
}

} // namespace

void SetSoftwareTarget(int height, void* image)
{
    if (OffscreenOpen)
        return;  // the offscreen image stays the target until it ends
    SoftwareTarget = SoftwareTargetRecord{};
    SoftwareTarget.height = height > 0 ? height : 0;
    if (image != nullptr) {
        SoftwareTarget.pixels = static_cast<uint16_t*>(image);
        SoftwareTarget.width = SoftwareTarget.height;
        SoftwareTarget.pitch = 2 * SoftwareTarget.width;
        SoftwareTarget.depth = 16;
        SoftwareTarget.packer = PackColour565;
    } else {
        SoftwareTarget.depth = 32;
        SoftwareTarget.packer = PackColourX888;
    }
    SoftwareTarget.windowBottom = SoftwareTarget.height - 1;
}

void BeginOffscreenImage16(int size)
{
    if (OffscreenOpen) {
        LogPrintf("BeginOffscreenImage16 : an offscreen image is open already (%d)", SoftwareTarget.width);
        return;
    }
    if (size <= 0 || size > 4096) {
        LogPrintf("BeginOffscreenImage16 : size refused (%d)", size);
        return;
    }
    SavedTarget = SoftwareTarget;
    OffscreenOpen = true;
    SoftwareTarget = SoftwareTargetRecord{};
    SoftwareTarget.pixels = static_cast<uint16_t*>(std::calloc(size_t(size) * size_t(size), sizeof(uint16_t)));
    SoftwareTarget.width = SoftwareTarget.height = size;
    SoftwareTarget.pitch = 2 * size;
    SoftwareTarget.depth = 16;
    SoftwareTarget.packer = PackColour565;
    SoftwareTarget.windowTop = 0;
    SoftwareTarget.windowBottom = size - 1;
    SoftwareTarget.ownsImage = true;
}

void EndOffscreenImage16()
{
    if (!OffscreenOpen)
        return;
    if (SoftwareTarget.ownsImage)
        std::free(SoftwareTarget.pixels);
    SoftwareTarget = SavedTarget;
    SavedTarget = SoftwareTargetRecord{};
    OffscreenOpen = false;
}

int OffscreenImageSize() { return OffscreenOpen ? SoftwareTarget.width : 0; }

const uint16_t* OffscreenImagePixels() { return OffscreenOpen ? SoftwareTarget.pixels : nullptr; }

void ClearImage16(uint16_t colour)
{
    if (!CanFill())
        return;
    const int top = SoftwareTarget.windowTop, bottom = SoftwareTarget.windowBottom;
    SoftwareTarget.windowTop = 0;
    SoftwareTarget.windowBottom = SoftwareTarget.height - 1;
    FillRect16(0, 0, SoftwareTarget.width, SoftwareTarget.height, colour);
    SoftwareTarget.windowTop = top;
    SoftwareTarget.windowBottom = bottom;
}

void SetFillWindowRows(int top, int bottom)
{
    SoftwareTarget.windowTop = top;
    SoftwareTarget.windowBottom = bottom;
}

void SetFillColour16(uint16_t colour)
{
    SoftwareTarget.fillColour = colour;
    SoftwareTarget.fillPair = uint32_t(colour) * 65537u;
}

void SetFillRow(int row) { SoftwareTarget.row = row; }

void FillSpan16(int left, int right)
{
    if (CanFill())
        FillClippedSpan(SoftwareTarget.row, left, right);
}

void FillRect16(int left, int top, int right, int bottom, uint16_t colour)
{
    if (!CanFill())
        return;
    SetFillColour16(colour);
    for (int row = top; row < bottom; ++row)
        FillClippedSpan(row, left, right);
}

void FillTriangle16(const int x[3], const int y[3], uint16_t colour)
{
    if (!CanFill())
        return;
    // Corners from the top down.
    int order[3] = {0, 1, 2};
    if (y[order[1]] < y[order[0]])
        std::swap(order[0], order[1]);
    if (y[order[2]] < y[order[1]])
        std::swap(order[1], order[2]);
    if (y[order[1]] < y[order[0]])
        std::swap(order[0], order[1]);
    const int64_t xt = x[order[0]], yt = y[order[0]];
    const int64_t xm = x[order[1]], ym = y[order[1]];
    const int64_t xb = x[order[2]], yb = y[order[2]];

    // Rows whose centres lie in [top, bottom), cut at the window.
    int64_t first = FirstRowAtOrBelow(yt), last = FirstRowAtOrBelow(yb) - 1;
    if (first < FirstFillRow())
        first = FirstFillRow();
    if (last > LastFillRow())
        last = LastFillRow();
    if (first > last)
        return;
    SetFillColour16(colour);

    EdgeWalk longEdge, shortEdge;
    longEdge.Start(xt, yt, xb, yb, first);
    const int64_t firstLower = FirstRowAtOrBelow(ym);  // the first row of the lower short edge
    bool upper = first < firstLower;
    if (upper)
        shortEdge.Start(xt, yt, xm, ym, first);
    else
        shortEdge.Start(xm, ym, xb, yb, first);
    for (int64_t row = first; row <= last; ++row) {
        if (upper && row >= firstLower) {
            upper = false;
            shortEdge.Start(xm, ym, xb, yb, row);
        }
        int a = ClampColumn(longEdge.FirstColumn()), b = ClampColumn(shortEdge.FirstColumn());
        FillClippedSpan(static_cast<int>(row), a < b ? a : b, a < b ? b : a);
        longEdge.Step();
        shortEdge.Step();
    }
}
