// The AI driver's states and its writing of the input words: the grid and
// pit-lane waits, stuck cars, the end of a run, the pedal and steering rate
// limits; and its pit decisions and fuel planning against hand-worked
// figures.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ai_driver_fixture.h"

namespace {

uint16_t Word(const CarObject& car, int index) { return car.inputs.words[index]; }

// --- Writing the input words.

TEST_F(AiDriverTest, ThrottleAndBrakeAreNeverBothPressedAndMoveAtTheirRate)
{
    ai->throttleTarget = 1;
    AiApplyInputs(*ai, 0.01f);
    EXPECT_NEAR(Word(car, AiThrottleWord), 6553.5, 1) << "a tenth of the range per 10 ms";
    for (int i = 0; i < 20; i++)
        AiApplyInputs(*ai, 0.01f);
    EXPECT_EQ(Word(car, AiThrottleWord), 65535);

    ai->throttleTarget = 0;
    ai->brakeTarget = 1;
    int steps = 0;
    while (Word(car, AiBrakeWord) == 0 && steps < 50) {
        AiApplyInputs(*ai, 0.01f);
        ASSERT_TRUE(Word(car, AiThrottleWord) == 0 || Word(car, AiBrakeWord) == 0) << "step " << steps;
        steps++;
    }
    // About 0.1 s (the words are rounded each step), all of it with the
    // brake held at 0.
    EXPECT_GE(steps, 10);
    EXPECT_LE(steps, 11);
}

TEST_F(AiDriverTest, SteeringWordMovesAtMostTheCarsSteeringRate)
{
    struct Case {
        float mass;
        float locksPerSecond;
    };
    const Case cases[] = {{1500, 0.8f * 3.14159265f}, {6000, 0.4f * 3.14159265f}};
    for (const Case& c : cases) {
        car.mass = c.mass;
        car.inputs.words[AiSteerWord] = SteeringCentre;
        ResetAiDriver(*ai, AiStartGrid, DrawTestRandom);
        ai->steerTarget = 1;
        AiApplyInputs(*ai, 0.01f);
        const float moved = (float(Word(car, AiSteerWord)) - 32768) / 32767;
        EXPECT_NEAR(moved, c.locksPerSecond * 0.01f, 1.0f / 32767) << c.mass << " kg";
        for (int i = 0; i < 200; i++)
            AiApplyInputs(*ai, 0.01f);
        EXPECT_EQ(Word(car, AiSteerWord), 65535) << "full lock, and no further";
    }
}

// --- States.

TEST_F(AiDriverTest, GridStartHoldsTheHandbrakeAndLeavesAfterItsReaction)
{
    PlaceOnLine();
    ResetAiDriver(*ai, AiStartGrid, DrawTestRandom);
    view.raceSession = 1;
    view.startLightPhase = 3;
    for (int i = 0; i < 50; i++) {
        StepAiDriver(*ai, view, 0.01f);
        ASSERT_EQ(ai->state, AiWaitingOnGrid);
        ASSERT_EQ(Word(car, AiHandbrakeWord), 65535);
    }
    view.startLightPhase = 4;
    int steps = 0;
    while (ai->state == AiWaitingOnGrid && steps < 100) {
        StepAiDriver(*ai, view, 0.01f);
        steps++;
    }
    // The first step draws the reaction, the countdown then runs out.
    EXPECT_GE(steps, 11);
    EXPECT_LE(steps, 36);
    EXPECT_EQ(ai->state, AiRacing);
}

TEST_F(AiDriverTest, PitStartsWaitTheirTime)
{
    PlaceOnLine();
    for (int i = 0; i < 30; i++) {
        ResetAiDriver(*ai, AiStartPitRandom, DrawTestRandom);
        EXPECT_EQ(ai->state, AiWaitingInPit);
        EXPECT_GE(ai->countdown, 100);
        EXPECT_LE(ai->countdown, 3376);
    }
    ResetAiDriver(*ai, AiStartPit, DrawTestRandom);
    int steps = 0;
    while (ai->state == AiWaitingInPit && steps < 200) {
        StepAiDriver(*ai, view, 0.01f);
        steps++;
    }
    EXPECT_EQ(steps, 100);
}

TEST_F(AiDriverTest, StateChangesAtTheEndOfARunAndWhenStuck)
{
    struct Case {
        const char* what;
        int state;
        int closed, finished, upright, engine, resetsAllowed;
        int expected;
    };
    const Case cases[] = {
        {"finished on a lap", AiRacing, 1, 1, 1, 1, 0, AiEndOfRun},
        {"finished at an open path's end", AiRacing, 0, 1, 1, 1, 0, AiStopping},
        {"still racing", AiRacing, 1, 0, 1, 1, 0, AiRacing},
        {"stuck upright, engine running", AiRacing, 1, 0, 1, 1, 0, AiReversing},
        {"stuck upright, engine stopped", AiRacing, 1, 0, 1, 0, 0, AiRacing},
        {"stuck on its side, no resets", AiRacing, 1, 0, 0, 1, 0, AiStandingStill},
        {"stuck on its side, resets allowed", AiRacing, 1, 0, 0, 1, 1, AiRacing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        path.flags = c.closed ? (PathClosedLoop | PathRacing) : PathRacing;
        SetAiState(*ai, c.state);
        ai->runStartLap = 0;
        car.race.result.finished = uint8_t(c.finished);
        car.rotation = c.upright ? FloatMatrix{{1, 0, 0, 0, 1, 0, 0, 0, 1}} : FloatMatrix{{0, 0, 1, 0, 1, 0, -1, 0, 0}};
        car.engine.running = c.engine;
        view.resetsAllowed = c.resetsAllowed;
        if (std::string(c.what).rfind("stuck", 0) == 0) {
            ResetAiTrail(*ai);
            for (int i = 0; i < 4 * AiTrailSampleSteps; i++)
                AiHandleStuck(*ai, view);
        } else {
            AiOnLapCompleted(*ai, view);
        }
        EXPECT_EQ(ai->state, c.expected);
    }
}

TEST_F(AiDriverTest, ACarStandingInItsBoxIsNotStuck)
{
    struct Case {
        const char* what;
        int pitWork, pitState;
    };
    // A stop-go's wait: the car's stop counts as done while it waits out
    // its time; a service stop: the work runs.
    const Case cases[] = {
        {"waiting out a stop-go", PitItemStart, PitDone},
        {"being served", PitItemRefuel, PitWorking},
        {"served, about to leave", PitItemRefuel, PitDone},
    };
    car.engine.running = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetAiState(*ai, AiRacing);
        car.race.pitWork = uint8_t(c.pitWork);
        car.race.pitState = uint8_t(c.pitState);
        ResetAiTrail(*ai);
        for (int i = 0; i < 4 * AiTrailSampleSteps; i++)
            AiHandleStuck(*ai, view);
        EXPECT_EQ(ai->state, AiRacing);
    }
}

TEST_F(AiDriverTest, AMovingCarIsNotStuck)
{
    for (int i = 0; i < 10 * AiTrailSampleSteps; i++) {
        car.position.x += Fixed(100);  // 0.15 m/s
        ASSERT_EQ(AiTrackRecentPositions(*ai, car.position), 0) << i;
    }
}

TEST_F(AiDriverTest, ReversingCarResumesOncePointingAlongTheLineAndSlow)
{
    PlaceOnLine();
    ai->lineDir = {0, 1, 0};
    car.engine.running = 1;
    car.step.gear = AiReverseGear;
    AiBeginReverse(*ai);
    ASSERT_EQ(ai->state, AiReversing);
    // Backing away, still pointing across the line: half throttle, no brake.
    car.rotation = FloatMatrix{{0, 1, 0, -1, 0, 0, 0, 0, 1}};
    car.velocity = {-1, 0, 0};
    StepAiDriver(*ai, view, 0.01f);
    EXPECT_EQ(ai->state, AiReversing);
    EXPECT_FLOAT_EQ(ai->throttleTarget, 0.5f);
    EXPECT_FLOAT_EQ(ai->brakeTarget, 0);
    // Within 60 degrees of the line: it backs away a second and a half in
    // all (a car that stopped against a wall at a shallow angle points
    // along the line at once), then brakes, and races on once slow.
    car.rotation = FloatMatrix{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    car.position = car.position + FixedFromOffset({0, -2, 0});  // it has backed away 2 m
    for (int step = 1; step < 150; step++)
        StepAiDriver(*ai, view, 0.01f);
    EXPECT_EQ(ai->reversePhase, 0);
    EXPECT_FLOAT_EQ(ai->throttleTarget, 0.5f);
    StepAiDriver(*ai, view, 0.01f);
    EXPECT_EQ(ai->reversePhase, 1);
    EXPECT_FLOAT_EQ(ai->brakeTarget, 1);
    car.velocity = {};
    StepAiDriver(*ai, view, 0.01f);
    EXPECT_EQ(ai->state, AiRacing);
    EXPECT_EQ(ai->wedged, 0);
}

// A car that has not backed away a metre in the least reversing time has no
// way out backward either: it races on at once and counts as wedged.
TEST_F(AiDriverTest, ACarThatCannotBackAwayIsWedged)
{
    PlaceOnLine();
    ai->lineDir = {0, 1, 0};
    car.engine.running = 1;
    car.step.gear = AiReverseGear;
    AiBeginReverse(*ai);
    for (int step = 0; step < 150; step++)
        StepAiDriver(*ai, view, 0.01f);
    EXPECT_EQ(ai->state, AiRacing);
    EXPECT_EQ(ai->wedged, 1);
    // Moved away from there (a reset, a push): no longer wedged.
    car.position = car.position + FixedFromOffset({0, 5, 0});
    AiAskResetWhileWedged(*ai, view);
    EXPECT_EQ(ai->wedged, 0);
}

TEST_F(AiDriverTest, StandingStillStopsTheEngineWithTheHandbrakeOn)
{
    car.engine.running = 1;
    SetAiState(*ai, AiStandingStill);
    StepAiDriver(*ai, view, 0.01f);
    EXPECT_EQ(Word(car, AiHandbrakeWord), 65535);
    EXPECT_EQ(Word(car, AiIgnitionWord), 1);
    EXPECT_EQ(Word(car, AiThrottleWord), 0);
}

// --- Pit decisions at the last split.

TEST_F(AiDriverTest, PitDecisionAtTheLastSplit)
{
    struct Case {
        const char* what;
        int split, lap, penalty;
        float fuel;
        int expected;
    };
    // 64 nodes, the split at node 32: half a lap to the line. With 2 l a lap
    // the rest of the lap with 10 % and one more lap need 2 x 1.55 = 3.1 l.
    // (Exactly 3.1 l lies on a float rounding tie; 0.02 l either side.)
    const Case cases[] = {
        {"not the last split", 1, 2, PenaltyNone, 1, AiPitNone},
        {"enough fuel", 2, 2, PenaltyNone, 3.12f, AiPitNone},
        {"a little short of fuel", 2, 2, PenaltyNone, 3.08f, AiPitService},
        {"short of fuel on the last lap", 2, 9, PenaltyNone, 1, AiPitNone},
        {"drive-through", 2, 2, PenaltyDriveThroughToServe, 10, AiPitDriveThrough},
        {"drive-through on the last lap", 2, 9, PenaltyDriveThroughGiven, 10, AiPitDriveThrough},
        {"stop-go", 2, 2, PenaltyStopGoToServe, 10, AiPitStopGo},
        {"stop-go on the last lap", 2, 9, PenaltyStopGoGiven, 10, AiPitNone},
    };
    PlaceOnLine();
    ai->mainKnowledge.fuelPerLap = 2;
    ai->hasPitLine = 1;
    view.timingPointCount = 2;
    view.raceLaps = 10;
    view.pitBoxCount = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetAiState(*ai, AiRacing);
        ai->pitIntention = AiPitNone;
        car.race.lapCount = c.lap;
        car.race.result.penaltyState = uint8_t(c.penalty);
        car.race.fuel = c.fuel;
        AiDecidePitStop(*ai, view, c.split, 32);
        EXPECT_EQ(ai->pitIntention, c.expected);
        if (c.expected == AiPitService) {
            EXPECT_EQ(ai->runStartLap, c.lap + 1);
        }
    }
}

TEST_F(AiDriverTest, MeasuredFuelUseCountsWhenHigher)
{
    PlaceOnLine();
    ai->mainKnowledge.fuelPerLap = 2;
    ai->hasPitLine = 1;
    SetAiState(*ai, AiRacing);
    view.timingPointCount = 2;
    view.pitBoxCount = 1;
    car.race.fuel = 3.5f;
    car.lap.fuelLaps = 2;
    car.lap.fuelUsedInLaps = 5;  // 2.5 l a lap: 3.875 l needed
    AiDecidePitStop(*ai, view, 2, 32);
    EXPECT_EQ(ai->pitIntention, AiPitService);
}

TEST_F(AiDriverTest, ABoxStopWaitsForItsWorkOrItsPenalty)
{
    struct Case {
        const char* what;
        int intention;
        int phase;
        int pitState;
        int32_t stepsStopped;
        int expected;
    };
    // A penalty stop counts as done as soon as the car stands in its box,
    // but a stop-go must still wait out its time there.
    const Case cases[] = {
        {"stopping, not stopped yet", AiPitService, AiBoxStopping, PitInLane, 0, AiBoxStopping},
        {"stopped, service begun", AiPitService, AiBoxStopping, PitWorking, 0, AiBoxWaiting},
        {"stopped, nothing to do", AiPitService, AiBoxStopping, PitDone, 0, AiBoxPullOut},
        {"stopped for a stop-go", AiPitStopGo, AiBoxStopping, PitDone, 0, AiBoxWaiting},
        {"stop-go at 10 s", AiPitStopGo, AiBoxWaiting, PitDone, 1000, AiBoxWaiting},
        {"stop-go after 10 s", AiPitStopGo, AiBoxWaiting, PitDone, 1001, AiBoxPullOut},
        {"service still working", AiPitService, AiBoxWaiting, PitWorking, 5000, AiBoxWaiting},
        {"service done", AiPitService, AiBoxWaiting, PitDone, 10, AiBoxPullOut},
    };
    PlaceOnLine();
    ai->mainKnowledge.fullBrakeDecel = 10;
    view.pitBoxCount = 1;
    view.pitBoxes[0] = car.position;
    car.pit.speedZone = 0;  // in the pit lane
    const KnowledgeNode& node = ai->mainKnowledge.nodes[0];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ai->pitIntention = uint8_t(c.intention);
        ai->pitPhase = uint8_t(c.phase);
        car.race.pitState = uint8_t(c.pitState);
        car.race.stopStep = 100;
        car.race.stepCounter = 100 + c.stepsStopped;
        float error = 0;
        AiDrivePitLine(*ai, view, error, car.position, node);
        EXPECT_EQ(ai->pitPhase, c.expected);
        EXPECT_FLOAT_EQ(ai->throttleTarget, 0);
        EXPECT_GT(ai->brakeTarget, 0) << "held on the brake in the box";
    }
}

