// Track and world: the services other subsystems may use.
//
// The world holds the loaded track site and everything placed in it, the
// object models that cars, helmets, figures and scenery are drawn and
// collided from, and the driver figures with their skeletons and
// animations. It reads its files through the core's DataFile layer and its
// 16.16 maths; drawing goes through the graphics subsystem.
#pragma once

#include <cstdint>
#include <vector>

#include "core/services.h"
#include "vehicle/services.h"
#include "world/race_world.h"
#include "world/cubic_curves.h"
#include "world/hooks.h"
#include "world/mesh_nodes.h"
#include "world/model_nodes.h"
#include "world/paths.h"

struct Material;

// ---------------------------------------------------------------------------
// Object models: one description of a 3D object (points, triangles,
// colours, textures and their projections, up to four levels of detail and
// nested sub-models), read from model files, car data, world files and the
// figure file.

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

// ---------------------------------------------------------------------------
// Driver figures: jointed bodies of boxes (skeletons) dressed with object
// models whose points follow the boxes, and the animations that pose them.

constexpr const char* HumanSystemMagic = "ZKHSYS";
constexpr int HumanSystemVersion = 251;
constexpr const char* HumanSystemFile = "data\\hmn\\hmn.hmn";
constexpr const char* AnimationMagic = "ZKANIM";
constexpr int AnimationVersion = 251;
// Animation files older than this are refused.
constexpr int OldestAnimationVersion = 249;
// The driver-movement animations a skeleton set keeps.
constexpr int AnimationSlotCount = 18;
// A skeleton set carries joints, animations and poses only when its body
// slots (a mirrored pair counts two) are more than this.
constexpr int SkeletonSlotThreshold = 30;
// Limits a figure file is held to, so that a bad file cannot ask for
// unbounded memory: a point names its body in one byte, so no skeleton has
// more bodies; the rest are far above any real content.
constexpr int MaxSkeletonBodies = 256;
constexpr int MaxSkeletonJoints = 1024;
constexpr int MaxSkeletonSets = 64;
constexpr int MaxFigureModels = 256;
constexpr int MaxSkeletonPoses = 256;
// Keys times bodies of one animation (48 bytes each in memory).
constexpr int64_t MaxAnimationStates = 1 << 20;
// Figure flags.
constexpr int32_t FigureFlagDriver = 0x01;
constexpr int32_t FigureFlagCrowd = 0x02;
constexpr int32_t FigureFlagMarshal = 0x04;
// Pose flags and use-mask bits.
constexpr int32_t PoseFlagBlend = 0x04;       // a second animation and a blend pair follow
constexpr int32_t PoseUseDefault = 0x001;
constexpr int32_t PoseUseExtraFigure2 = 0x100;
constexpr int32_t PoseUseExtraFigure3 = 0x200;

// One key of an animation: its time and one state per body of the skeleton.
struct AnimationKey {
    float time = 0.0f;
    std::vector<ObjectState> states;
};

struct AnimHolder {
    int32_t mode = 0;      // carried for the animation's users
    float rate = 1.0f;
    uint16_t keyCount = 0;
    uint16_t spare = 0;
    std::vector<AnimationKey> keys;
};

// One box of a skeleton, or a pair mirrored in x.
struct BodySpec {
    int32_t flags = 0;       // bit 0: a mirrored pair
    int32_t firstBody = 0;   // index among the built bodies
    float halfSize[3] = {};  // metres
    FixedVector position;    // rest position, 16.16
    float angle[3] = {};     // radians
    uint8_t colour[4] = {};
};

// One joint between two bodies, or a pair mirrored in x.
struct JointSpec {
    int32_t kind = 0;        // 1: a hinge turned from body B by angle 2
    int32_t flags = 0;       // bit 0: a mirrored pair
    int32_t firstJoint = 0;  // index among the built joints
    FixedVector anchor;      // 16.16
    float limit[2] = {};     // degrees
    int32_t bodyA = 0, bodyB = 0;  // body spec indexes
    float angle[3] = {};     // radians
};

