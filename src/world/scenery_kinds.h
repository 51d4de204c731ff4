// The kinds of scenery object other than the road: solid objects placed
// from the world's shared models (with their lighting data and collision
// bodies), revolved shapes, speed zones and start grids, trees, crowds and
// single figures, cloth flags and wind-turned instances.
#pragma once

#include <cstdint>
#include <vector>

#include "world/cubic_curves.h"
#include "world/scenery.h"

struct ObjectModel;
struct SharedModel;
struct FigureInstance;

// ---------------------------------------------------------------------------
// Per-light-scheme lighting data of the objects that keep it (solids and
// surfaces), read in the loader's stage "Lighting info".

constexpr int LodLevelCount = 4;
// Lighting flags: the record has blocks in the file; blocks are held.
constexpr int32_t LitHasBlocks = 0x01;
constexpr int32_t LitBlocksHeld = 0x02;
// Values of one lighting list a file may hold.
constexpr int MaxLitValues = 1 << 20;

struct LitLodBlock {
    std::vector<uint32_t> listA;  // stored light values, one per built vertex (level 0 only)
    std::vector<uint32_t> listB;
    int32_t valueC = 0;           // extra vertices the splits add
    std::vector<uint32_t> listC;  // triangle splits (level 0 only)
};

struct LitSchemeRecord {
    float value = 0;
    int32_t flags = 0;
    std::vector<LitLodBlock> blocks;  // LodLevelCount when held
};

struct LodLevel {
    int32_t meshIndex = -1;  // world mesh, -1 none
    int32_t blockIndex = 0;
    int32_t distance = 0;    // 16.16 m: the level is drawn up to here
    int16_t detail = 0;      // rows of a surface, sides of a revolved shape
    int16_t first = 0;       // 1 on the first level of a revolved shape
};

// Scenery drawn in up to four levels of detail with lighting data per
// light scheme.
class LodObject : public WorldObject {
public:
    bool HasLitData() const override { return true; }

    uint8_t displaced = 0;    // the collision body lies away from its place
    uint8_t withdrawn = 0;    // the physics' second body state
    uint8_t sortClass = 0;    // 0 drawn at once, 1 depth-sorted, 2 front bucket
    uint8_t textureFlag = 0;  // a level uses an alpha-tested texture
    std::vector<LitSchemeRecord> lighting;  // one per light scheme, or none
    uint8_t levelCount = 0;
    uint8_t distanceLod = 0;  // 1: the level is chosen by distance
    LodLevel levels[LodLevelCount];
};

// Reads one scheme's lighting data of an object; false when it does not fit.
bool ReadLitSchemeRecord(LitSchemeRecord& record, RecordReading& in);
void WriteLitSchemeRecord(const LitSchemeRecord& record, DataFile& writer);
// The level limit of an object of the radius: the radius within 0 to 64 m
// (a damaged file may give a negative or a huge one).
int32_t LodDistanceLimit(int32_t radius);

// ---------------------------------------------------------------------------
// Revolved shapes: a profile of (radius, height) points turned about the
// vertical axis, the second kind of shared model (tyre stacks, posts).

// A band of a surface or revolved shape: the strip between two curves (or
// profile points) with its texture.
struct SurfaceBand {
    int16_t texture = 0;   // world texture index
    int16_t solid = 0;     // nonzero: takes part in contacts
    int16_t rowOffset = 0;
    uint8_t first = 0, second = 0;  // curve (or profile point) indexes
};
bool ReadSurfaceBand(SurfaceBand& band, DataFile& reader);
void WriteSurfaceBand(const SurfaceBand& band, DataFile& writer);

// The revolved shapes' collision hull: six sides whatever is drawn.
constexpr int HullSides = 6;
constexpr int MaxRevolvedPoints = 256;
constexpr int MaxRevolvedBands = 256;

class RevolvedShape : public FloatPairTable {
public:
    ~RevolvedShape() override = default;
    void Free() override;

