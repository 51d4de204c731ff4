// The objects a generated site places: per configuration its start grids
// and start lights; at its pit lane the pit boxes, garages and the speed
// and light zones; cameras along the roads; and the scenery around them
// (tyre walls at corners, trees, crowds and grandstands, marshals, flags, a
// windmill).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "site_content.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
// Start grids: two columns, 16 rows, the front row this far behind the line.
constexpr int GridColumns = 2, GridRows = 16;
// On an open area: four columns of eight rows, this wide.
constexpr int WideGridColumns = 4;
constexpr double WideGridWidth = 12;
constexpr double GridSpacing = 7.0, GridStagger = 3.5, GridBehindLine = 8.0;
// Pit boxes stand this far apart in the pit lane; garages behind the wall.
constexpr int PitBoxes = MaxStartPlaces;
constexpr double PitBoxSpacing = 8.0, GarageSpacing = 14.0, GarageBeyondWall = 6.0;
// The pit lane's speed limit as stored (km/h - 1).
constexpr uint8_t PitSpeedByte = 80 - 1;
// The pit lane's node list (the path's second list, the AI's pit lane):
// nodes this far apart along the pit section, the lane straight from this
// far before the first box to as far after the last, turning in from the
// track over this length at either end, and starting and ending this far
// inside the track's left edge, within the road the AI's pit line joins
// from. Its first node (and, for the reversed direction, its last) marks
// the lane's start.
constexpr double PitNodeSpacing = 4.0, PitLaneBeyondBoxes = 20.0, PitLaneTurnIn = 40.0, PitLaneTrackInset = 1.5;
constexpr double PitLaneSectionMargin = 4.0;
constexpr float PitRoadHalfWidth = 3.5f;  // the pit road of WithPitLane
// The pit boxes stand this far from the pit road's middle toward the wall,
// and the lane is driven this far from it toward the track: a car passing
// in the fast lane keeps clear of a car standing in its box (3.25 m apart,
// more than two of the widest cars' half widths).
constexpr double PitBoxTowardWall = 1.5, PitFastLaneTowardTrack = 1.75;
constexpr uint8_t PitLaneStartKind = 0x08;
// Cameras along the roads, this far apart; their zones reach this far round them.
constexpr double CameraSpacing = 400, CameraZone = 200, CameraHeight = 5;
constexpr int MaxCameras = MaxZonePoints / 4;
// Corners tighter than this radius get tyre walls and a marshal.
constexpr double TightCorner = 1.0 / 80.0;
// Barrier blocks (4 m long) across an open end, this far beyond it.
constexpr double BarrierLength = 4, BarrierBeyondEnd = 2;
// Trees stand this far apart along the roads.
constexpr double TreeSpacing = 50;

// A placement on a section: the point at s along it, q across (m) and the
// pose there.
struct Spot {
    double x, y, z, heading;
};

Spot SpotOn(const RoadSection& section, double s, double q)
{
    const ProfileSample* a = &section.profiles.front();
    for (const ProfileSample& p : section.profiles) {
        if (p.s > s)
            break;
        a = &p;
    }
    double sh, ch;
    ComputeSinCos(a->heading, sh, ch);
    const double along = s - a->s;
    return {a->x + along * ch + q * sh, a->y + along * sh - q * ch, a->z + along * a->grade, a->heading};
}

bool ClearOfRoads(const RoadNetwork& roads, double x, double y, double margin)
{
    for (const RoadSection& section : roads.sections) {
        if (!section.surfaced)
            continue;
        const double reach = std::max(section.cross.Extent(0), section.cross.Extent(1)) + margin;
        for (const ProfileSample& p : section.profiles)
            if ((p.x - x) * (p.x - x) + (p.y - y) * (p.y - y) < reach * reach)
                return false;
    }
    return true;
}

template <typename T>
T* Place(World& world, double x, double y, uint32_t mask)
{
    T* object = new T;
    object->x = FixedFromMetres(x);
    object->y = FixedFromMetres(y);
    object->configMask = mask;
    world.objects.push_back(object);
    return object;
}

SolidObject* PlaceSolid(World& world, int model, const Spot& at, double heading, uint32_t mask, double height = 0)
{
    auto* solid = Place<SolidObject>(world, at.x, at.y, mask);
    solid->model = static_cast<int16_t>(model);
    solid->heading = static_cast<float>(heading);
    solid->height = static_cast<float>(at.z + height);
    return solid;
}

