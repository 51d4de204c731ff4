// The curved drivable surface between two profiles, checked against
// geometry: a flat rectangle, a ramp, a banked road, a Hermite height
// curve and an upright wall each answer the contact query where the plane
// or curve says; the end lines' slack, bands that are not solid, the
// checkpoint area code and the road bumps.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "world/local.h"

namespace {

constexpr double Metre = 65536.0;

struct ProfilePointSpec {
    double offset, height, gradient;
    uint8_t edge;
};

// Two profiles across the road at y = 0 and y = length (travel along +y,
// offsets to the right along +x) and one surface between them whose
// curves join point i to point i, with a band between neighbours.
struct RoadPiece {
    World world;
    StripObject* a = nullptr;
    StripObject* b = nullptr;
    CurvedSurfaceObject* surface = nullptr;

    RoadPiece(std::vector<ProfilePointSpec> start, std::vector<ProfilePointSpec> end, double length, uint8_t kind,
              std::vector<int16_t> solid = {})
    {
        WorldTexture road;
        road.surfaceKind = 0;
        world.textures.push_back(road);
        a = AddProfile(0, start);
        b = AddProfile(length, end);
        surface = new CurvedSurfaceObject;
        surface->world = &world;
        surface->surfaceFlags = SurfaceDrivable;
        surface->direction[0] = 1;
        surface->direction[1] = -1;
        surface->end[0] = 0;
        surface->end[1] = 1;
        surface->ends[0] = a;
        surface->ends[1] = b;
        const int n = static_cast<int>(start.size());
        for (int i = 0; i < n; i++) {
            SurfaceCurve c;
            c.storedKind = (i == 0 || i == n - 1) ? CurveStraight : kind;
            c.endPoint[0] = static_cast<uint8_t>(i);
            c.endPoint[1] = static_cast<uint8_t>(n - 1 - i);
            surface->curves.push_back(c);
        }
        for (int i = 0; i + 1 < n; i++) {
            SurfaceBand band;
            band.solid = solid.empty() ? 1 : solid[size_t(i)];
            band.first = static_cast<uint8_t>(i);
            band.second = static_cast<uint8_t>(i + 1);
            surface->bands.push_back(band);
        }
        surface->segmentLength = 1.0f;
        world.objects.push_back(surface);
        GenerateBumpMap(world);
        a->Init();
        b->Init();
        surface->Init();
    }

    StripObject* AddProfile(double y, const std::vector<ProfilePointSpec>& points)
    {
        auto* strip = new StripObject;
        strip->y = FixedFromMetres(y);
        strip->heading = 0;
        for (const ProfilePointSpec& p : points) {
            StripPoint point;
            point.offset = FixedFromMetres(p.offset).raw;
            point.height = FixedFromMetres(p.height).raw;
            point.gradient = static_cast<float>(p.gradient);
            point.edge = p.edge;
            strip->points.push_back(point);
        }
        world.objects.push_back(strip);
        return strip;
    }

    // The segment from (x, y, top) down to (x, y, bottom).
    bool Down(double x, double y, ContactQueryRecord& hit, double top = 10, double bottom = -10, SurfaceBump* bump = nullptr)
    {
        hit = ContactQueryRecord{};
        hit.queryPosition = {FixedFromMetres(x), FixedFromMetres(y), FixedFromMetres(bottom)};
        hit.queryDirection = MakeFixedVector(0, 0, FixedFromMetres(bottom - top).raw);
        return surface->ContactQuery(hit.queryPosition, hit.queryDirection, hit, bump) == 1;
    }
};

class RoadSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
    }
    void TearDown() override { MutableLoadedWorld.checkpointSearchBit = 0; }
};

std::vector<ProfilePointSpec> Flat(double half, double height, double gradient = 0)
{
    return {{-half, height, gradient, EdgeLeft}, {half, height, gradient, EdgeRight}};
}

TEST_F(RoadSurfaceTest, FlatRectangleIsHitAtItsHeightWithAnUprightNormal)
{
    RoadPiece piece(Flat(5, 2.0), Flat(5, 2.0), 10, CurveStraight);
    for (double x : {-4.9, -2.5, 0.0, 3.3, 4.9}) {
        for (double y : {0.05, 1.0, 5.0, 9.95}) {
            ContactQueryRecord hit;
            ASSERT_TRUE(piece.Down(x, y, hit, 3, 0)) << x << "," << y;
            // The hit's fraction of the 3 m segment is 16.16: 3 units of slack.
            EXPECT_NEAR(hit.hitPosition.z.raw / Metre, 2.0, 3.0 / Metre);
            EXPECT_NEAR(hit.hitPosition.x.raw / Metre, x, 1.0 / Metre);
            EXPECT_FLOAT_EQ(hit.hitNormal.z, 1.0f);
            // The hit lies two thirds of the way along the 3 m segment.
            EXPECT_NEAR(hit.hitDepth.raw / Metre, 2.0 / 3.0, 2.0 / Metre);
            EXPECT_EQ(hit.hitSurface, &piece.world.textures[0]);
        }
    }
    ContactQueryRecord hit;
    EXPECT_FALSE(piece.Down(0, 5, hit, 10, 3)) << "a segment above the surface";
    // The end lines: 1 cm beyond is still tested, 2 cm is not.
    EXPECT_TRUE(piece.Down(0, -0.01, hit));
    EXPECT_FALSE(piece.Down(0, -0.02, hit));
    EXPECT_TRUE(piece.Down(0, 10.01, hit));
    EXPECT_FALSE(piece.Down(0, 10.02, hit));
    // Only a deeper hit than the record holds is taken.
    piece.Down(0, 5, hit, 3, 0);
    const Fixed depth = hit.hitDepth;
    EXPECT_EQ(piece.surface->ContactQuery(hit.queryPosition, hit.queryDirection, hit, nullptr), 0);
    EXPECT_EQ(hit.hitDepth, depth);
}

