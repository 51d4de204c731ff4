// Declarations shared only inside the user interface subsystem.
#pragma once

#include "ui/services.h"

// ---------------------------------------------------------------------------
// The interface's global records.

// What the interface keeps for the whole run, exported read-only under the
// names in the area headers. Set back by ResetUiTables in one assignment.
struct UiRecord {
    Screen* currentScreen = nullptr;        // CurrentScreen
    int dialogOpen = 0;                     // DialogOpen
    int uiMode = 0;                         // UiMode
    int keyDownDispatching = 0;             // KeyDownDispatching
    int swallowNextChar = 0;                // SwallowNextChar
    int textCodePage = 0;                   // TextCodePage
    float textScale = 1.0f;                 // TextScale
    CodePage* currentCodePage = nullptr;    // CurrentCodePage, into CharacterMap.codePages
    int inputCodePage = 0;                  // InputCodePage
    int nounFirst = 0;                      // NounFirst
    int messageHistoryShown = 0;            // MessageHistoryShown
    float messageAreaTop = -1.0f;           // MessageAreaTop
    ColumnLayout columnLayout = ColumnLayouts[0];  // CurrentColumnLayout

    bool operator==(const UiRecord&) const = default;
};
extern UiRecord MutableUi;

// The interface settings, exported read-only as InterfaceSettings
// (interface_config.cpp).
extern InterfaceSettingsRecord MutableInterfaceSettings;

// The message list, exported read-only as MessageList (messages.cpp).
extern MessageListRecord MutableMessageList;
// Empties the message list and sets its hooks back.
void ResetMessageList();

// The loaded font and code pages, exported read-only as CharacterMap
// (char_map.cpp); emptied by FreeCharacterMap.
extern CharacterMapRecord MutableCharacterMap;
// The keyboard layout's record, exported read-only as KeyboardLayout
// (reset.cpp); set by ReadKeyboardLayoutName.
extern KeyboardLayoutRecord MutableKeyboardLayout;

// ---------------------------------------------------------------------------
// Vector font shapes (font_raster.cpp).

// Receives one filled triangle of a glyph: corners in quarter pixels of
// the image, x to the right and y downwards.
using GlyphTriangleSink = void (*)(void* context, const int x[3], const int y[3]);

// Turns a glyph into the filled triangles that RasterStrokeGlyph draws,
// for an image of imageWidth by imageHeight pixels: its triangles, each
// ellipse as a fan of 24 and each curved stroke in CharacterMap.curveSteps
// quads of two triangles. Placement as RasterStrokeGlyph.
void EmitGlyphTriangles(const GlyphSlot& glyph, float x, float y, float widthSize, float heightSize,
                        int imageWidth, int imageHeight, GlyphTriangleSink sink, void* context);
// A point of side 0 or 1 of a prepared curve at t (0..1), font units.
Vec2 CurveSidePoint(const GlyphSlot& glyph, const GlyphCurve& curve, int side, float t);

// Width, console width, edge angles and curve cubics of slot i, after its
// record was read (or left empty); slot 95 must be prepared before any
// later slot.
void PrepareGlyphSlot(GlyphSlot* glyphs, int i);

// ---------------------------------------------------------------------------
// The character-map file (char_map.cpp).

// Reads a character map from a reader held in memory (loaded or an
// image), positioned after the header; path names it in log lines. As
// LoadCharacterMap: 1 when read and put in place, 0 when refused.
int ReadCharacterMap(DataFile& reader, int version, const char* path);

// ---------------------------------------------------------------------------
// Glyph queues (glyph_queue.cpp) and page fonts (glyph_cache.cpp).

// The writable queues that GlyphQueues shows.
extern GlyphQueueTableRecord MutableGlyphQueues;
// Makes the three queues at their capacities (LoadCharacterMap) and frees
// them (FreeCharacterMap); EmptyGlyphQueues drops what they hold.
void CreateGlyphQueues();
void FreeGlyphQueues();
void EmptyGlyphQueues();
GlyphQueue& CurrentGlyphQueue();
// A glyph quad's texture rectangle: its slot's in a font texture, or its
// cell's in a cache (as wide as the character).
struct GlyphUvRect {
    float left = 0, top = 0, right = 0, bottom = 0;
};
GlyphUvRect GlyphTextureRect(const GlyphQuad& quad);

// The four page fonts, the face list of the one being chosen, the staging
// picture of a cache cell (64 × 64 RGBA, white, alpha per character) and
// the reports said once while their condition lasts. Lives from
// LoadCharacterMap to FreeCharacterMap.
struct PageFontsRecord {
    platform::GlyphFont* fonts[PageFontCount] = {};
    FontFaceListRecord faceList;
    uint8_t staging[CacheCellPixels * CacheCellPixels * 4] = {};
    bool cachesFullReported = false;
    bool noOldCellReported = false;
};
extern PageFontsRecord MutablePageFonts;
