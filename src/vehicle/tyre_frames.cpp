// The wheels' frames for the tyre model: each wheel steered about its
// steering axis and its spin axis leaned by the tread's lateral shear, one
// wheel alone or four side by side in SSE2 lanes. Both forms take the same
// single-precision operations in the same order, so a wheel's frame is the
// same bits either way (no fused multiply-adds: contraction is off).
#include <emmintrin.h>

#include "vehicle/local.h"

namespace {

// The steering angle's series terms, shared by both forms so that they
// multiply by the same constants.
constexpr float SineTerms[5] = {-1.0f / 39916800, 1.0f / 362880, -1.0f / 5040, 1.0f / 120, -1.0f / 6};
constexpr float CosineTerms[6] = {1.0f / 479001600, -1.0f / 3628800, 1.0f / 40320, -1.0f / 720, 1.0f / 24, -0.5f};

// Sine and cosine of a steering angle: the Taylor series in float, exact
// to a unit in the last place within a radian (steering and toe angles stay
// well inside it), the same bits on every machine; beyond, the core's.
void SteerSinCos(float angle, float& sine, float& cosine)
{
    if (angle > 1 || angle < -1) {
        double s, c;
        ComputeSinCos(angle, s, c);
        sine = static_cast<float>(s);
        cosine = static_cast<float>(c);
        return;
    }
    const float x2 = angle * angle;
    float s = SineTerms[0];
    for (int i = 1; i < 5; i++)
        s = SineTerms[i] + x2 * s;
    sine = angle + angle * (x2 * s);
    float c = CosineTerms[0];
    for (int i = 1; i < 6; i++)
        c = CosineTerms[i] + x2 * c;
    cosine = 1 + x2 * c;
}

// v turned by the angle (sine, cosine) about the unit axis.
Vec3 TurnAbout(const Vec3& axis, float sine, float cosine, const Vec3& v)
{
    return cosine * v + sine * Cross(axis, v) + ((1 - cosine) * Dot(axis, v)) * axis;
}

// Three coordinates of four wheels, one wheel per lane.
struct Lanes {
    __m128 x, y, z;
};

inline __m128 Add(__m128 a, __m128 b) { return _mm_add_ps(a, b); }
inline __m128 Sub(__m128 a, __m128 b) { return _mm_sub_ps(a, b); }
inline __m128 Mul(__m128 a, __m128 b) { return _mm_mul_ps(a, b); }
// a where the mask is set, b elsewhere.
inline __m128 Select(__m128 mask, __m128 a, __m128 b)
{
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}
inline Lanes Select(__m128 mask, const Lanes& a, const Lanes& b)
{
    return {Select(mask, a.x, b.x), Select(mask, a.y, b.y), Select(mask, a.z, b.z)};
}

// TurnAbout in lanes, term by term as above.
Lanes TurnAboutLanes(const Lanes& a, __m128 sine, __m128 cosine, const Lanes& v)
{
    const Lanes cross = {Sub(Mul(a.y, v.z), Mul(a.z, v.y)), Sub(Mul(a.z, v.x), Mul(a.x, v.z)),
                         Sub(Mul(a.x, v.y), Mul(a.y, v.x))};
    const __m128 dot = Add(Add(Mul(a.x, v.x), Mul(a.y, v.y)), Mul(a.z, v.z));
    const __m128 k = Mul(Sub(_mm_set1_ps(1), cosine), dot);
    return {Add(Add(Mul(cosine, v.x), Mul(sine, cross.x)), Mul(k, a.x)),
            Add(Add(Mul(cosine, v.y), Mul(sine, cross.y)), Mul(k, a.y)),
            Add(Add(Mul(cosine, v.z), Mul(sine, cross.z)), Mul(k, a.z))};
}

// Rotate in lanes: R v, each row summed left to right.
Lanes RotateLanes(const FloatMatrix& R, const Lanes& v)
{
    auto row = [&](int i) {
        return Add(Add(Mul(_mm_set1_ps(R.m[i]), v.x), Mul(_mm_set1_ps(R.m[i + 1]), v.y)),
                   Mul(_mm_set1_ps(R.m[i + 2]), v.z));
    };
    return {row(0), row(3), row(6)};
}

// One vector per coordinate from four wheels' vectors; lanes past count
// stay 0.
struct LaneLoader {
    float x[4] = {}, y[4] = {}, z[4] = {};
    void Put(int lane, const Vec3& v) { x[lane] = v.x, y[lane] = v.y, z[lane] = v.z; }
    Lanes Load() const { return {_mm_loadu_ps(x), _mm_loadu_ps(y), _mm_loadu_ps(z)}; }
};

// The lanes written back into the first count frames' field.
void StoreLanes(const Lanes& v, int count, Vec3 TyreFrame::*field, TyreFrame* frames)
{
    float x[4], y[4], z[4];
    _mm_storeu_ps(x, v.x);
    _mm_storeu_ps(y, v.y);
    _mm_storeu_ps(z, v.z);
    for (int i = 0; i < count; i++)
        (frames[i].*field) = {x[i], y[i], z[i]};
}

} // namespace