// A damaged world file may give profiles wider or taller than the 32-bit
// range of 16.16 metres: the surface still initialises and answers queries
// (whatever it answers), its differences wrapping as every 16.16 one does.
TEST_F(RoadSurfaceTest, ProfilesBeyondTheFixedPointRangeAreQueriedSafely)
{
    const std::vector<ProfilePointSpec> wide = {{-30000, 0, 0, EdgeLeft}, {30000, 0, 0, EdgeRight}};
    const std::vector<ProfilePointSpec> tall = {{-5, 30000, 0, EdgeLeft}, {5, -30000, 0, EdgeRight}};
    // The range's very ends: the far profile faces the other way, so its
    // offsets are negated, and the lowest one has no positive twin.
    const std::vector<ProfilePointSpec> ends = {{-32768, -32768, 0, EdgeLeft}, {32767, 32767, 0, EdgeRight}};
    for (const auto& profile : {wide, tall, ends}) {
        RoadPiece piece(profile, profile, 10, CurveStraight);
        for (double x : {-20000.0, 0.0, 3.0}) {
            ContactQueryRecord hit;
            piece.Down(x, 5, hit, 20000, -20000);
            piece.Down(x, 5, hit);
        }
    }
}

TEST_F(RoadSurfaceTest, RampsAndBankingGiveThePlanesHeightAndNormal)
{
    struct Case {
        const char* label;
        std::vector<ProfilePointSpec> start, end;
        double nx, ny, nz;  // the plane's unit normal
        double (*height)(double x, double y);
    };
    const Case cases[] = {
        {"rising 1 in 10 along", Flat(5, 0.0), Flat(5, 1.0), 0, -0.1, 1, [](double, double y) { return 0.1 * y; }},
        {"banked 1 in 10 to the right", {{-5, 0.0, 0, EdgeLeft}, {5, 1.0, 0, EdgeRight}},
         {{-5, 0.0, 0, EdgeLeft}, {5, 1.0, 0, EdgeRight}}, -0.1, 0, 1, [](double x, double) { return 0.1 * (x + 5); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RoadPiece piece(c.start, c.end, 10, CurveStraight);
        const double length = std::sqrt(c.nx * c.nx + c.ny * c.ny + c.nz * c.nz);
        for (double x : {-4.0, 0.5, 4.0}) {
            for (double y : {1.0, 4.5, 9.0}) {
                ContactQueryRecord hit;
                ASSERT_TRUE(piece.Down(x, y, hit, 2, -1));
                EXPECT_NEAR(hit.hitPosition.z.raw / Metre, c.height(x, y), 3.0 / Metre);
                EXPECT_NEAR(hit.hitNormal.x, c.nx / length, 1e-4);
                EXPECT_NEAR(hit.hitNormal.y, c.ny / length, 1e-4);
                EXPECT_NEAR(hit.hitNormal.z, c.nz / length, 1e-4);
            }
        }
    }
}

// A road whose inner curves rise as a Hermite cubic (gradients at the
// ends) against the cubic evaluated in double.
TEST_F(RoadSurfaceTest, InnerCurvesFollowTheirHermiteHeights)
{
    const double length = 12, h0 = 1.0, h1 = 1.6, g0 = 0.12, g1 = -0.05;
    const std::vector<ProfilePointSpec> start = {{-6, h0, g0, EdgeLeft}, {-4, h0, g0, 0}, {4, h0, g0, 0}, {6, h0, g0, EdgeRight}};
    const std::vector<ProfilePointSpec> end = {{-6, h1, g1, EdgeLeft}, {-4, h1, g1, 0}, {4, h1, g1, 0}, {6, h1, g1, EdgeRight}};
    RoadPiece piece(start, end, length, CurveStraightPlan);
    for (double y : {0.5, 2.0, 3.7, 6.0, 8.3, 11.5}) {
        const double t = y / length;
        const double m0 = g0 * length, m1 = g1 * length;
        const double expected = (2 * t * t * t - 3 * t * t + 1) * h0 + (t * t * t - 2 * t * t + t) * m0 +
                                (-2 * t * t * t + 3 * t * t) * h1 + (t * t * t - t * t) * m1;
        for (double x : {-3.0, 0.0, 2.5}) {
            ContactQueryRecord hit;
            ASSERT_TRUE(piece.Down(x, y, hit, 2, 0));
            EXPECT_NEAR(hit.hitPosition.z.raw / Metre, expected, 0.0005) << "y " << y;
        }
    }
}

TEST_F(RoadSurfaceTest, BandsThatAreNotSolidAreNeverHit)
{
    const std::vector<ProfilePointSpec> points = {{-6, 0, 0, EdgeLeft}, {-2, 0, 0, 0}, {6, 0, 0, EdgeRight}};
    RoadPiece piece(points, points, 10, CurveStraightPlan, {0, 1});
    ContactQueryRecord hit;
    EXPECT_FALSE(piece.Down(-4, 5, hit));
    EXPECT_TRUE(piece.Down(2, 5, hit));
}

// A wall on the right: a band from its foot up to its top at one offset.
// A horizontal segment from the road through the wall meets it.
TEST_F(RoadSurfaceTest, UprightWallStopsASegmentRunningIntoIt)
{
    const std::vector<ProfilePointSpec> points = {{-5, 0, 0, EdgeLeft}, {5, 0, 0, 0}, {5, 1.2, 0, EdgeRight}};
    RoadPiece piece(points, points, 10, CurveStraightPlan);
    ContactQueryRecord hit;
    hit.queryPosition = {FixedFromMetres(5.3), FixedFromMetres(4), FixedFromMetres(0.5)};
    hit.queryDirection = MakeFixedVector(FixedFromMetres(1.0).raw, 0, 0);
    ASSERT_EQ(piece.surface->ContactQuery(hit.queryPosition, hit.queryDirection, hit, nullptr), 1);
    EXPECT_NEAR(hit.hitPosition.x.raw / Metre, 5.0, 2.0 / Metre);
    EXPECT_NEAR(hit.hitDepth.raw / Metre, 0.3, 2.0 / Metre);
    EXPECT_NEAR(hit.hitNormal.x, -1.0, 1e-5);
    // Above the wall's top the segment passes.
    ContactQueryRecord high;
    high.queryPosition = {FixedFromMetres(5.3), FixedFromMetres(4), FixedFromMetres(1.5)};
    high.queryDirection = hit.queryDirection;
    EXPECT_EQ(piece.surface->ContactQuery(high.queryPosition, high.queryDirection, high, nullptr), 0);
}

TEST_F(RoadSurfaceTest, AreaCodeIsReportedOnlyDuringTheCheckpointSearchOfItsConfiguration)
{
    RoadPiece piece(Flat(5, 0), Flat(5, 0), 10, CurveStraight);
    piece.surface->areaCode = 2;
    piece.surface->areaMask = 1u << 3;
    struct Case {
        uint32_t bit;
        int code;
    };
    for (const Case& c : {Case{0, 0}, Case{1u << 3, 2}, Case{1u << 4, 0}}) {
        MutableLoadedWorld.checkpointSearchBit = c.bit;
        ContactQueryRecord hit;
        ASSERT_TRUE(piece.Down(0, 5, hit));
        EXPECT_EQ(hit.areaCode, c.code) << c.bit;
    }
    MutableLoadedWorld.checkpointSearchBit = 0;
}

// Kind 1 bumps: a triangle wave of whole periods along the surface.
TEST_F(RoadSurfaceTest, TriangleBumpsBlendAndRestartOnAnotherTexture)
{
    RoadPiece piece(Flat(5, 0), Flat(5, 0), 10, CurveStraight);
    WorldTexture& texture = piece.world.textures[0];
    texture.bump[0] = 1;   // triangle wave
    texture.bump[1] = 4;   // amplitude
    texture.bump[2] = 16;  // one metre: ten periods over the 10 m surface
    const uint32_t key = 1u | 4u << 8 | 16u << 16;
    for (double y : {0.25, 1.6, 5.5, 7.9}) {
        SurfaceBump bump{key, 0, 0};
        ContactQueryRecord hit;
        ASSERT_TRUE(piece.Down(0, y, hit, 10, -10, &bump));
        // Phase: the low 16 bits of t x 10, folded at half a period.
        const int64_t t = std::lround(y / 10 * 65536);
        int64_t phase = (t * 10) & 0xFFFF;
        if (phase > 32768)
            phase = 65536 - phase;
        EXPECT_EQ(bump.height, phase * 128 * 4 / 65536) << "y " << y;
        // The next query stands on the bump.
        ContactQueryRecord raised;
        SurfaceBump again = bump;
        ASSERT_TRUE(piece.Down(0, y, raised, 1, -1, &again));
        EXPECT_NEAR(raised.hitPosition.z.raw, bump.height, 2);
    }
    // Coming from another bump texture: the key and blend restart and the
    // height holds for this query.
    SurfaceBump other{0x01020304u, 1000, 777};
    ContactQueryRecord hit;
    ASSERT_TRUE(piece.Down(0, 3, hit, 10, -10, &other));
    EXPECT_EQ(other.key, key);
    EXPECT_EQ(other.blend, 65536);
    EXPECT_EQ(other.height, 777);
}

} // namespace
