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


// Dockside: a harbour street circuit between walls. The quay is the pit
// straight; the streets behind it join the quay's two ends through the old
// town, the harbour, the warehouses and out to the lighthouse.
void DesignDockside(SiteDesign& d)
{
    RoadNetwork& r = d.roads;
    const CrossSection street = StreetSection(5.0);
    const int j0 = r.AddJunction(At(0, 0, 2, 0));
    const int west = r.AddJunction(At(-20, -30, 2.5, 90));
    const int m1 = r.AddJunction(At(-20, -150, 4, 90));
    const int m2 = r.AddJunction(At(-20, -300, 6, 90));
    const int m3 = r.AddJunction(At(-20, -460, 8, 90));
    const int quay = r.AddSteps(j0, {Straight(640)}, 2, WithPitLane(street));
    const int j1 = r.EndOf(quay);
    const int east1 = r.AddSteps(j1, {Arc(20 * Pi / 2, -90), Straight(90)}, 3, street);
    const int j2 = r.EndOf(east1);
    const int east2 = r.AddSteps(j2, {Straight(150)}, 5, street);
    const int j3 = r.EndOf(east2);
    const int east3 = r.AddSteps(j3, {Straight(160)}, 8, street);
    const int j4 = r.EndOf(east3);
    const int final = r.AddStepsTo(west, j0, {Straight(10), Arc(20 * Pi / 2, -90)}, street);
    const int west1 = r.AddStepsTo(m1, west, {Straight(120)}, street);
    const int west2 = r.AddStepsTo(m2, m1, {Straight(150)}, street);
    const int west3 = r.AddStepsTo(m3, m2, {Straight(160)}, street);
    const RoadStep corner = Arc(20 * Pi / 2, -90);
    const int market = r.AddStepsTo(j2, m1,
                                    {Straight(40), corner, Straight(240), Arc(4 * Pi, 12), Arc(8 * Pi, -24), Arc(4 * Pi, 12),
                                     Straight(350.1012), corner},
                                    street);
    const int harbour = r.AddStepsTo(j3, m2,
                                     {Straight(30.3508), corner, Straight(300), Arc(80 * Pi / 9, 20), Arc(80 * Pi / 9, -20),
                                      Straight(285.2768), corner},
                                     street, {{0.5, 5}});
    const RoadStep tight = Arc(15 * Pi / 2, 90), tightRight = Arc(15 * Pi / 2, -90);
    const int warehouse = r.AddStepsTo(j4, m3,
                                       {Straight(40), corner, Straight(200), Arc(20 * Pi / 2, 90), Straight(40), corner,
                                        Straight(400), corner, Straight(80)},
                                       street, {{0.5, 9}});
    const int oldTown = r.AddStepsTo(j2, m1,
                                     {Straight(40), corner, Straight(150), tight, Straight(40), tightRight, Straight(150),
                                      tightRight, Straight(40), tight, Straight(280), corner},
                                     street, {{0.4, 6}, {0.7, 4}});
    const int lighthouse = r.AddSteps(j1, {Straight(200), Arc(18 * Pi, -180), Straight(120), Arc(20 * Pi / 2, 90), Straight(120)},
                                      3, street, 0, {{0.3, 4}});
    const int lighthouseBack = r.AddConnector(r.EndOf(lighthouse), j3, street);
    r.loops.push_back(Loop({quay, east1, market, west1, final}, quay, 320, true));
    r.loops.push_back(Loop({quay, east1, east2, harbour, west2, west1, final}, quay, 320, true));
    r.loops.push_back(Loop({quay, east1, east2, east3, warehouse, west3, west2, west1, final}, quay, 320, true));
    r.loops.push_back(Loop({quay, lighthouse, lighthouseBack, harbour, west2, west1, final}, quay, 320, true));
    r.loops.push_back(Loop({quay, east1, oldTown, west1, final}, quay, 320, true));
    r.loops.push_back(Loop({quay, lighthouse, lighthouseBack, east3, warehouse, west3, west2, west1, final}, quay, 320, true));
    d.pitSection = quay;
    d.pitFrom = 150;
    d.pitTo = 450;
}

