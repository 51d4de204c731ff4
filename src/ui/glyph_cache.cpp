// Double-byte glyphs: the four page fonts chosen from the system's faces,
// the widths of characters, and the character caches whose cells hold the
// characters drawn lately, replaced oldest first.
#include <cstdio>
#include <cstring>

#include "graphics/services.h"
#include "platform/gfx.h"
#include "ui/local.h"

PageFontsRecord MutablePageFonts;
const FontFaceListRecord& FontFaceList = MutablePageFonts.faceList;

namespace {

// The four page fonts: their page, language, the face that ranks first,
// and the names logs give their character sets.
struct PageFontKind {
    int page;
    platform::GlyphLanguage language;
    const char* defaultFace;
    const char* charsetName;
};
const PageFontKind PageFontKinds[PageFontCount] = {
    {4, platform::GlyphLanguage::Japanese, "MS PGothic", "SHIFTJIS"},
    {7, platform::GlyphLanguage::TraditionalChinese, "Microsoft JhengHei", "CHINESEBIG5"},
    {8, platform::GlyphLanguage::SimplifiedChinese, "SimHei", "GB2312"},
    {9, platform::GlyphLanguage::Korean, "Gulim", "HANGUL"},
};

// A page font's cell: 64 pixels high; the letter "E" fills this part of a
// glyph's height.
constexpr int FontCellPixels = 64;
constexpr float LetterEHeightPart = 0.78f;
constexpr int MeasuredCharacter = 'E';
// Trail bytes from here have an extra-page entry.
constexpr int FirstTrailByte = 0x40;
// Slots drawn instead: no font or a bad trail byte, and no such character.
constexpr int NoFontSlot = 95;
constexpr int NoCharacterSlot = 175;
constexpr int MaxMeasuredWidth = 240;

const char* ConfiguredFace(int j)
{
    const char* faces[PageFontCount] = {Settings.fnJ, Settings.fnH, Settings.fnS, Settings.fnK};
    return faces[j];
}
int ConfiguredWeight(int j)
{
    const int weights[PageFontCount] = {Settings.fwJ, Settings.fwH, Settings.fwS, Settings.fwK};
    return weights[j];
}

CodePage* PageOfFont(int j)
{
    const int page = PageFontKinds[j].page;
    return page < MutableCharacterMap.codePageCount ? &MutableCharacterMap.codePages[page] : nullptr;
}

// The first and last rows holding ink of the character drawn in the font;
// false when it shows none.
bool MeasureInkRows(platform::GlyphFont* font, int& first, int& last)
{
    uint8_t picture[FontCellPixels * FontCellPixels];
    platform::DrawGlyph(font, MeasuredCharacter, picture, FontCellPixels, FontCellPixels);
    first = last = -1;
    for (int row = 0; row < FontCellPixels; ++row)
        for (int column = 0; column < FontCellPixels; ++column)
            if (picture[row * FontCellPixels + column] < 255) {
                if (first < 0)
                    first = row;
                last = row;
                break;
            }
    return first >= 0;
}

// The extra-page character a cell holds.
ExtraChar& CharOfCell(const CacheCell& cell)
{
    return MutableCharacterMap.extraPages[cell.extraPage].chars[cell.trail];
}

// Cells used in 2 .. 254 frames ago grow one older.
void AgeCache(CharCache& cache)
{
    for (CacheCell& cell : cache.cells)
        if (cell.age >= 2 && cell.age < CellAgeUsedThisFrame)
            --cell.age;
}

// The cell to reuse: the oldest, the first of equals; -1 when every cell
// is used by this frame.
int OldestCell(const CharCache& cache)
{
    int oldest = 0;
    for (int i = 1; i < CacheCellCount; ++i)
        if (cache.cells[i].age < cache.cells[oldest].age)
            oldest = i;
    return cache.cells[oldest].age == CellAgeUsedThisFrame ? -1 : oldest;
}

// Draws the character of the glyph into the cache's cell; its picture is
// the ink as alpha up to the character's width, transparent beyond.
void DrawIntoCell(const CharCache& cache, int cell, const GlyphQuad& glyph)
{
    uint8_t* staging = MutablePageFonts.staging;
    for (int i = 0; i < CacheCellPixels * CacheCellPixels; ++i)
        staging[i * 4 + 3] = 0;
    const ExtraPage& extra = MutableCharacterMap.extraPages[glyph.extraPage];
    const ExtraChar& character = extra.chars[glyph.trail];
    platform::GlyphFont* font = extra.owner != nullptr ? extra.owner->font : nullptr;
    uint8_t picture[CacheCellPixels * CacheCellPixels];
    // A character that cannot be drawn leaves its cell empty, never the
    // picture of the character drawn before it.
    if (font == nullptr ||
        !platform::DrawGlyph(font, character.unicode, picture, CacheCellPixels, CacheCellPixels)) {
        PrintError("AddUnknown : Could not draw text");
    } else {
        for (int row = 0; row < CacheCellUsedRows; ++row)
            for (int column = 0; column < CacheCellUsedRows && column < glyph.pixelWidth; ++column)
                staging[(row * CacheCellPixels + column) * 4 + 3] =
                    static_cast<uint8_t>(255 - picture[row * CacheCellPixels + column]);
    }
    if (cache.texture == nullptr ||
        !WriteDuzezBlock(cache.texture->texture, staging, CacheCellPixels, cell % 8, cell / 8, 1))
        LogPrintf("AddUnknown : cell %d of the cache texture not written", cell);
}

} // namespace

