// Eight-point bodies, the nodes of figure skeletons, and the poses of a
// skeleton that the figure and animation code store, restore and blend.
#include <algorithm>
#include <cmath>

#include "vehicle/local.h"

void ConstructObjectBody(ObjectBody& body)
{
    InitRigidBody(body, 1, 1, nullptr);
    body.stiffness = 18000.0f;
    body.friction = 0.5f;
    body.damping = 250.0f;
    body.pointCount = ObjectBodyPointCount;
    body.points = new ContactPoint[ObjectBodyPointCount];
    for (int i = 0; i < ObjectBodyPointCount; ++i)
        InitContactPoint(body.points[i]);
}

void DestroyObjectBody(ObjectBody& body) { FreeBody(body); }

void InitObjectBodySet(ObjectBodySet& set) { set = {}; }

void CreateObjectBodyNodes(ObjectBodySet& set, int count)
{
    FreeObjectBodySet(set);
    if (count <= 0)
        return;
    set.nodes = new ObjectBody[count];
    set.nodeCount = count;
    for (int i = 0; i < count; ++i)
        ConstructObjectBody(set.nodes[i]);
}

void FreeObjectBodySet(ObjectBodySet& set)
{
    if (set.nodes) {
        for (int i = 0; i < set.nodeCount; ++i)
            DestroyObjectBody(set.nodes[i]);
        delete[] set.nodes;
    }
    delete[] set.joints;
    set.nodes = nullptr;
    set.joints = nullptr;
    set.nodeCount = 0;
    set.secondCount = 0;
}

ObjectState* SnapshotObjects(const ObjectBodySet& set)
{
    ObjectState* states = new ObjectState[std::size_t(std::max(set.nodeCount, 0))];
    StoreObjectStates(set, states);
    return states;
}

void StoreObjectStates(const ObjectBodySet& set, ObjectState* out)
{
    for (int i = 0; i < set.nodeCount; ++i) {
        FloatToFixedMatrix(set.nodes[i].rotation, out[i].rotation);
        out[i].position = set.nodes[i].position;
    }
}

void RestoreObjectStates(ObjectBodySet& set, const ObjectState* in)
{
    for (int i = 0; i < set.nodeCount; ++i) {
        FixedToFloatMatrix(set.nodes[i].rotation, in[i].rotation);
        set.nodes[i].position = in[i].position;
    }
}

void InterpolateObjectStates(ObjectBodySet& set, const ObjectState* a, const ObjectState* b, float t)
{
    for (int i = 0; i < set.nodeCount; ++i) {
        FloatMatrix from, to;
        FixedToFloatMatrix(from, a[i].rotation);
        FixedToFloatMatrix(to, b[i].rotation);
        ObjectBody& node = set.nodes[i];
        for (int e = 0; e < 9; ++e)
            node.rotation.m[e] = from.m[e] + t * (to.m[e] - from.m[e]);
        for (int axis = 0; axis < 3; ++axis) {
            std::int32_t start = a[i].position[axis].raw;
            // The difference of the two 16.16 values wraps like the registers.
            std::int32_t difference = std::int32_t(std::uint32_t(b[i].position[axis].raw) - std::uint32_t(start));
            node.position[axis] = FixedFromMetres((double(start) + double(t * float(difference))) / 65536.0);
        }
    }
}
