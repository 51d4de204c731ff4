// The active body set and the physics step: membership rules, collisions
// between bodies, sleeping scenery bodies, dropping bodies that left the
// world, slipstream geometry and the independence of the frame split.
#include "physics_fixture.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <vector>

using testing_bodies::BoxSpec;
using testing_bodies::Metres;

namespace {

constexpr double Dt = 0.01;
const FloatMatrix Identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}};

// Counts what the step tells the world about scenery bodies.
class CountingSurroundings final : public BodySurroundings {
public:
    bool worldLoaded = false;
    float gravity = -9.81f;
    int rested = 0, knocked = 0;

    bool IsWorldLoaded() const override { return worldLoaded; }
    float Gravity() const override { return gravity; }
    void OnOwnerResting(RigidBody&) override { ++rested; }
    void OnOwnerKnocked(RigidBody&) override { ++knocked; }
};

class ObjectSetTest : public PhysicsTest {
protected:
    void SetUp() override
    {
        PhysicsTest::SetUp();
        SetBodySurroundings(&surroundings);
    }
    CountingSurroundings surroundings;
};

TEST_F(ObjectSetTest, MembershipKeepsOrderAndCapacity)
{
    std::unique_ptr<OwnedBox[]> owned(new OwnedBox[MaxObjectSetBodies + 1]);
    OwnedBox* boxes = owned.get();
    ObjectSet set;
    for (int i = 0; i < MaxObjectSetBodies; ++i)
        ASSERT_TRUE(AddToObjectSet(set, boxes[i].body));
    EXPECT_FALSE(AddToObjectSet(set, boxes[MaxObjectSetBodies].body));
    EXPECT_EQ(set.count, MaxObjectSetBodies);

    // Removing keeps the order of the others.
    ASSERT_TRUE(RemoveFromObjectSet(set, boxes[1].body));
    EXPECT_FALSE(RemoveFromObjectSet(set, boxes[1].body));
    EXPECT_EQ(set.members[0], &boxes[0].body);
    EXPECT_EQ(set.members[1], &boxes[2].body);
    EXPECT_EQ(set.members[MaxObjectSetBodies - 2], &boxes[MaxObjectSetBodies - 1].body);
    EXPECT_EQ(set.members[MaxObjectSetBodies - 1], nullptr);

    // A member is never woken twice; a newcomer is prepared as it joins.
    EXPECT_FALSE(WakeObject(set, boxes[0].body));
    boxes[1].body.velocity = {1, 0, 0};
    ASSERT_TRUE(WakeObject(set, boxes[1].body));
    EXPECT_EQ(set.members[MaxObjectSetBodies - 1], &boxes[1].body);
    EXPECT_EQ(boxes[1].body.predictedPosition.x.raw, 655);  // 0.01 s at 1 m/s

    // The first refusal of a full set is reported, then no more until the
    // contact stage of a step that begins with 32 or fewer members re-arms it.
    set.reportOverflow = 1;
    EXPECT_FALSE(WakeObject(set, boxes[MaxObjectSetBodies].body));
    EXPECT_EQ(set.reportOverflow, 0);
    EXPECT_FALSE(WakeObject(set, boxes[MaxObjectSetBodies].body));
    EXPECT_EQ(set.reportOverflow, 0);

    ObjectSet small;
    for (int i = 0; i < 33; ++i)
        AddToObjectSet(small, boxes[i].body);
    UpdatePhysicsObjects(small, 0);
    EXPECT_EQ(small.reportOverflow, 0);
    RemoveFromObjectSet(small, boxes[0].body);
    UpdatePhysicsObjects(small, 0);
    EXPECT_EQ(small.reportOverflow, 1);

    ClearObjectSet(set);
    EXPECT_EQ(set.count, 0);
    EXPECT_EQ(set.members[0], nullptr);
}

