// The car step's rules: the air on the aero points, the steering column, a
// bike's balance, the driver aids (pit limiter, brake ramp, anti-lock,
// automatic clutch), the lights and requests, the impact list, the distance
// and fuel report, remote cars between records, skid marks and particles;
// and a generated car that settles on flat ground and drives off.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "car_fixture.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "vehicle/local.h"
#include "world/services.h"

namespace {

constexpr float Pi = 3.14159265f;

// A car record without car data: only what each rule reads is set.
struct BareCar {
    CarObject car;
    CarSetup setup;
    BareCar()
    {
        setup.maxLock = 30;
        car.setup = &setup;
        car.mass = 1000;
        car.rotation = FloatMatrix{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
        for (int i = 0; i < 9; ++i)
            car.inverseInertia.m[i] = (i % 4 == 0) ? 0.001f : 0.0f;
    }
};

class CarRuleTest : public ::testing::Test {
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

// ---------------------------------------------------------------------------
// A generated car in the active set on flat ground: it settles on its
// wheels, rests once quiet, and drives forward when the throttle opens.

// A loaded world that is one flat tarmac plane at z = 0 (surface kind 0):
// the ground without a world carries no surface and grips like ice.
class TarmacPlane final : public BodySurroundings {
public:
    bool IsWorldLoaded() const override { return true; }
    int CollectContactObjects(const FixedVector&, Fixed, WorldObject** out, int capacity) override
    {
        if (capacity < 1)
            return 0;
        out[0] = reinterpret_cast<WorldObject*>(this);
        return 1;
    }
    bool ObjectContainsPoint(WorldObject&, Fixed, Fixed, Fixed) override { return true; }
    void ObjectContactQuery(WorldObject&, const FixedVector& p, const FixedVector& d,
                            ContactQueryRecord& record) override
    {
        const Fixed before = record.hitDepth;
        record.queryPosition = p;
        record.queryDirection = d;
        FlatGroundContact(record);
        if (record.hitDepth > before)
            record.hitSurface = Tarmac();
    }
    int SurfaceKind(const WorldTexture&) const override { return 0; }
    static WorldTexture* Tarmac()
    {
        static char texture[16];
        return reinterpret_cast<WorldTexture*>(texture);
    }
};

class CarDrivingTest : public CarTest {
protected:
    void SetUp() override
    {
        CarTest::SetUp();
        ResetDevicesTables();  // the tyres' friction curves
        SetBodySurroundings(&plane);
    }
    void TearDown() override
    {
        SetBodySurroundings(nullptr);
        CarTest::TearDown();
    }
    TarmacPlane plane;
};

TEST_F(CarDrivingTest, AGeneratedCarSettlesOnFlatGroundAndDrivesForward)
{
    for (int index : {0, 5, 12}) {
        SCOPED_TRACE(CarNameTable[index].code);
        OwnedCar owned;
        CarObject& car = owned.car;
        ASSERT_TRUE(Load(car, index));
        SetFuelPercent(car, 50);
        ResetCar(car, 0, 0, 1);
        ObjectSet set;
        ASSERT_TRUE(AddToObjectSet(set, car));
        const float startZ = FixedToMetres(car.position.z);

        // Two seconds untouched: it comes to rest on its tyres, not its body.
        for (int step = 0; step < 200 && car.awake; ++step)
            UpdatePhysicsObjects(set, 0);
        ASSERT_TRUE(std::isfinite(FixedToMetres(car.position.z)));
        EXPECT_LT(std::fabs(FixedToMetres(car.position.x)), 0.05f);
        EXPECT_LT(std::fabs(FixedToMetres(car.position.y)), 0.05f);
        EXPECT_LT(FixedToMetres(car.position.z), startZ + 0.01f);
        EXPECT_GT(FixedToMetres(car.position.z), startZ - 0.5f);
        EXPECT_LT(car.speed, 0.05f);
        EXPECT_GT(car.rotation.m[8], 0.99f);  // upright
        for (int i = 0; i < car.wheelCount; ++i)
            EXPECT_TRUE(car.wheels[i].ground.touching) << "wheel " << i;
        for (int i = 0; i < car.pointCount; ++i)
            EXPECT_EQ(car.points[i].state, 0) << "body point " << i << " on the ground";
        // Engine off and quiet: the car went to rest and left the set.
        EXPECT_EQ(car.awake, 0);
        EXPECT_EQ(set.count, 0);

        // Engine running, first gear, full throttle for three seconds.
        car.awake = 1;
        ASSERT_TRUE(AddToObjectSet(set, car));
        StartEngineAtIdle(car.engine);
        car.fuel = 20;
        car.autoClutch = 1;
        car.gear = car.gearTarget = 2;
        car.inputs.words[1] = 65535;
        for (int step = 0; step < 300; ++step)
            UpdatePhysicsObjects(set, 0);
        const Vec3 forward = {car.rotation.m[1], car.rotation.m[4], car.rotation.m[7]};
        EXPECT_GT(Dot(car.velocity, forward), 3.0f);
        EXPECT_GT(FixedToMetres(car.position.y), 3.0f);
        EXPECT_LT(std::fabs(FixedToMetres(car.position.x)), 0.1f * FixedToMetres(car.position.y));
        EXPECT_GT(car.rotation.m[8], 0.98f);
        EXPECT_LT(car.fuel, 20.0f);
        EXPECT_GT(car.odometer, 3.0f);
        for (int i = 0; i < car.pointCount; ++i)
            EXPECT_EQ(car.points[i].state, 0) << "body point " << i << " on the ground";
    }
}

}  // namespace
