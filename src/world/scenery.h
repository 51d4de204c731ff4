// Scenery objects: the base every placed thing of a world derives from, the
// record header every stored object begins with, the factory that turns a
// type byte into an object, the world textures that surfaces hand back as
// the ground hit, and the two grids the physics and the point queries use
// (map squares of drivable surfaces and posts, object cells of solid
// objects with collision bodies).
#pragma once

#include <cstdint>
#include <vector>

#include "core/services.h"
#include "vehicle/services.h"

struct World;
struct RecordReading;

// The type byte of a stored object record.
constexpr int ObjectTypeSolid = 4;
constexpr int ObjectTypeInstance = 5;
constexpr int ObjectTypeFigure = 6;
constexpr int ObjectTypeSpeedZone = 7;
constexpr int ObjectTypeProfile = 8;
constexpr int ObjectTypeSurface = 9;
constexpr int ObjectTypeCamera = 10;
constexpr int ObjectTypeTree = 11;
constexpr int ObjectTypeCrowd = 13;
constexpr int ObjectTypeFlag = 14;
constexpr int ObjectTypeStartGrid = 15;

// Header flags: a configuration mask follows (newest form); the one bit of
// the stored flags an object keeps.
constexpr uint8_t ObjectHeaderHasMask = 0x80;
constexpr uint8_t ObjectFlagKept = 0x04;
// Every object exists in configuration 0 both ways.
constexpr uint32_t ConfigZeroBits = 0x00010001;
// An object's contact radius byte counts this many 16.16 units (about 1 cm).
constexpr int32_t ContactRadiusUnit = 655;
// Angles stored as float radians become 16-bit angle units by this factor,
// truncated.
constexpr float RadiansToAngle16 = 10430.0f;

// What a car wheel keeps of the road bumps under it between steps: the
// four bump bytes of the surface last met, the blend towards a new one and
// the bump height (16.16).
struct SurfaceBump {
    uint32_t key = 0;
    int32_t blend = 0;
    int32_t height = 0;
};

// The base of every scenery object; owned by the world's object table.
// Operations a kind does not have answer as the base does (no contact, no
// lighting data, not a surface).
class WorldObject {
public:
    WorldObject() = default;
    WorldObject(const WorldObject&) = delete;
    WorldObject& operator=(const WorldObject&) = delete;
    // Releases what the object owns.
    virtual ~WorldObject() = default;

    // Whether (x, y) lies where the object's contact query may answer, with
    // margin (16.16) of slack.
    virtual int ContainsPoint(Fixed, Fixed, Fixed) const { return 0; }
    // Intersects the segment from position - direction to position with
    // the object's surface; fills the record and answers 1 on a deeper hit.
    // A car wheel passes its bump state, other callers null.
    virtual int ContactQuery(const FixedVector&, const FixedVector&, ContactQueryRecord&, SurfaceBump*) { return 0; }
    // Reads the kind's part of the record (after the header); false when it
    // does not fit or holds a bad value (the reading says why).
    virtual bool Load(RecordReading& in) = 0;
    // Writes the kind's part of the record in the newest form, as Load reads it.
    virtual void Save(DataFile& writer) const = 0;
    // The place (x, y, 0) and the heading, for the kinds that have one (0
    // otherwise); setting it moves the object and turns it.
    virtual void GetPosition(FixedVector& point, float& heading) const;
    virtual void SetPosition(const FixedVector& point, float heading);
    // The kind's heading (radians), null for kinds placed without one.
    virtual float* HeadingField() { return nullptr; }
    const float* HeadingField() const { return const_cast<WorldObject*>(this)->HeadingField(); }
    virtual int GetType() const = 0;
    // True for kinds that keep per-light-scheme lighting data.
    virtual bool HasLitData() const { return false; }
    // Derives the bounding sphere and box (and what else follows from the
    // loaded fields); run once the whole world is read, and after a change.
    virtual void Init() = 0;
    // True for the drivable surfaces that contact and point queries use.
    virtual bool IsSurface() const { return false; }

    Fixed x, y;                    // place on the ground plane, 16.16
    FixedVector centre;            // bounding sphere, set by Init
    int32_t radius = 0;            // 16.16; 0: no extent
    uint8_t flags = 0;             // ObjectFlagKept as read; Init may set it
    uint8_t contactRadius = 0;     // ContactRadiusUnit units; nonzero: a post
    uint8_t spare[2] = {};
    uint32_t configMask = 0xFFFFFFFFu;  // bit n: configuration n forwards, n + 16 reversed
    int32_t boxMinX = 0, boxMaxX = 0, boxMinY = 0, boxMaxY = 0;  // 16.16, set by Init
};

// The objects that know only their place: x, y, 0 and heading 0.
void GetPlainPosition(const WorldObject& object, FixedVector& point, float& heading);
// The bounding box made the single point (x, y).
void SetBoxToPoint(WorldObject& object);
// The bounds of an object without extent: flags bit 2, the box the point
// (x, y), radius 0 and the centre (x, y, z).
void SetPointBounds(WorldObject& object, int32_t z = 0);

// A trackside camera of the television views (type 10). Its flags: a fixed
// direction, following the target, zooming by distance (which also means
// the record stores the far distance and the near values).
constexpr int32_t CameraFlagFixed = 0x01, CameraFlagFollows = 0x02, CameraFlagZooms = 0x04;
class CameraObject : public WorldObject {
public:
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    float* HeadingField() override { return &heading; }
    int GetType() const override { return ObjectTypeCamera; }
    void Init() override;

    int32_t cameraFlags = 0;  // bit 0 fixed, bit 1 follows, bit 2 zooms by distance (and stores the near values)
    float height = 0;         // m above the ground plane
    float heading = 0, pitch = 0;  // radians
    float farZoom = 1.0f, farDistance = 100.0f, nearZoom = 1.0f, nearDistance = 10.0f;  // m for distances
};

