// The slow side of a tyre's heat: exchange between the tread's running
// surface and bulk, the sidewalls, the air inside, the rim and the outside
// air, once per 10 ms step; overheating and the display, wear and dirt bytes.
#include <cmath>

#include "vehicle/local.h"

namespace {

constexpr float AmbientKelvin = 293.15f;
constexpr float AirHeat = 1005.0f;  // J/(kg K)
constexpr float OverheatKelvin = 473.15f;

inline float Inverse(float v) { return v > 0 ? 1.0f / v : 0.0f; }

} // namespace

void StepTyre(Wheel& wheel, const Axle& axle, float h, float airFlow, int oneSegment)
{
    const float pr = (AtmosphericPressure + wheel.pressure) * (1 / AtmosphericPressure);
    const float r = axle.tyreRadius;
    const float A = axle.treadHeatFactor, B = axle.sidewallHeatFactor;
    const float airCapacity = wheel.airMass * AirHeat;
    const float rimCapacity = RimCapacity(axle);
    const float airT = wheel.airHeat * Inverse(airCapacity);
    const float rimT = wheel.rimHeat * Inverse(rimCapacity);

    // Exchange coefficients, W/K over the step.
    const float surfaceOut = A * 10 * h * airFlow;
    const float bulkIn = A * 10 * h * pr;
    const float thinLayer = 0.001f * r;
    const float surfaceBulk = thinLayer > 0 ? A / thinLayer * h * 0.15f : 0.0f;
    const float sideOut = B * 10 * h * airFlow;
    const float sideIn = B * 10 * h * pr;
    const float inverseSurface = Inverse(SurfaceCapacity(axle));
    const float inverseSide = Inverse(SidewallCapacity(axle));

    const int segments = oneSegment ? 1 : TyreSegmentCount;
    float bulkSum[3] = {}, depthSum[3] = {}, sideSum[2] = {}, dirtSum = 0;
    float airGain = 0;
    for (int s = 0; s < segments; s++) {
        TyreSegment& segment = wheel.segments[s];
        // Tread strips: surface to bulk, bulk to the air inside, surface
        // to the outside air.
        for (int j = 0; j < 3; j++) {
            const float tb = segment.treadHeat[j] * Inverse(TreadCapacity(axle, segment.treadDepth[j]));
            const float ts = segment.surfaceHeat[j] * inverseSurface;
            const float q1 = (ts - tb) * surfaceBulk;
            const float q2 = (tb - airT) * bulkIn;
            segment.surfaceHeat[j] += (AmbientKelvin - ts) * surfaceOut - q1;
            segment.treadHeat[j] += q1 - q2;
            airGain += q2;
            bulkSum[j] += tb;
            depthSum[j] += segment.treadDepth[j];
        }
        // Sidewalls.
        for (int j = 0; j < 2; j++) {
            const float tw = segment.sidewallHeat[j] * inverseSide;
            const float q = (tw - airT) * sideIn;
            segment.sidewallHeat[j] += (AmbientKelvin - tw) * sideOut - q;
            airGain += q;
            sideSum[j] += tw;
        }
        dirtSum += segment.dirt;
    }

    // Means over the segments; an overheated strip bursts the tyre.
    const float perSegment = 1.0f / static_cast<float>(segments);
    for (int j = 0; j < 3; j++) {
        bulkSum[j] *= perSegment;
        depthSum[j] *= perSegment;
        if (bulkSum[j] > OverheatKelvin)
            wheel.flat = 1;
    }

    // Display bytes (held within their 6 bits), wear levels (7 new, 0 at
    // the minimum tread) and the dirt level.
    for (int j = 0; j < 3; j++)
        wheel.displayTemperature[j] = TemperatureByte(bulkSum[j]);
    wheel.displayTemperature[3] = TemperatureByte(airT);
    wheel.displayTemperature[4] = TemperatureByte(sideSum[0] * perSegment);
    wheel.displayTemperature[5] = TemperatureByte(sideSum[1] * perSegment);
    wheel.displayTemperature[6] = TemperatureByte(rimT);
    const float wearScale = r > 0 ? 7 / (0.021f * r) : 0.0f;
    for (int j = 0; j < 3; j++) {
        const float level = std::nearbyint((depthSum[j] - 0.009f * r) * wearScale);
        wheel.wearLevel[j] = static_cast<uint8_t>(Clamp(level, 0, 7));
    }
    const float dirt = std::nearbyint(dirtSum * perSegment * 43.75f);
    wheel.dirtLevel = static_cast<uint8_t>(Clamp(dirt, 0, 7));

    // The rim: to the air inside, and weakly to the outside air.
    const float k = axle.rimWidth * axle.rimRadius * TwoPi * h * 10;
    const float q = (rimT - airT) * k * pr;
    wheel.rimHeat += (AmbientKelvin - rimT) * k * airFlow * 0.1f - q;
    wheel.airHeat += airGain + q;
}
