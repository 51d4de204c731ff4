// Paths: the chain of road cross-sections laid along each configuration of
// a track (nodes with their centre, direction, road edges and outer limits),
// the finish line and checkpoints found under them, reversal for the
// reversed direction, the rubber line kept per configuration, and the path
// followers that know which span a car is in and keep its light states.
#pragma once

#include <cstdint>
#include <vector>

#include "core/services.h"
#include "vehicle/services.h"

// Path flags.
constexpr int32_t PathClosedLoop = 0x01;    // laps
constexpr int32_t PathRacing = 0x04;        // checkpoints, rubber line, AI
constexpr int32_t PathReversible = 0x08;    // may be driven reversed
constexpr int32_t PathLightSamples = 0x10;  // main nodes carry light samples

// A node's light samples: 16 samples of 8 bytes across it, left to right.
constexpr int PathLightSampleCount = 16;
constexpr int PathLightSampleSize = 8;
constexpr int PathLightSampleBytes = PathLightSampleCount * PathLightSampleSize;
// Node counts are stored in 16 bits.
constexpr int MaxPathNodes = 32767;
// A world holds at most this many objects; the followers keep one light
// state byte per object, so every object index a path names is below it.
constexpr int MaxWorldObjects = 16384;
// The light state tables of a follower (and the state lists of a node).
constexpr int LightStateTableCount = 3;
// Light-map blocks: one per light scheme, each at most this many values.
constexpr int MaxLightMapBlocks = 16;
constexpr int MaxLightMapValues = 1 << 20;
// Limit relaxing stops after this many passes (a well-formed path settles
// in a handful); what it reached by then is kept.
constexpr int MaxRelaxPasses = 100;

// One entry of a keyed byte list: an object and a mask for its state byte.
struct KeyedEntry {
    int16_t object = 0;  // world object index, 0..MaxWorldObjects-1
    uint8_t mask = 0xFF;
    uint8_t zero = 0;
};
// Per-object mask changes (node state lists) or start values (base lists).
struct KeyedByteList {
    std::vector<KeyedEntry> entries;
};

// One of the three rubber points laid across a node: its left edge, its
// centre line and its right edge.
struct RubberPoint {
    float offset = 0;      // m across the node, right positive
    float intensity = 0;   // 0..1
    FixedVector ground;    // where it is drawn, 16.16
    uint32_t colour = 0;   // alpha in the top byte
};
constexpr int RubberPointCount = 3;

// A cross-section of the road. Lateral offsets are measured along
// (dy, -dx) of the direction, positive to the right, in metres.
struct PathNode {
    uint8_t kind = 0;            // as stored; read by its users
    FixedVector centre;          // 16.16 m
    Vec3 direction;              // unit, along the path
    float leftEdge = 0, rightEdge = 0;    // the road's edges
    float leftLimit = 0, rightLimit = 0;  // the outer limits where cars are kept
    float distance = 0;          // m along the path (set by SetupPathCheckpoints)
    RubberPoint rubber[RubberPointCount] = {{-1, 0, {}, 0}, {0, 0, {}, 0}, {1, 0, {}, 0}};
    uint8_t lightSamples[PathLightSampleBytes] = {};
    int32_t cameraObject = -1;   // world object covering this node, -1 none
    KeyedByteList states[LightStateTableCount];  // applied when a follower passes
};

// One light-map block: a x b values of 4 bytes and a x b of 8 bytes.
struct LightMapBlock {
    int32_t a = 0, b = 0;
    std::vector<uint32_t> values;
    std::vector<uint8_t> samples;  // 8 bytes per value
};

// Timing points: the finish line, then checkpoints 1 to 3.
constexpr int TimingPointSlots = 4;

