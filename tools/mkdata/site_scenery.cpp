// What a generated site holds besides its roads: its world textures and
// shared models, light schemes, and the objects placed per configuration
// (start grids, start lights, pit boxes, garages, speed and light zones,
// cameras) and around the roads (tyre walls, trees, crowds, marshals, flags,
// buildings, a windmill).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "model_shapes.h"
#include "site_content.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

struct TextureSpec {
    const char* name;
    const char* file;
    int kind;
    ColourRecord colour;
    uint8_t bump[4];
};
// Kerbs carry a triangle-wave bump of 2 m period.
const TextureSpec TextureSpecs[SiteTextureCount] = {
    {"tarmac", "tarmac", 0, {88, 88, 92, 0}, {}},
    {"kerb", "kerb_rw", 1, {200, 60, 60, 0}, {1, 2, 17, 0}},
    {"grass", "grass", 2, {70, 130, 50, 0}, {}},
    {"gravel", "gravel", 4, {190, 170, 130, 0}, {}},
    {"wall", "concrete", 10, {180, 180, 175, 0}, {}},
    {"dirt", "dirt", 3, {130, 95, 60, 0}, {}},
    {"sand", "sand", 5, {220, 200, 140, 0}, {}},
    {"pitlane", "tarmac_pit", 0, {70, 70, 74, 0}, {}},
    {"pavement", "pavement", 7, {150, 150, 150, 0}, {}},
    {"flag", "flag_chequer", 10, {240, 240, 240, 0}, {}},
    {"tyres", "tyre_black", 10, {30, 30, 30, 0}, {}},
};

void Name(char* field, size_t size, const char* text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text, std::min(size - 1, std::strlen(text)));
}

SideBand Band(double width, double rise, int texture, int straightTexture = -1)
{
    return {width, rise, texture, straightTexture < 0 ? texture : straightTexture};
}

// ---------------------------------------------------------------------------
// Shared models.

SharedModel Shared(int kind, int collision, float mass, uint8_t layout = 0, uint8_t garage = 0)
{
    SharedModel m;
    m.kind = static_cast<uint8_t>(kind);
    m.scale = 1.0f;
    m.material[0] = 200000.0f;  // N/m per contact point
    m.material[1] = 0.6f;
    m.material[2] = 4000.0f;    // N s/m
    m.mass = mass;              // kg per m2 of surface
    m.collisionKind = static_cast<uint8_t>(collision);
    m.layoutFlag = layout;
    m.garageFlag = garage;
    return m;
}

// A revolved shape from (radius, height) points, top first, with solid
// bands between consecutive points.
RevolvedShape* Revolve(const char* name, int sides, std::initializer_list<FloatPair> points)
{
    auto* shape = new RevolvedShape;
    Name(shape->name, sizeof shape->name, name);
    shape->sides = sides;
    shape->count = static_cast<int>(points.size());
    shape->pairs = new FloatPair[points.size()];
    std::copy(points.begin(), points.end(), shape->pairs);
    for (int i = 0; i + 1 < shape->count; i++) {
        SurfaceBand band;
        band.texture = TexTyres;
        band.solid = 1;
        band.first = static_cast<uint8_t>(i);
        band.second = static_cast<uint8_t>(i + 1);
        shape->bands.push_back(band);
    }
    return shape;
}

// A model of boxes (centre and half sizes, m), one colour cell each.
ObjectModel* Boxes(const char* name, std::initializer_list<std::array<double, 6>> boxes, const char* const* cells,
                   const CellColour* colours, int cellCount)
{
    auto* model = new ObjectModel;
    InitObjectModel(*model);
    ModelMaker maker(*model);
    maker.SetName(name);
    static const int Distances[1] = {1000};
    maker.SetLevels(1, Distances);
    maker.SetPartName(0, "main");
    const int texture = maker.AddTexture("concrete", false);
    maker.SetGrid(1, cellCount);
    for (int c = 0; c < cellCount; c++) {
        const int surface = maker.AddSurface(cells[c], texture, 0);
        const int mapping = maker.AddMapping(cells[c], 3, -1, 1, 1, -1, surface, surface);
        maker.SetCell(0, c, cells[c], colours[c], mapping);
    }
    int column = 0;
    for (const auto& b : boxes) {
        maker.AddBox(b[0], b[1], b[2], b[3], b[4], b[5], std::min(column, cellCount - 1), 0);
        column++;
    }
    return model;
}

} // namespace

