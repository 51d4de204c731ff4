// A car's upkeep between drives: taking it over and handing it back, worn
// and flagged tyres renewed, the damage record's fuel in the mass model,
// built-in brake torques held within the car's limits, the body options,
// the skin name, the tyre profiles and the garage's engine lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "car_fixture.h"

namespace {

// A path layer that answers a speed limit and counts the followers it is
// asked to refresh. The follower is a stand-in the fake never reads.
struct CountingPath {
    static inline int refreshCount = 0;
    static inline FixedVector refreshedAt;
    static inline char followerStandIn = 0;

    explicit CountingPath(int limitKmh)
    {
        refreshCount = 0;
        static int limit;
        limit = limitKmh;
        CarPathHooks hooks;
        hooks.createFollower = [] { return reinterpret_cast<PathFollower*>(&followerStandIn); };
        hooks.freeFollower = [](PathFollower*) {};
        hooks.lowestSpeedLimit = [] { return limit; };
        hooks.refreshFollower = [](PathFollower&, const FixedVector& at) {
            refreshCount++;
            refreshedAt = at;
        };
        SetCarPathHooks(hooks);
    }
    ~CountingPath() { SetCarPathHooks({}); }
};

// Handing a car back clears its limiter and marks the change; taking a
// freshly placed car over holds it, sets the limiter of a car that has one
// to the world's lowest limit and refreshes its path follower.
TEST_F(CarTest, TakingOverAndHandingBackSetTheRaceAndLimiterBytes)
{
    struct Case {
        const char* code;
        int expectedLimit;  // km/h after the take-over
    };
    const Case cases[] = {
        {"WQR", 80},  // a GT racer: pit limiter fitted
        {"WQG", 0},   // a road car: none
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        CountingPath path(80);
        OwnedCar owned;
        CarObject& car = owned.car;
        ASSERT_TRUE(Load(car, FindCarByCode(c.code)));
        car.race.pitSpeedLimit = 60;
        ClearCarLocalControl(car);
        EXPECT_EQ(car.race.pitSpeedLimit, 0);
        EXPECT_EQ(car.race.controlChange, 4);
        EXPECT_EQ(car.net.handedBack, 1);
        EXPECT_EQ(path.refreshCount, 0);

        car.race.controlChange = 0;
        car.step.freshlyPlaced = 1;
        car.position = MakeFixedVector(5 << 16, 7 << 16, 0);
        SetCarLocalControl(car);
        EXPECT_EQ(car.step.held, 1);
        EXPECT_EQ(car.race.controlChange, 4);
        EXPECT_EQ(car.race.pitSpeedLimit, c.expectedLimit);
        EXPECT_EQ(path.refreshCount, 1);
        EXPECT_EQ(path.refreshedAt.x.raw, 5 << 16);

        // Taking over a car that is already local changes nothing.
        SetCarLocalControl(car);
        EXPECT_EQ(path.refreshCount, 1);
    }
}

// A car that is not freshly placed is taken over without being held.
TEST_F(CarTest, TakingOverACarThatWasNotJustPlacedLeavesItFree)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, FindCarByCode("SN4")));
    ClearCarLocalControl(car);
    car.race.controlChange = 0;
    car.step.freshlyPlaced = 0;
    SetCarLocalControl(car);
    EXPECT_EQ(car.step.held, 0);
    EXPECT_EQ(car.race.controlChange, 0);
}

// The worn state of each wheel's tyre is marked by a shallow tread strip.
void WearEveryTyre(CarObject& car)
{
    for (int k = 0; k < car.wheelCount; k++)
        car.wheels[k].segments[3].treadDepth[1] = 0.001f;
}
bool IsRenewed(const CarObject& car, int k)
{
    const Wheel& w = car.wheels[k];
    return !w.flat && w.segments[3].treadDepth[1] > 0.002f;
}

// A flagged axle's tyres count as worn at any limit: the renewal that
// follows a change of compound fits new ones there and nowhere else. A tyre
// worn to a low level is renewed when the limit reaches it.
TEST_F(CarTest, RenewWornTyresFitsNewTyresWhereTheyAreWornOrFlagged)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, FindCarByCode("JB4")));
    WearEveryTyre(car);
    FlagWheelsOfAxle(car, 1);
    for (int k = 0; k < car.wheelCount; k++)
        EXPECT_EQ(car.wheels[k].flat, car.wheels[k].axleIndex == 1 ? 1 : 0) << "wheel " << k;
    RenewWornTyres(car, 100);  // only flat tyres count as worn
    for (int k = 0; k < car.wheelCount; k++)
        EXPECT_EQ(IsRenewed(car, k), car.wheels[k].axleIndex == 1) << "wheel " << k;

    // A rear tyre at wear level 3: worn for a limit of 60 % (level 3 or
    // less), not for 70 % (level 2 or less).
    int rear = 0;
    while (car.wheels[rear].axleIndex != 0)
        rear++;
    car.wheels[rear].wearLevel[2] = 3;
    RenewWornTyres(car, 70);
    EXPECT_FALSE(IsRenewed(car, rear));
    RenewWornTyres(car, 60);
    EXPECT_TRUE(IsRenewed(car, rear));
    EXPECT_EQ(car.wheels[rear].wearLevel[2], 7);
}

// The fuel a damage record brings weighs in the car's mass at once.
TEST_F(CarTest, ADamageRecordsFuelMovesTheCarsMass)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, FindCarByCode("VOG")));
    SetFuelPercent(car, 0);
    UpdateCarMassProperties(car);
    const float empty = car.mass;
    DamageRecord record;
    MakeDamageRecord(car, record, 0);
    record.bytes[4] = 255;  // a full tank
    ClearCarLocalControl(car);
    ApplyDamageRecord(car, record);
    EXPECT_FLOAT_EQ(car.race.fuel, car.data.fuelCapacity);
    EXPECT_NEAR(car.mass - empty, car.data.fuelCapacity * 0.74f, 0.01f * car.data.fuelCapacity);
}

