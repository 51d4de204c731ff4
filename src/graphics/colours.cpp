// Colour records, their packings, the standard colours and the vertex
// lighting of the current camera in 16.16 arithmetic.
#include <algorithm>

#include "graphics/local.h"

ColourRecord MutableStandardColours[StandardColourCount];
const ColourRecord (&StandardColours)[StandardColourCount] = MutableStandardColours;
int ColourShift = 0;

void InitStandardColours()
{
    static constexpr uint8_t Values[StandardColourCount][3] = {
        {0, 0, 0},       {255, 0, 0},     {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
        {0, 255, 255},   {255, 255, 255}, {148, 148, 148}, {250, 140, 120}, {160, 255, 160}, {255, 255, 160},
        {160, 160, 255}, {250, 160, 250}, {160, 250, 250}, {255, 160, 60},  {255, 210, 160}, {255, 200, 80},
        {200, 200, 200}, {32, 32, 32},    {230, 110, 90},  {100, 220, 60},  {120, 150, 220},
    };
    for (int i = 0; i < StandardColourCount; ++i)
        SetColourRecord(MutableStandardColours[i], Values[i][0], Values[i][1], Values[i][2]);
}

uint32_t MakeColour(const ColourRecord& c) { return MakeColour(c.r, c.g, c.b); }

ColourRecord& SetColourRecord(ColourRecord& record, int r, int g, int b)
{
    record.r = static_cast<uint8_t>(r);
    record.g = static_cast<uint8_t>(g);
    record.b = static_cast<uint8_t>(b);
    record.flags = 0;
    return record;
}

uint32_t PackColour565(const ColourRecord& c) { return uint32_t(c.r >> 3) << 11 | uint32_t(c.g & 0xFC) << 3 | c.b >> 3; }
uint32_t PackColour555(const ColourRecord& c) { return uint32_t(c.r >> 3) << 10 | uint32_t(c.g & 0xF8) << 2 | c.b >> 3; }
uint32_t PackColourX888(const ColourRecord& c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }

ColourRecord UnpackColour565(uint32_t t)
{
    ColourRecord c;
    return SetColourRecord(c, (t >> 8) & 0xF8, (t >> 3) & 0xF8, (t & 31) << 3);
}

ColourRecord UnpackColour555(uint32_t t)
{
    ColourRecord c;
    return SetColourRecord(c, (t >> 7) & 0xF8, (t >> 2) & 0xF8, (t & 31) << 3);
}

void ReadColour(ColourRecord& record, DataFile& reader)
{
    uint8_t bytes[4];
    ReadBlock(reader, bytes, 4);
    record = {bytes[0], bytes[1], bytes[2], bytes[3]};
}

void WriteColour(const ColourRecord& record, DataFile& writer)
{
    const uint8_t bytes[4] = {record.r, record.g, record.b, record.flags};
    WriteBlock(writer, bytes, 4);
}

// ---------------------------------------------------------------------------
// Vertex lighting.

namespace {

constexpr int64_t One = 65536;
constexpr int64_t Half = 32768;

int64_t Dot(const FixedVector& a, const FixedVector& b) { return FixedDot3(a.x, a.y, a.z, b.x, b.y, b.z).raw; }

uint8_t Channel(int64_t value) { return static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255)); }

// Packs lit channels; with the modulate-2x mode each is halved.
uint32_t PackLit(int64_t r, int64_t g, int64_t b)
{
    if (ColourShift)
        return MakeColour(Channel(r) >> 1, Channel(g) >> 1, Channel(b) >> 1);
    return MakeColour(Channel(r), Channel(g), Channel(b));
}

// The hemisphere base of each channel for the up share h (16.16, 0 facing
// down, 1.0 up).
void HemisphereBase(int64_t h, int64_t base[3])
{
    for (int c = 0; c < 3; ++c)
        base[c] = LightFactors.ambient[c] + ((int64_t(LightFactors.skyDiff[c]) * h) >> 16);
}

// Ambient and sun on a colour: d is the normal's share of the light
// (16.16).
uint32_t LitColour(int64_t h, int64_t d, const ColourRecord& c)
{
    if (c.flags & ColourUnlit)
        return MakeColour(c);
    int64_t base[3];
    HemisphereBase(h, base);
    const int64_t colour[3] = {c.r, c.g, c.b};
    int64_t out[3];
    if (d < 1) {
        for (int k = 0; k < 3; ++k)
            out[k] = (base[k] * colour[k]) >> 8;
    } else {
        for (int k = 0; k < 3; ++k) {
            const int64_t sun = (d * (int64_t(CurrentCamera->lightLevels[k]) * colour[k])) >> 16;
            out[k] = (base[k] * colour[k] + sun) >> 8;
        }
    }
    return PackLit(out[0], out[1], out[2]);
}

} // namespace

uint32_t LightVertexColour(const FixedVector& n, const ColourRecord& c)
{
    const int64_t h = (Dot(n, CurrentCamera->upCamera) + One) / 2;
    return LitColour(h, Dot(n, CurrentCamera->lightCamera), c);
}

uint32_t LightVertexColourBack(const FixedVector& n, const ColourRecord& c) { return LightVertexColour(-n, c); }

uint32_t LightModelVertex(const FixedVector& n, const ColourRecord& c, int shift)
{
    if (c.flags & ColourUnlit)
        return MakeColour(c);
    int64_t base[3];
    HemisphereBase((Dot(n, CurrentCamera->upCamera) + One) / 2, base);
    const int64_t d = std::max<int64_t>(Dot(n, CurrentCamera->lightCamera), 0);
    const int64_t colour[3] = {c.r, c.g, c.b};
    const int down = shift + 8 + (ColourShift ? 1 : 0);
    int64_t out[3];
    for (int k = 0; k < 3; ++k) {
        const int64_t level = base[k] + ((d * CurrentCamera->lightLevels[k]) >> 16);
        out[k] = std::min<int64_t>((level * colour[k]) >> down, 255);
    }
    return MakeColour(Channel(out[0]), Channel(out[1]), Channel(out[2]));
}

uint32_t LightShine(const FixedVector& n)
{
    int64_t sum[3] = {};
    const int64_t e = Dot(n, CurrentCamera->highlight[0]);
    if (e > Half) {
        const int64_t e2 = (e * e) >> 16, e4 = (e2 * e2) >> 16;
        for (int k = 0; k < 3; ++k)
            sum[k] += (e4 * 64 * CurrentCamera->lightLevels[k]) >> 16;
    }
    const int64_t f = Dot(n, CurrentCamera->highlight[1]);
    if (f > Half) {
        const int64_t f2 = (f * f) >> 16, f4 = (f2 * f2) >> 16;
        for (int k = 0; k < 3; ++k)
            sum[k] += (f4 * 128 * CurrentCamera->skyLevels[k]) >> 16;
    }
    const int down = 8 + (ColourShift ? 1 : 0);
    return MakeColour(Channel(sum[0] >> down), Channel(sum[1] >> down), Channel(sum[2] >> down));
}

uint32_t LightWorldVertex(const FixedVector& n, const ColourRecord& c)
{
    const int64_t h = n.z.raw <= -One ? 0 : (int64_t(n.z.raw) + One) / 2;
    return LitColour(h, Dot(n, CurrentCamera->lightWorld), c);
}