// The solid's heading that faces a travel direction.
double FacingHeading(double travel) { return travel - Pi / 2; }

uint32_t ConfigBits(int loop, bool reversed) { return 1u << (loop + 1 + (reversed ? 16 : 0)); }

// The configurations whose loops run through a section, both ways where allowed.
uint32_t SectionMask(const RoadNetwork& roads, int index)
{
    return roads.sections[size_t(index)].mask;
}

void AddGrid(World& world, const RoadSection& section, double s, double travel, uint32_t mask, bool wide)
{
    const Spot at = SpotOn(section, s, 0);
    auto* grid = Place<StartGridObject>(world, at.x, at.y, mask);
    grid->heading = static_cast<float>(FacingHeading(travel));
    grid->columns = wide ? WideGridColumns : GridColumns;
    grid->rows = static_cast<uint8_t>(MaxStartPlaces / grid->columns);
    grid->width = static_cast<float>(wide ? WideGridWidth : std::min(2 * section.cross.halfRoad - 3.6, 6.0));
    grid->spacing = static_cast<float>(GridSpacing);
    grid->stagger = static_cast<float>(GridStagger);
}

void AddStartLights(World& world, const RoadSection& section, double s, double travel, uint32_t mask)
{
    const double q = -(section.cross.halfRoad + 1.8);
    SolidObject* lights = PlaceSolid(world, ModelStartLights, SpotOn(section, s, q), FacingHeading(travel) + Pi, mask);
    lights->solidFlags = SolidFlagDrawable | SolidFlagStartLight;
}

void AddLoopStarts(World& world, const RoadNetwork& roads, int loop, bool wide)
{
    const RoadLoop& l = roads.loops[size_t(loop)];
    if (!l.racing)
        return;
    const RoadSection& section = roads.sections[size_t(l.timing[0].section)];
    const double line = section.profiles[size_t(l.timing[0].piece)].s;
    const double lineEnd = section.profiles[size_t(l.timing[0].piece + 1)].s;
    const double travel = SpotOn(section, line, 0).heading;
    // An open course starts its cars at its beginning, the grid's back row
    // at the course's start.
    const double front = l.closed ? line - GridBehindLine
                                  : std::min(line - GridBehindLine, (GridRows - 1) * GridSpacing + GridStagger + GridBehindLine);
    AddGrid(world, section, front, SpotOn(section, front, 0).heading, ConfigBits(loop, false), wide);
    AddStartLights(world, section, line, travel, ConfigBits(loop, false));
    // A light zone over the start, taking the path's light states at the line.
    const Spot roof = SpotOn(section, line, 0);
    auto* light = Place<SpeedZoneObject>(world, roof.x, roof.y, ConfigBits(loop, false) | ConfigBits(loop, l.reversible));
    light->speedLimit = 0;
    light->zoneFlags = ZoneFlagLightZone;
    light->heading = static_cast<float>(roof.heading);
    light->halfFirst = 40;
    light->halfSecond = 10;
    light->reference = MakeFixedVector(FixedFromMetres(roof.x).raw, FixedFromMetres(roof.y).raw, FixedFromMetres(roof.z).raw);
    if (l.reversible) {
        AddGrid(world, section, lineEnd + GridBehindLine, travel + Pi, ConfigBits(loop, true), wide);
        AddStartLights(world, section, lineEnd, travel + Pi, ConfigBits(loop, true));
    }
}

