// The mover: a value eased to a target value and rate along a quartic in
// time, so that it arrives with the target's rate and no acceleration.
#include "graphics/local.h"

void ResetMover(Mover& mover) { mover = Mover{}; }

void InitMover(Mover& mover, float value, float rate)
{
    mover = Mover{};
    mover.value = mover.target = mover.startValue = value;
    mover.rate = rate;
}

void StartMove(Mover& mover, float target, float targetRate, float time)
{
    mover.startValue = mover.value;
    mover.startRate = mover.rate;
    mover.target = target;
    mover.moveTime = time;
    mover.elapsed = 0;
    if (time <= 0) {
        // No time to move: the mover settles at once.
        mover.c1 = mover.c2 = mover.c3 = 0;
        StepMover(mover, 0);
        return;
    }
    const float t = time;
    const float d = target - mover.startValue - mover.startRate * t;
    const float dr = targetRate - mover.startRate;
    mover.c1 = 12 * d / (t * t) - 6 * dr / t;
    mover.c2 = 30 * dr / (t * t) - 48 * d / (t * t * t);
    mover.c3 = 72 * d / (t * t * t * t) - 48 * dr / (t * t * t);
}

void StepMover(Mover& mover, float timeStep)
{
    mover.elapsed += timeStep;
    if (mover.elapsed >= mover.moveTime) {
        mover.value = mover.target;
        mover.rate = 0;
        mover.spare = 0;
        mover.elapsed = mover.moveTime;
        return;
    }
    const float t = mover.elapsed;
    const float t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    mover.value = mover.startValue + mover.startRate * t + mover.c1 * t2 / 2 + mover.c2 * t3 / 6 + mover.c3 * t4 / 24;
    mover.rate = mover.startRate + mover.c1 * t + mover.c2 * t2 / 2 + mover.c3 * t3 / 6;
}
