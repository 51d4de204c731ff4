// The AI's knowledge files: for every car on every racing configuration of
// every site, both ways where the site allows, the racing line's keys, the
// car's default set-up key and the lap time, top speed and fuel per lap of
// the speed profile the game's own knowledge code builds from the line.
// Each line is built by that code against the loaded world before its
// files are written, each file is read back through the game's reader, and
// an AI driver loads the knowledge of each line as a race would, pit line
// included.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "builder.h"
#include "core/services.h"
#include "racing_line.h"
#include "session/services.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

// Cars whose half widths round up to the same step share one line, fitted
// for the widest of them (m).
constexpr float HalfWidthStep = 0.1f;
// The profile of the file is the car's best: grip at full scale.
constexpr float FullSkillScale = 1.0f;
// The skill of the AI driver that checks each file (the best).
constexpr int AiTopSkill = 4;
constexpr float Gravity = 9.81f;  // m/s^2

// A car as the knowledge needs it: read with its default set-up.
struct KnowledgeCar {
    int index = 0;  // in the car name table
    CarObject object;
    float halfWidthClass = 0;  // m
    bool loaded = false;

    KnowledgeCar() { ConstructCar(object); }
    ~KnowledgeCar() { DestroyCar(object); }
    KnowledgeCar(const KnowledgeCar&) = delete;
    KnowledgeCar& operator=(const KnowledgeCar&) = delete;
};

// The half width of the line a car drives: its own rounded up to the step.
float HalfWidthClass(float halfWidth)
{
    return float(std::ceil(double(halfWidth) / HalfWidthStep - 0.001)) * HalfWidthStep;
}

std::vector<std::unique_ptr<KnowledgeCar>> LoadKnowledgeCars()
{
    std::vector<std::unique_ptr<KnowledgeCar>> cars;
    for (int car = 0; car < CarCount; car++) {
        auto entry = std::make_unique<KnowledgeCar>();
        entry->index = car;
        entry->loaded = LoadCarData(entry->object, CarNameTable[car].code, 0, 0, nullptr, 0, nullptr) == 1;
        if (!entry->loaded) {
            BuilderFail("Car data does not read back : %s", CarNameTable[car].code);
            return {};
        }
        entry->halfWidthClass = HalfWidthClass(entry->object.tuning.largerHalfWidth);
        cars.push_back(std::move(entry));
    }
    return cars;
}

// The key segments of a line as the knowledge keeps them.
std::vector<KnowledgeSegment> MakeKeySegments(const std::vector<RacingLineKey>& keys)
{
    std::vector<KnowledgeSegment> segments(keys.size());
    for (size_t k = 0; k < keys.size(); k++) {
        KnowledgeSegment& segment = segments[k];
        segment.id = static_cast<int16_t>(k);
        segment.startNode = keys[k].startNode;
        segment.endNode = keys[k].endNode;
        segment.endAngle = keys[k].endAngle;
        segment.endOffset = keys[k].endOffset;
    }
    return segments;
}

// The spans of a line that a lap drives: round a closed line, from the
// first node to the last of an open one.
int LapSpanCount(const AiKnowledge& knowledge, bool closed)
{
    return closed ? knowledge.nodeCount : std::max(knowledge.nodeCount - 1, 0);
}

// The time of a lap at the profile's speeds, each span at constant
// acceleration between its nodes' speeds (s).
float ProfileLapTime(const AiKnowledge& knowledge, bool closed)
{
    double time = 0;
    const int spans = LapSpanCount(knowledge, closed);
    for (int i = 0; i < spans; i++) {
        const KnowledgeNode& a = knowledge.nodes[size_t(i)];
        const KnowledgeNode& b = knowledge.nodes[size_t((i + 1) % knowledge.nodeCount)];
        const double speed = (double(a.speed) + b.speed) / 2;
        if (speed > 0)
            time += a.length / speed;
    }
    return float(time);
}

