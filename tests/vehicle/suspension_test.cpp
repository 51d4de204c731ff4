// Suspension geometry: where the hub sits for a travel, and the axes, for
// the sliding types and the two linkages.
#include <gtest/gtest.h>

#include <cmath>

#include "physics_fixture.h"

namespace {

float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
float AcrossLength(float x, float z) { return std::sqrt(x * x + z * z); }

class SuspensionTest : public PhysicsTest {};

// A sliding wheel moves its hub along the travel axis; a bent travel
// (travel loss) counts as compression. The fixed type ignores both.
TEST_F(SuspensionTest, SlidingTypesMoveAlongTheTravelAxis)
{
    struct Case {
        int type;
        float travel, loss;
        Vec3 expected;
    };
    const Vec3 axis = {0.1f, -0.2f, 0.9746794f};  // a strut leaning in and back
    const Case cases[] = {
        {1, 0, 0, {0.7f, 1.3f, 0.12f}},
        {2, 0.05f, 0, {0.7f + 0.005f, 1.3f - 0.01f, 0.12f + 0.05f * 0.9746794f}},
        {5, 0, 0.02f, {0.7f + 0.002f, 1.3f - 0.004f, 0.12f + 0.02f * 0.9746794f}},
        {0, 0.05f, 0.02f, {0.7f, 1.3f, 0.12f}},
    };
    for (const Case& c : cases) {
        Wheel wheel;
        InitWheel(wheel);
        Axle axle;
        wheel.suspensionType = c.type;
        wheel.mountPosition = {0.7f, 1.3f, 0.4f};
        wheel.mountHeight = 0.12f;
        wheel.travelAxis = axis;
        wheel.travel = c.travel;
        wheel.travelLoss = c.loss;
        UpdateSuspensionGeometry(wheel, axle);
        EXPECT_NEAR(wheel.hubPoint.x, c.expected.x, 1e-6f) << "type " << c.type;
        EXPECT_NEAR(wheel.hubPoint.y, c.expected.y, 1e-6f) << "type " << c.type;
        EXPECT_NEAR(wheel.hubPoint.z, c.expected.z, 1e-6f) << "type " << c.type;
    }
}

// A linkage on one side of a car: arm pivot B, upper link pivot A (double
// wishbone) or the strut's top C (swing arm), x already times the side.
struct Linkage {
    Wheel wheel;
    Axle axle;

