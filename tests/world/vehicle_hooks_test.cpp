// What the world gives the cars through the vehicle's hooks: the figures
// and their animations, read from the data builder's folder, and the family
// body models' parts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/built_game.h"
#include "world/services.h"

namespace {

std::string GameFolder()
{
    static BuiltGame game(std::string(QV_BINARY_DIR) + "/tests/world/vehicle_hooks_game_");
    return game.path;
}

class WorldVehicleHooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
        ResetVehicleTables();
        InstallWorldVehicleHooks();
        previous = std::filesystem::current_path();
        ASSERT_FALSE(GameFolder().empty()) << "the data builder failed";
        std::filesystem::current_path(GameFolder());
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        ResetVehicleTables();
        ResetWorldTables();
    }
    std::filesystem::path previous;
};

TEST_F(WorldVehicleHooksTest, FiguresAnimateFromTheirMovementFileOrStandAtRest)
{
    const CarFigureHooks& figures = GetCarFigureHooks();
    EXPECT_FALSE(figures.figuresLoaded());
    ASSERT_EQ(LoadHumans(nullptr), 1);
    ASSERT_TRUE(figures.figuresLoaded());
    const int count = figures.figureCount();
    ASSERT_EQ(count, static_cast<int>(Humans.variants.size()));
    ASSERT_GT(count, 0);
    EXPECT_EQ(figures.figureSkeleton(-1), -1);
    EXPECT_EQ(figures.figureSkeleton(count), -1);
    const int skeleton = figures.figureSkeleton(0);
    ASSERT_EQ(skeleton, Humans.variants[0].skeletonSet);

    // A movement file of three keys for the skeleton.
    AnimHolder steer;
    InitAnimHolder(steer);
    MakeAnimHolder(steer, Humans.built[skeleton]);
    steer.keys.push_back(steer.keys[0]);
    steer.keys.push_back(steer.keys[0]);
    steer.keys[1].time = 0.5f;
    steer.keys[2].time = 1.0f;
    steer.keyCount = 3;
    ASSERT_EQ(SaveAnimation(steer, "data\\move\\steer_test.ban"), 1);
    FreeAnimHolder(steer);

    struct Case {
        const char* what;
        const char* path;
        size_t keys;
    } cases[] = {
        {"the movement file", "data\\move\\steer_test.ban", 3},
        {"a file that does not exist: the rest pose", "data\\move\\steer_none.ban", 1},
        {"no file: the rest pose", nullptr, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnimHolder* animation = figures.loadAnimation(skeleton, c.path);
        ASSERT_NE(animation, nullptr);
        EXPECT_EQ(animation->keys.size(), c.keys);
        AnimHolder* copy = figures.copyAnimation(*animation);
        EXPECT_EQ(copy->keys.size(), c.keys);
        figures.freeAnimation(animation);
        figures.freeAnimation(copy);
    }
    FreeHumans();
    EXPECT_FALSE(figures.figuresLoaded());
}

TEST_F(WorldVehicleHooksTest, FamilyPartsOfKindTenTurnAndMoveToTheirPlaces)
{
    ObjectModel model;
    InitObjectModel(model);
    model.subModels.resize(4);
    model.subModels[0].kind = 10;
    model.subModels[0].offset = MakeFixedVector(5, 8700, 60749);
    model.subModels[1].kind = 10;
    model.subModels[1].offset = MakeFixedVector(-5, 16641, 70125);
    model.subModels[2].kind = 10;
    model.subModels[2].offset = MakeFixedVector(7, 8700, 60000);
    model.subModels[3].kind = 6;
    model.subModels[3].offset = MakeFixedVector(0, 8700, 60749);
    GetCarModelHooks().placeFamilyParts(model);
    EXPECT_EQ(model.subModels[0].offset, MakeFixedVector(5, 11780, 60740));
    EXPECT_EQ(model.subModels[1].offset, MakeFixedVector(-5, 25000, 70000));
    EXPECT_EQ(model.subModels[2].offset, MakeFixedVector(7, 8700, 60000));
    EXPECT_EQ(model.subModels[3].offset, MakeFixedVector(0, 8700, 60749));
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(model.subModels[i].pitch, 1280) << i;
        EXPECT_EQ(model.subModels[i].heading, 1280) << i;
    }
    EXPECT_NE(model.subModels[3].pitch, 1280);
    FreeObjectModel(model);
}

} // namespace
