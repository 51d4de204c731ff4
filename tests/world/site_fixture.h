// The seven sites the data builder writes, loaded through the loader in
// the built game folder, and a generated car driven on them: placed on the
// world's ground, stepped alone in an active body set, steered and paced by
// the tests' own driver along the configuration's path.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "site_content.h"
#include "support/built_game.h"
#include "world/services.h"

namespace sites {

// One folder for every file of the test process.
inline std::string GameFolder()
{
    static BuiltGame game(std::string(QV_BINARY_DIR) + "/tests/world/site_game_");
    return game.path;
}

// A clock that moves on 1 ms each time the loader reads it.
inline uint32_t TickingClock()
{
    static uint32_t now = 0;
    return ++now;
}

inline std::unique_ptr<World> LoadSite(int site, int configuration, int reversed)
{
    auto world = std::make_unique<World>();
    EXPECT_EQ(OpenWorld(*world, SiteTable[site].name, SiteTable[site].code, 0, 0, configuration, reversed, 0), 1);
    int calls = 0;
    while (!LoadWorldStep(*world) && ++calls < 100000) {
    }
    return world;
}

// The ground straight below (x, y) (m) from 1 m above `z` down to 2 m
// below it: its height and texture; null when none.
inline const WorldTexture* GroundNear(const World& world, double x, double y, double z, double* height = nullptr)
{
    ContactQueryRecord hit;
    const FixedVector bottom{FixedFromMetres(x), FixedFromMetres(y), FixedFromMetres(z - 2)};
    hit.queryPosition = bottom;
    hit.queryDirection = MakeFixedVector(0, 0, -3 * 65536);
    if (!WorldPointQuery(world, bottom, hit.queryDirection, hit))
        return nullptr;
    if (height)
        *height = hit.hitPosition.z.raw / 65536.0;
    return hit.hitSurface;
}

inline bool IsRoadKind(int kind) { return kind >= 0 && kind < SurfaceKindCount && SurfaceKindTable[kind].road; }
inline bool IsLooseKind(int kind) { return kind >= 0 && kind < SurfaceKindCount && SurfaceKindTable[kind].loose; }

// A generated car alone in an active body set on the loaded world.
struct SiteCar {
    CarObject car;
    ObjectSet set;
    bool loaded = false;

    explicit SiteCar(const char* code = "JB4")
    {
        ConstructCar(car);
        loaded = LoadCarData(car, code, 0, 0, nullptr, 0, nullptr) == 1;
    }
    ~SiteCar() { DestroyCar(car); }

    // On the ground at (x, y), facing along heading (rad; the car faces
    // (-sin, cos)), at rest and idling in neutral.
    void Place(const World& world, double x, double y, double heading)
    {
        car.position = {FixedFromMetres(x), FixedFromMetres(y), Fixed(0)};
        ResetCar(car, static_cast<float>(heading), 0, 1);
        // The placement stands the car at its wheels' reach above height 0;
        // lift it by the height of the world's ground there.
        double ground = 0;
        for (double z = 400; z > -100 && !GroundNear(world, x, y, z, &ground); z -= 2.5) {
        }
        car.position.z = car.position.z + FixedFromMetres(ground);
        car.predictedPosition = car.position;
        car.awake = 1;
        SetFuelPercent(car, 50);
        StartEngineAtIdle(car.engine);
        set = {};
        AddToObjectSet(set, car);
    }

    // One 10 ms step, gears chosen as a settled local car's are.
    void Step()
    {
        car.step.settleCounter = 100;
        SelectGear(car);
        UpdatePhysicsObjects(set, 0);
    }

    double X() const { return car.position.x.raw / 65536.0; }
    double Y() const { return car.position.y.raw / 65536.0; }
    double Speed() const
    {
        return std::sqrt(car.velocity.x * car.velocity.x + car.velocity.y * car.velocity.y + car.velocity.z * car.velocity.z);
    }
};

// Tests in the built game folder with every table reset and floating-point
// traps on, so that a NaN fails where it is made.
class SiteFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetVehicleTables();
        ResetWorldTables();
        InstallWorldVehicleHooks();  // the car's body model is read through the world
        EditProgramMode([](ProgramModeRecord& mode) {
            mode.graphicsOn = 0;
            mode.dedicatedMode = 0;
        });
        previous = std::filesystem::current_path();
        folder = GameFolder();
        ASSERT_FALSE(folder.empty()) << "the data builder failed (see site_game_<pid>.log)";
        std::filesystem::current_path(folder);
        std::feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    }
    void TearDown() override
    {
        fedisableexcept(FE_ALL_EXCEPT);
        std::filesystem::current_path(previous);
        SetWorldLoadClock(nullptr);
        ResetWorldTables();
        ResetVehicleTables();
    }
    std::filesystem::path previous;
    std::string folder;
};

inline std::string SiteName(const ::testing::TestParamInfo<int>& info)
{
    std::string name = SiteTable[info.param].name;
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name;
}

} // namespace sites