// The fuel a lap at the profile's speeds burns (litres): the engine's work
// to gain speed and height and to push through the air, where the car
// gains energy; it burns none while braking.
float ProfileFuelPerLap(const AiKnowledge& knowledge, const CarObject& car, bool closed)
{
    const double effectiveMass = EffectiveCarMass(car);
    const double efficiency = car.tuning.driveEfficiency > 0 ? car.tuning.driveEfficiency : 1.0;
    double work = 0;
    const int spans = LapSpanCount(knowledge, closed);
    for (int i = 0; i < spans; i++) {
        const KnowledgeNode& a = knowledge.nodes[size_t(i)];
        const KnowledgeNode& b = knowledge.nodes[size_t((i + 1) % knowledge.nodeCount)];
        const double va = a.speed, vb = b.speed;
        const double climb = FixedToMetres(b.z - a.z);
        const double gained = 0.5 * effectiveMass * (vb * vb - va * va) + double(car.mass) * Gravity * climb +
                              double(car.tuning.dragSum) * (va * va + vb * vb) / 2 * a.length;
        if (gained > 0)
            work += gained / efficiency;
    }
    return float(work * FuelPerJoule);
}

// The speed profile of a car over a built line, and the figures of its
// file: set-up key, lap time, top speed, fuel per lap and tank capacity.
void ProfileCar(AiKnowledge& knowledge, KnowledgeCar& car, bool closed)
{
    knowledge.car = &car.object;
    const CarSetup& setup = car.object.data.setups[0].setup;
    knowledge.rearWing = setup.rearWing;
    knowledge.frontWing = setup.frontWing;
    knowledge.finalDriveCode = setup.finalDrive;
    ComputeCarCapability(knowledge);
    // The display's profile: the engine's acceleration limits the speed as
    // braking does, so the lap time and the fuel are those of a lap a car
    // can drive.
    UpdateKnowledge(knowledge, 1, FullSkillScale, -1, closed ? 1 : 0, nullptr);
    knowledge.maxSpeed = 0;
    for (const KnowledgeNode& node : knowledge.nodes)
        knowledge.maxSpeed = std::max(knowledge.maxSpeed, node.speed);
    knowledge.lapTime = ProfileLapTime(knowledge, closed);
    knowledge.fuelPerLap = ProfileFuelPerLap(knowledge, car.object, closed);
}

// Writes the car's file and reads it back through the game's reader: the
// same keys and figures come back, and the set-up key is the car's default
// set-up's.
int WriteCarKnowledge(const AiKnowledge& knowledge, int site, int configuration, int reversed,
                      const KnowledgeCar& car, const Path& path)
{
    char name[KnowledgeFileNameSize];
    KnowledgeFileNameFor(name, SiteTable[site].code, configuration, reversed, CarNameTable[car.index].code);
    if (!WriteKnowledgeFile(knowledge, name))
        return BuilderFail("Could not create file : %s", name);
    AiKnowledge back;
    const int read = LoadKnowledge(back, name, path.nodeCount);
    bool same = read && back.keyCount == knowledge.keyCount && back.lapTime == knowledge.lapTime &&
                back.fuelPerLap == knowledge.fuelPerLap && back.maxSpeed == knowledge.maxSpeed &&
                back.tankCapacity == knowledge.tankCapacity &&
                KnowledgeMatchesSetup(back, car.object.data.setups[0].setup);
    for (int k = 0; same && k < back.keyCount; k++)
        same = back.keys[size_t(k)].startNode == knowledge.keys[size_t(k)].startNode &&
               back.keys[size_t(k)].endNode == knowledge.keys[size_t(k)].endNode &&
               back.keys[size_t(k)].endAngle == knowledge.keys[size_t(k)].endAngle &&
               back.keys[size_t(k)].endOffset == knowledge.keys[size_t(k)].endOffset;
    FreeKnowledge(back);
    return same ? 1 : BuilderFail("Knowledge file does not read back : %s", name);
}

