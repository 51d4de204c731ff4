// Helpers of the data builder for making object models.
#include "model_shapes.h"

#include <cstring>

int32_t Metres(double metres)
{
    return FixedFromMetres(metres).raw;
}

void ModelMaker::SetName(const char* name)
{
    std::memset(model_.name, 0, sizeof model_.name);
    std::strncpy(model_.name, name, sizeof model_.name - 1);
}

int ModelMaker::AddPoint(double x, double y, double z, bool twin, bool centre, int joint)
{
    ModelPoint p;
    p.flags = static_cast<uint8_t>((twin || centre ? PointFlagTwin : 0) |
                                   (centre ? PointFlagSharedTwin : 0));
    p.joint = static_cast<uint8_t>(joint);
    p.position = MakeFixedVector(centre ? 0 : Metres(x), Metres(y), Metres(z));
    model_.points.push_back(p);
    return static_cast<int>(model_.points.size()) - 1;
}

void ModelMaker::AddTriangle(int a, int b, int c, int column, int level, int part, bool symmetric,
                             int smoothing)
{
    ModelTriangle t;
    t.flags = symmetric ? TriangleFlagSymmetric : 0;
    t.part = static_cast<uint8_t>(part);
    t.column = static_cast<uint8_t>(column);
    t.smoothing = static_cast<uint8_t>(smoothing);
    t.level = static_cast<int8_t>(level);
    t.group = 0;
    t.points[0] = static_cast<uint16_t>(a);
    t.points[1] = static_cast<uint16_t>(b);
    t.points[2] = static_cast<uint16_t>(c);
    model_.triangles.push_back(t);
    if (model_.groupCount == 0)
        model_.groupCount = 1;
}

void ModelMaker::AddQuad(int a, int b, int c, int d, int column, int level, int part,
                         bool symmetric, int smoothing)
{
    AddTriangle(a, b, c, column, level, part, symmetric, smoothing);
    AddTriangle(a, c, d, column, level, part, symmetric, smoothing);
}

void ModelMaker::AddBox(double cx, double cy, double cz, double hx, double hy, double hz,
                        int column, int level, int part, bool twin, int joint,
                        const double* rotation)
{
    static const double Identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double* r = rotation ? rotation : Identity;
    // Corner i has +x in bit 0, +y in bit 1, +z in bit 2.
    int corner[8];
    for (int i = 0; i < 8; i++) {
        double lx = (i & 1) ? hx : -hx, ly = (i & 2) ? hy : -hy, lz = (i & 4) ? hz : -hz;
        corner[i] = AddPoint(cx + r[0] * lx + r[1] * ly + r[2] * lz,
                             cy + r[3] * lx + r[4] * ly + r[5] * lz,
                             cz + r[6] * lx + r[7] * ly + r[8] * lz, twin, false, joint);
    }
    // Faces counter-clockwise seen from outside: +x, -x, +y, -y, +z, -z.
    static constexpr int Faces[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3},
                                        {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    for (const auto& f : Faces)
        AddQuad(corner[f[0]], corner[f[1]], corner[f[2]], corner[f[3]], column, level, part, twin,
                0);
}

void ModelMaker::SetGrid(int rows, int columns)
{
    model_.grid.rows = rows;
    model_.grid.columns = columns;
    model_.grid.cells.assign(size_t(rows) * size_t(columns), GridCell{});
}

void ModelMaker::SetCell(int row, int column, const char* code, CellColour colour, int mapping,
                         int flags)
{
    GridCell& cell = model_.grid.At(row, column);
    cell.red = colour.red;
    cell.green = colour.green;
    cell.blue = colour.blue;
    cell.flags = static_cast<uint8_t>(flags);
    std::memset(cell.code, 0, sizeof cell.code);
    std::memcpy(cell.code, code, strnlen(code, sizeof cell.code));
    cell.mapping = static_cast<uint16_t>(mapping);
}

int ModelMaker::AddTexture(const char* name, bool carSpecific)
{
    ModelTexture t;
    t.flags = carSpecific ? 1 : 0;
    // A car-specific name is kept behind room for the car code and "_",
    // as the reader makes it.
    std::strncpy(carSpecific ? t.name + 4 : t.name, name, 16);
    if (carSpecific)
        t.name[3] = '_';
    model_.textures.push_back(t);
    return static_cast<int>(model_.textures.size()) - 1;
}

int ModelMaker::AddSurface(const char* name, int texture, int flags, int scaleS, int scaleT,
                           int offsetS, int offsetT, int orientation)
{
    ModelSurface s;
    std::strncpy(s.name, name, sizeof s.name - 1);
    s.flags = static_cast<uint8_t>(flags);
    s.orientation = static_cast<uint8_t>(orientation);
    s.texture = static_cast<uint8_t>(texture);
    s.scaleS = static_cast<uint8_t>(scaleS);
    s.scaleT = static_cast<uint8_t>(scaleT);
    s.offsetS = static_cast<uint8_t>(offsetS);
    s.offsetT = static_cast<uint8_t>(offsetT);
    model_.surfaces.push_back(s);
    return static_cast<int>(model_.surfaces.size()) - 1;
}

int ModelMaker::AddMapping(const char* name, int kind, double sMin, double sMax, double tMin,
                           double tMax, int ownSurface, int mirroredSurface)
{
    TextureMapping m;
    std::strncpy(m.name, name, sizeof m.name - 1);
    m.kind = static_cast<uint8_t>(kind);
    m.sMin = Metres(sMin);
    m.sMax = Metres(sMax);
    m.tMin = Metres(tMin);
    m.tMax = Metres(tMax);
    m.surface[0] = ownSurface;
    m.surface[1] = mirroredSurface;
    model_.mappings.push_back(m);
    return static_cast<int>(model_.mappings.size()) - 1;
}

void ModelMaker::SetLevels(int count, const int* distanceMetres)
{
    model_.levelCount = static_cast<uint16_t>(count);
    for (int i = 0; i < MaxModelLevels; i++)
        model_.levelDistance[i] = i < count ? distanceMetres[i] * 65536 : 0;
}

void ModelMaker::SetPartName(int part, const char* name)
{
    std::memset(model_.partNames[part], 0, ModelPartNameLength);
    std::memcpy(model_.partNames[part], name, strnlen(name, ModelPartNameLength));
}
