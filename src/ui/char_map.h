// The vector font and the character map (char_map*.cpp, font*.cpp).
//
// All single-byte text is drawn with one vector font whose glyphs are made
// of points, filled triangles, ellipses and curved strokes, loaded from the
// character-map file "data\abc\qvn.abc" with the code pages: for each page
// the glyph slot, accent overlay and lead-byte flags of every byte 32 to
// 255, and for the double-byte pages the Unicode characters of each lead
// byte's trail bytes. The glyphs are rasterised once into four alpha font
// textures.
#pragma once

#include <cstdint>

#include "core/services.h"

namespace platform {
class GlyphFont;
}

struct CharCache;
struct Material;

constexpr int GlyphSlotCount = 544;
constexpr int CodePageCharCount = 224;   // bytes 32 to 255
constexpr int ExtraPageCharCount = 192;  // trail bytes 0x40 to 0xFF
constexpr int FontTextureCount = 4;
constexpr int CharCacheCount = 64;
// Pages searched by code page number; page 10, beyond them, is the symbol
// page that display-list items name by number.
constexpr int SearchedCodePages = 10;

struct GlyphEdge {
    uint8_t first = 0, second = 0;  // point indices
    float angle = 0;                // radians, first to second (computed)
};
struct GlyphTriangle {
    uint8_t points[3] = {};
};
struct GlyphEllipse {
    uint8_t centre = 0;              // point index
    uint8_t radiusX = 0, radiusY = 0;  // tenths of a font unit
};
// A curved stroke between two edges: its sides are cubics across the
// stroke's width (computed from the edges and the stored end angles).
struct GlyphCurveSide {
    float angleA = 0, angleB = 0;  // radians, from the file
    float cubic[4] = {};           // coefficients of t^3, t^2, t and 1
};
struct GlyphCurve {
    uint8_t edgeA = 0, edgeB = 0, flagA = 0, flagB = 0;
    Vec2 start, end;          // font units
    Vec2 widthA, widthB;      // width vectors at the two edges
    GlyphCurveSide sides[2];
};

// One glyph of the vector font. Its points (the base table) are in font
// units: x from 0 (left) to 7, y from 0 (bottom) to 9 (top).
class GlyphSlot : public FloatPairTable {
public:
    GlyphSlot() = default;
    ~GlyphSlot() override;
    // Frees every array and zeroes the counts.
    void Free() override;

    uint8_t edgeCount = 0, triangleCount = 0, ellipseCount = 0, curveCount = 0;
    GlyphEdge* edges = nullptr;          // owned
    GlyphTriangle* triangles = nullptr;  // owned
    GlyphEllipse* ellipses = nullptr;    // owned
    GlyphCurve* curves = nullptr;        // owned
    int consoleWidth = 0;  // pixels, at most 9
    float width = 0;       // font units; the advance is width / 7 + spacing per unit of size
    int texture = 0;       // font texture 0..3
    float uLeft = 0, uRight = 0, vTop = 0, vBottom = 0;  // texture rectangle
    uint8_t console[100] = {};  // 11 rows of consoleWidth intensities
};

// One byte of a code page (4 bytes in the file too).
struct CharEntry {
    uint16_t glyph = 0;   // glyph slot; for a lead byte with flag 0x10 its extra page
    uint8_t overlay = 0;  // accent glyph slot drawn over it, 0 none
    uint8_t flags = 0;    // 0x10 lead byte with an extra page, 0x20 lead byte without;
                          // any other non-zero value raises the overlay to the top
};
constexpr uint8_t CharLeadWithPage = 0x10;
constexpr uint8_t CharLeadWithoutPage = 0x20;

struct ExtraChar {
    uint16_t unicode = 0;     // 0 none
    int16_t cacheCell = -1;   // cache index × 64 + cell, -1 not cached
    uint8_t pixelWidth = 0;   // 0 not measured, 255 no glyph in the font
};
struct CodePage;
// The trail bytes of one lead byte of a double-byte page.
struct ExtraPage {
    CodePage* owner = nullptr;
    ExtraChar chars[ExtraPageCharCount];
};
struct CodePage {
    uint16_t number = 0;      // Windows ANSI code page number
    platform::GlyphFont* font = nullptr;  // the page's double-byte font, null for other pages
    int fontIndex = 0;        // double-byte font 0..3
    int cellHeight = 0;       // pixels of the letter "E" in the page's font
    float topFactor = 0, bottomFactor = 0;  // a double-byte cell's rows above and below the glyph top
    CharEntry chars[CodePageCharCount];
};

// The loaded font and code pages. Read-only outside the interface; lives
// for the whole run; filled by LoadCharacterMap and emptied by
// FreeCharacterMap.
struct CharacterMapRecord {
    CharCache* caches[CharCacheCount] = {};         // owned; the first null ends them
    Material* fontTextures[FontTextureCount] = {};  // null until CreateFontTextures
    float glyphSpacing = 0;                         // font units, 0.1 once textures are made
    int curveSteps = 7;                             // cross-sections of a curved stroke
    ExtraPage* extraPages = nullptr;                // owned
    int extraPageCount = 0;
    CodePage* codePages = nullptr;                  // owned
    int codePageCount = 0;
    int searchedPageCount = 0;                      // min(count, 10)
    GlyphSlot glyphs[GlyphSlotCount];
};
extern const CharacterMapRecord& CharacterMap;

// The code page in use (null before the character map is loaded), the page
// of the keyboard's characters, and whether the language puts nouns before
// adjectives. Read-only outside the interface; live for the whole run.
extern CodePage* const& CurrentCodePage;
extern const int& InputCodePage;
extern const int& NounFirst;

// Reads the character map; 1 when it was read, 0 when it could not be
// opened, its version is below 251, or anything in it is out of range (the
// loaded map is then unchanged). When a reason is asked for, a failure
// leaves there the text that says why.
int LoadCharacterMap(const char* path, const char** reason = nullptr);
void FreeCharacterMap();
// Rasterises every glyph into the font textures; the number of textures
// made (0 without a device: then only the glyphs' places are laid out).
int CreateFontTextures();
// Forgets the four texture handles before the textures are made again.
void ResetFontTextures();
// Fills the glyph's shape with value into the current offscreen image,
// at (x, y) in screen units (-1..1, y down) with the cell of 7 by 9 font
// units measuring widthSize by heightSize screen units.
void RasterStrokeGlyph(const GlyphSlot& glyph, float x, float y, float widthSize, float heightSize,
                       int value);
// Makes page n current (page 0 when n is not below the page count).
void SelectCodePage(int n);
// After a language is loaded: the text code page from "tx_codepage" and
// the noun order from "tx_noun_adj".
void SelectTranslationCodePage();
// The keyboard's code page from the desktop's active keyboard layout (the
// user's language where no layout can be read); announce 1 shows a change
// as a message, 0 logs it.
void ReadKeyboardLayoutName(int announce);
// What the input method's status shows of the layout on the Chinese
// pages: the layout's name, for how long, and whether an input method
// serves it. Read-only outside the interface; lives for the whole run; set
// by ReadKeyboardLayoutName.
struct KeyboardLayoutRecord {
    char text[80] = {};
    int displayMs = 0;
    int inputMethod = 0;

    bool operator==(const KeyboardLayoutRecord&) const = default;
};
extern const KeyboardLayoutRecord& KeyboardLayout;
// The four double-byte font weights to 600.
void InitFontWeights();
