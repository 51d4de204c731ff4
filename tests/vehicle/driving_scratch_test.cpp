// Scratch experiments (removed before landing).
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include "driving_fixture.h"
namespace {
class Scratch : public DrivingTest {};
TEST_F(Scratch, Rest)
{
    CarObject* car = Place(FindCarByCode("JB4"));
    ASSERT_TRUE(car);
    const bool fix = getenv("FIX") != nullptr;
    for (int s = 0; s < 400; s++) {
        FixedVector before = car->position;
        Step();
        if (fix) {
            Vec3 d = OffsetFromFixed(car->position - before);
            for (int k = 0; k < car->wheelCount; k++) {
                Wheel& w = car->wheels[k];
                w.previousCentre -= d; w.patchPoint -= d; w.dragAnchor -= d; w.rimAnchor -= d;
            }
        }
        if (s % 20 == 0) {
            Point3 p = CarPointInWorld(*car, {});
            printf("%3d pos %.4f %.4f %.4f v %.4f %.4f %.4f spin %.3f %.3f %.3f %.3f load %.0f %.0f %.0f %.0f eng %.1f gear %d\n", s, p.x, p.y, p.z,
                   car->velocity.x, car->velocity.y, car->velocity.z, car->wheels[0].spinRate, car->wheels[1].spinRate,
                   car->wheels[2].spinRate, car->wheels[3].spinRate, car->wheels[0].load, car->wheels[1].load, car->wheels[2].load, car->wheels[3].load, car->engine.speed, car->gear);
        }
    }
}
}
