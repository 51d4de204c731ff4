// Small object models for the world tests: a box with two colour rows,
// textures, surfaces and mappings, carrying a steering-wheel sub-model that
// has a sub-model of its own.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "world/services.h"

namespace fixture {

inline void Name(char* field, size_t size, const char* text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text, strnlen(text, size));
}

inline void AddPoint(ObjectModel& m, int x, int y, int z, uint8_t flags = 0, uint8_t joint = 0)
{
    ModelPoint p;
    p.flags = flags;
    p.joint = joint;
    p.position = MakeFixedVector(x, y, z);
    m.points.push_back(p);
}

inline void AddTriangle(ObjectModel& m, int a, int b, int c, int column, uint8_t flags = 0,
                        int level = 0)
{
    ModelTriangle t;
    t.flags = flags;
    t.column = static_cast<uint8_t>(column);
    t.level = static_cast<int8_t>(level);
    t.points[0] = static_cast<uint16_t>(a);
    t.points[1] = static_cast<uint16_t>(b);
    t.points[2] = static_cast<uint16_t>(c);
    m.triangles.push_back(t);
}

inline void AddTexture(ObjectModel& m, const char* name, uint8_t flags = 0)
{
    ModelTexture t;
    t.flags = flags;
    Name(flags & 1 ? t.name + 4 : t.name, 20, name);
    m.textures.push_back(t);
}

inline void AddSurface(ObjectModel& m, const char* name, int texture, uint8_t flags)
{
    ModelSurface s;
    Name(s.name, sizeof s.name, name);
    s.texture = static_cast<uint8_t>(texture);
    s.flags = flags;
    m.surfaces.push_back(s);
}

inline void AddMapping(ObjectModel& m, const char* name, int kind, int own, int mirrored,
                       int sMin = -65536, int sMax = 131072)
{
    TextureMapping t;
    Name(t.name, sizeof t.name, name);
    t.kind = static_cast<uint8_t>(kind);
    t.rotation = 20;
    t.sMin = sMin;
    t.sMax = sMax;
    t.tMin = -32768;
    t.tMax = 65536;
    t.surface[0] = own;
    t.surface[1] = mirrored;
    m.mappings.push_back(t);
}

inline void SetGrid(ObjectModel& m, int rows, int columns, int mapping = 0)
{
    m.grid.rows = rows;
    m.grid.columns = columns;
    m.grid.cells.assign(size_t(rows * columns), GridCell{});
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++) {
            GridCell& cell = m.grid.At(r, c);
            cell.red = static_cast<uint8_t>(10 * r + c);
            cell.mapping = static_cast<uint16_t>(mapping % std::max<size_t>(1, m.mappings.size()));
            Name(cell.code, sizeof cell.code, c == 0 ? "M1paint" : "C1top");
        }
}

// A box of eight points, half of them twinned, twelve triangles over two
// cell columns, already in the order the reader sorts its tables into.
inline void MakeBox(ObjectModel& m, const char* name)
{
    InitObjectModel(m);
    Name(m.name, sizeof m.name, name);
    m.levelCount = 2;
    m.levelDistance[0] = 20 << 16;
    m.levelDistance[1] = 90 << 16;
    m.groupCount = 1;
    for (int i = 0; i < 8; i++)
        AddPoint(m, (i & 1) ? 65536 : -65536, (i & 2) ? 98304 : -98304, (i & 4) ? 65536 : 0,
                 (i & 1) ? PointFlagTwin : 0);
    static const int Faces[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3},
                                    {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    int face = 0;
    for (const auto& f : Faces) {
        uint8_t flags = face == 0 ? TriangleFlagDriverSide : 0;
        AddTriangle(m, f[0], f[1], f[2], face % 2, flags, face == 5 ? 1 : 0);
        AddTriangle(m, f[0], f[2], f[3], face % 2, flags, face == 5 ? 1 : 0);
        face++;
    }
    AddTexture(m, "DEFAULT", 1);
    AddTexture(m, "glass_ATEST");
    AddSurface(m, "trim", 0, 1);
    AddSurface(m, "side", 0, 0);
    AddSurface(m, "window", 1, 0);
    AddMapping(m, "side", 3, 1, 1);
    AddMapping(m, "top", 5, 2, 1);
    SetGrid(m, 2, 2);
    m.grid.At(0, 1).mapping = 1;
    m.grid.At(1, 1).mapping = 1;
    Name(m.partNames[0], ModelPartNameLength, "main");
    Name(m.partNames[1], ModelPartNameLength, "wing");
}

inline void MakeCarModel(ObjectModel& m)
{
    MakeBox(m, "car");
    ObjectModel& wheel = m.subModels.emplace_back();
    MakeBox(wheel, "steer");
    wheel.kind = 2;
    wheel.sideRule = 3;
    wheel.offset = MakeFixedVector(-24000, 30000, 60000);
    wheel.pitch = 1200;
    wheel.roll = 300;
    wheel.heading = -700;
    for (auto& names : wheel.partNames)
        std::memset(names, 0, sizeof names);
    ObjectModel& hub = wheel.subModels.emplace_back();
    MakeBox(hub, "hub");
    hub.kind = 10;
    hub.sideRule = 2;
    for (ModelSurface& s : hub.surfaces)
        s.flags |= 1;
    hub.offset = MakeFixedVector(1000, 2000, 3000);
    for (auto& names : hub.partNames)
        std::memset(names, 0, sizeof names);
}

} // namespace fixture
