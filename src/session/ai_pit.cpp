// AI pit stops and fuel planning: the car's condition, the decision at the
// last split of a lap to come in, the end of a run, and the start fuel and
// stint count planned before a race or qualifying.
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

// A tyre that has lost this share of its tread counts fully towards service.
constexpr float WornTreadShare = 0.5f;
// A suspension part counts fully towards service at a third of its limit.
constexpr float DamageShareOfLimit = 0.333f;
// A wheel's alignment is tolerated up to pi / 200 and counts fully at pi / 8
// beyond it.
constexpr float AlignmentTolerance = 3.14159265f / 200, AlignmentRange = 3.14159265f / 8;
// A tyre worn down to this percentage needs changing.
constexpr int TyreWearLimitPercent = 70;
// A lap is planned with this fuel margin, and the finish is this many laps
// ahead when a compulsory stop becomes due.
constexpr float FuelMargin = 1.1f;
constexpr int CompulsoryStopLapsAhead = 4;
// Fuel planning: qualifying runs, the margin on a stint's fuel, and the
// strategy bytes an AI driver announces.
constexpr int QualifyingLapsClosed = 3, QualifyingLapsOpen = 1;
constexpr float StintFuelMargin = 1.05f;
constexpr uint8_t AiTyreWearLimit = 30, AiPitStrategy = 1;
constexpr int PracticeStartFuel = 50;

// The share of the tread a wheel has lost, 0 new to 1 worn through.
float TreadLost(const Wheel& wheel)
{
    float kept = 0;
    for (uint8_t level : wheel.wearLevel)
        kept += float(level);
    return 1 - kept / (3 * 7.0f);
}

// The laps of a race length code: 0 practice, then laps, then hours.
int LapsToPlan(const AiKnowledge& knowledge, const AiRaceView& view, int qualifying)
{
    const int closed = view.pathWorld.currentPath && (view.pathWorld.currentPath->flags & PathClosedLoop);
    if (qualifying)
        return closed ? QualifyingLapsClosed : QualifyingLapsOpen;
    if (view.raceLengthCode >= FirstHoursCode) {
        const int hours = view.raceLengthCode - (FirstHoursCode - 1);
        if (knowledge.lapTime <= 0)
            return 1;
        return int(std::nearbyint(float(hours) * 3600 / knowledge.lapTime - 0.499999f));
    }
    return LapsFromLengthCode(view.raceLengthCode);
}

} // namespace

int AiAssessCarCondition(const AiDriver& ai, float* gripOut)
{
    const CarObject& car = *ai.car;
    float sum = 0;
    int service = 0;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& wheel = car.wheels[i];
        const Axle& axle = car.axles[wheel.axleIndex & 1];
        const float wear = TreadLost(wheel) / WornTreadShare;
        sum += wear * wear * wear;
        const float limit = 0.03f * axle.tyreRadius * DamageShareOfLimit;
        if (limit > 0)
            sum += (wheel.travelLoss + wheel.armLoss) / limit;
        const float alignment = std::fabs(wheel.toeLoss) - AlignmentTolerance;
        if (alignment > 0)
            sum += alignment / AlignmentRange;
        if (wheel.flat)
            sum += 2;
        if (IsTyreWorn(wheel, TyreWearLimitPercent))
            service = 1;
    }
    if (gripOut)
        *gripOut = 1 - std::fmin(sum / 4, 0.5f);
    return service || sum >= 1 ? 1 : 0;
}

// The decision at the last split of the lap: penalties, service, fuel and
// a compulsory stop bring the driver in at the end of the lap.
void AiDecidePitStop(AiDriver& ai, const AiRaceView& view, int splitIndex, int splitNode)
{
    CarObject& car = *ai.car;
    if (ai.state != AiRacing || !ai.hasPitLine || ai.pitIntention != AiPitNone || splitIndex <= 0 ||
        splitIndex != view.timingPointCount)
        return;
    ai.pitBoxIndex = 0;
    const uint8_t penalty = car.race.result.penaltyState;
    if (penalty == PenaltyDriveThroughGiven || penalty == PenaltyDriveThroughToServe) {
        ai.pitIntention = AiPitDriveThrough;
        return;
    }
    const int laps = car.race.lapCount;
    const bool lastLap = view.raceLaps > 0 && laps >= view.raceLaps - 1;
    if (view.pitBoxCount == 0 || lastLap)
        return;
    if (penalty == PenaltyStopGoGiven || penalty == PenaltyStopGoToServe) {
        ai.pitIntention = AiPitStopGo;
        return;
    }
    bool service = AiAssessCarCondition(ai, nullptr) != 0;
    if (!service) {
        float perLap = ai.mainKnowledge.fuelPerLap;
        if (car.lap.fuelLaps > 0)
            perLap = std::fmax(perLap, car.lap.fuelUsedInLaps / float(car.lap.fuelLaps));
        const Path* route = view.pathWorld.currentPath;
        const int count = route ? route->nodeCount : 0;
        if (perLap > 0 && count > 0) {
            const int finish = route->timingNodes[0] < 0 ? 0 : route->timingNodes[0];
            const int ahead = ((count - splitNode + finish) % count + count) % count;
            service = car.race.fuel / perLap < float(ahead) * FuelMargin / float(count) + 1;
        }
    }
    if (!service && view.pitStopRequired && car.race.result.pitStops == 0 && view.raceLaps > 0) {
        int lead = laps;
        if (view.orderLength > 0 && view.runningOrder[0] < view.slotCount && view.cars[view.runningOrder[0]])
            lead = std::max(lead, view.cars[view.runningOrder[0]]->race.lapCount);
        service = view.raceLaps - lead < CompulsoryStopLapsAhead;
    }
    if (service) {
        ai.pitIntention = AiPitService;
        ai.runStartLap = uint16_t(laps + 1);
    }
}

