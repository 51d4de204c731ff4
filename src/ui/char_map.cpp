// The character-map file "data\abc\qvn.abc": the vector font's glyph slots,
// the code pages and the double-byte pages' extra pages, read whole into
// fresh tables, checked, and only then put in place.
#include <cmath>
#include <memory>
#include <utility>

#include "ui/local.h"

CharacterMapRecord MutableCharacterMap;
const CharacterMapRecord& CharacterMap = MutableCharacterMap;

namespace {

constexpr int PageRecordSize = 4 + 4 * CodePageCharCount;
constexpr int ExtraPageRecordSize = 2 * ExtraPageCharCount;

bool IsFinite(float value)
{
    return std::isfinite(value);
}

// Reads one glyph record; every index must name an existing point or
// edge, every number must be finite and every edge a curve rests on must
// have a length. Returns 0 at the first fault.
int ReadGlyph(GlyphSlot& g, DataFile& reader)
{
    if (!ReadFloatPairTable(g, reader))
        return 0;
    for (int i = 0; i < g.count; i++)
        if (!IsFinite(g.pairs[i].x) || !IsFinite(g.pairs[i].y))
            return 0;
    g.edgeCount = static_cast<uint8_t>(ReadByte(reader));
    g.triangleCount = static_cast<uint8_t>(ReadByte(reader));
    g.ellipseCount = static_cast<uint8_t>(ReadByte(reader));
    g.curveCount = static_cast<uint8_t>(ReadByte(reader));
    if (reader.Overran())
        return 0;
    auto point = [&](int index) { return index < g.count; };
    g.edges = g.edgeCount ? new GlyphEdge[g.edgeCount] : nullptr;
    for (int i = 0; i < g.edgeCount; i++) {
        GlyphEdge& e = g.edges[i];
        e.first = static_cast<uint8_t>(ReadByte(reader));
        e.second = static_cast<uint8_t>(ReadByte(reader));
        ReadShort(reader);
        if (!point(e.first) || !point(e.second))
            return 0;
    }
    g.triangles = g.triangleCount ? new GlyphTriangle[g.triangleCount] : nullptr;
    for (int i = 0; i < g.triangleCount; i++) {
        GlyphTriangle& t = g.triangles[i];
        for (uint8_t& p : t.points) {
            p = static_cast<uint8_t>(ReadByte(reader));
            if (!point(p))
                return 0;
        }
        ReadByte(reader);
    }
    g.ellipses = g.ellipseCount ? new GlyphEllipse[g.ellipseCount] : nullptr;
    for (int i = 0; i < g.ellipseCount; i++) {
        GlyphEllipse& e = g.ellipses[i];
        e.centre = static_cast<uint8_t>(ReadByte(reader));
        ReadByte(reader);
        e.radiusX = static_cast<uint8_t>(ReadByte(reader));
        e.radiusY = static_cast<uint8_t>(ReadByte(reader));
        if (!point(e.centre))
            return 0;
    }
    g.curves = g.curveCount ? new GlyphCurve[g.curveCount] : nullptr;
    for (int i = 0; i < g.curveCount; i++) {
        GlyphCurve& c = g.curves[i];
        c.edgeA = static_cast<uint8_t>(ReadByte(reader));
        c.edgeB = static_cast<uint8_t>(ReadByte(reader));
        c.flagA = static_cast<uint8_t>(ReadByte(reader));
        c.flagB = static_cast<uint8_t>(ReadByte(reader));
        c.sides[0].angleA = ReadFloat(reader);
        c.sides[0].angleB = ReadFloat(reader);
        c.sides[1].angleA = ReadFloat(reader);
        c.sides[1].angleB = ReadFloat(reader);
        if (c.edgeA >= g.edgeCount || c.edgeB >= g.edgeCount)
            return 0;
        for (int edge : {c.edgeA, c.edgeB}) {
            const FloatPair& a = g.pairs[g.edges[edge].first];
            const FloatPair& b = g.pairs[g.edges[edge].second];
            if (a.x == b.x && a.y == b.y)
                return 0;  // no width across the stroke there
        }
    }
    ReadBlock(reader, g.console, sizeof g.console);
    return reader.Overran() ? 0 : 1;
}

// Whatever preparing the glyph computed must be finite too (an end angle
// near a right angle makes an endless slope).
bool GlyphIsFinite(const GlyphSlot& g)
{
    if (!IsFinite(g.width))
        return false;
    for (int i = 0; i < g.curveCount; i++)
        for (const GlyphCurveSide& side : g.curves[i].sides)
            for (float k : side.cubic)
                if (!IsFinite(k))
                    return false;
    return true;
}

// Moves a glyph's arrays and values into another slot.
void MoveGlyph(GlyphSlot& to, GlyphSlot& from)
{
    to.Free();
    to.count = from.count;
    to.pairs = std::exchange(from.pairs, nullptr);
    to.edgeCount = from.edgeCount;
    to.triangleCount = from.triangleCount;
    to.ellipseCount = from.ellipseCount;
    to.curveCount = from.curveCount;
    to.edges = std::exchange(from.edges, nullptr);
    to.triangles = std::exchange(from.triangles, nullptr);
    to.ellipses = std::exchange(from.ellipses, nullptr);
    to.curves = std::exchange(from.curves, nullptr);
    to.consoleWidth = from.consoleWidth;
    to.width = from.width;
    to.texture = from.texture;
    to.uLeft = from.uLeft;
    to.uRight = from.uRight;
    to.vTop = from.vTop;
    to.vBottom = from.vBottom;
    std::copy(std::begin(from.console), std::end(from.console), to.console);
    from.Free();
}

// Why the last character map was refused, for LoadCharacterMap's caller.
const char* LastRefusal = nullptr;

int RefuseCharacterMap(const char* path, const char* what)
{
    LogPrintf("LoadCharacterMap : %s : %s", what, DisplayPath(path).c_str());
    LastRefusal = what;
    return 0;
}

} // namespace