int EnumeratePageFonts(int j)
{
    FreeFontList();
    if (j < 0 || j >= PageFontCount)
        return 0;
    std::vector<platform::GlyphFaceInfo> installed = platform::ListGlyphFaces(PageFontKinds[j].language);
    std::vector<FontFaceEntry>& faces = MutablePageFonts.faceList.faces;
    for (const platform::GlyphFaceInfo& face : installed) {
        if (static_cast<unsigned char>(face.family[0]) <= '@')  // vertical faces begin with an at sign
            continue;
        FontFaceEntry entry;
        entry.rank = platform::GlyphFaceMatches(PageFontKinds[j].defaultFace, face.family) ? 3
                     : face.monospaced                                                  ? 1
                                                                                        : 2;
        std::snprintf(entry.name, sizeof entry.name, "%s", face.family);
        // After every entry of equal or higher rank.
        auto at = faces.begin();
        while (at != faces.end() && at->rank >= entry.rank)
            ++at;
        faces.insert(at, entry);
    }
    if (faces.empty())
        return 0;
    if (faces.size() > size_t(MaxFontFaces))
        faces.resize(size_t(MaxFontFaces));
    MutablePageFonts.faceList.chosen = 0;
    for (size_t i = 0; i < faces.size(); ++i)
        if (platform::GlyphFaceMatches(ConfiguredFace(j), faces[i].name) ||
            std::strcmp(ConfiguredFace(j), faces[i].name) == 0) {
            MutablePageFonts.faceList.chosen = static_cast<int>(i);
            break;
        }
    return 1;
}

void FreeFontList() { MutablePageFonts.faceList = FontFaceListRecord{}; }

void CreatePageFont(int j)
{
    CodePage* page = PageOfFont(j);
    platform::CloseGlyphFont(MutablePageFonts.fonts[j]);
    MutablePageFonts.fonts[j] = nullptr;
    if (page != nullptr)
        page->font = nullptr;
    FontFaceListRecord& list = MutablePageFonts.faceList;
    if (page == nullptr || list.faces.empty())
        return;
    if (list.chosen < 0 || list.chosen >= static_cast<int>(list.faces.size()))
        list.chosen = 0;
    const char* face = list.faces[size_t(list.chosen)].name;
    platform::GlyphFont* font =
        platform::OpenGlyphFont(face, PageFontKinds[j].language, ConfiguredWeight(j), FontCellPixels);
    if (font == nullptr) {
        LogPrintf("could not create font : %s", PageFontKinds[j].charsetName);
        return;
    }
    int first = 0, last = 0;
    if (!MeasureInkRows(font, first, last)) {
        LogPrintf("no ink in E : %s", PageFontKinds[j].charsetName);
        platform::CloseGlyphFont(font);
        return;
    }
    const int height = last - first + 1;
    const float k = LetterEHeightPart / static_cast<float>(height);
    page->cellHeight = height;
    page->topFactor = static_cast<float>(first - 3) * k;
    page->bottomFactor = static_cast<float>(CacheCellUsedRows - (first - 3)) * k;
    page->fontIndex = j;
    page->font = font;
    MutablePageFonts.fonts[j] = font;
    EditSettings([j, face](SettingsRecord& settings) {
        char* faces[PageFontCount] = {settings.fnJ, settings.fnH, settings.fnS, settings.fnK};
        std::snprintf(faces[j], sizeof settings.fnJ, "%s", face);
    });
}