TyreFrame PlaceTyreFrame(const Wheel& wheel, const FloatMatrix& R, const Vec3& hubPosition)
{
    const float lean = wheel.lateralDeflection * 0.5f * wheel.inverseTyreRadius;
    const float leanSquared = lean * lean;
    const float upright = leanSquared < 1 ? std::sqrt(1 - leanSquared) : 0.0f;
    const Vec3 leaned = {upright * wheel.spinAxis.x - lean * wheel.spinAxis.z, wheel.spinAxis.y,
                         lean * wheel.spinAxis.x + upright * wheel.spinAxis.z};
    Vec3 offset = wheel.hubOffset, spinLocal = leaned;
    if (wheel.steerAngle != 0) {
        float s, c;
        SteerSinCos(wheel.steerAngle, s, c);
        offset = TurnAbout(wheel.steerAxis, s, c, offset);
        spinLocal = TurnAbout(wheel.steerAxis, s, c, spinLocal);
    }
    return {hubPosition + Rotate(R, offset), Rotate(R, spinLocal)};
}

void PlaceTyreFrames(const Wheel* wheels, int count, const FloatMatrix& R, const Vec3* hubPositions,
                     TyreFrame* frames)
{
    count = count < 4 ? count : 4;
    // Per lane: the lean's inputs, the angle (0 outside the series' range,
    // whose lanes take the core's sine and cosine below).
    alignas(16) float deflection[4] = {}, inverseR[4] = {}, angle[4] = {}, steered[4] = {};
    alignas(16) float wideSine[4] = {}, wideCosine[4] = {}, wide[4] = {};
    LaneLoader spin, offset, axis, hub;
    for (int i = 0; i < count; i++) {
        const Wheel& w = wheels[i];
        deflection[i] = w.lateralDeflection;
        inverseR[i] = w.inverseTyreRadius;
        const float a = w.steerAngle;
        steered[i] = a != 0 ? 1.0f : 0.0f;
        if (a > 1 || a < -1) {
            SteerSinCos(a, wideSine[i], wideCosine[i]);
            wide[i] = 1;
        } else {
            angle[i] = a;
        }
        spin.Put(i, w.spinAxis);
        offset.Put(i, w.hubOffset);
        axis.Put(i, w.steerAxis);
        hub.Put(i, hubPositions[i]);
    }
    const Lanes spinAxis = spin.Load(), hubOffset = offset.Load(), steerAxis = axis.Load(), hubs = hub.Load();

    // The spin axis leaned by the tread's lateral shear.
    const __m128 lean = Mul(Mul(_mm_load_ps(deflection), _mm_set1_ps(0.5f)), _mm_load_ps(inverseR));
    const __m128 leanSquared = Mul(lean, lean);
    const __m128 upstanding = _mm_cmplt_ps(leanSquared, _mm_set1_ps(1));
    const __m128 upright = _mm_sqrt_ps(_mm_and_ps(upstanding, Sub(_mm_set1_ps(1), leanSquared)));
    const Lanes leaned = {Sub(Mul(upright, spinAxis.x), Mul(lean, spinAxis.z)), spinAxis.y,
                          Add(Mul(lean, spinAxis.x), Mul(upright, spinAxis.z))};

    // The steering angle's sine and cosine by the series.
    const __m128 a = _mm_load_ps(angle);
    const __m128 x2 = Mul(a, a);
    __m128 s = _mm_set1_ps(SineTerms[0]);
    for (int i = 1; i < 5; i++)
        s = Add(_mm_set1_ps(SineTerms[i]), Mul(x2, s));
    __m128 sine = Add(a, Mul(a, Mul(x2, s)));
    __m128 c = _mm_set1_ps(CosineTerms[0]);
    for (int i = 1; i < 6; i++)
        c = Add(_mm_set1_ps(CosineTerms[i]), Mul(x2, c));
    __m128 cosine = Add(_mm_set1_ps(1), Mul(x2, c));
    const __m128 wideMask = _mm_cmpneq_ps(_mm_load_ps(wide), _mm_setzero_ps());
    sine = Select(wideMask, _mm_load_ps(wideSine), sine);
    cosine = Select(wideMask, _mm_load_ps(wideCosine), cosine);

    // Steered wheels turn; the others keep their offset and axis.
    const __m128 steerMask = _mm_cmpneq_ps(_mm_load_ps(steered), _mm_setzero_ps());
    const Lanes turnedOffset = Select(steerMask, TurnAboutLanes(steerAxis, sine, cosine, hubOffset), hubOffset);
    const Lanes turnedSpin = Select(steerMask, TurnAboutLanes(steerAxis, sine, cosine, leaned), leaned);

    const Lanes rotated = RotateLanes(R, turnedOffset);
    const Lanes centre = {Add(hubs.x, rotated.x), Add(hubs.y, rotated.y), Add(hubs.z, rotated.z)};
    StoreLanes(centre, count, &TyreFrame::centre, frames);
    StoreLanes(RotateLanes(R, turnedSpin), count, &TyreFrame::spinAxis, frames);
}
