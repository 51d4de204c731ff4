// Glyph queues, character caches and the small 2D primitives.
//
// Text is not drawn glyph by glyph: drawing appends one quad per glyph to
// the current glyph queue, and the queue is drawn later grouped by
// texture, one batch per font or cache texture. Queue 0 serves the 2D
// layer (drawn in two layers around a mark, so that boxes can lie between
// them), queue 1 texts drawn into dashboard textures, queue 2 texts placed
// in the 3D view (name tags).
//
// The double-byte pages' characters come from the system's fonts, drawn
// one at a time into cells of 64 by 64 pixels of character-cache textures
// (8 by 8 cells each, at most 64 caches), where they stay until a newer
// character needs the cell: a cell used by the frame being drawn has age
// 255, and each cache's oldest cell (lowest age) is replaced first.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/glyphs.h"

struct Material;
struct TextureRecord;
struct CodePage;

// ---------------------------------------------------------------------------
// Glyph queues (glyph_queue.cpp).

constexpr int GlyphQueueCount = 3;
constexpr int GlyphQueueCapacity[GlyphQueueCount] = {4096, 64, 96};
constexpr int MaxColouredQuads = 256;
constexpr int MaxFlatQuads = 8;
// Texture numbers of a glyph: 0 to 3 the font textures, 4 + n cache n.
constexpr int FirstCacheTexture = 4;
constexpr uint8_t UncachedTexture = 255;
// Styles of a glyph quad: 0 plain, 127 moved right by the glyph shift,
// 1 to 126 the top style % cut off, -128 to -1 only the top |style| % shown.
constexpr int StyleShifted = 127;
// A world-text placeholder in queue 0 (never drawn): the 2D pass caches
// its character for the next frame's name tag.
constexpr int StylePlaceholder = '~';
// The font's solid glyph, whose middle coloured quads sample.
constexpr int SolidGlyphSlot = 411;

struct GlyphQuad {
    uint8_t texture = 0;      // font texture, 4 + cache, or UncachedTexture
    int8_t style = 0;
    int16_t glyph = 0;        // glyph slot, or the cache cell (-1 not cached)
    uint16_t extraPage = 0;   // double-byte character: its extra page
    uint8_t trail = 0;        // and trail index (trail byte - 0x40)
    uint8_t pixelWidth = 0;   // and pixel width
    bool placeholder = false; // a world-text placeholder, never drawn
    float left = 0, top = 0, right = 0, bottom = 0;  // screen units (queue 2: view space)
    uint32_t topColour = 0, bottomColour = 0;         // ARGB
};
// Drawn as the triangles (first, second, fourth) and (fourth, third, first).
struct ColouredQuad {
    uint32_t colour = 0;
    float x[4] = {}, y[4] = {};
};
struct FlatQuad {
    uint32_t colour = 0;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct GlyphQueue {
    int capacity = 0;          // 0 until the character map is loaded
    int count = 0;
    int uncached = 0;          // glyphs whose character has no cache cell yet
    std::vector<GlyphQuad> glyphs;
    int colouredCount = 0;
    ColouredQuad coloured[MaxColouredQuads];
    int flatCount = 0;
    FlatQuad flat[MaxFlatQuads];
};

// The three queues, the current one and the 2D queue's mark. Made by
// LoadCharacterMap, emptied by FreeCharacterMap; the mark and the glyph
// shift belong to the frame being drawn.
struct GlyphQueueTableRecord {
    GlyphQueue queues[GlyphQueueCount];
    int current = 0;
    int mark = 0;
    float glyphShift = 0;  // screen units that style 127 moves a glyph right
};
extern const GlyphQueueTableRecord& GlyphQueues;

void SelectGlyphQueue(int n);
// Appends a vector glyph from x to x + its advance at the width size, y to
// y + height; ignored when the queue is full.
void QueueGlyph(int glyphSlot, float x, float y, float widthSize, float height, int style, uint32_t topColour,
                uint32_t bottomColour);
// Appends a double-byte glyph (cached or not) to the current queue: false
// when the queue is full.
bool QueueDoubleByteGlyph(const GlyphQuad& quad);
void MarkGlyphQueue();
void SetGlyphShift(float shift);
// The glyphs before the mark (caching the new characters first), and those
// from the mark on (then the queue is empty and the cache frame ends).
void DrawGlyphsToMark();
void DrawGlyphsFromMark();
// Draws part 1 (before the mark), 2 (from it) or 0 (all) for the texture
// numbers 0 to passes - 1, then the coloured and flat quads.
void DrawGlyphQueue(int passes, int part);
// Untextured shapes of the gauges; ignored beyond 256 and 8 a frame.
void QueueColouredQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                       uint32_t colour);
void QueueFlatQuad(float x1, float y1, float x2, float y2, uint32_t colour);
// A caret-coded text in view space (y up, no TextScale) through queue 2,
// drawn at once; mirrored runs from right to left.
void DrawWorldText(const char* text, float x, float y, float z, float widthSize, float height, uint32_t colour,
                   int mirrored, int codePage);

