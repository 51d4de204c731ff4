// What a car keeps of its place in the race: the penalty and finishing state
// that the car's lap timing and pit lane set and the race's results read and
// mark, and the status tag shown over the car.
#pragma once

#include <cstdint>

class CarObject;

// Penalty states of a car (CarResultState::penaltyState).
enum : uint8_t {
    PenaltyNone = 0,
    PenaltyDriveThroughGiven = 1,
    PenaltyDriveThroughToServe = 2,
    PenaltyStopGoGiven = 3,
    PenaltyStopGoToServe = 4,
    Penalty30Seconds = 5,
    Penalty45Seconds = 6,
};

constexpr int CarStatusTagSize = 16;

// Lives with the car for one drive; the car's race-state reset clears it.
struct CarResultState {
    uint8_t penaltyState = PenaltyNone;
    uint8_t finished = 0;     // 1 once the car has finished (flag taken, or qualifying over)
    uint8_t flagged = 0;      // 1 when it took the flag because the winner finished ahead of it
    uint8_t classified = 0;   // 1 once it holds a row of the race's results
    uint8_t pitStops = 0;     // pit stops made
    uint8_t penaltyReason = 0;     // why the last penalty was given (the penalty packet's reasons)
    uint8_t requiredStopDone = 0;  // a pit stop made after timing began: the required stop is done
    int32_t timePenalty = 0;  // hundredths added to the total time by time penalties
    int32_t pitWorkFlags = 0; // the work of the car's last pit stop, as its report gave it
    int32_t bestLap = 0;      // hundredths of a second; 0 before the first timed lap
    int32_t raceTime = 0;     // hundredths: time since the timing start at the last line crossing
    int32_t stopStep = 0;     // the car's step counter when it last came to a stop
    int32_t resultStep = 0;   // the car's step counter when its timed result last changed
    int32_t tagCodePage = 0;  // 0..9, the code page the status tag is drawn in
    char tag[CarStatusTagSize] = {};  // "FINISHED", "DISQUALIFIED", a place; empty when none
};

// The status tag, in the given code page (cut to 15 characters).
void SetCarStatusTag(CarObject& car, int codePage, const char* text);
// The tag "DISQUALIFIED".
void SetCarDisqualified(CarObject& car, int codePage);
// Finished flag 1 and, when no tag is shown, the tag "FINISHED".
void SetCarFinished(CarObject& car, int codePage);
// The car holds a row of the results.
void SetCarClassified(CarObject& car);
