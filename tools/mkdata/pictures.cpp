// The built-in pictures of "data\pic": the alpha pictures the program
// loads by name at start-up (leaves, race line, tyre, dust, needle centre,
// lights, flag icons and the boxes of the menus), the title picture with
// the program's name in the vector font, and the screens' background
// "bkg_entry.jpg". Raw pictures are square, 3 bytes a pixel of colour with
// an alpha file of 1 byte a pixel beside them; everything is drawn with
// integer arithmetic, so the bytes are the same on every run.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "builder.h"
#include "core/services.h"
#include "graphics/services.h"
#include "platform/files.h"
#include "platform/gfx_texture_file.h"
#include "ui/services.h"

namespace {

// A square picture: colour and alpha, rows from the top.
struct Picture {
    int side = 0;
    std::vector<uint8_t> colour;  // r, g, b
    std::vector<uint8_t> alpha;

    explicit Picture(int s) : side(s), colour(size_t(s) * s * 3, 255), alpha(size_t(s) * s, 0) {}
    void Set(int x, int y, int r, int g, int b, int a)
    {
        uint8_t* c = &colour[(size_t(y) * side + x) * 3];
        c[0] = static_cast<uint8_t>(r), c[1] = static_cast<uint8_t>(g), c[2] = static_cast<uint8_t>(b);
        alpha[size_t(y) * side + x] = static_cast<uint8_t>(a);
    }
};

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// 255 inside radius r of the centre, falling to 0 over the soft width,
// in 1/16ths of a pixel (integer square distances only).
int DiscAlpha(int x, int y, int cx16, int cy16, int r16, int soft16)
{
    const int dx = x * 16 + 8 - cx16, dy = y * 16 + 8 - cy16;
    const int d2 = dx * dx + dy * dy;
    if (d2 <= r16 * r16)
        return 255;
    const int outer = r16 + soft16;
    if (d2 >= outer * outer)
        return 0;
    // Linear in the square distance between the two radii.
    return 255 * (outer * outer - d2) / (outer * outer - r16 * r16);
}

bool WriteRaw(const char* name, const std::vector<uint8_t>& bytes)
{
    char path[96];
    std::snprintf(path, sizeof path, "data\\pic\\%s.raw", name);
    if (!platform::WriteWholeFile(path, bytes.data(), bytes.size()))
        return BuilderFail("Could not write : %s", path);
    return true;
}

// The colour file "<colourName>.raw" and the alpha file "<alphaName>.raw".
bool WritePicture(const Picture& p, const char* colourName, const char* alphaName)
{
    return (colourName == nullptr || WriteRaw(colourName, p.colour)) && (alphaName == nullptr || WriteRaw(alphaName, p.alpha));
}

Picture Leaf(int variant)
{
    Picture p(64);
    const int tips[3][2] = {{32, 6}, {12, 10}, {52, 14}};
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            // A leaf: an ellipse along the line from the stem to its tip.
            const int sx = 32, sy = 60, tx = tips[variant][0], ty = tips[variant][1];
            const int64_t ax = tx - sx, ay = ty - sy, px = x - sx, py = y - sy;
            const int64_t along = px * ax + py * ay, length2 = ax * ax + ay * ay;
            const int64_t across = px * ay - py * ax;
            // Across the stem line at most a third of the way along it.
            const bool inside = along > 0 && along < length2 && 9 * across * across * 4 < along * (length2 - along) * 4;
            p.Set(x, y, 40 + 20 * variant, 110 + (x * 2) % 30, 30, inside ? 255 : 0);
        }
    return p;
}

Picture Radial(int side, int radius16, int soft16)
{
    Picture p(side);
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++)
            p.Set(x, y, 255, 255, 255, DiscAlpha(x, y, side * 8, side * 8, radius16, soft16));
    return p;
}

Picture RaceLine()
{
    Picture p(64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            const int d = x < 32 ? 31 - x : x - 32;  // 0 at the middle
            p.Set(x, y, 255, 255, 255, Clamp255(255 - d * 9));
        }
    return p;
}

