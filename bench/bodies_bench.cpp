// The physics step of the active body set: 10 ms steps per second for 1,
// 20 and 80 box bodies, resting on the ground and moving (sliding, turning
// and knocking into each other).
#include <benchmark/benchmark.h>

#include <memory>

#include "../tests/support/body_shapes.h"

namespace {

using testing_bodies::BoxSpec;
using testing_bodies::Metres;

// A loaded world with nothing in it but the ground: bodies meet the ground
// and each other.
class OpenGround final : public BodySurroundings {
public:
    bool IsWorldLoaded() const override { return true; }
};

struct BoxScene {
    std::unique_ptr<PlainBody[]> bodies;
    int count;
    ObjectSet set;

    explicit BoxScene(int n) : bodies(new PlainBody[n]), count(n)
    {
        BoxSpec spec;
        spec.stiffness = 2e5f;
        spec.damping = 4000.0f;
        FloatMatrix identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
        for (int i = 0; i < n; ++i) {
            testing_bodies::BuildBox(bodies[i], spec);
            // Rows of ten, 1.05 m apart: neighbours close enough to be tested
            // against each other every step.
            testing_bodies::PlaceBody(bodies[i], Metres(1.05 * (i % 10), 1.05 * (i / 10), 0.5), identity);
            AddToObjectSet(set, bodies[i]);
        }
        SetCurrentObjectSet(&set);
    }
    ~BoxScene()
    {
        ClearCurrentObjectSet();
        for (int i = 0; i < count; ++i)
            FreeBody(bodies[i]);
    }

    // Sends every body sliding and turning, alternate rows against each other.
    void Kick()
    {
        for (int i = 0; i < count; ++i) {
            float direction = (i / 10) % 2 ? -1.0f : 1.0f;
            bodies[i].velocity = {1.5f * direction, 0.3f, 0.5f};
            bodies[i].angularMomentum = {0, 0, 80.0f * direction};
        }
    }
};

void RunSteps(benchmark::State& state, bool moving)
{
    OpenGround ground;
    SetBodySurroundings(&ground);
    BoxScene scene(int(state.range(0)));
    for (int i = 0; i < 200; ++i)
        UpdatePhysicsObjects(scene.set, 0);
    int step = 0;
    for (auto _ : state) {
        if (moving && step % 50 == 0)
            scene.Kick();
        UpdatePhysicsObjects(scene.set, 0);
        ++step;
    }
    state.counters["steps/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["body-steps/s"] =
        benchmark::Counter(double(state.iterations()) * double(state.range(0)), benchmark::Counter::kIsRate);
    SetBodySurroundings(nullptr);
}

void BodiesResting(benchmark::State& state) { RunSteps(state, false); }
void BodiesMoving(benchmark::State& state) { RunSteps(state, true); }

}  // namespace

BENCHMARK(BodiesResting)->Arg(1)->Arg(20)->Arg(80);
BENCHMARK(BodiesMoving)->Arg(1)->Arg(20)->Arg(80);