void PreparePageFonts()
{
    for (int j = 0; j < PageFontCount; ++j) {
        if (EnumeratePageFonts(j)) {
            CreatePageFont(j);
            FreeFontList();
        } else {
            LogPrintf("%s %s", "no fonts available :", PageFontKinds[j].charsetName);
        }
    }
    for (int i = 0; i < CacheCellPixels * CacheCellPixels; ++i) {
        uint8_t* pixel = &MutablePageFonts.staging[i * 4];
        pixel[0] = pixel[1] = pixel[2] = 255;
        pixel[3] = 0;
    }
}

void FreePageFonts()
{
    for (int j = 0; j < PageFontCount; ++j) {
        platform::CloseGlyphFont(MutablePageFonts.fonts[j]);
        MutablePageFonts.fonts[j] = nullptr;
        if (CodePage* page = PageOfFont(j))
            page->font = nullptr;
    }
    FreeFontList();
}

DoubleByteGlyph LookUpDoubleByteGlyph(int leadByte, int trailByte)
{
    DoubleByteGlyph glyph;
    const CodePage* page = CurrentCodePage;
    const CharEntry* lead = page != nullptr && leadByte >= 32 && leadByte < 256 ? &page->chars[leadByte - 32] : nullptr;
    if (trailByte < FirstTrailByte || page == nullptr || page->font == nullptr || lead == nullptr ||
        !(lead->flags & CharLeadWithPage) || lead->glyph >= MutableCharacterMap.extraPageCount) {
        glyph.slot = NoFontSlot;
        return glyph;
    }
    ExtraChar& character = MutableCharacterMap.extraPages[lead->glyph].chars[trailByte - FirstTrailByte];
    if (character.unicode == 0 || character.pixelWidth == 255) {
        glyph.slot = NoCharacterSlot;
        return glyph;
    }
    if (character.pixelWidth == 0) {
        const int width = platform::GlyphAdvance(page->font, character.unicode);
        if (width < 1 || width > MaxMeasuredWidth) {
            character.pixelWidth = 255;
            glyph.slot = NoCharacterSlot;
            return glyph;
        }
        character.pixelWidth = static_cast<uint8_t>(width < CacheCellUsedRows ? width : CacheCellUsedRows);
    }
    glyph.pixelWidth = character.pixelWidth;
    glyph.fontUnits = static_cast<float>(character.pixelWidth) * 7.0f / static_cast<float>(page->cellHeight);
    glyph.cell = character.cacheCell;
    glyph.extraPage = lead->glyph;
    glyph.trailIndex = trailByte - FirstTrailByte;
    glyph.page = page;
    return glyph;
}

void MarkCacheCellUsed(int cell)
{
    CharCache* cache = cell >= 0 ? MutableCharacterMap.caches[cell / CacheCellCount] : nullptr;
    if (cache == nullptr)
        return;
    CacheCell& used = cache->cells[cell % CacheCellCount];
    if (used.age != CellAgeUsedThisFrame) {
        used.age = CellAgeUsedThisFrame;
        cache->inUse++;
    }
}

int CountCharCaches()
{
    int count = 0;
    while (count < CharCacheCount && MutableCharacterMap.caches[count] != nullptr)
        ++count;
    return count;
}

Material* CharCacheMaterial(int cache)
{
    return cache >= 0 && cache < CharCacheCount && MutableCharacterMap.caches[cache] ? MutableCharacterMap.caches[cache]->material
                                                                              : nullptr;
}

