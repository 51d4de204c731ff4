// AI track knowledge: the racing line an AI driver follows over every node
// of the configuration's route, its speed profile from the car's grip,
// brakes and power, the pit line, and the knowledge file that keeps the
// line as a few key segments ("data\knw\<track code>_<car code>.knw").
//
// The per-node record KnowledgeNode and the key segment KnowledgeSegment
// are the world's (world/cubic_curves.h), since the world's cubic code
// reads and writes them.
#pragma once

#include <cstdint>
#include <vector>

#include "world/services.h"

struct AiDriver;
class CarObject;
struct CarSetup;
struct DataFile;

constexpr const char* KnowledgeFileMagic = "QVNKNW";
constexpr int KnowledgeFileVersion = 5;
// Bytes of the file after its header and before the key segments.
constexpr int KnowledgeFileHeadBytes = 28;
// A key's end offset is held this far (m, plus the car's half width) inside
// the road's edges; a line whose node comes closer to an edge than
// KnowledgeNodeMargin plus the half width does not fit the road.
constexpr float KnowledgeKeyMargin = 1.0f;
constexpr float KnowledgeNodeMargin = 0.9f;

// The share of the grip table's friction that the tyres hold through a
// corner of the car step: their force falls away past the peak slip and
// the load moves across the car, so a profile of the table's full figure
// asks for more than the car has, and the driver runs wide at every
// corner's entry. Measured by an AI driver alone: clean laps up to this
// share, off the road above it.
constexpr float HeldTyreFriction = 0.88f;

// What an AI driver (or the display) knows of one line round the track.
// Owned by its AiDriver, or by the session for display; FreeKnowledge
// empties it. nodeCount and keyCount always equal the vectors' sizes.
struct AiKnowledge {
    CarObject* car = nullptr;    // whose figures the profile uses; not owned
    // Capability of the car, from ComputeCarCapability.
    float fullBrakeDecel = 0;    // m/s^2 with every brake at full torque
    float aeroFront = 0;         // downforce per kg of the axle's mass per (m/s)^2
    float aeroRear = 0;
    float rollFront = 0;         // the set-up's per-axle roll stiffness sums
    float rollRear = 0;
    // The set-up the line was made for (the file's two reserved bytes after
    // the wings and its reserved 16-bit value are not kept).
    uint8_t rearWing = 0;        // degrees
    uint8_t frontWing = 0;       // degrees
    uint16_t finalDriveCode = 0; // ratio 0.5 + 7 x code / 65535
    float fuelPerLap = 0;        // litres
    float maxSpeed = 0;          // m/s
    float lapTime = 0;           // s
    float tankCapacity = 0;      // litres; the car's own once capability is computed
    int32_t nodeCount = 0;
    std::vector<KnowledgeNode> nodes;    // one per path node
    int32_t keyCount = 0;
    std::vector<KnowledgeSegment> keys;  // chained round the route
};

// File names.

// "data\knw\<two site letters><configuration>[R]_<carCode>.knw" for the
// loaded world's configuration; buffer holds KnowledgeFileNameSize bytes.
void KnowledgeFileName(char* buffer, const char* carCode);
// The same for a given site, configuration and direction (the data builder
// names every configuration's file).
void KnowledgeFileNameFor(char* buffer, const char* siteCode, int configuration, int reversed,
                          const char* carCode);
// The file of a car given by full name: codeOut (4 bytes) gets its short
// code. An unknown car shows "Could not open file :" with the name and
// answers 0; else 1.
int KnowledgeFileForCar(char* buffer, char* codeOut, const char* carName);

// The knowledge file.

// Reads the set-up key, the figures and the key segments. A file older
// than the current version is refused without a message, a newer one with
// the standard later-version message, a node count other than
// pathNodeCount with "Wrong number of nodes". On failure the knowledge is
// left as it was. 1 on success; a file with no key segments is valid.
int LoadKnowledge(AiKnowledge& knowledge, const char* fileName, int pathNodeCount);
// Writes the set-up key, figures, node count and key segments: the one
// writer of the format, used by the data builder. 1 when saved.
int WriteKnowledgeFile(const AiKnowledge& knowledge, const char* fileName);

// Building the line.

// Rebuilds every node from the keys over the path: ends of the keys,
// cubics, offsets, the line put on the ground and its geometry. 0 when the
// line does not fit the road (halfWidth: the car's half width, m).
int BuildKnowledge(AiKnowledge& knowledge, const Path& path, float halfWidth);
int BuildKnowledge(AiKnowledge& knowledge, const Path& path, float halfWidth, const PathWorld& world);
// A key's end: the node's direction turned by endAngle and the end offset
// clamped 1 m plus halfWidth inside the road limits (written back to the
// key and to the node).
void SetKnowledgeSegmentNode(AiKnowledge& knowledge, KnowledgeSegment& key, const Path& path, float halfWidth);
// Puts each node's line point on the ground under both wheel tracks
// (surfaces, height, normal). 0 when an offset lies within 0.9 m plus
// halfWidth of a road limit.
int PlaceLineOnGround(AiKnowledge& knowledge, const Path& path, float halfWidth, const PathWorld& world);
// Puts a point of a line that runs off the route (the pit line) on the
// ground found under it near previous's height: its surfaces, height and
// normal; previous's when nothing is found there.
void DropKnowledgeNodeOnGround(KnowledgeNode& node, const KnowledgeNode& previous, const PathWorld& world);
// Direction, length, curvature, vertical curvature, bank, slope and the
// surface figures of every node from its neighbours (wrapped when closed,
// clamped at the ends when open).
void ComputeLineGeometry(AiKnowledge& knowledge, int closed);

