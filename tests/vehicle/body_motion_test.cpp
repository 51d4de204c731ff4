// Rigid bodies in motion, checked against physical laws: free fall, drag,
// the spring-damper contact, Coulomb friction on flat ground and on a ramp,
// and torque-free rotation. Tolerances come from the known errors of the
// integration (twenty sub-steps of 0.5 ms, pose first, then forces; drag
// held for each 10 ms step; the 16.16 commit rounding), not from fits.
#include "physics_fixture.h"

#include <cmath>
#include <complex>
#include <vector>

using testing_bodies::BoxSpec;
using testing_bodies::Metres;

namespace {

constexpr double Dt = 0.01;        // s, one step
constexpr double H = Dt / 20;      // s, one sub-step
constexpr double G = 9.81;
constexpr double Unit = 1.0 / 65536;  // m, one 16.16 step
const FloatMatrix Identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}};

class BodyMotionTest : public PhysicsTest {
protected:
    void SetUp() override
    {
        PhysicsTest::SetUp();
        SetBodySurroundings(&surroundings);
    }

    // One step of a set holding just this body.
    void Step(RigidBody& body)
    {
        ObjectSet set;
        AddToObjectSet(set, body);
        UpdatePhysicsObjects(set, 0);
    }

    TestSurroundings surroundings;
};

double Z(const RigidBody& body) { return body.position.z.raw * Unit; }

// Heavy, so that the drag (coefficient 1) is negligible: its distance over
// t is at most g^2 t^4 / (12 m).
TEST_F(BodyMotionTest, FreeFallFollowsTheSubStepLawStepByStep)
{
    BoxSpec spec;
    spec.mass = 1e6f;
    OwnedBox box(spec);
    testing_bodies::PlaceBody(box.body, Metres(0, 0, 50), Identity);
    double z0 = Z(box.body);
    for (int step = 1; step <= 100; ++step) {
        Step(box.body);
        // Pose first, then velocity: after N sub-steps z = z0 - g h^2 N (N - 1) / 2.
        double n = 20.0 * step;
        double expected = z0 - G * H * H * n * (n - 1) / 2;
        double t = step * Dt;
        double vMax = G * t;
        // Each commit rounds to half a unit; each float velocity update to
        // half an ulp of the speed, carried for the rest of the fall.
        double tolerance = step * 0.5 * Unit + n * std::ldexp(vMax, -24) * t + G * G * t * t * t * t / (12 * 1e6);
        ASSERT_NEAR(Z(box.body), expected, tolerance) << "step " << step;
        ASSERT_NEAR(box.body.velocity.z, -G * t, n * std::ldexp(vMax, -23)) << "step " << step;
    }
    EXPECT_EQ(box.body.position.x.raw, 0);
    EXPECT_EQ(box.body.position.y.raw, 0);
}

// Drag -|v| v with a coefficient of 1: v(t) = sqrt(m g) tanh(t sqrt(g / m)).
// The drag is held for each step, which makes the velocity an explicit
// Euler solution with step dt. Its error stays below (dt / 2) times the
// total variation of dv/dt, which falls monotonically from g to 0: g dt / 2.
TEST_F(BodyMotionTest, DraggedBodyApproachesTerminalVelocity)
{
    BoxSpec spec;
    spec.halfX = spec.halfY = spec.halfZ = 0.05f;
    spec.mass = 1.0f;
    OwnedBox box(spec);
    testing_bodies::PlaceBody(box.body, Metres(0, 0, 40), Identity);
    double m = box.body.mass;
    double terminal = std::sqrt(m * G);
    double worst = 0;
    for (int step = 1; step <= 300; ++step) {
        Step(box.body);
        double t = step * Dt;
        double expected = -terminal * std::tanh(t * std::sqrt(G / m));
        worst = std::max(worst, std::fabs(box.body.velocity.z - expected));
        ASSERT_NEAR(box.body.velocity.z, expected, G * Dt / 2) << "t " << t;
    }
    // After ten time constants the fixed point is reached: v^2 = m g exactly
    // for the stepped equation too.
    EXPECT_NEAR(box.body.velocity.z, -terminal, 1e-4 * terminal);
    EXPECT_GT(worst, 0.0);
}

// The linear model of a box on its four bottom springs, for deviations from
// rest: x' = v, m v' = -K x - C v with K = 4k and C = 4c. The sub-steps take
// the pose first, then the force from the new pose and the damping from the
// last sub-step's rate: state (x, v) times A = [[1, h], [-hK/m, 1 - hC/m - h^2 K/m]]
// per sub-step. Returns its decay rate and angular frequency per second.
void SteppedOscillator(double m, double k, double c, double& decay, double& frequency)
{
    double trace = 2 - H * c / m - H * H * k / m;
    double det = 1 - H * c / m;
    double rho = std::sqrt(det);
    decay = -std::log(rho) / H;
    frequency = std::acos(trace / (2 * rho)) / H;
}

