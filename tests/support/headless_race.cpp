// A whole race without drawing, run through the program's own session (see
// headless_race.h). The robot drivers run inside every 10 ms step, so their
// words, like the race, do not depend on how the steps fall into frames;
// they use no library call whose result may differ between machines. In an
// AI race the program's own AI drivers drive, and the harness only watches
// the race in every step: stuck cars, distance outside the outer limits and
// contacts between cars.
#include "support/headless_race.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/files.h"

#include "core/services.h"
#include "net/services.h"
#include "session/services.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

constexpr float TopSpeed = 60.0f;          // m/s
constexpr float CorneringGrip = 5.0f;      // m/s^2 the robots allow across
constexpr float BrakingGrip = 4.0f;        // m/s^2 they plan to brake with
constexpr float FollowGap = 12.0f;         // m: a car this close ahead sets a robot's speed
constexpr const char* RobotCar = "JB4";
constexpr uint8_t StartFuelPercent = 40;
constexpr int32_t StartLightsOut = 4;      // the world's start light state once green shows
constexpr float StuckSpeed = 1.0f;        // m/s: slower than this while asking for speed is stuck
constexpr int StuckSteps = 150;            // steps stuck before a robot backs off
constexpr int ReverseSteps = 300;          // steps it backs off for
constexpr float MinimumFollowSpeed = 4.0f; // m/s: a robot behind a slower car still creeps on
constexpr float LaneOffset = 2.0f;         // m: the farthest a robot keeps from the path across
constexpr int FirstGearSteps = 60;         // steps it then holds first gear by the H-shifter word
// The most throttle a robot gives off the road once it rolls faster than
// LooseGroundSpeed (m/s); slower, it needs all of it to get out of gravel.
constexpr float LooseGroundThrottle = 0.4f;
constexpr float LooseGroundSpeed = 3.0f;
constexpr uint32_t StartClockMs = 1000;
constexpr int ResultFrames = 100;          // frames run after the last car finished
constexpr uint16_t StartRandom = 0x2B1D;   // the world's random seed, so the lights' delay is fixed

// The input words the robots write, and the gears they name with the
// H-shifter word.
constexpr int SteerWord = 0, ThrottleWord = 1, BrakeWord = 2, ShiftUpWord = 3, ShiftDownWord = 4,
              HShifterWord = 14;
constexpr uint16_t ReverseGear = 0, NeutralGear = 1, FirstGear = 2;

// What a robot remembers between steps: how long it has been stuck, and
// while it backs off from a wall or a car, how long it still reverses; the
// path node where it last backed off (-1 none).
struct RobotMemory {
    int stuckSteps = 0;
    int reverseSteps = 0;
    int firstGearSteps = 0;
    int backOffNode = -1;
};
// A robot stuck again this close (nodes) to where it backed off has not got
// away (beached in a gravel trap, say): it asks for its car to be reset, as
// the program's AI drivers do.
constexpr int BackOffReach = 3;
// A car whose up axis leans further than this (its vertical component) lies
// on its side or roof and cannot back off: it asks for a reset at once.
constexpr float UprightUp = 0.5f;

// What the harness keeps of each car while it watches an AI race.
struct CarWatch {
    FixedVector lastPosition;
    int watched = 0;     // lastPosition holds the previous step's place
    int stuckSteps = 0;  // steps in a row below StuckSpeed
};

// An AI race as the harness watches it: the figures so far and, per pair
// of slots, whether they touched in the last step (bit b of touching[a]).
struct RaceWatch {
    HeadlessRaceFigures* figures = nullptr;
    CarWatch cars[32];
    uint32_t touching[32] = {};
    double outsideMetres = 0, drivenMetres = 0;
    int longestStuckSteps = 0;
};
RaceWatch Watch;

