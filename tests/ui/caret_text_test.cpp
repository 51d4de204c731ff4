// Caret-coded text with the default character map: the codes as the
// decoding table gives them, the caret's place and blink, widths of texts
// and plates, double-byte characters, and the console picture.
#include <cstring>

#include "text_fixture.h"

namespace {

constexpr uint32_t Grey = 0xFF808080u;
constexpr uint32_t Red = 0xFFFF0000u, Yellow = 0xFFFFFF00u;
constexpr int CaretSlot = 92;

struct Expected {
    int slot;
    uint32_t colour;
};

TEST_F(TextTest, CaretCodesDecodeAsTheTableSays)
{
    const struct {
        const char* what;
        const char* text;
        int caret;  // CaretNone or CaretShadow
        int page;
        std::vector<Expected> glyphs;
    } cases[] = {
        {"two carets are one caret", "^^", CaretNone, 0, {{Slot(0, '^'), Grey}}},
        {"a caret that ends the text is a caret", "ab^", CaretNone, 0,
         {{Slot(0, 'a'), Grey}, {Slot(0, 'b'), Grey}, {Slot(0, '^'), Grey}}},
        {"a caret and a control byte draw nothing", "^\x01x", CaretNone, 0, {{Slot(0, 'x'), Grey}}},
        {"red, then the text's own colour", "^1a^9b", CaretNone, 0, {{Slot(0, 'a'), Red}, {Slot(0, 'b'), Grey}}},
        {"yellow, then own colour and page", "^3a^8b", CaretNone, 0,
         {{Slot(0, 'a'), Yellow}, {Slot(0, 'b'), Grey}}},
        {"colour codes are ignored in shadow mode", "^1a", CaretShadow, 0, {{Slot(0, 'a'), Grey}}},
        {"escapes stand for the characters file names cannot hold", "^a^c^d^l^q^r^s^t^v", CaretNone, 0,
         {{Slot(0, '*'), Grey}, {Slot(0, ':'), Grey}, {Slot(0, '\\'), Grey}, {Slot(0, '<'), Grey},
          {Slot(0, '?'), Grey}, {Slot(0, '>'), Grey}, {Slot(0, '/'), Grey}, {Slot(0, '"'), Grey},
          {Slot(0, '|'), Grey}}},
        {"any other byte after a caret is itself", "^Z", CaretNone, 0, {{Slot(0, 'Z'), Grey}}},
        {"a page letter switches the page", "\xC0^C\xC0", CaretNone, 0,
         {{Slot(0, 0xC0), Grey}, {Slot(5, 0xC0), Grey}}},
        {"^8 returns to the text's own page", "^C\xC0^8\xC0", CaretNone, 6,
         {{Slot(5, 0xC0), Grey}, {Slot(6, 0xC0), Grey}}},
        {"^: goes to page 0", "\xC0^:\xC0", CaretNone, 6, {{Slot(6, 0xC0), Grey}, {Slot(0, 0xC0), Grey}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<GlyphQuad> quads = Queued(c.text, c.caret, c.page);
        ASSERT_EQ(quads.size(), c.glyphs.size());
        for (size_t i = 0; i < quads.size(); ++i) {
            EXPECT_EQ(quads[i].glyph, c.glyphs[i].slot) << i;
            EXPECT_EQ(quads[i].topColour, c.glyphs[i].colour) << i;
            EXPECT_EQ(quads[i].bottomColour, c.glyphs[i].colour) << i;
        }
    }
    // The Cyrillic page's 0xC0 is not Latin 1's.
    EXPECT_NE(Slot(5, 0xC0), Slot(0, 0xC0));
}

// A letter for a page that is not loaded selects page 0.
TEST_F(TextTest, PageLettersOfPagesNotLoadedSelectPageZero)
{
    MutableCharacterMap.codePageCount = 3;  // only Latin 1, Central Europe, Turkish
    std::vector<GlyphQuad> quads = Queued("^C\xC0^E\xC0", CaretNone, 0);
    MutableCharacterMap.codePageCount = SearchedCodePages + 1;
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].glyph, Slot(0, 0xC0));
    EXPECT_EQ(quads[1].glyph, Slot(1, 0xC0));
}

TEST_F(TextTest, TheCaretStandsBeforeItsByteAndBlinksWithTheGameClock)
{
    // Bytes: a0 b1 ^2 13 c4 d5 ^6 a7 e8, length 9.
    const char* text = "ab^1cd^ae";
    const struct {
        int caret;
        int before;  // quads before the caret glyph; -1 no caret drawn
    } cases[] = {
        {0, 0}, {1, 1}, {2, -1}, {3, -1}, {4, 2}, {6, -1}, {7, 4}, {8, 5}, {9, 6}, {CaretNone, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caret);
        std::vector<GlyphQuad> quads = Queued(text, c.caret);
        int found = -1, count = 0;
        for (size_t i = 0; i < quads.size(); ++i)
            if (quads[i].glyph == CaretSlot && quads[i].topColour == 0xFFFFFFFFu) {
                found = static_cast<int>(i);
                ++count;
            }
        EXPECT_EQ(found, c.before);
        EXPECT_LE(count, 1);
    }
    // The caret shows during the first 501 ms of each second.
    GameTimeRecord time;
    time.clockMs = 1500;
    SetGameTime(time);
    EXPECT_EQ(Queued("ab", 1).size(), 3u);
    time.clockMs = 1501;
    SetGameTime(time);
    EXPECT_EQ(Queued("ab", 1).size(), 2u);
}

TEST_F(TextTest, WidthsAddTheGlyphsAdvancesAndTheTextEndsWhereTheyDo)
{
    auto advance = [](int slot, float size) { return (CharacterMap.glyphs[slot].width / 7 + 0.1f) * size; };
    const float ab = advance(Slot(0, 'a'), 0.1f) + advance(Slot(0, 'b'), 0.1f);
    EXPECT_FLOAT_EQ(GetTextWidth("ab", 0.1f, 0), ab);
    EXPECT_FLOAT_EQ(GetTextWidth("^1a^9b^L", 0.1f, 0), ab);  // codes add nothing
    EXPECT_FLOAT_EQ(GetTextWidth("", 0.1f, 0), 0);
    EXPECT_FLOAT_EQ(DrawTextAt("ab", 0.25f, 0, 0.1f, 0.2f, 0, Grey, Grey, CaretNone, 0), 0.25f + ab);
    SetTextScale(0.5f);
    EXPECT_FLOAT_EQ(GetTextWidth("ab", 0.1f, 0), ab / 2);
    SetTextScale(1);
    // A space has no quad but its advance.
    EXPECT_EQ(Queued("a b").size(), 2u);
    EXPECT_FLOAT_EQ(GetTextWidth("a b", 0.1f, 0), ab + advance(0, 0.1f));

    // Plates: the glyphs' widths and 0.65 units between them, no TextScale.
    const float wA = CharacterMap.glyphs[Slot(0, 'A')].width, wB = CharacterMap.glyphs[Slot(0, 'B')].width;
    SetTextScale(0.5f);
    EXPECT_FLOAT_EQ(GetColouredTextWidth("A", 0.7f, 0), 0.7f * wA / 7);
    EXPECT_FLOAT_EQ(GetColouredTextWidth("^1A^9B", 0.7f, 0), 0.7f * (wA + wB + 0.65f) / 7);
    EXPECT_FLOAT_EQ(GetColouredTextWidth("", 0.7f, 0), 0);
}

// The glyph box: the lower 20 of the line's 23 parts, the whole line with
// CaretFullBox; an accent overlay at the glyph's place, or raised to the
// line's top when its entry says so, and none with CaretFullBox.
TEST_F(TextTest, GlyphsAndOverlaysSitInTheLineBox)
{
    CharEntry& e = CharacterMap.codePages[0].chars['e' - 32];
    e.overlay = static_cast<uint8_t>(Slot(0, '^'));
    e.flags = 1;
    EmptyGlyphQueues();
    DrawTextAt("e", 0, 0.5f, 0.1f, 0.23f, 0, Grey, Grey, CaretNone, 0);
    const GlyphQueue& queue = GlyphQueues.queues[0];
    ASSERT_EQ(queue.count, 2);
    EXPECT_FLOAT_EQ(queue.glyphs[0].top, 0.5f + 0.03f);
    EXPECT_FLOAT_EQ(queue.glyphs[0].bottom, 0.5f + 0.23f);
    EXPECT_FLOAT_EQ(queue.glyphs[1].top, 0.5f);
    e.flags = 0;
    EmptyGlyphQueues();
    DrawTextAt("e", 0, 0.5f, 0.1f, 0.23f, 0, Grey, Grey, CaretNone, 0);
    EXPECT_FLOAT_EQ(queue.glyphs[1].top, 0.5f + 0.03f);
    EmptyGlyphQueues();
    DrawTextAt("e", 0, 0.5f, 0.1f, 0.23f, 0, Grey, Grey, CaretFullBox, 0);
    ASSERT_EQ(queue.count, 1);
    EXPECT_FLOAT_EQ(queue.glyphs[0].top, 0.5f);
    EXPECT_FLOAT_EQ(queue.glyphs[0].bottom, 0.73f);
}

// A lead byte takes the next byte as its trail: a trail of 0x40 or more on
// a page with a font is one double-byte glyph (not cached yet); a lower
// trail draws slot 95 and is consumed all the same; a character without a
// Unicode value draws slot 175.
TEST_F(TextTest, DoubleByteCharactersTakeTheirTrailByte)
{
    ASSERT_NE(CharacterMap.codePages[4].font, nullptr) << "no Japanese font: scripts/setup.sh installs one";
    std::vector<GlyphQuad> quads = Queued("^J\x88\x9F" "a");  // U+4E9C, then 'a'
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].texture, UncachedTexture);
    EXPECT_EQ(quads[0].glyph, -1);
    EXPECT_EQ(GlyphQueues.queues[0].uncached, 1);
    const CharEntry& lead = CharacterMap.codePages[4].chars[0x88 - 32];
    ASSERT_EQ(lead.flags, CharLeadWithPage);
    const ExtraChar& character = CharacterMap.extraPages[lead.glyph].chars[0x9F - 0x40];
    EXPECT_EQ(character.unicode, 0x4E9C);
    ASSERT_GT(character.pixelWidth, 0);
    const CodePage& page = CharacterMap.codePages[4];
    EXPECT_FLOAT_EQ(quads[0].right - quads[0].left, character.pixelWidth * 0.1f / page.cellHeight);
    EXPECT_FLOAT_EQ(quads[1].left, quads[0].right);
    EXPECT_EQ(quads[1].glyph, Slot(4, 'a'));

    quads = Queued("^J\x88\x30" "a");
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].glyph, 95);
    EXPECT_EQ(quads[1].glyph, Slot(4, 'a'));

    // 0x85 0x40 is unassigned in the Japanese page.
    ASSERT_EQ(CharacterMap.extraPages[CharacterMap.codePages[4].chars[0x85 - 32].glyph].chars[0].unicode, 0);
    quads = Queued("^J\x85\x40");
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].glyph, 175);

    // Without the page's font every double-byte character is slot 95.
    platform::GlyphFont* font = CharacterMap.codePages[4].font;
    CharacterMap.codePages[4].font = nullptr;
    quads = Queued("^J\x88\x9F");
    CharacterMap.codePages[4].font = font;
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].glyph, 95);
}