// ---------------------------------------------------------------------------
// Cross-sections.

CrossSection CircuitSection(double halfRoad, double grass, double gravel, bool walls)
{
    CrossSection c;
    c.halfRoad = halfRoad;
    c.roadTexture = TexTarmac;
    c.wallTexture = TexWall;
    for (auto& side : c.side) {
        side.push_back(Band(1.0, 0.03, TexKerb, TexGrass));
        side.push_back(Band(grass, -0.08, TexGrass));
        if (gravel > 0)
            side.push_back(Band(gravel, -0.12, TexGravel));
    }
    c.wall[0] = c.wall[1] = walls;
    return c;
}

CrossSection StreetSection(double halfRoad)
{
    CrossSection c;
    c.halfRoad = halfRoad;
    c.roadTexture = TexTarmac;
    c.wallTexture = TexWall;
    for (auto& side : c.side)
        side.push_back(Band(1.0, 0.02, TexKerb, TexPavement));
    c.wall[0] = c.wall[1] = true;
    return c;
}

CrossSection LooseSection(double halfRoad, int texture)
{
    CrossSection c;
    c.halfRoad = halfRoad;
    c.roadTexture = texture;
    c.wallTexture = TexWall;
    for (auto& side : c.side)
        side.push_back(Band(4.0, -0.1, TexGrass));
    c.wall[0] = c.wall[1] = true;
    return c;
}

// The pit lane's bands beyond the left side's first band (kerb): grass
// strip, pit road, pavement at the foot of the pit wall.
constexpr double PitStrip = 3.0, PitRoad = 7.0, PitWalk = 1.0;

CrossSection WithPitLane(CrossSection c)
{
    std::vector<SideBand>& left = c.side[0];
    left.resize(1);
    left.push_back(Band(PitStrip, -0.05, TexGrass));
    left.push_back(Band(PitRoad, -0.05, TexPitLane));
    left.push_back(Band(PitWalk, 0.05, TexPavement));
    c.wall[0] = true;
    return c;
}

double PitLaneOffset(const CrossSection& c)
{
    return -(c.halfRoad + c.side[0][0].width + PitStrip + PitRoad / 2);
}

// ---------------------------------------------------------------------------

void AddSiteTextures(World& world)
{
    world.textures.clear();
    for (const TextureSpec& spec : TextureSpecs) {
        WorldTexture t;
        Name(t.name, sizeof t.name, spec.name);
        Name(t.textureName, sizeof t.textureName, spec.file);
        t.tint = {255, 255, 255, 0};
        t.rows = 1;
        t.repeat = 1;
        t.palette = {spec.colour};
        t.columnEnds = {65536};
        t.colourMap = {0};
        t.surfaceKind = spec.kind;
        std::copy(spec.bump, spec.bump + 4, t.bump);
        world.textures.push_back(t);
    }
}

