// Caret-coded text: every text the program shows is a zero-terminated byte
// string in one of the loaded code pages, with caret codes for colour,
// code-page switches and characters that file names cannot hold. One
// walker decodes it for measuring, drawing, the number plates' width and
// drawing, and the console picture; drawing only appends glyph quads to
// the current glyph queue (ui/glyphs.h), drawn later in the frame.
//
// Positions and sizes are screen units of the 2D layer (x and y from -1 to
// 1, y downwards). A text drawn at y with height h occupies y to y + h: an
// ordinary glyph from y + h × 3/23 down to y + h.
#pragma once

#include <cstdint>

struct ColourRecord;

// Code page of the language's texts, 0 to 9 ("LETBJCGHSK"); set when a
// language is selected. Read-only outside the interface; lives for the
// whole run.
extern const int& TextCodePage;
void SetTextCodePage(int page);
// Multiplies every horizontal text size in GetTextWidth and DrawTextAt;
// the main loop sets it each pass to the pass's aspect factor (1 up to a
// width-to-height ratio of 1.333, narrower glyphs on a wider screen).
// Read-only outside the interface; lives for the whole run.
extern const float& TextScale;
void SetTextScale(float scale);

// The caret codes a text carries: "^0" to "^7" colours (bit 1 red, 2
// green, 4 blue), "^8" the text's own colour and page, "^9" its own colour,
// "^:" page 0, "^L" "^E" "^T" "^B" "^J" "^C" "^G" "^H" "^S" "^K" pages 0 to
// 9, and the escapes "^a" "^c" "^d" "^l" "^q" "^r" "^s" "^t" "^v" for
// * : \ < ? > / " |. Any other byte after a caret is itself ("^^" is one
// caret); a caret that ends a text is a caret.
enum class TextStepKind : uint8_t {
    Character,         // a character to place
    Colour,            // a colour code
    OwnColour,         // "^9"
    OwnColourAndPage,  // "^8" (the walker selected the text's page)
    PageZero,          // "^:" (the walker selected page 0)
    Page,              // a page letter (the walker selected the page)
};
struct TextStep {
    TextStepKind kind = TextStepKind::Character;
    int character = 0;  // Character: the byte, 32 to 255
    int trail = -1;     // Character: the trail byte of a double-byte character (0 when the text ended)
    int position = 0;   // Character: its byte position (an escape's code byte, a lead byte's own)
    int colour = 0;     // Colour: the three bits
    int page = 0;       // Page: the page selected
};

// Walks a text step by step, switching CurrentCodePage as its codes say
// (SelectCodePage); bytes below 32 are skipped, and a byte whose entry in
// the current page marks a lead byte (bytes 128 and above) takes the next
// byte as its trail. With plain set, carets are ordinary characters.
class TextWalker {
public:
    TextWalker(const char* text, int ownPage, bool plain = false);
    // The next step; false at the end of the text.
    bool Next(TextStep& step);
    // Bytes consumed so far.
    int Position() const { return at; }

private:
    const unsigned char* bytes;
    int at = 0;
    int ownPage = 0;
    bool plain = false;
};

// The colour of a colour code's bits: red, green and blue each full or off.
ColourRecord CaretCodeColour(int bits);

// The character a caret code stands for: a page letter switches
// CurrentCodePage (or, with page given, only reports the page there) and
// gives 0; an escape letter gives its character; any other byte itself.
int DecodeCaretEscape(int code, int* page = nullptr);

// Between two vector glyphs: a tenth of the horizontal size.
constexpr float GlyphAdvanceSpacing = 0.1f;
// The advance of a vector glyph at a horizontal size: its width in font
// units over 7, and a tenth of the size between glyphs.
float GlyphAdvance(int glyphSlot, float size);

// Width of a text in screen units at the horizontal size (times
// TextScale), starting in the page; colour codes add nothing. Leaves
// CurrentCodePage where the text's last switch put it. 0 without a
// character map.
float GetTextWidth(const char* text, float size, int codePage);

// The caret argument of DrawTextAt.
constexpr int CaretNone = -1;
constexpr int CaretShadow = -2;    // no caret, colour codes ignored
constexpr int CaretFullBox = -3;   // no caret, glyphs fill the whole line box, no overlays

// Queues the text's glyphs from x at y with the horizontal size and the
// line height; style goes to every quad (ui/glyphs.h); top and bottom are
// the colours (ARGB) of every glyph's top and bottom edge. caret 0 or more
// draws the text caret before that byte (the text's length: after the
// last), blinking with the game clock. Returns x after the last glyph.
float DrawTextAt(const char* text, float x, float y, float size, float height, int style, uint32_t top,
                 uint32_t bottom, int caret, int codePage);
// DrawTextAt with style 0 and one colour.
float DrawPlainText(const char* text, float x, float y, float size, float height, uint32_t colour, int caret,
                    int codePage);
// DrawPlainText without caret, after a black copy one pixel down and right
// when the interface's shadow flag (bit 0x4000 of "Screen Flags ") is set.
float DrawShadowText(const char* text, float x, float y, float size, float height, uint32_t colour, int codePage);
// Drawn so that it ends at right.
float DrawTextRightAligned(const char* text, float right, float y, float size, float height, uint32_t colour,
                           int codePage);
// A caption across the screen's centre (size 0.06 by 0.12, with shadow, in
// the language's page), and a small one (0.03 by 0.06) at y -0.43.
void DrawCaptionCentred(const char* text, uint32_t colour);
void DrawSmallCaptionCentred(const char* text, uint32_t colour);
// The text caret (or, while the input method composes, its composition)
// at x; returns x after it (the caret itself has no advance).
float DrawCaretAt(float x, float y, float size, float height);

// Width of a number plate's text (no TextScale): every glyph's width in
// font units over 7 at the size, and 0.65 / 7 of the size between glyphs.
float GetColouredTextWidth(const char* text, float size, int codePage);
// Fills a number plate's text into the current offscreen image in 5-6-5
// colours (black until a colour code), from x with its glyphs' cells
// xSize by ySize screen units of the image, the top of the cell at y.
void DrawPlateText(const char* text, float x, float y, float xSize, float ySize);

// Height of the console glyphs in pixels.
constexpr int ConsoleRows = 11;
// An RGB picture the console text is drawn into (3 bytes a pixel, rows
// top first).
struct ConsolePicture {
    uint8_t* pixels = nullptr;
    int width = 0, height = 0;
};
// Draws the text with the glyphs' console pictures from the pixel (x, y)
// in the colour: every console pixel of intensity 128 or more in the
// colour times the intensity / 256; each glyph advances by its console
// width and one pixel. Pixels outside the picture are left out.
void DrawTextToPicture(ConsolePicture& picture, const char* text, int x, int y, const ColourRecord& colour,
                       int codePage);

// 1 for the double-byte pages (4, 7, 8 and 9).
int IsDoubleBytePage(int page);
// 1 when the byte is the lead byte of a double-byte character in the page.
int IsLeadByte(int page, unsigned char character);
// The page (0 to 9) of the last searched code page with this Windows code
// page number; -1 when no page has it.
int FindCodePageByNumber(int number);
// 1 when the page's characters cannot be drawn on this computer: a
// double-byte page without a font.
int IsCodePageUnavailable(int page);