struct Pose {
    int32_t flags = 0;       // PoseFlag bits
    int32_t useMask = 0;     // PoseUse bits
    uint8_t carried[16] = {};
    AnimHolder animationA, animationB;
    float blendStart = 0.0f, blendEnd = 1.0f;
};

struct SkeletonSet {
    float density = 1000.0f;  // kg/m3
    std::vector<BodySpec> bodies;
    std::vector<JointSpec> joints;
    int animationCount = 0;   // slots filled from the file
    AnimHolder animations[AnimationSlotCount];
    std::vector<Pose> poses;
};

// What a built body looks like beyond its physics: its box and colour.
struct SkeletonBodyLook {
    float halfSize[3] = {};  // metres
    uint8_t colour[4] = {};
};

struct SkeletonJoint {
    int32_t kind = 0;
    int bodyA = 0, bodyB = 0;     // built body indexes
    Vec3 anchorA, anchorB;        // in each body's frame, metres
    FloatMatrix restRotation;     // of B relative to A
    float limit[2] = {};          // 2 sin(limit x pi / 360)
};

// The skeleton of a set: its bodies as eight-point boxes at rest (their
// contact points at the box corners, mass and inertia of a solid box, rest
// position and rotation), each body's look, and the joints. Owns its nodes;
// moved, never copied.
struct BuiltSkeleton {
    ObjectBodySet bodies;                 // secondCount holds the joint count
    std::vector<SkeletonBodyLook> looks;  // one per body
    std::vector<SkeletonJoint> joints;

    BuiltSkeleton() { InitObjectBodySet(bodies); }
    ~BuiltSkeleton() { FreeObjectBodySet(bodies); }
    BuiltSkeleton(const BuiltSkeleton&) = delete;
    BuiltSkeleton& operator=(const BuiltSkeleton&) = delete;
    BuiltSkeleton(BuiltSkeleton&& other) noexcept;
    BuiltSkeleton& operator=(BuiltSkeleton&& other) noexcept;

    int BodyCount() const { return bodies.nodeCount; }
    const ObjectBody& Body(int i) const { return bodies.nodes[i]; }
};

struct FigureModel {
    int32_t flags = 0;        // FigureFlag bits
    int32_t skeletonSet = 0;  // also the gender: 0 male, 1 female
    float value = 0.0f;       // carried
    ObjectModel model;
};

// One colour row of a figure model. The drawable nodes are made by the
// drawing code for each level of detail.
struct FigureVariant {
    int32_t flags = 0;
    int32_t skeletonSet = 0;
    float value = 0.0f;
    const ObjectModel* model = nullptr;
    int row = 0;
    MeshNode* nodes[4] = {};
};

struct HumanSystem {
    int32_t loaded = 0;
    std::vector<SkeletonSet> sets;
    std::vector<BuiltSkeleton> built;   // one per skeleton set
    std::vector<FigureModel> models;
    std::vector<FigureVariant> variants;
};
// The figure data of the program. Lives for the whole run: loaded at
// start-up, freed at shut-down, emptied by ResetWorldTables.
extern HumanSystem Humans;

// One posed figure in the world.
struct FigureInstance {
    FixedTransform transform;  // identity when cleared
    int bodyCount = 0;
    std::vector<ObjectState> pose;
    const FigureVariant* variant = nullptr;
};

void InitHumanSystem(HumanSystem& system);
// Loads the figure file and builds the skeletons and variants. Answers 0
// when already loaded, or when the file cannot be opened or holds a bad
// record (the system then stays unloaded); 1 on success. When a reason is
// asked for, a failure leaves there the text that says why.
int LoadHumans(HumanSystem& system, Screen* screen, const char** reason = nullptr);
// Reads a figure file into an unloaded system without building anything;
// 1 or 0 (one log line, system untouched; the reason as for LoadHumans).
int ReadHumanFile(HumanSystem& system, const char* fileName, Screen* screen, const char** reason = nullptr);
// Reads the figure models and skeleton sets that follow a figure file's
// header; the same checks and result as ReadHumanFile.
int ReadHumanData(HumanSystem& system, DataFile& reader, int version, const char* subject,
                  const char** reason = nullptr);
