// The car step's results pinned: a fixed drive of generated cars of every
// drive layout and gearbox kind (pulling away, changing gear by hand and
// automatically, full throttle, a slalom, a long corner, hard braking)
// ends in states whose hash each case keeps. Replays and network races
// depend on every copy computing the same steps bit for bit, so a change
// that alters any result shows here; updating a pinned value says that the
// change is deliberate and that stored replays no longer play the same.
// The cars are the data builder's, so a change of their data shows here
// too. The same values come out of the optimised and the sanitizer builds.
#include <gtest/gtest.h>

#include <cstdint>

#include "driving_fixture.h"

namespace {

constexpr int Neutral = 1;
constexpr int DriveSteps = 3000;  // 30 s of 10 ms steps
constexpr int SettleSteps = 100;  // standing in neutral on the springs

// FNV-1a over the bytes of each value: every bit of a float counts, so
// even a change in the last place alters the hash.
class StateHash {
public:
    void AddBytes(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; i++) {
            value ^= bytes[i];
            value *= 1099511628211ull;
        }
    }
    void Add(float v) { AddBytes(&v, sizeof v); }
    void Add(int32_t v) { AddBytes(&v, sizeof v); }
    void Add(const Vec3& v)
    {
        Add(v.x);
        Add(v.y);
        Add(v.z);
    }
    void Add(const FixedVector& v)
    {
        Add(v.x.raw);
        Add(v.y.raw);
        Add(v.z.raw);
    }
    uint64_t value = 14695981039346656037ull;
};

// The state a step carries to the next: the body's pose and motion, each
// wheel's suspension, spin, steering and tyre (wear, heat, pressure), the
// engine's speed, the gear and the fuel.
uint64_t HashCarState(const CarObject& car)
{
    StateHash hash;
    hash.Add(car.position);
    for (float m : car.rotation.m)
        hash.Add(m);
    hash.Add(car.velocity);
    hash.Add(car.angularMomentum);
    for (int k = 0; k < car.wheelCount; k++) {
        const Wheel& w = car.wheels[k];
        hash.Add(w.travel);
        hash.Add(w.travelRate);
        hash.Add(w.spinRate);
        hash.Add(w.steerAngle);
        hash.Add(w.pressure);
        for (const TyreSegment& segment : w.segments)
            for (int strip = 0; strip < 3; strip++) {
                hash.Add(segment.treadDepth[strip]);
                hash.Add(segment.treadHeat[strip]);
                hash.Add(segment.surfaceHeat[strip]);
            }
    }
    hash.Add(car.engine.speed);
    hash.Add(car.step.gear);
    hash.Add(car.race.fuel);
    return hash.value;
}

// How a case's driver changes gear.
enum class Shifting { Automatic, ByHand };

struct DriveCase {
    const char* code;
    const char* what;
    Shifting shifting;
    uint64_t pinned;  // HashCarState at the end of the drive
};

// The steering word of the drive at a step, from integers only (so that the
// inputs never depend on a library's rounding): a slalom of 3 s waves, a
// long left-hand corner, and straight running between them.
uint16_t DriveSteering(int step)
{
    constexpr int Centre = 32768;
    if (step >= 500 && step < 1400) {
        // Slalom: a triangle wave of 300 steps and 2500 units each way.
        const int phase = (step - 500) % 300;
        const int rise = phase < 150 ? phase : 300 - phase;
        return static_cast<uint16_t>(Centre - 2500 + rise * 5000 / 150);
    }
    if (step >= 1900 && step < 2500)
        return static_cast<uint16_t>(Centre - 1800);  // held left
    return Centre;
}

// The driver of the drive: pedals and steering by the step, and gear
// changes by hand or left to the automatic gearbox. The drive pulls away
// and accelerates hard, brakes hard, takes a long corner at part throttle,
// accelerates again and brakes to a crawl.
class Driver {
public:
    explicit Driver(Shifting shifting) : shifting_(shifting) {}