void AddPits(World& world, const SiteDesign& design)
{
    const RoadNetwork& roads = design.roads;
    const RoadSection& section = roads.sections[size_t(design.pitSection)];
    const uint32_t mask = SectionMask(roads, design.pitSection);
    const uint32_t forwards = mask & 0xFFFF, backwards = mask & 0xFFFF0000u;
    const double lane = PitLaneOffset(section.cross);
    for (int k = 0; k < PitBoxes; k++) {
        const double s = design.pitFrom + k * PitBoxSpacing;
        for (const bool reversed : {false, true}) {
            if (!(reversed ? backwards : forwards))
                continue;
            const Spot at = SpotOn(section, reversed ? design.pitFrom + design.pitTo - s : s, lane - PitBoxTowardWall);
            SolidObject* box = PlaceSolid(world, -1, at, FacingHeading(at.heading + (reversed ? Pi : 0)),
                                          reversed ? backwards : forwards);
            box->solidFlags = SolidFlagDrawable | SolidFlagStartPlace | SolidFlagPitBox;
            box->variantA = static_cast<uint8_t>(k + 1);
        }
    }
    const double garageQ = -(section.cross.Extent(0) + GarageBeyondWall);
    const double middle = (design.pitFrom + design.pitTo) / 2;
    const int garages = static_cast<int>((design.pitTo - design.pitFrom) / GarageSpacing);
    for (int k = 0; k < garages; k++) {
        const Spot at = SpotOn(section, design.pitFrom + (k + 0.5) * GarageSpacing, garageQ);
        PlaceSolid(world, ModelGarage, at, FacingHeading(at.heading), mask);
    }
    const Spot centre = SpotOn(section, middle, (lane + garageQ) / 2);
    auto* zone = Place<SpeedZoneObject>(world, centre.x, centre.y, mask);
    zone->speedLimit = PitSpeedByte;
    zone->heading = static_cast<float>(centre.heading);
    zone->halfFirst = static_cast<float>((design.pitTo - design.pitFrom) / 2 + 20);
    zone->halfSecond = static_cast<float>((lane - garageQ) / 2 + 8);
}

// The pit lane's offset across the pit section at s: on the track near its
// ends, in the pit road's fast lane between them, a smooth turn between.
struct PitLaneCourse {
    double from = 0, laneFrom = 0, laneTo = 0, to = 0;  // m along the section
    double track = 0, lane = 0;                          // m across

    double Across(double s) const
    {
        const double t = s < laneFrom ? (s - from) / (laneFrom - from) : s > laneTo ? (to - s) / (to - laneTo) : 1;
        const double u = std::clamp(t, 0.0, 1.0);
        return track + (lane - track) * u * u * (3 - 2 * u);
    }
};

PitLaneCourse MakePitLaneCourse(const SiteDesign& design, const RoadSection& section)
{
    PitLaneCourse c;
    c.track = -(section.cross.halfRoad - PitLaneTrackInset);
    c.lane = PitLaneOffset(section.cross) + PitFastLaneTowardTrack;
    c.from = std::max(PitLaneSectionMargin, design.pitFrom - PitLaneBeyondBoxes - PitLaneTurnIn);
    c.to = std::min(section.length - PitLaneSectionMargin, design.pitTo + PitLaneBeyondBoxes + PitLaneTurnIn);
    c.laneFrom = std::max(design.pitFrom - PitLaneBeyondBoxes, c.from + PitLaneTurnIn / 2);
    c.laneTo = std::min(design.pitTo + PitLaneBeyondBoxes, c.to - PitLaneTurnIn / 2);
    return c;
}

// The pit lane's nodes in the section's direction.
std::vector<PathNode> MakePitLaneNodes(const SiteDesign& design)
{
    const RoadSection& section = design.roads.sections[size_t(design.pitSection)];
    const PitLaneCourse course = MakePitLaneCourse(design, section);
    const int count = std::max(2, static_cast<int>(std::lround((course.to - course.from) / PitNodeSpacing)) + 1);
    const double step = (course.to - course.from) / (count - 1);
    std::vector<PathNode> nodes(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        const double s = course.from + i * step;
        const Spot at = SpotOn(section, s, course.Across(s));
        // The direction from the lane's points half a metre either side.
        const Spot before = SpotOn(section, s - 0.5, course.Across(s - 0.5));
        const Spot after = SpotOn(section, s + 0.5, course.Across(s + 0.5));
        const double dx = after.x - before.x, dy = after.y - before.y, dz = after.z - before.z;
        const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
        PathNode& node = nodes[size_t(i)];
        node.kind = i == 0 || i == count - 1 ? PitLaneStartKind : 0;
        node.centre = MakeFixedVector(FixedFromMetres(at.x).raw, FixedFromMetres(at.y).raw, FixedFromMetres(at.z).raw);
        node.direction = {float(dx / length), float(dy / length), float(dz / length)};
        // The pit road's edges from the fast lane.
        node.leftEdge = node.leftLimit = -PitRoadHalfWidth - float(PitFastLaneTowardTrack);
        node.rightEdge = node.rightLimit = PitRoadHalfWidth - float(PitFastLaneTowardTrack);
    }
    return nodes;
}

