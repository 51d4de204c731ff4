// Helpers over the graphics device layer that the drawing code uses beside
// the device itself: texture creation with sizes and formats chosen for
// the device, BMP screenshots of a surface, matrix inverse and orthographic
// projection, vs.1.1 assembly, and pixel packing of the 16- and 32-bit
// formats.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gfx.h"
#include "platform/vs11.h"

namespace platform {

// Creates a texture as the drawing code asks for one: width or height 0
// become 256; levels 0 asks for the whole chain; FmtUnknown chooses
// A8R8G8B8; sizes above the device's maximum are halved until they fit
// (and the chain follows). Returns the device's result.
GfxResult GfxCreateTexture(GfxDevice* device, uint32_t width, uint32_t height, uint32_t levels,
                           uint32_t usage, uint32_t format, uint32_t pool, GfxTexture** texture);

// Saves a colour surface (back buffer, render target, texture level) as a
// 24-bit uncompressed BMP, rows bottom first as BMP stores them, through
// an atomic save. Returns InvalidCall for a surface that cannot be read
// and InvalidData when the file cannot be written.
GfxResult GfxSaveSurfaceToBmp(std::string_view gamePath, GfxSurface* surface);

// Inverts m into out; returns false (and leaves out untouched) when m is
// singular. determinant, when not null, receives m's determinant.
bool GfxMatrixInverse(GfxMatrix& out, float* determinant, const GfxMatrix& m);

// Left-handed orthographic projection of a width x height view from near
// z to far z (x, y to -1..1, z to 0..1).
void GfxMatrixOrthoLH(GfxMatrix& out, float width, float height, float nearZ, float farZ);

// out = a x b.
void GfxMatrixMultiply(GfxMatrix& out, const GfxMatrix& a, const GfxMatrix& b);

// Assembles vs.1.1 text (see vs11.h). InvalidData with the first fault in
// errors when the text is not valid.
GfxResult GfxAssembleShader(std::string_view text, vs11::Program& program, std::string& errors);

// One pixel of a 16- or 32-bit colour format as 0xAARRGGBB (formats
// without alpha give alpha 255; 5- and 6-bit channels widen by repeating
// their top bits) and back (channels narrow by dropping low bits). L8 reads
// as grey. Compressed and unknown formats give 0 and write nothing.
uint32_t GfxPixelToArgb(uint32_t format, const uint8_t* pixel);
void GfxArgbToPixel(uint32_t format, uint32_t argb, uint8_t* pixel);

} // namespace platform
