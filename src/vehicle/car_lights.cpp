// A car's light switches: indicators, the class 10 pit limiter lamp and the
// switch that writes a lamp's value to its targets.
#include "vehicle/local.h"

namespace {

// Indicators: on for 500 ms, off for 500 ms. The class 10 limiter lamp
// lights at 200 ms and goes out at 300 ms.
constexpr int IndicatorOffMs = 500, IndicatorPeriodMs = 1000;
constexpr int LimiterOnMs = 200, LimiterPeriodMs = 300;
constexpr int StepMs = 10;
constexpr int LimiterLampClass = 10;

}  // namespace

void SetCarLight(CarObject& car, int lightSwitch, int on)
{
    if (lightSwitch < 0 || lightSwitch >= CarLightSwitchCount)
        return;
    CarLightSwitch& light = car.lamps.lightSwitches[lightSwitch];
    light.state = on ? 1 : 0;
    for (float* target : light.targets)
        if (target)
            *target = on ? light.onValue : light.offValue;
}

void UpdateBlinkers(CarObject& car)
{
    const int mode = car.lamps.indicatorMode;
    if (mode != 0) {
        car.lamps.blinkerTimerMs += StepMs;
        if (car.lamps.blinkerTimerMs == IndicatorOffMs) {
            SetCarLight(car, LeftIndicatorSwitch, 0);
            SetCarLight(car, RightIndicatorSwitch, 0);
        } else if (car.lamps.blinkerTimerMs >= IndicatorPeriodMs) {
            if (mode == 1 || mode == 3)
                SetCarLight(car, LeftIndicatorSwitch, 1);
            if (mode == 2 || mode == 3)
                SetCarLight(car, RightIndicatorSwitch, 1);
            car.lamps.blinkerTimerMs = 0;
        }
    }
    if (car.data.carClass != LimiterLampClass)
        return;
    if (car.race.pitSpeedLimit) {
        if (mode == 0)
            car.lamps.blinkerTimerMs += StepMs;
        if (car.lamps.blinkerTimerMs == LimiterOnMs) {
            SetCarLight(car, BrakeLightSwitch, 1);
        } else if (car.lamps.blinkerTimerMs >= LimiterPeriodMs && mode == 0) {
            SetCarLight(car, BrakeLightSwitch, 0);
            car.lamps.blinkerTimerMs = 0;
        }
    } else {
        // The indicators keep their own rhythm when the limiter goes off.
        if (mode == 0)
            car.lamps.blinkerTimerMs = 0;
        if (car.lamps.lightSwitches[BrakeLightSwitch].state)
            SetCarLight(car, BrakeLightSwitch, 0);
    }
}