int CreateCharCache(int& count)
{
    int best = -1;
    for (int i = 0; i < count; ++i)
        if (best < 0 || MutableCharacterMap.caches[i]->inUse < MutableCharacterMap.caches[best]->inUse)
            best = i;
    if (best >= 0 && MutableCharacterMap.caches[best]->inUse < CacheCellCount) {
        MutablePageFonts.cachesFullReported = false;
        return best;
    }
    if (count >= CharCacheCount) {
        // Said once while the condition lasts, not every frame.
        if (!MutablePageFonts.cachesFullReported)
            PrintError(GetText(TX_3q_cachfull));
        MutablePageFonts.cachesFullReported = true;
        return -1;
    }
    char name[TextureNameLength + 1];
    std::snprintf(name, sizeof name, "CACHE%dAONLY", count);
    TextureRecord* texture = nullptr;
    if (CreateNamedTexture(name, CacheTextureSize, CacheTextureSize, platform::FmtA4R4G4B4, 0, 0, 1, 0, &texture) != 0 ||
        texture == nullptr || texture->texture == nullptr) {
        if (texture != nullptr)
            FreeTexture(texture);
        PrintMessagePair(GetText(TX_3q_cantcrt_), name, 9);
        return -1;
    }
    CharCache* cache = new CharCache;
    cache->texture = texture;
    cache->material = CreateMaterial(texture, 0, 0, 1, 0, nullptr);
    MutableCharacterMap.caches[count] = cache;
    return count++;
}

void AddUnknown(int& count)
{
    GlyphQueue& queue = CurrentGlyphQueue();
    int index = CreateCharCache(count);
    if (index < 0)
        return;
    for (int g = 0; g < queue.count && queue.uncached > 0; ++g) {
        GlyphQuad& glyph = queue.glyphs[size_t(g)];
        if (glyph.glyph != -1 || glyph.texture != UncachedTexture)
            continue;
        CharCache& cache = *MutableCharacterMap.caches[index];
        const int cell = OldestCell(cache);
        if (cell < 0) {
            if (!MutablePageFonts.noOldCellReported)
                PrintError("Could not find an old slot");
            MutablePageFonts.noOldCellReported = true;
            return;
        }
        MutablePageFonts.noOldCellReported = false;
        CacheCell& place = cache.cells[cell];
        const int cellNumber = index * CacheCellCount + cell;
        if (place.age != 0) {
            ExtraChar& previous = CharOfCell(place);
            if (previous.cacheCell == cellNumber)
                previous.cacheCell = -1;
            else
                PrintError("Extra page character does not refer to this slot");
        }
        place.extraPage = glyph.extraPage;
        place.trail = glyph.trail;
        place.age = CellAgeUsedThisFrame;
        CharOfCell(place).cacheCell = static_cast<int16_t>(cellNumber);
        DrawIntoCell(cache, cell, glyph);
        cache.inUse++;
        // This glyph and every later one of the same character take the cell.
        for (int later = g; later < queue.count; ++later) {
            GlyphQuad& same = queue.glyphs[size_t(later)];
            if (same.glyph != -1 || same.texture != UncachedTexture || same.extraPage != glyph.extraPage ||
                same.trail != glyph.trail)
                continue;
            if (!same.placeholder)
                same.texture = static_cast<uint8_t>(FirstCacheTexture + index);
            same.glyph = static_cast<int16_t>(cellNumber);
            queue.uncached--;
        }
        if (queue.uncached <= 0) {
            AgeCache(cache);
            return;
        }
        if (cache.inUse >= CacheCellCount) {
            AgeCache(cache);
            index = CreateCharCache(count);
            if (index < 0)
                return;
        }
    }
}

void EndCharCacheFrame()
{
    for (CharCache* cache : MutableCharacterMap.caches) {
        if (cache == nullptr)
            break;
        cache->inUse = 0;
        for (CacheCell& cell : cache->cells)
            if (cell.age == CellAgeUsedThisFrame)
                cell.age = CellAgeUsedThisFrame - 1;
    }
}

void ReleaseCharCacheTextures()
{
    for (CharCache* cache : MutableCharacterMap.caches) {
        if (cache == nullptr)
            break;
        FreeMaterialAndTexture(cache->material);
        cache->texture = nullptr;
    }
}

void FreeCharCaches()
{
    for (CharCache*& cache : MutableCharacterMap.caches) {
        delete cache;
        cache = nullptr;
    }
    for (int x = 0; x < MutableCharacterMap.extraPageCount; ++x)
        for (ExtraChar& character : MutableCharacterMap.extraPages[x].chars) {
            character.cacheCell = -1;
            character.pixelWidth = 0;
        }
    EmptyGlyphQueues();
    MutablePageFonts.cachesFullReported = false;
    MutablePageFonts.noOldCellReported = false;
}
