// Double-byte characters through the system's fonts and the character
// caches, on the null device: the faces fontconfig lists, each character's
// picture and width against Pillow drawing the same face, and the caches'
// cells given out, aged and replaced over frames.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_folder.h"
#include "text_fixture.h"

namespace {

// A Japanese character by its CP932 bytes.
std::string Japanese(int lead, int trail)
{
    return std::string("^J") + char(lead) + char(trail);
}

// count distinct kanji: lead 0x88 from trail 0x9F, then lead 0x89.
std::vector<std::string> DistinctKanji(int count, int first = 0)
{
    std::vector<std::string> texts;
    for (int n = first; static_cast<int>(texts.size()) < count; ++n) {
        int lead = 0x88 + (n + 0x9F - 0x40) / 188, trail = 0x40 + (n + 0x9F - 0x40) % 188;
        trail += trail >= 0x7F ? 1 : 0;  // CP932 trail bytes skip 0x7F
        texts.push_back(Japanese(lead, trail));
    }
    return texts;
}

class GlyphCacheTest : public DrawnTextTest {
protected:
    // One frame of the 2D layer: the texts queued, then drawn in two layers.
    static void Frame(const std::vector<std::string>& texts)
    {
        float y = -1;
        for (const std::string& text : texts) {
            DrawTextAt(text.c_str(), 0, y, 0.05f, 0.1f, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, CaretNone, 0);
            y += 0.001f;
        }
        MarkGlyphQueue();
        DrawGlyphsToMark();
        DrawGlyphsFromMark();
        platform::NullGfxClearCalls();
    }
    // The cache cell a character holds; -1 when none.
    static int CellOf(const std::string& text)
    {
        SelectCodePage(4);
        const auto lead = static_cast<unsigned char>(text[2]), trail = static_cast<unsigned char>(text[3]);
        const CharEntry& entry = CharacterMap.codePages[4].chars[lead - 32];
        return CharacterMap.extraPages[entry.glyph].chars[trail - 0x40].cacheCell;
    }
};

// The faces are fontconfig's own list for the language; the page font's
// list ranks proportional faces above fixed-pitch ones, and the configured
// face is the chosen one.
TEST_F(GlyphCacheTest, FacesAreFontconfigsAndRankedAsConfigured)
{
    ProcessResult listed = RunProcess("/usr/bin/fc-list", {":lang=ja:outline=true", "family"}, ".");
    ASSERT_EQ(listed.exitCode, 0) << listed.output;
    std::vector<std::string> expected;
    std::istringstream lines(listed.output);
    for (std::string line; std::getline(lines, line);) {
        std::string first = line.substr(0, line.find(','));
        if (!first.empty() && std::find(expected.begin(), expected.end(), first) == expected.end())
            expected.push_back(first);
    }
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> faces;
    for (const platform::GlyphFaceInfo& face : platform::ListGlyphFaces(platform::GlyphLanguage::Japanese))
        faces.push_back(face.family);
    EXPECT_EQ(faces, expected);

    ASSERT_EQ(EnumeratePageFonts(0), 1);
    for (size_t i = 1; i < FontFaceList.faces.size(); ++i)
        EXPECT_GE(FontFaceList.faces[i - 1].rank, FontFaceList.faces[i].rank);
    const FontFaceEntry& last = FontFaceList.faces.back();
    EditSettings([&last](SettingsRecord& settings) { std::snprintf(settings.fnJ, sizeof settings.fnJ, "%s", last.name); });
    ASSERT_EQ(EnumeratePageFonts(0), 1);
    EXPECT_EQ(FontFaceList.chosen, static_cast<int>(FontFaceList.faces.size()) - 1);
    FreeFontList();
}

// Each character's cell holds its picture as Pillow draws the same face at
// the same size (its ink up to the character's width), and its width is
// Pillow's advance.
TEST_F(GlyphCacheTest, CellsHoldTheCharactersAsPillowDrawsThem)
{
    const struct {
        int page;
        const char* text;     // the character in its page
        uint32_t codePoint;
        const char* language;  // fontconfig's
    } cases[] = {
        {4, "^J\x88\x9F", 0x4E9C, "ja"},
        {7, "^H\xC0\x73", 0x9F8D, "zh-tw"},
        {8, "^S\xD6\xD0", 0x4E2D, "zh-cn"},
        {9, "^K\xC7\xD1", 0xD55C, "ko"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        // At the normal weight, as Pillow draws it.
        const int j = c.page == 4 ? 0 : c.page - 6;
        EditSettings([j](SettingsRecord& settings) {
            int* weights[] = {&settings.fwJ, &settings.fwH, &settings.fwS, &settings.fwK};
            *weights[j] = 400;
        });
        ASSERT_EQ(EnumeratePageFonts(j), 1);
        CreatePageFont(j);
        FreeFontList();
        const CodePage& page = CharacterMap.codePages[c.page];
        ASSERT_NE(page.font, nullptr);

        TempFolder folder;
        ProcessResult reference =
            RunProcess(QV_DEBIAN_PYTHON,
                       {QV_SOURCE_DIR "/tests/ui/glyph_reference.py", platform::GlyphFontFamily(page.font), c.language,
                        "64", "pictures.bin", std::to_string(c.codePoint)},
                       folder.Path());
        ASSERT_EQ(reference.exitCode, 0) << reference.output;
        int codePoint = 0, advance = 0;
        ASSERT_EQ(std::sscanf(reference.output.c_str(), "%d %d", &codePoint, &advance), 2);
        std::string picture = folder.ReadFile("pictures.bin");
        ASSERT_EQ(picture.size(), 64u * 64u);

        Frame({c.text});
        std::string text = c.text;
        SelectCodePage(c.page);
        const CharEntry& lead = page.chars[static_cast<unsigned char>(text[2]) - 32];
        const ExtraChar& character = CharacterMap.extraPages[lead.glyph].chars[static_cast<unsigned char>(text[3]) - 0x40];
        EXPECT_EQ(character.unicode, c.codePoint);
        EXPECT_NEAR(character.pixelWidth, std::min(advance, CacheCellUsedRows), 1);
        ASSERT_GE(character.cacheCell, 0);

        // The cell's alpha (4 bits) against Pillow's ink.
        const CharCache& cache = *CharacterMap.caches[character.cacheCell / CacheCellCount];
        const int cell = character.cacheCell % CacheCellCount;
        const platform::GfxRect area{cell % 8 * 64, cell / 8 * 64, cell % 8 * 64 + 64, cell / 8 * 64 + 64};
        platform::GfxLockedRect locked;
        ASSERT_TRUE(platform::GfxSucceeded(cache.texture->texture->LockRect(0, locked, &area, platform::LockReadOnly)));
        int both = 0, either = 0;
        for (int y = 0; y < CacheCellUsedRows; ++y)
            for (int x = 0; x < character.pixelWidth; ++x) {
                uint16_t texel;
                std::memcpy(&texel, static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 2, 2);
                const bool ours = (texel >> 12) >= 8;
                const bool theirs = static_cast<uint8_t>(picture[size_t(y * 64 + x)]) < 128;
                both += ours && theirs;
                either += ours || theirs;
            }
        cache.texture->texture->UnlockRect(0);
        ASSERT_GT(either, 50);
        EXPECT_GE(double(both) / either, 0.9) << both << " of " << either;
    }
}

// One character queued 20 times in a frame is drawn into one cell, which
// every quad takes.
TEST_F(GlyphCacheTest, TheSameCharacterTwentyTimesIsDrawnOnce)
{
    Frame(std::vector<std::string>(20, Japanese(0x88, 0x9F)));
    ASSERT_EQ(CountCharCaches(), 1);
    int used = 0;
    for (const CacheCell& cell : CharacterMap.caches[0]->cells)
        used += cell.age != 0;
    EXPECT_EQ(used, 1);
    const int cell = CellOf(Japanese(0x88, 0x9F));
    EXPECT_EQ(cell, 0);
}

// With one cache full of characters used by this frame, the next new
// character opens a second cache.
TEST_F(GlyphCacheTest, AFullCacheOpensASecondOne)
{
    std::vector<std::string> kanji = DistinctKanji(65);
    EmptyGlyphQueues();
    for (const std::string& text : kanji)
        DrawTextAt(text.c_str(), 0, 0, 0.05f, 0.1f, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, CaretNone, 0);
    MarkGlyphQueue();
    DrawGlyphsToMark();
    ASSERT_EQ(CountCharCaches(), 2);
    EXPECT_EQ(CharacterMap.caches[0]->inUse, 64);
    EXPECT_EQ(CharacterMap.caches[1]->inUse, 1);
    EXPECT_EQ(CellOf(kanji[64]), CacheCellCount);
    DrawGlyphsFromMark();
    EXPECT_EQ(CharacterMap.caches[0]->inUse, 0);
}

// Over frames of more distinct characters than free cells, the cells of
// characters not drawn lately are given again, oldest first (the first of
// equally old ones); a dropped character drawn again gets a cell again.
TEST_F(GlyphCacheTest, CellsNotUsedLatelyAreReplacedOldestFirst)
{
    const std::vector<std::string> first = DistinctKanji(40, 0), second = DistinctKanji(40, 40);
    Frame(first);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(CellOf(first[size_t(i)]), i);
    // 24 free cells, then the 16 first of the older characters' cells.
    Frame(second);
    ASSERT_EQ(CountCharCaches(), 1);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(CellOf(second[size_t(i)]), 40 + i) << i;
    for (int i = 24; i < 40; ++i)
        EXPECT_EQ(CellOf(second[size_t(i)]), i - 24) << i;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(CellOf(first[size_t(i)]), -1) << i;
    for (int i = 16; i < 40; ++i)
        EXPECT_EQ(CellOf(first[size_t(i)]), i) << i;
    // The frame after: a dropped character comes back into the oldest
    // cell, which the first frame's characters hold, not the second's.
    Frame({first[0]});
    EXPECT_EQ(CellOf(first[0]), 16);
    EXPECT_EQ(CellOf(first[16]), -1);
    for (const std::string& text : second)
        EXPECT_GE(CellOf(text), 0);
}

// A double-byte character in a name tag is drawn from the frame after the
// one that first shows it: that frame's 2D pass caches it.
TEST_F(GlyphCacheTest, NameTagCharactersShowFromTheNextFrame)
{
    const std::string tag = Japanese(0x88, 0x9F);
    auto worldQuads = [&] {
        DrawWorldText(tag.c_str(), 0, 0, 5, 0.5f, 0.2f, 0xFFFFFFFFu, 0, 0);
        size_t quads = 0;
        for (const platform::GfxCall& call : platform::NullGfxCalls())
            if (call.kind == platform::GfxCallKind::DrawIndexedPrimitive)
                quads += call.indices.size() / 6;
        platform::NullGfxClearCalls();
        return quads;
    };
    EXPECT_EQ(worldQuads(), 0u);
    Frame({});  // the 2D pass caches the placeholder's character
    EXPECT_GE(CellOf(tag), 0);
    EXPECT_EQ(worldQuads(), 1u);
}

// A character the font cannot draw leaves its cell empty: never the picture
// of the character drawn before it.
TEST_F(GlyphCacheTest, ACharacterThatCannotBeDrawnLeavesItsCellEmpty)
{
    Frame({Japanese(0x88, 0x9F)});
    SelectCodePage(4);
    ExtraChar& missing = CharacterMap.extraPages[CharacterMap.codePages[4].chars[0x88 - 32].glyph].chars[0xA0 - 0x40];
    missing.unicode = 0xE000;  // a private-use character no face draws
    missing.pixelWidth = 40;
    Frame({Japanese(0x88, 0xA0)});
    ASSERT_EQ(missing.cacheCell, 1);
    const platform::GfxRect area{64, 0, 128, 64};
    platform::GfxLockedRect locked;
    platform::GfxTexture* texture = CharacterMap.caches[0]->texture->texture;
    ASSERT_TRUE(platform::GfxSucceeded(texture->LockRect(0, locked, &area, platform::LockReadOnly)));
    int ink = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint16_t texel;
            std::memcpy(&texel, static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 2, 2);
            ink += (texel >> 12) != 0;
        }
    texture->UnlockRect(0);
    EXPECT_EQ(ink, 0);
}

// Freeing the caches forgets every cell and width and empties the queues;
// with every one of the 64 caches full "All character caches are full" is
// said once, not every frame.
TEST_F(GlyphCacheTest, FreedCachesForgetAndFullCachesAreReportedOnce)
{
    Frame({Japanese(0x88, 0x9F)});
    FreeCharCaches();
    EXPECT_EQ(CountCharCaches(), 0);
    EXPECT_EQ(CellOf(Japanese(0x88, 0x9F)), -1);
    SelectCodePage(4);
    EXPECT_EQ(CharacterMap.extraPages[CharacterMap.codePages[4].chars[0x88 - 32].glyph].chars[0x9F - 0x40].pixelWidth,
              0);

    TempFolder folder;
    StartDebugLog();
    int count = 0;
    for (int i = 0; i < CharCacheCount; ++i) {
        ASSERT_EQ(CreateCharCache(count), i);
        CharacterMap.caches[i]->inUse = CacheCellCount;
    }
    EXPECT_EQ(CreateCharCache(count), -1);
    EXPECT_EQ(CreateCharCache(count), -1);
    std::string log = folder.ReadFile("deb.log");
    size_t first = log.find("All character caches are full");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find("All character caches are full", first + 1), std::string::npos) << log;
}

} // namespace
