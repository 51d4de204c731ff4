// A whole race without drawing, run in this process through the program's
// own session: a site of the data builder's folder loaded, a race of robot
// drivers whose input words are written in every step (throttle, brake and
// steering toward the path) or of the program's AI drivers, start lights,
// laps, finish and exit. The
// headless race program, its test and its benchmark share it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct Race;

struct HeadlessRaceOptions {
    int cars = 20;        // 1..32
    int laps = 2;         // race length in laps
    int frameMs = 16;     // game time per frame
    int site = 0;         // index in the site table
    int configuration = 1;
    int maxSeconds = 900; // the race is given up after this much game time
    int traceEvery = 100; // steps between the cars' state lines; 0 none
    int reversed = 0;     // the configuration driven the other way
    // The program's AI drivers race instead of the robots, at this skill
    // (0..4). A car without a knowledge file for the configuration gets
    // one the harness builds in memory from the route's centre line.
    int aiDrivers = 0;
    int aiSkill = 4;
    // Short codes of the cars, separated by commas, given to the slots in
    // turn; empty: every slot drives the robots' car.
    std::string carCodes;
    // Called once the session has set up the race and its cars, before the
    // first step (null: nothing); false gives the race up.
    bool (*prepare)(Race& race) = nullptr;
    // Called after the drivers of every step (null: nothing).
    void (*watch)(Race& race) = nullptr;
};

// What the race showed of its drivers, watched in every step from the
// lights going out until each car finished.
struct HeadlessRaceFigures {
    int finishers = 0;
    float longestStuckSeconds = 0;  // the longest time a car stood (below 1 m/s)
    int longestStuckSlot = -1;
    float distanceMetres = 0;       // driven by all cars together
    float outsideShare = 0;         // of that distance, outside the route's outer limits
    int contacts = 0;               // contacts begun between two cars
    // Per slot: the car's code, its best lap and its knowledge's lap time
    // (s; 0 when none).
    std::string carCode[32];
    float bestLapSeconds[32] = {};
    float knowledgeLapSeconds[32] = {};
};

// What one run leaves behind: the trace text (every processed packet, the
// cars' state every traceEvery steps, the cars' laps and times and the
// results) and its summary.
struct HeadlessRaceOutcome {
    int loaded = 0;         // the world, the race and every car were set up
    int finished = 0;       // every car finished within maxSeconds
    int worldLoaded = 0;    // the site's configuration loaded
    int racingRoute = 0;    // it has a racing route (laps, timing, AI)
    uint32_t steps = 0;     // race steps run
    std::string trace;
    uint32_t traceCrc = 0;  // check value of the whole trace
    HeadlessRaceFigures figures;
};

// Runs the race in the current folder (the data builder's output) with
// every table reset first and after.
HeadlessRaceOutcome RunHeadlessRace(const HeadlessRaceOptions& options);