GlyphSlot::~GlyphSlot()
{
    GlyphSlot::Free();
}

void GlyphSlot::Free()
{
    delete[] edges;
    delete[] triangles;
    delete[] ellipses;
    delete[] curves;
    edges = nullptr;
    triangles = nullptr;
    ellipses = nullptr;
    curves = nullptr;
    edgeCount = triangleCount = ellipseCount = curveCount = 0;
    FreeFloatPairTable(*this);
}

int LoadCharacterMap(const char* path, const char** reason)
{
    DataFile reader;
    int version = 0;
    const char* error = LoadDataFile(reader, nullptr, path, CharMapMagic, version, CharMapVersion, false);
    if (!reader.IsOpen()) {
        if (reason != nullptr)
            *reason = error;
        return 0;
    }
    LastRefusal = nullptr;
    if (ReadCharacterMap(reader, version, path))
        return 1;
    if (reason != nullptr)
        *reason = LastRefusal != nullptr ? LastRefusal : "bad record";
    return 0;
}

int ReadCharacterMap(DataFile& reader, int version, const char* path)
{
    // Counts are checked against the bytes left, which only a file held in
    // memory knows.
    if (reader.mode == DataFileStream)
        return RefuseCharacterMap(path, "file not held in memory");
    if (version < CharMapVersion)
        return RefuseCharacterMap(path, "version below 251");

    // Everything is read into fresh tables first.
    auto glyphs = std::make_unique<GlyphSlot[]>(GlyphSlotCount);
    int glyphCount = ReadInt(reader);
    if (glyphCount < 0 || glyphCount > GlyphSlotCount || reader.Overran())
        return RefuseCharacterMap(path, "bad glyph count");
    for (int i = 0; i < glyphCount; i++)
        if (!ReadGlyph(glyphs[i], reader))
            return RefuseCharacterMap(path, "bad glyph record");
    for (int i = 0; i < GlyphSlotCount; i++) {
        PrepareGlyphSlot(glyphs.get(), i);
        if (!GlyphIsFinite(glyphs[i]))
            return RefuseCharacterMap(path, "bad glyph shape");
    }

    int pageCount = ReadInt(reader);
    if (!DataFileHolds(reader, pageCount, PageRecordSize))
        return RefuseCharacterMap(path, "bad code page count");
    std::unique_ptr<CodePage[]> pages(pageCount ? new CodePage[pageCount] : nullptr);
    for (int p = 0; p < pageCount; p++) {
        pages[p].number = static_cast<uint16_t>(ReadInt(reader));
        for (CharEntry& entry : pages[p].chars) {
            entry.glyph = static_cast<uint16_t>(ReadShort(reader));
            entry.overlay = static_cast<uint8_t>(ReadByte(reader));
            entry.flags = static_cast<uint8_t>(ReadByte(reader));
        }
    }
    int extraCount = ReadInt(reader);
    if (reader.Overran() || !DataFileHolds(reader, extraCount, ExtraPageRecordSize))
        return RefuseCharacterMap(path, "bad extra page count");
    std::unique_ptr<ExtraPage[]> extras(extraCount ? new ExtraPage[extraCount] : nullptr);
    for (int x = 0; x < extraCount; x++)
        for (ExtraChar& c : extras[x].chars)
            c.unicode = static_cast<uint16_t>(ReadShort(reader));
    if (reader.Overran())
        return RefuseCharacterMap(path, "file ends early");

    // Every glyph and extra page a byte names must exist.
    for (int p = 0; p < pageCount; p++) {
        for (int b = 0; b < CodePageCharCount; b++) {
            const CharEntry& entry = pages[p].chars[b];
            bool leadWithPage = (entry.flags & CharLeadWithPage) && b + 32 >= 128;
            if (leadWithPage ? entry.glyph >= extraCount : entry.glyph >= GlyphSlotCount)
                return RefuseCharacterMap(path, "byte names a glyph or page that does not exist");
        }
    }

    // Commit.
    FreeCharacterMap();
    for (int i = 0; i < GlyphSlotCount; i++)
        MoveGlyph(MutableCharacterMap.glyphs[i], glyphs[i]);
    MutableCharacterMap.codePages = pages.release();
    MutableCharacterMap.codePageCount = pageCount;
    MutableCharacterMap.searchedPageCount = pageCount < SearchedCodePages ? pageCount : SearchedCodePages;
    MutableCharacterMap.extraPages = extras.release();
    MutableCharacterMap.extraPageCount = extraCount;
    for (int p = 0; p < pageCount; p++)
        for (int b = 128; b < 256; b++) {
            const CharEntry& entry = MutableCharacterMap.codePages[p].chars[b - 32];
            if (entry.flags & CharLeadWithPage)
                MutableCharacterMap.extraPages[entry.glyph].owner = &MutableCharacterMap.codePages[p];
        }
    MutableUi.currentCodePage = pageCount ? &MutableCharacterMap.codePages[0] : nullptr;
    CreateGlyphQueues();
    PreparePageFonts();
    LogLine("-----");
    return 1;
}

void FreeCharacterMap()
{
    FreePageFonts();
    FreeCharCaches();
    FreeGlyphQueues();
    delete[] MutableCharacterMap.extraPages;
    MutableCharacterMap.extraPages = nullptr;
    MutableCharacterMap.extraPageCount = 0;
    delete[] MutableCharacterMap.codePages;
    MutableCharacterMap.codePages = nullptr;
    MutableCharacterMap.codePageCount = 0;
    MutableCharacterMap.searchedPageCount = 0;
    MutableUi.currentCodePage = nullptr;
    for (GlyphSlot& glyph : MutableCharacterMap.glyphs) {
        glyph.Free();
        glyph.width = 0;
        glyph.consoleWidth = 0;
        glyph.texture = 0;
        glyph.uLeft = glyph.uRight = glyph.vTop = glyph.vBottom = 0;
    }
}
