// Object models: one description of a 3D object (points, triangles,
// colours, textures and their projections, up to four levels of detail and
// nested sub-models), read from model files, car data, world files and the
// figure file; and the shared models of a world's model table.
#pragma once

#include <cstdint>
#include <vector>

#include "core/services.h"

class MeshNode;
struct Material;

// The magic and newest version of a stand-alone model file.
constexpr const char* ObjectModelMagic = "ZKEOBJ";
constexpr int ObjectModelVersion = 251;
// A record names its triangles' parts with 32 names of 8 characters.
constexpr int ModelPartCount = 32;
constexpr int ModelPartNameLength = 8;
constexpr int MaxModelLevels = 4;
// Point references keep the index in bits 0-13 and the twin in bit 15.
constexpr int MaxModelPoints = 16384;
constexpr uint16_t PointIndexMask = 0x3FFF;
constexpr uint16_t PointTwinBit = 0x8000;
// A record and its nested sub-models are at most this many levels deep;
// deeper files are refused.
constexpr int MaxModelDepth = 8;

// Model flags.
constexpr uint16_t ModelFlagMirrorTwin = 0x0001;   // build a mirrored twin as well
constexpr uint16_t ModelFlagNoGroupWords = 0x0040; // the file holds no per-group words

// Point flags.
constexpr uint8_t PointFlagTwin = 0x01;        // has a mirrored twin at -x
constexpr uint8_t PointFlagSharedTwin = 0x02;  // the twin shares the vertices

// Triangle flags.
constexpr uint8_t TriangleFlagSymmetric = 0x01;
constexpr uint8_t TriangleFlagDriverSide = 0x10;

// One cell of a colour grid. Rows are colour variants (car colour schemes,
// figure clothes), columns are what a triangle names.
struct GridCell {
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t flags = 0;     // bit 0: full brightness, no shade shift
    char code[10] = {};    // a letter, a second character and free text
    uint16_t mapping = 0;  // index into the model's mappings
};

struct CellGrid {
    int rows = 0;
    int columns = 0;
    std::vector<GridCell> cells;  // rows x columns, row by row

    GridCell& At(int row, int column) { return cells[size_t(row) * columns + column]; }
    const GridCell& At(int row, int column) const { return cells[size_t(row) * columns + column]; }
};

struct ModelPoint {
    uint8_t flags = 0;    // PointFlag bits; bits 6-7 shade shift 0..3
    uint8_t joint = 0;    // body of a figure's skeleton that carries the point
    uint8_t spare[2] = {};
    uint16_t build[2] = {0xFFFF, 0xFFFF};  // working words of the mesh builder
    FixedVector position;                  // 16.16 metres
    void* builtVertex = nullptr;           // working link of the physics builder
};

// Exactly the 12 stored bytes.
struct ModelTriangle {
    uint8_t flags = 0;      // TriangleFlag bits
    uint8_t part = 0;       // low 5 bits: part number
    uint8_t column = 0;     // cell column giving colour and mapping
    uint8_t smoothing = 0;  // 0 flat, 1 and above smoothed (above 1 weighs more)
    int8_t level = 0;       // level of detail; negative: none
    uint8_t group = 0;
    uint16_t points[3] = {};  // bits 0-13 point index, bit 15 the point's twin
};

struct ModelTexture {
    uint8_t flags = 0;      // bit 0: car-specific, the name has the car code in front
    uint8_t carried[3] = {};
    char name[24] = {};     // up to 20 characters
};

struct ModelSurface {
    char name[16] = {};
    uint8_t flags = 0;        // bit 0 no reflection, 0x20 blended, 0x40 plain node, 0x80 car
    uint8_t orientation = 0;  // 0..7 into TextureOrientations
    uint8_t texture = 0;      // index into the model's textures
    uint8_t sky = 0;
    uint8_t scaleS = 64, scaleT = 64, offsetS = 0, offsetT = 0;  // in 64ths
    Material* material = nullptr;
};

// Exactly the 44 stored bytes, with the surfaces as two int32.
struct TextureMapping {
    char name[16] = {};
    uint8_t kind = 0;       // projection 0..6
    uint8_t carried = 0;
    uint8_t mark = 0;       // working mark while mirroring and building
    int8_t rotation = 0;    // degrees, -90..90
    int32_t sMin = 0, sMax = 0, tMin = 0, tMax = 0;  // 16.16
    int32_t surface[2] = {};  // own side, mirrored side
};

// A texture coordinate pair (u, v) becomes (a u + b v + e, c u + d v + f).
struct TextureOrientation {
    float a, b, c, d, e, f;
};
extern const TextureOrientation TextureOrientations[8];

