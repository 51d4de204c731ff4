// The fixture of the physics tests: fresh tables, and floating-point traps
// so that a NaN or an infinity fails at the operation that made it.
#pragma once

#include <gtest/gtest.h>

#include <cfenv>
#include <memory>

#include "support/body_shapes.h"
#include "vehicle/local.h"

class PhysicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetVehicleTables();
        std::feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    }
    void TearDown() override
    {
        fedisableexcept(FE_ALL_EXCEPT);
        ResetVehicleTables();
    }
};

// A box body that frees its arrays with the test.
struct OwnedBox {
    PlainBody body;
    explicit OwnedBox(const testing_bodies::BoxSpec& spec = {}) { testing_bodies::BuildBox(body, spec); }
    ~OwnedBox() { FreeBody(body); }
    OwnedBox(const OwnedBox&) = delete;
    OwnedBox& operator=(const OwnedBox&) = delete;
};

// Surroundings for the tests: a chosen gravity, whether a world counts as
// loaded (body-to-body collisions need one), and optionally a tilted plane
// through the origin met through the scenery contact query.
class TestSurroundings final : public BodySurroundings {
public:
    bool worldLoaded = false;
    float gravity = -9.81f;
    bool hasPlane = false;
    Vec3 planeNormal{0, 0, 1};  // unit; the plane holds the origin

    bool IsWorldLoaded() const override { return worldLoaded; }
    float Gravity() const override { return gravity; }
    int CollectContactObjects(const FixedVector&, Fixed, WorldObject** out, int capacity) override
    {
        if (!hasPlane || capacity < 1)
            return 0;
        out[0] = reinterpret_cast<WorldObject*>(this);
        return 1;
    }
    bool ObjectContainsPoint(WorldObject&, Fixed, Fixed, Fixed) override { return true; }
    // The segment from P - D to P against the plane, as a scenery surface
    // answers it: the fraction of D behind the plane, deeper hits only.
    void ObjectContactQuery(WorldObject&, const FixedVector& p, const FixedVector& d,
                            ContactQueryRecord& record) override
    {
        const Vec3& n = planeNormal;
        double px = p.x.raw / 65536.0, py = p.y.raw / 65536.0, pz = p.z.raw / 65536.0;
        double dx = d.x.raw / 65536.0, dy = d.y.raw / 65536.0, dz = d.z.raw / 65536.0;
        double sp = n.x * px + n.y * py + n.z * pz;
        double sd = n.x * dx + n.y * dy + n.z * dz;
        if (!(sp < 0 && sd < sp))
            return;
        double w = sp / sd;
        Fixed depth = FixedFromMetres(w);
        if (!(depth > record.hitDepth))
            return;
        record.hitDepth = depth;
        record.hitNormal = n;
        record.hitPosition = testing_bodies::Metres(px - w * dx, py - w * dy, pz - w * dz);
        record.hitSurface = nullptr;
        record.hitBody = nullptr;
    }
};
