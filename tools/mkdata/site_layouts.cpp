// The road designs of the seven sites: each a network of sections between
// junctions, laid out with straights and arcs (turns in degrees, right
// negative), and the configurations as loops over them.
#include <cmath>

#include "site_content.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Deg = Pi / 180;

RoadStep Straight(double length) { return {length, 0}; }
// An arc of the length (m) turning by `degrees` (left positive).
RoadStep Arc(double length, double degrees) { return {length, degrees * Deg}; }

RoadPose At(double x, double y, double z, double headingDegrees)
{
    RoadPose pose;
    pose.x = x;
    pose.y = y;
    pose.z = z;
    pose.heading = headingDegrees * Deg;
    return pose;
}

RoadLoop Loop(std::vector<int> sections, int finishSection, double finishAt, bool reversible)
{
    RoadLoop loop;
    loop.sections = std::move(sections);
    loop.finishSection = finishSection;
    loop.finishAt = finishAt;
    loop.reversible = reversible;
    return loop;
}

// Hollowmere: a flowing country circuit in a valley. The pit straight runs
// along the top of the hill; Valley drops through esses to the stream and
// climbs back; Ridge runs out along the ridge and back through the woods;
// the Grand Tour takes the long loop round the valley floor.
void DesignHollowmere(SiteDesign& d)
{
    RoadNetwork& r = d.roads;
    const CrossSection road = CircuitSection(5.0, 4.0, 5.0);
    const CrossSection pit = WithPitLane(road);
    const int j0 = r.AddJunction(At(0, 0, 20, 0));
    const int last = r.AddJunction(At(-70, -150, 16, 90));
    const int main = r.AddSteps(j0, {Straight(520)}, 20, pit);
    const int sweep = r.AddSteps(r.EndOf(main), {Arc(150, -80), Straight(90)}, 12, road);
    const int j2 = r.EndOf(sweep);
    const int final = r.AddStepsTo(last, j0, {Straight(90), Arc(60 * Pi / 2, -90), Straight(10)}, road);
    const int valley = r.AddStepsTo(j2, last,
                                    {Arc(75, -100), Straight(160), Arc(80, 40), Arc(80, -40), Straight(67.6),
                                     Arc(90, -35), Arc(80, 35), Straight(90), Arc(70, -90), Straight(36.6)},
                                    road, {{0.5, 6}});
    const int ridge = r.AddSteps(j2, {Arc(50, 25), Straight(250), Arc(120, -60), Straight(180)}, 2, road);
    const int j3 = r.EndOf(ridge);
    const int ridgeBack = r.AddStepsTo(j3, last,
                                       {Arc(80, -65), Straight(160), Arc(70, 40), Arc(70, -40), Straight(176.7),
                                        Arc(70, -30), Straight(200), Arc(80, -60), Straight(458.9)},
                                       road, {{0.35, -3}, {0.7, 9}});
    const int tour = r.AddSteps(j3,
                                {Straight(200), Arc(100, 50), Straight(200), Arc(120, -95), Straight(150), Arc(70, 30),
                                 Arc(70, -30), Straight(350), Arc(80, -45), Straight(220), Arc(80, -45), Straight(300)},
                                -6, road, 0, {{0.3, -10}, {0.65, -14}});
    const int tourBack = r.AddConnector(r.EndOf(tour), last, road, {{0.5, 4}});
    r.loops.push_back(Loop({main, sweep, valley, final}, main, 260, true));
    r.loops.push_back(Loop({main, sweep, ridge, ridgeBack, final}, main, 260, true));
    r.loops.push_back(Loop({main, sweep, ridge, tour, tourBack, final}, main, 260, false));
    d.pitSection = main;
    d.pitFrom = 120;
    d.pitTo = 380;
}

} // namespace

bool DesignSite(int site, SiteDesign& design, std::string& error)
{
    switch (site) {
    case 0: DesignHollowmere(design); break;
    default: error = "no design"; return false;
    }
    for (int i = 0; i < SiteTable[site].configCount; i++)
        design.configNames[i] = GetText(SiteTable[site].configNames[i]);
    if (design.roads.loops.size() != SiteTable[site].configCount) {
        error = "the design's configurations do not match the site table";
        return false;
    }
    return design.roads.Prepare(error);
}