struct ObjectModel {
    char name[16] = {};
    uint8_t kind = 0;        // 1, 2, 3 and 10 have meaning here; stored 4 reads as 3
    uint8_t sideRule = 1;    // as a sub-model on a driver-side swap: 1 stays, 2 mirrored, 3 moved
    uint16_t levelCount = 1; // 1..4
    uint16_t flags = 34;     // ModelFlag bits; the rest carried
    uint16_t groupCount = 0;
    uint8_t noOwnMesh = 0;   // nonzero: only the sub-models have meshes
    int32_t levelDistance[MaxModelLevels] = {};  // 16.16, where level n ends
    int16_t pitch = 0, roll = 0, heading = 0, angle4 = 0;
    FixedVector offset;      // relative to the parent, 16.16
    CellGrid grid;
    std::vector<ModelPoint> points;
    std::vector<ModelTriangle> triangles;
    std::vector<ModelTexture> textures;
    std::vector<ModelSurface> surfaces;
    std::vector<TextureMapping> mappings;
    std::vector<ObjectModel> subModels;
    MeshNode* lastNode = nullptr;  // the node most recently built from this model
    char partNames[ModelPartCount][ModelPartNameLength] = {};
};

// Clears the record: kind 0, side rule 1, one level, flags 34.
void InitObjectModel(ObjectModel& model);
// Releases every table and sub-model; the record is cleared afterwards.
void FreeObjectModel(ObjectModel& model);
// Loads a stand-alone model file; the top-level flag clears flags bit 0
// and places the model straight. Returns 1, or 0 when the file cannot be
// opened or holds a bad record (the model is then cleared). Failures are
// logged; a header failure also goes to the screen when one is given. When
// a reason is asked for, a failure leaves there the text that says why.
int LoadObjectModel(ObjectModel& model, Screen* screen, const char* fileName, int topLevel,
                    const char** reason = nullptr);
// Reads one model record and its sub-models. The version is the containing
// file's. Every count and index is checked against the tables and the
// bytes left; a bad record is refused (0, model cleared, one log line).
int ReadObjectModel(ObjectModel& model, DataFile& reader, int version, int topLevel,
                    int withPartNames);
// Writes one model record in the newest form (what ReadObjectModel reads
// with the same withPartNames); the data builder and editors use it.
void WriteObjectModel(const ObjectModel& model, DataFile& writer, int withPartNames);
// Writes a stand-alone model file; returns 1 when it was saved.
int SaveObjectModel(const ObjectModel& model, const char* fileName);

// Reads a colour grid (rows, columns, cells); 0 when the counts do not fit
// the bytes left.
int ReadCellGrid(CellGrid& grid, DataFile& reader);
void WriteCellGrid(const CellGrid& grid, DataFile& writer);
// Spreads the master colours: M1..M9 cells colour their C, D and E cells
// in every row; G_, K_ and L_ cells of the row are copied to every row.
void ResolveCellGrid(CellGrid& grid, int row);
// Moves the driver-side triangles and sub-models to the other side; a
// second call restores the model exactly.
void SwapDriverSide(ObjectModel& model);
// Mirrors the model in x; a second call restores it exactly.
void MirrorObjectModel(ObjectModel& model);
void MirrorTextureMapping(ObjectModel& model, TextureMapping& mapping);
// Replaces the dashboard clock textures by the clock of the kind (1..6).
void SetClockTextureByKind(ObjectModel& model, int kind);
void ReplaceClockTextures(ObjectModel& model, const char* name);
// Alpha kind of a texture name: 0 opaque, 1 alpha-tested, 2 blended,
// 3 blended and sorted late.
int GetDuzezKind(const char* name);
// Removes duplicate textures and orders textures and surfaces for drawing.
void SortModelTables(ObjectModel& model);
// The car code that car-specific texture names are prefixed with; the car
// data reader sets it before it reads a car's body model.
void SetModelCarCode(const char* code);

// One model of a world's shared-model table.
struct SharedModel {
    uint8_t kind = 0;         // 0 object model, 1 revolved shape, others empty
    uint8_t header[3] = {};   // read by the scenery objects that use it
    float scale = 1.0f;
    float material[3] = {};   // copied into a solid object's collision body
    float mass = 0.0f;
    uint8_t objectByte = 0;
    uint8_t collisionKind = 0;  // 0 none, 2 movable, others fixed
    uint8_t layoutFlag = 0;     // nonzero: placeable as a layout object
    uint8_t garageFlag = 0;
    ObjectModel* model = nullptr;  // owned, kind 0
    MeshNode* node = nullptr;      // owned once built
};

// Reads a shared model. Kind 1 (revolved shapes) is read by the revolved
// shape code, which is not part of this build yet: such a record is
// refused. Returns 1 or 0.
int ReadSharedModel(SharedModel& record, DataFile& reader, int version);
// The object model of kind 0; null otherwise.
ObjectModel* GetSharedModelObject(SharedModel& record);
void FreeSharedModelNode(SharedModel& record);
void FreeSharedModel(SharedModel& record);
