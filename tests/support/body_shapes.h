// Box-shaped rigid bodies for the physics tests and benchmarks.
#pragma once

#include <cmath>

#include "vehicle/services.h"

namespace testing_bodies {

// A closed box shell: eight corner points and twelve faces, counter-clockwise
// seen from outside. Half sizes in metres; the box centre sits at
// centreOffset in the body frame. Mass comes from the shell's area.
struct BoxSpec {
    float halfX = 0.5f, halfY = 0.5f, halfZ = 0.5f;
    Vec3 centreOffset;
    float mass = 1000.0f;     // kg
    float stiffness = 1e5f;   // N/m per point
    float damping = 1000.0f;  // N s/m per point
    float friction = 0.5f;
};

inline float BoxArea(const BoxSpec& s)
{
    return 8.0f * (s.halfX * s.halfY + s.halfX * s.halfZ + s.halfY * s.halfZ);
}

// Builds the arrays and mass properties of a plain body that is awake,
// movable, enabled and placed at the origin with no rotation.
inline void BuildBox(PlainBody& body, const BoxSpec& s)
{
    InitRigidBody(body, 1, 1, nullptr);
    body.stiffness = s.stiffness;
    body.damping = s.damping;
    body.friction = s.friction;
    body.pointCount = 8;
    body.points = new ContactPoint[8];
    for (int i = 0; i < 8; ++i)
        body.points[i].local = {s.centreOffset.x + ((i & 1) ? s.halfX : -s.halfX),
                                s.centreOffset.y + ((i & 2) ? s.halfY : -s.halfY),
                                s.centreOffset.z + ((i & 4) ? s.halfZ : -s.halfZ)};
    // Each side as four corners going round it; triangles (a b c) (a c d).
    static const int sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                    {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    body.faceCount = 12;
    body.faces = new BodyFace[12];
    for (int side = 0; side < 6; ++side) {
        const int* c = sides[side];
        int tri[2][3] = {{c[0], c[1], c[2]}, {c[0], c[2], c[3]}};
        for (int t = 0; t < 2; ++t) {
            BodyFace& face = body.faces[side * 2 + t];
            Vec3 a = body.points[tri[t][0]].local, b = body.points[tri[t][1]].local,
                 d = body.points[tri[t][2]].local;
            Vec3 e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{d.x - a.x, d.y - a.y, d.z - a.z};
            Vec3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
            Vec3 out{(a.x + b.x + d.x) / 3 - s.centreOffset.x, (a.y + b.y + d.y) / 3 - s.centreOffset.y,
                     (a.z + b.z + d.z) / 3 - s.centreOffset.z};
            int order[3] = {tri[t][0], tri[t][1], tri[t][2]};
            if (n.x * out.x + n.y * out.y + n.z * out.z < 0) {
                order[1] = tri[t][2];
                order[2] = tri[t][1];
                n = {-n.x, -n.y, -n.z};
            }
            float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
            face.localNormal = {n.x / length, n.y / length, n.z / length};
            for (int k = 0; k < 3; ++k)
                face.corners[k] = &body.points[order[k]];
        }
    }
    UpdateBodyBounds(body);
    ComputeMassProperties(body, s.mass / BoxArea(s));
    ResetBody(body);
}

// Places a body's origin (16.16) and rotation, and predicts that pose so
// that box and sphere tests see it before the first step.
inline void PlaceBody(RigidBody& body, const FixedVector& position, const FloatMatrix& rotation)
{
    body.position = body.predictedPosition = position;
    body.rotation = body.predictedRotation = rotation;
    ResetBody(body);
}

inline FixedVector Metres(double x, double y, double z)
{
    return {FixedFromMetres(x), FixedFromMetres(y), FixedFromMetres(z)};
}

}  // namespace testing_bodies
