// What keeps every computer's copy of a car the same: its four values of
// the state check, the race parameters record, the wrong-way sanction and
// the guest's distance and fuel report to the host.
#include "vehicle/local.h"

namespace {

// Host rules bit: driving the wrong way is allowed.
constexpr uint32_t WrongWayAllowed = 0x200;
// Wrong-way counts that warn, warn again and sanction.
constexpr int32_t WrongWayLevels[3] = {15, 45, 60};
// Throttle words above which a wrong-way step counts 3 and 6.
constexpr uint16_t SomeThrottle = 2048, MuchThrottle = 16384;
constexpr int Neutral = 1;
// "Auto Kick" actions: warn only, kick, ban, spectate.
constexpr int KickWarn = 0, KickSpectate = 3;
// The auto-kick packet's fourth byte.
constexpr uint8_t AutoKickTag = 2;
// A distance report above this many metres is sent as the marker.
constexpr int LongDistance = 2048, LongDistanceMarker = -2;
constexpr int ShortDistance = 3;

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

uint32_t AddFloat(uint32_t crc, float value) { return CrcAddInt(crc, FloatBits(value)); }

uint32_t BodyChecksum(const CarObject& car, uint32_t crc)
{
    float drag = 0, lift = 0;
    for (const AeroPoint& point : car.aero) {
        drag += point.drag;
        lift += point.lift;
    }
    crc = AddFloat(crc, car.mass);
    crc = AddFloat(crc, float(car.tuning.driveAxles));
    crc = AddFloat(crc, car.tuning.driveEfficiency);
    crc = AddFloat(crc, drag);
    crc = AddFloat(crc, lift);
    return CrcAddInt(crc, uint32_t(car.data.tractionControl));
}

uint32_t AxleChecksum(const CarObject& car, uint32_t crc)
{
    for (int a = 0; a < 2; a++) {
        const Axle& axle = car.axles[a];
        crc = AddFloat(crc, car.tuning.torqueShare[a]);
        crc = AddFloat(crc, axle.tyreWidth);
        crc = AddFloat(crc, axle.sidewallRatio);
        crc = AddFloat(crc, axle.rimRadius);
        crc = AddFloat(crc, axle.tyreDamping);
        const int compound = Clamp(int(axle.tyreType), 0, TyreCompoundCount - 1);
        for (int kind = 0; kind < SurfaceKindCount; kind++)
            crc = AddFloat(crc, GripTable[compound][kind]);
    }
    return crc;
}

uint32_t EngineChecksum(const CarObject& car, uint32_t crc)
{
    const EngineRecord& engine = car.engine;
    crc = AddFloat(crc, engine.peakTorque);
    crc = AddFloat(crc, engine.peakTorqueSpeed);
    crc = AddFloat(crc, engine.torqueCurveWidth);
    crc = AddFloat(crc, engine.frictionCoeff);
    crc = AddFloat(crc, engine.inertia);
    if (engine.flags & EngineTurbo)
        crc = AddFloat(crc, engine.boost);
    return crc;
}

uint32_t RaceStateChecksum(const CarObject& car, uint32_t crc)
{
    CarRaceParams params;
    GetCarRaceParams(car, params);
    const uint8_t* b = params.bytes;
    crc = CrcAddInt(crc, uint32_t(GetInt(b + 8)));
    crc = CrcAddInt(crc, uint32_t(GetInt(b + 12)));
    crc = CrcAddShort(crc, uint16_t(GetShort(b + 4)));
    for (int offset : {3, 1, 2, 6, 7, 0})
        crc = CrcAddByte(crc, b[offset]);
    return crc;
}

// The auto-kick packet [68][player id][action][2].
void MakeAutoKickPacket(uint8_t* packet, int playerId, int action)
{
    packet[0] = CarPacketAutoKick;
    packet[1] = uint8_t(playerId);
    packet[2] = uint8_t(action);
    packet[3] = AutoKickTag;
}

int KickAction(const CarSlotOrders& orders)
{
    return orders.aiDriver ? KickSpectate : Settings.autoKick;
}

int WrongWayWeight(const CarObject& car)
{
    if (car.step.gear == Neutral)
        return 1;
    const uint16_t throttle = car.inputs.words[1];
    if (throttle > MuchThrottle)
        return 6;
    return throttle > SomeThrottle ? 3 : 1;
}

}  // namespace

