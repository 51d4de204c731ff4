// A test ground for whole cars: a plane through the origin met through the
// scenery contact query, so that each hit carries a surface of a chosen
// kind (the ground a body meets without a world has no surface: kind 13).
// Used by the driving tests and the car-step benchmark.
#pragma once

#include "vehicle/services.h"

// The segment from P - D to P against the plane through the origin with
// unit normal n, as a scenery surface answers it: the fraction of D behind
// the plane, deeper hits than the record holds only. Returns whether the
// record took the hit; its surface and body are left for the caller.
inline bool HitTestPlane(const Vec3& n, const FixedVector& p, const FixedVector& d, ContactQueryRecord& record)
{
    double px = p.x.raw / 65536.0, py = p.y.raw / 65536.0, pz = p.z.raw / 65536.0;
    double dx = d.x.raw / 65536.0, dy = d.y.raw / 65536.0, dz = d.z.raw / 65536.0;
    double sp = n.x * px + n.y * py + n.z * pz;
    double sd = n.x * dx + n.y * dy + n.z * dz;
    if (!(sp < 0 && sd < sp))
        return false;
    double w = sp / sd;
    Fixed depth = FixedFromMetres(static_cast<float>(w));
    if (!(depth > record.hitDepth))
        return false;
    record.hitDepth = depth;
    record.hitNormal = n;
    record.hitPosition = {FixedFromMetres(static_cast<float>(px - w * dx)),
                          FixedFromMetres(static_cast<float>(py - w * dy)),
                          FixedFromMetres(static_cast<float>(pz - w * dz))};
    record.hitSurface = nullptr;
    record.hitBody = nullptr;
    return true;
}

// Flat (or tilted) ground through the origin, met through the scenery
// contact query, so that every hit carries a surface whose kind the car's
// contact finishing reads. Points with world x below splitX meet a second
// kind when one is set (a split-grip surface).
class TestGround final : public BodySurroundings {
public:
    float gravity = -9.81f;
    Vec3 planeNormal{0, 0, 1};  // unit; the plane holds the origin
    int kind = 0;               // surface kind 0: tarmac
    int splitKind = -1;         // -1: one surface everywhere
    double splitX = 0;          // m, world

    bool IsWorldLoaded() const override { return true; }
    float Gravity() const override { return gravity; }
    int CollectContactObjects(const FixedVector&, Fixed, WorldObject** out, int capacity) override
    {
        if (capacity < 1)
            return 0;
        out[0] = reinterpret_cast<WorldObject*>(this);  // only handed back to the two calls below
        return 1;
    }
    bool ObjectContainsPoint(WorldObject&, Fixed, Fixed, Fixed) override { return true; }
    void ObjectContactQuery(WorldObject&, const FixedVector& p, const FixedVector& d,
                            ContactQueryRecord& record) override
    {
        if (!HitTestPlane(planeNormal, p, d, record))
            return;
        bool split = splitKind >= 0 && record.hitPosition.x.raw / 65536.0 < splitX;
        record.hitSurface = reinterpret_cast<WorldTexture*>(split ? &surfaces[1] : &surfaces[0]);
    }
    int SurfaceKind(const WorldTexture& texture) const override
    {
        return reinterpret_cast<const char*>(&texture) == &surfaces[1] ? splitKind : kind;
    }

    // The surface every hit carries (the split side's is the second).
    const WorldTexture* MainSurface() const { return reinterpret_cast<const WorldTexture*>(&surfaces[0]); }

private:
    char surfaces[2] = {};  // stand-ins for world textures: only their addresses count
};
