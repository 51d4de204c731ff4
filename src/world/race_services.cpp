// What the world keeps for a race: the start lights and their timing, the
// wind and its drift, pit places, the light and camera zones and the
// timing point count the race reads.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "world/local.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
// The last red light comes on this long before green, and each red light
// follows the one before it after a second.
constexpr int32_t RedLightsLeadMs = 3000;
constexpr int32_t LightIntervalMs = 1000;
// The random part of the last red light's wait is below this.
constexpr int32_t MaxStartDelayMs = 3000;
constexpr int32_t WorldStepMs = 10;
constexpr int GreenLight = 3;
// A random wind's strength: up to this much, once more for strong wind,
// and at least 1 m/s for the ordinary wind.
constexpr float RandomWindRange = 6.6665f;
constexpr float LeastRandomWind = 1.0f;
// The wind's strength drifts between these shares of its base, its
// direction within a twelfth of a turn either side of its base.
constexpr float WindLowShare = 0.667f, WindHighShare = 1.333f;
constexpr float WindDirectionSwing = Pi / 6;
constexpr float WindStrengthDrift = 0.05f;   // share of the base per step and unit draw
constexpr float WindDirectionDrift = Pi / 180;  // rad/s per step and unit draw
// A pit box on the racing path faces out at this angle to the path.
constexpr float PitExitAngle = Pi / 6;

// A draw of the world's random value as -1..1.
float DrawUnit(World& world) { return float(StepWorldRandom(world)) / 32768.0f - 1.0f; }

void UpdateWindVector(World& world)
{
    double s, c;
    ComputeSinCos(double(world.wind.direction) + std::numbers::pi, s, c);
    world.windX = -world.wind.strength * float(s);
    world.windY = world.wind.strength * float(c);
}

// The strength drifts by a random push on its rate and is held inside its
// band; at a bound the drift stops.
void DriftWindStrength(World& world)
{
    WorldWind& w = world.wind;
    w.strengthRate += DrawUnit(world) * w.baseStrength * WindStrengthDrift;
    w.strength += w.strengthRate * 0.01f;
    const float low = WindLowShare * w.baseStrength, high = WindHighShare * w.baseStrength;
    if (w.strength < low || w.strength > high) {
        w.strength = w.strength < low ? low : high;
        w.strengthRate = 0;
    }
}

void DriftWindDirection(World& world)
{
    WorldWind& w = world.wind;
    w.directionRate += DrawUnit(world) * WindDirectionDrift;
    w.direction += w.directionRate * 0.01f;
    const float low = w.baseDirection - WindDirectionSwing, high = w.baseDirection + WindDirectionSwing;
    if (w.direction < low || w.direction > high) {
        w.direction = w.direction < low ? low : high;
        w.directionRate = 0;
    }
}

void SwitchAllLightsOff(World& world)
{
    for (int light = 0; light < int(world.lights.size()); light++)
        SetStartLight(world, light, 0);
}

// The next light of the sequence: a red light more, or green after the
// third. Returns after one switch, so each step switches at most once.
void SwitchNextStartLight(World& world, const WorldRaceSettings* race)
{
    if (world.startLightState == 3) {
        StartLightsGreen(world, race);
        return;
    }
    SetStartLight(world, world.startLightState, 1);
    world.startLightState++;
    ApplyStartLights(world);
    world.startClock.nextSwitchMs += LightIntervalMs;
    if (world.startLightState == 3)
        world.startClock.nextSwitchMs += world.startClock.randomDelayMs;
}

// Signed area test: the point lies left of the edge from a to b.
bool PointLeftOfEdge(double px, double py, const ZonePoint& a, const ZonePoint& b)
{
    const double ax = FixedToMetres(a.x), ay = FixedToMetres(a.y);
    const double bx = FixedToMetres(b.x), by = FixedToMetres(b.y);
    return (px - ax) * (by - ay) - (py - ay) * (bx - ax) > 0;
}