// What the robots know of the track and what the run writes.
struct RobotRace {
    const Path* path = nullptr;
    std::vector<float> allowedSpeed;  // m/s per node
    RobotMemory memory[32];
    int traceEvery = 0;
    std::string* trace = nullptr;
    void (*watch)(Race& race) = nullptr;
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

// The speed along this car's heading of another car close ahead of it,
// within its lane; the robot's own target when none is.
float SpeedOfCarAhead(const Race& race, const CarObject& car, float forwardX, float forwardY, float own)
{
    float ahead = own;
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
        const CarObject* other = GetRaceSlotCar(race, slot);
        if (!other || other == &car)
            continue;
        const float dx = Metres(other->position.x - car.position.x), dy = Metres(other->position.y - car.position.y);
        const float along = dx * forwardX + dy * forwardY, across = dx * forwardY - dy * forwardX;
        if (along > 0 && along < FollowGap && std::fabs(across) < 2.2f) {
            const float otherSpeed = other->velocity.x * forwardX + other->velocity.y * forwardY;
            ahead = std::fmin(ahead, std::fmax(otherSpeed + 0.5f * (along - 4.0f), MinimumFollowSpeed));
        }
    }
    return ahead;
}

// A robot with the automatic gearbox only takes first gear out of neutral;
// one without it shifts up near the engine's peak power and down when the
// revs fall low, one shift word per step; the H-shifter word says "no gear
// of its own" except while the robot backs off or pulls away again.
void ChooseShiftWords(CarObject& car, RobotMemory& memory)
{
    uint16_t* words = car.inputs.words;
    words[HShifterWord] = NoHShifterGear;
    if (memory.reverseSteps > 0 || memory.firstGearSteps > 0) {
        words[HShifterWord] = memory.reverseSteps > 0 ? ReverseGear : FirstGear;
        words[ShiftUpWord] = words[ShiftDownWord] = 0;
        return;
    }
    const EngineRecord& engine = car.engine;
    const bool heldLastStep = words[ShiftUpWord] || words[ShiftDownWord];
    words[ShiftUpWord] = words[ShiftDownWord] = 0;
    if (heldLastStep || car.step.gear != car.step.gearTarget)
        return;
    if (car.tuning.autoGears) {
        words[ShiftUpWord] = car.step.gear <= NeutralGear ? 1 : 0;
        return;
    }
    if (car.step.gear <= NeutralGear || engine.speed > 0.95f * engine.maxPowerSpeed)
        words[ShiftUpWord] = 1;
    else if (car.step.gear > FirstGear && engine.speed < 0.45f * engine.maxPowerSpeed)
        words[ShiftDownWord] = 1;
}

// A robot that asks for speed and does not move is stuck against a wall or
// a car: it backs off with the wheels turned the other way, then pulls away
// in first gear; stuck again where it backed off, it asks for a reset.
void WatchForStuck(CarObject& car, int node, RobotMemory& memory, float speed, float wantedSpeed)
{
    if (memory.reverseSteps > 0) {
        if (--memory.reverseSteps == 0)
            memory.firstGearSteps = FirstGearSteps;
        return;
    }
    if (memory.firstGearSteps > 0)
        --memory.firstGearSteps;
    memory.stuckSteps = speed < StuckSpeed && wantedSpeed > 2 * StuckSpeed ? memory.stuckSteps + 1 : 0;
    if (memory.stuckSteps > StuckSteps) {
        memory.stuckSteps = 0;
        const int n = Robots.path->nodeCount;
        const int apart = std::abs(node - memory.backOffNode) % n;
        const bool upright = car.rotation.m[8] >= UprightUp;
        if (!upright || (memory.backOffNode >= 0 && std::min(apart, n - apart) <= BackOffReach)) {
            RequestCarReset(car, 0);
            memory.backOffNode = -1;
            return;
        }
        memory.reverseSteps = ReverseSteps;
        memory.backOffNode = node;
    }
}

// Whether a driven wheel stands on grass, gravel or sand, where a rolling
// robot keeps the throttle low so that the wheels do not spin the car round.
bool IsOnLooseGround(const CarObject& car)
{
    for (int w = 0; w < car.wheelCount; ++w) {
        const Wheel& wheel = car.wheels[w];
        if (wheel.driven && wheel.surfaceKind >= 0 && wheel.surfaceKind < SurfaceKindCount &&
            SurfaceKindTable[wheel.surfaceKind].loose)
            return true;
    }
    return false;
}

