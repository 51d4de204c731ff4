// The rubber a car lays on the path node it drives over: the node's band
// (left edge, centre line, right edge) is drawn towards where the car's
// tyres work, and darkens with their slip.
#include <algorithm>

#include "vehicle/local.h"

namespace {

// Shares of the "Rubber Lay" rate: the centre line follows the car slowly,
// an edge widens the band quickly and narrows it slowly, and the intensity
// follows the slip.
constexpr float CentreRate = 0.05f, WidenRate = 0.1f, NarrowRate = 0.025f, IntensityRate = 0.05f;

// What the tyres of each side do: their share of the car's weight and how
// far they slip towards their grip peak, each 0..1.
struct SideWork {
    float leftLoad = 0, rightLoad = 0;
    float leftSlip = 0, rightSlip = 0;
};

// Each tyre's load as a quarter of its quarter of the car's weight, summed
// per side; each side's slip as its tyres' mean slip over their peak slip.
SideWork MeasureSideWork(const CarObject& car)
{
    SideWork work;
    const float quarterWeight = 0.25f * car.mass * StandardGravity;
    int leftCount = 0, rightCount = 0;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& wheel = car.wheels[i];
        const float load = quarterWeight > 0 ? wheel.load * 0.25f / quarterWeight : 0.0f;
        const float slip = wheel.peakSlip > 0 ? wheel.slipDisplay / wheel.peakSlip : 0.0f;
        if (wheel.side < 0) {
            work.leftLoad += load;
            work.leftSlip += slip;
            leftCount++;
        } else if (wheel.side > 0) {
            work.rightLoad += load;
            work.rightSlip += slip;
            rightCount++;
        }
    }
    work.leftSlip = leftCount > 0 ? work.leftSlip / float(leftCount) : 0.0f;
    work.rightSlip = rightCount > 0 ? work.rightSlip / float(rightCount) : 0.0f;
    work.leftLoad = Clamp(work.leftLoad, 0.0f, 1.0f);
    work.rightLoad = Clamp(work.rightLoad, 0.0f, 1.0f);
    work.leftSlip = Clamp(work.leftSlip, 0.0f, 1.0f);
    work.rightSlip = Clamp(work.rightSlip, 0.0f, 1.0f);
    return work;
}

// An edge of the band moves towards the car's side: fast when that widens
// the band, slowly when it narrows it.
float MoveEdge(float edge, float target, bool widens, float lay)
{
    return edge + (widens ? WidenRate : NarrowRate) * lay * (target - edge);
}

} // namespace

void LayRubberOnPathNode(const CarObject& car, int node)
{
    const CarPathHooks& path = GetCarPathHooks();
    RoadPlace road;
    NodeRubber rubber;
    if (!GetCarTimingHooks().pathNodeRoad(node, road) || !path.readNodeRubber(node, rubber))
        return;
    const float halfWidth = car.tuning.largerHalfWidth;
    const float offset = car.step.lateralOffset;
    if (offset < road.leftLimit - 2 * halfWidth || offset > road.rightLimit + 2 * halfWidth)
        return;
    const float lay = Settings.rubberLay;
    const SideWork work = MeasureSideWork(car);
    const float centreTarget = offset + (work.rightLoad - work.leftLoad) * halfWidth;
    rubber.offset[1] += CentreRate * lay * (centreTarget - rubber.offset[1]);
    const float leftTarget = Clamp(offset - halfWidth, road.leftLimit, road.rightLimit);
    const float rightTarget = Clamp(offset + halfWidth, road.leftLimit, road.rightLimit);
    rubber.offset[0] = MoveEdge(rubber.offset[0], leftTarget, leftTarget < rubber.offset[0], lay);
    rubber.offset[2] = MoveEdge(rubber.offset[2], rightTarget, rightTarget > rubber.offset[2], lay);
    const float leftDark = work.leftSlip * work.leftSlip, rightDark = work.rightSlip * work.rightSlip;
    const float darkTargets[3] = {leftDark, leftDark + rightDark, rightDark};
    for (int k = 0; k < 3; k++)
        rubber.intensity[k] += IntensityRate * lay * (darkTargets[k] - rubber.intensity[k]);
    path.writeNodeRubber(node, rubber);
}
