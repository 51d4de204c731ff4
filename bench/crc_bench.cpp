// CRC throughput: the running CRC over buffers and texts, and the reflected
// CRC-32 of texts (skin requests, car data checksums, downloads).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/services.h"

namespace {

std::vector<uint8_t> MakeBuffer(size_t size)
{
    std::vector<uint8_t> buffer(size);
    uint16_t random = 1;
    for (uint8_t& byte : buffer) {
        random = static_cast<uint16_t>(random * 5 + 1);
        byte = static_cast<uint8_t>(random >> 8);
    }
    return buffer;
}

std::string MakeText(size_t size)
{
    std::string text(size, 'a');
    for (size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + i % 26);
    return text;
}

void BM_CrcAddBuffer(benchmark::State& state)
{
    BuildCrcTable();
    auto buffer = MakeBuffer(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(CrcAddBuffer(0, buffer.data(), static_cast<int>(buffer.size())));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CrcAddBuffer)->Arg(64)->Arg(4096)->Arg(1 << 20);

void BM_CrcBuffer(benchmark::State& state)
{
    BuildCrcTable();
    auto buffer = MakeBuffer(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(CrcBuffer(buffer.data(), static_cast<int>(buffer.size())));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CrcBuffer)->Arg(4096)->Arg(1 << 20);

void BM_CrcAddString(benchmark::State& state)
{
    BuildCrcTable();
    std::string text = MakeText(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(CrcAddString(0, text.c_str()));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CrcAddString)->Arg(24)->Arg(4096);

void BM_CrcString(benchmark::State& state)
{
    std::string text = MakeText(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(CrcString(text.c_str()));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CrcString)->Arg(24)->Arg(4096)->Arg(1 << 20);

} // namespace
