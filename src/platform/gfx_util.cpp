// Helpers over the graphics device layer: texture creation, BMP
// screenshots, matrices, shader assembly and pixel packing.
#include "platform/gfx_util.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/files.h"

namespace platform {

GfxResult GfxCreateTexture(GfxDevice* device, uint32_t width, uint32_t height, uint32_t levels,
                           uint32_t usage, uint32_t format, uint32_t pool, GfxTexture** texture)
{
    if (!device || !texture)
        return GfxResult::InvalidCall;
    if (width == 0)
        width = 256;
    if (height == 0)
        height = 256;
    if (format == FmtUnknown)
        format = FmtA8R8G8B8;
    GfxCaps caps;
    if (GfxSucceeded(device->GetDeviceCaps(caps))) {
        while (caps.maxTextureWidth && width > caps.maxTextureWidth && width > 1)
            width /= 2;
        while (caps.maxTextureHeight && height > caps.maxTextureHeight && height > 1)
            height /= 2;
    }
    return device->CreateTexture(width, height, levels, usage, format, pool, texture);
}

namespace {
void PutLe16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}
} // namespace

GfxResult GfxSaveSurfaceToBmp(std::string_view gamePath, GfxSurface* surface)
{
    if (!surface)
        return GfxResult::InvalidCall;
    GfxSurfaceDesc desc;
    if (!GfxSucceeded(surface->GetDesc(desc)))
        return GfxResult::InvalidCall;
    int bytesPerPixel = GfxFormatBytesPerPixel(desc.format);
    if (bytesPerPixel == 0 || GfxFormatIsDepth(desc.format) || desc.width == 0 || desc.height == 0)
        return GfxResult::InvalidCall;
    GfxLockedRect locked;
    if (!GfxSucceeded(surface->LockRect(locked, nullptr, LockReadOnly)))
        return GfxResult::InvalidCall;
    uint32_t rowBytes = (desc.width * 3 + 3) & ~3u;
    uint32_t imageBytes = rowBytes * desc.height;
    std::vector<uint8_t> file;
    file.reserve(54 + imageBytes);
    file.push_back('B');
    file.push_back('M');
    PutLe32(file, 54 + imageBytes);
    PutLe32(file, 0);
    PutLe32(file, 54);
    PutLe32(file, 40);
    PutLe32(file, desc.width);
    PutLe32(file, desc.height); // positive: rows bottom first
    PutLe16(file, 1);
    PutLe16(file, 24);
    PutLe32(file, 0); // no compression
    PutLe32(file, imageBytes);
    PutLe32(file, 2835); // 72 dots per inch
    PutLe32(file, 2835);
    PutLe32(file, 0);
    PutLe32(file, 0);
    for (uint32_t row = desc.height; row-- > 0;) {
        const uint8_t* source = static_cast<const uint8_t*>(locked.bits) + static_cast<size_t>(row) * locked.pitch;
        for (uint32_t x = 0; x < desc.width; ++x) {
            uint32_t argb = GfxPixelToArgb(desc.format, source + static_cast<size_t>(x) * bytesPerPixel);
            file.push_back(static_cast<uint8_t>(argb));
            file.push_back(static_cast<uint8_t>(argb >> 8));
            file.push_back(static_cast<uint8_t>(argb >> 16));
        }
        for (uint32_t pad = desc.width * 3; pad < rowBytes; ++pad)
            file.push_back(0);
    }
    surface->UnlockRect();
    return WriteWholeFile(gamePath, file.data(), file.size()) ? GfxResult::Ok : GfxResult::InvalidData;
}

bool GfxMatrixInverse(GfxMatrix& out, float* determinant, const GfxMatrix& matrix)
{
    // Cofactor expansion in double precision.
    double a[16];
    for (int i = 0; i < 16; ++i)
        a[i] = matrix.m[i / 4][i % 4];
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (determinant)
        *determinant = static_cast<float>(det);
    if (det == 0.0 || !std::isfinite(det))
        return false;
    for (int i = 0; i < 16; ++i)
        out.m[i / 4][i % 4] = static_cast<float>(inv[i] / det);
    return true;
}

