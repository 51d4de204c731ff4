// The default skins "data\skins\<code>_DEFAULT.jpg" of the 20 cars and the
// helmet: liveries drawn from code (a base colour, stripes, a number disc)
// and written as baseline JPEG through libjpeg.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "builder.h"
#include "core/services.h"
#include "platform/files.h"

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

// libjpeg never returns from an error: on pictures made here in memory the
// only cause is a failed allocation, which ends the builder.
[[noreturn]] void JpegErrorExit(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    std::fprintf(stderr, "mkdata : JPEG : %s\n", text);
    std::exit(1);
}

// Encodes the picture as a baseline JPEG into memory. libjpeg's output
// depends only on the pixels and the settings (integer DCT), so the bytes
// are the same on every run. Returns 1 on success.
int EncodeJpeg(const Picture& picture, std::vector<uint8_t>& out)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    error.error_exit = JpegErrorExit;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.dct_method = JDCT_ISLOW;
    jpeg_set_quality(&info, SkinQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&picture.pixels[size_t(info.next_scanline) * picture.width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    out.assign(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return 1;
}

// Decodes a JPEG file to check it: the size must be the skin's. Returns 1
// when it decodes.
int CheckJpeg(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes) || bytes.empty())
        return 0;
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    error.error_exit = JpegErrorExit;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    std::vector<uint8_t> row(size_t(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW p = row.data();
        jpeg_read_scanlines(&info, &p, 1);
    }
    bool right = info.output_width == SkinSize && info.output_height == SkinSize;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return right ? 1 : 0;
}

int WriteSkin(const char* code, int index, bool helmet)
{
    Picture picture(SkinSize, SkinSize);
    DrawLivery(picture, index, helmet);
    std::vector<uint8_t> jpeg;
    if (!EncodeJpeg(picture, jpeg))
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