// Standing on the grid until the start lights go out: brakes on, no gear.
void HoldOnGrid(CarObject& car)
{
    uint16_t* words = car.inputs.words;
    words[SteerWord] = SteeringCentre;
    words[ThrottleWord] = 0;
    words[BrakeWord] = Pedal(1);
    words[ShiftUpWord] = words[ShiftDownWord] = 0;
    words[HShifterWord] = NoHShifterGear;
}

// Pure pursuit of a point on the path ahead, at the speed the path allows
// and no faster than a car close ahead.
void DriveRobot(const Race& race, CarObject& car, RobotMemory& memory)
{
    const int node = GetCarPathNode(car);
    uint16_t* words = car.inputs.words;
    if (!CurrentWorld || CurrentWorld->startLightState != StartLightsOut) {
        HoldOnGrid(car);
        return;
    }
    if (node < 0) {
        words[ThrottleWord] = 0;
        words[BrakeWord] = Pedal(0.5f);
        return;
    }
    const float* m = car.rotation.m;
    const float forwardX = m[1], forwardY = m[4], rightX = m[0], rightY = m[3];
    const float speed = std::sqrt(car.velocity.x * car.velocity.x + car.velocity.y * car.velocity.y);
    const float lookAhead = 10 + 0.4f * speed;
    int target = node;
    for (float run = 0; run < lookAhead; ++target)
        run += NodeDistance(NodeAt(target), NodeAt(target + 1));
    // Each robot keeps its lane: its offset across the path, within the
    // road, is kept at the point it aims for, so that cars side by side on
    // the grid stay side by side.
    const PathNode& here = NodeAt(node);
    const PathNode& ahead = NodeAt(target);
    float lane = Metres(car.position.x - here.centre.x) * here.direction.y -
                 Metres(car.position.y - here.centre.y) * here.direction.x;
    lane = lane < -LaneOffset ? -LaneOffset : lane > LaneOffset ? LaneOffset : lane;
    const float dx = Metres(ahead.centre.x - car.position.x) + lane * ahead.direction.y;
    const float dy = Metres(ahead.centre.y - car.position.y) - lane * ahead.direction.x;
    const float along = dx * forwardX + dy * forwardY, across = -(dx * rightX + dy * rightY);
    const float lock = float(car.data.setup->maxLock) * std::numbers::pi_v<float> / 180.0f;
    float steer = 2 * car.tuning.wheelbase * across / (along * along + across * across + 1.0f);
    const float wanted = SpeedOfCarAhead(race, car, forwardX, forwardY, Robots.allowedSpeed[size_t(node)]);
    WatchForStuck(car, node, memory, speed, Robots.allowedSpeed[size_t(node)]);
    float error = wanted - speed;
    if (memory.reverseSteps > 0) {
        steer = steer > 0 ? -lock : lock;
        error = 3;
    }
    float word = 32768.0f - steer / lock * 32768.0f;
    word = word < 1 ? 1 : word > 65535 ? 65535 : word;
    words[SteerWord] = uint16_t(word);
    const float throttle = 0.3f + 0.3f * error;
    const bool holdBack = speed > LooseGroundSpeed && IsOnLooseGround(car);
    words[ThrottleWord] = Pedal(holdBack ? std::fmin(throttle, LooseGroundThrottle) : throttle);
    words[BrakeWord] = Pedal(error < -1 ? -0.2f * error : 0);
    ChooseShiftWords(car, memory);
}

// Every packet the frame road processes, in order: its frame, connection,
// type, length and check value.
void TracePacket(uint32_t frame, int connection, const uint8_t* packet, int length)
{
    if (!Robots.trace || length <= 0)
        return;
    Append(*Robots.trace, "packet %u %d type %d length %d crc %08x\n", unsigned(frame), connection, packet[0], length,
           unsigned(CrcAddBuffer(0, packet, length)));
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
        Append(out, " car %2d pos %d %d %d vel %08x %08x gear %d node %d laps %d\n", slot, car->position.x.raw,
               car->position.y.raw, car->position.z.raw, vx, vy, car->step.gear, GetCarPathNode(*car),
               car->race.lapCount);
    }
}

