// Tyre force curves (tyre_curves.cpp): the normalised friction coefficient
// of a tyre against its normalised slip, which the vehicle's tyre model
// samples. Each curve rises from 0 along a cubic to its peak at the knee
// and runs along a second cubic to its end value, flat beyond the end.
#pragma once

constexpr int TyreCurveSamples = 64;
struct TyreCurve {
    float knee = 0;        // slip of the peak
    float end = 0;         // slip of the end value; the curve is flat beyond
    float stiffness = 0;   // start tangent x knee: the rise per unit of slip / knee
    float step = 0;        // end / 64, the slip between samples
    float inverseStep = 0; // 1 / step
    float values[TyreCurveSamples] = {};  // at slip step x (i + 1)
};
// Tyre kinds of the curve pairs: hard surfaces and loose ones.
constexpr int HardTyreCurve = 0, LooseTyreCurve = 1;
// The lateral pair (rising to 0.95 on hard surfaces) and the longitudinal
// pair (peaking at 1.15 on hard surfaces), indexed by tyre kind. Built by
// BuildTyreCurves at start-up and by ResetDevicesTables; constant after.
extern TyreCurve LateralTyreCurves[2];
extern TyreCurve LongitudinalTyreCurves[2];

// Fills a curve from its start tangent, knee, slope at the knee, peak,
// end and end value.
void BuildTyreCurve(TyreCurve& curve, float startTangent, float knee, float kneeSlope, float peak,
                    float end, float endValue);
// The four curves of the tyre model, built once at start-up.
void BuildTyreCurves();
// The curve's value at slip x >= 0: linear from 0 to the first sample,
// between samples, and the last sample from the end on. Inline: every
// tyre samples two curves each sub-step.
inline float SampleTyreCurve(const TyreCurve& curve, float x)
{
    const float u = x * curve.inverseStep;
    if (u <= 1)
        return u * curve.values[0];
    if (!(u < TyreCurveSamples))
        return curve.values[TyreCurveSamples - 1];
    const int i = static_cast<int>(u);
    return curve.values[i - 1] + (u - static_cast<float>(i)) * (curve.values[i] - curve.values[i - 1]);
}