// Gullhaven: a coastal circuit. The seafront straight runs along the beach;
// the Cliff Top climbs to the cliffs and comes down again; the Headland runs
// out round the point; the Rallycross and Sand Cross leave the seafront for
// the dirt and the dunes behind it.
void DesignGullhaven(SiteDesign& d)
{
    RoadNetwork& r = d.roads;
    const CrossSection road = CircuitSection(5.0, 3.0, 4.0);
    const CrossSection dirt = LooseSection(5.0, TexDirt), sand = LooseSection(5.5, TexSand);
    const int j0 = r.AddJunction(At(0, 0, 3, 0));
    const int west = r.AddJunction(At(-30, 40, 3, -90));
    const int cliff = r.AddJunction(At(250, 470, 38, 180));
    const int sea = r.AddSteps(j0, {Straight(600)}, 3, WithPitLane(road));
    const int j1 = r.EndOf(sea);
    const int final = r.AddStepsTo(west, j0, {Straight(10), Arc(30 * Pi / 2, 90)}, road);
    const int seafront = r.AddStepsTo(j1, west,
                                      {Arc(20 * Pi, 90), Straight(150), Arc(20 * Pi, 90), Straight(200), Arc(5 * Pi, -15),
                                       Arc(10 * Pi, 30), Arc(5 * Pi, -15), Straight(327.8834), Arc(20 * Pi, 90), Straight(150)},
                                      road, {{0.35, 9}, {0.7, 6}});
    const int cliffDown = r.AddStepsTo(cliff, west, {Straight(140), Arc(100 * Pi / 6, -30), Arc(40 * Pi, 120), Straight(391.4359)},
                                       road, {{0.4, 25}});
    const int cliffUp = r.AddStepsTo(j1, cliff,
                                     {Arc(30 * Pi, 90), Straight(120), Arc(25 * Pi, -50), Straight(80), Arc(35 * Pi * 140 / 180, 140),
                                      Arc(20 * Pi, -45), Straight(86.2084), Arc(20 * Pi, 45), Straight(306.8454)},
                                     road, {{0.35, 14}, {0.65, 27}});
    const int point = r.AddSteps(j1, {Straight(250), Arc(130 * Pi * 50 / 180, 50), Straight(160), Arc(45 * Pi * 130 / 180, 130)},
                                 6, road, 0, {{0.6, 10}});
    const int headland = r.EndOf(point);
    const int pointBack = r.AddStepsTo(headland, west,
                                       {Straight(300), Arc(120 * Pi * 25 / 180, -25), Arc(120 * Pi * 25 / 180, 25),
                                        Straight(606.5314), Arc(20 * Pi, 90), Straight(185.4163)},
                                       road, {{0.4, 14}});
    const int ridge = r.AddStepsTo(headland, cliff,
                                   {Arc(100 * Pi * 40 / 180, -40), Straight(280.464), Arc(100 * Pi * 40 / 180, 40), Straight(424.5544)},
                                   road, {{0.5, 24}});
    const int rally = r.AddStepsTo(j1, west,
                                   {Arc(12.5 * Pi, 90), Straight(50), Arc(12.5 * Pi, 90), Straight(120), Arc(10 * Pi, 30),
                                    Arc(10 * Pi, -30), Straight(420), Arc(15 * Pi, 90), Straight(13.923)},
                                   dirt, {{0.3, 6}, {0.6, 1}});
    const int dunes = r.AddStepsTo(j1, west,
                                   {Straight(80), Arc(30 * Pi, 180), Straight(200), Arc(50 * Pi * 40 / 180, -40),
                                    Arc(50 * Pi * 40 / 180, 40), Straight(415.7212), Arc(15 * Pi, 90), Straight(13.3956)},
                                   sand, {{0.4, 6}});
    r.loops.push_back(Loop({sea, cliffUp, cliffDown, final}, sea, 300, true));
    r.loops.push_back(Loop({sea, seafront, final}, sea, 300, true));
    r.loops.push_back(Loop({sea, point, pointBack, final}, sea, 300, true));
    r.loops.push_back(Loop({sea, rally, final}, sea, 300, true));
    r.loops.push_back(Loop({sea, dunes, final}, sea, 300, true));
    r.loops.push_back(Loop({sea, point, ridge, cliffDown, final}, sea, 300, true));
    r.loops[3].loose = r.loops[4].loose = true;
    d.pitSection = sea;
    d.pitFrom = 140;
    d.pitTo = 440;
}