Picture Tyre()
{
    Picture p(64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            const bool groove = (y % 16) < 3 || ((x + y) % 21) < 2;
            const int grey = groove ? 18 : 40 + (x * 7 + y * 3) % 8;
            p.Set(x, y, grey, grey, grey, 255);
        }
    return p;
}

Picture Ring()
{
    Picture p(64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            const int outer = DiscAlpha(x, y, 512, 512, 28 * 16, 16);
            const int inner = DiscAlpha(x, y, 512, 512, 20 * 16, 16);
            p.Set(x, y, 255, 255, 255, Clamp255(outer - inner));
        }
    return p;
}

// Flags of 48 by 32 pixels, five to a row: three stripes each, across or
// down, in colours picked by the flag's number.
Picture Flags()
{
    Picture p(256);
    const int colours[8][3] = {{200, 16, 32}, {255, 255, 255}, {0, 56, 168}, {0, 140, 70},
                               {255, 206, 0}, {0, 0, 0},       {255, 120, 0}, {100, 180, 240}};
    for (int flag = 0; flag < 25; flag++) {
        const int left = (flag % 5) * 48, top = (flag / 5) * 32;
        const bool across = flag % 2 == 0;
        for (int y = 1; y < 31; y++)
            for (int x = 1; x < 47; x++) {
                const int stripe = across ? (y - 1) / 10 : (x - 1) / 16;
                const int* c = colours[(flag * 3 + stripe * (flag % 3 + 1)) % 8];
                p.Set(left + x, top + y, c[0], c[1], c[2], 255);
            }
    }
    return p;
}

// A box for the nine-patch drawing: its border (the outer band of the
// texture up to 0.49 of it) opaque with rounded corners, its inside
// half transparent.
Picture Box(int side)
{
    Picture p(side);
    const int corner = side / 4, band = side / 8;
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++) {
            const int ex = x < side / 2 ? x : side - 1 - x, ey = y < side / 2 ? y : side - 1 - y;
            int a = ex < band || ey < band ? 255 : 128;
            if (ex < corner && ey < corner) {
                const int dx = corner - ex, dy = corner - ey;
                if (dx * dx + dy * dy > corner * corner)
                    a = 0;
            }
            p.Set(x, y, 255, 255, 255, a);
        }
    return p;
}

// The title: the program's name in the vector font, white to gold from the
// top down, over a soft shadow, in the top part (0.32) of the picture.
bool BuildTitle()
{
    constexpr int Side = 512;
    constexpr const char* Name = "QUORVAN";
    ResetGraphicsTables();
    BeginOffscreenImage16(Side);
    SetFillWindowRows(0, Side * 32 / 100 - 1);
    const float size = 0.34f, height = 0.34f * 9 / 7;
    float x = -GetColouredTextWidth(Name, size, 0) / 2;
    for (const char* c = Name; *c; c++) {
        const int slot = CharacterMap.codePages[0].chars[*c - 32].glyph;
        RasterStrokeGlyph(CharacterMap.glyphs[slot], x, -0.96f, size, height, 0xFFFF);
        x += (CharacterMap.glyphs[slot].width + 0.65f) * size / 7;
    }
    const uint16_t* ink = OffscreenImagePixels();
    Picture p(Side);
    constexpr int Shadow = 6;
    for (int y = 0; y < Side; y++)
        for (int xp = 0; xp < Side; xp++) {
            const bool on = ink[y * Side + xp] != 0;
            const bool shade = y >= Shadow && xp >= Shadow && ink[(y - Shadow) * Side + xp - Shadow] != 0;
            if (on)
                p.Set(xp, y, 255, Clamp255(255 - y / 2), Clamp255(230 - y * 3 / 2), 255);
            else
                p.Set(xp, y, 0, 0, 0, shade ? 150 : 0);
        }
    EndOffscreenImage16();
    return WritePicture(p, "TITLE", "TITLEDUZEZ");
}