bool ZoneTriangleHolds(const World& world, const ZoneTriangle& t, double px, double py)
{
    const int count = int(world.zonePoints.size());
    for (int32_t index : t.point)
        if (index < 0 || index >= count)
            return false;
    const ZonePoint& p1 = world.zonePoints[size_t(t.point[0])];
    const ZonePoint& p2 = world.zonePoints[size_t(t.point[1])];
    const ZonePoint& p3 = world.zonePoints[size_t(t.point[2])];
    return !PointLeftOfEdge(px, py, p3, p1) && !PointLeftOfEdge(px, py, p1, p2) && !PointLeftOfEdge(px, py, p2, p3);
}

// A pit box faces along the racing path, turned out of the box towards the
// side of the path it stands on.
float PitBoxHeadingOnPath(const World& world, const SolidObject& box, int node)
{
    const PathNode& n = world.racingPath->nodes[size_t(node)];
    const double dx = FixedToMetres(box.x - n.centre.x), dy = FixedToMetres(box.y - n.centre.y);
    const float along = float(ComputeAtan2(-double(n.direction.x), double(n.direction.y)));
    return dx * n.direction.y - dy * n.direction.x > 0 ? along + PitExitAngle : along - PitExitAngle;
}

} // namespace

void SeedWorldRandom(World& world, uint16_t seed) { world.random = seed; }

uint16_t StepWorldRandom(World& world) { return StepRandomValue(world.random); }

void SetWind(World& world, float strength, float direction)
{
    world.wind = {};
    world.wind.baseStrength = world.wind.strength = strength;
    world.wind.baseDirection = world.wind.direction = direction;
    world.wind.rootBaseStrength = std::sqrt(strength);
    UpdateWindVector(world);
}

void RandomWind(World& world, int windSetting, float& strength, float& direction)
{
    strength = RandomWindRange * float(StepWorldRandom(world)) / 65536.0f;
    if (windSetting == 2)
        strength += RandomWindRange;
    else if (strength <= LeastRandomWind)
        strength = LeastRandomWind;
    direction = (float(StepWorldRandom(world)) - 32767.0f) * Pi / 32768.0f;
}

void RandomStartDelay(World& world, const WorldRaceSettings* race)
{
    StartLightClock& clock = world.startClock;
    if (!race || race->raceLength == 0 || race->qualifying || HasLayoutStartPosition() || !world.knowledgePath ||
        clock.clockMs >= clock.nextSwitchMs)
        return;
    const int32_t delay = std::min<int32_t>(StepWorldRandom(world) % MaxStartDelayMs, clock.nextSwitchMs - clock.clockMs);
    clock.randomDelayMs = delay;
    clock.nextSwitchMs -= delay;
}

void ResetWorldRaceState(World& world) { ResetWorldRaceState(world, nullptr); }

void ResetWorldRaceState(World& world, const WorldRaceSettings* race)
{
    world.startClock = {};
    if (race) {
        world.startLightState = 0;
        world.startClock.nextSwitchMs = race->startLightSeconds * 1000 - RedLightsLeadMs;
        SwitchAllLightsOff(world);
        ApplyStartLights(world);
    } else {
        StartLightsGreen(world, nullptr);
    }
    world.wind = {};
    if (race && !race->online) {
        SeedWorldRandom(world, GameTime.random);
        if (race->windSetting != 0) {
            float strength = 0, direction = 0;
            RandomWind(world, race->windSetting, strength, direction);
            SetWind(world, strength, direction);
        }
        RandomStartDelay(world, race);
    }
    UpdateWindVector(world);
}

void StepWorld(World& world, const WorldRaceSettings* race)
{
    DriftWindStrength(world);
    DriftWindDirection(world);
    UpdateWindVector(world);
    if (world.startLightState < 4 && world.startClock.clockMs >= world.startClock.nextSwitchMs)
        SwitchNextStartLight(world, race);
    world.startClock.clockMs += WorldStepMs;
}

