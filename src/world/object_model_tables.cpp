// Object model tables: texture and surface ordering, colour grid
// resolution, mirroring, driver-side swaps and clock textures.
#include <cstring>
#include <utility>

#include "world/local.h"

namespace {

// The dashboard clocks, by clock kind 1..6.
constexpr const char* ClockTextureNames[6] = {
    "s_clock", "s_clock_white", "s_clock_formula", "s_clock_n1", "s_clock_f3", "s_clock_kta",
};

// The built-in textures that the graphics code draws itself (the mirror,
// the clocks and the number plates): their mappings mirror as they are.
bool IsSpecialTextureName(const char* name)
{
    if (SameNameAscii(name, "s_mirr", 24) || SameNameAscii(name, "s_plate", 24) ||
        SameNameAscii(name, "s_plate_atest", 24))
        return true;
    for (const char* clock : ClockTextureNames) {
        if (SameNameAscii(name, clock, 24))
            return true;
    }
    return false;
}

int SurfaceSortKey(const ModelSurface& s)
{
    return s.texture * 2 + ((s.flags & 1) ? 0 : 1);
}

void SwapSurfaceTextureIndexes(ObjectModel& model, int a, int b)
{
    for (ModelSurface& s : model.surfaces) {
        if (s.texture == a)
            s.texture = static_cast<uint8_t>(b);
        else if (s.texture == b)
            s.texture = static_cast<uint8_t>(a);
    }
}

void SwapMappingSurfaceIndexes(ObjectModel& model, int a, int b)
{
    for (TextureMapping& m : model.mappings) {
        for (int32_t& surface : m.surface) {
            if (surface == a)
                surface = b;
            else if (surface == b)
                surface = a;
        }
    }
}

} // namespace

int GetDuzezKind(const char* name)
{
    size_t length = strnlen(name, 24);
    if (length <= 5)
        return 0;
    const char* last = name + length - 5;
    if (SameNameAscii(last, "ATEST", 5))
        return 1;
    if (SameNameAscii(last, "DUZEZ", 5) || SameNameAscii(last, "ALP15", 5) ||
        SameNameAscii(last, "ALP24", 5))
        return StartsWithAscii(name, "s_") ? 3 : 2;
    return 0;
}

void SortModelTables(ObjectModel& model)
{
    // Duplicate textures: later copies go, their surfaces point at the first.
    for (size_t i = 0; i < model.textures.size(); i++) {
        for (size_t j = i + 1; j < model.textures.size();) {
            if (!SameNameAscii(model.textures[i].name, model.textures[j].name, 24)) {
                j++;
                continue;
            }
            model.textures.erase(model.textures.begin() + static_cast<std::ptrdiff_t>(j));
            for (ModelSurface& s : model.surfaces) {
                if (s.texture == j)
                    s.texture = static_cast<uint8_t>(i);
                else if (s.texture > j)
                    s.texture--;
            }
        }
    }
    // Textures by alpha kind, stable.
    for (size_t i = 1; i < model.textures.size(); i++) {
        for (size_t j = i; j > 0 && GetDuzezKind(model.textures[j - 1].name) >
                                        GetDuzezKind(model.textures[j].name);
             j--) {
            std::swap(model.textures[j - 1], model.textures[j]);
            SwapSurfaceTextureIndexes(model, int(j - 1), int(j));
        }
    }
    // Surfaces by texture, the non-reflecting ones first, stable.
    for (size_t i = 1; i < model.surfaces.size(); i++) {
        for (size_t j = i; j > 0 && SurfaceSortKey(model.surfaces[j - 1]) >
                                        SurfaceSortKey(model.surfaces[j]);
             j--) {
            std::swap(model.surfaces[j - 1], model.surfaces[j]);
            SwapMappingSurfaceIndexes(model, int(j - 1), int(j));
        }
    }
}