// The robots, at the AI drivers' place in every step.
void DriveRobots(Race& race)
{
    if (Robots.traceEvery > 0 && race.stepCounter % uint32_t(Robots.traceEvery) == 0)
        TraceCars(race);
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot)
        if (CarObject* car = GetRaceSlotCar(race, slot); car && !race.players[slot].ai)
            DriveRobot(race, *car, Robots.memory[slot]);
    if (Robots.watch)
        Robots.watch(race);
}

// Car a's contact points that met car b's body in the last step.
bool CarsTouch(const CarObject& a, const CarObject& b)
{
    for (int p = 0; p < a.pointCount; ++p)
        if (a.points[p].contact != 0 && a.points[p].query.hitBody == &b)
            return true;
    return false;
}

// One car's step as the race saw it: the distance it drove, the part of
// that outside the route's outer limits, and how long it has stood.
void WatchCar(CarWatch& watch, const CarObject& car)
{
    const float speed = std::sqrt(car.velocity.x * car.velocity.x + car.velocity.y * car.velocity.y);
    watch.stuckSteps = speed < StuckSpeed ? watch.stuckSteps + 1 : 0;
    const float dx = Metres(car.position.x - watch.lastPosition.x), dy = Metres(car.position.y - watch.lastPosition.y);
    const float moved = watch.watched ? std::sqrt(dx * dx + dy * dy) : 0.0f;
    watch.lastPosition = car.position;
    watch.watched = 1;
    Watch.drivenMetres += moved;
    const int node = GetCarPathNode(car);
    if (node < 0 || !CurrentWorld || !CurrentWorld->racingPath)
        return;
    const PathNode& at = CurrentWorld->racingPath->nodes[size_t(node)];
    const float across = Metres(car.position.x - at.centre.x) * at.direction.y -
                         Metres(car.position.y - at.centre.y) * at.direction.x;
    if (across < at.leftLimit || across > at.rightLimit)
        Watch.outsideMetres += moved;
}

// The AI race in every step once the lights are out: each car until it
// finishes, and every pair of cars whose bodies began to touch.
void WatchAiRace(Race& race)
{
    if (!CurrentWorld || CurrentWorld->startLightState != StartLightsOut)
        return;
    const int slots = std::min(RaceSlotsInUse(race), 32);
    for (int a = 0; a < slots; ++a) {
        const CarObject* car = GetRaceSlotCar(race, a);
        if (!car)
            continue;
        CarWatch& watch = Watch.cars[a];
        if (!car->race.result.finished)
            WatchCar(watch, *car);
        if (watch.stuckSteps > Watch.longestStuckSteps) {
            Watch.longestStuckSteps = watch.stuckSteps;
            Watch.figures->longestStuckSlot = a;
        }
        for (int b = a + 1; b < slots; ++b) {
            const CarObject* other = GetRaceSlotCar(race, b);
            const bool touch = other && (CarsTouch(*car, *other) || CarsTouch(*other, *car));
            const uint32_t bit = 1u << b;
            if (touch && !(Watch.touching[a] & bit))
                ++Watch.figures->contacts;
            Watch.touching[a] = touch ? Watch.touching[a] | bit : Watch.touching[a] & ~bit;
        }
    }
}

// The robots' step (the trace and any slot without an AI driver), then the
// AI race's watch.
void DriveAndWatchAiRace(Race& race)
{
    DriveRobots(race);
    WatchAiRace(race);
}