// Autocross: an open tarmac area for layouts, with courses marked on it: a
// practice loop round the area, a slalom, a skid pad and a drag strip.
void DesignAutocross(SiteDesign& d)
{
    RoadNetwork& r = d.roads;
    CrossSection area = CircuitSection(80.0, 3.0, 0.0);
    area = WithPitLane(area);
    CrossSection course;
    course.halfRoad = 4.0;
    course.roadTexture = TexTarmac;
    // The area's profiles fall between the courses' nodes (never on them).
    const int a0 = r.AddJunction(At(-0.37, 0, 2, 0));
    const int ground = r.AddSteps(a0, {Straight(480)}, 2, area);
    r.sections[size_t(ground)].pieceLength = 10;
    const int k1 = r.AddJunction(At(70, -64, 2, 0));
    const int k2 = r.AddJunction(At(60, -50, 2, 0));
    const int k3 = r.AddJunction(At(340, -50, 2, 0));
    // The strip runs a little across the area, so that its last node lies
    // inside the contact grid the path spans.
    const int k4 = r.AddJunction(At(20, 70, 2, -3));
    // The practice loop runs round the whole area, so that in its
    // configuration every part of the area is within the contact grid.
    const int loop = r.AddStepsTo(k1, k1, {Straight(340), Arc(64 * Pi, 180), Straight(340), Arc(64 * Pi, 180)}, course);
    const int slalom = r.AddStepsTo(k2, k2,
                                    {Straight(140), Arc(30 * Pi * 25 / 180, 25), Arc(30 * Pi * 50 / 180, -50), Arc(30 * Pi * 50 / 180, 50),
                                     Arc(30 * Pi * 50 / 180, -50), Arc(30 * Pi * 25 / 180, 25), Straight(118.5716), Arc(40 * Pi, 180),
                                     Straight(360), Arc(40 * Pi, 180)},
                                    course);
    const int pad = r.AddStepsTo(k3, k3, {Arc(120 * Pi, 360)}, course);
    const int strip = r.AddSteps(k4, {Straight(440)}, 2, course);
    for (int section : {loop, slalom, pad, strip})
        r.sections[size_t(section)].surfaced = false;
    r.loops.push_back(Loop({loop}, loop, 200, false));
    r.loops.push_back(Loop({slalom}, slalom, 130, false));
    r.loops.push_back(Loop({pad}, pad, 10, false));
    r.loops.push_back(Loop({strip}, strip, 420, false));
    r.loops[3].closed = false;
    for (RoadLoop& l : r.loops)
        l.extraSections = {ground};
    d.pitSection = ground;
    d.pitFrom = 100;
    d.pitTo = 400;
    d.wideGrids = true;
}

// Orrin Ring: a fast banked oval, and a twisting road course in its
// infield that uses the oval's front straight (and, in the combined
// configuration, its first turn and back straight).
void DesignOrrinRing(SiteDesign& d)
{
    RoadNetwork& r = d.roads;
    CrossSection oval = CircuitSection(7.0, 5.0, 0.0);
    oval.bankFactor = 47.5;
    const CrossSection infield = CircuitSection(5.0, 3.0, 2.0);
    const int j0 = r.AddJunction(At(0, 0, 4, 0));
    const int join = r.AddJunction(At(-35, 35, 4, -90));
    const int front = r.AddSteps(j0, {Straight(600)}, 4, WithPitLane(oval));
    const int j1 = r.EndOf(front);
    const int turn1 = r.AddSteps(j1, {Arc(190 * Pi, 180)}, 4, oval);
    const int back = r.AddSteps(r.EndOf(turn1), {Straight(600)}, 4, oval);
    const int j3 = r.EndOf(back);
    const int turn3 = r.AddStepsTo(j3, j0, {Arc(190 * Pi, 180)}, oval);
    const int final = r.AddStepsTo(join, j0, {Arc(35 * Pi / 2, 90)}, infield);
    const int inner = r.AddStepsTo(j1, join,
                                   {Arc(35 * Pi / 2, 90), Straight(90), Arc(35 * Pi / 2, 90), Straight(150), Arc(15 * Pi, -90),
                                    Straight(40), Arc(15 * Pi, 90), Straight(200), Arc(35 * Pi / 2, 90), Straight(60),
                                    Arc(15 * Pi, -90), Straight(125), Arc(35 * Pi / 2, 90), Straight(65)},
                                   infield, {{0.5, 6}});
    const int combined = r.AddStepsTo(j3, join,
                                      {Arc(35 * Pi / 2, 90), Straight(40), Arc(15 * Pi, 90), Straight(300), Arc(45 * Pi, -180),
                                       Straight(200), Arc(35 * Pi / 2, 90), Straight(40), Arc(15 * Pi, -90), Straight(30),
                                       Arc(35 * Pi / 2, 90), Straight(10)},
                                      infield, {{0.5, 6}});
    r.loops.push_back(Loop({front, turn1, back, turn3}, front, 300, true));
    r.loops.push_back(Loop({front, inner, final}, front, 300, true));
    r.loops.push_back(Loop({front, turn1, back, combined, final}, front, 300, true));
    d.pitSection = front;
    d.pitFrom = 150;
    d.pitTo = 450;
}

