// The engine: its torque and friction curves, the values derived from the
// description and the car's class, and the engine and clutch sub-steps.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "vehicle/local.h"

namespace {

// 150000 rpm in rad/s: the turbo's top shaft speed.
constexpr float TurboTopSpeed = 15707.963267948966f;

// Cube root of a positive number with the same bits on every machine: the
// exponent is divided exactly, then Newton steps in double refine it.
double CubeRoot(double x)
{
    if (!(x > 0) || std::isinf(x))
        return x > 0 ? x : 0;
    int exponent;
    double mantissa = std::frexp(x, &exponent);  // 0.5 <= mantissa < 1
    int third = exponent >= 0 ? exponent / 3 : -((-exponent + 2) / 3);
    mantissa = std::ldexp(mantissa, exponent - 3 * third);  // 0.5 .. 4
    double r = 0.6 + 0.4 * mantissa;
    for (int i = 0; i < 8; i++)
        r = r - (r * r * r - mantissa) / (3 * r * r);
    return std::ldexp(r, third);
}

// Cylinder firing orders by count and layout; 0 ends an order.
struct FiringOrder {
    int cylinders, layout;  // layout -1: any; 3: V with the other V8 order
    uint8_t order[12];
};
const FiringOrder FiringOrders[] = {
    {4, 1, {1, 3, 2, 4}},
    {4, -1, {1, 3, 4, 2}},
    {6, 1, {1, 6, 3, 2, 5, 4}},
    {6, -1, {1, 5, 3, 6, 2, 4}},
    {8, 3, {1, 8, 4, 3, 6, 5, 7, 2}},
    {8, 2, {1, 8, 5, 4, 7, 2, 3, 6}},
    {8, -1, {1, 6, 2, 5, 8, 3, 7, 4}},
    {12, -1, {1, 7, 5, 11, 3, 9, 6, 12, 2, 8, 4, 10}},
};

void SetFiringOrder(EngineRecord& e)
{
    for (int i = 0; i < 12; i++)
        e.firingOrder[i] = static_cast<uint8_t>(i);
    int layout = e.layout;
    if (layout == 2 && (e.flags & EngineAltFiring))
        layout = 3;
    for (const FiringOrder& f : FiringOrders) {
        if (f.cylinders != e.cylinders || (f.layout != -1 && f.layout != layout))
            continue;
        for (int i = 0; i < f.cylinders; i++)
            e.firingOrder[i] = f.order[i];
        return;
    }
}

// Keeps the crank angle within ±32π; the clutch angle moves with it when
// asked, so that the twist between them is kept.
void WrapCrankAngle(EngineRecord& e, bool moveClutch)
{
    if (e.crankAngle > 32 * Pi) {
        e.crankAngle -= 64 * Pi;
        if (moveClutch)
            e.clutchAngle -= 64 * Pi;
    } else if (e.crankAngle < -32 * Pi) {
        e.crankAngle += 64 * Pi;
        if (moveClutch)
            e.clutchAngle += 64 * Pi;
    }
}

// The part both engine steps share: manifold pressure, full torque, the
// rev limiter and the torque the engine gives. Returns that torque.
float EngineTorqueNow(EngineRecord& e, float& power, float& revCut)
{
    e.manifoldPressure = (e.boostNow + 1) * e.throttle - 1;
    float p = e.manifoldPressure + 1;
    float h = (e.health + 1) * 0.5f;
    float full = EngineTorqueAt(e, e.speed) * p * h;
    power = full * e.speed;
    float drive = 0;
    if (e.running && e.speed < e.maxSpeed) {
        float over = e.speed - 0.99f * e.maxSpeed;
        if (over > 0) {
            revCut = 1 - over * 100 / e.maxSpeed;
            drive = revCut * full * h * e.health;
        } else {
            drive = full * h * e.health;
        }
    } else {
        revCut = 0;
    }
    return EngineFrictionAt(e, e.speed) + drive;
}

} // namespace

void InitEngineData(EngineRecord& engine)
{
    engine = EngineRecord{};
    engine.soundChannelMask = -1;
}

void ReleaseEngineSounds(EngineRecord& engine)
{
    for (EngineWave& wave : engine.waves)
        FreeWave(wave, 1);
}

