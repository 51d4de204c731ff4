// Textures: every texture of the program is a record in one registry, kept
// by name (without regard to case), made empty for render targets and code
// that fills it, or loaded from a file found by its name and the load mode:
// raw images with their alpha companions (converted once into a DDS cache),
// JPEG pictures, DDS files and 8-bit luminance pictures. Textures reach the
// device's stages through a per-stage bind cache.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {
class GfxTexture;
}

constexpr int TextureNameLength = 34;
constexpr uint8_t TextureFlagRenderTarget = 1;
constexpr uint8_t TextureFlagReleased = 2; // released for a device reset

// One registered texture.
struct TextureRecord {
    platform::GfxTexture* texture = nullptr; // null for the default texture and while released
    uint32_t format = 0;            // device format number
    uint8_t pool = 1;               // 0 default (render targets), 1 managed
    int width = 0, height = 0;      // pixels of the top level
    uint8_t averageColour[4] = {};  // r, g, b, 0 of a raw source image; 0 otherwise
    uint8_t alphaRef = 0;           // 128 for alpha-tested textures, else 0
    uint8_t flags = 0;              // TextureFlag...
    uint8_t lodIndex = 0;           // 0..3: which "MIP_n " bias the stage gets
    uint16_t id = 0;                // 0, or the number of a skin texture
    int8_t levels = -1;             // -1 a full chain
    char sourcePath[64] = {};
    char name[TextureNameLength + 1] = {}; // the registry key
};

// The default texture: the record with the empty name and no device
// texture. It stands for no texture and is the result of a failed load.
// Read-only outside graphics; lives with the device.
extern TextureRecord* const& DefaultTexture;

// Where a texture name is looked for (LoadNamedTexture).
enum SkinLoadMode : int {
    SkinLoadPictures = 0,   // "data\pic\%s" or "data\pic\%s.raw"
    SkinLoadSkins = 1,      // "data\skins\%s.jpg" or "data\skins_dds\%s.dds"
    SkinLoadSecondSet = 2,  // "data\skins_x\%s.dds"
    SkinLoadThirdSet = 3,   // "data\skins_y\%s.dds"
    SkinLoadTraining = 4,   // "data\training\%s.jpg"
};

// How textures load. Set by the code that loads around its own loads and
// put back after; read-only outside graphics; lives for the whole run
// (ResetGraphicsTables restores the defaults).
struct TextureLoadSettingsRecord {
    int skinLoadMode = SkinLoadPictures;
    // Raw images are cached as DDS, pictures load compressed (DXT1) and
    // skins come from the DDS skin folder.
    int ddsCache = 1;
    int mipLevels = 0;      // levels of loaded textures; 0 the whole chain
    int thirtyTwoBit = 0;   // build raw images as X8R8G8B8 (the world loader)
    // A square image of side × side pixels (bytes r, g, b, a) that the next
    // ".raw" load takes instead of reading a file; null for none.
    int preloadedSide = 0;
    const uint8_t* preloadedPixels = nullptr;
    // A whole JPEG file in memory that the next load converts into the DDS
    // file its path names; null for none.
    const uint8_t* memoryFile = nullptr;
    size_t memoryFileSize = 0;
    // 1 when the device takes DXT1 and DXT3 textures in the current mode's
    // format, so that pictures may load compressed; set once the device
    // exists (SetUseCompressedTextures).
    int compressed = 0;

    bool operator==(const TextureLoadSettingsRecord&) const = default;
};
extern const TextureLoadSettingsRecord& TextureLoadSettings;
void SetUseCompressedTextures(int compressed);
void SetTextureDdsCache(int on);

// The registered texture of that name, or null.
TextureRecord* FindTexture(const char* name);
// Finds the record of that name or makes (and registers) a new one, and
// describes it; with a width and height it gets a device texture (a render
// target in the default pool, else managed). Returns 0 and the record, or
// -1 when the texture cannot be made (the record is then gone).
int CreateNamedTexture(const char* name, int width, int height, uint32_t format, int renderTarget, int lodIndex,
                       int levels, uint16_t id, TextureRecord** out);
// Loads the texture of the name from the file the load mode names; the
// default texture when it cannot (a message in the debug log). Names that
// would leave the data folder, or are longer than 34 characters, are
// refused.
TextureRecord* LoadNamedTexture(const char* name, int lodIndex);
// The registered texture of that name (its LOD index raised to lodIndex
// when that is higher), else LoadNamedTexture.
TextureRecord* FindOrLoadTexture(const char* name, int lodIndex);
// Loads a texture file into the record of the name. Returns 0 and the
// record, or -1 (empty path, or a raw image that cannot be opened or has no
// valid size), -2 (another file that cannot be opened), -3 (the texture
// could not be made of the file), -4 (a raw texture could not be created).
// A failed load leaves no new record of that name (a record that existed
// before stays, without texture).
int LoadTextureFile(const char* name, const char* path, int lodIndex, uint16_t id, TextureRecord** out);
// The next skin texture number: 1 to 65534, then 1 again.
uint16_t NextSkinTextureId();

// Unbinds the texture, unregisters it and releases its device texture;
// FreeTexture also deletes the record.
void DestroyTexture(TextureRecord* record);
void FreeTexture(TextureRecord* record);
// Releases the device texture and clears the pointer.
void ReleaseTexture(TextureRecord* record);
// Frees every record (and the small lockable surfaces); with the flag the
// default texture is made again.
void FreeAllTextures(int recreateDefault);

// Binds the texture (null: none) to the stage at once, through the
// per-stage cache; the stage gets the texture's mip-map LOD bias.
void SetStageTexture(int stage, TextureRecord* record);
// SetStageTexture; on stage 0 also the texture's alpha test.
void BindTexture(TextureRecord* record, int stage);
// Takes the texture off every stage holding it (null: every stage).
void UnbindTexture(TextureRecord* record);

// Bytes of every level of every registered texture.
int64_t TotalTextureMemory();
// Writes the alpha of a size × size block of an RGBA image (bytes r, g, b,
// a) at block position (column, row) of an A4R4G4B4 texture, as white
// texels with 4-bit alpha, into each of the first levels (the image halved
// by alpha averaging between levels). 1 when written.
int WriteDuzezBlock(platform::GfxTexture* texture, const uint8_t* pixels, int size, int column, int row,
                    int levels);
