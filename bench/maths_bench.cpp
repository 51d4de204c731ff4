// Speed of the 16.16 products that every physics sub-step and contact test
// runs: matrix products, vector turns and transforms.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/services.h"

namespace {

constexpr int Count = 1024;

struct Inputs {
    std::vector<FixedMatrix> matrices;
    std::vector<FixedVector> vectors;
    std::vector<FixedTransform> transforms;

    Inputs()
    {
        BuildTrigTables();
        std::uint32_t seed = 7;
        auto next = [&seed] { seed = seed * 1664525u + 1013904223u; return std::int32_t(seed); };
        for (int i = 0; i < Count; ++i) {
            FixedMatrix m;
            RotationZXY(m, next(), next(), next());
            matrices.push_back(m);
            vectors.push_back(MakeFixedVector(next() >> 4, next() >> 4, next() >> 4));
            FixedTransform t;
            MakeTransform(t, m, MakeFixedVector(next(), next(), next()));
            transforms.push_back(t);
        }
    }
};

const Inputs& TheInputs()
{
    static Inputs inputs;
    return inputs;
}

void BM_FixedMul(benchmark::State& state)
{
    const Inputs& in = TheInputs();
    for (auto _ : state) {
        Fixed sum;
        for (int i = 0; i < Count; ++i)
            sum += FixedMul(in.vectors[i].x, in.vectors[i].y);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_FixedMul);

void BM_MultiplyMatrix(benchmark::State& state)
{
    const Inputs& in = TheInputs();
    std::vector<FixedMatrix> out(Count);
    for (auto _ : state) {
        for (int i = 0; i < Count; ++i)
            MultiplyMatrix(in.matrices[i], in.matrices[(i + 1) % Count], out[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_MultiplyMatrix);

void BM_RotateVector(benchmark::State& state)
{
    const Inputs& in = TheInputs();
    std::vector<FixedVector> out(Count);
    for (auto _ : state) {
        for (int i = 0; i < Count; ++i)
            RotateVector(in.matrices[i], in.vectors[i], out[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_RotateVector);

void BM_TransformPoint(benchmark::State& state)
{
    const Inputs& in = TheInputs();
    std::vector<FixedVector> out(Count);
    for (auto _ : state) {
        for (int i = 0; i < Count; ++i)
            TransformPoint(in.transforms[i], in.vectors[i], out[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_TransformPoint);

void BM_InverseTransformPoint(benchmark::State& state)
{
    const Inputs& in = TheInputs();
    std::vector<FixedVector> out(Count);
    for (auto _ : state) {
        for (int i = 0; i < Count; ++i)
            InverseTransformPoint(in.transforms[i], in.vectors[i], out[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_InverseTransformPoint);

void BM_ComposeTransform(benchmark::State& state)
{
    const Inputs& in = TheInputs();
    std::vector<FixedTransform> out(Count);
    for (auto _ : state) {
        for (int i = 0; i < Count; ++i)
            ComposeTransform(in.transforms[i], in.transforms[(i + 1) % Count], out[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_ComposeTransform);

void BM_RotationZXY(benchmark::State& state)
{
    std::vector<FixedMatrix> out(Count);
    TheInputs();
    for (auto _ : state) {
        for (int i = 0; i < Count; ++i)
            RotationZXY(out[i], i * 61, i * 97, i * 13);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_RotationZXY);

void BM_NormaliseVector(benchmark::State& state)
{
    const Inputs& in = TheInputs();
    std::vector<FixedVector> out(Count);
    for (auto _ : state) {
        for (int i = 0; i < Count; ++i) {
            out[i] = in.vectors[i];
            NormaliseVector(out[i]);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Count);
}
BENCHMARK(BM_NormaliseVector);

void BM_BuildTrigTables(benchmark::State& state)
{
    for (auto _ : state)
        BuildTrigTables();
}
BENCHMARK(BM_BuildTrigTables)->Unit(benchmark::kMillisecond);

}  // namespace