// Every racing configuration that drives the pit section gets the pit lane.
void AddPitLanePaths(World& world, const SiteDesign& design)
{
    const std::vector<PathNode> lane = MakePitLaneNodes(design);
    const std::vector<RoadLoop>& loops = design.roads.loops;
    for (size_t n = 0; n < loops.size() && n < world.configs.size(); n++) {
        const std::vector<int>& sections = loops[n].sections;
        if (!loops[n].racing || std::find(sections.begin(), sections.end(), design.pitSection) == sections.end())
            continue;
        Path& path = world.configs[n].path;
        path.secondNodes = lane;
        path.secondCount = static_cast<int32_t>(lane.size());
    }
}

void AddCamera(World& world, const Spot& at)
{
    if (world.zonePoints.size() + 4 > size_t(MaxZonePoints))
        return;
    auto* camera = Place<CameraObject>(world, at.x, at.y, 0xFFFFFFFFu);
    camera->cameraFlags = 2;
    camera->height = static_cast<float>(at.z + CameraHeight);
    camera->heading = static_cast<float>(FacingHeading(at.heading));
    const int32_t object = static_cast<int32_t>(world.objects.size()) - 1;
    const int32_t first = static_cast<int32_t>(world.zonePoints.size());
    for (int corner = 0; corner < 4; corner++) {
        const double dx = (corner == 1 || corner == 2) ? CameraZone : -CameraZone;
        const double dy = corner >= 2 ? CameraZone : -CameraZone;
        world.zonePoints.push_back({FixedFromMetres(at.x + dx), FixedFromMetres(at.y + dy)});
    }
    // Corners anticlockwise: no point of the square lies left of an edge
    // walked 3 to 1, 1 to 2, 2 to 3.
    world.zoneTriangles.push_back({{first, first + 1, first + 2}, object, static_cast<float>(at.z - 50)});
    world.zoneTriangles.push_back({{first, first + 2, first + 3}, object, static_cast<float>(at.z - 50)});
}

void AddScenery(World& world, const RoadNetwork& roads)
{
    int cameras = 0;
    uint16_t seed = 7;
    for (size_t i = 0; i < roads.sections.size(); i++) {
        const RoadSection& section = roads.sections[i];
        if (!section.surfaced || section.mask == 0)
            continue;
        for (double s = CameraSpacing / 2; s < section.length && cameras < MaxCameras; s += CameraSpacing) {
            const Spot at = SpotOn(section, s, section.cross.Extent(1) + 8);
            if (ClearOfRoads(roads, at.x, at.y, 2)) {
                AddCamera(world, at);
                cameras++;
            }
        }
        for (double s = TreeSpacing / 2; s < section.length; s += TreeSpacing) {
            for (int side = 0; side < 2; side++) {
                seed = static_cast<uint16_t>(seed * 5u + 1u);
                const double q = (section.cross.Extent(side) + 6 + seed % 7) * (side == 0 ? -1 : 1);
                const Spot at = SpotOn(section, s, q);
                if (!ClearOfRoads(roads, at.x, at.y, 4))
                    continue;
                auto* tree = Place<TreeObject>(world, at.x, at.y, 0xFFFFFFFFu);
                tree->seed = seed & 63;
                tree->leafCount = 16 << (seed % 2);
                tree->trunkHeight = 2.5f + (seed % 5) * 0.3f;
                tree->trunkRadius = 0.3f;
                tree->baseHeight = static_cast<float>(at.z);
                tree->contactRadius = 1;
            }
        }
        // Tyre walls and a marshal on the outside of tight corners, where a
        // side has run-off to stand them on.
        bool marshal = false;
        for (size_t k = 0; k < section.profiles.size(); k += 3) {
            const ProfileSample& p = section.profiles[k];
            if (std::fabs(p.curvature) < TightCorner)
                continue;
            const int outside = p.curvature > 0 ? 1 : 0;
            double runoff = 0;
            for (const SideBand& band : section.cross.side[outside])
                runoff += band.width;
            if (runoff < 3)
                continue;
            const double sign = outside ? 1 : -1;
            PlaceSolid(world, ModelTyreStack, SpotOn(section, p.s, sign * (section.cross.Extent(outside) - 0.8)), 0,
                       0xFFFFFFFFu);
            if (!marshal) {
                const Spot at = SpotOn(section, p.s, sign * (section.cross.Extent(outside) + 3));
                auto* figure = Place<FigureObject>(world, at.x, at.y, 0xFFFFFFFFu);
                figure->heading = static_cast<float>(FacingHeading(at.heading) + sign * Pi / 2);
                figure->height = static_cast<float>(at.z);
                marshal = true;
            }
        }
    }
}

