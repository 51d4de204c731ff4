// The vehicle's one reset: every global record it owns, dirtied in every
// byte or field, comes back as a default record.
#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

#include "physics_fixture.h"

namespace {

template <typename Record>
void Dirty(Record& record)
{
    static_assert(std::is_trivially_copyable_v<Record>);
    std::memset(static_cast<void*>(&record), 0x5A, sizeof record);
}

TEST(VehicleResetTest, EveryGlobalRecordComesBackAsItsDefault)
{
    Dirty(MutablePhysicsStep);
    Dirty(MutableChosenSetup);
    Dirty(MutableCarHandicapTable);
    Dirty(MutableVehicleHooks);
    TestSurroundings world;
    world.worldLoaded = true;
    SetBodySurroundings(&world);
    ASSERT_FALSE(MutablePhysicsStep == PhysicsStepState{});
    ASSERT_FALSE(MutableVehicleHooks == VehicleHooks{});

    ResetVehicleTables();
    EXPECT_TRUE(MutablePhysicsStep == PhysicsStepState{});
    EXPECT_TRUE(MutableChosenSetup == ChosenSetupRecord{});
    EXPECT_TRUE((MutableCarHandicapTable == std::array<CarHandicap, CarCount>{}));
    EXPECT_TRUE(MutableVehicleHooks == VehicleHooks{});
    // The surroundings of no world: not loaded, Earth's gravity.
    EXPECT_FALSE(GetBodySurroundings().IsWorldLoaded());
    EXPECT_EQ(GetBodySurroundings().Gravity(), -9.81f);
}

TEST(VehicleResetTest, AChosenSetupNameIsCutToItsField)
{
    ResetVehicleTables();
    SetChosenSetup(-1, "a name longer than the thirty-one characters of the field");
    EXPECT_EQ(ChosenSetup.index, -1);
    EXPECT_EQ(std::strlen(ChosenSetup.name), 31u);
    ResetVehicleTables();
}

} // namespace
