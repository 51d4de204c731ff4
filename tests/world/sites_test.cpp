// The seven sites the data builder writes: every configuration, both ways
// where the site allows, loads through every stage on a clock the test
// drives; every path node finds road, the start grid's 32 places find
// ground and a car parked there stands with every wheel on the road; the
// lap the checkpoint set-up measures is the builder's centre line; and the
// point query finds the builder's own road height at random points.
#include <gtest/gtest.h>

#include <random>

#include "site_fixture.h"

namespace {

using namespace sites;

class SiteTest : public SiteFolderTest, public ::testing::WithParamInterface<int> {};

struct Messages {
    static std::vector<std::string>& Lines()
    {
        static std::vector<std::string> lines;
        return lines;
    }
    Messages()
    {
        Lines().clear();
        SetWorldMessageHooks({[](const char* text, int) { Lines().emplace_back(text); },
                              [](const char* text) { Lines().emplace_back(text); }});
    }
    ~Messages() { ResetWorldHooks(); }
};

TEST_P(SiteTest, EveryConfigurationLoadsWithItsRoadGridAndLap)
{
    const int site = GetParam();
    SiteDesign design;
    std::string error;
    ASSERT_TRUE(DesignSite(site, design, error)) << error;
    SiteCar parked;
    ASSERT_TRUE(parked.loaded);
    SetWorldLoadClock(TickingClock);
    for (int configuration = 1; configuration <= SiteTable[site].configCount; configuration++) {
        const RoadLoop& loop = design.roads.loops[size_t(configuration - 1)];
        for (int reversed = 0; reversed <= (loop.reversible ? 1 : 0); reversed++) {
            SCOPED_TRACE(std::to_string(configuration) + (reversed ? "R" : ""));
            Messages messages;
            std::unique_ptr<World> world = LoadSite(site, configuration, reversed);
            ASSERT_TRUE(world->ready);
            ASSERT_FALSE(world->failed);
            EXPECT_EQ(world->configuration, configuration);
            EXPECT_EQ(world->reversed, reversed);
            for (const std::string& line : messages.Lines())
                ADD_FAILURE() << "the loader says: " << line;

            const Path& path = *world->currentPath;
            for (int t = 0; t < TimingPointSlots; t++)
                EXPECT_GE(path.timingNodes[t], 0) << "timing point " << t + 1;
            for (const PathNode& node : path.nodes) {
                const WorldTexture* ground =
                    GroundNear(*world, node.centre.x.raw / 65536.0, node.centre.y.raw / 65536.0, node.centre.z.raw / 65536.0);
                ASSERT_NE(ground, nullptr) << "a node finds no ground";
                if (!loop.loose) {
                    EXPECT_TRUE(IsRoadKind(ground->surfaceKind));
                }
            }
            if (!loop.loose) {
                EXPECT_GE(path.roadFraction, 0.7f);
            }

            // The lap: from the finish round to it again, or along an open course.
            const double lap = loop.closed ? path.nodes[size_t(path.timingNodes[0])].distance
                                           : path.nodes.back().distance;
            const double designed = design.roads.CentreLineLength(configuration - 1);
            EXPECT_NEAR(lap, designed, 0.001 * designed);

            ASSERT_GE(GetStartPositionCount(*world), MaxStartPlaces);
            for (int slot = 0; slot < MaxStartPlaces; slot++) {
                FixedVector place;
                float heading;
                GetStartPosition(*world, place, heading, slot);
                double ground = 0;
                bool found = false;
                for (double z = 300; z > -50 && !found; z -= 2.5)
                    found = GroundNear(*world, place.x.raw / 65536.0, place.y.raw / 65536.0, z, &ground) != nullptr;
                ASSERT_TRUE(found) << "start place " << slot;
                if (slot != 0 && slot != MaxStartPlaces - 1)
                    continue;
                parked.Place(*world, place.x.raw / 65536.0, place.y.raw / 65536.0, heading);
                parked.Step();
                for (int k = 0; k < parked.car.wheelCount; k++) {
                    const Wheel& wheel = parked.car.wheels[k];
                    EXPECT_TRUE(wheel.ground.touching) << "place " << slot << " wheel " << k;
                    EXPECT_TRUE(IsRoadKind(wheel.surfaceKind)) << "place " << slot << " wheel " << k;
                }
            }
        }
    }
}

// Random points on the road bands of each configuration's sections: the
// height there as the builder describes its surface.
TEST_P(SiteTest, PointQueryFindsTheBuildersRoadHeight)
{
    const int site = GetParam();
    SiteDesign design;
    std::string error;
    ASSERT_TRUE(DesignSite(site, design, error)) << error;
    std::mt19937 random(site + 1);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    constexpr int Points = 10000;
    int tested = 0;
    for (int configuration = 1; configuration <= SiteTable[site].configCount; configuration++) {
        std::unique_ptr<World> world = LoadSite(site, configuration, 0);
        ASSERT_TRUE(world->ready);
        const RoadLoop& loop = design.roads.loops[size_t(configuration - 1)];
        std::vector<int> sections;
        for (const std::vector<int>* list : {&loop.sections, &loop.extraSections})
            for (int index : *list)
                if (design.roads.sections[size_t(index)].surfaced)
                    sections.push_back(index);
        ASSERT_FALSE(sections.empty());
        const int share = Points / SiteTable[site].configCount + 1;
        for (int tries = 0, shareTested = 0; shareTested < share && tries < 10 * share; tries++) {
            const int index = sections[size_t(random() % sections.size())];
            const RoadSection& section = design.roads.sections[size_t(index)];
            const int piece = static_cast<int>(random() % (section.profiles.size() - 1));
            // Inside the road band and the piece, away from its edges by a
            // hair (a point on a box's edge is not asked of that surface).
            const double t = 0.001 + 0.998 * unit(random), f = 0.001 + 0.998 * unit(random);
            double x, y, z;
            design.roads.RoadPoint(index, piece, t, f, x, y, z);
            // Ground beyond the contact grid the path spans is not asked
            // (an open area's far parts, in a course that keeps away from them).
            const Fixed fx = FixedFromMetres(x), fy = FixedFromMetres(y);
            if (fx < world->gridMinX || fx >= world->gridMaxX || fy < world->gridMinY || fy >= world->gridMaxY)
                continue;
            double found = 0;
            ASSERT_NE(GroundNear(*world, x, y, z, &found), nullptr) << x << "," << y;
            EXPECT_NEAR(found, z, 0.001) << "section " << index << " piece " << piece << " at " << x << "," << y;
            tested++;
            shareTested++;
        }
    }
    EXPECT_GE(tested, Points);
}

INSTANTIATE_TEST_SUITE_P(Sites, SiteTest, ::testing::Range(0, SiteCount), SiteName);

} // namespace