// ---------------------------------------------------------------------------
// Small 2D primitives into the open screen batch (glyph_queue.cpp).

// A filled circle of the segments; with aspect the vertical radius follows
// the screen's width-to-height ratio.
void DrawCircle(int segments, float x, float y, float radius, uint32_t colour, int aspect);
// A filled square of the half size.
void DrawRect(float x, float y, float halfSize, uint32_t colour, int aspect);
// Single glyphs as turned symbols: open the screen batch on the glyph's
// font texture (alpha blending on around them with blend set).
void BeginGlyphDraw(int glyphSlot, int blend);
void DrawRotatedGlyph(int glyphSlot, float x, float y, float size, uint32_t colour, float angle, int aspect);
void EndGlyphDraw(int blend);

// ---------------------------------------------------------------------------
// Double-byte page fonts and character caches (glyph_cache.cpp).

constexpr int PageFontCount = 4;
constexpr int MaxFontFaces = 76;
constexpr int CacheCellCount = 64;
constexpr int CacheCellPixels = 64;
constexpr int CacheTextureSize = 512;
// Rows of a cell a character may use; the rest keep cells apart.
constexpr int CacheCellUsedRows = 62;
constexpr uint8_t CellAgeUsedThisFrame = 255;

// The faces found for one page font while one is chosen: best ranked
// first (3 the page's default face, 2 proportional, 1 fixed-pitch), at
// most 76, and the chosen one.
struct FontFaceEntry {
    int rank = 0;
    char name[platform::GlyphFaceNameSize] = {};
};
struct FontFaceListRecord {
    std::vector<FontFaceEntry> faces;
    int chosen = 0;
};
extern const FontFaceListRecord& FontFaceList;

struct CacheCell {
    uint16_t extraPage = 0;
    uint8_t trail = 0;  // trail byte - 0x40
    uint8_t age = 0;    // 0 never used, 255 used this frame, 1 to 254 older the lower
};
struct CharCache {
    int inUse = 0;  // cells used by the frame being drawn
    TextureRecord* texture = nullptr;   // "CACHE%dAONLY", 512 × 512 alpha
    Material* material = nullptr;
    CacheCell cells[CacheCellCount];
};

// The face list of page font j (0 Japanese, 1 Traditional Chinese, 2
// Simplified Chinese, 3 Korean): 1, or 0 when no face has its characters.
int EnumeratePageFonts(int j);
// (Re)makes page font j from the chosen face and its weight and measures
// its cell from the letter "E"; the page has no font when that fails.
void CreatePageFont(int j);
void FreeFontList();
// Fonts of the four double-byte pages, at the end of LoadCharacterMap.
void PreparePageFonts();
// Closes the four fonts (FreeCharacterMap).
void FreePageFonts();

// A cache with a free cell (made when needed); -1 when there is none. count
// is the number of caches in use.
int CreateCharCache(int& count);
// Renders every uncached double-byte glyph of the current queue into cache
// cells (before the queue is drawn).
void AddUnknown(int& count);
// Caches in use: the first empty place of the 64.
int CountCharCaches();
// At the end of a frame's last glyph pass: no cell is used by the next frame yet.
void EndCharCacheFrame();
void ReleaseCharCacheTextures();
// Deletes every cache, forgets every character's cell and width, and
// empties the three glyph queues.
void FreeCharCaches();
// The cache's material; null for an index without a cache.
Material* CharCacheMaterial(int cache);

// How a double-byte character of the current page is drawn: a vector
// glyph slot (95 no font or bad trail byte, 175 no such character), or its
// pixel width, width in font units and cache cell (-1 not cached).
struct DoubleByteGlyph {
    int slot = -1;          // >= 0: draw this vector glyph instead
    int pixelWidth = 0;
    float fontUnits = 0;    // pixel width × 7 / cell height
    int cell = -1;
    int extraPage = 0;
    int trailIndex = 0;
    const CodePage* page = nullptr;
};
DoubleByteGlyph LookUpDoubleByteGlyph(int leadByte, int trailByte);
// Marks a cached cell used by this frame (its cache's in-use count rises
// the first time).
void MarkCacheCellUsed(int cell);
