// The pit stop of a car stopped in a pit box: the work it asks for (wheel
// repairs, tyres, body repair, refuelling), carried out item by item with
// fixed durations, and moving off, which serves a stop-go.
#include <cstdio>

#include "vehicle/local.h"

namespace {

// Seconds each pit work item takes (refuelling, item 17, takes as long as
// the fuel needs): the stop itself, then per wheel item a repair (6 s) and
// new tyres (3 s), body repair, major body repair and a spare item.
constexpr uint8_t PitItemSeconds[PitItemCount] = {0, 1, 6, 3, 6, 3, 6, 3, 6, 3, 6, 3, 6, 3, 6, 12, 3, 0};
constexpr int StepsPerSecond = 100;
// A car stands in a box when within this distance of its centre (m).
constexpr float PitBoxReach = 2.5f;
constexpr int MaxPitBoxes = 64;
// The classes whose wheels are served one item per axle.
constexpr int AxleServiceClasses[2] = {4, 10};
// Impacts that ask for body repair, and for major body repair.
constexpr int BodyRepairImpacts = 2, MajorBodyRepairImpacts = 8;
// A damaged part is repaired when its loss is above this share of its
// largest loss.
constexpr float RepairShare = 0.02f;
// A stop-go stop must last this many steps (10 s).
constexpr int32_t StopGoSteps = 1000;
constexpr int MessageColour = 11;  // light yellow

// The wheel's repair item (its new tyres are the next item).
int WheelItem(const CarObject& car, const Wheel& wheel)
{
    const bool front = wheel.axleIndex == 1;
    for (int axleClass : AxleServiceClasses)
        if (car.data.carClass == axleClass)
            return front ? 2 : 8;
    const bool right = wheel.side > 0;
    if (front)
        return right ? 6 : 4;
    return right ? 12 : 10;
}

// Whether one of the wheel's four damaged parts has lost more than the
// repair share of its largest loss.
bool WheelNeedsRepair(const Wheel& wheel, const Axle& axle)
{
    const uint8_t* state = wheel.damageState;
    return (state[0] && wheel.travelLoss > RepairShare * 0.03f * axle.tyreRadius) ||
           (state[1] && wheel.upperLinkLoss > RepairShare * axle.upperLinkLength / 3) ||
           (state[2] && wheel.armLoss > RepairShare * axle.armLength / 3) ||
           (state[3] && wheel.toeLoss > RepairShare * Pi / 8);
}

// What the pit crew is asked to do, and the compound fitted on each wheel
// slot (rear left, rear right, front left, front right).
struct PitOrder {
    int32_t mask = 1 << PitItemStart;
    uint8_t compounds[4] = {};
    bool setupChanged = false;
};

// The work of a stop with service: wheel repairs and tyres, body repair
// and refuelling, as the slot's orders and the pit set-up ask.
PitOrder PlanPitWork(const CarObject& car, const CarSlotOrders& orders)
{
    PitOrder order;
    const CarSetup* pitSetup = orders.pitSetup;
    order.setupChanged = pitSetup && car.data.setup && std::memcmp(pitSetup, car.data.setup, sizeof(CarSetup)) != 0;
    const bool repair = order.setupChanged || orders.repair;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& wheel = car.wheels[i];
        const Axle& axle = car.axles[wheel.axleIndex];
        const int item = WheelItem(car, wheel);
        const bool compoundAsked = order.setupChanged;
        if (repair && WheelNeedsRepair(wheel, axle))
            order.mask |= 1 << item;
        if (compoundAsked || IsTyreWorn(wheel, orders.tyreWearLimit))
            order.mask |= 1 << (item + 1);
        const int compound = compoundAsked ? pitSetup->axles[wheel.axleIndex].tyreType : axle.tyreType;
        if (wheel.slot >= 0 && wheel.slot < 4)
            order.compounds[wheel.slot] = uint8_t(compound);
    }
    if (GetFuelTarget(car, orders.refuelPercent) > car.race.fuel)
        order.mask |= 1 << PitItemRefuel;
    if (repair) {
        if (car.step.impactCount > MajorBodyRepairImpacts)
            order.mask |= 1 << PitItemMajorBodyRepair;
        else if (car.step.impactCount > BodyRepairImpacts)
            order.mask |= 1 << PitItemBodyRepair;
    }
    return order;
}

// A race runs: the stop, its work and a changed set-up go to every
// computer at once.
void SendPitStop(CarObject& car, const CarSlotOrders& orders, const PitOrder& order)
{
    const CarNetHooks& net = GetCarNetHooks();
    car.pit.sentByThisStep = 1;
    QueueCarPacket(CarPacketPitStopStart, orders.playerId, order.setupChanged ? 0 : 1, 0, true);
    uint8_t work[PitWorkPacketSize] = {CarPacketPitWork, uint8_t(orders.playerId)};
    PutInt(work + 4, order.mask);
    std::memcpy(work + 8, order.compounds, 4);
    net.queueRecordedGamePacket(work, PitWorkPacketSize);
    if (order.setupChanged) {
        uint8_t setup[PitSetupPacketSize] = {CarPacketPitSetup, uint8_t(orders.playerId)};
        std::memcpy(setup + 4, orders.pitSetup, sizeof(CarSetup));
        net.queueRecordedGamePacket(setup, PitSetupPacketSize);
    }
    net.sendGameBundle();
}