// Bodies leave the set when they sleep, and plain bodies when they leave
// the heights of the world: -20 m to 80 m, both ends included.
TEST_F(ObjectSetTest, DropsBodiesOutsideTheWorldsHeights)
{
    surroundings.gravity = 0;
    struct Case {
        std::int32_t z;
        bool stays;
    };
    const Case cases[] = {{5242880, true}, {5242881, false}, {-1310720, true}, {-1310721, false}};
    for (const Case& c : cases) {
        OwnedBox box;
        testing_bodies::PlaceBody(box.body, MakeFixedVector(0, 0, c.z), Identity);
        ObjectSet set;
        AddToObjectSet(set, box.body);
        UpdatePhysicsObjects(set, 0);
        EXPECT_EQ(set.count, c.stays ? 1 : 0) << c.z;
    }
    OwnedBox asleep;
    testing_bodies::PlaceBody(asleep.body, Metres(0, 0, 10), Identity);
    asleep.body.awake = 0;
    ObjectSet set;
    AddToObjectSet(set, asleep.body);
    UpdatePhysicsObjects(set, 0);
    EXPECT_EQ(set.count, 0);
}

// A scenery body (one with an owner) sleeps as soon as it is slower than
// 0.02 m/s at the end of a step and is handed back to the world; a touch
// that moves it wakes it and takes it out of the world's cells again.
TEST_F(ObjectSetTest, SceneryBodiesSleepAndWake)
{
    OwnedBox box;
    WorldObject* owner = reinterpret_cast<WorldObject*>(&surroundings);
    box.body.owner = owner;
    testing_bodies::PlaceBody(box.body, MakeFixedVector(0, 0, 32768 + 1), Identity);
    ObjectSet set;
    AddToObjectSet(set, box.body);
    int steps = 0;
    while (set.count > 0 && steps < 300) {
        UpdatePhysicsObjects(set, 0);
        ++steps;
        if (set.count > 0) {
            ASSERT_GT(LengthSquared(box.body.velocity), 0.0004f) << "awake though resting, step " << steps;
        }
    }
    EXPECT_EQ(box.body.awake, 0);
    EXPECT_EQ(surroundings.rested, 1);
    EXPECT_EQ(surroundings.knocked, 0);
    EXPECT_EQ(box.body.velocity, Vec3{});
    EXPECT_EQ(box.body.angularMomentum, Vec3{});

    // Touched while asleep: the prepare step and the force sums run, and a
    // push that leaves it moving wakes it.
    box.body.touched = 1;
    box.body.impulse = {500.0f, 0, 0};  // 0.5 m/s on 1000 kg
    ASSERT_TRUE(WakeObject(set, box.body));
    UpdatePhysicsObjects(set, 0);
    EXPECT_EQ(box.body.awake, 1);
    EXPECT_EQ(surroundings.knocked, 1);
    EXPECT_EQ(set.count, 1);
    // It moves from the next step on, as a member.
    EXPECT_EQ(box.body.position.x.raw, 0);
    UpdatePhysicsObjects(set, 0);
    EXPECT_GT(box.body.position.x.raw, 0);
}