void ResolveCellGrid(CellGrid& grid, int row)
{
    for (int r = 0; r < grid.rows; r++) {
        for (int c = 0; c < grid.columns; c++) {
            const GridCell master = grid.At(r, c);
            if ((master.code[0] != 'M' && master.code[0] != 'm') || master.code[1] < '1' ||
                master.code[1] > '9')
                continue;
            for (int k = 0; k < grid.columns; k++) {
                GridCell& cell = grid.At(r, k);
                if (cell.code[1] != master.code[1])
                    continue;
                switch (cell.code[0]) {
                case 'C':
                case 'c':
                    cell.red = master.red;
                    cell.green = master.green;
                    cell.blue = master.blue;
                    cell.flags = master.flags;
                    break;
                case 'D':
                case 'd':
                    cell.red = static_cast<uint8_t>(master.red * 3 / 5);
                    cell.green = static_cast<uint8_t>(master.green * 3 / 5);
                    cell.blue = static_cast<uint8_t>(master.blue * 3 / 5);
                    break;
                case 'E':
                case 'e':
                    cell.red = static_cast<uint8_t>(master.red * 2 / 5);
                    cell.green = static_cast<uint8_t>(master.green * 2 / 5);
                    cell.blue = static_cast<uint8_t>(master.blue * 2 / 5);
                    break;
                default:
                    break;
                }
            }
        }
    }
    if (row < 0 || row >= grid.rows)
        return;
    for (int c = 0; c < grid.columns; c++) {
        const GridCell source = grid.At(row, c);
        char letter = source.code[0];
        bool shared = letter == 'G' || letter == 'g' || letter == 'K' || letter == 'k' ||
                      letter == 'L' || letter == 'l';
        if (!shared || source.code[1] != '_')
            continue;
        for (int r = 0; r < grid.rows; r++) {
            GridCell& cell = grid.At(r, c);
            cell.red = source.red;
            cell.green = source.green;
            cell.blue = source.blue;
            cell.flags = source.flags;
        }
    }
}

void MirrorTextureMapping(ObjectModel& model, TextureMapping& mapping)
{
    bool special = StartsWithAscii(mapping.name, "U_");
    if (!special && mapping.surface[0] >= 0 && size_t(mapping.surface[0]) < model.surfaces.size()) {
        const ModelSurface& surface = model.surfaces[size_t(mapping.surface[0])];
        if (surface.texture < model.textures.size()) {
            const ModelTexture& texture = model.textures[surface.texture];
            special = (texture.flags & 1) || IsSpecialTextureName(texture.name);
        }
    }
    const int kind = mapping.kind;
    const bool sideways = kind == 1 || kind == 2 || kind == 5 || kind == 6;
    if (special) {
        if (sideways) {
            int32_t sMin = mapping.sMin;
            mapping.sMin = static_cast<int32_t>(0u - static_cast<uint32_t>(mapping.sMax));
            mapping.sMax = static_cast<int32_t>(0u - static_cast<uint32_t>(sMin));
        } else {
            std::swap(mapping.surface[0], mapping.surface[1]);
        }
    } else if (sideways) {
        mapping.rotation = static_cast<int8_t>(-mapping.rotation);
        mapping.sMin = static_cast<int32_t>(0u - static_cast<uint32_t>(mapping.sMin));
        mapping.sMax = static_cast<int32_t>(0u - static_cast<uint32_t>(mapping.sMax));
    }
}

void MirrorObjectModel(ObjectModel& model)
{
    model.roll = static_cast<int16_t>(-model.roll);
    model.heading = static_cast<int16_t>(-model.heading);
    model.offset.x = -model.offset.x;
    for (ModelPoint& p : model.points)
        p.position.x = -p.position.x;
    for (ModelTriangle& t : model.triangles)
        std::swap(t.points[1], t.points[2]);
    for (TextureMapping& m : model.mappings)
        MirrorTextureMapping(model, m);
    for (ObjectModel& sub : model.subModels)
        MirrorObjectModel(sub);
}

void SwapDriverSide(ObjectModel& model)
{
    for (ModelTriangle& t : model.triangles) {
        if (!(t.flags & TriangleFlagDriverSide) || (t.flags & TriangleFlagSymmetric))
            continue;
        if (model.grid.rows > 0 && t.column < model.grid.columns) {
            uint16_t mapping = model.grid.At(0, t.column).mapping;
            if (mapping < model.mappings.size())
                model.mappings[mapping].mark = 1;
        }
        t.points[0] ^= PointTwinBit;
        std::swap(t.points[1], t.points[2]);
        t.points[1] ^= PointTwinBit;
        t.points[2] ^= PointTwinBit;
    }
    for (TextureMapping& m : model.mappings) {
        if (m.mark) {
            MirrorTextureMapping(model, m);
            m.mark = 0;
        }
    }
    for (ObjectModel& sub : model.subModels) {
        if (sub.sideRule == 2)
            MirrorObjectModel(sub);
        else if (sub.sideRule == 3)
            sub.offset.x = -sub.offset.x;
    }
}

void ReplaceClockTextures(ObjectModel& model, const char* name)
{
    for (ModelTexture& t : model.textures) {
        if (!StartsWithAscii(t.name, "s_"))
            continue;
        for (const char* clock : ClockTextureNames) {
            if (SameNameAscii(t.name, clock, 24)) {
                std::memset(t.name, 0, sizeof t.name);
                std::strncpy(t.name, name, 20);
                break;
            }
        }
    }
    for (ObjectModel& sub : model.subModels)
        ReplaceClockTextures(sub, name);
}

void SetClockTextureByKind(ObjectModel& model, int kind)
{
    if (kind < 1 || kind > 6)
        return;
    ReplaceClockTextures(model, ClockTextureNames[kind - 1]);
}
