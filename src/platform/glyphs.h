// Glyphs of the system's fonts for the double-byte code pages (Japanese,
// Chinese and Korean): the installed outline faces that cover a language,
// a face opened at a cell height and weight, the advance of a character and
// the character drawn into a small grey picture. The cell height is the
// face's Windows ascent plus descent, and a character is drawn with its
// baseline at the ascent from the picture's top and its origin at the left
// edge, so that pictures and widths have the sizes the game's layout
// expects. Works without a window.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// The languages of the four double-byte pages.
enum class GlyphLanguage : int {
    Japanese = 0,
    TraditionalChinese = 1,
    SimplifiedChinese = 2,
    Korean = 3,
};

constexpr int GlyphFaceNameSize = 64;

// An installed face: its family name and whether it is fixed-pitch.
struct GlyphFaceInfo {
    char family[GlyphFaceNameSize] = {};
    bool monospaced = false;
};

// The installed outline faces that hold the language's characters, each
// family once, sorted by name. Empty when there are none (or no font
// configuration could be read).
std::vector<GlyphFaceInfo> ListGlyphFaces(GlyphLanguage language);

// True when the wanted face name names the family: the same name ignoring
// case, or a face name of the other system whose usual stand-in on this
// one is the family (for example "MS PGothic" and "Noto Sans CJK JP").
bool GlyphFaceMatches(const char* wanted, const char* family);

// An opened face at one size. Owned by the caller (CloseGlyphFont).
class GlyphFont;

// Opens the family at the weight (100 thin .. 400 normal .. 900 black;
// a face lighter than asked by 150 or more is made bolder) so that its
// cell (Windows ascent plus descent) is cellPixels high. Null when no
// installed face serves the family and language.
GlyphFont* OpenGlyphFont(const char* family, GlyphLanguage language, int weight, int cellPixels);
void CloseGlyphFont(GlyphFont* font);
// The family name of the face that was opened.
const char* GlyphFontFamily(const GlyphFont* font);

// The character's advance in whole pixels; 0 when the face has no glyph
// for it.
int GlyphAdvance(GlyphFont* font, uint32_t character);

// Draws the character into a side × side grey picture (row after row,
// `pitch` bytes apart): every pixel first 255 (paper), then 255 less the
// ink's coverage. The baseline lies at the ascent from the top row, the
// character's origin at column 0; what falls outside is cut off. Returns 1
// when drawn, 0 when the face has no glyph for it or it could not be drawn
// (the picture is then all paper).
int DrawGlyph(GlyphFont* font, uint32_t character, uint8_t* picture, int side, int pitch);

} // namespace platform