void StartNextItem(CarObject& car)
{
    car.pit.nextItemStep = car.race.stepCounter + PitItemSeconds[car.race.pitWork] * StepsPerSecond;
}

void ShowPitMessage(const CarObject& car, const char* text)
{
    const CarRaceHooks& race = GetCarRaceHooks();
    if (race.isPlayerCar(car) && !race.isLessonRunning())
        GetCarMessageHooks().printMessage(text, MessageColour);
}

// Refuelling: fuel flows at the class's rate until the target is reached.
void Refuel(CarObject& car, const CarSlotOrders& orders, float dt)
{
    if (car.race.fuel < car.pit.fuelTarget)
        car.race.fuel += dt * CarClassTable[car.data.carClass].refuelRate;
    if (car.race.fuel < car.pit.fuelTarget)
        return;
    car.race.fuel = car.pit.fuelTarget;
    char text[80];
    std::snprintf(text, sizeof text, GetText(TX_3a_finrefue), double(car.race.fuel));
    ShowPitMessage(car, text);
    car.race.pitState = PitDone;
    const CarNetHooks& net = GetCarNetHooks();
    if (net.isOnline() && !car.pit.sentByThisStep && net.outsideVoteFinalCountdown()) {
        DamageRecord record;
        MakeDamageRecord(car, record, orders.playerId);
        net.queueGamePacket(record.bytes, DamageRecordSize);
    }
}

// The next item of the mask after the current one; refuelling when none.
int NextPitItem(const CarObject& car)
{
    int item = car.race.pitWork + 1;
    while (item < PitItemRefuel && !(car.pit.workMask & (1 << item)))
        item++;
    return item;
}

}  // namespace

float GetFuelTarget(const CarObject& car, int refuelPercent)
{
    const float capacity = car.data.fuelCapacity;
    if (!(capacity > 0))
        return 0;
    return capacity * Smaller(1.0f, car.race.fuel / capacity + float(refuelPercent) * 0.01f);
}

bool IsCarInPitBox(const CarObject& car)
{
    FixedVector boxes[MaxPitBoxes];
    const int count = GetCarPathHooks().pitBoxes(boxes, MaxPitBoxes);
    for (int i = 0; i < count && i < MaxPitBoxes; i++) {
        const double dx = (double(boxes[i].x.raw) - car.position.x.raw) / 65536.0;
        const double dy = (double(boxes[i].y.raw) - car.position.y.raw) / 65536.0;
        if (dx * dx + dy * dy <= double(PitBoxReach) * PitBoxReach)
            return true;
    }
    return false;
}

void StartPitStop(CarObject& car, const CarSlotOrders& orders)
{
    car.race.pitWork = PitItemStart;
    const uint8_t penalty = car.race.result.penaltyState;
    if (penalty == PenaltyDriveThroughToServe || penalty == PenaltyStopGoToServe || car.race.pitState == PitPassing) {
        car.race.pitState = PitDone;
        return;
    }
    const PitOrder order = PlanPitWork(car, orders);
    car.pit.workMask = order.mask;
    if (GetCarRaceHooks().raceRunning())
        SendPitStop(car, orders, order);
    car.race.pitState = PitWorking;
    StartNextItem(car);
}

void RunPitWork(CarObject& car, const CarSlotOrders& orders, float dt)
{
    if (car.race.pitWork == PitItemRefuel) {
        Refuel(car, orders, dt);
        return;
    }
    // An item ends on its step, or on the first step after it when the
    // car missed that step.
    if (car.race.stepCounter < car.pit.nextItemStep)
        return;
    car.race.pitWork = uint8_t(NextPitItem(car));
    if (car.race.pitWork < PitItemRefuel) {
        StartNextItem(car);
        return;
    }
    car.pit.fuelTarget = GetFuelTarget(car, orders.refuelPercent);
    if (car.pit.fuelTarget > car.race.fuel)
        return;
    ShowPitMessage(car, GetText(TX_3a_finpitst));
    car.race.pitState = PitDone;
}

void LeavePitBox(CarObject& car, const CarSlotOrders& orders)
{
    const int32_t now = car.race.stepCounter;
    car.race.pitWork = 0;
    car.pit.stopTime = now - car.race.stopStep;
    car.race.stopStep = car.step.activityStep = now;
    car.step.restCounter = 0;
    uint8_t done[PitStopDonePacketSize] = {CarPacketPitStopDone, uint8_t(orders.playerId)};
    PutInt(done + 4, car.pit.stopTime);
    GetCarNetHooks().queueGamePacket(done, PitStopDonePacketSize);
    if (car.race.result.penaltyState != PenaltyStopGoToServe)
        return;
    if (car.pit.stopTime < StopGoSteps) {
        car.pit.penaltyGiven = PenaltyCodeStopGo;
        QueueCarPacket(CarPacketPenalty, orders.playerId, PenaltyCodeStopGo, PenaltyReasonStopTooShort);
    } else {
        car.pit.penaltyGiven = 0;
        QueueCarPacket(CarPacketPenalty, orders.playerId, PenaltyCodeCleared, PenaltyReasonNone);
    }
}
