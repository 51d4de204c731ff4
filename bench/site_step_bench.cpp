// The car step on a real site beside the same car on the flat test ground:
// a generated road car starts from the site's first start place and
// accelerates up its straight for four seconds, again and again; on the
// flat ground it does the same from the origin. Reported as seconds per car
// step for both, and for the site the share of the step that the world's
// contact answers take (the surfaces and posts gathered around the car and
// every point and wheel probe asked of them).
//
// The share is measured without a clock inside the step: one drive's calls
// to the world's answers are recorded with their arguments, then replayed
// on their own under the benchmark's timing; their time per car step over
// the car step on the site is the share.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "../tests/support/built_game.h"
#include "session/services.h"
#include "support/test_ground.h"
#include "world/services.h"

namespace {

// One drive: four seconds of 10 ms car steps from a standing start.
constexpr int DriveSteps = 400;

// A data folder the builder makes once for the run; the benchmarks run in it.
struct SiteFolder {
    BuiltGame game{std::filesystem::temp_directory_path().string() + "/site_step_bench_"};

    SiteFolder()
    {
        ResetCoreTables();
        ResetVehicleTables();
        ResetWorldTables();
        ResetSessionTables();
        EditProgramMode([](ProgramModeRecord& mode) { mode.graphicsOn = 0; });
        if (!game.path.empty())
            std::filesystem::current_path(game.path);
    }
};

bool EnterSiteFolder()
{
    static SiteFolder folder;
    return !folder.game.path.empty();
}

// The road car alone in an active set, placed by the car's own reset (the
// race's ground height puts it on the site's road) and driven at two thirds
// throttle from first gear up, in automatic gears with the wheel straight.
struct Driver {
    CarObject car;
    ObjectSet set;
    FixedVector start{};
    float heading = 0;
    bool loaded = false;

    Driver()
    {
        ConstructCar(car);
        loaded = LoadCarData(car, "JB4", 0, 0, nullptr, 0, nullptr) == 1;
    }
    ~Driver() { DestroyCar(car); }

