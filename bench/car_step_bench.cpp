// Speed of the car step: generated cars driving round on flat tarmac, each
// 10 ms step of the active set running every car's twenty sub-steps with
// its contact pass, engine, drivetrain, tyres and forces. Reported as car
// steps per second and seconds per car step, for 1 and 32 cars.
//
// Instructions per car step (a count that does not depend on the machine's
// load): bench/car_step_callgrind.sh runs this program under callgrind,
// which counts only the stepping loop (the counters are zeroed before it
// and dumped after it, labelled with the number of car steps) and divides.
#include <benchmark/benchmark.h>
#include <valgrind/callgrind.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/test_ground.h"
#include "world/services.h"

namespace {

// The data builder's folder, made once for the program's run and removed
// at exit; the folder is made current.
struct GameFolder {
    std::string path;
    GameFolder()
    {
        path = std::filesystem::temp_directory_path().string() + "/car_step_bench_" + std::to_string(getpid());
        std::string command = std::string(QV_MKDATA) + " " + path + " > /dev/null 2>&1";
        int status = std::system(command.c_str());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            path.clear();
        else
            std::filesystem::current_path(path);
    }
    ~GameFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
};

bool EnterGameFolder()
{
    static GameFolder folder;
    return !folder.path.empty();
}

// n copies of one road car, 200 m apart (so that no two are ever near),
// each circling at about 15 m/s in third gear with the steering held.
struct Fleet {
    std::vector<std::unique_ptr<CarObject>> cars;
    ObjectSet set;
    TestGround ground;

    bool Build(int n)
    {
        SetBodySurroundings(&ground);
        const int index = FindCarByCode("JB4");
        for (int i = 0; i < n; ++i) {
            cars.push_back(std::make_unique<CarObject>());
            CarObject& car = *cars.back();
            ConstructCar(car);
            if (LoadCarData(car, CarNameTable[index].code, 0, 0, nullptr, 0, nullptr) != 1)
                return false;
            car.position = {FixedFromMetres(200.0f * (i % 8)), FixedFromMetres(200.0f * (i / 8)), Fixed{}};
            ResetCar(car, 0, 0, 1);
            car.awake = 1;
            SetFuelPercent(car, 50);
            StartEngineAtIdle(car.engine);
            AddToObjectSet(set, car);
        }
        for (int s = 0; s < 50; ++s)  // settle on the springs
            UpdatePhysicsObjects(set, 0);
        for (auto& owned : cars) {
            CarObject& car = *owned;
            const Vec3 forward = {car.rotation.m[1], car.rotation.m[4], car.rotation.m[7]};
            car.velocity = {15.0f * forward.x, 15.0f * forward.y, 15.0f * forward.z};
            for (int k = 0; k < car.wheelCount; ++k)
                car.wheels[k].spinRate = 15.0f / car.axles[car.wheels[k].axleIndex].tyreRadius;
            car.step.gear = car.step.gearTarget = 4;
            car.engine.speed = 15.0f * car.tuning.gearRatios[4] * car.tuning.finalDrive / car.axles[0].tyreRadius;
            car.engine.clutchAngle = car.engine.crankAngle;
            car.inputs.words[0] = 32768 - 2500;  // a gentle left turn
            car.inputs.words[1] = 16000;         // about a quarter throttle holds the speed
        }
        for (int s = 0; s < 100; ++s)
            UpdatePhysicsObjects(set, 0);
        return true;
    }
    ~Fleet()
    {
        for (auto& car : cars)
            DestroyCar(*car);
        SetBodySurroundings(nullptr);
    }
};

void BM_CarStep(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    if (!EnterGameFolder()) {
        state.SkipWithError("the data builder failed");
        return;
    }
    ResetVehicleTables();
    InstallWorldVehicleHooks();  // the cars' body models
    Fleet fleet;
    if (!fleet.Build(n)) {
        state.SkipWithError("a car did not load");
        return;
    }
    CALLGRIND_ZERO_STATS;
    for (auto _ : state)
        UpdatePhysicsObjects(fleet.set, 0);
    if (fleet.set.count != n)
        state.SkipWithError("a car left the active set");
    char label[64];
    std::snprintf(label, sizeof label, "car_steps=%lld", static_cast<long long>(state.iterations()) * n);
    CALLGRIND_DUMP_STATS_AT(label);
    const double carSteps = static_cast<double>(state.iterations()) * n;
    state.counters["car_steps_per_s"] = benchmark::Counter(carSteps, benchmark::Counter::kIsRate);
    state.counters["time_per_car_step"] =
        benchmark::Counter(carSteps, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CarStep)->Arg(1)->Arg(32)->Unit(benchmark::kMicrosecond);

} // namespace