// With gravity off, the momentum of two colliding bodies changes only by
// the drag impulses, each -|v| v dt from the velocity at the start of its
// step. Contact impulses on the other body are collected and applied at
// its next prepare step, so the pending ones count as momentum already.
TEST_F(ObjectSetTest, CollisionConservesMomentumUpToTheDrag)
{
    surroundings.worldLoaded = true;
    surroundings.gravity = 0;
    BoxSpec heavy, light;
    heavy.mass = 1000.0f;
    light.mass = 400.0f;
    light.halfX = light.halfY = light.halfZ = 0.3f;
    OwnedBox a(heavy), b(light);
    testing_bodies::PlaceBody(a.body, Metres(-1.0, 0, 20), Identity);
    testing_bodies::PlaceBody(b.body, Metres(1.0, 0.25, 20.1), Identity);
    a.body.velocity = {3.0f, 0, 0};
    b.body.velocity = {-2.0f, 0.5f, 0};
    ObjectSet set;
    AddToObjectSet(set, a.body);
    AddToObjectSet(set, b.body);
    SetCurrentObjectSet(&set);

    auto momentum = [](const RigidBody& body, int axis) {
        const float* v = &body.velocity.x;
        const float* j = &body.impulse.x;
        return double(body.mass) * v[axis] + j[axis];
    };
    double expected[3], scale = 0;
    for (int axis = 0; axis < 3; ++axis)
        expected[axis] = momentum(a.body, axis) + momentum(b.body, axis);
    scale = a.body.mass * 3.0 + b.body.mass * 2.1;
    bool collided = false;
    int contactSubSteps = 0;
    for (int step = 0; step < 100; ++step) {
        for (const RigidBody* body : {&a.body, &b.body}) {
            Vec3 v = body->velocity + (1.0f / body->mass) * body->impulse;
            double speed = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
            expected[0] -= speed * v.x * Dt;
            expected[1] -= speed * v.y * Dt;
            expected[2] -= speed * v.z * Dt;
        }
        UpdatePhysicsObjects(set, 0);
        bool touching = false;
        for (int i = 0; i < a.body.pointCount; ++i)
            touching = touching || a.body.points[i].state || b.body.points[i].state;
        collided = collided || touching;
        contactSubSteps += touching ? 20 : 0;
        // Each sub-step's velocity update rounds to half an ulp of each
        // body's momentum; a few float operations per contact force.
        double tolerance = (contactSubSteps + 20.0 * (step + 1)) * 8 * std::ldexp(scale, -24);
        for (int axis = 0; axis < 3; ++axis)
            ASSERT_NEAR(momentum(a.body, axis) + momentum(b.body, axis), expected[axis], tolerance)
                << "step " << step << " axis " << axis;
    }
    EXPECT_TRUE(collided);
    // They really bounced apart.
    EXPECT_LT(a.body.velocity.x, b.body.velocity.x + 1e-3f);
}

// Without a loaded world nothing collides with anything but the ground.
TEST_F(ObjectSetTest, NoBodyCollisionsWithoutAWorld)
{
    surroundings.gravity = 0;
    OwnedBox a, b;
    testing_bodies::PlaceBody(a.body, Metres(-0.8, 0, 20), Identity);
    testing_bodies::PlaceBody(b.body, Metres(0.8, 0, 20), Identity);
    a.body.velocity = {2.0f, 0, 0};
    b.body.velocity = {-2.0f, 0, 0};
    ObjectSet set;
    AddToObjectSet(set, a.body);
    AddToObjectSet(set, b.body);
    SetCurrentObjectSet(&set);
    for (int step = 0; step < 100; ++step)
        UpdatePhysicsObjects(set, 0);
    EXPECT_GT(a.body.position.x.raw, b.body.position.x.raw);
}

TEST_F(ObjectSetTest, WakingByTouchAndTheRestTest)
{
    OwnedBox member, near, far;
    testing_bodies::PlaceBody(member.body, Metres(0, 0, 5), Identity);
    testing_bodies::PlaceBody(near.body, Metres(0.9, 0, 5), Identity);
    testing_bodies::PlaceBody(far.body, Metres(3, 0, 5), Identity);
    for (RigidBody* body : {&member.body, &near.body, &far.body})
        body->PrepareBody(0.01f);
    near.body.awake = far.body.awake = 0;
    ObjectSet set;
    AddToObjectSet(set, member.body);
    EXPECT_FALSE(WakeIfTouching(set, member.body, far.body));
    EXPECT_TRUE(WakeIfTouching(set, member.body, near.body));
    EXPECT_FALSE(WakeIfTouching(set, member.body, near.body));  // already a member
    EXPECT_EQ(set.count, 2);
    // near is asleep: it does not count against member's rest, but member
    // counts against near's.
    EXPECT_TRUE(IsClearOfAwakeBodies(set, member.body));
    EXPECT_FALSE(IsClearOfAwakeBodies(set, near.body));
    EXPECT_TRUE(IsClearOfAwakeBodies(set, far.body));
}

