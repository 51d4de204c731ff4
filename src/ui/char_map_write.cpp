// The character-map writer: every glyph's points, edges, triangles,
// ellipses, curved strokes and console bitmap, then the code pages and the
// extra pages, as the character-map reader takes them.
#include "ui/char_map_file.h"
#include "ui/local.h"

namespace {

void WriteGlyph(const GlyphSlot& g, DataFile& w)
{
    WriteFloatPairTable(g, w);
    WriteByte(w, g.edgeCount);
    WriteByte(w, g.triangleCount);
    WriteByte(w, g.ellipseCount);
    WriteByte(w, g.curveCount);
    for (int i = 0; i < g.edgeCount; i++) {
        WriteByte(w, g.edges[i].first);
        WriteByte(w, g.edges[i].second);
        WriteShort(w, 0);  // the angle is computed when the glyph is prepared
    }
    for (int i = 0; i < g.triangleCount; i++) {
        for (uint8_t point : g.triangles[i].points)
            WriteByte(w, point);
        WriteByte(w, 0);
    }
    for (int i = 0; i < g.ellipseCount; i++) {
        const GlyphEllipse& e = g.ellipses[i];
        WriteByte(w, e.centre);
        WriteByte(w, 0);
        WriteByte(w, e.radiusX);
        WriteByte(w, e.radiusY);
    }
    for (int i = 0; i < g.curveCount; i++) {
        const GlyphCurve& c = g.curves[i];
        WriteByte(w, c.edgeA);
        WriteByte(w, c.edgeB);
        WriteByte(w, c.flagA);
        WriteByte(w, c.flagB);
        for (const GlyphCurveSide& side : c.sides) {
            WriteFloat(w, side.angleA);
            WriteFloat(w, side.angleB);
        }
    }
    WriteBlock(w, g.console, sizeof g.console);
}

} // namespace

int SaveCharacterMap(const CharacterMapContents& contents, const char* path)
{
    if (contents.glyphs.size() > size_t(GlyphSlotCount)) {
        LogPrintf("SaveCharacterMap : more glyphs than slots (%zu) : %s", contents.glyphs.size(), path);
        return 0;
    }
    DataFile writer;
    CreateDataFile(writer, nullptr, path, CharMapMagic, CharMapVersion);
    if (!writer.IsOpen())
        return 0;
    WriteInt(writer, static_cast<int>(contents.glyphs.size()));
    for (const GlyphSlot& glyph : contents.glyphs)
        WriteGlyph(glyph, writer);
    WriteInt(writer, static_cast<int>(contents.pages.size()));
    for (const CodePage& page : contents.pages) {
        WriteInt(writer, page.number);
        for (const CharEntry& entry : page.chars) {
            WriteShort(writer, entry.glyph);
            WriteByte(writer, entry.overlay);
            WriteByte(writer, entry.flags);
        }
    }
    WriteInt(writer, static_cast<int>(contents.extraPages.size()));
    for (const ExtraPage& extra : contents.extraPages)
        for (const ExtraChar& c : extra.chars)
            WriteShort(writer, c.unicode);
    return CloseDataFile(writer);
}