    void SetInputs(CarObject& car, int step)
    {
        uint16_t* words = car.inputs.words;
        const bool braking = (step >= 1400 && step < 1650) || step >= 2700;
        const bool cornering = step >= 1900 && step < 2500;
        words[0] = DriveSteering(step);
        words[1] = braking ? 0 : cornering ? 30000 : 65535;
        words[2] = braking ? 52000 : 0;
        ChooseShift(car, step, braking);
        const bool held = step < pressUntil_;
        words[3] = held && pressUp_;
        words[4] = held && !pressUp_;
    }

private:
    // Out of neutral when standing (the automatic gearbox waits for it too;
    // the motorbike box finds first gear below neutral); by hand, up near the
    // speed of maximum power and down as the car slows under braking. A
    // shift word is held five steps and then released, so that each press
    // counts once.
    void ChooseShift(const CarObject& car, int step, bool braking)
    {
        if (step < pressUntil_ + 5)
            return;
        const float wheelSpeed = GetEngineSpeedFromWheels(car);  // rad/s the wheels give the engine
        const float peak = car.engine.maxPowerSpeed;
        const int lastGear = car.data.gearCount - 1;
        const bool settled = step - lastPress_ > 80;
        if (car.step.gear == Neutral && !braking && car.step.speed < 1)
            Press(step, car.data.gearboxKind != MotorbikeBox);
        else if (shifting_ == Shifting::Automatic)
            return;
        else if (!braking && settled && wheelSpeed > 0.92f * peak && car.step.gear < lastGear)
            Press(step, true);
        else if (braking && step - lastPress_ > 40 && wheelSpeed < 0.5f * peak && car.step.gear > FirstGear)
            Press(step, false);
    }
    void Press(int step, bool up)
    {
        pressUp_ = up;
        pressUntil_ = step + 5;
        lastPress_ = step;
    }

    static constexpr int FirstGear = 2;
    static constexpr int MotorbikeBox = 2;
    Shifting shifting_;
    bool pressUp_ = true;
    int pressUntil_ = 0;
    int lastPress_ = -1000;
};

class DeterminismTest : public DrivingTest {
protected:
    // Drives the car of the code through the whole drive from standing
    // still and returns the hash of its final state.
    uint64_t Drive(const DriveCase& drive)
    {
        CarObject* placed = Place(FindCarByCode(drive.code));
        EXPECT_TRUE(placed);
        if (!placed)
            return 0;
        CarObject& car = *placed;
        Step(SettleSteps);
        WarmTyres(car);
        // Settled: the gear selection may run, as the race allows it.
        car.step.settleCounter = 100;
        ApplyPlayerAids(car, (drive.shifting == Shifting::Automatic ? 8 : 0) | (1 << 9));
        Driver driver(drive.shifting);
        for (int step = 0; step < DriveSteps; step++) {
            driver.SetInputs(car, step);
            SelectGear(car);
            Step();
            if (HasFatalFailure())
                return 0;
        }
        return HashCarState(car);
    }
};

// One car of each drive layout and each gearbox kind.
const DriveCase DriveCases[] = {
    {"WQG", "front drive, H pattern, automatic", Shifting::Automatic, 0x2c0ff357c11b8610ull},
    {"HLO", "four-wheel drive, H pattern, by hand", Shifting::ByHand, 0xe650d391b7f7c371ull},
    {"YAS", "rear drive, motorbike box, by hand", Shifting::ByHand, 0xc3cb7e32776d4759ull},
    {"KTA", "formula, sequential without cut, by hand", Shifting::ByHand, 0xf24348a0f3520622ull},
    {"WQR", "GT, sequential with ignition cut, automatic", Shifting::Automatic, 0x8fd66a0f5ba2396dull},
    {"NQ1", "grand prix, paddle shift, by hand", Shifting::ByHand, 0x37e84cbb93f9ecfaull},
};

TEST_F(DeterminismTest, FixedDriveEndsInThePinnedStates)
{
    for (const DriveCase& drive : DriveCases) {
        SCOPED_TRACE(drive.what);
        const uint64_t hash = Drive(drive);
        EXPECT_EQ(hash, drive.pinned) << drive.code << ": the car step's results changed; if that is "
                                      << "deliberate, pin 0x" << std::hex << hash;
    }
}

// The same drive twice in one process ends the same: nothing the first run
// leaves behind (a cache, a table, a counter) reaches the second.
TEST_F(DeterminismTest, SameDriveTwiceEndsTheSame)
{
    const DriveCase& drive = DriveCases[1];
    const uint64_t first = Drive(drive);
    const uint64_t second = Drive(drive);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(first, second);
}

} // namespace
