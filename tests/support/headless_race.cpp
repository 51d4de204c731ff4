// A whole race without drawing, run through the program's own session (see
// headless_race.h). The robot drivers run inside every 10 ms step, so their
// words, like the race, do not depend on how the steps fall into frames;
// they use no library call whose result may differ between machines.
#include "support/headless_race.h"

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <vector>

#include "core/services.h"
#include "net/services.h"
#include "session/services.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

constexpr float TopSpeed = 60.0f;          // m/s
constexpr float CorneringGrip = 7.0f;      // m/s^2 the robots allow across
constexpr float BrakingGrip = 6.0f;        // m/s^2 they plan to brake with
constexpr float FollowGap = 9.0f;          // m: a car this close ahead makes a robot lift
constexpr int StartCountdownSeconds = 6;
constexpr uint32_t StartClockMs = 1000;
constexpr uint16_t StartRandom = 0x2B1D;   // the world's random seed, so the lights' delay is fixed

// What the robots know of the track and what the run writes.
struct RobotRace {
    const Path* path = nullptr;
    std::vector<float> allowedSpeed;  // m/s per node
    int traceEvery = 0;
    std::string* trace = nullptr;
};
RobotRace Robots;

void Append(std::string& out, const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out += line;
}

float Metres(Fixed value) { return float(value.raw) * (1.0f / 65536.0f); }

const PathNode& NodeAt(int index)
{
    const int n = Robots.path->nodeCount;
    return Robots.path->nodes[size_t(((index % n) + n) % n)];
}

float NodeDistance(const PathNode& a, const PathNode& b)
{
    const float dx = Metres(b.centre.x) - Metres(a.centre.x), dy = Metres(b.centre.y) - Metres(a.centre.y);
    return std::sqrt(dx * dx + dy * dy);
}

// The speed each node allows: the radius through its neighbours two nodes
// away sets the cornering speed, and every corner is braked for in time.
void PlanSpeeds()
{
    const int n = Robots.path->nodeCount;
    Robots.allowedSpeed.assign(size_t(n), TopSpeed);
    for (int i = 0; i < n; ++i) {
        const PathNode &a = NodeAt(i - 2), &b = NodeAt(i), &c = NodeAt(i + 2);
        const float abx = Metres(b.centre.x) - Metres(a.centre.x), aby = Metres(b.centre.y) - Metres(a.centre.y);
        const float acx = Metres(c.centre.x) - Metres(a.centre.x), acy = Metres(c.centre.y) - Metres(a.centre.y);
        const float cross = std::fabs(abx * acy - aby * acx);
        if (cross > 1e-4f) {
            const float radius = NodeDistance(a, b) * NodeDistance(b, c) * NodeDistance(c, a) / (2 * cross);
            Robots.allowedSpeed[size_t(i)] = std::fmin(TopSpeed, std::sqrt(CorneringGrip * radius));
        }
    }
    for (int pass = 0; pass < 2; ++pass)
        for (int i = n - 1; i >= 0; --i) {
            const float next = Robots.allowedSpeed[size_t((i + 1) % n)];
            const float reach = std::sqrt(next * next + 2 * BrakingGrip * NodeDistance(NodeAt(i), NodeAt(i + 1)));
            Robots.allowedSpeed[size_t(i)] = std::fmin(Robots.allowedSpeed[size_t(i)], reach);
        }
}

uint16_t Pedal(float fraction)
{
    const float f = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
    return uint16_t(f * 65535.0f);
}

// Whether another car is close ahead of this one, within its lane.
bool CarCloseAhead(const Race& race, const CarObject& car, float forwardX, float forwardY)
{
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
        const CarObject* other = GetRaceSlotCar(race, slot);
        if (!other || other == &car)
            continue;
        const float dx = Metres(other->position.x - car.position.x), dy = Metres(other->position.y - car.position.y);
        const float along = dx * forwardX + dy * forwardY, across = dx * forwardY - dy * forwardX;
        if (along > 0 && along < FollowGap && std::fabs(across) < 2.2f)
            return true;
    }
    return false;
}

// A robot with the automatic gearbox only takes first gear out of neutral;
// one without it shifts up near the engine's peak
// power and down when the revs fall low, one shift word per step; the
// H-shifter word says "no gear of its own".
void ChooseShiftWords(CarObject& car)
{
    uint16_t* words = car.inputs.words;
    words[14] = NoHShifterGear;
    const EngineRecord& engine = car.engine;
    const bool heldLastStep = words[3] || words[4];
    words[3] = words[4] = 0;
    if (heldLastStep || car.step.gear != car.step.gearTarget)
        return;
    // The automatic gearbox leaves neutral only when asked to.
    if (car.tuning.autoGears) {
        words[3] = car.step.gear == 1 ? 1 : 0;
        return;
    }
    if (car.step.gear == 1 || engine.speed > 0.95f * engine.maxPowerSpeed)
        words[3] = 1;
    else if (car.step.gear > 2 && engine.speed < 0.45f * engine.maxPowerSpeed)
        words[4] = 1;
}

