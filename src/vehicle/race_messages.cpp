// The packets of a car's race logic: the short packet form, the car's slot
// and its pit orders, the timed race messages (live set-up, start fuel,
// option byte, the false-start watch) and the car reset request.
#include "vehicle/local.h"

namespace {

// Steps between two reset requests of a car.
constexpr int32_t ResetRequestSteps = 200;
constexpr uint32_t ResetsAllowed = 0x80;
// Reasons below this one are told to the player (the last means the car
// is off the path, which the player cannot mend by waiting).
constexpr int ToldResetReasons = 4;
constexpr int MessageColour = 11;  // light yellow

// A countdown that reaches 1 on this step; it then stops at 0.
bool CountDownMessage(uint8_t& countdown)
{
    if (countdown == 0)
        return false;
    countdown--;
    return countdown == 0;
}

void SendLiveSetup(const CarObject& car, int playerId)
{
    uint8_t packet[LiveSetupPacketSize] = {CarPacketLiveSetup, uint8_t(playerId)};
    packet[4] = car.tuning.liveBrakeBalance;
    PutFloat(packet + 8, car.tuning.liveAntiRoll[0]);
    PutFloat(packet + 12, car.tuning.liveAntiRoll[1]);
    GetCarNetHooks().queueRecordedGamePacket(packet, LiveSetupPacketSize);
}

void SendStartFuel(int playerId)
{
    uint8_t packet[StartFuelPacketSize] = {CarPacketStartFuel, uint8_t(playerId)};
    PutInt(packet + 4, Settings.fuelStart);
    GetCarNetHooks().queueRecordedGamePacket(packet, StartFuelPacketSize);
}

}  // namespace

void QueueCarPacket(uint8_t type, int a, int b, int c, bool recorded)
{
    const uint8_t packet[4] = {type, uint8_t(a), uint8_t(b), uint8_t(c)};
    const CarNetHooks& net = GetCarNetHooks();
    if (recorded)
        net.queueRecordedGamePacket(packet, 4);
    else
        net.queueGamePacket(packet, 4);
}

void SendCarValue(CarObject& car, int value)
{
    const int slot = GetPlayerSlotOfCar(car);
    if (slot < 0)
        return;
    QueueCarPacket(CarPacketValue, CarValueSubtype, GetSlotOrders(slot).playerId, value);
    GetCarNetHooks().sendGameBundle();
}

CarSlotOrders GetSlotOrders(int slot)
{
    CarSlotOrders orders;
    if (slot < 0 || !GetCarRaceHooks().slotOrders(slot, orders)) {
        orders = {};
        orders.playerId = slot < 0 ? 0 : GetPlayerIdOfSlot(slot);
    }
    return orders;
}

void RunTimedRaceMessages(CarObject& car, int slot)
{
    const int playerId = GetSlotOrders(slot).playerId;
    if (CountDownMessage(car.pit.liveSetupCountdown))
        SendLiveSetup(car, playerId);
    if (CountDownMessage(car.pit.startFuelCountdown))
        SendStartFuel(playerId);
    if (CountDownMessage(car.pit.optionCountdown))
        QueueCarPacket(CarPacketOption, playerId, car.pit.optionByte, 0, true);
    WatchFalseStartDistance(car, slot);
}

void SetCarStartPoint(CarObject& car)
{
    car.pit.startX = car.position.x;
    car.pit.startY = car.position.y;
}

void RequestCarReset(CarObject& car, int askedByPlayer)
{
    if (!IsCarStopped(car) || car.race.pitWork != 0)
        return;
    const int32_t now = car.race.stepCounter;
    if (now - car.remoteRecord.recordIgnoreStep < ResetRequestSteps)
        return;
    car.remoteRecord.recordIgnoreStep = now;
    const int slot = GetPlayerSlotOfCar(car);
    if (slot < 0 || !car.follower || GetCarPathHooks().followerNode(*car.follower) < 0)
        return;
    const CarNetHooks& net = GetCarNetHooks();
    const bool online = net.isOnline() != 0;
    if (askedByPlayer && online && !(net.hostRules() & ResetsAllowed)) {
        GetCarMessageHooks().printMessage(GetText(TX_3a_noresetw), MessageColour);
        return;
    }
    CarPosRecord request;
    request.bytes[0] = CarPacketReset;
    FillCarPosRecord(car, request, GetSlotOrders(slot).playerId);
    if (online) {
        net.sendToHost(request.bytes, CarPosRecordSize);
        return;
    }
    const int reason = CheckResetPosition(car, request, slot);
    if (reason == 0)
        net.queueRecordedGamePacket(request.bytes, CarPosRecordSize);
    else if (askedByPlayer && reason < ToldResetReasons)
        ShowCantResetMessage(reason);
}