    std::vector<SurfaceBand> bands;
    char name[16] = {};
    int32_t sides = 5;
};
// Reads the shape record; false when a count does not fit its limit or the
// bytes left, or a band names a point the profile lacks.
bool ReadRevolvedShape(RevolvedShape& shape, DataFile& reader);
void WriteRevolvedShape(const RevolvedShape& shape, DataFile& writer);
// Replaces the body's points and faces by the six-sided hull of the solid
// bands at the scale; answers ": OK" or why no hull was made.
const char* BuildRevolvedHull(const RevolvedShape& shape, RigidBody& body, float scale);

// ---------------------------------------------------------------------------
// Solid objects (type 4): a placed copy of a shared model.

// The collision body a solid object owns while it is in the object cells.
class SceneryBody final : public PlainBody {};

// Solid object flags.
constexpr int32_t SolidFlagDrawable = 0x008;   // set by the constructor; clear: no drawable
constexpr int32_t SolidFlagStartLight = 0x020;
constexpr int32_t SolidFlagStartPlace = 0x040; // a start place or (with the next bit) a pit box
constexpr int32_t SolidFlagPitBox = 0x080;
constexpr int32_t SolidFlagOwnHeading = 0x200; // a pit box that keeps its own heading

class SolidObject : public LodObject {
public:
    SolidObject();
    ~SolidObject() override;
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    float* HeadingField() override { return &heading; }
    int GetType() const override { return ObjectTypeSolid; }
    void Init() override;

    int16_t model = -1;       // shared model index, -1 none
    uint8_t variantA = 0;     // a start place's or pit box's number 1..32; a route marker's type
    uint8_t variantB = 0;
    float heading = 0, pitch = 0, roll = 0;  // radians
    float height = 0;         // m
    int32_t solidFlags = SolidFlagDrawable;
    SceneryBody* body = nullptr;  // collision body while in the object cells
    World* world = nullptr;  // the world whose shared models it uses
};

// The object's placement: rotation from heading, pitch and roll scaled by
// the shared model's scale, translation (x, y, height).
void GetSolidTransform(const SolidObject& solid, const SharedModel& model, FixedTransform& out);
// Builds the collision body when the model has a collision kind; a model
// without faces gives a message and no body. Returns 1 when a body exists.
int BuildSolidCollision(SolidObject& solid);
void FreeSolidCollision(SolidObject& solid);

// ---------------------------------------------------------------------------
// Speed zones (type 7) and start grids (type 15).

constexpr int32_t ZoneFlagLightZone = 0x01;
constexpr int32_t ZoneFlagListed = 0x02;

class SpeedZoneObject : public WorldObject {
public:
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    float* HeadingField() override { return &heading; }
    int GetType() const override { return ObjectTypeSpeedZone; }
    void Init() override;
    // Whether (x, y) lies inside the oriented rectangle.
    bool Holds(Fixed px, Fixed py) const;

    int32_t zoneFlags = 0;
    uint8_t speedLimit = 80;  // km/h - 1; 0: not a speed zone
    uint8_t kept[3] = {};
    float heading = 0;        // radians, of the first axis
    float keptFloat = 0;
    float halfFirst = 5.0f, halfSecond = 30.0f;  // m along (cos h, sin h) and (-sin h, cos h)
    float sine = 0, cosine = 1, cornerSquared = 0;
    FixedVector reference;    // light zones: the point whose path position the zone takes
    float referenceFloat = 0;
    int32_t subPosition = 0;
    std::vector<uint8_t> lightStates;  // LightStateTableSize bytes while listed as a light zone
};

constexpr int32_t GridFlagMirrored = 0x01;
constexpr int32_t GridFlagCurved = 0x02;

class StartGridObject : public WorldObject {
public:
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    float* HeadingField() override { return &heading; }
    int GetType() const override { return ObjectTypeStartGrid; }
    void Init() override;

    int32_t gridFlags = 0;
    uint8_t columns = 2, rows = 16, straightRows = 0, kept = 0;
    float heading = 0;        // radians; cars face (-sin h, cos h)
    float height = 0;
    float width = 10.0f, spacing = 16.0f, stagger = 8.0f;  // m
    Fixed endX, endY;         // curved grid: where the curve ends
    float endHeading = 0;
    Cubic curveX, curveY;     // from the end point (0) to the curve start (1)
    FixedVector forward;      // 65536 = 1
    Fixed curveStartX, curveStartY;
};
// Start place n (0 first) of the grid: its point (height 0) and heading.
void GetGridPosition(const StartGridObject& grid, int n, FixedVector& point, float& heading);