TEST_F(ObjectSetTest, SlipstreamDepthFollowsTheWakeEllipse)
{
    CarWake wake;
    wake.trailing = {0, -1, 0};  // leader heading +y, wake behind it
    wake.halfWidth = 2.0f;
    wake.farEnd = 20.0f;
    wake.nearEnd = -4.0f;
    FixedVector leader = Metres(100, 50, 0);
    struct Case {
        const char* what;
        double dx, dy;  // follower from leader, m
        float expected;
    };
    const Case cases[] = {
        {"right behind, 10 m", 0, -10, 0.75f},
        {"behind and aside", 1, -10, 0.5f},
        {"alongside, 2 m ahead", 0, 2, 0.75f},
        {"at the far end", 0, -20, 0.0f},
        {"beyond the half width", 2.5, -5, 0.0f},
        {"on the leader", 0, 0, 1.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(SlipstreamDepth(wake, leader, leader + Metres(c.dx, c.dy, 0)), c.expected, 1e-4f) << c.what;
    // A wake pointing steeply up or down is no wake.
    wake.trailing = {0, -0.8f, -0.6f};
    EXPECT_EQ(SlipstreamDepth(wake, leader, leader + Metres(0, -5, 0)), 0.0f);
}

// A scene of tumbling boxes that land, collide and slide.
struct Scene {
    static constexpr int Count = 6;
    OwnedBox boxes[Count];
    ObjectSet set;

    Scene()
    {
        for (int i = 0; i < Count; ++i) {
            FloatMatrix turn;
            AxisAngleMatrix(turn, Vec3{0.6f, 0.0f, 0.8f}, 0.3f * float(i));
            testing_bodies::PlaceBody(boxes[i].body, Metres(0.7 * i, 0.3 * (i % 2), 1.0 + 0.9 * i), turn);
            boxes[i].body.velocity = {float(i % 3) - 1.0f, 0.5f, 0};
            boxes[i].body.angularMomentum = {100.0f * float(i), -50.0f, 30.0f};
            AddToObjectSet(set, boxes[i].body);
        }
    }

    // The state of every body, bit for bit.
    std::vector<std::uint32_t> State() const
    {
        std::vector<std::uint32_t> words;
        auto add = [&](const void* data, std::size_t size) {
            std::size_t at = words.size();
            words.resize(at + size / 4);
            std::memcpy(&words[at], data, size);
        };
        for (const OwnedBox& box : boxes) {
            add(&box.body.position, sizeof box.body.position);
            add(&box.body.rotation, sizeof box.body.rotation);
            add(&box.body.velocity, sizeof box.body.velocity);
            add(&box.body.angularMomentum, sizeof box.body.angularMomentum);
        }
        return words;
    }
};

// Steps run while the game clock is ahead, frame by frame as a race frame
// runs them; the last step of a frame is flagged as drawn after.
std::vector<std::uint32_t> RunWithFrames(int frameMs, int totalMs)
{
    Scene scene;
    SetCurrentObjectSet(&scene.set);
    int steps = 0;
    for (int clock = frameMs; steps < totalMs / 10; clock += frameMs) {
        int due = std::min(clock, totalMs) / 10 - steps;
        for (int i = 0; i < due; ++i)
            UpdatePhysicsObjects(scene.set, i + 1 < due ? 0 : (due == 1 ? 2 : 1));
        steps += due;
    }
    ClearCurrentObjectSet();
    return scene.State();
}

TEST_F(ObjectSetTest, FrameSplitDoesNotChangeTheResult)
{
    surroundings.worldLoaded = true;
    std::vector<std::uint32_t> reference = RunWithFrames(10, 3000);
    EXPECT_EQ(RunWithFrames(1, 3000), reference);
    EXPECT_EQ(RunWithFrames(16, 3000), reference);
    EXPECT_EQ(RunWithFrames(250, 3000), reference);
    // The scene did move and did settle somewhere else.
    Scene start;
    EXPECT_NE(start.State(), reference);
}

}  // namespace
