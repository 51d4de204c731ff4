// The seven track sites of the data builder: their road designs and what a
// site holds besides its roads (world textures, shared models, light
// schemes, start grids, pits, lights, cameras and scenery).
#pragma once

#include <string>

#include "site_road.h"

// The world textures every site has, by index.
enum SiteTexture : int {
    TexTarmac,
    TexKerb,
    TexGrass,
    TexGravel,
    TexWall,
    TexDirt,
    TexSand,
    TexPitLane,
    TexPavement,
    TexFlag,
    TexTyres,
    SiteTextureCount,
};

// The shared models every site has, by index.
enum SiteModel : int {
    ModelTyreStack,
    ModelCone,
    ModelPost,
    ModelGarage,
    ModelGrandstand,
    ModelStartLights,
    ModelBuilding,
    ModelWindmill,
    ModelBarrier,
    SiteModelCount,
};

// Cross-sections the designs use.
CrossSection CircuitSection(double halfRoad, double grass, double gravel, bool walls = true);
CrossSection StreetSection(double halfRoad);
CrossSection LooseSection(double halfRoad, int texture);
// The same with a pit lane on the left: a strip of grass, the pit road and
// the pit wall's foot.
CrossSection WithPitLane(CrossSection section);
// The pit road's centre offset (m, negative: left) of a section with a pit lane.
double PitLaneOffset(const CrossSection& section);

// What a site's design says beyond its roads.
struct SiteDesign {
    RoadNetwork roads;
    const char* configNames[MaxSiteConfigs] = {};
    int pitSection = 0;            // the section whose left side holds the pit lane
    double pitFrom = 0, pitTo = 0; // m along it where the pit boxes stand
    bool wideGrids = false;        // grids of four columns (on an open area)
};

// The seven designs, in site table order. False with the reason when a
// design does not hold together.
bool DesignSite(int site, SiteDesign& design, std::string& error);

// A stadium circuit driven anticlockwise: two straights of `straight` m
// joined by half circles of `radius` m, the first straight with the pit lane
// on its left, a hill on the second; one reversible configuration. The
// world tests' circuit, and at its smallest the seed of the world reader's
// fuzzing.
SiteDesign StadiumDesign(double straight = 320, double radius = 60);

// The world of a design, ready to be written: textures, shared models, the
// site's light schemes, the roads and their paths, and every object. False
// with the reason when the roads cannot take their timing points or the
// world would hold too many objects.
bool MakeSiteWorld(SiteDesign& design, int site, World& world, std::string& error);

// Everything of the site but its roads, added to a world that holds them.
void AddSiteTextures(World& world);
void AddSiteModels(World& world);
void AddLightSchemes(World& world, int site);
void AddSiteObjects(World& world, const SiteDesign& design);
