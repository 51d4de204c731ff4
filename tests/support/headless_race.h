// A whole race without drawing, run in this process through the program's
// own session: a site of the data builder's folder loaded, a race of robot
// drivers whose input words are written in every step (throttle, brake and
// steering toward the path), start lights, laps, finish and exit. The
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
    int aiDrivers = 0;    // 1: the program's AI drivers drive the cars, not the robots
    // Called once the session has set up the race and its cars, before the
    // first step (null: nothing); false gives the race up.
    bool (*prepare)(Race& race) = nullptr;
    // Called after the drivers of every step (null: nothing).
    void (*watch)(Race& race) = nullptr;
};

// What one run leaves behind: the trace text (every processed packet, the
// cars' state every traceEvery steps, the cars' laps and times and the
// results) and its summary.
struct HeadlessRaceOutcome {
    int loaded = 0;         // the world, the race and every car were set up
    int finished = 0;       // every car finished within maxSeconds
    uint32_t steps = 0;     // race steps run
    std::string trace;
    uint32_t traceCrc = 0;  // check value of the whole trace
};

// Runs the race in the current folder (the data builder's output) with
// every table reset first and after.
HeadlessRaceOutcome RunHeadlessRace(const HeadlessRaceOptions& options);
