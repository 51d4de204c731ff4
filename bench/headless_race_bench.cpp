// Speed of a whole race without drawing: robot cars driven round a site of
// the data builder's folder through the session's frame, its 10 ms steps,
// the world's lights and the physics with contacts. Reported as simulated
// car-seconds per CPU second for 1, 20 and 32 cars (each run is a fresh
// race of 20 s of game time, in 16 ms frames); and the same for a race of
// 20 of the program's AI drivers in mixed cars of one class, 60 s of game
// time each, which includes the drivers' knowledge and profiles being
// built at the start.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "support/built_game.h"
#include "support/headless_race.h"

namespace {

constexpr int RaceSeconds = 20;
constexpr int AiRaceSeconds = 60;

bool EnterGameFolder()
{
    static BuiltGame game(std::filesystem::temp_directory_path().string() + "/headless_race_bench_");
    if (game.path.empty())
        return false;
    std::filesystem::current_path(game.path);
    return true;
}

// Runs the race once per iteration and reports the car-seconds simulated
// per CPU second.
void RunRaces(benchmark::State& state, const HeadlessRaceOptions& options)
{
    if (!EnterGameFolder()) {
        state.SkipWithError("the data builder failed");
        return;
    }
    double carSeconds = 0;
    for (auto _ : state) {
        const HeadlessRaceOutcome outcome = RunHeadlessRace(options);
        if (!outcome.loaded) {
            state.SkipWithError("the race could not be set up");
            return;
        }
        carSeconds += static_cast<double>(outcome.steps) * 0.01 * options.cars;
    }
    state.counters["car_seconds_per_cpu_s"] = benchmark::Counter(carSeconds, benchmark::Counter::kIsRate);
}

void BM_HeadlessRace(benchmark::State& state)
{
    HeadlessRaceOptions options;
    options.cars = static_cast<int>(state.range(0));
    options.laps = 50;
    options.maxSeconds = RaceSeconds;
    options.traceEvery = 0;
    RunRaces(state, options);
}
BENCHMARK(BM_HeadlessRace)
    ->ArgNames({"cars"})
    ->Arg(1)
    ->Arg(20)
    ->Arg(32)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

void BM_HeadlessAiRace(benchmark::State& state)
{
    HeadlessRaceOptions options;
    options.cars = static_cast<int>(state.range(0));
    options.laps = 50;
    options.maxSeconds = AiRaceSeconds;
    options.traceEvery = 0;
    options.aiDrivers = 1;
    options.carCodes = "WQG,VOG,VOT,JB4,HLO,SN4,SN6,DY1,ZEB,QP5";
    RunRaces(state, options);
}
BENCHMARK(BM_HeadlessAiRace)
    ->ArgNames({"cars"})
    ->Arg(20)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace
