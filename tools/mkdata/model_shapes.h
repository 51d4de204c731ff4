// Helpers of the data builder for making object models: points in metres,
// triangles, boxes and lofted hulls, colour cells and texture tables.
#pragma once

#include <cstdint>

#include "world/services.h"

// Colour of a cell.
struct CellColour {
    uint8_t red, green, blue;
};

// Builds one ObjectModel record in memory.
class ModelMaker {
public:
    explicit ModelMaker(ObjectModel& model) : model_(model) {}

    void SetName(const char* name);
    // A point in metres; twin gives it a mirrored twin at -x, centre makes
    // the twin share its vertices (points on the centre plane).
    int AddPoint(double x, double y, double z, bool twin = false, bool centre = false,
                 int joint = 0);
    // A triangle of three point references (add PointTwinBit for a twin).
    void AddTriangle(int a, int b, int c, int column, int level, int part = 0,
                     bool symmetric = false, int smoothing = 1);
    // Two triangles a b c and a c d.
    void AddQuad(int a, int b, int c, int d, int column, int level, int part = 0,
                 bool symmetric = false, int smoothing = 1);
    // A closed box of eight points around a centre, turned by rotation
    // (row-major, applied to the half sizes). twin mirrors it in x as a
    // pair of boxes made from the same points.
    void AddBox(double cx, double cy, double cz, double hx, double hy, double hz, int column,
                int level, int part = 0, bool twin = false, int joint = 0,
                const double* rotation = nullptr);

    // Colour grid with rows x columns cells, all cleared.
    void SetGrid(int rows, int columns);
    void SetCell(int row, int column, const char* code, CellColour colour, int mapping,
                 int flags = 0);
    int AddTexture(const char* name, bool carSpecific);
    int AddSurface(const char* name, int texture, int flags, int scaleS = 64, int scaleT = 64,
                   int offsetS = 0, int offsetT = 0, int orientation = 0);
    // A mapping of projection kind 0..6 over s and t ranges in metres.
    int AddMapping(const char* name, int kind, double sMin, double sMax, double tMin, double tMax,
                   int ownSurface, int mirroredSurface);
    void SetLevels(int count, const int* distanceMetres);
    void SetPartName(int part, const char* name);

private:
    ObjectModel& model_;
};

// 16.16 of a length in metres.
int32_t Metres(double metres);
