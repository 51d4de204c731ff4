// A small world for the AI driver tests: a ring of path nodes, knowledge
// along its centre line, a car and a driver placed on it, and the race as
// the driver sees it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "session/ai_driver_record.h"
#include "session/local.h"

// The simulation's random value as a test drives it.
inline uint16_t TestRandom = 0;
inline uint16_t DrawTestRandom()
{
    TestRandom = uint16_t(TestRandom * 5 + 1);
    return TestRandom;
}

// A closed ring of nodes round the origin (radius m, road edges at +-6 m)
// with the finish line at node 0.
inline void MakeRing(Path& path, int count, float radius)
{
    InitPath(path);
    path.flags = PathClosedLoop | PathRacing;
    path.nodes.resize(size_t(count));
    path.nodeCount = count;
    for (int i = 0; i < count; i++) {
        double s = 0, c = 0;
        ComputeSinCos(2 * 3.14159265358979 * i / count, s, c);
        PathNode& node = path.nodes[size_t(i)];
        node.centre = {FixedFromMetres(radius * c), FixedFromMetres(radius * s), Fixed(0)};
        node.direction = {float(-s), float(c), 0};
        node.leftEdge = -6;
        node.rightEdge = 6;
        node.leftLimit = -10;
        node.rightLimit = 10;
    }
    path.timingNodes[0] = 0;
}

// The driver's knowledge along the ring's centre line.
inline void FollowCentreLine(AiKnowledge& knowledge, const Path& path, float speed)
{
    AllocKnowledgeNodes(knowledge, path.nodeCount);
    for (int i = 0; i < path.nodeCount; i++) {
        KnowledgeNode& node = knowledge.nodes[size_t(i)];
        const PathNode& road = path.nodes[size_t(i)];
        node.x = road.centre.x;
        node.y = road.centre.y;
        node.z = road.centre.z;
        node.dir = road.direction;
        node.speed = speed;
        const Vec3 next = OffsetFromFixed(path.nodes[size_t((i + 1) % path.nodeCount)].centre - road.centre);
        node.length = std::sqrt(next.x * next.x + next.y * next.y);
    }
}

class AiDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetVehicleTables();
        ResetSessionTables();
        TestRandom = 0;
        ConstructCar(car);
        car.mass = 1500;
        MakeRing(path, 64, 100);
        view.pathWorld.loaded = 1;
        view.pathWorld.currentPath = &path;
        view.pathWorld.configuration = 1;
        view.configuration = 1;
        view.drawRandom = DrawTestRandom;
        ai.reset(CreateAiDriver(car, 4));
        ResetAiDriver(*ai, AiStartGrid, DrawTestRandom);
    }
    void TearDown() override
    {
        FreeAiDriver(ai.release());
        DestroyCar(car);
        FreePath(path);
    }

    // The driver as one placed on the ring's line at node 0.
    void PlaceOnLine(float speed = 30)
    {
        FollowCentreLine(ai->mainKnowledge, path, speed);
        ai->knowledgeConfig = view.configuration;
        ai->knowledgeReversed = view.reversed;
        ai->knowledgeNodes = path.nodeCount;
        ai->follower.position = 0;
        ai->follower.path = &path;
        const PathNode& start = path.nodes[0];
        car.position = start.centre + FixedFromOffset({start.direction.x * 0.5f, start.direction.y * 0.5f, 0});
    }

    struct FreeDriver {
        void operator()(AiDriver* driver) const { FreeAiDriver(driver); }
    };
    CarObject car;
    Path path;
    AiRaceView view;
    std::unique_ptr<AiDriver, FreeDriver> ai;
};

