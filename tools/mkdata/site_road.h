// The road network of a generated site: sections of centre line between
// junctions (straights, arcs and smooth connectors) with their elevation,
// banking and cross-section; the configurations as loops of sections; and
// the world objects and paths made of them. The same description answers
// the builder's own questions about the road (its centre-line length, its
// height at a point), which the world's loader must agree with.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "world/services.h"

// A place on a centre line: position and height (m), travel direction
// (radians from +x, left positive) and height grade (rise per metre).
struct RoadPose {
    double x = 0, y = 0, z = 0, heading = 0, grade = 0;
};

// A straight (turn 0) or an arc turning by `turn` radians (left positive)
// over its length (m).
struct RoadStep {
    double length;
    double turn;
};

// A band beside the road, from the road edge outwards: its width (m), the
// height of its outer edge above the road's plane (m) and its texture where
// the road turns and where it runs straight (a kerb painted in corners).
struct SideBand {
    double width;
    double rise;
    int texture;
    int straightTexture;
};

// Across the road from left to right: a wall, the left bands (outermost
// first), the road, the right bands and a wall.
struct CrossSection {
    double halfRoad = 4.5;
    std::vector<SideBand> side[2];  // left, right: from the road edge outwards
    bool wall[2] = {false, false};
    double wallHeight = 1.2;
    double bankFactor = 0;          // bank slope per unit curvature (m)
    int roadTexture = 0, wallTexture = 0;

    // Metres from the centre line to the outer edge of a side.
    double Extent(int s) const;
};

// One point of a profile as the builder places it.
struct ProfilePoint {
    double q = 0;        // m across, right positive
    double x = 0, y = 0; // m
    double h = 0;        // m
    double gradient = 0; // rise per metre along the road at this point
    uint8_t edge = 0;
    int texture = 0;     // of the band to its right
};

struct ProfileSample {
    double s = 0;                // m along the section
    double x = 0, y = 0, z = 0;  // centre
    double heading = 0, curvature = 0, grade = 0, bank = 0;
    std::vector<ProfilePoint> points;
};

struct RoadSection {
    int from = -1, to = -1;                        // junctions
    std::vector<RoadStep> steps;                   // empty: a smooth connector
    bool surfaced = true;                          // false: a course marked on another section's ground
    std::vector<std::pair<double, double>> knots;  // interior heights: (fraction of the length, z)
    CrossSection cross;
    double pieceLength = 4;
    // Filled as the network is prepared.
    double length = 0;
    uint32_t mask = 0;
    std::vector<ProfileSample> profiles;
    int firstProfile = -1, firstSurface = -1;  // object indexes in the world
    double closingError = 0;                    // m and radians off the end junction (AddStepsTo)
    std::vector<double> arcTable;               // connectors: distance at evenly spaced parameters
};

// Where on a loop a timing point lies: a piece of a section.
struct LoopPlace {
    int section = 0, piece = 0;
};

struct RoadLoop {
    std::vector<int> sections;        // in driving order; the last ends where the first begins
    std::vector<int> extraSections;   // also in the configuration (pit lanes)
    bool racing = true;
    bool closed = true;               // false: an open course from the first section's start to the last's end
    bool reversible = false;
    bool loose = false;               // a loose-surface configuration
    int finishSection = 0;
    double finishAt = 0;              // m along the finish section
    LoopPlace timing[4];              // finish line and three checkpoints, set with the world
};

class RoadNetwork {
public:
    std::vector<RoadPose> junctions;
    std::vector<RoadSection> sections;
    std::vector<RoadLoop> loops;

    int AddJunction(const RoadPose& pose);
    // A section of steps from a junction, ending at a new junction of the
    // height and grade given. Returns the section.
    int AddSteps(int from, const std::vector<RoadStep>& steps, double endZ, const CrossSection& cross,
                 double endGrade = 0, const std::vector<std::pair<double, double>>& knots = {});
    // A section of steps that must end on an existing junction (within 0.1 m
    // and 0.01 degrees; Prepare refuses the design otherwise).
    int AddStepsTo(int from, int to, const std::vector<RoadStep>& steps, const CrossSection& cross,
                   const std::vector<std::pair<double, double>>& knots = {});
    // A smooth section between two junctions.
    int AddConnector(int from, int to, const CrossSection& cross, const std::vector<std::pair<double, double>>& knots = {});
    int EndOf(int section) const { return sections[size_t(section)].to; }

    // Samples every section into profiles and checks the design: loops
    // close, corners are wide enough for their cross-sections, sections
    // keep clear of each other away from their junctions. False with the
    // reason otherwise.
    bool Prepare(std::string& error);

    // The builder's own answers.
    double CentreLineLength(int loop) const;
    // The road band's point at piece `piece` of a section, at t along the
    // piece and f across the road (0 left edge, 1 right edge): x, y and the
    // height of the surface the builder describes there.
    void RoadPoint(int section, int piece, double t, double f, double& x, double& y, double& z) const;
    // The centre line's pose at distance s along a loop.
    RoadPose LoopPose(int loop, double s) const;
    double SectionLength(int section) const { return sections[size_t(section)].length; }
};

// The world's textures, objects and paths of the network: profiles and
// surfaces of every section (with timing points), and one configuration per
// loop with its path. Returns false with the reason when a loop's timing
// points cannot be placed.
bool AddRoadsToWorld(RoadNetwork& network, World& world, int lightSchemes, std::string& error);
