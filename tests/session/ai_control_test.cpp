// The AI in traffic on a ring: room checks along the line, passing a
// slower car on a side with room, following when there is none, following
// a close car that is not slower, and opposite passing wishes.
#include <gtest/gtest.h>

#include "ai_driver_fixture.h"

namespace {

// m/s of the AI car in these tests.
constexpr float OwnSpeed = 30;

class AiTrafficTest : public AiDriverTest {
protected:
    void SetUp() override
    {
        AiDriverTest::SetUp();
        PlaceOnLine(OwnSpeed);
        SetAiState(*ai, AiRacing);
        SetCarSize(car);
        car.velocity = Along(path.nodes[0], OwnSpeed);
        view.slotCount = 2;
        view.cars[0] = &car;
        ConstructCar(other);
        SetCarSize(other);
        other.follower = CreatePathFollower();
        view.cars[1] = &other;
    }
    void TearDown() override
    {
        FreePathFollower(other.follower);
        other.follower = nullptr;
        DestroyCar(other);
        AiDriverTest::TearDown();
    }

    static void SetCarSize(CarObject& c)
    {
        c.tuning.largerHalfWidth = 1;
        c.maxY = 2;
        c.minY = -2;
    }
    static Vec3 Along(const PathNode& node, float speed)
    {
        return {node.direction.x * speed, node.direction.y * speed, 0};
    }
    // The other car on the line at a node, moving at speed.
    void PutOther(int node, float speed)
    {
        const PathNode& at = path.nodes[size_t(node)];
        other.position = at.centre;
        other.velocity = Along(at, speed);
        other.follower->position = node;
        other.follower->path = &path;
    }
    void NarrowRoad(float halfWidth)
    {
        for (PathNode& node : path.nodes) {
            node.leftEdge = -halfWidth;
            node.rightEdge = halfWidth;
        }
    }

