// Texture files for the graphics device layer: JPEG pictures (decoded by
// libjpeg-turbo), DDS files (read and written here; DXT blocks encoded by
// libsquish), images converted into every texture format the device
// takes, and textures made from files or saved to DDS files.
//
// Every reader checks a file against its header and its size before it
// reads a pixel: a truncated file, a size or level count the bytes do not
// hold, or a header that lies is refused with InvalidData and a short
// description, never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx.h"

namespace platform {

// An image in memory: width x height pixels of four bytes red, green, blue,
// alpha, rows top first.
struct GfxImage {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

// The largest side an image file may have. Larger ones are refused before
// any pixel memory is taken.
constexpr uint32_t GfxMaxImageSide = 8192;

// Halves an image in both directions (a side of 1 stays 1): each pixel is
// the plain mean of its 2 x 2 block, every channel alike, rounded down.
void GfxHalveImage(GfxImage& image);
// The image resampled to width x height by area averaging (a box filter);
// equal sizes copy it.
void GfxResizeImage(const GfxImage& source, uint32_t width, uint32_t height, GfxImage& out);

// Writes an image as one level of a texture format (pitch: bytes from one
// row of pixels, or of DXT blocks, to the next). DXT1 keeps pixels whose
// alpha is below 128 transparent; DXT3 keeps 4 bits of alpha. False for a
// format that is not a colour format.
bool GfxEncodeImage(const GfxImage& image, uint32_t format, uint8_t* out, uint32_t pitch);
// Reads one level of a texture format back into an image.
bool GfxDecodeImage(uint32_t format, const uint8_t* data, uint32_t pitch, uint32_t width, uint32_t height,
                    GfxImage& out);

// ---------------------------------------------------------------------------
// JPEG.

// The size of a JPEG picture from its header, without decoding it.
GfxResult GfxReadJpegHeader(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height,
                            std::string& error);
// Decodes a whole JPEG picture (colour or greyscale) into an opaque image. A
// truncated or damaged picture is refused, not padded.
GfxResult GfxDecodeJpeg(const uint8_t* data, size_t size, GfxImage& image, std::string& error);
// Encodes an image as a baseline JPEG of the quality (1..100), alpha
// dropped.
GfxResult GfxEncodeJpeg(const GfxImage& image, int quality, std::vector<uint8_t>& out);

// ---------------------------------------------------------------------------
// DDS.

constexpr uint32_t GfxDdsHeaderSize = 124; // the header after the 4-byte magic

// What a DDS file holds: a 2D texture of one format with its levels. Each
// level's bytes lie at offsets[i] and take GfxFormatLevelSize bytes; the
// file holds them all.
struct GfxDdsLayout {
    uint32_t width = 0, height = 0;
    uint32_t format = FmtUnknown; // a device format, or GfxDdsDxt5 (read only)
    uint32_t levels = 0;
    std::vector<size_t> offsets;
};
// DXT5 files are read (into A8R8G8B8) but the device takes no DXT5 textures.
constexpr uint32_t GfxDdsDxt5 = 0x35545844; // "DXT5"

// The first values of a DDS header as they stand in the file, checked only
// for the magic: header size, flags, height and width. Needs 20 bytes.
struct GfxDdsHeaderFields {
    uint32_t headerSize = 0, flags = 0, height = 0, width = 0;
};
GfxResult GfxReadDdsHeaderFields(const uint8_t* data, size_t size, GfxDdsHeaderFields& fields);
// Checks a whole DDS file and describes it: header size 124, a 2D texture
// (no cube or volume), a format of the list above, sides 1..8192, a level
// count no larger than the full chain, and every level inside the bytes.
GfxResult GfxParseDds(const uint8_t* data, size_t size, GfxDdsLayout& layout, std::string& error);
// A DDS file of the levels (level 0 first, each halved from the one
// before) of a texture format.
GfxResult GfxBuildDds(uint32_t format, uint32_t width, uint32_t height,
                      const std::vector<std::vector<uint8_t>>& levels, std::vector<uint8_t>& out);

// ---------------------------------------------------------------------------
// Textures from files, and textures saved as files.

// How a texture is made from a file. Sizes 0 take the file's, rounded up
// to a power of two; levels 0 asks for the whole chain; FmtUnknown takes
// the file's format (A8R8G8B8 for JPEG, which has none of its own).
struct GfxTextureLoad {
    uint32_t width = 0, height = 0;
    uint32_t levels = 0;
    uint32_t usage = 0;
    uint32_t format = FmtUnknown;
    uint32_t pool = PoolManaged;
};

// What was loaded.
struct GfxTextureFileInfo {
    uint32_t width = 0, height = 0; // the file's own size
    uint32_t format = FmtUnknown;   // the file's own format
    uint32_t levels = 1;            // levels the file holds
};

// Makes a texture from a whole JPEG or DDS file in memory. A DDS of the
// asked format whose levels fit is copied as it stands (a level below the
// file's top when a smaller size is asked for); anything else is decoded,
// resampled, mipmapped by halving and encoded. InvalidData (with the
// reason in error) for a file that is not a valid picture.
GfxResult GfxCreateTextureFromFileInMemory(GfxDevice* device, const uint8_t* data, size_t size,
                                           const GfxTextureLoad& request, GfxTexture** texture,
                                           GfxTextureFileInfo* info, std::string& error);
// The same for a file (a game path); NotAvailable when it cannot be read.
GfxResult GfxCreateTextureFromFile(GfxDevice* device, std::string_view gamePath, const GfxTextureLoad& request,
                                   GfxTexture** texture, GfxTextureFileInfo* info, std::string& error);
// Saves every level of a texture as a DDS file of its format, through a
// temporary file. InvalidCall for a texture that cannot be read.
GfxResult GfxSaveTextureToDds(std::string_view gamePath, GfxTexture* texture);

} // namespace platform