void SetDefaultEngineParams(EngineSoundParams& params)
{
    static const float Defaults[EngineSoundValueCount] = {
        40, 0.5f, 0.2f, 0.05f, 2, 0.1f, 0.1f, 0, 150000, 1, 0.8f, 0.6f, 0.8f, 6000, 1,
        0.8f, 0.6f, 0.6f, 0.3f, 0.6f, 1, 0.6f, 0.9f, 0.9f, 0.9f, 0.9f, 0.02f, 0.08f, 1};
    std::memcpy(params.values, Defaults, sizeof Defaults);
    params.extra[0] = 6;
    params.extra[1] = 12;
    params.extra[2] = 0;
    params.extra[3] = 0;
}

void SetDefaultEngine(EngineRecord& engine)
{
    engine.flags = 0;
    SetDefaultEngineParams(engine.soundParams);
    engine.inertiaFactor = 1;
    engine.peakSpeedFactor = 1;
    engine.driveRatio = 1;
    engine.displacement = 2800;
    engine.cylinders = 4;
    engine.layout = 0;
    engine.boost = 1;
    engine.torqueFactor = 1;
    engine.revRangeFactor = 1;
    ResetEngineState(engine);
    RepairEngine(engine);
}

void ResetEngineState(EngineRecord& engine)
{
    engine.speed = 0;
    engine.smoothedSpeed = 0;
    engine.crankAngle = 0;
    engine.clutchAngle = 0;
    engine.clutchPedal = 0;
    engine.running = 0;
    engine.turboSpeed = 0;
    engine.manifoldPressure = 0;
    engine.boostNow = 0;
    engine.clutchSlipping = 0;
    engine.clutchTorque = 0;
    engine.spare[0] = engine.spare[1] = 0;
    engine.throttle = 0.05f;
}

void RepairEngine(EngineRecord& engine)
{
    engine.health = 1;
    engine.clutchHeat = 0;
}

int StartEngine(EngineRecord& engine)
{
    engine.running = 1;
    float least = engine.idleSpeed * 0.25f;
    if (engine.speed < least) {
        engine.speed = least;
        return 1;
    }
    return 0;
}

void StartEngineAtIdle(EngineRecord& engine)
{
    engine.running = 1;
    engine.speed = engine.idleSpeed;
}

void StopEngine(EngineRecord& engine)
{
    engine.running = 0;
}

float EngineTorqueAt(const EngineRecord& engine, float speed)
{
    float x = (speed - engine.peakTorqueSpeed) / engine.torqueCurveWidth;
    float torque = engine.peakTorque / (x * x + 1);
    if (speed < 1.5f * engine.idleSpeed) {
        if (speed <= 0)
            return 0;
        // A smooth step from nothing at rest to the curve at 1.5 × idle.
        float s = speed * 0.667f / engine.idleSpeed;
        torque *= s * s * (3 - 2 * s);
    }
    return torque;
}

float EngineFrictionAt(const EngineRecord& engine, float speed)
{
    if (speed > 0)
        return -(engine.frictionCoeff * speed * speed) - 0.015f * engine.peakTorque;
    if (speed < 0)
        return engine.frictionCoeff * speed * speed + 0.015f * engine.peakTorque;
    return 0;
}

void SetUpEngine(EngineRecord& engine, const CarClass& carClass)
{
    EngineRecord& e = engine;
    e.idleSpeed = carClass.idleSpeed;
    e.boost = Clamp(e.boost, 0, 3);
    e.displacement = Clamp(e.displacement, carClass.minDisplacement, carClass.maxDisplacement);
    if (e.cylinders < carClass.minCylinders)
        e.cylinders = carClass.minCylinders;
    if (e.cylinders > carClass.maxCylinders)
        e.cylinders = carClass.maxCylinders;

    float perCylinder = e.displacement / static_cast<float>(e.cylinders);
    float k = static_cast<float>(CubeRoot(perCylinder));
    e.inertia = k * k * carClass.inertiaFactor * e.inertiaFactor * e.displacement;
    e.frictionCoeff = e.displacement * perCylinder * carClass.frictionFactor;
    e.peakTorque = carClass.torquePerCc * e.torqueFactor * e.displacement;

    float s = 4654 / k * carClass.speedScale;
    e.torqueCurveWidth = 0.55f * e.revRangeFactor * s;
    e.peakTorqueSpeed = s * e.peakSpeedFactor;

    float u = 0.4f * s;
    e.turboPowerRef = EngineTorqueAt(e, u) * 6.711e-7f * u;
    e.turboInertia = e.turboPowerRef * carClass.turboInertiaFactor;
    e.turboDrag = e.turboPowerRef / TurboTopSpeed;

    // The curve's maxima, scanned at 255 speeds below the rev limit; ties
    // keep the first.
    float boostFactor = (e.flags & EngineTurbo) ? 1 + e.boost : 1;
    e.maxTorque = e.maxTorqueSpeed = e.maxPower = e.maxPowerSpeed = 0;
    bool first = true;
    for (int i = 1; i <= 255; i++) {
        float w = static_cast<float>(i) * e.maxSpeed / 256;
        float t = EngineTorqueAt(e, w) * boostFactor + EngineFrictionAt(e, w);
        if (first || t > e.maxTorque) {
            e.maxTorque = t;
            e.maxTorqueSpeed = w;
        }
        if (first || t * w > e.maxPower) {
            e.maxPower = t * w;
            e.maxPowerSpeed = w;
        }
        first = false;
    }

    e.clutchCapacity = std::fmax(1.4f * e.maxTorque, 2800 * e.inertia);
    e.couplingStiffness = 4 * e.maxTorque;
    SetFiringOrder(e);
}

