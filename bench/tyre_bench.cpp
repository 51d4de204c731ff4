// The tyre model alone: one wheel's forces per sub-step (rolling with slip,
// and parked), and one step of a tyre's heat exchange.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "vehicle/services.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

// A 205/55 R15 road tyre on a fixed suspension, pressed 2 cm into flat
// ground of surface kind 0, as the tyre tests set it up.
struct BenchWheel {
    CarObject car;
    Wheel wheel;
    Axle axle;
    Vec3 hub;

    BenchWheel()
    {
        axle.tyreWidth = 0.205f;
        axle.sidewallRatio = 0.55f;
        axle.rimRadius = 0.1905f;
        axle.rimWidth = 0.16f;
        axle.tyreType = 4;
        BuildTyreProfile(axle, 0);
        const float r = axle.tyreRadius, e = axle.rimRadius;
        axle.rimVolume = 2 * Pi * e * axle.rimWidth * 0.02f * r;
        axle.airVolume = Pi * (r * r - e * e) * axle.treadWidth;
        axle.treadHeatFactor = axle.treadWidth / 3 * 2 * Pi * r / 16;
        axle.sidewallHeatFactor = (r - e) * 2 * Pi * r / 16;
        InitWheel(wheel);
        wheel.side = 1;
        wheel.axleIndex = 1;
        wheel.coldPressure = 200000;
        wheel.airMass = (AtmosphericPressure + wheel.coldPressure) / AtmosphericPressure * axle.airVolume * 1.205f;
        wheel.wheelMass = 15;
        wheel.wheelInertia = r * r * wheel.wheelMass / 2;
        wheel.spinAxis = {1, 0, 0};
        wheel.steerAxis = {0, 0.1f, 0.995f};
        wheel.hubOffset = {0, 0, -r};
        wheel.suspensionType = 1;
        wheel.travelAxis = {0, 0, 1};
        wheel.springRate = 60000;
        wheel.maxTravel = 0.12f;
        wheel.travel = 0.05f;
        wheel.ground.touching = 1;
        wheel.ground.normal = {0, 0, 1};
        wheel.ground.grip = 1.15f;
        InitTyreHeat(wheel, axle, 0);
        hub = {0, 0, r - 0.02f};
        wheel.previousCentre = {hub.x, hub.y, hub.z - r};
    }
    // What the car gives the tyre for a (sub-)step of h seconds.
    TyreStepInput Input(float brake, float* alignSum, float h)
    {
        TyreStepInput input;
        input.car = &car;
        input.hubPosition = hub;
        input.brakeTorque = brake;
        input.alignTorque = alignSum;
        input.h = h;
        input.inverseH = 1 / h;
        input.gravity = -9.81f;
        return input;
    }
};

void TyreForcesRolling(benchmark::State& state)
{
    BenchWheel b;
    const float h = 0.0005f;
    const Vec3 velocity = {1.5f, 20, 0};  // a slip angle of about 4 degrees
    b.wheel.steerAngle = 0.05f;
    float align = 0;
    PrepareTyreStep(b.wheel, b.axle);
    for (auto _ : state) {
        b.wheel.spinStep = 20 / b.axle.tyreRadius * h;
        b.wheel.wheelTorque = 0;
        b.hub.x += h * velocity.x;
        b.hub.y += h * velocity.y;
        Vec3 load;
        ComputeTyreForces(b.wheel, b.axle, b.Input(10, &align, h), load);
        benchmark::DoNotOptimize(load);
    }
}
BENCHMARK(TyreForcesRolling);

void TyreForcesParked(benchmark::State& state)
{
    BenchWheel b;
    const float h = 0.0005f;
    float align = 0;
    PrepareTyreStep(b.wheel, b.axle);
    for (auto _ : state) {
        Vec3 load;
        ComputeTyreForces(b.wheel, b.axle, b.Input(1e5f, &align, h), load);
        benchmark::DoNotOptimize(load);
    }
}
BENCHMARK(TyreForcesParked);

void TyreHeatStep(benchmark::State& state)
{
    BenchWheel b;
    for (auto _ : state) {
        StepTyre(b.wheel, b.axle, 0.01f, 3, 0);
        benchmark::DoNotOptimize(b.wheel.airHeat);
    }
}
BENCHMARK(TyreHeatStep);

} // namespace
