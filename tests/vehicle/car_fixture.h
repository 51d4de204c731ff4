// The cars the data builder makes, for the tests that load whole cars: the
// data folder is built once per test process and made current for each
// test; OwnedCar frees a loaded car with the test.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/built_game.h"
#include "support/car_world.h"
#include "vehicle/local.h"

// One folder for every file of the test process.
inline std::string GameFolder()
{
    static BuiltGame game(std::string(QV_BINARY_DIR) + "/tests/vehicle/car_game_");
    return game.path;
}

class CarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetVehicleTables();
        InstallCarWorldServices();  // the cars' body models
        previous = std::filesystem::current_path();
        folder = GameFolder();
        ASSERT_FALSE(folder.empty()) << "the data builder failed (see car_game_<pid>.log)";
        std::filesystem::current_path(folder);
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        ResetVehicleTables();
    }

    // A car of the folder with its first built-in setup.
    bool Load(CarObject& car, int index, int setupIndex = 0, CarSetup* setup = nullptr)
    {
        ConstructCar(car);
        return LoadCarData(car, CarNameTable[index].code, 0, setupIndex, setup, 0, nullptr) == 1;
    }

    std::filesystem::path previous;
    std::string folder;
};

// A car destroyed with the test.
struct OwnedCar {
    CarObject car;
    ~OwnedCar() { DestroyCar(car); }
};