void GfxMatrixOrthoLH(GfxMatrix& out, float width, float height, float nearZ, float farZ)
{
    out = GfxMatrix{};
    out.m[0][0] = 2.0f / width;
    out.m[1][1] = 2.0f / height;
    out.m[2][2] = 1.0f / (farZ - nearZ);
    out.m[3][2] = nearZ / (nearZ - farZ);
    out.m[3][3] = 1.0f;
}

void GfxMatrixMultiply(GfxMatrix& out, const GfxMatrix& a, const GfxMatrix& b)
{
    GfxMatrix result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = a.m[r][0] * b.m[0][c];
            for (int k = 1; k < 4; ++k)
                sum = sum + a.m[r][k] * b.m[k][c];
            result.m[r][c] = sum;
        }
    out = result;
}

GfxResult GfxAssembleShader(std::string_view text, vs11::Program& program, std::string& errors)
{
    return vs11::Assemble(text, program, errors) ? GfxResult::Ok : GfxResult::InvalidData;
}

namespace {
uint32_t Widen(uint32_t value, int bits)
{
    uint32_t shifted = value << (8 - bits);
    return shifted | (shifted >> bits);
}
} // namespace

uint32_t GfxPixelToArgb(uint32_t format, const uint8_t* pixel)
{
    switch (format) {
    case FmtA8R8G8B8:
    case FmtX8R8G8B8: {
        uint32_t value = pixel[0] | pixel[1] << 8 | pixel[2] << 16 | static_cast<uint32_t>(pixel[3]) << 24;
        return format == FmtX8R8G8B8 ? (value | 0xFF000000u) : value;
    }
    case FmtR8G8B8:
        return 0xFF000000u | pixel[0] | pixel[1] << 8 | pixel[2] << 16;
    case FmtR5G6B5: {
        uint32_t v = pixel[0] | pixel[1] << 8;
        return 0xFF000000u | Widen(v >> 11, 5) << 16 | Widen((v >> 5) & 63, 6) << 8 | Widen(v & 31, 5);
    }
    case FmtX1R5G5B5:
    case FmtA1R5G5B5: {
        uint32_t v = pixel[0] | pixel[1] << 8;
        uint32_t alpha = (format == FmtX1R5G5B5 || (v & 0x8000)) ? 0xFFu : 0u;
        return alpha << 24 | Widen((v >> 10) & 31, 5) << 16 | Widen((v >> 5) & 31, 5) << 8 | Widen(v & 31, 5);
    }
    case FmtA4R4G4B4: {
        uint32_t v = pixel[0] | pixel[1] << 8;
        return Widen(v >> 12, 4) << 24 | Widen((v >> 8) & 15, 4) << 16 | Widen((v >> 4) & 15, 4) << 8 |
               Widen(v & 15, 4);
    }
    case FmtL8:
        return 0xFF000000u | pixel[0] * 0x010101u;
    default:
        return 0;
    }
}

void GfxArgbToPixel(uint32_t format, uint32_t argb, uint8_t* pixel)
{
    uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    auto put16 = [pixel](uint32_t v) {
        pixel[0] = static_cast<uint8_t>(v);
        pixel[1] = static_cast<uint8_t>(v >> 8);
    };
    switch (format) {
    case FmtA8R8G8B8:
    case FmtX8R8G8B8:
        pixel[0] = static_cast<uint8_t>(b);
        pixel[1] = static_cast<uint8_t>(g);
        pixel[2] = static_cast<uint8_t>(r);
        pixel[3] = static_cast<uint8_t>(format == FmtX8R8G8B8 ? 0xFF : a);
        break;
    case FmtR8G8B8:
        pixel[0] = static_cast<uint8_t>(b);
        pixel[1] = static_cast<uint8_t>(g);
        pixel[2] = static_cast<uint8_t>(r);
        break;
    case FmtR5G6B5: put16((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); break;
    case FmtX1R5G5B5: put16(0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); break;
    case FmtA1R5G5B5: put16((a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); break;
    case FmtA4R4G4B4: put16((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4)); break;
    case FmtL8: pixel[0] = static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8); break;
    default: break;
    }
}

} // namespace platform
