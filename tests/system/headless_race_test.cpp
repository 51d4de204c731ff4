// The headless race program: a race of 20 robot cars run through the
// session gives the same trace (every car's state every 100 steps, the
// cars' laps and times, the results) on every run and whatever the length
// of the frames, and the cars drive off the grid through both gear roads
// of the car's own step: the automatic gearbox and the shift words.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "game_folder_fixture.h"

namespace {

constexpr const char* Cars = "20";
constexpr const char* Laps = "2";
constexpr const char* Seconds = "15";

class HeadlessRaceTest : public GameFolderTest {
protected:
    ProcessResult Run(const char* frameMs)
    {
        return RunProcess(QV_HEADLESS_RACE, {folder.Path(), frameMs, Cars, Laps, Seconds}, folder.Path());
    }
};

// The highest gear each car reached in the trace.
std::map<int, int> HighestGears(const std::string& trace)
{
    std::map<int, int> highest;
    std::istringstream lines(trace);
    std::string line;
    while (std::getline(lines, line)) {
        int car = 0, gear = 0;
        const size_t at = line.find(" gear ");
        if (line.rfind(" car ", 0) != 0 || at == std::string::npos || line.find(" pos ") == std::string::npos)
            continue;
        car = std::stoi(line.substr(5));
        gear = std::stoi(line.substr(at + 6));
        highest[car] = std::max(highest[car], gear);
    }
    return highest;
}

TEST_F(HeadlessRaceTest, SameTraceOnEveryRunAndFrameLength)
{
    const ProcessResult reference = Run("16");
    ASSERT_NE(reference.exitCode, 2) << reference.output;
    ASSERT_NE(reference.exitCode, -1) << reference.output;
    // 1500 steps traced every 100 steps, the first at step 0.
    EXPECT_NE(reference.output.find("step 1500\n"), std::string::npos);
    for (const char* frameMs : {"16", "16", "1", "250"}) {
        const ProcessResult again = Run(frameMs);
        EXPECT_EQ(again.exitCode, reference.exitCode) << frameMs << " ms frames";
        EXPECT_TRUE(again.output == reference.output) << frameMs << " ms frames give another race";
    }
}

TEST_F(HeadlessRaceTest, EveryCarLeavesTheGridThroughItsGearbox)
{
    const ProcessResult result = Run("16");
    ASSERT_NE(result.exitCode, 2) << result.output;
    const std::map<int, int> highest = HighestGears(result.output);
    ASSERT_EQ(highest.size(), 20u);
    // Gear 1 is neutral, 2 first: even cars have the automatic gearbox, odd
    // ones shift with the shift words. Every car has left neutral; the
    // front row, with free road ahead, has shifted up to third at least.
    for (const auto& [car, gear] : highest)
        EXPECT_GE(gear, car < 4 ? 4 : 2) << "car " << car << (car % 2 == 0 ? " (automatic)" : " (shift words)");
}

} // namespace