    CarObject other;
};

TEST_F(AiTrafficTest, RoomAlongTheLine)
{
    struct Case {
        const char* what;
        float offset, speed, seconds;
        int expected;
    };
    // Road edges at +-6 m, the car 1 m wide each side with 0.9 m kept.
    const Case cases[] = {
        {"on the line", 0, 30, 2, 2},
        {"the widest offset that fits", 4.1f, 30, 2, 2},
        {"an edge beyond the road", 4.2f, 30, 2, 1},
        {"the other side", -4.2f, 30, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AiCheckPassingRoom(*ai, path, 0, c.offset, c.speed, c.seconds), c.expected);
    }
    EXPECT_EQ(AiCheckLineClear(*ai, path, 0, 0, 30, 2), 3);
    // A narrowing 5 nodes ahead (about 49 m) is met within 2 s at 30 m/s,
    // not within 1 s.
    path.nodes[5].rightEdge = 2;
    EXPECT_EQ(AiCheckLineClear(*ai, path, 0, 1.5f, 30, 2), 1);
    EXPECT_EQ(AiCheckLineClear(*ai, path, 0, 1.5f, 30, 1), 3);
}

TEST_F(AiTrafficTest, ASlowerCarAheadIsPassedOnASideWithRoom)
{
    PutOther(1, 20);
    AiUpdateTraffic(*ai, view);
    EXPECT_EQ(ai->others[1].avoid, 1);
    EXPECT_FLOAT_EQ(ai->others[1].passOffset, 2.8f) << "the other car's offset plus (1 + 1) x 1.4";
    EXPECT_FLOAT_EQ(ai->lateralTarget, 2.8f);
    EXPECT_FLOAT_EQ(ai->lateralOffset, 0.08f) << "moving out at 0.08 m a step";
    EXPECT_EQ(ai->blocked, 0);
}

TEST_F(AiTrafficTest, ASlowerCarIsFollowedWhenNeitherSideHasRoom)
{
    NarrowRoad(3);
    PutOther(1, 20);
    AiUpdateTraffic(*ai, view);
    EXPECT_EQ(ai->others[1].avoid, 0);
    EXPECT_EQ(ai->blocked, 1);
    EXPECT_FLOAT_EQ(ai->speedCap, 17) << "its speed less 3 m/s";
    EXPECT_FLOAT_EQ(ai->followFactor, 1) << "already within the follow gap";
    EXPECT_FLOAT_EQ(ai->lateralTarget, 0);
}

TEST_F(AiTrafficTest, ACloseCarThatIsNotSlowerIsFollowedOnTheLine)
{
    PutOther(1, OwnSpeed);
    AiUpdateTraffic(*ai, view);
    EXPECT_FLOAT_EQ(ai->speedCap, OwnSpeed - 3);
    EXPECT_FLOAT_EQ(ai->followFactor, 1);
    EXPECT_EQ(ai->blocked, 0);
    EXPECT_FLOAT_EQ(ai->lateralTarget, 0) << "no change of line";
    EXPECT_EQ(ai->others[1].countdown, 0) << "judged again next step";
}

TEST_F(AiTrafficTest, CarsBehindOrFarAwayAreIgnoredForAWhile)
{
    struct Case {
        const char* what;
        int node;
        int countdown;
    };
    const Case cases[] = {
        {"behind", 63, 100},
        {"more than 100 m ahead", 12, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ai->others[1] = {};
        PutOther(c.node, 10);
        AiUpdateTraffic(*ai, view);
        EXPECT_EQ(ai->others[1].avoid, 0);
        EXPECT_EQ(ai->others[1].countdown, c.countdown);
        EXPECT_FLOAT_EQ(ai->speedCap, 200);
    }
}

TEST_F(AiTrafficTest, PassingWishesOnOppositeSidesBlock)
{
    view.slotCount = 3;
    view.cars[1] = view.cars[2] = nullptr;
    ai->others[1] = {1000, 1, 2.8f};
    ai->others[2] = {1000, 1, -2.8f};
    AiUpdateTraffic(*ai, view);
    EXPECT_EQ(ai->blocked, 1);
    EXPECT_FLOAT_EQ(ai->lateralTarget, 0) << "no offset is taken";
}

TEST_F(AiTrafficTest, AnOffsetThatLeavesTheRoadIsGivenUp)
{
    ai->lateralOffset = ai->lateralTarget = 3;
    path.nodes[3].rightEdge = 2;
    ai->others[1] = {1000, 1, 3};
    view.cars[1] = nullptr;
    AiUpdateTraffic(*ai, view);
    EXPECT_EQ(ai->offsetUnsafe, 1);
    EXPECT_EQ(ai->others[1].avoid, 0);
    EXPECT_FLOAT_EQ(ai->lateralOffset, 2.92f) << "back toward the line at 0.08 m a step";
}

// Held off the line by a car alongside while the offset leaves the road:
// the AI keeps the room the other car leaves it, and only the car behind
// gives way (to the other's speed less 3 m/s, never below a 5 m/s crawl),
// so that two cars side by side never stop each other.
TEST_F(AiTrafficTest, ACarAlongsideHoldsTheAiOffAndOnlyTheCarBehindGivesWay)
{
    struct Case {
        const char* what;
        float ahead;       // m, the other car's centre ahead of the AI's
        float speed;       // m/s, the other car's
        float speedCap;    // m/s, the AI's afterwards
    };
    const Case cases[] = {
        {"alongside and a metre ahead", 1, 20, 17},
        {"alongside, ahead and standing", 1, 0, 5},
        {"alongside and a metre behind", -1, 20, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ai->lateralOffset = ai->lateralTarget = 3;
        car.step.lateralOffset = 3;
        path.nodes[3].rightEdge = 2;
        ai->others[1] = {};
        ai->speedCap = 200;
        PutOther(0, c.speed);
        const Vec3 forward = AiForwardAxis(car);
        other.position = car.position + FixedFromOffset({forward.x * c.ahead, forward.y * c.ahead, 0});
        other.step.lateralOffset = 0;
        AiUpdateTraffic(*ai, view);
        EXPECT_EQ(ai->offsetUnsafe, 1);
        EXPECT_FLOAT_EQ(ai->lateralTarget, 2.8f) << "the other car's offset plus (1 + 1) x 1.4";
        EXPECT_FLOAT_EQ(ai->lateralOffset, 2.92f);
        EXPECT_EQ(ai->blocked, 1);
        EXPECT_FLOAT_EQ(ai->speedCap, c.speedCap);
    }
}

} // namespace