void AddSiteModels(World& world)
{
    world.sharedModels.assign(SiteModelCount, SharedModel{});
    SharedModel& tyres = world.sharedModels[ModelTyreStack] = Shared(1, 1, 60.0f);
    tyres.shape = Revolve("tyre_stack", 12, {{0.0f, 1.0f}, {0.6f, 1.0f}, {0.6f, 0.0f}});
    SharedModel& cone = world.sharedModels[ModelCone] = Shared(1, 2, 4.0f, 1);
    cone.shape = Revolve("cone", 8, {{0.0f, 0.7f}, {0.18f, 0.0f}});
    SharedModel& post = world.sharedModels[ModelPost] = Shared(1, 0, 20.0f);
    post.shape = Revolve("post", 6, {{0.0f, 1.5f}, {0.1f, 1.5f}, {0.1f, 0.0f}});
    static const char* const Plain[1] = {"wall"};
    static const CellColour Concrete[1] = {{185, 185, 180}};
    SharedModel& garage = world.sharedModels[ModelGarage] = Shared(0, 1, 200.0f, 0, 1);
    garage.model = Boxes("garage", {{0, 0, 2.5, 4.0, 6.0, 2.5}}, Plain, Concrete, 1);
    SharedModel& stand = world.sharedModels[ModelGrandstand] = Shared(0, 1, 200.0f);
    stand.model = Boxes("grandstand", {{0, 0, 1.0, 15.0, 6.0, 1.0}, {0, 2.0, 3.0, 15.0, 4.0, 1.0}, {0, 4.0, 5.0, 15.0, 2.0, 1.0}},
                        Plain, Concrete, 1);
    static const char* const Lights[5] = {"gantry", "l_red1", "l_red2", "l_red3", "l_green"};
    static const CellColour LightColours[5] = {{60, 60, 60}, {90, 20, 20}, {90, 20, 20}, {90, 20, 20}, {20, 90, 20}};
    SharedModel& lights = world.sharedModels[ModelStartLights] = Shared(0, 0, 50.0f);
    lights.model = Boxes("start_lights",
                         {{0, 0, 3.0, 0.15, 0.15, 3.0}, {0, 0, 6.2, 0.2, 0.3, 0.2}, {0, 0, 5.8, 0.2, 0.3, 0.2},
                          {0, 0, 5.4, 0.2, 0.3, 0.2}, {0, 0, 5.0, 0.2, 0.3, 0.2}},
                         Lights, LightColours, 5);
    SharedModel& building = world.sharedModels[ModelBuilding] = Shared(0, 1, 200.0f);
    building.model = Boxes("building", {{0, 0, 5.0, 10.0, 7.5, 5.0}}, Plain, Concrete, 1);
    SharedModel& windmill = world.sharedModels[ModelWindmill] = Shared(0, 0, 100.0f);
    windmill.model = Boxes("windmill", {{0, 0, 6.0, 1.0, 1.0, 6.0}}, Plain, Concrete, 1);
    ObjectModel rotor;
    InitObjectModel(rotor);
    {
        ModelMaker maker(rotor);
        maker.SetName("rotor");
        const int texture = maker.AddTexture("wood", false);
        const int surface = maker.AddSurface("sail", texture, 0);
        maker.SetGrid(1, 1);
        maker.SetCell(0, 0, "sail", {200, 190, 170}, maker.AddMapping("sail", 3, -1, 1, 1, -1, surface, surface));
        maker.AddBox(0, -1.2, 0, 5.0, 0.05, 0.4, 0, 0);
        maker.AddBox(0, -1.2, 0, 0.4, 0.05, 5.0, 0, 0);
    }
    rotor.offset = MakeFixedVector(0, 0, FixedFromMetres(11.0).raw);
    windmill.model->subModels.push_back(std::move(rotor));
    SharedModel& barrier = world.sharedModels[ModelBarrier] = Shared(0, 1, 300.0f);
    barrier.model = Boxes("barrier", {{0, 0, 0.5, 2.0, 0.3, 0.5}}, Plain, Concrete, 1);
}

void AddLightSchemes(World& world, int site)
{
    const SiteRecord& record = SiteTable[site];
    world.schemes.clear();
    for (int i = 0; i < record.carried; i++) {
        LightScheme s;
        s.timeOfDay = record.defaultTimeOfDay[i];
        s.weather = record.defaultWeather[i];
        static const char* const Skies[3] = {"sky_clear", "sky_cloudy", "sky_overcast"};
        Name(s.skyName, sizeof s.skyName, Skies[std::min<int>(s.weather, 2)]);
        const double evening = s.timeOfDay >= 5 ? 0.6 : 1.0;
        s.sun = {255, static_cast<uint8_t>(240 * evening + 15), static_cast<uint8_t>(220 * evening + 20), 0};
        s.ambient = {150, 170, 200, 0};
        s.sunLevel = static_cast<float>(s.weather == 0 ? 1.0 : 0.6);
        s.ambientLevel = static_cast<float>(s.weather == 0 ? 0.5 : 0.7);
        s.sunHeading = static_cast<float>(Pi / 180 * (40 + 30 * s.timeOfDay));
        s.sunElevation = static_cast<float>(Pi / 180 * (s.timeOfDay >= 5 ? 12 : 45));
        s.lightHeightFactor = 1.0f;
        s.fogValue = s.weather == 2 ? 0.002f : 0.0005f;
        s.fog = {190, 195, 205, 0};
        world.schemes.push_back(s);
    }
}