struct Path {
    int32_t flags = 0;           // PathClosedLoop, PathRacing, ...
    int32_t nodeCount = 0;       // nodes.size(), kept by the path functions
    std::vector<PathNode> nodes;
    int32_t secondCount = 0;     // a parallel route's nodes (no light samples)
    std::vector<PathNode> secondNodes;
    std::vector<LightMapBlock> lightMaps;  // one per light scheme
    KeyedByteList baseLists[LightStateTableCount];
    FixedVector centre;          // of the nodes' bounding rectangle, z 0
    int32_t radius = 0;          // 16.16: half-diagonal + 20 m, at least 384 m; 0 without nodes
    float roadFraction = 0;      // share of nodes over road
    int32_t timingNodes[TimingPointSlots] = {-1, -1, -1, -1};
};

// What the path code asks of the loaded world. CurrentPathWorld answers it
// for the loaded world; tests describe a world of their own.
struct PathWorld {
    int loaded = 0;               // a world is loaded
    Path* currentPath = nullptr;  // the current configuration's path
    int configuration = 0;        // 1..15; 0 when none is selected
    int reversed = 0;
    int timingPointCount = 0;     // finish line and checkpoints of the configuration
    int lightSchemeCount = 0;
    int firstLayoutObject = MaxWorldObjects;  // object count less layout objects
    const char* siteCode = "";
    // The ground crossed by the segment from position - direction to
    // position (16.16); 1 on a hit. Null: nothing is ever found.
    int (*pointQuery)(const FixedVector& position, const FixedVector& direction,
                      ContactQueryRecord& result) = nullptr;
    // The surface kind (0..16) of a hit surface.
    int (*surfaceKind)(const WorldTexture& surface) = nullptr;
};
// Pending: no world loader yet (loaded_world_pending.cpp); answers a world
// that is not loaded.
PathWorld CurrentPathWorld();

// The current configuration's path; null when no world is loaded.
Path* GetCurrentPath();
// The current path when it is a closed racing loop (the path whose rubber
// line is kept); null otherwise.
Path* GetKnowledgePath();

// Empty lists, counts 0, timing nodes -1.
void InitPath(Path& path);
// Frees every list and array; counts 0.
void FreePath(Path& path);
// Reads the path record, then relaxes the main nodes' limits. Every count
// and index is checked against its table and the bytes left: a bad record
// is refused (0, path empty, one message naming the fault).
int ReadPath(Path& path, DataFile& reader, int version);
// Reads one node (rubber offsets -1, 0, 1); 0 when it does not fit.
int ReadPathNode(PathNode& node, DataFile& reader, int version, int withSamples);
// Reads one keyed list; 0 when its count or an object index is bad.
int ReadKeyedList(KeyedByteList& list, DataFile& reader);
// The writers of the same forms (unused fields written as zeros).
void WritePath(const Path& path, DataFile& writer);
void WritePathNode(const PathNode& node, DataFile& writer, int withSamples);
void WriteKeyedList(const KeyedByteList& list, DataFile& writer);

// Reverses a node list for the reversed direction; twice restores it.
void ReversePath(PathNode* nodes, int count);
// Reverses the bit order of every entry's mask.
void ReverseKeyedMasks(KeyedByteList& list);
// Appends {object, 0xFF} to a list that already has entries.
void AddKeyedEntry(KeyedByteList& list, int object);
// Removes the entries of the object (the last entry moves into their place).
void RemoveKeyedEntry(KeyedByteList& list, int object);
// Entries of a get b and entries of b get a.
void SwapKeyedKeys(KeyedByteList& list, int a, int b);
// Pulls in limits that reach further out than a neighbour's allow, so that
// neighbouring limits differ by less than step; returns the passes run.
// A list that has not settled after MaxRelaxPasses is reported and left as
// it is then (still usable).
int RelaxPathLimits(PathNode* nodes, int count, float step);
// out := the node a + t (b - a); with extras the rubber, camera and light
// samples too. Returns 5 × the distance in metres from a to b along out's
// direction.
float InterpolatePathNode(PathNode& out, const PathNode& a, const PathNode& b, float t,
                          int withExtras = 0);