// A new object of the stored type (4 to 11, 13 to 15), cleared; null for a
// type that has no class.
WorldObject* NewWorldObject(int type);
// Reads the header and the object's record (the reading's version decides
// the header form). Null, with the reason in the reading, when the type has
// no class or the record does not fit.
WorldObject* CreateWorldObject(RecordReading& in);
// Writes the header and the record in the newest form.
void WriteWorldObject(const WorldObject& object, DataFile& writer);
// Whether the object exists in the configuration bit.
inline bool ObjectInConfig(const WorldObject& object, uint32_t bit) { return (object.configMask & bit) != 0; }

// ---------------------------------------------------------------------------
// World textures: what a surface is made of. Surfaces hand one back as the
// ground hit, so grip, lap timing, sounds and drawing all read it.

constexpr int WorldTextureNameSize = 16;
// Surface kind of fences.
constexpr int FenceSurfaceKind = 9;
// Flags bits kept from the file; the colour computation and the use mark.
constexpr int32_t TextureFlagsKept = 0x09;
constexpr int32_t TextureFlagColoured = 0x02;
constexpr int32_t TextureFlagUsed = 0x04;
// A colour map entry that names no colour.
constexpr int32_t NoPaletteEntry = 255;
// Limits a world file is held to: colour maps and palettes far above any
// real content, so a bad file cannot ask for unbounded memory.
constexpr int MaxWorldTextures = 4096;
constexpr int MaxTexturePalette = 4096;
constexpr int MaxTextureColumns = 4096;
constexpr int MaxTextureMapEntries = 1 << 20;

struct Material;

struct WorldTexture {
    char name[WorldTextureNameSize] = {};
    char textureName[WorldTextureNameSize] = {};  // empty: untextured
    ColourRecord average;      // computed; flags 1 when a palette colour is unlit
    ColourRecord tint;
    ColourRecord drawColour;   // average scaled by the tint
    int32_t surfaceKind = 0;   // 0..16, SurfaceKindTable
    int32_t orientation = 0;   // carried for the surfaces' users (texture orientation)
    int32_t flags = 0;
    uint8_t bump[4] = {};      // kind, amplitude, scale (period 2^scale in 16.16), spare
    uint8_t blended = 0, alphaTested = 0, special = 0;
    int32_t rows = 0;          // colour map rows
    int32_t repeat = 1;
    uint8_t scaleS = 64, scaleT = 64, offsetS = 0, offsetT = 0;  // 64ths
    std::vector<ColourRecord> palette;  // flags bit 0: unlit
    std::vector<int32_t> columnEnds;    // 16.16 fractions, increasing
    std::vector<int32_t> colourMap;     // rows x columns palette indexes (or four packed bytes)
    Material* material = nullptr;       // none without graphics
};

// Reads the list (count, then the records) with the file's version rules:
// fences take kind 9. Every count is checked against its limit and the
// bytes left; false (list empty, reason in the reading) otherwise.
bool ReadWorldTextureList(std::vector<WorldTexture>& list, RecordReading& in);
void WriteWorldTextureList(const std::vector<WorldTexture>& list, DataFile& writer);
// Average and draw colours of every texture; packed: the colour map holds
// four palette bytes per entry (a file without colours flag bit 3).
void ComputeWorldTextureColours(std::vector<WorldTexture>& list, int packed);
void UpdateWorldTextureColour(WorldTexture& texture);
// The name flags and, with graphics, the material of one texture.
void LoadWorldTexture(WorldTexture& texture);

// ---------------------------------------------------------------------------
// The contact grid (map squares) and the object cells: 16 x 16 squares over
// the world's grid rectangle, row-major, columns along x.

constexpr int GridSide = 16;
constexpr int GridSquareCount = GridSide * GridSide;

struct MapSquare {
    uint16_t surfaceCount = 0, radiusCount = 0;
    int32_t surfaceFirst = 0, radiusFirst = 0;  // into the world's square entries
};

struct CellLink {
    int32_t next = -1;               // link index, -1 ends the list
    WorldObject* object = nullptr;   // null: the link is free
};

struct CellRange {
    int firstColumn = 0, lastColumn = 0, firstRow = 0, lastRow = 0;
};

// The configuration bit of the world's current configuration and direction.
uint32_t CurrentConfigBit(const World& world);
// The grid rectangle and cell sizes from the surfaces' boxes, cut to the
// current path's edges widened by 20 m.
void SetGridRectangle(World& world, int32_t surfaceMinX, int32_t surfaceMaxX, int32_t surfaceMinY,
                      int32_t surfaceMaxY);
void BuildMapSquares(World& world);
// The squares a circle (16.16) covers, clamped to the grid; false when it
// lies wholly outside.
bool GetCellRange(const World& world, CellRange& range, Fixed x, Fixed y, int32_t radius);
// Collision bodies for the solid objects of the configuration and the cells
// they are linked into (nothing for a dedicated host).
void BuildObjectCells(World& world);
// Links the object (which has a collision body) into the cells its body
// covers; false when the link pool is full.
bool AddObjectToCells(World& world, WorldObject& object);
void RemoveObjectFromCells(World& world, WorldObject& object);
// Frees every collision body and link; the cells are empty afterwards.
void ClearObjectCells(World& world);
void RebuildObjectCells(World& world);
// The ground crossed by the segment from position - direction to position
// (16.16), asked of the surfaces of the point's map square; 1 on a hit.
int WorldPointQuery(const FixedVector& position, const FixedVector& direction, ContactQueryRecord& result);
int WorldPointQuery(const World& world, const FixedVector& position, const FixedVector& direction,
                    ContactQueryRecord& result);