void GetCarRaceParams(const CarObject& car, CarRaceParams& record)
{
    record = {};
    uint8_t* b = record.bytes;
    b[0] = car.race.result.classified;
    b[1] = car.race.result.penaltyState;
    b[2] = car.pit.raceParamBytes[0];
    b[3] = car.pit.raceParamBytes[1];
    PutShort(b + 4, car.race.lapCount);
    b[6] = car.race.raceBytes[0];
    b[7] = car.race.raceBytes[1];
    PutInt(b + 8, car.pit.raceValue);
    PutInt(b + 12, car.race.lapStart - GetCarRaceHooks().raceStartOffset() * 100);
}

void SetCarRaceParams(CarObject& car, const CarRaceParams& record)
{
    const uint8_t* b = record.bytes;
    car.race.result.classified = b[0];
    car.race.result.penaltyState = b[1];
    car.pit.raceParamBytes[0] = b[2];
    car.pit.raceParamBytes[1] = b[3];
    car.race.lapCount = GetShort(b + 4);
    car.race.raceBytes[0] = b[6];
    car.race.raceBytes[1] = b[7];
    car.pit.raceValue = GetInt(b + 8);
    car.race.lapStart = GetInt(b + 12) + GetCarRaceHooks().raceStartOffset() * 100;
}

void GetCarChecksum(const CarObject& car, uint32_t values[4])
{
    values[0] = BodyChecksum(car, values[0]);
    values[1] = AxleChecksum(car, values[1]);
    values[2] = EngineChecksum(car, values[2]);
    values[3] = RaceStateChecksum(car, values[3]);
}

void AutoKickWrongWay(CarObject& car)
{
    const CarNetHooks& net = GetCarNetHooks();
    if (net.hostRules() & WrongWayAllowed)
        return;
    car.pit.wrongWayCount += WrongWayWeight(car);
    int level = car.pit.kickLevel;
    while (level < 3 && car.pit.wrongWayCount >= WrongWayLevels[level])
        level++;
    if (level == car.pit.kickLevel)
        return;
    car.pit.kickLevel = uint8_t(level);
    if (level == 3) {
        ApplyAutoKick(car);
        return;
    }
    const CarSlotOrders orders = GetSlotOrders(GetPlayerSlotOfCar(car));
    uint8_t packet[4];
    MakeAutoKickPacket(packet, orders.playerId, level == 1 ? KickWarn : KickAction(orders));
    net.sendToPlayer(orders.playerId, packet, 4);
}

void ApplyAutoKick(CarObject& car)
{
    const CarSlotOrders orders = GetSlotOrders(GetPlayerSlotOfCar(car));
    const int action = KickAction(orders);
    uint8_t packet[4];
    MakeAutoKickPacket(packet, orders.playerId, action);
    GetCarNetHooks().sendToAllGuests(packet, 4);
    if (action == KickSpectate)
        SendCarValue(car, 0);
    else if (!orders.aiDriver && action != KickWarn)
        GetCarNetHooks().sanctionPlayer(orders.playerId, action);
}

void SendCarDistanceReport(CarObject& car, int slot)
{
    const CarNetHooks& net = GetCarNetHooks();
    if (!net.isOnline() || net.isReplayPlaying() || slot < 0 || GetSlotOrders(slot).aiDriver)
        return;
    int metres = (car.net.distanceCounter >> 16) & 0xFFFF;
    const int fuel = Clamp(car.net.fuelCounter >> 16, 0, 255);
    car.net.distanceCounter = car.net.fuelCounter = 0;
    if (!car.net.reportFlag && metres <= ShortDistance && fuel == 0)
        return;
    car.net.reportFlag = 0;
    if (metres >= LongDistance && metres != 0xFFFF)
        metres = LongDistanceMarker;
    uint8_t packet[4] = {CarPacketDistance, uint8_t(fuel)};
    PutShort(packet + 2, metres);
    net.sendToHost(packet, 4);
}