// The screens' background: a dusk sky over a road running to the horizon,
// with kerbs and a centre line.
bool BuildEntryBackground()
{
    constexpr int Width = 1024, Height = 768, Horizon = 330;
    platform::GfxImage image;
    image.width = Width;
    image.height = Height;
    image.rgba.resize(size_t(Width) * Height * 4);
    for (int y = 0; y < Height; y++)
        for (int x = 0; x < Width; x++) {
            int r, g, b;
            if (y < Horizon) {
                r = 20 + y * 60 / Horizon, g = 30 + y * 50 / Horizon, b = 70 + y * 40 / Horizon;
            } else {
                // The road narrows to a point on the horizon at the middle.
                const int depth = y - Horizon, half = depth * 560 / (Height - Horizon);
                const int dx = x - Width / 2, edge = half - (dx < 0 ? -dx : dx);
                if (edge >= 0) {
                    const bool kerb = edge < half / 12 + 2;
                    const bool line = (dx < 0 ? -dx : dx) < half / 60 + 1 && (depth / 12) % 3 != 0;
                    const int grey = 46 + (x * 13 + y * 7) % 6;
                    r = g = b = grey;
                    if (line)
                        r = g = b = 220;
                    if (kerb)
                        r = 200, g = b = ((depth * 64 / (half + 1) + depth) / 10) % 2 ? 200 : 30;
                } else {
                    r = 30 + (x * 3 + y) % 9, g = 58 + (x + y * 5) % 11, b = 30;
                }
            }
            uint8_t* p = &image.rgba[(size_t(y) * Width + x) * 4];
            p[0] = static_cast<uint8_t>(r), p[1] = static_cast<uint8_t>(g), p[2] = static_cast<uint8_t>(b), p[3] = 255;
        }
    std::vector<uint8_t> jpeg;
    constexpr const char* Path = "data\\pic\\bkg_entry.jpg";
    if (!platform::GfxSucceeded(platform::GfxEncodeJpeg(image, 90, jpeg)) ||
        !platform::WriteWholeFile(Path, jpeg.data(), jpeg.size()))
        return BuilderFail("Could not write : %s", Path);
    platform::GfxImage decoded;
    std::string error;
    if (!platform::GfxSucceeded(platform::GfxDecodeJpeg(jpeg.data(), jpeg.size(), decoded, error)) ||
        decoded.width != Width || decoded.height != Height)
        return BuilderFail("Picture does not read back : %s", Path);
    return true;
}

} // namespace

int BuildPictures()
{
    for (int variant = 0; variant < 3; variant++) {
        char colour[16], alpha[16];
        std::snprintf(colour, sizeof colour, "LEAF%d", variant);
        std::snprintf(alpha, sizeof alpha, "LEAF%dATEST", variant);
        if (!WritePicture(Leaf(variant), colour, alpha))
            return 0;
    }
    Picture flags = Flags();
    const bool written = WritePicture(RaceLine(), nullptr, "RACELINEALPHA") && WritePicture(Tyre(), "TYRE", nullptr) &&
                         WritePicture(Ring(), nullptr, "LOGOALPHA") &&
                         WritePicture(Radial(64, 8 * 16, 22 * 16), nullptr, "DUSTALPHA") &&
                         WritePicture(Radial(64, 20 * 16, 16), nullptr, "NDLCTRALPHA") &&
                         WritePicture(Radial(64, 4 * 16, 26 * 16), nullptr, "LIGHTALPHA") &&
                         WritePicture(Radial(64, 26 * 16, 32), nullptr, "STARTALPHA") &&
                         WritePicture(flags, "QVNFLAGS", "QVNFLAGSALPHA") && WritePicture(Box(64), nullptr, "BUTTALPHA") &&
                         WritePicture(Box(32), nullptr, "SMLBALPHA");
    if (!written)
        return 0;
    if (!LoadCharacterMap("data\\abc\\qvn.abc"))
        return BuilderFail("Character map does not load for the title");
    const bool title = BuildTitle();
    FreeCharacterMap();
    return title && BuildEntryBackground() ? 1 : 0;
}
