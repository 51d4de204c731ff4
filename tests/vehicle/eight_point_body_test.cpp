// Eight-point bodies and skeleton poses: construction, snapshots and blends.
#include "physics_fixture.h"

#include <cmath>

namespace {

using EightPointBodyTest = PhysicsTest;

TEST_F(EightPointBodyTest, NodeIsAnEightPointBodyWithItsMaterial)
{
    ObjectBodySet set;
    CreateObjectBodyNodes(set, 3);
    ASSERT_EQ(set.nodeCount, 3);
    const ObjectBody& node = set.nodes[1];
    EXPECT_EQ(node.BodyKind(), 2);
    EXPECT_EQ(node.pointCount, ObjectBodyPointCount);
    EXPECT_EQ(node.faceCount, 0);
    EXPECT_EQ(node.faces, nullptr);
    EXPECT_EQ(node.movable, 1);
    EXPECT_EQ(node.awake, 1);
    EXPECT_EQ(node.stiffness, 18000.0f);
    EXPECT_EQ(node.friction, 0.5f);
    EXPECT_EQ(node.damping, 250.0f);
    FreeObjectBodySet(set);
    // A second free finds nothing left.
    FreeObjectBodySet(set);
    EXPECT_EQ(set.nodes, nullptr);
    EXPECT_EQ(set.nodeCount, 0);
}

class PoseTest : public EightPointBodyTest {
protected:
    void SetUp() override
    {
        EightPointBodyTest::SetUp();
        CreateObjectBodyNodes(set, 2);
        for (int i = 0; i < 2; ++i) {
            AxisAngleMatrix(set.nodes[i].rotation, Vec3{0, 0, 1}, 0.4f * float(i + 1));
            set.nodes[i].position = MakeFixedVector(65536 * (i + 1), -12345, 7);
        }
    }
    void TearDown() override
    {
        FreeObjectBodySet(set);
        EightPointBodyTest::TearDown();
    }
    ObjectBodySet set;
};

// Storing a pose rounds the rotation to 16.16; restoring and storing again
// gives the same bits.
TEST_F(PoseTest, SnapshotRestoreRoundTrip)
{
    ObjectState* first = SnapshotObjects(set);
    set.nodes[0].position = {};
    set.nodes[1].rotation = {};
    RestoreObjectStates(set, first);
    ObjectState second[2];
    StoreObjectStates(set, second);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(second[i].rotation, first[i].rotation);
        EXPECT_EQ(second[i].position, first[i].position);
    }
    EXPECT_NEAR(set.nodes[1].rotation.m[0], std::cos(0.8f), 1.0f / 65536);
    delete[] first;
}

TEST_F(PoseTest, BlendOfTwoPoses)
{
    ObjectState a[2], b[2];
    StoreObjectStates(set, a);
    // Pose b: both nodes turned 90 degrees from pose a, and moved.
    for (int i = 0; i < 2; ++i) {
        b[i] = a[i];
        SetMatrix(b[i].rotation, 0, -65536, 0, 65536, 0, 0, 0, 0, 65536);
        SetMatrix(a[i].rotation, 65536, 0, 0, 0, 65536, 0, 0, 0, 65536);
        b[i].position = a[i].position + MakeFixedVector(1001, -3, 0);
    }
    InterpolateObjectStates(set, a, b, 0.0f);
    EXPECT_EQ(set.nodes[0].rotation.m[0], 1.0f);
    EXPECT_EQ(set.nodes[0].position, a[0].position);
    InterpolateObjectStates(set, a, b, 1.0f);
    EXPECT_EQ(set.nodes[1].rotation.m[1], -1.0f);
    EXPECT_EQ(set.nodes[1].position, b[1].position);
    // Halfway the rows are cos 45 degrees long: blended entry by entry and
    // left unnormalised. Positions round halves to even: x + 500.5 gives
    // x + 500 and -12345 - 1.5 gives -12346.
    InterpolateObjectStates(set, a, b, 0.5f);
    const FloatMatrix& r = set.nodes[0].rotation;
    EXPECT_NEAR(std::sqrt(r.m[0] * r.m[0] + r.m[1] * r.m[1]), std::sqrt(0.5), 1e-6);
    EXPECT_EQ(set.nodes[0].position.x.raw, a[0].position.x.raw + 500);
    EXPECT_EQ(set.nodes[0].position.y.raw, a[0].position.y.raw - 1);
}

TEST_F(EightPointBodyTest, EmptySetDoesNothing)
{
    ObjectBodySet set;
    ObjectState* states = SnapshotObjects(set);
    EXPECT_NE(states, nullptr);
    RestoreObjectStates(set, states);
    InterpolateObjectStates(set, states, states, 0.5f);
    delete[] states;
    FreeObjectBodySet(set);
}

}  // namespace
