// The tyre model's friction curves: built once before the program starts,
// sampled by every tyre.
#include "vehicle/services.h"

namespace {

// The cubic from p0 (tangent m0) at t = 0 to p1 (tangent m1) at t = 1.
float Hermite(float p0, float p1, float m0, float m1, float t)
{
    const float a = 2 * p0 - 2 * p1 + m0 + m1;
    const float b = 3 * p1 - 3 * p0 - 2 * m0 - m1;
    return ((a * t + b) * t + m0) * t + p0;
}

// The curves' shared start tangent. The knees are two stiffness constants,
// 1.8 and 4, over it; the hard lateral knee is 0.95 of the longitudinal
// one; the ends lie at twice the longitudinal knees.
constexpr float StartTangent = 1.5f;
constexpr float HardKnee = 1.8f / StartTangent, LooseKnee = 4.0f / StartTangent;

} // namespace

TyreCurve MakeTyreCurve(float startTangent, float knee, float kneeSlope, float peak, float end, float endValue)
{
    TyreCurve curve;
    curve.knee = knee;
    curve.end = end;
    curve.stiffness = startTangent * knee;
    curve.step = end / TyreCurveSamples;
    curve.inverseStep = curve.step > 0 ? 1 / curve.step : 0.0f;
    const float tail = end - knee;
    for (int i = 0; i < TyreCurveSamples; i++) {
        const float x = curve.step * static_cast<float>(i + 1);
        if (x < knee)
            curve.values[i] = Hermite(0, peak, startTangent, knee * kneeSlope, x / knee);
        else
            curve.values[i] = Hermite(peak, endValue, tail * kneeSlope, 0, (x - knee) / tail);
    }
    return curve;
}

const TyreCurve LongitudinalTyreCurves[2] = {
    MakeTyreCurve(StartTangent, HardKnee, 0, 1.15f, 2 * HardKnee, 0.95f),
    MakeTyreCurve(StartTangent, LooseKnee, 0.15f, 0.85f, 2 * LooseKnee, 1.0f),
};
const TyreCurve LateralTyreCurves[2] = {
    MakeTyreCurve(StartTangent, 0.95f * HardKnee, 0, 0.95f, 2 * HardKnee, 0.95f),
    MakeTyreCurve(StartTangent, LooseKnee, 0.2f, 0.9f, 2 * LooseKnee, 1.1f),
};
