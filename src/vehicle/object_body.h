// Eight-point bodies: the nodes of figure skeletons, and poses of a
// skeleton.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vehicle/rigid_body.h"

// Eight-point bodies: the nodes of figure skeletons, and poses of a skeleton.

// A node of a figure skeleton: eight contact points, no faces.
class ObjectBody : public RigidBody {
public:
    int BodyKind() const override { return 2; }
};

constexpr int ObjectBodyPointCount = 8;

// Material 18000 N/m, friction 0.5, 250 N s/m; eight cleared points whose
// local positions the figure code sets.
void ConstructObjectBody(ObjectBody& body);
void DestroyObjectBody(ObjectBody& body);

// The nodes of one skeleton and the figure code's joints.
struct ObjectBodySet {
    std::int32_t nodeCount = 0;
    std::int32_t secondCount = 0;      // kept by the figure code
    ObjectBody* nodes = nullptr;       // owned, nodeCount constructed nodes
    // The figure code's joint records (trivially destructible), in storage
    // it allocates with new std::byte[]; freed with the set.
    std::byte* joints = nullptr;
    std::int32_t figureWords[2] = {};  // set by the figure code
};

// One node's pose: 16.16 rotation (row-major) and position. In memory only.
struct ObjectState {
    FixedMatrix rotation;
    FixedVector position;
};

void InitObjectBodySet(ObjectBodySet& set);
// Destroys the nodes and frees both arrays; harmless when already empty.
void FreeObjectBodySet(ObjectBodySet& set);
// Creates nodes for a set of count nodes (constructed, points cleared).
void CreateObjectBodyNodes(ObjectBodySet& set, int count);
// A new array of nodeCount poses (the caller frees it with delete[]).
ObjectState* SnapshotObjects(const ObjectBodySet& set);
void StoreObjectStates(const ObjectBodySet& set, ObjectState* out);
void RestoreObjectStates(ObjectBodySet& set, const ObjectState* in);
// Every node to the blend of poses a and b (t 0 gives a, 1 gives b); the
// rotations are blended entry by entry and not re-orthonormalised.
void InterpolateObjectStates(ObjectBodySet& set, const ObjectState* a, const ObjectState* b, float t);
