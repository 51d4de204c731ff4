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
    // The record holds floats; the sums are formed in doubles so that the
    // curve holds to the float's precision.
    const double t = time;
    const double d = double(target) - mover.startValue - double(mover.startRate) * t;
    const double dr = double(targetRate) - mover.startRate;
    mover.c1 = float(12 * d / (t * t) - 6 * dr / t);
    mover.c2 = float(30 * dr / (t * t) - 48 * d / (t * t * t));
    mover.c3 = float(72 * d / (t * t * t * t) - 48 * dr / (t * t * t));
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
    const double t = mover.elapsed;
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    mover.value = float(mover.startValue + mover.startRate * t + mover.c1 * t2 / 2 + mover.c2 * t3 / 6 +
                        mover.c3 * t4 / 24);
    mover.rate = float(mover.startRate + mover.c1 * t + mover.c2 * t2 / 2 + mover.c3 * t3 / 6);
}