float MakeInterpolatedPathNode(PathNode& out, const PathNode& a, const PathNode& b, float t,
                               int withExtras);
void DestroyPathNode(PathNode& node);
// The point at a lateral offset (m) on the node, kept between the limits
// narrowed by margin + 1 m.
void GetNodeLateralPoint(const PathNode& node, FixedVector& out, float margin, float offset);
// The checkpoint number under the node (0 none, 1 finish); with roadFlag,
// whether the ground there is road. Refreshes the node's rubber points.
int FindCheckpointUnderNode(PathNode& node, int* roadFlag);
int FindCheckpointUnderNode(PathNode& node, int* roadFlag, const PathWorld& world);
// Timing nodes, distances, centre, radius and road fraction; returns the
// radius.
int SetupPathCheckpoints(Path& path);
int SetupPathCheckpoints(Path& path, const PathWorld& world);
// (i + 1) mod the node count; 0 for a path without nodes.
int NextPathNode(const Path& path, int i);

// ---------------------------------------------------------------------------
// The rubber line file "data\knw\<code>.trs": the three rubber points of
// every node of the knowledge path, per configuration and direction.
constexpr const char* RubberLineMagic = "ZKTRST";
constexpr int RubberLineVersion = 246;
constexpr int KnowledgeFileNameSize = 64;

// "data\knw\" + site code, configuration number and "R" when reversed +
// ".trs".
void MakeKnowledgeFileName(const char* siteCode, int configuration, int reversed, char* output);
// Loads the rubber points of the path from the file; a missing, newer,
// stale or short file leaves the default line (a stale or short one is
// reported). 1 when the file's line was taken.
int LoadRubberLine(Path& path, const char* fileName);
// Writes them; 1 when saved.
int SaveRubberLine(const Path& path, const char* fileName);
// Rubber points -1, 0 and 1 m with no intensity on every node.
void ResetRubberLine(Path& path);
// The loaded world's knowledge path and its file: nothing without a
// selected configuration or a knowledge path.
void LoadPathKnowledge();
void SavePathKnowledge();

// ---------------------------------------------------------------------------
// Path followers.

constexpr int LightStateTableSize = MaxWorldObjects;

struct PathFollower {
    Path* path = nullptr;  // the path searched last
    int32_t position = -1; // node that begins the span the point is in; -1 unknown
    int32_t failed = 0;    // 1 after a search found nothing: no automatic search until reset
    uint8_t lightStates[LightStateTableCount][LightStateTableSize] = {};
};

PathFollower* CreatePathFollower();
void FreePathFollower(PathFollower* follower);
void InitPathFollower(PathFollower& follower);
// Clears it; with a world loaded the tables hold 0xFF from the first
// layout object on. Answers the follower when a world is loaded, else null.
PathFollower* ResetPathFollower(PathFollower& follower);
PathFollower* ResetPathFollower(PathFollower& follower, const PathWorld& world);
// Searches the span of the point (16.16); answers the node or -1.
int FindFollowerPosition(PathFollower& follower, const FixedVector& point, int rebuild);
int FindFollowerPosition(PathFollower& follower, const FixedVector& point, int rebuild,
                         const PathWorld& world);
// 1 at once when failed; searches when the position is unknown; answers
// the failed flag.
int EnsureFollowerPosition(PathFollower& follower, const FixedVector& point);
// A driver takes over the car at the point: the follower starts again when
// the point lies more than 20 m beyond its next node, more than 20 m behind
// its node or more than 20 m outside the node's road edges; then a follower
// without a position searches for the point's.
void RefreshFollowerAtPoint(PathFollower& follower, const FixedVector& point);
void RefreshFollowerAtPoint(PathFollower& follower, const FixedVector& point, const PathWorld& world);
int NextFollowerNode(const PathFollower& follower);
// Toggles the follower's tables by the change lists of node i.
void ApplyNodeLightChanges(PathFollower& follower, int node);
