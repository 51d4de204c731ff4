// World textures: the list in the world file, the average and draw colours
// from the colour map, and the name rules the drawing and the mesh builder
// read (blended, alpha-tested, sky and environment textures).
#include <cstring>

#include "world/local.h"

namespace {

// Bytes of a record without its palette, columns and colour map.
constexpr int TextureFixedBytes = 16 + 16 + 4 + 4 + 4 + 4 + 4 + 4 + 4 * 4 + 4;

bool ReadTexture(WorldTexture& t, RecordReading& in)
{
    DataFile& r = in.reader;
    if (!in.Fits(1, TextureFixedBytes))
        return false;
    ReadBlock(r, t.name, WorldTextureNameSize);
    ReadBlock(r, t.textureName, WorldTextureNameSize);
    t.name[WorldTextureNameSize - 1] = 0;
    t.textureName[WorldTextureNameSize - 1] = 0;
    t.tint = ReadColourRecord(r);
    t.rows = ReadInt(r);
    t.repeat = ReadInt(r);
    t.scaleS = static_cast<uint8_t>(ReadByte(r));
    t.scaleT = static_cast<uint8_t>(ReadByte(r));
    t.offsetS = static_cast<uint8_t>(ReadByte(r));
    t.offsetT = static_cast<uint8_t>(ReadByte(r));
    const int32_t paletteCount = ReadInt(r);
    if (paletteCount < 0 || paletteCount > MaxTexturePalette || !in.Fits(paletteCount, 4))
        return in.Fail("a world texture's palette count is out of range");
    t.palette.resize(size_t(paletteCount));
    for (ColourRecord& c : t.palette)
        c = ReadColourRecord(r);
    const int32_t columns = ReadInt(r);
    if (columns < 0 || columns > MaxTextureColumns || !in.Fits(columns, 4))
        return in.Fail("a world texture's column count is out of range");
    t.columnEnds.resize(size_t(columns));
    for (int32_t& end : t.columnEnds)
        end = ReadInt(r);
    if (t.rows < 0 || int64_t(t.rows) * columns > MaxTextureMapEntries || !in.Fits(int64_t(t.rows) * columns, 4))
        return in.Fail("a world texture's colour map does not fit");
    t.colourMap.resize(size_t(t.rows) * size_t(columns));
    for (int32_t& entry : t.colourMap)
        entry = ReadInt(r);
    t.surfaceKind = ReadInt(r);
    t.orientation = ReadInt(r);
    t.flags = ReadInt(r) & TextureFlagsKept;
    for (uint8_t& b : t.bump)
        b = static_cast<uint8_t>(ReadByte(r));
    if (t.surfaceKind < 0 || t.surfaceKind >= SurfaceKindCount)
        return in.Fail("a world texture's surface kind is out of range");
    if (t.orientation < 0 || t.orientation > 7)
        return in.Fail("a world texture's orientation is out of range");
    // Fences are of the fence kind whatever the file says.
    if (t.surfaceKind != FenceSurfaceKind &&
        (StartsWithAscii(t.name, "fence") || SameNameAscii(t.name, "BIN_L_A", WorldTextureNameSize)))
        t.surfaceKind = FenceSurfaceKind;
    return !r.Overran() || in.Fail("a world texture runs past the end of the file");
}

} // namespace

ColourRecord ReadColourRecord(DataFile& reader)
{
    ColourRecord c;
    c.r = static_cast<uint8_t>(ReadByte(reader));
    c.g = static_cast<uint8_t>(ReadByte(reader));
    c.b = static_cast<uint8_t>(ReadByte(reader));
    c.flags = static_cast<uint8_t>(ReadByte(reader));
    return c;
}

void WriteColourRecord(DataFile& writer, const ColourRecord& c)
{
    WriteByte(writer, c.r);
    WriteByte(writer, c.g);
    WriteByte(writer, c.b);
    WriteByte(writer, c.flags);
}

bool ReadWorldTextureList(std::vector<WorldTexture>& list, RecordReading& in)
{
    list.clear();
    const int32_t count = ReadInt(in.reader);
    if (count < 0 || count > MaxWorldTextures)
        return in.Fail("the world texture count is out of range");
    list.resize(size_t(count));
    for (WorldTexture& texture : list) {
        if (!ReadTexture(texture, in)) {
            list.clear();
            return false;
        }
    }
    return true;
}