float StepEngineFree(EngineRecord& engine, float dt, float& power, float& revCut)
{
    EngineRecord& e = engine;
    float torque = EngineTorqueNow(e, power, revCut);
    float net = torque - e.clutchTorque;
    e.speed += net / e.inertia * dt;
    if (e.speed < 1) {
        // Below 1 rad/s the engine comes to rest; whether it still runs is
        // the car's business.
        e.speed = 0;
        e.smoothedSpeed = 0;
        e.manifoldPressure = 0;
    } else {
        e.smoothedSpeed += dt * 20 * (e.speed - e.smoothedSpeed);
    }
    if (e.speed > e.maxSpeed) {
        float over = (e.speed - e.maxSpeed) / e.maxSpeed;
        e.health = std::fmax(0.0f, e.health - dt * over * over);
    }
    e.crankAngle += dt * e.speed;
    WrapCrankAngle(e, true);

    if (e.flags & EngineTurbo) {
        e.boostNow = e.turboSpeed * e.boost / TurboTopSpeed;
        // The waste gate opens over the last 5% of the boost.
        float gate = 0;
        if (e.boostNow >= e.boost)
            gate = 1;
        else if (e.boostNow > 0.95f * e.boost)
            gate = (e.boostNow - 0.95f * e.boost) / (0.05f * e.boost);
        float drive = (power * 6.711e-7f - e.turboSpeed * e.turboDrag) * (1 - gate);
        e.turboSpeed += dt * ((drive - e.turboSpeed * e.turboDrag) * 3000 / e.turboInertia);
    }
    return net;
}

void StepEngineCoupled(EngineRecord& engine, float dt, float& power, float& revCut)
{
    (void)dt;
    EngineRecord& e = engine;
    if (e.flags & EngineTurbo) {
        e.turboSpeed = TurboTopSpeed * e.throttle;
        e.boostNow = e.boost * e.throttle;
    }
    float torque = EngineTorqueNow(e, power, revCut);
    e.smoothedSpeed = e.speed;
    WrapCrankAngle(e, false);
    e.clutchAngle = e.crankAngle - torque / e.couplingStiffness;
}

void StepClutch(EngineRecord& engine)
{
    EngineRecord& e = engine;
    if (e.driveRatio == 0) {
        e.clutchTorque = 0;
        e.clutchSlipping = 0;
        return;
    }
    float capacity = (1 - e.clutchPedal) * (1 - e.clutchHeat) * e.clutchCapacity;
    if (e.clutchSlipping)
        capacity *= 0.9f;
    float twist = (e.crankAngle - e.clutchAngle) * e.couplingStiffness;
    if (twist > capacity || twist < -capacity) {
        float limit = twist > 0 ? capacity : -capacity;
        float slip = (twist - limit) / e.couplingStiffness;
        e.clutchAngle += slip;
        e.clutchTorque = limit;
        e.clutchSlipping = 1;
        e.clutchHeat += (1 - e.clutchPedal) * (1 - e.clutchHeat) * std::fabs(slip) * 0.0002f;
    } else {
        e.clutchTorque = twist;
        e.clutchSlipping = 0;
    }
    if (!e.clutchSlipping && e.clutchHeat != 0) {
        e.clutchHeat *= 0.999998f;
        if (e.clutchHeat <= 0.0002f)
            e.clutchHeat = 0;
    }
}

void CoolClutch(EngineRecord& engine)
{
    engine.clutchHeat *= 0.99996f;
    if (engine.clutchHeat <= 0.0002f)
        engine.clutchHeat = 0;
}