// An AI driver of the car takes its file as a race would: read, line built
// over the loaded world's route and profiled, and a pit line where the
// route has a pit lane.
int CheckDriverKnowledge(KnowledgeCar& car, const Path& path, const char* subject)
{
    AiDriver* ai = CreateAiDriver(car.object, AiTopSkill);
    const int loaded = LoadAiKnowledge(*ai);
    const int pitLine = loaded && AiHasPitLine(*ai);
    FreeAiDriver(ai);
    if (!loaded)
        return BuilderFail("%s : an AI driver of %s cannot use its knowledge", subject, CarNameTable[car.index].code);
    if (path.secondCount > 0 && !pitLine)
        return BuilderFail("%s : no pit line fits for %s", subject, CarNameTable[car.index].code);
    return 1;
}

// One configuration in one direction: a line per half-width class, fitted
// and built by the game's code against the loaded world, then every car's
// file. The widest car of each class drives its file as an AI driver would.
int BuildConfigurationKnowledge(int site, int configuration, int reversed,
                                const std::vector<std::unique_ptr<KnowledgeCar>>& cars)
{
    auto world = std::make_unique<World>();
    if (!LoadSiteConfiguration(*world, site, configuration, reversed))
        return 0;
    // Only a racing path has AI drivers.
    const Path* route = world->racingPath;
    if (!route) {
        FreeWorld(*world);
        return 1;
    }
    const Path& path = *route;
    const PathWorld pathWorld = CurrentPathWorld();
    char subject[64];
    std::snprintf(subject, sizeof subject, "%s %d%s", SiteTable[site].name, configuration, reversed ? "R" : "");
    const bool closed = (path.flags & PathClosedLoop) != 0;
    std::vector<float> classes;
    for (const auto& car : cars)
        classes.push_back(car->halfWidthClass);
    std::sort(classes.begin(), classes.end());
    classes.erase(std::unique(classes.begin(), classes.end()), classes.end());
    int built = 1;
    for (size_t c = 0; c < classes.size() && built; c++) {
        const float halfWidth = classes[c];
        const std::vector<float> offsets = FitRacingLine(path, halfWidth);
        AiKnowledge line;
        line.keys = MakeKeySegments(ChooseRacingLineKeys(path, offsets, halfWidth));
        line.keyCount = static_cast<int32_t>(line.keys.size());
        if (!BuildKnowledge(line, path, halfWidth, pathWorld)) {
            built = BuilderFail("%s : the racing line for a half width of %.1f m does not fit the road", subject,
                                double(halfWidth));
            break;
        }
        KnowledgeCar* widest = nullptr;
        for (const auto& car : cars) {
            if (car->halfWidthClass != halfWidth)
                continue;
            AiKnowledge knowledge = line;
            ProfileCar(knowledge, *car, closed);
            if (!WriteCarKnowledge(knowledge, site, configuration, reversed, *car, path)) {
                built = 0;
                break;
            }
            if (!widest || car->object.tuning.largerHalfWidth > widest->object.tuning.largerHalfWidth)
                widest = car.get();
        }
        if (built && widest)
            built = CheckDriverKnowledge(*widest, path, subject);
    }
    FreeWorld(*world);
    return built;
}

} // namespace

int BuildKnowledgeFiles()
{
    const std::vector<std::unique_ptr<KnowledgeCar>> cars = LoadKnowledgeCars();
    int built = cars.empty() ? 0 : 1;
    for (int site = 0; site < SiteCount && built; site++) {
        const SiteRecord& record = SiteTable[site];
        for (int configuration = 1; configuration <= record.configCount && built; configuration++)
            for (int reversed = 0; reversed <= (record.mapPathFlags[configuration - 1] ? 1 : 0) && built; reversed++)
                built = BuildConfigurationKnowledge(site, configuration, reversed, cars);
    }
    ResetWorldTables();
    return built;
}