void SetStartLight(World& world, int light, int on)
{
    if (light < 0 || light >= int(world.lights.size()))
        return;
    StartLight& l = world.lights[size_t(light)];
    for (ColourRecord* link : l.links)
        if (link)
            *link = on ? l.on : l.off;
}

void ApplyStartLights(World& world)
{
    // The three red lights are one lamp kind: the second and third show
    // the first one's colours. The start-light objects draw from their
    // shared model, whose colours the links write, so nothing is rebuilt.
    world.lights[1].on = world.lights[2].on = world.lights[0].on;
    world.lights[1].off = world.lights[2].off = world.lights[0].off;
}

void StartLightsGreen(World& world, const WorldRaceSettings* race)
{
    world.startLightState = 4;
    world.startClock.nextSwitchMs = 0;
    SwitchAllLightsOff(world);
    SetStartLight(world, GreenLight, 1);
    ApplyStartLights(world);
    if (!race)
        return;
    CarObject* cars[MaxStartPlaces] = {};
    const int count = GetCarRaceHooks().raceSlotCars(cars, MaxStartPlaces);
    for (int slot = 0; slot < count; slot++)
        if (cars[slot])
            StartCarLapTiming(*cars[slot]);
}

void GetPitPosition(const World& world, FixedVector& point, float& heading, int slot, CarObject* car, int keep)
{
    const SolidObject* box = slot >= 0 && slot < MaxStartPlaces ? world.pitBoxes[slot] : nullptr;
    if (!box) {
        GetStartPosition(world, point, heading, slot);
    } else {
        point = {box->x, box->y, Fixed(0)};
        heading = box->heading;
    }
    if (!car || !world.racingPath || !car->follower)
        return;
    int node = -1;
    if (!keep)
        node = FindFollowerPosition(*car->follower, point, 0);
    if (box && node >= 0 && node < world.racingPath->nodeCount && !(box->solidFlags & SolidFlagOwnHeading))
        heading = PitBoxHeadingOnPath(world, *box, node);
}

int GetLowestSpeedLimit(const World& world)
{
    int lowest = 255;
    for (int i = 0; i < world.speedZoneCount; i++)
        lowest = std::min(lowest, int(world.speedZones[i]->speedLimit));
    return lowest;
}

int GetLowestSpeedLimit()
{
    if (!CurrentWorld || CurrentWorld->speedZoneCount == 0)
        return 0;
    return GetLowestSpeedLimit(*CurrentWorld);
}

SpeedZoneObject* FindLightZoneAt(const World& world, Fixed x, Fixed y)
{
    for (int i = 0; i < world.lightZoneCount; i++)
        if (world.lightZones[i]->Holds(x, y))
            return world.lightZones[i];
    return nullptr;
}

int FindCameraZone(const World& world, const FixedVector& point)
{
    const double px = FixedToMetres(point.x), py = FixedToMetres(point.y);
    const float height = FixedToMetres(point.z);
    int best = -1;
    float bestFloor = 0;
    for (const ZoneTriangle& t : world.zoneTriangles) {
        if (!(t.floorHeight < height) || !ZoneTriangleHolds(world, t, px, py))
            continue;
        if (best < 0 || t.floorHeight > bestFloor) {
            best = t.object;
            bestFloor = t.floorHeight;
        }
    }
    return best;
}

int GetCheckpointCount(const World& world)
{
    return HasLayoutFinishLine() ? GetLayoutCheckpointCount() : world.timingPointCount;
}

float GetWorldWindStrength() { return CurrentWorld ? CurrentWorld->wind.strength : 0.0f; }
float GetWorldWindDirection() { return CurrentWorld ? CurrentWorld->wind.direction : 0.0f; }

int GetStartPositionCount() { return CurrentWorld ? GetStartPositionCount(*CurrentWorld) : 0; }
