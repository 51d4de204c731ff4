// Where a wheel's hub sits for its suspension travel, and the axes it
// steers, spins and travels along, for the six suspension types.
#include <cmath>

#include "vehicle/local.h"

namespace {

// The steps the two linkage types share once the upright is placed: the
// spin axis from the upright's direction (h, v) in the cross plane, the
// hub offset, and the travel axis perpendicular to the line from the
// instant centre to the wheel centre. m is the unit normal of the line the
// second link holds the upright on; the arm runs from its pivot along
// (cx, sa) at angle a.
void FinishLinkage(Wheel& wheel, const Axle& axle, float h, float v, float mx, float mz, float cx, float sa,
                   float cosA, float travelSign)
{
    const float p = wheel.armDirection.x, q = wheel.armDirection.y;
    const float side = wheel.side;
    wheel.spinAxis = {side * (v * q + h * p), 0, side * (v * p - h * q)};
    const float r = axle.tyreRadius, o = axle.wheelOffset;
    const Vec3& s = wheel.spinAxis;
    wheel.hubOffset = {r * s.z + o * s.x * side, 0, o * s.z * side - r * s.x};
    const float wx = wheel.hubPoint.x + wheel.hubOffset.x, wz = wheel.hubPoint.z + wheel.hubOffset.z;
    // The instant centre: where the arm's line meets the second link's.
    const float b = mx * cx + mz * sa;
    if (b > 0.001f || b < -0.001f) {
        const float lambda = (mx * wheel.linkVector.x + mz * wheel.linkVector.z) / b;
        const float ix = wheel.pivotB.x + lambda * cx, iz = wheel.pivotB.z + lambda * sa;
        float tx = wz - iz, tz = ix - wx;
        const float lengthSquared = tx * tx + tz * tz;
        if (lengthSquared > 1e-12f) {
            const float scale = (b > 0 ? travelSign : -travelSign) / std::sqrt(lengthSquared);
            wheel.travelAxis = {tx * scale, 0, tz * scale};
            return;
        }
    }
    // Links parallel (centre at infinity), or the wheel centre on it: the
    // carrier moves with the arm's end.
    wheel.travelAxis = {-side * sa, 0, cosA};
}

} // namespace

void UpdateSuspensionGeometry(Wheel& wheel, const Axle& axle)
{
    const float t = wheel.travel + wheel.travelLoss;
    const int type = wheel.suspensionType;
    if (type == 0) {
        wheel.hubPoint = {wheel.mountPosition.x, wheel.mountPosition.y, wheel.mountHeight};
        return;
    }
    if (type == 1 || type == 2 || type == 5) {
        wheel.hubPoint = Vec3{wheel.mountPosition.x, wheel.mountPosition.y, wheel.mountHeight} + t * wheel.travelAxis;
        return;
    }
    if (type != 3 && type != 4)
        return;
    // The arm turns about its pivot; a bent arm is shorter. An arm of no
    // length cannot place the wheel: the geometry stays as it is.
    const float armLength = axle.armLength - wheel.armLoss;
    if (!(armLength > 0))
        return;
    const float side = wheel.side;
    double sine, cosine;
    ComputeSinCos(t / armLength + wheel.restArmAngle, sine, cosine);
    const float cosA = static_cast<float>(cosine), sa = static_cast<float>(sine);
    const float cx = cosA * side;
    const float ex = wheel.pivotB.x + armLength * cx, ez = wheel.pivotB.z + armLength * sa;
    const float k = axle.kingpinHalfLength;
    const float mountY = wheel.mountPosition.y;

    if (type == 3) {
        // Swing arm: the carrier's centre at the arm's end, its steering
        // axis through the upper point, where a strut slides.
        const Vec3 toTop = {wheel.pivotC.x - ex, wheel.pivotC.y - mountY, wheel.pivotC.z - ez};
        const float topSquared = LengthSquared(toTop);
        const float acrossSquared = toTop.x * toTop.x + toTop.z * toTop.z;
        if (!(topSquared > 1e-12f) || !(acrossSquared > 1e-12f))
            return;
        const float inverse = 1.0f / std::sqrt(topSquared);
        wheel.steerAxis = inverse * toTop;
        wheel.hubPoint = Vec3{ex, mountY, ez} + k * wheel.steerAxis;
        const float acrossInverse = 1.0f / std::sqrt(acrossSquared);
        const float h = toTop.x * acrossInverse, v = toTop.z * acrossInverse;
        // The strut's top slides along the strut: the second line runs
        // through the upper point across the strut, its normal the strut.
        FinishLinkage(wheel, axle, h, v, h, v, cx, sa, cosA, side);
        return;
    }

    // Double wishbone: the upright of length 2k leans back by the caster
    // angle c; its ends are o apart in the cross plane. The upper end lies
    // on the upper link's circle about its pivot and o from the lower end.
    double sinC, cosC;
    ComputeSinCos(axle.casterAngle, sinC, cosC);
    const float across = 2 * k * static_cast<float>(cosC);
    const float lean = k * static_cast<float>(sinC);
    const float upper = axle.upperLinkLength - wheel.upperLinkLoss;
    const float dx = ex - wheel.pivotA.x, dz = ez - wheel.pivotA.z;
    const float dSquared = dx * dx + dz * dz;
    if (!(across > 0) || !(dSquared > 1e-12f))
        return;
    const float d = std::sqrt(dSquared);
    const float nx = dx / d, nz = dz / d;
    const float along = (upper * upper + dSquared - across * across) / (2 * d);
    const float rest = upper * upper - along * along;
    // The links cannot meet: keep the last hub and axes.
    if (rest < 0.001f)
        return;
    const float out = side * std::sqrt(rest);
    const float px = wheel.pivotA.x + along * nx - out * nz, pz = wheel.pivotA.z + along * nz + out * nx;
    wheel.hubPoint = {(ex + px) * 0.5f, mountY, (ez + pz) * 0.5f};
    const float h = (px - ex) / across, v = (pz - ez) / across;
    wheel.steerAxis = {(px - ex) * 0.5f / k, -lean / k, (pz - ez) * 0.5f / k};
    // The upper link's normal, turned a quarter towards the upright's top.
    const float ux = (px - wheel.pivotA.x) / upper, uz = (pz - wheel.pivotA.z) / upper;
    FinishLinkage(wheel, axle, h, v, -uz, ux, cx, sa, cosA, 1);
}