    Linkage(int type, float side)
    {
        InitWheel(wheel);
        axle.armLength = 0.35f;
        axle.upperLinkLength = 0.28f;
        axle.kingpinHalfLength = 0.15f;
        axle.casterAngle = 0.1f;
        axle.tyreRadius = 0.31f;
        axle.wheelOffset = 0.03f;
        wheel.suspensionType = type;
        wheel.side = side;
        wheel.mountPosition = {side * 0.75f, 1.2f, 0.1f};
        wheel.mountHeight = 0.1f;
        wheel.pivotB = {side * 0.32f, 1.2f, 0.02f};
        wheel.pivotA = {side * 0.40f, 1.2f, 0.33f};
        wheel.pivotC = {side * 0.55f, 1.1f, 0.62f};
        const Vec3& second = type == 3 ? wheel.pivotC : wheel.pivotA;
        wheel.linkVector = {second.x - wheel.pivotB.x, 0, second.z - wheel.pivotB.z};
        // Spin parts at a small negative camber (the setup's arm direction).
        const float a = (1.5707963f - 0.02f) * side;
        wheel.armDirection = {std::cos(a), std::sin(a)};
        wheel.restArmAngle = 0.05f;
        wheel.spinAxis = {side, 0, 0};
        wheel.steerAxis = {0, 0, 1};
        wheel.travelAxis = {0, 0, 1};
    }
    void At(float travel)
    {
        wheel.travel = travel;
        UpdateSuspensionGeometry(wheel, axle);
    }
    // The wheel centre in the cross plane.
    Vec3 Centre() const { return wheel.hubPoint + wheel.hubOffset; }
};

// Over the whole travel the linkage keeps its lengths: the arm's end stays
// at arm length from its pivot, the upper end at the upper link's length
// from its pivot, the upright keeps its length, and the wheel centre moves
// along the travel axis (perpendicular to the line from the instant
// centre). The left wheel is the mirror image of the right.
TEST_F(SuspensionTest, LinkagesKeepTheirLengthsAndMoveAlongTheTravelAxis)
{
    for (int type : {3, 4}) {
        for (float travel : {-0.02f, 0.0f, 0.04f, 0.09f}) {
            Linkage right(type, 1), left(type, -1);
            right.At(travel);
            left.At(travel);
            const Wheel& w = right.wheel;
            const float k = right.axle.kingpinHalfLength;
            SCOPED_TRACE(testing::Message() << "type " << type << " travel " << travel);
            EXPECT_NEAR(Length(w.steerAxis), 1, 1e-5f);
            EXPECT_NEAR(Length(w.spinAxis), 1, 1e-5f);
            const Vec3 lower = w.hubPoint - k * w.steerAxis;
            EXPECT_NEAR(AcrossLength(lower.x - w.pivotB.x, lower.z - w.pivotB.z), right.axle.armLength, 1e-5f);
            if (type == 4) {
                const Vec3 upper = w.hubPoint + k * w.steerAxis;
                EXPECT_NEAR(AcrossLength(upper.x - w.pivotA.x, upper.z - w.pivotA.z), right.axle.upperLinkLength,
                            1e-5f);
                EXPECT_NEAR(Length(upper - lower), 2 * k, 1e-5f);
                EXPECT_NEAR(lower.y - w.mountPosition.y, k * std::sin(right.axle.casterAngle), 1e-6f);
            } else {
                // The strut runs from the arm's end through its top point.
                const Vec3 toTop = w.pivotC - lower;
                EXPECT_NEAR(Dot(toTop, w.steerAxis), Length(toTop), 1e-5f);
                EXPECT_NEAR(lower.y, w.mountPosition.y, 1e-6f);
            }
            // The spin axis keeps its angle to the upright (the camber set).
            const float upright = AcrossLength(w.steerAxis.x, w.steerAxis.z);
            EXPECT_NEAR((w.spinAxis.x * w.steerAxis.x + w.spinAxis.z * w.steerAxis.z) / upright, std::sin(0.02f),
                        1e-5f);

            // The wheel centre's motion for a small change of travel.
            Linkage before(type, 1), after(type, 1);
            before.At(travel - 0.0005f);
            after.At(travel + 0.0005f);
            const Vec3 motion = after.Centre() - before.Centre();
            const float across = AcrossLength(motion.x, motion.z);
            ASSERT_GT(across, 0);
            EXPECT_EQ(w.travelAxis.y, 0);
            EXPECT_GT((motion.x * w.travelAxis.x + motion.z * w.travelAxis.z) / across, 0.9995f);

            const Wheel& m = left.wheel;
            EXPECT_NEAR(m.hubPoint.x, -w.hubPoint.x, 1e-5f);
            EXPECT_NEAR(m.hubPoint.z, w.hubPoint.z, 1e-5f);
            EXPECT_NEAR(m.spinAxis.x, w.spinAxis.x, 1e-5f);
            EXPECT_NEAR(m.spinAxis.z, -w.spinAxis.z, 1e-5f);
            EXPECT_NEAR(m.travelAxis.x, -w.travelAxis.x, 1e-5f);
            EXPECT_NEAR(m.travelAxis.z, w.travelAxis.z, 1e-5f);
            EXPECT_NEAR(m.hubOffset.x, -w.hubOffset.x, 1e-5f);
            EXPECT_NEAR(m.hubOffset.z, w.hubOffset.z, 1e-5f);
        }
    }
}

// Travel lost to a bent suspension places the hub as that much travel would.
TEST_F(SuspensionTest, TravelLossCountsAsTravel)
{
    for (int type : {3, 4}) {
        Linkage bent(type, 1), compressed(type, 1);
        bent.wheel.travelLoss = 0.015f;
        bent.At(0.02f);
        compressed.At(0.035f);
        EXPECT_NEAR(bent.wheel.hubPoint.x, compressed.wheel.hubPoint.x, 1e-6f) << type;
        EXPECT_NEAR(bent.wheel.hubPoint.z, compressed.wheel.hubPoint.z, 1e-6f) << type;
    }
}

// Links that cannot meet (an upper link too short to reach the upright, or
// an arm bent to nothing) leave the last hub point and axes as they were.
TEST_F(SuspensionTest, LinksThatCannotMeetKeepThePreviousGeometry)
{
    struct Case {
        int type;
        float upperLinkLength, armLoss;
    };
    for (const Case& c : {Case{4, 0.05f, 0}, Case{4, 2.0f, 0}, Case{3, 0.28f, 0.35f}}) {
        Linkage linkage(c.type, -1);
        linkage.At(0.03f);
        const Wheel before = linkage.wheel;
        linkage.axle.upperLinkLength = c.upperLinkLength;
        linkage.wheel.armLoss = c.armLoss;
        linkage.At(0.05f);
        const Wheel& w = linkage.wheel;
        EXPECT_EQ(w.hubPoint, before.hubPoint) << c.type;
        EXPECT_EQ(w.steerAxis, before.steerAxis);
        EXPECT_EQ(w.spinAxis, before.spinAxis);
        EXPECT_EQ(w.travelAxis, before.travelAxis);
        EXPECT_EQ(w.hubOffset, before.hubOffset);
    }
}

} // namespace