// The console picture: each glyph's console pixels of intensity 128 or
// more, in the colour times the intensity, a glyph's console width and one
// pixel apart; nothing written outside the picture.
TEST_F(TextTest, ConsoleTextDrawsTheGlyphsConsolePixels)
{
    constexpr int Width = 24, Height = 11;
    std::vector<uint8_t> pixels(Width * Height * 3, 0);
    ConsolePicture picture{pixels.data(), Width, Height};
    ColourRecord white{255, 255, 255, 0};
    DrawTextToPicture(picture, "A^1B", 0, 0, white, 0);
    const GlyphSlot& a = CharacterMap.glyphs[Slot(0, 'A')];
    const GlyphSlot& b = CharacterMap.glyphs[Slot(0, 'B')];
    int inkA = 0, inkB = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const uint8_t* p = &pixels[(y * Width + x) * 3];
            if (x < a.consoleWidth) {
                const int i = a.console[y * a.consoleWidth + x];
                EXPECT_EQ(p[0], i >= 128 ? 255 * i / 256 : 0) << x << "," << y;
                EXPECT_EQ(p[1], p[0]);
                inkA += p[0] != 0;
            } else if (x > a.consoleWidth && x <= a.consoleWidth + b.consoleWidth) {
                const int i = b.console[y * b.consoleWidth + x - a.consoleWidth - 1];
                EXPECT_EQ(p[0], i >= 128 ? 255 * i / 256 : 0) << x << "," << y;
                EXPECT_EQ(p[1], 0);  // red
                inkB += p[0] != 0;
            } else {
                EXPECT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
            }
        }
    EXPECT_GT(inkA, 0);
    EXPECT_GT(inkB, 0);
    // Half outside the picture: only what lies inside is written.
    std::vector<uint8_t> guarded(Width * Height * 3 + 64, 0xEE);
    ConsolePicture small{guarded.data(), Width, Height};
    DrawTextToPicture(small, "WW", Width - 4, 5, white, 0);
    for (size_t i = Width * Height * 3; i < guarded.size(); ++i)
        EXPECT_EQ(guarded[i], 0xEE);
}

} // namespace