// ---------------------------------------------------------------------------
// Trees (type 11), crowds (13), figure objects (6), flags (14) and instances (5).

constexpr int MaxTreeLeaves = 256;
constexpr int TreeShellRings = 16, TreeShellColumns = 24;

class TreeObject : public WorldObject {
public:
    TreeObject();
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    int GetType() const override { return ObjectTypeTree; }
    void Init() override;

    int32_t leafTexture = 0, leafRing = 0;
    float trunkHeight = 2.5f, trunkRadius = 0.5f, branchFactor = 0.8f;
    int32_t spread = 3, seed = 0, levels = 0, leafCount = 32;
    float leafWidth = 2.5f, leafHeight = 2.5f, baseHeight = 0;
    int32_t unused = 0, treeFlags = 0;
    ColourRecord trunkColour{150, 80, 40, 0}, leafColour{20, 110, 20, 0};
};
// The shared crown shell at rest (every tree's branches follow its points).
void BuildTreeShell();
// Measures the tree from its seed: mode 0 the centre, mode 1 the radius.
void GenerateTreeBranches(TreeObject& tree, int mode);

class CrowdObject : public WorldObject {
public:
    ~CrowdObject() override;
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    float* HeadingField() override { return &heading; }
    int GetType() const override { return ObjectTypeCrowd; }
    void Init() override;

    int32_t crowdFlags = 0, poseBit = 0;
    float heading = 0, length = 5.0f, startHeight = 0, endHeight = 0;
    float startPose = 0.5f, endPose = 0.5f;
    std::vector<FigureInstance*> figures;  // placed with the world's figures
};

// The crowd's figures drawn from the world's random value (R): each slot
// of 0.8 m along the row takes a figure with the chance density (0..1),
// a crowd variant scaled, posed for its place in the row and placed. The
// same R always gives the same crowd. Figure data without a crowd variant
// gives no figures; a set without a fitting pose stands its figures at rest.
void PlaceCrowd(CrowdObject& crowd, float density, uint16_t& random);
void FreeCrowd(CrowdObject& crowd);

class FigureObject : public WorldObject {
public:
    ~FigureObject() override;
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    float* HeadingField() override { return &heading; }
    int GetType() const override { return ObjectTypeFigure; }
    void Init() override;

    int32_t value = 0;
    float heading = 0, height = 0;
    FigureInstance* figure = nullptr;
};

// One marshal standing at the object, in a default pose drawn from R; no
// figure without a marshal variant.
void PlaceFigureObject(FigureObject& figure, uint16_t& random);
void FreeFigureObject(FigureObject& figure);

constexpr int FlagRows = 4, FlagColumns = 5;
constexpr int FlagPointCount = FlagRows * FlagColumns + (FlagRows - 1) * (FlagColumns - 1);

struct FlagPoint {
    uint8_t free = 0;
    FixedVector position;
    Vec3 normal, velocity, force;
};

class FlagObject : public WorldObject {
public:
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    int GetType() const override { return ObjectTypeFlag; }
    void Init() override;

    int32_t flagFlags = 0;
    float topHeight = 2.0f, width = 2.0f, height = 1.5f;
    int16_t texture = 0;
    uint8_t lastStep = 0, spareByte = 0;
    FlagPoint points[FlagPointCount];
    float gravity = -9.81f;  // of the world the flag stands in
};
// The cloth hanging straight from the pole, at rest.
void ResetFlagCloth(FlagObject& flag);

class InstanceObject : public WorldObject {
public:
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    int GetType() const override { return ObjectTypeInstance; }
    void Init() override;

    int32_t model = -1;  // shared model index
    float height = 0;
    int32_t value = 0;
    uint16_t spin = 0;   // 16-bit angle of the first sub-model
    uint8_t lastStep = 0, spareByte = 0;
    FixedTransform transform;
    World* world = nullptr;
};