// Caldrow: a long mountain road, narrow between rock walls, climbing
// through hairpins to the ridge and sweeping down the far side.
void DesignCaldrow(SiteDesign& d)
{
    RoadNetwork& r = d.roads;
    CrossSection road = CircuitSection(4.0, 1.5, 0.0);
    const int j0 = r.AddJunction(At(0, 0, 20, 0));
    const int join = r.AddJunction(At(-80, 80, 24, -90));
    const int start = r.AddSteps(j0, {Straight(420)}, 20, WithPitLane(road));
    const int final = r.AddStepsTo(join, j0, {Arc(40 * Pi, 90)}, road);
    const int mountain = r.AddSteps(
        r.EndOf(start),
        {Arc(220 * Pi * 25 / 180, 25), Straight(300), Arc(160 * Pi * 40 / 180, -40), Straight(250), Arc(35 * Pi * 140 / 180, 140),
         Straight(220), Arc(35 * Pi * 160 / 180, -160), Straight(220), Arc(35 * Pi * 160 / 180, 160), Straight(260),
         Arc(120 * Pi * 70 / 180, -70), Straight(350), Arc(180 * Pi * 60 / 180, 60), Straight(350), Arc(200 * Pi * 30 / 180, -30),
         Straight(300), Arc(60 * Pi * 120 / 180, 120), Straight(300), Arc(150 * Pi * 50 / 180, -50), Straight(300),
         Arc(120 * Pi * 115 / 180, 115), Straight(250), Arc(150 * Pi * 30 / 180, -30), Straight(300), Arc(150 * Pi * 30 / 180, 30),
         Straight(250), Arc(100 * Pi * 45 / 180, 45), Straight(200), Arc(100 * Pi * 45 / 180, -45), Straight(150)},
        40, road, 0, {{0.12, 45}, {0.25, 95}, {0.4, 150}, {0.52, 172}, {0.68, 140}, {0.85, 85}});
    const int down = r.AddConnector(r.EndOf(mountain), join, road);
    r.loops.push_back(Loop({start, mountain, down, final}, start, 210, true));
    d.pitSection = start;
    d.pitFrom = 60;
    d.pitTo = 360;
}