// Samples of one coordinate of a damped oscillation taken once per step obey
// x[n+1] = a1 x[n] + a2 x[n-1] + b exactly; the roots of z^2 - a1 z - a2 give
// the decay rate and frequency. Least squares over the samples.
void FitOscillation(const std::vector<double>& x, double& decay, double& frequency)
{
    double s[3][3] = {}, r[3] = {};
    for (std::size_t n = 1; n + 1 < x.size(); ++n) {
        double row[3] = {x[n], x[n - 1], 1.0};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                s[i][j] += row[i] * row[j];
            r[i] += row[i] * x[n + 1];
        }
    }
    // Solve the 3x3 normal equations by Cramer's rule.
    auto det3 = [](double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    double d = det3(s);
    double coefficient[2];
    for (int c = 0; c < 2; ++c) {
        double t[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                t[i][j] = j == c ? r[i] : s[i][j];
        coefficient[c] = det3(t) / d;
    }
    std::complex<double> root = (coefficient[0] + std::sqrt(std::complex<double>(
                                                      coefficient[0] * coefficient[0] + 4 * coefficient[1]))) / 2.0;
    decay = -std::log(std::abs(root)) / Dt;
    frequency = std::fabs(std::arg(root)) / Dt;
}

TEST_F(BodyMotionTest, BoxSettlesWithTheSpringDamperOfItsFourPoints)
{
    const double zeta = 0.1;
    BoxSpec spec;
    spec.stiffness = 1e5f;
    double m = spec.mass, k = 4.0 * spec.stiffness;
    double omega0 = std::sqrt(k / m);
    spec.damping = float(2 * zeta * std::sqrt(k * m) / 4);
    // Placed one unit above the ground, and one unit into it straight after
    // a reset (friction anchors still at the origin).
    for (std::int32_t start : {32768 + 1, 32768 - 1}) {
        OwnedBox box(spec);
        testing_bodies::PlaceBody(box.body, MakeFixedVector(0, 0, start), Identity);
        std::vector<double> z;
        for (int step = 0; step < 100; ++step) {
            Step(box.body);
            z.push_back(Z(box.body));
        }
        for (int step = 0; step < 400; ++step)
            Step(box.body);

        // Static sink m g / (4 k), within the commit's rounding; the drag is
        // below 1e-6 N at rest and the landing speed from one unit up leaves
        // no friction preload along the normal.
        double sink = m * G / k;
        EXPECT_NEAR(0.5 - Z(box.body), sink, Unit) << "start " << start;

        double decay, frequency;
        FitOscillation(z, decay, frequency);
        double modelDecay, modelFrequency;
        SteppedOscillator(m, k, 4.0 * spec.damping, modelDecay, modelFrequency);
        // The body follows the stepped model; what remains is the 16.16
        // noise of the samples (half a unit on an amplitude of 1600 units).
        EXPECT_NEAR(frequency, modelFrequency, 1e-3 * modelFrequency) << "start " << start;
        EXPECT_NEAR(decay, modelDecay, 1e-2 * modelDecay) << "start " << start;
        // The stepped model differs from the continuous one by its
        // first-order terms: h zeta w0 in the decay, (w0 h)^2 / 24 and
        // h zeta w0 in the frequency.
        double firstOrder = H * zeta * omega0 + omega0 * omega0 * H * H / 24;
        double dampedFrequency = omega0 * std::sqrt(1 - zeta * zeta);
        EXPECT_NEAR(modelFrequency, dampedFrequency, firstOrder * dampedFrequency);
        EXPECT_NEAR(modelDecay, zeta * omega0, firstOrder * zeta * omega0);
        double decrement = 2 * M_PI * decay / frequency;
        double expectedDecrement = 2 * M_PI * zeta / std::sqrt(1 - zeta * zeta);
        EXPECT_NEAR(decrement, expectedDecrement, (2 * firstOrder + 1e-2) * expectedDecrement);
        // No tilt and no sideways drift for a flat landing.
        EXPECT_EQ(box.body.position.x.raw, 0);
        EXPECT_EQ(box.body.position.y.raw, 0);
    }
}

// Without gravity the contact is a free linear spring-damper: with e the
// penetration and e'(0) = v0 at impact, e'(t) = v0 exp(-zeta w0 t)
// (cos wd t - (zeta w0 / wd) sin wd t). Left alone it lets go when e returns
// to 0, at exp(-zeta pi / sqrt(1 - zeta^2)) of the impact speed; the step's
// contact search lets go earlier, at the start of the step whose predicted
// pose is clear of the ground. The body leaves with the linear model's speed
// at that moment. Entering within a sub-step misses at most c v h of
// damping (2 zeta w0 h relative); the stepped model's own first-order terms
// and the drag (1 N on 1000 kg) come on top.
TEST_F(BodyMotionTest, ReboundRatioMatchesTheLinearModel)
{
    surroundings.gravity = 0;
    const double zetas[] = {0.05, 0.2, 0.5};
    const float frictions[] = {0.0f, 0.8f};
    for (double zeta : zetas) {
        for (float mu : frictions) {
            BoxSpec spec;
            spec.friction = mu;
            double m = spec.mass, k = 4.0 * spec.stiffness;
            spec.damping = float(2 * zeta * std::sqrt(k * m) / 4);
            OwnedBox box(spec);
            testing_bodies::PlaceBody(box.body, MakeFixedVector(0, 0, 32768 + 1311), Identity);
            box.body.velocity = {0, 0, -1.0f};
            double impactTime = 1311 * Unit / 1.0;
            int lastContactStep = -1;
            double leaving = 0;
            for (int step = 0; step < 100; ++step) {
                Step(box.body);
                bool inContact = false;
                for (int i = 0; i < box.body.pointCount; ++i)
                    inContact = inContact || box.body.points[i].state != 0;
                if (inContact)
                    lastContactStep = step;
                else if (lastContactStep >= 0)
                    break;
                leaving = box.body.velocity.z;
            }
            ASSERT_GE(lastContactStep, 0);
            double omega0 = std::sqrt(k / m);
            double omegaD = omega0 * std::sqrt(1 - zeta * zeta);
            double t = (lastContactStep + 1) * Dt - impactTime;
            double expected = -std::exp(-zeta * omega0 * t) *
                              (std::cos(omegaD * t) - zeta * omega0 / omegaD * std::sin(omegaD * t));
            double tolerance = 2 * zeta * omega0 * H + omega0 * omega0 * H * H + 2 * zeta * omega0 * H * omega0 * t +
                               1.0 / m * t;
            EXPECT_NEAR(leaving, expected, tolerance) << "zeta " << zeta << " mu " << mu;
            // Left to the end of the spring's stroke the ratio would be the
            // classic one; the early release only ever keeps more speed.
            EXPECT_GE(leaving, std::exp(-zeta * M_PI / std::sqrt(1 - zeta * zeta)) - tolerance);
        }
    }
}

// A box sliding on its four bottom points stops in v0^2 / (2 mu g); with the
// drag -|v| v as well, in (m / 2) ln(1 + v0^2 / (m mu g)). Measured at the
// stop (the furthest point reached), the box also carries the static
// deflections of its springs under the friction: the friction springs'
// stretch mu m g / K that loads before it slides, and the forward lean
// mu m g h^2 / (K a^2) of its centre at height h over points at +-a.
TEST_F(BodyMotionTest, CoulombSlidingStopsInTheKnownDistance)
{
    const double v0s[] = {2.0, 5.0};
    const float mus[] = {0.3f, 0.8f};
    for (double v0 : v0s) {
        for (float mu : mus) {
            BoxSpec spec;
            spec.stiffness = 1e6f;
            spec.friction = mu;
            double m = spec.mass, k = 4.0 * spec.stiffness;
            spec.damping = float(2 * 0.5 * std::sqrt(k * m) / 4);
            OwnedBox box(spec);
            testing_bodies::PlaceBody(box.body, MakeFixedVector(0, 0, 32768 + 1), Identity);
            for (int step = 0; step < 100; ++step)
                Step(box.body);
            double x0 = box.body.position.x.raw * Unit;
            box.body.velocity.x = float(v0);
            double expected = m / 2 * std::log(1 + v0 * v0 / (m * mu * G));
            int steps = int(v0 / (mu * G) / Dt) + 50;
            double furthest = x0;
            for (int step = 0; step < steps; ++step) {
                Step(box.body);
                furthest = std::max(furthest, box.body.position.x.raw * Unit);
            }
            double travelled = furthest - x0;
            double deflection = mu * m * G / k * (1 + 0.5 * 0.5 / (0.5 * 0.5));
            // Sampling the stop once per step misses at most mu g dt^2 / 2.
            double tolerance = deflection + mu * G * Dt * Dt / 2 + 1e-3 * expected;
            EXPECT_NEAR(travelled, expected, tolerance) << "v0 " << v0 << " mu " << mu;
            EXPECT_LT(std::fabs(box.body.velocity.x), 0.2) << "v0 " << v0 << " mu " << mu;
        }
    }
}

// On a plane tilted by theta the box holds when tan theta < mu and
// otherwise slides down with g (sin theta - mu cos theta). The plane is met
// through the scenery contact query, as a world surface would be.
TEST_F(BodyMotionTest, RampHoldsOrSlidesByTheFrictionAngle)
{
    surroundings.worldLoaded = true;
    surroundings.hasPlane = true;
    struct Case {
        double slope;  // tan theta
        float mu;
    };
    const Case cases[] = {{0.3, 0.5f}, {0.7, 0.5f}, {1.0, 0.6f}};
    for (const Case& c : cases) {
        double theta = std::atan(c.slope);
        double s = std::sin(theta), co = std::cos(theta);
        // The plane rises along +y.
        surroundings.planeNormal = {0.0f, float(-s), float(co)};
        BoxSpec spec;
        spec.friction = c.mu;
        spec.stiffness = 1e6f;
        double m = spec.mass, k = 4.0 * spec.stiffness;
        spec.damping = float(2 * 0.7 * std::sqrt(k * m) / 4);
        OwnedBox box(spec);
        // Rotated about x by theta, its bottom face lying on the plane.
        FloatMatrix tilt{{1, 0, 0, 0, float(co), float(-s), 0, float(s), float(co)}};
        double lift = 0.5 - 1e-5;
        testing_bodies::PlaceBody(box.body, Metres(0, -lift * s, lift * co), tilt);
        double expectedAcceleration = c.slope < c.mu ? 0.0 : G * (s - c.mu * co);
        // Settle into the springs for 0.3 s, then measure for 1 s.
        for (int step = 0; step < 30; ++step)
            Step(box.body);
        double along0 = box.body.velocity.y * co + box.body.velocity.z * s;
        double v0 = along0;
        for (int step = 0; step < 100; ++step)
            Step(box.body);
        double along1 = box.body.velocity.y * co + box.body.velocity.z * s;
        double acceleration = -(along1 - v0);  // down the slope is -y
        // Drag: at most v^2 / m with v below 0.3 + a t.
        double vMax = std::fabs(v0) + expectedAcceleration * 1.0;
        double tolerance = vMax * vMax / m + 0.01 * expectedAcceleration + 1e-3;
        EXPECT_NEAR(acceleration, expectedAcceleration, tolerance) << "slope " << c.slope << " mu " << c.mu;
    }
}

// With no force and no torque the angular momentum is constant in world
// axes, the rotation stays a rotation and the centre of mass stays put
// while the body turns about it.
TEST_F(BodyMotionTest, TorqueFreeSpinKeepsItsAngularMomentum)
{
    surroundings.gravity = 0;
    BoxSpec spec;
    spec.halfX = 0.5f;
    spec.halfY = 1.0f;
    spec.halfZ = 1.5f;
    spec.centreOffset = {0.3f, -0.2f, 0.1f};
    OwnedBox box(spec);
    testing_bodies::PlaceBody(box.body, Metres(0, 0, 40), Identity);
    box.body.angularMomentum = {300.0f, 700.0f, -200.0f};
    Vec3 momentum = box.body.angularMomentum;
    auto centre = [&] {
        Vec3 c = Rotate(box.body.rotation, box.body.centreOfMass);
        return Vec3{float(box.body.position.x.raw * Unit + c.x), float(box.body.position.y.raw * Unit + c.y),
                    float(box.body.position.z.raw * Unit + c.z)};
    };
    auto energy = [&] { return 0.5 * Dot(AngularVelocity(box.body, box.body.rotation), box.body.angularMomentum); };
    Vec3 centre0 = centre();
    double energy0 = energy();
    const int steps = 200;
    for (int step = 0; step < steps; ++step)
        Step(box.body);
    EXPECT_EQ(box.body.angularMomentum, momentum);
    // Rotation rows stay orthonormal up to float rounding of 4000 turns.
    const FloatMatrix& r = box.body.rotation;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double dot = double(r.m[i * 3]) * r.m[j * 3] + double(r.m[i * 3 + 1]) * r.m[j * 3 + 1] +
                         double(r.m[i * 3 + 2]) * r.m[j * 3 + 2];
            EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 4000 * std::ldexp(1.0, -23));
        }
    // The centre of mass moves only by the commits' rounding.
    Vec3 moved = centre() - centre0;
    EXPECT_LT(std::sqrt(LengthSquared(moved)), steps * 0.87 * Unit + 1e-5);
    // Each sub-step turns about the axis of its start: the energy error is
    // first order, at most h |w|^2 |dw| relative over the run's turning.
    double w = std::sqrt(LengthSquared(AngularVelocity(box.body, box.body.rotation)));
    EXPECT_NEAR(energy(), energy0, energy0 * H * w * steps * Dt * w);
}

}  // namespace
