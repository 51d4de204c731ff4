// Driver figures: jointed bodies of boxes (skeletons) dressed with object
// models whose points follow the boxes, and the animations that pose them.
#pragma once

#include <cstdint>
#include <vector>

#include "core/services.h"
#include "vehicle/services.h"
#include "world/object_model.h"

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
// The figure data of the program, read-only outside the world. Lives for
// the whole run: loaded at start-up by LoadHumans(screen), freed at
// shut-down by FreeHumans(), emptied by ResetWorldTables.
extern const HumanSystem& Humans;

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
// The same three on the program's figures (Humans).
int LoadHumans(Screen* screen, const char** reason = nullptr);
void FreeHumans();
void ReloadHumans();
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
