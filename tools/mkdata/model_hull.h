// The collision hull of a body model: a convex shape of at most 24 points
// and 42 triangles around every point of the model, written as the model's
// lowest level of detail.
#pragma once

#include <vector>

#include "model_shapes.h"

struct HullPoint {
    double x, y, z;
};

// Every point of the model and its sub-models (a twin counted at -x, a
// sub-model moved by its offset), in metres.
std::vector<HullPoint> CollectModelPoints(const ObjectModel& model);
// Adds the hull of the points as triangles of one colour column at the
// level (counter-clockwise seen from outside, flat). Returns its volume
// (m^3), or 0 when no hull was made.
double AddEnclosingHull(ModelMaker& maker, const std::vector<HullPoint>& points, int column, int level);