// The figures of the finished race from what the watch gathered.
void SummariseAiRace(const Race& race, HeadlessRaceFigures& figures)
{
    for (int slot = 0; slot < RaceSlotsInUse(race) && slot < 32; ++slot) {
        const CarObject* car = GetRaceSlotCar(race, slot);
        if (!car)
            continue;
        figures.finishers += car->race.result.finished ? 1 : 0;
        figures.bestLapSeconds[slot] = float(car->race.result.bestLap) / 100.0f;
    }
    figures.longestStuckSeconds = float(Watch.longestStuckSteps) * 0.01f;
    figures.distanceMetres = float(Watch.drivenMetres);
    figures.outsideShare = Watch.drivenMetres > 0 ? float(Watch.outsideMetres / Watch.drivenMetres) : 0.0f;
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

// Robot n's slot: its descriptor, and the car block the program gives an
// AI driver of the car (set-up and colours of the car's own data). The
// session loads and places the car.
// The short code of slot n's car: the options' list taken in turn.
std::string SlotCarCode(const HeadlessRaceOptions& options, int n)
{
    std::vector<std::string> codes;
    size_t start = 0;
    while (start <= options.carCodes.size()) {
        const size_t comma = options.carCodes.find(',', start);
        const size_t end = comma == std::string::npos ? options.carCodes.size() : comma;
        if (end > start)
            codes.push_back(options.carCodes.substr(start, end - start));
        start = end + 1;
    }
    return codes.empty() ? std::string(RobotCar) : codes[size_t(n) % codes.size()];
}

bool AddRobot(Race& race, int n, const HeadlessRaceOptions& options)
{
    const int car = FindCarByCode(SlotCarCode(options, n).c_str());
    if (car < 0)
        return false;
    PlayerDescriptor descriptor;
    std::snprintf(descriptor.name, sizeof descriptor.name, options.aiDrivers ? "AI %d" : "Robot %d", (n + 1) % 100);
    std::snprintf(descriptor.plate, sizeof descriptor.plate, "R%d", (n + 1) % 100);
    descriptor.type = PlayerAi;
    // Even robots let the automatic gearbox choose; odd ones shift with
    // the shift words themselves. Every one has the automatic clutch.
    const uint16_t aids = uint16_t(PlayerAidAutoClutch | (n % 2 == 0 ? PlayerAidAutoGears : 0));
    descriptor.flags = uint16_t(PlayerAiFlag | aids);
    descriptor.playerId = uint8_t(n + 1);
    descriptor.startPosition = uint8_t(n);
    descriptor.pitStrategy[0] = StartFuelPercent;
    RacePlayer* slot = CheckCarsPerConnection(race, descriptor);
    if (!slot)
        return false;
    SetAiPlayerCar(slot->carBlock, n, CarNameTable[car].name);
    return slot->carBlock.carName[0] != 0;
}

// The time of a lap at the profile's speeds, each span at the mean of its
// nodes' speeds (s).
float ProfileLapSeconds(const AiKnowledge& knowledge, bool closed)
{
    double time = 0;
    const int spans = closed ? knowledge.nodeCount : knowledge.nodeCount - 1;
    for (int i = 0; i < spans; ++i) {
        const KnowledgeNode& a = knowledge.nodes[size_t(i)];
        const KnowledgeNode& b = knowledge.nodes[size_t((i + 1) % knowledge.nodeCount)];
        const double speed = (double(a.speed) + b.speed) / 2;
        if (speed > 0)
            time += a.length / speed;
    }
    return float(time);
}

// The car's knowledge of the loaded configuration: its file when the data
// builder wrote one, else a file of the route's centre line (no key
// segments) with the car's default set-up key, top speed and lap time of
// its full-skill profile, built in memory and written with the program's
// own writer. Answers the knowledge's lap time (s), 0 when there is none.
float EnsureKnowledgeFile(CarObject& car)
{
    const Path& route = *CurrentWorld->racingPath;
    char name[KnowledgeFileNameSize];
    KnowledgeFileName(name, car.data.shortCode);
    AiKnowledge knowledge;
    if (platform::FileExists(name) && LoadKnowledge(knowledge, name, route.nodeCount))
        return knowledge.lapTime;
    const bool closed = (route.flags & PathClosedLoop) != 0;
    if (!BuildKnowledge(knowledge, route, car.tuning.largerHalfWidth))
        return 0;
    knowledge.car = &car;
    const CarSetup& setup = *car.data.setup;
    knowledge.rearWing = setup.rearWing;
    knowledge.frontWing = setup.frontWing;
    knowledge.finalDriveCode = setup.finalDrive;
    ComputeCarCapability(knowledge);
    // The display's profile: braking and the engine's acceleration both
    // limit the speed, as they do on a lap.
    UpdateKnowledge(knowledge, 1, 1.0f, -1, closed ? 1 : 0, nullptr);
    for (const KnowledgeNode& node : knowledge.nodes)
        knowledge.maxSpeed = std::fmax(knowledge.maxSpeed, node.speed);
    knowledge.lapTime = ProfileLapSeconds(knowledge, closed);
    platform::MakeFolder("data\\knw");
    return WriteKnowledgeFile(knowledge, name) ? knowledge.lapTime : 0.0f;
}

bool SetUpRace(const HeadlessRaceOptions& options, HeadlessRaceOutcome& outcome)
{
    if (!LoadSiteNow(SiteTable[options.site].name, options.configuration, options.reversed) || !CurrentWorld)
        return false;
    outcome.worldLoaded = 1;
    if (!CurrentWorld->racingPath)
        return false;
    outcome.racingRoute = 1;
    if (GetStartPositionCount(*CurrentWorld) < options.cars)
        return false;
    Robots.path = CurrentWorld->racingPath;
    PlanSpeeds();
    ResetSession(1, 0);
    Race& race = CreateCurrentRace();
    SetRaceLengthByte(race, options.laps);
    race.wind = 0;
    race.aiSkill = uint8_t(options.aiSkill < 0 ? 0 : options.aiSkill > 4 ? 4 : options.aiSkill);
    for (int n = 0; n < options.cars; ++n)
        if (!AddRobot(race, n, options))
            return false;
    SetGameKind(2);
    SetRacePhase(1);
    if (!CreateSession(nullptr, 0, 0))
        return false;
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot)
        if (!GetRaceSlotCar(race, slot))
            return false;
    if (options.aiDrivers) {
        for (int slot = 0; slot < RaceSlotsInUse(race) && slot < 32; ++slot) {
            CarObject& car = *GetRaceSlotCar(race, slot);
            outcome.figures.carCode[slot] = car.data.shortCode;
            outcome.figures.knowledgeLapSeconds[slot] = EnsureKnowledgeFile(car);
        }
    } else {
        // The robots drive instead of the program's AI drivers: their slots
        // are AI slots so that the session loads their cars as it loads any
        // AI car, but the input words are the harness's own.
        for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
            FreeAiDriver(race.players[slot].ai);
            race.players[slot].ai = nullptr;
        }
    }
    return !options.prepare || options.prepare(race);
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
    Robots.watch = options.watch;
    Watch = {};
    Watch.figures = &outcome.figures;
    SetSessionStepDrivers(options.aiDrivers ? DriveAndWatchAiRace : DriveRobots);
    SetGamePacketTrace(TracePacket);
    if (SetUpRace(options, outcome)) {
        outcome.loaded = 1;
        uint32_t clock = StartClockMs;
        const uint32_t end = StartClockMs + uint32_t(options.maxSeconds) * 1000;
        while (clock < end && CurrentSession && !EveryCarFinished(*CurrentRace)) {
            clock += uint32_t(options.frameMs);
            SetClock(clock, options.frameMs);
            UpdateSession(CurrentSession);
        }
        outcome.finished = CurrentRace && EveryCarFinished(*CurrentRace) ? 1 : 0;
        // The last finisher's result row is confirmed some frames after its
        // finish: the race runs on for a moment.
        for (int frame = 0; outcome.finished && frame < ResultFrames && CurrentSession; ++frame) {
            clock += uint32_t(options.frameMs);
            SetClock(clock, options.frameMs);
            UpdateSession(CurrentSession);
        }
        if (CurrentRace) {
            outcome.steps = CurrentRace->stepCounter;
            TraceResults(*CurrentRace, outcome.trace);
            if (options.aiDrivers)
                SummariseAiRace(*CurrentRace, outcome.figures);
        }
        RequestSessionExit();
        UpdateSession(CurrentSession);
    }
    SetGamePacketTrace(nullptr);
    ResetEverything();
    Watch = {};
    outcome.traceCrc = CrcAddBuffer(0, outcome.trace.data(), int(outcome.trace.size()));
    return outcome;
}