void GetRevCounterScale(const EngineRecord& engine, RevCounterScale& scale)
{
    float x = engine.maxSpeed * 60 / (2 * Pi) / 1000;
    scale.step = engine.maxSpeed > 2000 ? 2 : 1;
    // The rev limit comes from the car data: a value far out of range holds
    // the counts at the int range.
    scale.marks = RoundToInt32(std::floor(scale.step == 1 ? 2 * x : x));
    scale.top = RoundToInt32(RoundHalfEven(x) + scale.step);
}

void GetEngineBlockSize(const EngineRecord& engine, int swapped, Vec3& size)
{
    float a = static_cast<float>(CubeRoot(engine.displacement));
    if (engine.layout == 1)
        size = {0.032f * a, 0.026f * a, 0.012f * a};
    else if (engine.layout == 2)
        size = {0.024f * a, 0.026f * a, 0.016f * a};
    else
        size = {0.016f * a, 0.034f * a, 0.018f * a};
    if (swapped) {
        float first = size.x;
        size.x = size.y;
        size.y = first;
    }
}

float GetEngineMass(const EngineRecord& engine)
{
    return engine.displacement * 0.05f;
}

namespace {

// The layout word ("inline", "flat" or "V"); none for a single cylinder.
const char* LayoutWord(const EngineRecord& engine)
{
    if (engine.cylinders == 1)
        return nullptr;
    switch (engine.layout) {
    case 0: return GetText(TX_3a_etl_inli);
    case 1: return GetText(TX_3a_etl_flat);
    case 2: return GetText(TX_3a_etl_veng);
    default: return nullptr;
    }
}

// The cylinder word: "single cylinder", "4 cylinder" and so on from the
// text table, any count without a text of its own through its "%d cylinder".
void FormatCylinderWord(const EngineRecord& engine, char* text, size_t size)
{
    const char* word = nullptr;
    switch (engine.cylinders) {
    case 1: word = GetText(TX_3a_etn_1cyl); break;
    case 2: word = GetText(TX_3a_etn_2cyl); break;
    case 3: word = GetText(TX_3a_etn_3cyl); break;
    case 4: word = GetText(TX_3a_etn_4cyl); break;
    case 5: word = GetText(TX_3a_etn_5cyl); break;
    case 6: word = GetText(TX_3a_etn_6cyl); break;
    case 8: word = GetText(TX_3a_etn_8cyl); break;
    case 10: word = GetText(TX_3a_etn10cyl); break;
    case 12: word = GetText(TX_3a_etn12cyl); break;
    default: break;
    }
    if (word)
        std::snprintf(text, size, "%s", word);
    else
        std::snprintf(text, size, GetText(TX_3a_etn_qcyl), engine.cylinders);
}

// " word", or nothing for no word: the engine line's formats join their
// words without spaces. A word too long for the room is cut short.
void SpacedWord(const char* word, char* text, size_t size)
{
    size_t n = 0;
    if (word && word[0] && size > 1) {
        text[n++] = ' ';
        for (; *word && n + 1 < size; ++word)
            text[n++] = *word;
    }
    if (size > 0)
        text[n] = '\0';
}

float RpmOf(float radPerSecond)
{
    return radPerSecond * 60 / (2 * Pi);
}

} // namespace

void FormatEngineInfo(const EngineRecord& engine, char* displacementText, char* torqueText, char* powerText)
{
    char turbo[EngineInfoTextLength], layout[EngineInfoTextLength], cylinders[EngineInfoTextLength];
    char cylinderWord[EngineInfoTextLength];
    SpacedWord((engine.flags & EngineTurbo) ? GetText(TX_3a_trbochrg) : nullptr, turbo, sizeof turbo);
    SpacedWord(LayoutWord(engine), layout, sizeof layout);
    FormatCylinderWord(engine, cylinderWord, sizeof cylinderWord);
    SpacedWord(cylinderWord, cylinders, sizeof cylinders);
    if (engine.displacement >= 1000)
        std::snprintf(displacementText, EngineInfoTextLength, GetText(TX_3a_engltfmt), engine.displacement / 1000,
                      turbo, layout, cylinders);
    else
        std::snprintf(displacementText, EngineInfoTextLength, GetText(TX_3a_engccfmt), engine.displacement, turbo,
                      layout, cylinders);
    std::snprintf(torqueText, EngineInfoTextLength, GetText(TX_3a_trqnmlbr), engine.maxTorque,
                  engine.maxTorque / 1.35582f, RpmOf(engine.maxTorqueSpeed));
    std::snprintf(powerText, EngineInfoTextLength, GetText(TX_3a_pwrkwbhr), engine.maxPower / 1000,
                  engine.maxPower * 0.0013413f, RpmOf(engine.maxPowerSpeed));
}