    void Start()
    {
        car.position = start + MakeFixedVector(0, 0, FixedFromMetres(1).raw);
        ResetCar(car, heading, 1, 1);
        car.predictedPosition = car.position;
        car.awake = 1;
        SetFuelPercent(car, 50);
        StartEngineAtIdle(car.engine);
        ApplyPlayerAids(car, PlayerAidAutoGears | PlayerAidAutoClutch);
        car.step.gear = car.step.gearTarget = 2;
        car.inputs.words[0] = 32768;  // wheel straight
        car.inputs.words[1] = 45000;  // two thirds throttle
        set = {};
        AddToObjectSet(set, car);
    }
    void Step()
    {
        car.step.settleCounter = 100;
        SelectGear(car);
        UpdatePhysicsObjects(set, 0);
    }
};

// Times car steps in the benchmark's loop, starting a new drive (untimed)
// every DriveSteps steps.
void TimeDrives(benchmark::State& state, Driver& driver)
{
    int step = DriveSteps;
    for (auto _ : state) {
        if (step == DriveSteps) {
            state.PauseTiming();
            driver.Start();
            step = 0;
            state.ResumeTiming();
        }
        driver.Step();
        step++;
    }
    if (driver.set.count != 1)
        state.SkipWithError("the car left the active set");
    state.counters["time_per_car_step"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The site's first configuration loaded with every stage, the world's
// surroundings and the race's ground installed; null when refused.
std::unique_ptr<World> LoadSite(int site)
{
    auto world = std::make_unique<World>();
    if (!OpenWorld(*world, SiteTable[site].name, SiteTable[site].code, 0, 0, 1, 0, 0))
        return nullptr;
    while (!LoadWorldStep(*world)) {
    }
    if (!world->ready)
        return nullptr;
    InstallWorldVehicleHooks();
    InstallSessionVehicleHooks();
    return world;
}

// The CPU time of this thread, as the benchmark's own timing counts it.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// CPU seconds per car step of whole drives, the best of three (no benchmark
// loop around it: it is the denominator of the share).
double SecondsPerCarStep(Driver& driver)
{
    double best = 1e9;
    for (int round = 0; round < 3; round++) {
        driver.Start();
        const double from = ThreadSeconds();
        for (int s = 0; s < DriveSteps; s++)
            driver.Step();
        best = std::min(best, (ThreadSeconds() - from) / DriveSteps);
    }
    return best;
}

// One call to the world's contact answers, with what it was given.
struct AnswerCall {
    enum Kind { Collect, Contains, Query, Posts, Bodies } kind = Query;
    WorldObject* object = nullptr;
    FixedVector position{}, direction{};
    Fixed reach{};
    float radius = 0;
    ContactQueryRecord record;  // as it stood before the query
};

// Passes every call on to the world's answers and keeps it for the replay.
class RecordingSurroundings final : public BodySurroundings {
public:
    explicit RecordingSurroundings(BodySurroundings& world) : inner(world) {}
    BodySurroundings& inner;
    std::vector<AnswerCall> calls;

    bool IsWorldLoaded() const override { return inner.IsWorldLoaded(); }
    float Gravity() const override { return inner.Gravity(); }
    Vec3 Wind() const override { return inner.Wind(); }
    int CollectContactObjects(const FixedVector& centre, Fixed reach, WorldObject** out, int capacity) override
    {
        calls.push_back({AnswerCall::Collect, nullptr, centre, {}, reach, 0, {}});
        return inner.CollectContactObjects(centre, reach, out, capacity);
    }
    bool ObjectContainsPoint(WorldObject& object, Fixed x, Fixed y, Fixed margin) override
    {
        calls.push_back({AnswerCall::Contains, &object, {x, y, Fixed(0)}, {}, margin, 0, {}});
        return inner.ObjectContainsPoint(object, x, y, margin);
    }
    void ObjectContactQuery(WorldObject& object, const FixedVector& position, const FixedVector& direction,
                            ContactQueryRecord& record) override
    {
        calls.push_back({AnswerCall::Query, &object, position, direction, {}, 0, record});
        inner.ObjectContactQuery(object, position, direction, record);
    }
    int CollectRadiusPosts(const FixedVector& centre, Fixed halfSide, RadiusPost* posts, int capacity) override
    {
        calls.push_back({AnswerCall::Posts, nullptr, centre, {}, halfSide, 0, {}});
        return inner.CollectRadiusPosts(centre, halfSide, posts, capacity);
    }
    int SurfaceFlags(const WorldTexture& texture) const override { return inner.SurfaceFlags(texture); }
    int SurfaceKind(const WorldTexture& texture) const override { return inner.SurfaceKind(texture); }
    int CollectCellBodies(const FixedVector& centre, float radius, RigidBody** bodies, int capacity) override
    {
        calls.push_back({AnswerCall::Bodies, nullptr, centre, {}, {}, radius, {}});
        return inner.CollectCellBodies(centre, radius, bodies, capacity);
    }
};

// Asks the world again what one recorded call asked; a sum of the answers
// keeps the work from being optimised away.
int64_t ReplayCall(BodySurroundings& world, const AnswerCall& call)
{
    switch (call.kind) {
    case AnswerCall::Collect: {
        WorldObject* objects[MaxContactObjects];
        return world.CollectContactObjects(call.position, call.reach, objects, MaxContactObjects);
    }
    case AnswerCall::Contains:
        return world.ObjectContainsPoint(*call.object, call.position.x, call.position.y, call.reach);
    case AnswerCall::Query: {
        ContactQueryRecord record = call.record;
        world.ObjectContactQuery(*call.object, call.position, call.direction, record);
        return record.hitDepth.raw;
    }
    case AnswerCall::Posts: {
        RadiusPost posts[MaxRadiusObjects];
        return world.CollectRadiusPosts(call.position, call.reach, posts, MaxRadiusObjects);
    }
    case AnswerCall::Bodies: {
        RigidBody* bodies[64];
        return world.CollectCellBodies(call.position, call.radius, bodies, 64);
    }
    }
    return 0;
}

void BM_CarStepFlatGround(benchmark::State& state)
{
    if (!EnterSiteFolder()) {
        state.SkipWithError("the data builder failed");
        return;
    }
    ResetVehicleTables();
    InstallWorldVehicleHooks();  // the car's body model
    TestGround ground;
    SetBodySurroundings(&ground);
    {
        Driver driver;
        if (!driver.loaded) {
            state.SkipWithError("the car did not load");
        } else {
            TimeDrives(state, driver);
        }
    }
    SetBodySurroundings(nullptr);
}
BENCHMARK(BM_CarStepFlatGround)->Unit(benchmark::kMicrosecond);

// The site of the benchmark's argument loaded, and the road car at its
// first start place; false (the benchmark skipped with the reason) when
// either fails. The car goes before the world.
struct SiteDrive {
    std::unique_ptr<World> world;
    std::unique_ptr<Driver> driver;

    bool Prepare(benchmark::State& state)
    {
        const int site = static_cast<int>(state.range(0));
        state.SetLabel(SiteTable[site].name);
        if (!EnterSiteFolder()) {
            state.SkipWithError("the data builder failed");
            return false;
        }
        ResetVehicleTables();
        ResetWorldTables();
        world = LoadSite(site);
        if (!world) {
            state.SkipWithError("the site was refused");
            return false;
        }
        driver = std::make_unique<Driver>();
        GetStartPosition(*world, driver->start, driver->heading, 0);
        if (!driver->loaded) {
            state.SkipWithError("the car did not load");
            return false;
        }
        return true;
    }
    ~SiteDrive() { driver.reset(); }
};

void BM_CarStepOnSite(benchmark::State& state)
{
    SiteDrive drive;
    if (drive.Prepare(state))
        TimeDrives(state, *drive.driver);
}
BENCHMARK(BM_CarStepOnSite)->DenseRange(0, SiteCount - 1)->Unit(benchmark::kMicrosecond);

// The world's contact answers of one drive on the site, replayed; the
// counters give their time per car step and their share of the car step.
void BM_SiteContactAnswers(benchmark::State& state)
{
    SiteDrive drive;
    if (!drive.Prepare(state))
        return;
    BodySurroundings& answers = GetBodySurroundings();
    Driver& driver = *drive.driver;
    const double stepSeconds = SecondsPerCarStep(driver);
    RecordingSurroundings recorder(answers);
    SetBodySurroundings(&recorder);
    driver.Start();
    for (int s = 0; s < DriveSteps; s++)
        driver.Step();
    SetBodySurroundings(&answers);

    int64_t sum = 0;
    for (auto _ : state) {
        for (const AnswerCall& call : recorder.calls)
            sum += ReplayCall(answers, call);
    }
    benchmark::DoNotOptimize(sum);
    const double steps = double(state.iterations()) * DriveSteps;
    state.counters["answers_per_car_step"] = double(recorder.calls.size()) / DriveSteps;
    state.counters["time_per_car_step"] =
        benchmark::Counter(steps, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["car_step_us"] = stepSeconds * 1e6;
    // The replay's CPU time over the same number of car steps on the site.
    state.counters["share_of_car_step"] =
        benchmark::Counter(steps * stepSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SiteContactAnswers)->DenseRange(0, SiteCount - 1)->Unit(benchmark::kMillisecond);

} // namespace