// A built-in setup's brake torque beyond the car's limits is held within
// them, as a setup from outside is.
TEST_F(CarTest, ABuiltInSetupsBrakeTorqueIsHeldWithinTheLimits)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, FindCarByCode("DY1")));
    ASSERT_GE(car.data.setupIndex, 0);
    float low, high;
    GetLoadDerivedLimits(car, low, high);
    for (float asked : {1e6f, 0.0f}) {
        car.data.setup->maxBrakeTorque = asked;
        ApplySetup(car, 1);
        const float held = asked > high ? high : low;
        EXPECT_FLOAT_EQ(car.data.setup->maxBrakeTorque, held);
        EXPECT_FLOAT_EQ(car.axles[1].brakeTorque, car.data.setup->brakeBalance * 0.01f * held * 2);
    }
}

// A front passenger seat needs the seat flag and a driver seated off the
// centre; rear seats need their flag.
TEST_F(CarTest, BodyOptionsFollowTheSeatFlagsAndTheDriversSeat)
{
    struct Case {
        const char* code;
        float driverX;  // m; NaN keeps the car's own
        bool front, rear;
    };
    const Case cases[] = {
        {"WQG", -0.37f, true, true},   // a saloon
        {"WQG", 0.15f, false, true},   // the same with the driver in the middle
        {"GEX", 0.0f, false, false},   // a single-seater
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " driver at " + std::to_string(c.driverX));
        OwnedCar owned;
        ASSERT_TRUE(Load(owned.car, FindCarByCode(c.code)));
        owned.car.data.driverSeat.x = c.driverX;
        bool front = !c.front, rear = !c.rear;
        GetCarBodyOptions(owned.car, front, rear);
        EXPECT_EQ(front, c.front);
        EXPECT_EQ(rear, c.rear);
    }
}

// The skin name fills its field, without a terminator when it is as long
// as the field; a shorter name clears the rest.
TEST(CarSkinNameTest, TheNameFillsItsFieldAndTheOwnerIsKept)
{
    CarObject car;
    int owner = 0;
    SetCarSkinName(car, "ABCDEFGHIJKLMNOPQRS", &owner);
    EXPECT_EQ(std::string(car.data.skinName, SkinNameLength), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(car.data.ownerRecord, &owner);
    SetCarSkinName(car, "RED", nullptr);
    EXPECT_STREQ(car.data.skinName, "RED");
    EXPECT_EQ(car.data.skinName[SkinNameLength - 1], 0);
    EXPECT_EQ(car.data.ownerRecord, nullptr);
}

// The tyre profiles follow the axles' sizes when rebuilt.
TEST_F(CarTest, TyreModelsAreRebuiltFromTheAxlesSizes)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, FindCarByCode("ZEB")));
    for (Axle& a : car.axles)
        a.tyreWidth = 0.3f;
    BuildAxleTyreModels(car);
    for (const Axle& a : car.axles)
        EXPECT_FLOAT_EQ(a.tyreRadius, 0.3f * a.sidewallRatio + a.rimRadius);
}

// The garage's three engine lines: litres or cm³ with the text table's
// turbo, layout and cylinder words, then torque and power with their engine
// speeds.
TEST(EngineInfoTest, TheThreeLinesDescribeTheEngine)
{
    struct Case {
        float displacement;
        int cylinders, layout;
        bool turbo;
        const char* expected;
    };
    const Case cases[] = {
        {1998, 4, 0, true, "Engine : 2.0 litre turbocharged inline 4 cylinder"},
        {2400, 8, 2, false, "Engine : 2.4 litre V 8 cylinder"},
        {2800, 6, 1, false, "Engine : 2.8 litre flat 6 cylinder"},
        {600, 4, 0, false, "Engine : 600 cc inline 4 cylinder"},
        {500, 1, 2, false, "Engine : 500 cc single cylinder"},  // no layout for one cylinder
        {998, 2, 2, false, "Engine : 998 cc V 2 cylinder"},
        {1200, 3, 0, false, "Engine : 1.2 litre inline 3 cylinder"},
        {5000, 10, 2, true, "Engine : 5.0 litre turbocharged V 10 cylinder"},
        {3000, 7, 2, false, "Engine : 3.0 litre V 7 cylinder"},  // a count without a text of its own
    };
    for (const Case& c : cases) {
        EngineRecord engine;
        engine.displacement = c.displacement;
        engine.cylinders = c.cylinders;
        engine.layout = c.layout;
        engine.flags = c.turbo ? EngineTurbo : 0;
        engine.maxTorque = 271.164f;               // 200 lbft
        engine.maxTorqueSpeed = 5000 * Pi / 30;    // 5000 rpm
        engine.maxPower = 149100;                  // 200 bhp
        engine.maxPowerSpeed = 7000 * Pi / 30;     // 7000 rpm
        char displacement[EngineInfoTextLength], torque[EngineInfoTextLength], power[EngineInfoTextLength];
        FormatEngineInfo(engine, displacement, torque, power);
        EXPECT_STREQ(displacement, c.expected);
        EXPECT_STREQ(torque, "Torque : 271 Nm (200 lbft) @ 5000 rpm");
        EXPECT_STREQ(power, "Power : 149 kW (200 bhp) @ 7000 rpm");
    }
}

} // namespace