TEST_F(AiDriverTest, TheBoxManoeuvreSteersByTheCarsFigures)
{
    // A 2.5 m wheelbase at a 30 degree lock turns on a 5 m radius; the
    // first axle stands 1.2 m from the car's centre; the pit lane's limit
    // byte 79 (80 km/h) gives the driver 79 km/h.
    CarSetup setup;
    setup.maxLock = 30;
    car.data.setup = &setup;
    car.tuning.wheelbase = 2.5f;
    car.tuning.axleY[0] = -1.2f;
    view.pitSpeedLimit = 79 * 0.2777778f;
    AiSetCarFigures(*ai, view);
    EXPECT_NEAR(ai->turnRadius, 5.0f, 1e-4f);
    EXPECT_FLOAT_EQ(ai->axleOffset, 1.2f);
    EXPECT_FLOAT_EQ(ai->pitSpeedLimit, view.pitSpeedLimit);
    car.data.setup = nullptr;
}

// --- Fuel planning.

TEST_F(AiDriverTest, StartFuelAndStints)
{
    struct Case {
        const char* what;
        int lengthCode, qualifying, boxes, compulsory;
        float fuelPerLap;
        int fuel, stints;
    };
    // A 60 l tank, 100 s laps.
    const Case cases[] = {
        {"practice", 0, 0, 1, 0, 3, 50, 0},
        // 5 laps: 3 x (5 + 1) x 1.05 x 100 / 60 + 0.5 = 32
        {"five laps", 5, 0, 1, 0, 3, 32, 1},
        // 20 laps need 3 x 21 x 1.75 = 110 %: two stints of 10 (+1) laps.
        {"twenty laps", 20, 0, 1, 0, 3, 58, 2},
        {"twenty laps without boxes", 20, 0, 0, 0, 3, 100, 1},
        // A compulsory stop plans two stints from the start.
        // 3 x (2 + 1) x 1.05 x 100 / 60 + 0.5 = 16.25
        {"compulsory stop", 5, 0, 1, 1, 3, 16, 2},
        // Qualifying on a lap: three laps, 2.5 x 4 x 1.05 x 100 / 60 + 0.5 = 18
        {"qualifying", 5, 1, 1, 0, 2.5f, 18, 1},
        // One hour of 100 s laps is 36 laps: 1 x 37 x 1.05 x 100 / 60 + 0.5 = 65.25
        {"an hour", 191, 0, 1, 0, 1, 65, 1},
    };
    PlaceOnLine();
    ai->mainKnowledge.tankCapacity = 60;
    ai->mainKnowledge.lapTime = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ai->mainKnowledge.fuelPerLap = c.fuelPerLap;
        view.raceLengthCode = c.lengthCode;
        view.pitBoxCount = c.boxes;
        view.pitStopRequired = c.compulsory;
        int stints = 0;
        EXPECT_EQ(EstimateStartFuel(ai->mainKnowledge, view, c.qualifying, stints), c.fuel);
        EXPECT_EQ(stints, c.stints);
    }
}

TEST_F(AiDriverTest, QualifyingOnAnOpenRoutePlansOneLap)
{
    PlaceOnLine();
    path.flags = PathRacing;
    ai->mainKnowledge.tankCapacity = 60;
    ai->mainKnowledge.fuelPerLap = 3;
    int stints = 0;
    // 3 x (1 + 1) x 1.05 x 100 / 60 + 0.5 = 11
    EXPECT_EQ(EstimateStartFuel(ai->mainKnowledge, view, 1, stints), 11);
}

} // namespace
