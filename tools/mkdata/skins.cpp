// The default skins "data\skins\<code>_DEFAULT.jpg" of the 20 cars and the
// helmet: liveries drawn from code (a base colour, stripes, a number disc)
// and written as baseline JPEG through the platform's JPEG writer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "builder.h"
#include "core/services.h"
#include "platform/files.h"
#include "platform/gfx_texture_file.h"

namespace {

constexpr int SkinSize = 256;
constexpr int SkinQuality = 90;

struct Rgb {
    uint8_t r, g, b;
};

// An RGB picture, rows top to bottom.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;

    Picture(int w, int h) : width(w), height(h), pixels(size_t(w) * h * 3) {}
    void Set(int x, int y, Rgb c)
    {
        uint8_t* p = &pixels[(size_t(y) * width + x) * 3];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    void Fill(int x0, int y0, int x1, int y1, Rgb c)
    {
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                Set(x, y, c);
    }
};

// A livery: picked from a small palette by the car's index, so every car
// looks its own and every run draws the same picture.
const Rgb Palette[] = {
    {196, 28, 36},  {24, 64, 168},  {240, 196, 16}, {236, 236, 236}, {24, 120, 56},
    {232, 104, 24}, {20, 20, 24},   {120, 24, 120}, {16, 160, 176},  {168, 168, 176},
};
constexpr int PaletteSize = sizeof Palette / sizeof Palette[0];

void DrawLivery(Picture& picture, int index, bool helmet)
{
    const Rgb base = Palette[index % PaletteSize];
    const Rgb stripe = Palette[(index * 3 + 4) % PaletteSize];
    const Rgb accent = Palette[(index * 7 + 3) % PaletteSize];
    picture.Fill(0, 0, picture.width, picture.height, base);
    const int w = picture.width, h = picture.height;
    if (helmet) {
        // Stripes over the crown and a band round the visor.
        for (int x = w / 2 - 20; x < w / 2 + 20; x++)
            for (int y = 0; y < h; y++)
                picture.Set(x, y, (x / 8) % 2 ? stripe : accent);
        picture.Fill(0, h * 5 / 8, w, h * 5 / 8 + 12, stripe);
        return;
    }
    // The top half is the side view, the bottom half the top view (as the
    // body models map them): a stripe along the side, twin stripes over the
    // top, a white disc for the race number on each.
    picture.Fill(0, h / 4 - 10, w, h / 4 + 10, stripe);
    picture.Fill(0, h / 4 + 10, w, h / 4 + 14, accent);
    picture.Fill(w / 2 - 30, h / 2, w / 2 - 14, h, stripe);
    picture.Fill(w / 2 + 14, h / 2, w / 2 + 30, h, stripe);
    const Rgb white = {250, 250, 250};
    for (int y = 0; y < h / 2; y++) {
        for (int x = 0; x < w; x++) {
            int dx = x - w / 2, dy = y - h / 4;
            if (dx * dx + dy * dy <= 22 * 22)
                picture.Set(x, y, white);
        }
    }
    for (int y = h / 2; y < h; y++) {
        for (int x = 0; x < w; x++) {
            int dx = x - w / 2, dy = y - h * 3 / 4;
            if (dx * dx + dy * dy <= 18 * 18)
                picture.Set(x, y, white);
        }
    }
}

// The picture as the platform's image: four bytes a pixel, opaque.
platform::GfxImage ToImage(const Picture& picture)
{
    platform::GfxImage image;
    image.width = static_cast<uint32_t>(picture.width);
    image.height = static_cast<uint32_t>(picture.height);
    image.rgba.reserve(picture.pixels.size() / 3 * 4);
    for (size_t i = 0; i < picture.pixels.size(); i += 3) {
        image.rgba.insert(image.rgba.end(), &picture.pixels[i], &picture.pixels[i] + 3);
        image.rgba.push_back(255);
    }
    return image;
}

// Decodes a JPEG file to check it: the size must be the skin's. Returns 1
// when it decodes.
int CheckJpeg(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes) || bytes.empty())
        return 0;
    platform::GfxImage image;
    std::string error;
    if (!platform::GfxSucceeded(platform::GfxDecodeJpeg(bytes.data(), bytes.size(), image, error)))
        return 0;
    return image.width == SkinSize && image.height == SkinSize ? 1 : 0;
}

int WriteSkin(const char* code, int index, bool helmet)
{
    Picture picture(SkinSize, SkinSize);
    DrawLivery(picture, index, helmet);
    // The platform's JPEG writer uses the accurate integer transform, so
    // the bytes are the same on every run.
    std::vector<uint8_t> jpeg;
    if (!platform::GfxSucceeded(platform::GfxEncodeJpeg(ToImage(picture), SkinQuality, jpeg)))
        return BuilderFail("Could not encode skin : %s", code);
    std::string path = std::string("data\\skins\\") + code + "_DEFAULT.jpg";
    platform::AtomicFile file;
    if (!file.Open(path))
        return BuilderFail("Could not create file : %s", path.c_str());
    file.Write(jpeg.data(), jpeg.size());
    if (!file.Commit())
        return BuilderFail("Could not create file : %s", path.c_str());
    if (!CheckJpeg(path))
        return BuilderFail("Skin does not decode : %s", path.c_str());
    return 1;
}

} // namespace

int BuildSkins()
{
    if (!WriteSkin("HEL", CarCount, true))
        return 0;
    for (int i = 0; i < CarCount; i++) {
        if (!WriteSkin(CarNameTable[i].code, i, false))
            return 0;
    }
    return 1;
}