void FreeHumans(HumanSystem& system);
// Rebuilds the variants and built skeletons of a loaded system.
void ReloadHumans(HumanSystem& system);
// Builds every skeleton and the variants (one per colour row).
void BuildFigures(HumanSystem& system);
// Builds the bodies and joints of a set; each spec records its first index.
void BuildSkeleton(SkeletonSet& set, BuiltSkeleton& built);
// Body slots of a set: a mirrored pair counts two.
int CountBodySlots(const SkeletonSet& set);
// Writes a figure file from the system's models and sets; 1 when saved.
int SaveHumanFile(const HumanSystem& system, const char* fileName);

// Look-ups over the variants of Humans.
// The first driver variant of the gender; the variant count when none; 0
// when not loaded.
int FindFigureOfGender(int gender);
// The last driver variant of the gender above index 0; 0 when none.
int FindLastFigureOfGender(int gender);
// The variant's skeleton set; 2 when not loaded or outside the variants.
int GetFigureGender(int index);
const FigureVariant* FindMarshalFigure(const HumanSystem& system);

void InitAnimHolder(AnimHolder& animation);
void FreeAnimHolder(AnimHolder& animation);
// One key at time 0 holding the skeleton's rest states.
void MakeAnimHolder(AnimHolder& animation, const BuiltSkeleton& built);
// Reads an animation record for a skeleton of bodyCount bodies: stored
// states beyond it are read and dropped, missing ones are the identity at
// ZeroVector. 0 when the record does not fit the bytes left.
int ReadAnimHolder(AnimHolder& animation, DataFile& reader, int bodyCount);
void WriteAnimHolder(const AnimHolder& animation, DataFile& writer);
// Loads an animation file (versions 249 to 251); 1 or 0.
int LoadAnimation(AnimHolder& animation, Screen* screen, const char* fileName, int bodyCount);
int SaveAnimation(const AnimHolder& animation, const char* fileName);
// The rest states of a built skeleton, one per body.
std::vector<ObjectState> SnapshotSkeleton(const BuiltSkeleton& built);

void InitFigureInstance(FigureInstance& instance);
void FreeFigureInstance(FigureInstance& instance);
// Poses the instance from the first key of the pose's animation A, or at
// rest when no pose is given.
void SetFigurePose(FigureInstance& instance, const Pose* pose, const BuiltSkeleton& built);

// ---------------------------------------------------------------------------
// Resets every table this subsystem owns to its start-up state.
void ResetWorldTables();

// ---------------------------------------------------------------------------
// Track sites (site_table.cpp). The seven sites the program knows, with
// their codes and configuration counts; the names of the configurations
// and the surface kinds come with the world loader.

constexpr int SiteCount = 7;
constexpr int MaxSiteConfigs = 7;

struct SiteRecord {
    const char* name;            // also the world file's name
    const char* code;            // two letters
    uint8_t configCount;         // 1..7
    uint8_t carried;             // kept as the table gives it; nothing reads it
    uint8_t trackFlag;           // 1 for the circuits, 0 for the autocross area
    uint8_t mapPathFlags[8];     // per configuration (from 1): has a small-map path and may be driven reversed
    uint8_t defaultTimeOfDay[4]; // per light scheme of an old world file
    uint8_t defaultWeather[4];
    TextId configNames[MaxSiteConfigs];  // configurations 1..configCount; keys "3g_cfg_"
};
// In site index order. Constant.
extern const SiteRecord SiteTable[SiteCount];

// Index 0..6 of the site whose name (not code) equals the text without
// regard to case, -1 when none; stores its track flag (0 when none) when
// trackFlag is given.
int FindSite(const char* name, int* trackFlag);
int GetSiteIndex(const char* name);
// The current-language name of configuration 1..7 of a site; null when the
// site has no such configuration.
const char* GetSiteConfigName(int site, int configuration);