// The car's capability.

// The share of the car's weight on its front axle (axle 1), 0..1: how far
// the centre of mass lies ahead of the rear axle over the wheelbase; 0.5
// for a car without a wheelbase.
float FrontAxleWeightShare(const CarObject& car);
// The speed the AI holds in the pit lane (m/s): the world's lowest
// speed-zone limit less 1 km/h; 0 when the world has no speed zone.
float PitLaneSpeedLimit(const World& world);
// The car's mass plus every wheel's rotational inertia over its axle's
// wheel radius squared (kg).
float EffectiveCarMass(const CarObject& car);
// Tank capacity, full brake deceleration, downforce per axle and the roll
// sums of knowledge.car.
void ComputeCarCapability(AiKnowledge& knowledge);

// The grip model (m/s^2; vsq is speed squared).

// Sideways grip of the weaker axle with downforce and vertical curvature.
float NodeGripAccel(const KnowledgeNode& node, float scale, float vsq, float aeroFront, float aeroRear);
// The same of the first axle alone.
float NodeFrontGripAccel(const KnowledgeNode& node, float scale, float vsq, float aeroFront);
// Grip while braking with a load shift of shift m/s^2 onto the first axle.
float BrakeGripAccel(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift);
// Grip while driving with a load shift onto the second axle; the
// single-axle forms give the driven axle's share of the weighted grip.
float FrontDriveGrip(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift,
                     float wf, float wr, float& share);
float RearDriveGrip(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift,
                    float wf, float wr, float& share);
float AllDriveGrip(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float shift);
// The hardest braking the node allows while cornering at vsq.
float MaxBrakeDecel(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq);
// The strongest acceleration the node allows while cornering at vsq, at
// most engineAccel (wf, wr: the axles' weight shares).
float MaxDriveAccel(const AiKnowledge& knowledge, const KnowledgeNode& node, float scale, float vsq, float wf,
                    float wr, float engineAccel);
// The drag of the tyres' slip angles while cornering at vsq.
float CorneringDragDecel(const AiKnowledge& knowledge, int displayMode, const KnowledgeNode& node, float vsq,
                         float wf);

// The speed profile.

// Grip per node and surface, cornering speeds, then the braking pass (and
// in display mode the acceleration pass with brake and throttle bytes).
// exitNode >= 0 marks a pit line: speed zones cap it and its end takes
// joinNodes[exitNode]'s speed. closed: the line laps.
void UpdateKnowledge(AiKnowledge& knowledge, int displayMode, float scale, int exitNode, int closed,
                     const KnowledgeNode* joinNodes);
// out := a + t (b - a); with withArc the point follows the arc through a
// and b when both bend the same way. Length and surfaces are 0.
void InterpolateKnowledgeNode(KnowledgeNode& out, const KnowledgeNode& a, const KnowledgeNode& b, float t,
                              int withArc);

// The driver's knowledge.

// Frees the driver's knowledge, then reads its car's file for the loaded
// world's configuration and direction ("Could not load AI path info :" and
// the file's name when it cannot), rebuilds the line over the route ("AI
// path info must be regenerated" when it leaves the road; the file is
// kept), builds the pit line where the route has a pit lane, and profiles
// both for the driver. 0 when there is no usable knowledge.
int LoadAiKnowledge(AiDriver& driver);
// The line from the racing line through the route's pit lane and back onto
// it, for the driver's car; 0 when none fits.
int BuildAiPitLine(AiDriver& driver);
// 1 when the driver's knowledge holds a pit line.
int AiHasPitLine(const AiDriver& driver);

// Set-up key and storage.

// The knowledge's wings and final drive into the set-up.
void CopyKnowledgeSetupKey(const AiKnowledge& knowledge, CarSetup& setup);
// 1 when the set-up has the knowledge's wings and final drive.
int KnowledgeMatchesSetup(const AiKnowledge& knowledge, const CarSetup& setup);
// count zeroed nodes (none for 0).
void AllocKnowledgeNodes(AiKnowledge& knowledge, int count);
// Empties the knowledge: no nodes, no keys, every figure zero.
void FreeKnowledge(AiKnowledge& knowledge);

// Draws the line from node from to node to as a coloured ribbon: red where
// it brakes, green where it accelerates, yellow between.
// Pending: the scene drawing offers the session no drawing hook yet
// (ai_knowledge_pending.cpp); nothing is drawn.
void DrawKnowledgeLine(const AiKnowledge& knowledge, int from, int to);