void AiOnLapCompleted(AiDriver& ai, const AiRaceView& view)
{
    CarObject& car = *ai.car;
    if (ai.state == AiEndOfRun) {
        if (view.drawRandom)
            ai.countdown = (view.drawRandom() >> 2) / 10 + 100;
        return;
    }
    if (ai.state != AiRacing)
        return;
    const Path* route = view.pathWorld.currentPath;
    const int closed = route && (route->flags & PathClosedLoop);
    const int runLaps = car.race.lapCount - int(ai.runStartLap);
    const bool over = car.race.result.finished ||
                      (view.qualifying && runLaps >= (closed ? QualifyingLapsClosed : QualifyingLapsOpen));
    if (!over)
        return;
    if (!closed) {
        SetAiState(ai, AiStopping);
        return;
    }
    SetAiState(ai, AiEndOfRun);
    FixedVector place;
    float heading = 0;
    if (ai.hasPitLine && view.pitSpeedLimit > 0 && view.pitPlace && view.pitPlace(car, place, heading)) {
        double s = 0, c = 0;
        ComputeSinCos(double(heading) + std::numbers::pi, s, c);
        ai.pitTarget = place;
        ai.pitTargetDir = {float(-s), float(c), 0};
        ai.pitIntention = AiPitGarage;
    }
}

int EstimateStartFuel(const AiKnowledge& knowledge, const AiRaceView& view, int qualifying, int& stints)
{
    if (!view.pathWorld.currentPath || knowledge.nodeCount <= 0)
        return 0;
    if (!qualifying && view.raceLengthCode == 0)
        return PracticeStartFuel;
    const int laps = LapsToPlan(knowledge, view, qualifying);
    const bool compulsory = view.pitBoxCount > 0 && laps > 1 && view.pitStopRequired;
    if (knowledge.tankCapacity <= 0) {
        stints = 1;
        return 100;
    }
    for (int i = compulsory ? 2 : 1;; i++) {
        if (laps < i)
            return 1;
        const float fuel = std::nearbyint(knowledge.fuelPerLap * float(laps / i + 1) * StintFuelMargin * 100 /
                                              knowledge.tankCapacity + 0.5f);
        if (fuel <= 100) {
            stints = i;
            return int(fuel);
        }
        if (view.pitBoxCount == 0) {
            stints = 1;
            return 100;
        }
    }
}

void PlanAiFuel(AiDriver& ai, RacePlayer& player, int qualifying)
{
    const AiRaceView view = GatherAiRaceView();
    if (ai.mainKnowledge.nodeCount <= 0) {
        if (!LoadAiKnowledge(ai, view))
            return;
    }
    int stints = 0;
    const int fuel = EstimateStartFuel(ai.mainKnowledge, view, qualifying, stints);
    const uint8_t strategy[4] = {uint8_t(fuel), uint8_t(fuel), AiTyreWearLimit, AiPitStrategy};
    uint8_t* current = player.descriptor.pitStrategy;
    if (std::memcmp(strategy, current, sizeof strategy) != 0) {
        const uint8_t packet[StartFuelPacketSize] = {CarPacketStartFuel, player.descriptor.playerId, 0, 0,
                                                     strategy[0], strategy[1], strategy[2], strategy[3]};
        GetRaceHooks().queueGamePacket(packet, StartFuelPacketSize);
    }
    const float tank = ai.mainKnowledge.tankCapacity;
    char text[160];
    std::snprintf(text, sizeof text, GetText(TX_3a_x_aifuel), player.descriptor.name,
                  tank > 0 ? double(ai.mainKnowledge.fuelPerLap * 100 / tank) : 0.0, fuel, stints,
                  PluralSuffix(stints));
    GetRaceHooks().printMessage(text, 7);
}

void AiCarCountedTimingPoint(AiDriver& ai, int timingPoint)
{
    const AiRaceView view = GatherAiRaceView();
    if (timingPoint == FinishLine)
        AiOnLapCompleted(ai, view);
    else
        AiDecidePitStop(ai, view, timingPoint, ai.follower.position);
}
