#include "driving_fixture.h"
#include <cstdio>
namespace {
class ScratchRamp : public DrivingTest {};
TEST_F(ScratchRamp, Ramp)
{
    const double slope = std::atan(0.1);
    ground.planeNormal = {0, -static_cast<float>(std::sin(slope)), static_cast<float>(std::cos(slope))};
    CarObject* placed = Place(FindCarByCode("JB4"));
    ASSERT_TRUE(placed);
    CarObject& car = *placed;
    const float c = static_cast<float>(std::cos(slope)), s = static_cast<float>(std::sin(slope));
    car.rotation = {{1, 0, 0, 0, c, -s, 0, s, c}};
    car.predictedRotation = car.rotation;
    car.inputs.words[2] = 65535;
    for (int i = 0; i < 300; i++) {
        Step();
        if (i % 10 == 0)
            printf("RAMP %d y %.4f vy %.4f brake %.2f w %.3f %.3f %.3f %.3f run %d eng %.1f gear %d clutch %.2f hb %.2f\n", i, FixedToMetres(car.position.y), car.velocity.y, car.brake,
                   car.wheels[0].spinRate, car.wheels[1].spinRate, car.wheels[2].spinRate, car.wheels[3].spinRate, car.engine.running, car.engine.speed, car.gear, car.engine.clutchPedal, car.handbrake);
    }
}
}
