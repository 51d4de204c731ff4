// The racing line the data builder lays over a configuration's path for the
// AI drivers: a minimum-curvature line fitted inside the road, and the key
// points the knowledge file stores it by, chosen so that the line the game
// rebuilds from them stays the fitted one and inside the road.
#pragma once

#include <vector>

#include "session/services.h"
#include "world/services.h"

// One key of a line: the line runs from the previous key's end node (or the
// path's first node) to endNode, which it passes at endOffset (m across the
// node, right positive) heading endAngle (radians, left positive) from the
// node's direction.
struct RacingLineKey {
    int startNode = 0, endNode = 0;
    float endAngle = 0, endOffset = 0;
};

// The offsets (m) between which the fitted line keeps the car's middle at a
// node: its half width plus the game's key margin (KnowledgeKeyMargin)
// inside the road's edges, with a little slack for the cubics between keys.
// A node too narrow for the car gives its middle.
void RacingLineBounds(const PathNode& node, float halfWidth, float& low, float& high);

// The line of least summed squared curvature through the path's nodes
// within RacingLineBounds: one offset per node (m, right positive). On an
// open path the line starts on the centre of its first node, where a line
// the game rebuilds starts. A fixed number of passes on every path, so the
// same path always gives the same offsets.
std::vector<float> FitRacingLine(const Path& path, float halfWidth);

// The keys of a fitted line, chained from node to node round a closed path
// (along an open one from its first node to its last): every few nodes,
// with more where the line the game rebuilds from them would stray from the
// fit by more than a few centimetres or come near a limit. No keys when
// the line is the centre line everywhere.
std::vector<RacingLineKey> ChooseRacingLineKeys(const Path& path, const std::vector<float>& offsets, float halfWidth);

// The offsets of the line the game rebuilds from the keys for a car of the
// half width (the game's BuildKnowledge over the path): each key's offset
// clamped inside the road and its direction turned from its node's, then
// the cubic of each key sampled on the nodes between its start and its end.
std::vector<float> RebuildRacingLine(const Path& path, const std::vector<RacingLineKey>& keys, float halfWidth);

// The summed squared curvature of a line of offsets through the path's
// nodes (the integral of curvature squared over its length, 1/m), round a
// closed path or along an open one: what the fit makes least.
double RacingLineBending(const Path& path, const std::vector<float>& offsets);
