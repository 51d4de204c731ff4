// The running order from synthetic car states on a path of 100 nodes whose
// finish line is node 10 and first checkpoint node 40 (so a car more than
// 65 nodes past the line counts as still behind it).
#include "race_fixture.h"

#include <optional>

namespace {

constexpr int Nodes = 100, Finish = 10, Checkpoint = 40;

struct OrderCase {
    const char* what;
    std::vector<std::optional<CarState>> cars;  // by slot; nullopt: no car yet
    std::vector<int> confirmedIds;              // result rows confirmed, in table order
    std::vector<int> expected;
};

CarState At(int laps, int node, int timingState = 3)
{
    CarState s;
    s.laps = laps;
    s.node = node;
    s.timingState = timingState;
    return s;
}

using RunningOrderTest = RaceTest;

TEST_F(RunningOrderTest, TableOfCarStates)
{
    const OrderCase cases[] = {
        {"laps first, then distance past the line", {At(2, 20), At(3, 11), At(2, 60)}, {}, {1, 2, 0}},
        {"a car on the grid behind the line ranks behind one that crossed it",
         {At(0, 95, 2), At(0, 12, 2), At(0, 95, 1)}, {}, {2, 1, 0}},
        {"just before the line is nearly a lap on", {At(1, 50), At(1, 5)}, {}, {1, 0}},
        {"equal cars keep slot order", {At(1, 30), At(1, 30), At(1, 30), At(2, 30)}, {}, {3, 0, 1, 2}},
        {"a slot without a car is left out", {At(1, 30), std::nullopt, At(1, 31)}, {}, {2, 0}},
        {"a car without a path position counts from the line", {At(1, -1), At(1, 11)}, {}, {1, 0}},
        {"confirmed finishers lead in results order", {At(5, 20), At(4, 90), At(5, 12), At(6, 50)}, {3, 1}, {2, 0, 3, 1}},
    };
    for (const OrderCase& c : cases) {
        RemoveAllPlayers(race);
        InitRace(race);
        for (size_t i = 0; i < c.cars.size(); ++i) {
            AddPlayer("P");
            if (c.cars[i])
                GiveCar(int(i), *c.cars[i]);
        }
        for (int id : c.confirmedIds) {
            RaceResult& row = race.results[race.resultCount++];
            row.playerId = static_cast<uint8_t>(id);
            row.flags = ResultConfirmed;
        }
        // An unconfirmed row does not lead.
        race.results[race.resultCount++].playerId = 1;
        BuildRunningOrder(race, Nodes, Finish, Checkpoint);
        EXPECT_EQ(Order(), c.expected) << c.what;
    }
}

TEST_F(RunningOrderTest, NothingWithoutARaceOnAPath)
{
    AddPlayer("P");
    GiveCar(0, At(1, 20));
    race.orderLength = 0;
    MutableSession.race = &race;
    SetRacePhase(1);
    UpdateRunningOrder(race);  // no world, so no path
    EXPECT_EQ(race.orderLength, 0);
    MutableSession.race = nullptr;
    EXPECT_EQ(IsRaceSession(), 0);
}

} // namespace