// Pure pursuit of a point on the path ahead, at the speed the path allows.
void DriveRobot(const Race& race, CarObject& car)
{
    const int node = GetCarPathNode(car);
    uint16_t* words = car.inputs.words;
    if (node < 0) {
        words[1] = 0;
        words[2] = Pedal(0.5f);
        return;
    }
    const float* m = car.rotation.m;
    const float forwardX = m[1], forwardY = m[4], rightX = m[0], rightY = m[3];
    const float speed = std::sqrt(car.velocity.x * car.velocity.x + car.velocity.y * car.velocity.y);
    const float lookAhead = 6 + 0.4f * speed;
    int target = node;
    for (float run = 0; run < lookAhead; ++target)
        run += NodeDistance(NodeAt(target), NodeAt(target + 1));
    const float dx = Metres(NodeAt(target).centre.x - car.position.x);
    const float dy = Metres(NodeAt(target).centre.y - car.position.y);
    const float along = dx * forwardX + dy * forwardY, across = -(dx * rightX + dy * rightY);
    const float lock = float(car.data.setup->maxLock) * 3.14159265f / 180.0f;
    const float steer = 2 * car.tuning.wheelbase * across / (along * along + across * across + 1.0f);
    float word = 32768.0f - steer / lock * 32768.0f;
    word = word < 1 ? 1 : word > 65535 ? 65535 : word;
    words[0] = uint16_t(word);
    float error = Robots.allowedSpeed[size_t(node)] - speed;
    if (CarCloseAhead(race, car, forwardX, forwardY))
        error = error < -2 ? error : -2;
    words[1] = Pedal(0.3f + 0.3f * error);
    words[2] = Pedal(error < -1 ? -0.2f * error : 0);
    ChooseShiftWords(car);
}

void TraceCars(const Race& race)
{
    std::string& out = *Robots.trace;
    Append(out, "step %u\n", unsigned(race.stepCounter));
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
        const CarObject* car = GetRaceSlotCar(race, slot);
        if (!car)
            continue;
        uint32_t vx, vy;
        std::memcpy(&vx, &car->velocity.x, 4);
        std::memcpy(&vy, &car->velocity.y, 4);
        Append(out, " car %2d pos %d %d %d vel %08x %08x gear %d laps %d\n", slot, car->position.x.raw,
               car->position.y.raw, car->position.z.raw, vx, vy, car->step.gear, car->race.lapCount);
    }
}

// The robots, at the AI drivers' place in every step.
void DriveRobots(Race& race)
{
    if (Robots.traceEvery > 0 && race.stepCounter % uint32_t(Robots.traceEvery) == 0)
        TraceCars(race);
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot)
        if (CarObject* car = GetRaceSlotCar(race, slot))
            DriveRobot(race, *car);
}

void ResetEverything()
{
    ResetNetTables();
    ResetSessionTables();
    FreeWorld();
    ResetWorldTables();
    ResetVehicleTables();
    ResetCoreTables();
}

void InstallRaceHooks()
{
    InstallWorldVehicleHooks();
    InstallSessionVehicleHooks();
    InstallNetVehicleHooks();
    InstallNetSessionHooks();
}

// Robot n's slot with a car of the data builder's table, its own set-up
// and colours in the slot's car block.
bool AddRobot(Race& race, int n)
{
    PlayerDescriptor descriptor;
    std::snprintf(descriptor.name, sizeof descriptor.name, "Robot %d", (n + 1) % 100);
    std::snprintf(descriptor.plate, sizeof descriptor.plate, "R%d", (n + 1) % 100);
    descriptor.type = PlayerAi;
    // Even robots let the automatic gearbox choose; odd ones shift with
    // the shift words themselves. Every one has the automatic clutch.
    const uint16_t aids = uint16_t(PlayerAidAutoClutch | (n % 2 == 0 ? PlayerAidAutoGears : 0));
    descriptor.flags = uint16_t(PlayerAiFlag | aids);
    descriptor.playerId = uint8_t(n + 1);
    descriptor.startPosition = uint8_t(n);
    RacePlayer* slot = CheckCarsPerConnection(race, descriptor);
    if (!slot)
        return false;
    CarObject* car = new CarObject;
    ConstructCar(*car);
    slot->car = car;
    if (LoadCarData(*car, "JB4", 0, 0, nullptr, 0, nullptr) != 1)
        return false;
    std::snprintf(slot->carBlock.carName, sizeof slot->carBlock.carName, "%s", CarNameTable[FindCarByCode("JB4")].name);
    slot->carBlock.setup = *car->data.setup;
    slot->carBlock.colours = *car->data.colour;
    ApplyPlayerAids(*car, aids);
    return true;
}

