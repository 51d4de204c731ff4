// The road: profiles (upright rows of points that serve as the road's
// cross-sections and as panels) and the curved drivable surfaces spanned
// between two profiles, whose contact query gives cars the ground under
// their wheels, with road bumps and the checkpoint area codes.
#pragma once

#include <cstdint>
#include <vector>

#include "world/cubic_curves.h"
#include "world/scenery_kinds.h"

// ---------------------------------------------------------------------------
// Profiles (type 8).

// A profile holds at most this many points (the drawing's table).
constexpr int MaxProfilePoints = 64;
// Profile flags.
constexpr uint8_t ProfileAttached = 0x01;   // spans two other profiles
constexpr uint8_t ProfileSpareFloat = 0x02; // an unused float follows in the file
constexpr uint8_t ProfileTextured = 0x08;
constexpr uint8_t ProfileTransparent = 0x20;
constexpr uint8_t ProfileFacesLeft = 0x40, ProfileFacesRight = 0x80;
// Edge codes of a profile point.
constexpr uint8_t EdgeLeft = 1, EdgeRight = 2;

struct StripPoint {
    int32_t height = 0;   // 16.16 m
    int32_t offset = 0;   // 16.16 m along the heading (the lateral axis)
    float angle = 0;      // radians added to the plan direction of curves leaving here
    float gradient = 0;   // height slope added to curves leaving here
    uint8_t edge = 0;     // 0, EdgeLeft or EdgeRight
    uint8_t kept[3] = {};
    uint16_t u = 0, v = 0;  // texture coordinates, 65535 = 1
};

struct StripTriangle {
    uint8_t point[3] = {};
    uint8_t flags = 0;
};

class StripObject : public WorldObject {
public:
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    float* HeadingField() override { return &heading; }
    int GetType() const override { return ObjectTypeProfile; }
    void Init() override;

    uint8_t profileFlags = 0;
    uint8_t second = 0;
    uint16_t texture = 0;
    float heading = 0;    // radians, the direction of the lateral axis
    uint8_t selector[2] = {};    // attached: the edge codes taken from each end
    uint16_t end[2] = {};        // attached: the two profiles' object indexes
    std::vector<StripPoint> points;
    std::vector<StripTriangle> triangles;
    const StripObject* ends[2] = {};  // attached: linked by the loader
    World* world = nullptr;     // the textures
};

// Point accessors of a profile taken forwards (direction 1) or reversed
// (any other direction: point i is point n - 1 - i, offset and gradient
// negated).
int32_t GetStripPointHeight(const StripObject& strip, int direction, int i);
int32_t GetStripPointOffset(const StripObject& strip, int direction, int i);
float GetStripPointGradient(const StripObject& strip, int direction, int i);
float GetStripPointAngle(const StripObject& strip, int direction, int i);
uint8_t GetStripPointEdge(const StripObject& strip, int direction, int i);
void GetStripPointWorld(const StripObject& strip, int direction, int i, FixedVector& out);
// The unit lateral axis of a heading (16.16), from the angle tables.
FixedVector HeadingAxis(float heading);

// ---------------------------------------------------------------------------
// Curved drivable surfaces (type 9).

// A surface holds at most this many curves (the row and query tables).
constexpr int MaxSurfaceCurves = 64;
// Surface flags.
constexpr uint16_t SurfaceDrivable = 0x0001;
constexpr uint16_t SurfaceSharedProfile = 0x0002;
constexpr uint16_t SurfaceBlended = 0x0020;
// Curve kinds and flags.
constexpr uint8_t CurveSmoothPlan = 0;   // curved in plan and height
constexpr uint8_t CurveStraightPlan = 1; // straight in plan
constexpr uint8_t CurveStraight = 2;     // straight in plan and height
constexpr uint8_t CurveSmooth = 0x01;    // the bands either side share one normal
constexpr uint8_t CurveOnePoint = 0x02;  // both ends at the same point

struct SurfaceCurve {
    uint8_t kind = 0;          // as Init leaves it
    uint8_t storedKind = 0;    // as the file gives it
    uint8_t curveFlags = 0;
    uint8_t endPoint[2] = {};  // profile point indexes at end 1 and end 2
    Cubic across;              // across fraction of the end widths over t, 16.16
    Cubic height;              // 16.16 m over t
    float slope[2] = {};       // added to the profile gradients at each end
    float angle[2] = {};       // radians added to the profile angles at each end
};

class CurvedSurfaceObject : public LodObject {
public:
    int ContainsPoint(Fixed px, Fixed py, Fixed margin) const override;
    int ContactQuery(const FixedVector& position, const FixedVector& direction, ContactQueryRecord& record,
                     SurfaceBump* bump) override;
    bool Load(RecordReading& in) override;
    void Save(DataFile& writer) const override;
    int GetType() const override { return ObjectTypeSurface; }
    void Init() override;
    bool IsSurface() const override { return (surfaceFlags & SurfaceDrivable) != 0; }

    int32_t lowest = 0, highest = 0;   // 16.16 m, set by Init
    uint16_t surfaceFlags = 0;
    int16_t unused = 0;
    int16_t direction[2] = {1, 1};     // 1 forwards, other reversed
    int16_t end[2] = {};               // the two profiles' object indexes
    uint8_t areaCode = 0;              // 1 finish line, 2..4 checkpoints
    uint8_t further = 0;
    uint32_t areaMask = 0xFFFFFFFFu;   // configurations the area code counts in
    std::vector<SurfaceCurve> curves;
    std::vector<SurfaceBand> bands;
    float segmentLength = 0;           // m, one row step of the first level
    float textureLength = 0;           // m
    StripObject* ends[2] = {};         // linked by the loader
    FixedVector p0, p1;                // the reference side's corners
    FixedVector d0, d1;                // end line directions, 65536 = 1
    FixedVector e0, e1;                // across vectors, 16.16
    int32_t length = 0;                // 16.16 m
    World* world = nullptr;      // textures and bump map
};

// Positive when (x, y) lies left of the line through P with unit direction D.
int32_t SideOfLine(Fixed x, Fixed y, const FixedVector& p, const FixedVector& d);
// The plan point and height of every curve at t (16.16): the rows the
// bounds are measured on and the builder's and tests' reference.
void EvaluateSurfaceRow(const CurvedSurfaceObject& surface, int32_t t, std::vector<FixedVector>& points);