// Crowds, grandstands and flags along the pit straight, and a windmill
// where it stands clear of every road.
void AddStraightScenery(World& world, const SiteDesign& design)
{
    const RoadNetwork& roads = design.roads;
    const RoadSection& section = roads.sections[size_t(design.pitSection)];
    const double middle = (design.pitFrom + design.pitTo) / 2;
    const double right = section.cross.Extent(1);
    for (int k = -3; k <= 3; k++) {
        const Spot row = SpotOn(section, middle + k * 25, right + 3);
        auto* crowd = Place<CrowdObject>(world, row.x, row.y, 0xFFFFFFFFu);
        crowd->heading = static_cast<float>(row.heading);
        crowd->length = 20;
        crowd->startHeight = crowd->endHeight = static_cast<float>(row.z);
        if (k % 2 == 0) {
            const Spot stand = SpotOn(section, middle + k * 25, right + 12);
            PlaceSolid(world, ModelGrandstand, stand, FacingHeading(stand.heading), 0xFFFFFFFFu);
        }
    }
    for (int k = 0; k < 3; k++) {
        const Spot at = SpotOn(section, middle + 60 + k * 6, -(section.cross.Extent(0) + 2));
        auto* flag = Place<FlagObject>(world, at.x, at.y, 0xFFFFFFFFu);
        flag->topHeight = static_cast<float>(at.z + 6);
        flag->texture = TexFlag;
    }
    for (double s = 0; s < section.length; s += 40) {
        const Spot at = SpotOn(section, s, -(section.cross.Extent(0) + 60));
        if (ClearOfRoads(roads, at.x, at.y, 30)) {
            auto* windmill = Place<InstanceObject>(world, at.x, at.y, 0xFFFFFFFFu);
            windmill->model = ModelWindmill;
            windmill->height = static_cast<float>(at.z);
            break;
        }
    }
}

// A row of barrier blocks across every end of a surfaced section that no
// other section continues (the ends of an open area).
void AddEndBarriers(World& world, const RoadNetwork& roads)
{
    for (size_t i = 0; i < roads.sections.size(); i++) {
        const RoadSection& section = roads.sections[i];
        if (!section.surfaced || section.mask == 0)
            continue;
        for (const bool start : {true, false}) {
            const int junction = start ? section.from : section.to;
            bool continued = false;
            for (size_t j = 0; j < roads.sections.size(); j++) {
                const RoadSection& other = roads.sections[j];
                continued = continued || (j != i && other.surfaced && (other.mask & section.mask) &&
                                          (other.from == junction || other.to == junction));
            }
            if (continued)
                continue;
            const double s = start ? -BarrierBeyondEnd : section.length + BarrierBeyondEnd;
            for (double q = -section.cross.Extent(0); q <= section.cross.Extent(1); q += BarrierLength) {
                const Spot at = SpotOn(section, s, q);
                PlaceSolid(world, ModelBarrier, at, FacingHeading(at.heading), section.mask);
            }
        }
    }
}

} // namespace

void AddSiteObjects(World& world, const SiteDesign& design)
{
    for (size_t n = 0; n < design.roads.loops.size(); n++)
        AddLoopStarts(world, design.roads, int(n), design.wideGrids);
    AddPits(world, design);
    AddPitLanePaths(world, design);
    AddStraightScenery(world, design);
    AddScenery(world, design.roads);
    AddEndBarriers(world, design.roads);
    for (WorldObject* o : world.objects)
        if (o->HasLitData())
            static_cast<LodObject*>(o)->lighting.assign(world.schemes.size(), LitSchemeRecord{});
}

bool MakeSiteWorld(SiteDesign& design, int site, World& world, std::string& error)
{
    std::snprintf(world.siteCode, sizeof world.siteCode, "%s", SiteTable[site].code);
    world.coloursFlags = ColoursOneIndex;
    AddSiteTextures(world);
    AddSiteModels(world);
    AddLightSchemes(world, site);
    if (!AddRoadsToWorld(design.roads, world, static_cast<int>(world.schemes.size()), error))
        return false;
    for (size_t i = 0; i < world.configs.size(); i++)
        std::snprintf(world.configs[i].name, sizeof world.configs[i].name, "%s",
                      design.configNames[i] ? design.configNames[i] : "");
    AddSiteObjects(world, design);
    if (world.objects.size() > size_t(MaxWorldObjects)) {
        error = "too many objects";
        return false;
    }
    return true;
}
