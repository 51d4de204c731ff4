// The ground height the race gives the cars' placement, on a hilly site the
// data builder writes: both probes find the road under every start place,
// the short one only within its reach, and a car reset there through the
// race's hooks stands on its wheels on that road.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "session/services.h"
#include "site_fixture.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

// Hollowmere: a valley and a ridge, so that its start places stand well
// away from height 0.
constexpr int HillySite = 0;

double Metres(Fixed value) { return value.raw / 65536.0; }

class GroundHeightTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetVehicleTables();
        ResetWorldTables();
        ResetSessionTables();
        EditProgramMode([](ProgramModeRecord& mode) { mode.graphicsOn = 0; });
        ASSERT_TRUE(EnterGameFolder(previous));
    }
    void TearDown() override
    {
        world.reset();
        std::filesystem::current_path(previous);
        ResetSessionTables();
        ResetWorldTables();
        ResetVehicleTables();
    }
    void LoadSite(int site) { ASSERT_TRUE(LoadWholeSite(world, site)); }
    std::filesystem::path previous;
    std::unique_ptr<World> world;
};

TEST_F(GroundHeightTest, NoLoadedWorldHasNoGround)
{
    EXPECT_EQ(GetGroundHeight(FixedFromMetres(10), FixedFromMetres(10), FixedFromMetres(5), 0).raw, 0);
    EXPECT_EQ(GetGroundHeight(FixedFromMetres(10), FixedFromMetres(10), FixedFromMetres(5), 1).raw, 0);
}

// Under each start place the long probe finds the ground from any height;
// the short probe finds the same ground from 1.5 m above it or 1.5 m below
// its surface, and nothing from 2.5 m above, beyond its 2 m reach.
TEST_F(GroundHeightTest, BothProbesFindTheRoadUnderEveryStartPlace)
{
    LoadSite(HillySite);
    const int places = GetStartPositionCount(*world);
    ASSERT_GT(places, 0);
    double lowest = 1e9, highest = -1e9;
    for (int slot = 0; slot < places; slot++) {
        SCOPED_TRACE("start place " + std::to_string(slot));
        FixedVector point;
        float heading = 0;
        GetStartPosition(*world, point, heading, slot);
        const Fixed ground = GetGroundHeight(point.x, point.y, Fixed(0), 1);
        EXPECT_EQ(GetGroundHeight(point.x, point.y, FixedFromMetres(300), 1).raw, ground.raw);
        EXPECT_EQ(GetGroundHeight(point.x, point.y, ground + FixedFromMetres(1.5), 0).raw, ground.raw);
        EXPECT_EQ(GetGroundHeight(point.x, point.y, ground - FixedFromMetres(1.5), 0).raw, ground.raw);
        EXPECT_EQ(GetGroundHeight(point.x, point.y, ground + FixedFromMetres(2.5), 0).raw, 0);
        lowest = std::min(lowest, Metres(ground));
        highest = std::max(highest, Metres(ground));
    }
    EXPECT_GT(std::max(-lowest, highest), 1.0) << "the site's start places should stand away from height 0";
}

TEST_F(GroundHeightTest, OutsideTheSiteThereIsNoGround)
{
    LoadSite(HillySite);
    const Fixed beyondX = world->gridMaxX + FixedFromMetres(50);
    EXPECT_EQ(GetGroundHeight(beyondX, world->gridMinY + FixedFromMetres(50), Fixed(0), 1).raw, 0);
    EXPECT_EQ(GetGroundHeight(beyondX, world->gridMinY + FixedFromMetres(50), Fixed(0), 0).raw, 0);
}

// The placement asks the race for the ground: a car reset at a start place
// stands there on its wheels, and a second of settling moves it no more
// than its springs give (at height 0 it would fall to the hillside or be
// buried in it).
TEST_F(GroundHeightTest, ACarResetAtAStartPlaceStandsOnTheRoad)
{
    InstallWorldVehicleHooks();
    InstallSessionVehicleHooks();
    LoadSite(HillySite);
    FixedVector point;
    float heading = 0;
    GetStartPosition(*world, point, heading, 0);
    const double ground = Metres(GetGroundHeight(point.x, point.y, Fixed(0), 1));

    CarObject car;
    ConstructCar(car);
    ASSERT_EQ(LoadCarData(car, "JB4", 0, 0, nullptr, 0, nullptr), 1);
    car.position = {point.x, point.y, point.z + FixedFromMetres(1)};
    ResetCar(car, heading, 1, 1);
    const double placed = Metres(car.position.z);
    EXPECT_GT(placed, ground);
    EXPECT_LT(placed, ground + 1.0);

    car.awake = 1;
    ObjectSet set;
    AddToObjectSet(set, car);
    for (int step = 0; step < 100; step++)
        UpdatePhysicsObjects(set, 0);
    EXPECT_NEAR(Metres(car.position.z), placed, 0.25) << "the car settles on its springs and no further";
    DestroyCar(car);
}

} // namespace