// Every car on its start place, at rest with its engine running.
void PlaceRobots(Race& race)
{
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
        CarObject& car = *GetRaceSlotCar(race, slot);
        FixedVector point;
        float heading = 0;
        GetStartPosition(*CurrentWorld, point, heading, slot);
        car.position = point;
        if (car.follower)
            FindFollowerPosition(*car.follower, point, 0);
        ResetCar(car, heading, 0, 1);
        car.awake = 1;
        SetFuelPercent(car, 40);
        StartEngineAtIdle(car.engine);
    }
}

bool SetUpRace(const HeadlessRaceOptions& options)
{
    if (!LoadSiteNow(SiteTable[options.site].name, options.configuration, 0) || !CurrentWorld ||
        !CurrentWorld->racingPath || GetStartPositionCount(*CurrentWorld) < options.cars)
        return false;
    Robots.path = CurrentWorld->racingPath;
    PlanSpeeds();
    ResetSession(1, 0);
    Race& race = CreateCurrentRace();
    SetRaceLengthByte(race, options.laps);
    race.startCountdown = StartCountdownSeconds;
    race.wind = 0;
    for (int n = 0; n < options.cars; ++n)
        if (!AddRobot(race, n))
            return false;
    RelinkPlayerCars(race);
    PlaceRobots(race);
    SetGameKind(2);
    SetRacePhase(1);
    return CreateSession(nullptr, 0, 0) != nullptr;
}

bool EveryCarFinished(const Race& race)
{
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
        const CarObject* car = GetRaceSlotCar(race, slot);
        if (car && !car->race.result.finished)
            return false;
    }
    return true;
}

void TraceResults(const Race& race, std::string& out)
{
    Append(out, "results after step %u\n", unsigned(race.stepCounter));
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
        const CarObject* car = GetRaceSlotCar(race, slot);
        if (car)
            Append(out, " car %2d laps %d best %d time %d finished %d\n", slot, car->race.lapCount,
                   car->race.result.bestLap, car->race.result.raceTime, car->race.result.finished);
    }
    for (int row = 0; row < RaceResultRows(race); ++row) {
        const RaceResult& r = race.results[row];
        Append(out, " row %2d id %d laps %d time %u best %u flags %d\n", row, r.playerId, r.laps, unsigned(r.totalTime),
               unsigned(r.bestLap), r.flags);
    }
}

void SetClock(uint32_t clockMs, int32_t stepMs)
{
    GameTimeRecord time = GameTime;
    time.clockMs = clockMs;
    time.frameStepMs = stepMs;
    time.realElapsedMs = stepMs;
    SetGameTime(time);
}

} // namespace

HeadlessRaceOutcome RunHeadlessRace(const HeadlessRaceOptions& options)
{
    HeadlessRaceOutcome outcome;
    ResetEverything();
    EditProgramMode([](ProgramModeRecord& mode) {
        mode.graphicsOn = 0;
        mode.dedicatedMode = 0;
    });
    InstallRaceHooks();
    GameTimeRecord time = GameTime;
    time.clockMs = StartClockMs;
    time.random = StartRandom;
    SetGameTime(time);
    Robots = {};
    Robots.traceEvery = options.traceEvery;
    Robots.trace = &outcome.trace;
    SetSessionStepDrivers(DriveRobots);
    if (SetUpRace(options)) {
        outcome.loaded = 1;
        uint32_t clock = StartClockMs;
        const uint32_t end = StartClockMs + uint32_t(options.maxSeconds) * 1000;
        while (clock < end && CurrentSession && !EveryCarFinished(*CurrentRace)) {
            clock += uint32_t(options.frameMs);
            SetClock(clock, options.frameMs);
            UpdateSession(CurrentSession);
        }
        outcome.finished = CurrentRace && EveryCarFinished(*CurrentRace) ? 1 : 0;
        if (CurrentRace) {
            outcome.steps = CurrentRace->stepCounter;
            TraceResults(*CurrentRace, outcome.trace);
        }
        RequestSessionExit();
        UpdateSession(CurrentSession);
    }
    ResetEverything();
    return outcome;
}
