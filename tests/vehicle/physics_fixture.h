// The fixture of the physics tests: fresh tables, and floating-point traps
// so that a NaN or an infinity fails at the operation that made it.
#pragma once

#include <gtest/gtest.h>

#include <cfenv>
#include <memory>

#include "support/body_shapes.h"
#include "support/test_ground.h"
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
    void ObjectContactQuery(WorldObject&, const FixedVector& p, const FixedVector& d,
                            ContactQueryRecord& record) override
    {
        HitTestPlane(planeNormal, p, d, record);
    }
};
