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

#include "vehicle/local.h"

// The data folder the builder makes, once per test process (tests may run
// in parallel processes, each with its own folder), removed at exit.
struct BuiltGame {
    std::string path;
    BuiltGame()
    {
        std::string folder = std::string(QV_BINARY_DIR) + "/tests/vehicle/car_game_" + std::to_string(getpid());
        std::filesystem::remove_all(folder);
        std::string command = std::string(QV_MKDATA) + " " + folder + " > " + folder + ".log 2>&1";
        int status = std::system(command.c_str());
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            path = folder;
    }
    ~BuiltGame()
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::string(QV_BINARY_DIR) + "/tests/vehicle/car_game_" + std::to_string(getpid()), ignored);
        if (!path.empty())  // a failed build keeps its log
            std::filesystem::remove(path + ".log", ignored);
    }
};

// One folder for every file of the test process.
inline std::string GameFolder()
{
    static BuiltGame game;
    return game.path;
}

class CarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetVehicleTables();
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