// ---------------------------------------------------------------------------
// Surface kinds (surface_kinds.cpp): what a world texture's kind (0..16)
// means to the tyres, the lap timing and the AI.

struct SurfaceKindRecord {
    float firstFactor;
    float secondFactor;  // loose surfaces: drag on a rolling tyre per newton of load; 0 for most
    uint8_t loose;       // 1: gravel, grass, sand; the tyre model's loose-surface curves
    uint8_t level;
    uint8_t road;        // 1: counts as road
    uint8_t depth;       // cm of loose material (read by the tyre model as m x 0.01)
};
constexpr int SurfaceKindTableSize = 17;
// Indexed by surface kind. Constant; part of the race settings' checksum.
extern const SurfaceKindRecord SurfaceKindTable[SurfaceKindTableSize];

// ---------------------------------------------------------------------------
// What the program shell uses of the world (temporary bodies in
// shell_pending.cpp until the world loader, light maps and trees are
// built: no world is ever loaded).

struct World;
// The one loaded track world; null when none is loaded.
extern World* CurrentWorld;
// One stage of the world loader; 1 when the world has finished loading.
int LoadWorldStep();
// 1 while the loaded world is still loading.
int IsWorldLoading();
// The running stage's name while the world loads.
const char* WorldProgressText();
// Site index (0..6) of the loaded world, -1 when none.
int LoadedWorldSite();
// Frees the loaded world and its graphics resources.
void FreeWorld();
// Removes the layout objects from the loaded world.
void ClearLayoutObjects();
// The world's meshes are built again on a later frame.
void RequestWorldMeshRebuild();
// Before the graphics resources are rebuilt: the built nodes of the world's
// shared models, and the own drawables of its lit objects and instance
// objects, are freed.
void ReleaseWorldModelMeshes(World& world);
void ReleaseObjectDrawables(World& world);
// Puts a loaded world back into mesh building (load stage 16) with its mesh
// option; the loader's frames then build the meshes again.
void BeginWorldMeshes(World& world);
// The shared tree shell, built at start-up.
void BuildTreeShell();
// The flat light map used before a world brings its own; its textures.
void BuildFlatLightMap();
void FreeLightMapTextures();
// The sky of the loaded world's selected light scheme, as the frame's sky
// draws it: the sky material (null: none), the sky picture's heading
// (radians), the height factor of the dome and the fog colour that is the
// horizon's. 1 with a loaded world, 0 without.
// Pending: no world is ever loaded yet; answers 0.
struct WorldSkyLight {
    Material* sky = nullptr;
    float heading = 0;
    float heightFactor = 1;
    ColourRecord fog;
};
int GetWorldSkyLight(WorldSkyLight& out);

// ---------------------------------------------------------------------------
// Car model tables (car_model_tables.cpp): the small record that follows a
// car's body model in its car data: a pair table, a colour cell grid and a
// list of four-value records. Owned by its car.
//@@ car-model-tables
constexpr int MaxCarModelRecords = 4096;
class CarModelTables : public FloatPairTable {
public:
    ~CarModelTables() override;
    void Free() override;

    int32_t recordCount = 0;
    int32_t (*records)[4] = nullptr;  // recordCount records, owned
    CellGrid grid;
};
// Reads the pair table, the cell grid and the records; 0 (tables empty,
// one log line) when a count does not fit its table or the bytes left.
int ReadCarModelTables(CarModelTables& tables, DataFile& reader, int version);
void WriteCarModelTables(const CarModelTables& tables, DataFile& writer);

// ---------------------------------------------------------------------------
// What the car step asks of the loaded world (temporary bodies in
// car_step_pending.cpp until speed zones, world objects and the cars' path
// followers are built: no world is loaded).

// The lowest speed limit of the world's speed zones, km/h; 0 when the
// world has no speed zone.
int GetLowestSpeedLimit();
// True when the object is not marked as ignored and its lowest point lies
// below z (16.16).
bool CanCarTouchObject(const WorldObject& object, Fixed belowZ);
// The node of the car's path follower, -1 when it has no path position
// (path_links.cpp).
int GetCarPathNode(const CarObject& car);