void WriteWorldTextureList(const std::vector<WorldTexture>& list, DataFile& writer)
{
    WriteInt(writer, static_cast<int32_t>(list.size()));
    for (const WorldTexture& t : list) {
        WriteFixedString(writer, t.name, WorldTextureNameSize);
        WriteFixedString(writer, t.textureName, WorldTextureNameSize);
        WriteColourRecord(writer, t.tint);
        WriteInt(writer, t.rows);
        WriteInt(writer, t.repeat);
        WriteByte(writer, t.scaleS);
        WriteByte(writer, t.scaleT);
        WriteByte(writer, t.offsetS);
        WriteByte(writer, t.offsetT);
        WriteInt(writer, static_cast<int32_t>(t.palette.size()));
        for (const ColourRecord& c : t.palette)
            WriteColourRecord(writer, c);
        WriteInt(writer, static_cast<int32_t>(t.columnEnds.size()));
        for (int32_t end : t.columnEnds)
            WriteInt(writer, end);
        for (int32_t entry : t.colourMap)
            WriteInt(writer, entry);
        WriteInt(writer, t.surfaceKind);
        WriteInt(writer, t.orientation);
        WriteInt(writer, t.flags & TextureFlagsKept);
        for (uint8_t b : t.bump)
            WriteByte(writer, b);
    }
}

void ComputeWorldTextureColours(std::vector<WorldTexture>& list, int packed)
{
    for (WorldTexture& t : list) {
        uint8_t unlit = 0;
        for (const ColourRecord& c : t.palette)
            unlit |= c.flags & 1;
        int64_t sum[3] = {};
        bool added = false;
        const size_t columns = t.columnEnds.size();
        auto add = [&](int32_t index, int64_t width) {
            if (index == NoPaletteEntry || index < 0 || size_t(index) >= t.palette.size())
                return;
            const ColourRecord& c = t.palette[size_t(index)];
            sum[0] += (int64_t(c.r) * width) >> 16;
            sum[1] += (int64_t(c.g) * width) >> 16;
            sum[2] += (int64_t(c.b) * width) >> 16;
            added = true;
        };
        // The colour map holds rows x columns entries: without columns a
        // damaged file's row count, however large, has nothing to add.
        const int32_t rows = columns > 0 ? t.rows : 0;
        for (int32_t row = 0; row < rows; row++) {
            int32_t start = 0;
            for (size_t c = 0; c < columns; c++) {
                const int64_t width = int64_t(t.columnEnds[c]) - start;
                start = t.columnEnds[c];
                const int32_t entry = t.colourMap[size_t(row) * columns + c];
                if (packed) {
                    for (int k = 0; k < 4; k++)
                        add((static_cast<uint32_t>(entry) >> (8 * k)) & 0xFF, width);
                } else {
                    add(entry, width);
                }
            }
        }
        t.flags = added ? (t.flags | TextureFlagColoured) : (t.flags & TextureFlagsKept);
        // A texture without colour map rows stays black.
        const int64_t divisor = int64_t(t.rows) * (packed ? 2 : 1);
        t.average = {};
        if (divisor > 0) {
            t.average.r = static_cast<uint8_t>(sum[0] / divisor);
            t.average.g = static_cast<uint8_t>(sum[1] / divisor);
            t.average.b = static_cast<uint8_t>(sum[2] / divisor);
        }
        t.average.flags = unlit;
        UpdateWorldTextureColour(t);
    }
}

void UpdateWorldTextureColour(WorldTexture& t)
{
    t.drawColour.r = static_cast<uint8_t>((t.average.r * t.tint.r) >> 8);
    t.drawColour.g = static_cast<uint8_t>((t.average.g * t.tint.g) >> 8);
    t.drawColour.b = static_cast<uint8_t>((t.average.b * t.tint.b) >> 8);
    t.drawColour.flags = t.average.flags & 1;
}

void LoadWorldTexture(WorldTexture& t)
{
    t.blended = t.alphaTested = t.special = 0;
    t.material = nullptr;
    if (SameNameAscii(t.textureName, "s_sky", WorldTextureNameSize) ||
        SameNameAscii(t.textureName, "s_env", WorldTextureNameSize)) {
        t.special = 1;
    } else if (std::strlen(t.textureName) > 5) {
        if (EndsWithAscii(t.textureName, "DUZEZ") || EndsWithAscii(t.textureName, "ALP15") ||
            EndsWithAscii(t.textureName, "ALP24"))
            t.blended = 1;
        else if (EndsWithAscii(t.textureName, "ATEST"))
            t.alphaTested = 1;
    }
    if (ProgramMode.graphicsOn && !t.special && t.textureName[0])
        t.material = GetWorldDrawHooks().getMaterialTexture(t.textureName, 0, 0, 0, nullptr);
    UpdateWorldTextureColour(t);
}