// Brennick: a club circuit with many short variants. The pit straight
// leads to a spine of corners down the east side; each variant turns back
// west at another point, the Hairpin Loop takes the eastern hairpin, Sprint
// turns straight back, and the Long and Endurance layouts run out to the
// southern sweepers.
void DesignBrennick(SiteDesign& d)
{
    RoadNetwork& r = d.roads;
    const CrossSection road = CircuitSection(5.0, 3.0, 3.0);
    const int j0 = r.AddJunction(At(0, 0, 10, 0));
    const int top = r.AddJunction(At(-40, -40, 10, 90));
    const int ma = r.AddJunction(At(-40, -150, 8, 90));
    const int mb = r.AddJunction(At(-40, -300, 6, 90));
    const int mc = r.AddJunction(At(-40, -500, 4, 90));
    const int main = r.AddSteps(j0, {Straight(500)}, 10, WithPitLane(road));
    const int j1 = r.EndOf(main);
    const RoadStep corner = Arc(20 * Pi, -90);
    const int final = r.AddStepsTo(top, j0, {corner}, road);
    const int westA = r.AddStepsTo(ma, top, {Straight(110)}, road);
    const int westB = r.AddStepsTo(mb, ma, {Straight(150)}, road);
    const int westC = r.AddStepsTo(mc, mb, {Straight(200)}, road);
    const int turn1 = r.AddSteps(j1, {Arc(25 * Pi, -90), Straight(100)}, 9, road);
    const int ja = r.EndOf(turn1);
    const int shortBack = r.AddStepsTo(ja, ma,
                                       {corner, Straight(200), Arc(80 * Pi / 9, 20), Arc(160 * Pi / 9, -40), Arc(80 * Pi / 9, 20),
                                        Straight(200.5536), corner},
                                       road);
    const int spine = r.AddSteps(ja, {Straight(150)}, 7, road);
    const int jb = r.EndOf(spine);
    const int clubBack = r.AddStepsTo(jb, mb,
                                      {corner, Straight(150), Arc(70 * Pi / 6, -30), Arc(70 * Pi / 3, 60), Arc(70 * Pi / 6, -30),
                                       Straight(220), corner},
                                      road, {{0.5, 9}});
    const int spineSouth = r.AddSteps(jb, {Straight(200)}, 5, road);
    const int jc = r.EndOf(spineSouth);
    const int nationalBack = r.AddStepsTo(jc, mc,
                                          {Arc(25 * Pi, -90), Straight(250), Arc(30 * Pi * 25 / 180, 25), Arc(30 * Pi * 50 / 180, -50),
                                           Arc(30 * Pi * 25 / 180, 25), Straight(189.2858), Arc(25 * Pi, -90)},
                                          road, {{0.5, 2}});
    const int sprint = r.AddStepsTo(j1, top, {Arc(40 * Pi, -180), Straight(500), corner}, road, {{0.5, 12}});
    const int hairpin = r.AddStepsTo(ja, jb,
                                     {Arc(20 * Pi, 90), Straight(200), Arc(30 * Pi, -180), Straight(200), Arc(20 * Pi, 90), Straight(10)},
                                     road, {{0.5, 11}});
    const int sweepers = r.AddStepsTo(jc, mc,
                                      {Straight(150), Arc(30 * Pi, -90), Straight(150), Arc(80 * Pi / 6, 30), Arc(80 * Pi / 6, -30),
                                       Straight(260), corner, Straight(191.4359)},
                                      road, {{0.4, 1}, {0.8, 3}});
    r.loops.push_back(Loop({main, turn1, spine, clubBack, westB, westA, final}, main, 250, true));
    r.loops.push_back(Loop({main, turn1, shortBack, westA, final}, main, 250, true));
    r.loops.push_back(Loop({main, turn1, spine, spineSouth, nationalBack, westC, westB, westA, final}, main, 250, true));
    r.loops.push_back(Loop({main, sprint, final}, main, 250, true));
    r.loops.push_back(Loop({main, turn1, hairpin, clubBack, westB, westA, final}, main, 250, true));
    r.loops.push_back(Loop({main, turn1, spine, spineSouth, sweepers, westC, westB, westA, final}, main, 250, true));
    r.loops.push_back(Loop({main, turn1, hairpin, spineSouth, sweepers, westC, westB, westA, final}, main, 250, true));
    d.pitSection = main;
    d.pitFrom = 100;
    d.pitTo = 400;
}

} // namespace

bool DesignSite(int site, SiteDesign& design, std::string& error)
{
    switch (site) {
    case 0: DesignHollowmere(design); break;
    case 1: DesignDockside(design); break;
    case 2: DesignGullhaven(design); break;
    case 3: DesignAutocross(design); break;
    case 4: DesignOrrinRing(design); break;
    case 5: DesignCaldrow(design); break;
    case 6: DesignBrennick(design); break;
    default: error = "no design"; return false;
    }
    // The site table says which configurations may be driven reversed.
    for (int i = 0; i < SiteTable[site].configCount && size_t(i) < design.roads.loops.size(); i++) {
        design.configNames[i] = GetText(SiteTable[site].configNames[i]);
        design.roads.loops[size_t(i)].reversible = SiteTable[site].mapPathFlags[i] != 0;
    }
    if (design.roads.loops.size() != SiteTable[site].configCount) {
        error = "the design's configurations do not match the site table";
        return false;
    }
    return design.roads.Prepare(error);
}

// The stadium circuit of the tests and the fuzzing seed (not a site).
SiteDesign StadiumDesign(double straight, double radius)
{
    SiteDesign d;
    RoadNetwork& r = d.roads;
    const CrossSection road = CircuitSection(5.0, 4.0, 3.0);
    RoadPose start;
    start.z = 5;
    const int j0 = r.AddJunction(start);
    const int a = r.AddSteps(j0, {{straight, 0}}, 5, WithPitLane(road));
    const int b = r.AddSteps(r.EndOf(a), {{Pi * radius, Pi}}, 5, road);
    const int c = r.AddSteps(r.EndOf(b), {{straight, 0}}, 5, road, 0, {{0.5, 9}});
    const int e = r.AddStepsTo(r.EndOf(c), j0, {{Pi * radius, Pi}}, road);
    RoadLoop loop;
    loop.sections = {a, b, c, e};
    loop.finishSection = a;
    loop.finishAt = straight / 2 + 2;
    loop.reversible = true;
    r.loops.push_back(loop);
    d.configNames[0] = "Stadium";
    d.pitSection = a;
    d.pitFrom = 25;
    d.pitTo = straight - 25;
    return d;
}
